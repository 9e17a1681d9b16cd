#include "listbox.h"

#include "runtimeerror.h"
#include "windowhandles.h"
#include "windowmessages.h"

#include <QMouseEvent>
#include <QScrollBar>
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
