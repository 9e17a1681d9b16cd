#pragma once

#include <QStringList>

class CommonDialog;
class Form;
class ListBox;

/// The list of files to join: its entries are full paths, in the order they
/// were added, duplicates allowed, nothing checked or normalised.
namespace FileList {

/// Asks the open dialog for files and appends every file chosen. Cancel
/// changes nothing.
void Add(Form &window, CommonDialog &dialog, ListBox &list);

/// Removes the selected entry; with none selected, nothing.
void RemoveSelected(ListBox &list);
/// Removes the selected entry and selects the one that moves up into its
/// place, ready for another removal.
void removeAndSelectNext(ListBox &list);

/// The entries a dialog's selection string stands for: one full path as it
/// is, or the folder, a separator and each name. Empty for an empty string.
QStringList entriesFromSelection(const QString &selection);

/// Appends entries as one batch, measures the list once and scrolls the last
/// one into view; the selection stays as it was.
void append(Form &window, ListBox &list, const QStringList &entries);
/// Puts entries in before the entry at @p before as one batch and measures
/// the list once; at the number of entries, after the last.
void insert(Form &window, ListBox &list, int before, const QStringList &entries);

/// Lets the user edit the list directly: drop files or folders on it, drag
/// an entry to another place, move the selected one with Ctrl+Up and
/// Ctrl+Down, remove it with Delete.
void enableDirectEditing(Form &window, ListBox &list);

} // namespace FileList
