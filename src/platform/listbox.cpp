#include "listbox.h"

#include "runtimeerror.h"
#include "windowhandles.h"
#include "windowmessages.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace {

// Entries are as wide as the list scrolls, so that the view's own idea of its
// width agrees with the extent it was given; otherwise the two would fight
// over the scroll bar. All share one size: with uniform sizes the view need
// not measure 100,000 entries to lay them out.
class EntryDelegate final : public QStyledItemDelegate
{
public:
    explicit EntryDelegate(ListBox *list) : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(m_list->horizontalExtent());
        return size;
    }

private:
    ListBox *m_list;
};

// The label a dragged entry carries: its file name, beside the pointer.
constexpr int DragLabelMaxWidth = 240;
constexpr int DragLabelMargin = 3;
constexpr QPoint DragLabelOffset{14, 10};

QPixmap dragLabel(const QWidget &list, const QString &entry)
{
    const QString name = entry.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    const QFontMetrics metrics = list.fontMetrics();
    const QString text = metrics.elidedText(name.isEmpty() ? entry : name, Qt::ElideMiddle, DragLabelMaxWidth);
    const QSize size(metrics.horizontalAdvance(text) + 2 * DragLabelMargin, metrics.height() + 2 * DragLabelMargin);
    QPixmap label(size * list.devicePixelRatioF());
    label.setDevicePixelRatio(list.devicePixelRatioF());
    QPainter painter(&label);
    painter.fillRect(QRect(QPoint(), size), list.palette().base());
    painter.setPen(list.palette().color(QPalette::Mid));
    painter.drawRect(QRect(QPoint(), size).adjusted(0, 0, -1, -1));
    painter.setPen(list.palette().color(QPalette::Text));
    painter.setFont(list.font());
    painter.drawText(QRect(QPoint(), size), Qt::AlignCenter, text);
    return label;
}

} // namespace

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(true);
    setItemDelegate(new EntryDelegate(this));
    // The list draws a line of its own where a drop goes, for dragged entries
    // and dropped files alike.
    setDropIndicatorShown(false);
    // A list box of the window system's own takes its extent by this message.
    WindowMessages::handle(this, winapi::LB_SETHORIZONTALEXTENT, [this](winapi::WPARAM pixels, winapi::LPARAM) {
        setHorizontalExtent(int(pixels));
        return winapi::LRESULT(0);
    });
}

void ListBox::AddItem(const QString &item)
{
    addItem(item);
}

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= count())
        throw RuntimeError(tr("The list has no entry %1 to remove.").arg(index));
    // The view would select the next entry; a list box selects none.
    const bool wasSelected = ListIndex() == index;
    delete takeItem(index);
    if (wasSelected)
        clearSelection();
}

QString ListBox::List(int index) const
{
    if (index < 0 || index >= count())
        throw RuntimeError(tr("The list has no entry %1.").arg(index));
    return item(index)->text();
}

int ListBox::ListIndex() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.constFirst());
}

void ListBox::setListIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index);
}

winapi::HWND ListBox::hWnd()
{
    return WindowHandles::windowOf(this);
}

void ListBox::setHorizontalExtent(int pixels)
{
    m_horizontalExtent = qMax(0, pixels);
    doItemsLayout();
}

int ListBox::dropRow(QPoint position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return count();
    return position.y() > visualRect(index).center().y() ? index.row() + 1 : index.row();
}

void ListBox::setDropLine(int row)
{
    const int line = row < 0 || row > count() ? -1 : row;
    if (line == m_dropLine)
        return;
    m_dropLine = line;
    viewport()->update();
}

// The view marks the current entry while it has the focus; with none, as in
// an empty list, the mark stands where the first entry goes.
void ListBox::focusInEvent(QFocusEvent *event)
{
    QListWidget::focusInEvent(event);
    viewport()->update();
}

void ListBox::focusOutEvent(QFocusEvent *event)
{
    QListWidget::focusOutEvent(event);
    viewport()->update();
}

void ListBox::paintEvent(QPaintEvent *event)
{
    QListWidget::paintEvent(event);
    QPainter painter(viewport());
    const int rowHeight = count() > 0 ? visualItemRect(item(0)).height() : fontMetrics().height() + 2;
    if (hasFocus() && !currentIndex().isValid()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = QRect(0, 0, viewport()->width(), rowHeight);
        focus.backgroundColor = palette().color(QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    if (m_dropLine >= 0) {
        int y = 0;
        if (m_dropLine < count())
            y = visualItemRect(item(m_dropLine)).top();
        else if (count() > 0)
            y = visualItemRect(item(count() - 1)).bottom() + 1;
        // Two pixels across the whole width, with a tick at each end, so that
        // it shows on either side of the label the pointer drags.
        const QColor colour = palette().color(QPalette::Highlight);
        const int width = viewport()->width();
        painter.fillRect(0, y - 1, width, 2, colour);
        painter.fillRect(0, y - 4, 2, 8, colour);
        painter.fillRect(width - 2, y - 4, 2, 8, colour);
    }
}

// A picture of the whole row under the pointer, as the view drags by
// default, would hide the drop line; a small label beside it does not.
void ListBox::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndexList entries = selectedIndexes();
    QMimeData *data = entries.isEmpty() ? nullptr : model()->mimeData(entries);
    if (data == nullptr)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(dragLabel(*this, entries.constFirst().data().toString()));
    drag->setHotSpot(-DragLabelOffset);
    drag->exec(supportedActions, defaultDropAction());
    setDropLine(-1);
}

// Below the last entry the press left the selection as it was. The scroll
// bars are widgets of their own, whose double clicks never come here.
void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

// The view sizes its sideways range to its entries after every layout; a list
// box scrolls through the extent it was given instead, even after the entry
// that set it has gone. An empty list has nothing to scroll: the view has just
// hidden the bar, and showing it again would narrow the viewport, lay the view
// out anew, hide the bar, and so on for ever. The extent stays for the next entry.
void ListBox::updateGeometries()
{
    QListWidget::updateGeometries();
    if (count() == 0 || geometry().isEmpty())
        return;
    QScrollBar *bar = horizontalScrollBar();
    const int width = viewport()->width();
    bar->setRange(0, qMax(0, m_horizontalExtent - width));
    bar->setPageStep(width);
    bar->setSingleStep(qMax(1, fontMetrics().averageCharWidth()));
}
