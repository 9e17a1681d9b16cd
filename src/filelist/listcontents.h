#pragma once

#include <QStringList>

class ListBox;

namespace FileList {

/// The texts of every entry, in order.
QStringList entries(const ListBox &list);

/// Puts @p entries in place of every entry in one go, selects the one at
/// @p selected (none for -1) and keeps it in view; with none selected the
/// list stays scrolled where it was. The extent is left as it stands.
void setEntries(ListBox &list, const QStringList &entries, int selected);

} // namespace FileList
