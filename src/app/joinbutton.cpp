#include "joinbutton.h"

#include "commondialog.h"
#include "form.h"
#include "joinengine.h"
#include "listbox.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <memory>

namespace {

// A join that ends sooner shows nothing at all.
constexpr int ProgressDelayMs = 500;
constexpr int ProgressSteps = 1000;
constexpr int ProgressPollMs = 100;

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinButton", text);
}

// What the joining thread and the progress dialog share.
struct Progress
{
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancel{false};
};

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// While a join runs, no click, key, wheel or drop reaches the window or its
// controls, whereas repainting, its close box and the progress dialog, a
// window of its own, go on working.
class InputBlocker final : public QObject
{
public:
    explicit InputBlocker(QWidget &window) : m_window(window) { QCoreApplication::instance()->installEventFilter(this); }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!isUserInput(event->type()))
            return false;
        // A shortcut goes to its QShortcut or QAction, whose parent is the widget.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget == nullptr)
            widget = qobject_cast<QWidget *>(watched->parent());
        return widget != nullptr && widget->window() == &m_window;
    }

private:
    QWidget &m_window;
};

// After Cancel the dialog stays, saying so, until the join has ended.
std::unique_ptr<QProgressDialog> showProgress(Form &window, const std::shared_ptr<Progress> &state)
{
    auto progress = std::make_unique<QProgressDialog>(tr("Joining files..."), tr("Cancel"), 0, ProgressSteps, &window);
    QProgressDialog *dialog = progress.get();
    dialog->setWindowTitle(window.windowTitle());
    // A screen reader names the bar by what the dialog says, which Qt leaves unnamed.
    auto *bar = dialog->findChild<QProgressBar *>();
    const auto tell = [dialog, bar](const QString &text) {
        dialog->setLabelText(text);
        if (bar)
            bar->setAccessibleName(text);
    };
    tell(dialog->labelText());
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    // Its own Cancel would hide it at once; Qt makes that connection by name.
    QObject::disconnect(dialog, SIGNAL(canceled()), dialog, SLOT(cancel()));
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [dialog, state, tell] {
        state->cancel = true;
        tell(tr("Cancelling..."));
        if (auto *button = dialog->findChild<QPushButton *>())
            button->setEnabled(false);
    });

    auto *poll = new QTimer(dialog);
    QObject::connect(poll, &QTimer::timeout, dialog, [dialog, state, tell] {
        const qint64 total = state->total;
        const qint64 done = state->done;
        if (total > 0)
            dialog->setValue(int(qMin(done, total) * ProgressSteps / total));
        // Everything is read; the output is still being written to the disk.
        if (total > 0 && done >= total && !state->cancel && dialog->labelText() != tr("Saving..."))
            tell(tr("Saving..."));
    });
    poll->start(ProgressPollMs);
    dialog->show();
    return progress;
}

} // namespace

struct JoinButton::JoinState
{
    Progress progress;
    JoinResult result;
    bool quiet = false; ///< stopped by stop(): nothing to tell
};

JoinButton::JoinButton(Form &window, CommonDialog &dialog, ListBox &list)
    : m_window(window), m_dialog(dialog), m_list(list)
{
}

JoinButton::~JoinButton() = default;

// Runs the join on a thread of its own and waits for it, repainting but taking
// no input, so the window never looks hung.
std::shared_ptr<JoinButton::JoinState> JoinButton::runJoin(const QStringList &inputs, const QString &output)
{
    auto state = std::make_shared<JoinState>();
    m_running = state;
    const auto notRunning = qScopeGuard([this] { m_running.reset(); });
    const InputBlocker blocker(m_window);
    const std::shared_ptr<Progress> progressOf(state, &state->progress);

    std::unique_ptr<QThread> worker(QThread::create([state, inputs, output] {
        JoinControl control;
        control.progress = [state](qint64 done, qint64 total) {
            state->progress.done = done;
            state->progress.total = total;
        };
        control.cancel = &state->progress.cancel;
        state->result = joinFiles(inputs, output, control);
    }));

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    std::unique_ptr<QProgressDialog> progress;
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, [&] { progress = showProgress(m_window, progressOf); });
    worker->start();
    delay.start(ProgressDelayMs);
    loop.exec();

    // The loop ends early only where the program is ending: the join stops,
    // leaving the output as it was.
    if (worker->isRunning()) {
        state->progress.cancel = true;
        worker->wait();
    }
    return state;
}

bool JoinButton::join()
{
    if (m_running)
        return true;
    if (m_list.ListCount() == 0) {
        MsgBox(&m_window, QStringLiteral("Add files first."));
        return true;
    }

    m_dialog.setDialogTitle(QStringLiteral("Save  As"));
    m_dialog.setFileName(QString());
    m_dialog.ShowSave();
    const QString output = m_dialog.FileName();
    if (output.isEmpty())
        return true;

    QStringList inputs;
    const int count = m_list.ListCount();
    inputs.reserve(count);
    for (int i = 0; i < count; ++i)
        inputs.append(m_list.List(i));

#ifdef SIGXFSZ
    // A write beyond the file-size limit then fails, and is told, instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const std::shared_ptr<JoinState> state = runJoin(inputs, output);
    if (state->quiet)
        return false;
    const JoinResult &result = state->result;
    switch (result.status) {
    case JoinResult::Status::Success:
        MsgBox(&m_window, QStringLiteral("File(s) created: ") + QDir::toNativeSeparators(output));
        break;
    case JoinResult::Status::Failed:
        if (result.failedInput >= 0)
            m_list.setListIndex(int(result.failedInput));
        MsgBox(&m_window, result.errorMessage);
        // Ready for the entry to be removed or moved.
        if (result.failedInput >= 0)
            m_list.setFocus();
        break;
    case JoinResult::Status::Cancelled:
        break;
    }
    return true;
}

bool JoinButton::stop()
{
    if (!m_running)
        return false;
    m_running->quiet = true;
    m_running->progress.cancel = true;
    return true;
}
