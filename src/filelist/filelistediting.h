#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>

class Form;
class ListBox;
class QDropEvent;
class QKeyEvent;

/// Direct editing of the file list: files and folders dropped from the
/// desktop go in as one batch where they are dropped, an entry can be
/// dragged to another place, Ctrl+Up and Ctrl+Down move the selected entry,
/// Delete removes it. A line shows where a drag will land.
class FileListEditing : public QObject
{
    Q_OBJECT

public:
    FileListEditing(Form &window, ListBox &list);

    /// The files that dropping these paths adds, in order: a file as it is; a
    /// folder's own files, not hidden ones and not those of its subfolders,
    /// in natural name order ("part2" before "part10").
    static QStringList filesToAdd(const QStringList &droppedPaths);

    /// Moves one entry to another place and keeps it selected.
    void moveEntry(int from, int to);
    /// Moves the selected entry to where it was dropped, a point of the
    /// list's viewport.
    void dropSelectedEntry(QPoint position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKey(QKeyEvent *event);
    int fileDropRow(QPoint position) const;
    bool isEntryDrag(const QDropEvent &event) const;
    static Qt::DropAction fileDropAction(const QDropEvent &event);

    Form *m_window;
    ListBox *m_list;
};
