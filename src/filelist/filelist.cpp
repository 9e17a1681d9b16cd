#include "filelist.h"

#include "commondialog.h"
#include "filelistediting.h"
#include "form.h"
#include "horizontallist1.h"
#include "listbox.h"
#include "listhistory.h"

#include <QDir>

namespace FileList {

void Add(Form &window, CommonDialog &dialog, ListBox &list)
{
    dialog.setFlags(0x280201); // long names, explorer style, several files, read-only box ticked
    dialog.setDialogTitle(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
    dialog.setFilter(QStringLiteral("All Files (*.*)|*.*|"));
    // Cleared so that a cancelled dialog reads back as empty.
    dialog.setFileName(QString());
    dialog.ShowOpen();

    const QStringList entries = entriesFromSelection(dialog.FileName());
    if (!entries.isEmpty())
        append(window, list, entries);
}

void RemoveSelected(ListBox &list)
{
    const int index = list.ListIndex();
    if (index < 0)
        return;
    const ListChange change(list, index, 1);
    list.RemoveItem(index);
}

void removeAndSelectNext(ListBox &list)
{
    const int index = list.ListIndex();
    RemoveSelected(list);
    if (index >= 0)
        list.setListIndex(qMin(index, list.ListCount() - 1));
}

QStringList entriesFromSelection(const QString &selection)
{
    if (selection.isEmpty())
        return {};
    const QStringList parts = selection.split(QChar(0));
    if (parts.size() == 1)
        return parts;

    // The separator goes in even when the folder already ends in one, as a
    // root folder does.
    const QString folder = parts.constFirst() + QDir::separator();
    QStringList entries;
    entries.reserve(parts.size() - 1);
    for (qsizetype i = 1; i < parts.size(); ++i)
        entries.append(folder + parts.at(i));
    return entries;
}

void append(Form &window, ListBox &list, const QStringList &entries)
{
    const ListChange change(list, list.ListCount(), 0);
    for (const QString &entry : entries)
        list.AddItem(entry);
    HorizontalList1::SetHorizontalExtent(window, list);
    // The new entries may lie below the rows in view; the user sees the last.
    list.scrollToItem(list.item(list.count() - 1));
}

void insert(Form &window, ListBox &list, int before, const QStringList &entries)
{
    const ListChange change(list, before, 0);
    list.insertItems(before, entries);
    HorizontalList1::SetHorizontalExtent(window, list);
}

void enableDirectEditing(Form &window, ListBox &list)
{
    new FileListEditing(window, list);
}

} // namespace FileList
