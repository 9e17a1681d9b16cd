#include "filelistcommands.h"

#include "entryorder.h"
#include "filelist.h"
#include "listbox.h"
#include "listcontents.h"
#include "listhistory.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

FileListCommands::FileListCommands(ListBox &list, Runner run)
    : QObject(&list), m_list(&list), m_run(std::move(run)), m_history(new ListHistory(list)), m_menu(new QMenu(&list))
{
    m_menu->setAccessibleName(tr("List commands"));
    // The reorderings share Ctrl+Shift, each with the initial of its word.
    m_reorders << addCommand(tr("Sort by &Name"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), &FileListCommands::sortByName)
               << addCommand(tr("Sort by &Date Modified"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
                             &FileListCommands::sortByDateModified)
               << addCommand(tr("&Reverse Order"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                             &FileListCommands::reverseOrder);
    m_menu->addSeparator();
    m_remove = addCommand(tr("Re&move"), QKeySequence(Qt::Key_Delete), &FileListCommands::remove);
    m_clear = addCommand(tr("&Clear List"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete), &FileListCommands::clearList);
    m_menu->addSeparator();
    m_undo = addCommand(tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), &FileListCommands::undo);

    // Not on the model's reset: the model is reset as the list is destroyed.
    // The list's own resets are changes of its history.
    QAbstractItemModel *model = list.model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &FileListCommands::updateActions);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FileListCommands::updateActions);
    connect(&list, &QListWidget::itemSelectionChanged, this, &FileListCommands::updateActions);
    connect(m_history, &ListHistory::changed, this, &FileListCommands::updateActions);
    updateActions();

    list.installEventFilter(this);
    list.viewport()->installEventFilter(this);
}

QString FileListCommands::keysDescription() const
{
    QStringList commands;
    for (const QAction *action : m_menu->actions()) {
        if (!action->isSeparator())
            commands << QStringLiteral("%1, %2").arg(QString(action->text()).remove(u'&'),
                                          action->shortcut().toString(QKeySequence::NativeText));
    }
    return tr("Shift+F10 or the menu key opens the list's commands: %1.").arg(commands.join(QStringLiteral("; ")));
}

bool FileListCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == m_list) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier)
            || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            showMenu(keyboardMenuPosition());
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu) {
        const auto *request = static_cast<QContextMenuEvent *>(event);
        // Some window systems follow the menu key with a request of their own.
        if (!m_menu->isVisible())
            showMenu(request->reason() == QContextMenuEvent::Mouse ? request->globalPos() : keyboardMenuPosition());
        return true;
    }
    return false;
}

void FileListCommands::updateActions()
{
    const int count = m_list->ListCount();
    for (QAction *action : std::as_const(m_reorders))
        action->setEnabled(count >= 2);
    m_remove->setEnabled(m_list->ListIndex() >= 0);
    m_clear->setEnabled(count > 0);
    m_undo->setEnabled(m_history->canUndo());
}

QAction *FileListCommands::addCommand(const QString &text, const QKeySequence &key, void (FileListCommands::*command)())
{
    QAction *action = m_menu->addAction(text);
    action->setShortcut(key);
    // A chord works wherever the window has the keyboard, so that Undo
    // follows an Add at once; a plain key only where the list has it.
    action->setShortcutContext(key[0].keyboardModifiers() == Qt::NoModifier ? Qt::WidgetShortcut : Qt::WindowShortcut);
    m_list->addAction(action);
    connect(action, &QAction::triggered, this, [this, command] { m_run([this, command] { (this->*command)(); }); });
    return action;
}

void FileListCommands::showMenu(QPoint globalPosition)
{
    updateActions();
    m_menu->popup(globalPosition);
}

// Below the selected entry where it can be seen, else at the top of the list.
QPoint FileListCommands::keyboardMenuPosition() const
{
    QPoint at(0, 0);
    if (const int index = m_list->ListIndex(); index >= 0) {
        const QRect entry = m_list->visualItemRect(m_list->item(index));
        if (m_list->viewport()->rect().contains(entry.bottomLeft()))
            at = entry.bottomLeft();
    }
    return m_list->viewport()->mapToGlobal(at);
}

void FileListCommands::sortByName()
{
    reorder(EntryOrder::byName(FileList::entries(*m_list)));
}

void FileListCommands::sortByDateModified()
{
    reorder(EntryOrder::byDateModified(FileList::entries(*m_list)));
}

void FileListCommands::reverseOrder()
{
    reorder(EntryOrder::reversed(m_list->ListCount()));
}

void FileListCommands::remove()
{
    FileList::removeAndSelectNext(*m_list);
}

// No question first: Undo brings the entries back. The extent stays, as it
// does when the entries are removed one by one.
void FileListCommands::clearList()
{
    const ListChange change(*m_list, 0, m_list->ListCount());
    FileList::setEntries(*m_list, {}, -1);
}

void FileListCommands::undo()
{
    m_history->undo();
}

// The entries keep their widths, so the extent is not measured again; the
// selected entry stays selected in its new place.
void FileListCommands::reorder(const QList<int> &order)
{
    const QStringList entries = FileList::entries(*m_list);
    QStringList ordered;
    ordered.reserve(entries.size());
    for (const int index : order)
        ordered.append(entries.at(index));
    const int selected = m_list->ListIndex();
    const ListChange change(*m_list, 0, int(entries.size()));
    FileList::setEntries(*m_list, ordered, selected < 0 ? -1 : int(order.indexOf(selected)));
}
