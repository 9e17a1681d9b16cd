#include "filelistediting.h"

#include "filelist.h"
#include "folderfiles.h"
#include "form.h"
#include "listbox.h"
#include "messagebox.h"
#include "runtimeerror.h"

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

} // namespace

FileListEditing::FileListEditing(Form &window, ListBox &list) : QObject(&list), m_window(&window), m_list(&list)
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
        // The list draws the drop marker for its own entries.
        const Qt::DropAction action = fileDropAction(*drag);
        if (isEntryDrag(*drag) || action == Qt::IgnoreAction)
            return false;
        drag->setDropAction(action);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (isEntryDrag(*drop)) {
            dropSelectedEntry(drop->position().toPoint());
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
        const QStringList files = filesToAdd(droppedFiles(drop->mimeData()));
        // Nothing may escape into the event loop: the user is told instead.
        try {
            if (!files.isEmpty())
                FileList::append(*m_window, *m_list, files);
        } catch (const RuntimeError &error) {
            MsgBox(m_window, tr("The files could not be added.") + QStringLiteral("\n\n") + error.description());
        }
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

// The entry goes before the one it is dropped on, or after it when dropped on
// its lower half; below the last entry it goes to the end.
void FileListEditing::dropSelectedEntry(QPoint position)
{
    const int from = m_list->ListIndex();
    const QModelIndex index = m_list->indexAt(position);
    int before = m_list->count();
    if (index.isValid())
        before = position.y() > m_list->visualRect(index).center().y() ? index.row() + 1 : index.row();
    moveEntry(from, before > from ? before - 1 : before);
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
        if (index < 0)
            return true;
        FileList::RemoveSelected(*m_list);
        // The next entry moves up into the place, ready for another Delete.
        m_list->setListIndex(qMin(index, m_list->count() - 1));
        return true;
    }
    return false;
}
