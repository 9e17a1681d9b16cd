#include "dropline.h"

#include <QListWidget>
#include <QPainter>

namespace {

constexpr int Thickness = 2;

} // namespace

DropLine::DropLine(QListWidget &list) : QWidget(list.viewport()), m_list(&list)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DropLine::showBefore(int row)
{
    int y = 0;
    if (row < m_list->count())
        y = m_list->visualItemRect(m_list->item(row)).top();
    else if (m_list->count() > 0)
        y = m_list->visualItemRect(m_list->item(m_list->count() - 1)).bottom() + 1;
    // Centred on the boundary, but never cut off by the top of the list.
    setGeometry(0, qMax(0, y - Thickness / 2), m_list->viewport()->width(), Thickness);
    raise();
    show();
}

void DropLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Highlight));
}
