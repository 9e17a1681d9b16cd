#include "listhistory.h"

#include "listbox.h"
#include "listcontents.h"

ListHistory::ListHistory(ListBox &list) : QObject(&list), m_list(&list) {}

ListHistory *ListHistory::of(const ListBox &list)
{
    return list.findChild<ListHistory *>(QString(), Qt::FindDirectChildrenOnly);
}

void ListHistory::undo()
{
    if (m_steps.isEmpty())
        return;
    const Step step = m_steps.takeLast();
    const QStringList now = FileList::entries(*m_list);
    // Every change to the list is recorded; should one have slipped past,
    // the older steps no longer fit the list and would only damage it.
    if (step.first + step.inserted > now.size()) {
        clear();
        return;
    }
    const QStringList restored = now.first(step.first) + step.replaced + now.sliced(step.first + step.inserted);
    FileList::setEntries(*m_list, restored, step.selected);
    m_list->setHorizontalExtent(step.extent);
    emit changed();
}

void ListHistory::clear()
{
    m_steps.clear();
    emit changed();
}

ListChange::ListChange(ListBox &list, int first, int count)
    : m_list(list), m_history(ListHistory::of(list)), m_first(first), m_countBefore(list.ListCount()),
      m_extent(list.horizontalExtent()), m_selected(list.ListIndex())
{
    if (!m_history)
        return;
    m_replaced.reserve(count);
    for (int i = first; i < first + count; ++i)
        m_replaced.append(list.item(i)->text());
}

ListChange::~ListChange()
{
    if (!m_history)
        return;
    const int inserted = m_list.ListCount() - (m_countBefore - int(m_replaced.size()));
    bool same = inserted == m_replaced.size();
    for (int i = 0; same && i < inserted; ++i)
        same = m_list.item(m_first + i)->text() == m_replaced.at(i);
    if (same)
        return;
    // Out of memory the change stands, but no longer all that came before it
    // can be taken back.
    try {
        m_history->m_steps.append({m_first, std::move(m_replaced), inserted, m_extent, m_selected});
        emit m_history->changed();
    } catch (...) {
        m_history->clear();
    }
}
