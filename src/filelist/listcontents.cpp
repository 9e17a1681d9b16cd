#include "listcontents.h"

#include "listbox.h"

#include <QScrollBar>

namespace FileList {

QStringList entries(const ListBox &list)
{
    QStringList texts;
    texts.reserve(list.ListCount());
    for (int i = 0; i < list.ListCount(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

// Built anew in one go: the list's model moves every row behind one that it
// takes out or puts in, so that editing 100,000 entries row by row would take
// time that grows with the square of their number.
void setEntries(ListBox &list, const QStringList &entries, int selected)
{
    QScrollBar *bar = list.verticalScrollBar();
    const int top = bar->value();
    list.clear();
    list.addItems(entries);
    list.setListIndex(selected);
    list.doItemsLayout();
    if (list.ListIndex() >= 0)
        list.scrollToItem(list.item(list.ListIndex()));
    else
        bar->setValue(top);
}

} // namespace FileList
