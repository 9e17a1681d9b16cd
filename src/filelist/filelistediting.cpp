#include "filelistediting.h"

#include "filelist.h"
#include "form.h"
#include "listbox.h"

#include <QCollator>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

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
    QCollator natural;
    natural.setNumericMode(true);
    natural.setCaseSensitivity(Qt::CaseInsensitive);

    QStringList files;
    for (const QString &path : droppedPaths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            files.append(QDir::toNativeSeparators(path));
            continue;
        }
        const QDir folder(path);
        QStringList names = folder.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
        std::sort(names.begin(), names.end(), [&natural](const QString &a, const QString &b) {
            const int order = natural.compare(a, b);
            return order != 0 ? order < 0 : a < b;
        });
        for (const QString &name : std::as_const(names))
            files.append(QDir::toNativeSeparators(folder.filePath(name)));
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
        // Moves within the list are the list's own business.
        if (drag->source() == m_list || droppedFiles(drag->mimeData()).isEmpty())
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (drop->source() == m_list)
            return false;
        const QStringList files = filesToAdd(droppedFiles(drop->mimeData()));
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (!files.isEmpty())
            FileList::append(*m_window, *m_list, files);
        return true;
    }
    case QEvent::KeyPress:
        return watched == m_list && handleKey(static_cast<QKeyEvent *>(event));
    default:
        return false;
    }
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
