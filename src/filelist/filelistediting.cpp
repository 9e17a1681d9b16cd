#include "filelistediting.h"

#include "errorreport.h"
#include "filelist.h"
#include "folderfiles.h"
#include "form.h"
#include "listbox.h"
#include "listhistory.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList droppedFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

// Where a drag event is, in the list's viewport: one over a scroll bar comes
// to the list itself.
QPoint viewportPoint(const ListBox &list, const QObject *watched, QPointF position)
{
    const QPoint point = position.toPoint();
    return watched == &list ? list.viewport()->mapFrom(&list, point) : point;
}

} // namespace

FileListEditing::FileListEditing(Form &window, ListBox &list)
    : QObject(&list), m_window(&window), m_list(&list)
{
    list.setDragDropMode(QAbstractItemView::InternalMove);
    list.setDefaultDropAction(Qt::MoveAction);
    list.setAcceptDrops(true);
    list.installEventFilter(this);
    list.viewport()->installEventFilter(this);
}

QStringList FileListEditing::filesToAdd(const QStringList &droppedPaths)
{
    QStringList files;
    for (const QString &path : droppedPaths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            files.append(QDir::toNativeSeparators(path));
            continue;
        }
        for (const QString &file : folderFiles(path))
            files.append(QDir::toNativeSeparators(file));
    }
    return files;
}

void FileListEditing::moveEntry(int from, int to)
{
    if (from < 0 || from >= m_list->count() || to < 0 || to >= m_list->count() || from == to)
        return;
    const ListChange change(*m_list, qMin(from, to), qAbs(from - to) + 1);
    QListWidgetItem *item = m_list->takeItem(from);
    m_list->insertItem(to, item);
    m_list->setListIndex(to);
}

bool FileListEditing::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        const QPoint at = viewportPoint(*m_list, watched, drag->position());
        // The view takes a drag of its own entries on, scrolling near the edges.
        if (isEntryDrag(*drag)) {
            m_list->setDropLine(m_list->dropRow(at));
            return false;
        }
        const Qt::DropAction action = fileDropAction(*drag);
        if (action == Qt::IgnoreAction) {
            m_list->setDropLine(-1);
            return false;
        }
        m_list->setDropLine(fileDropRow(at));
        drag->setDropAction(action);
        drag->accept();
        return true;
    }
    case QEvent::DragLeave:
        m_list->setDropLine(-1);
        return false;
    case QEvent::Drop: {
        m_list->setDropLine(-1);
        auto *drop = static_cast<QDropEvent *>(event);
        const QPoint at = viewportPoint(*m_list, watched, drop->position());
        if (isEntryDrag(*drop)) {
            dropSelectedEntry(at);
            // The entry stands in its new place already. Told of a move, the
            // view would now remove the dragged row at its old place as well.
            drop->setDropAction(Qt::IgnoreAction);
            drop->accept();
            return true;
        }
        const Qt::DropAction action = fileDropAction(*drop);
        if (action == Qt::IgnoreAction) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(action);
        drop->accept();
        // Nothing may escape into the event loop: the user is told instead.
        runReportingErrors(m_window, tr("The files could not be added."), [&] {
            const QStringList files = filesToAdd(droppedFiles(drop->mimeData()));
            if (!files.isEmpty())
                FileList::insert(*m_window, *m_list, fileDropRow(at), files);
        });
        return true;
    }
    case QEvent::KeyPress:
        return watched == m_list && handleKey(static_cast<QKeyEvent *>(event));
    default:
        return false;
    }
}

bool FileListEditing::isEntryDrag(const QDropEvent &event) const
{
    const QMimeData *data = event.mimeData();
    return event.source() == m_list && data && !data->hasUrls()
            && data->hasFormat(m_list->model()->mimeTypes().value(0));
}

// Dropped files stay where they are: the list takes a copy of their names, or
// a link where that is all the source offers. A move would let the source,
// a file manager, delete the files once they were listed.
Qt::DropAction FileListEditing::fileDropAction(const QDropEvent &event)
{
    if (droppedFiles(event.mimeData()).isEmpty())
        return Qt::IgnoreAction;
    if (event.possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event.possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

void FileListEditing::dropSelectedEntry(QPoint position)
{
    const int from = m_list->ListIndex();
    const int before = m_list->dropRow(position);
    moveEntry(from, before > from ? before - 1 : before);
}

// Files go before the entry they are dropped on; below the last entry, at the end.
int FileListEditing::fileDropRow(QPoint position) const
{
    const QModelIndex index = m_list->indexAt(position);
    return index.isValid() ? index.row() : m_list->count();
}

bool FileListEditing::handleKey(QKeyEvent *event)
{
    const int index = m_list->ListIndex();
    const bool control = event->modifiers() == Qt::ControlModifier;
    if (control && event->key() == Qt::Key_Up) {
        moveEntry(index, index - 1);
        return true;
    }
    if (control && event->key() == Qt::Key_Down) {
        moveEntry(index, index + 1);
        return true;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        runReportingErrors(m_window, tr("The entry could not be removed."), [&] { FileList::removeAndSelectNext(*m_list); });
        return true;
    }
    return false;
}
