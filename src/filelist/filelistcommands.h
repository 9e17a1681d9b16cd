#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class ListBox;
class ListHistory;
class QAction;
class QKeySequence;
class QMenu;

/// The commands of the file list: sort by name or by date, reverse, remove,
/// clear and undo. They stand on the list's context menu, which a right-click,
/// the menu key or Shift+F10 opens, and each also has a key of its own, which
/// the menu shows. A command that cannot apply is disabled.
class FileListCommands : public QObject
{
    Q_OBJECT

public:
    /// Runs a command, telling the user of whatever goes wrong in it.
    using Runner = std::function<void(const std::function<void()> &command)>;

    explicit FileListCommands(ListBox &list, Runner run = [](const std::function<void()> &command) { command(); });

    ListHistory &history() { return *m_history; }
    /// The keys that reach the commands, in words, for a screen reader.
    QString keysDescription() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void updateActions();

private:
    QAction *addCommand(const QString &text, const QKeySequence &key, void (FileListCommands::*command)());
    void showMenu(QPoint globalPosition);
    QPoint keyboardMenuPosition() const;

    void sortByName();
    void sortByDateModified();
    void reverseOrder();
    void remove();
    void clearList();
    void undo();
    void reorder(const QList<int> &order);

    ListBox *m_list;
    Runner m_run;
    ListHistory *m_history;
    QMenu *m_menu;
    QList<QAction *> m_reorders;
    QAction *m_remove;
    QAction *m_clear;
    QAction *m_undo;
};
