#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class CommonDialog;
class Form;
class ListBox;

/// The Join button's work, and the join it has under way.
class JoinButton
{
public:
    JoinButton(Form &window, CommonDialog &dialog, ListBox &list);
    ~JoinButton();
    JoinButton(const JoinButton &) = delete;
    JoinButton &operator=(const JoinButton &) = delete;

    /// Asks for the output file, joins every listed file into it and says so,
    /// or says what failed and gives the list the focus with the entry it
    /// names selected. The join runs on a thread of its own: the window keeps
    /// repainting but takes no input until the join has ended. One that takes
    /// longer than half a second shows its progress and can be cancelled.
    /// Does nothing while a join runs. False when stop() ended the join.
    bool join();

    /// Asks the join under way to stop, telling nothing when it has: for a
    /// window that closes. The join ends within a fraction of a second, its
    /// output as it was, and join() returns false. False when no join runs.
    bool stop();

private:
    struct JoinState;

    std::shared_ptr<JoinState> runJoin(const QStringList &inputs, const QString &output);

    Form &m_window;
    CommonDialog &m_dialog;
    ListBox &m_list;
    std::shared_ptr<JoinState> m_running;
};
