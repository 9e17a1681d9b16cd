#pragma once

#include <QList>
#include <QStringList>

/// Orders for the entries of the file list: each gives, for every place in
/// the new order, the index the entry has now. Entries that the order finds
/// equal keep the order they had.
namespace EntryOrder {

/// By the whole path in natural order ("part2" before "part10"), as the files
/// of a dropped folder are listed, without regard to letter case.
QList<int> byName(const QStringList &entries);

/// By the time each file was last modified, oldest first; entries that name
/// no file that can be found come last.
QList<int> byDateModified(const QStringList &entries);

/// Last entry first.
QList<int> reversed(qsizetype count);

} // namespace EntryOrder
