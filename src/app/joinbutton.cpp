#include "joinbutton.h"

#include "commondialog.h"
#include "form.h"
#include "joinengine.h"
#include "listbox.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

// A join that ends sooner shows nothing at all.
constexpr int ProgressDelayMs = 500;
constexpr int ProgressSteps = 1000;

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinButton", text);
}

// What the joining thread and the window share.
struct JoinState
{
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancel{false};
    JoinResult result;
};

// Runs the join on a thread of its own and waits for it, taking no user
// input but repainting, so the window never looks hung. After half a second a
// progress dialog offers Cancel.
JoinResult runJoin(Form &window, const QStringList &inputs, const QString &output)
{
    auto state = std::make_shared<JoinState>();
    std::unique_ptr<QThread> worker(QThread::create([state, inputs, output] {
        JoinControl control;
        control.progress = [state](qint64 done, qint64 total) {
            state->done = done;
            state->total = total;
        };
        control.cancel = &state->cancel;
        state->result = joinFiles(inputs, output, control);
    }));

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
    worker->start();
    delay.start(ProgressDelayMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (worker->isRunning() && !delay.isActive()) {
        QProgressDialog progress(tr("Joining files..."), tr("Cancel"), 0, ProgressSteps, &window);
        progress.setWindowTitle(window.windowTitle());
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);

        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &progress, [&progress, state] {
            const qint64 total = state->total;
            const qint64 done = state->done;
            if (total > 0)
                progress.setValue(int(qMin(done, total) * ProgressSteps / total));
            // Everything is read; the output is still being written to the disk.
            if (total > 0 && done >= total && progress.labelText() != tr("Saving..."))
                progress.setLabelText(tr("Saving..."));
        });
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, [state] { state->cancel = true; });
        poll.start(100);
        progress.show();
        if (worker->isRunning())
            loop.exec();
    }

    // The program may be ending with the join still under way: it stops, and
    // leaves the output as it was.
    if (worker->isRunning()) {
        state->cancel = true;
        worker->wait();
    }
    return state->result;
}

} // namespace

namespace JoinButton {

void join(Form &window, CommonDialog &dialog, ListBox &list)
{
    if (list.ListCount() == 0) {
        MsgBox(&window, QStringLiteral("Add files first."));
        return;
    }

    dialog.setDialogTitle(QStringLiteral("Save  As"));
    dialog.setFileName(QString());
    dialog.ShowSave();
    const QString output = dialog.FileName();
    if (output.isEmpty())
        return;

    QStringList inputs;
    const int count = list.ListCount();
    inputs.reserve(count);
    for (int i = 0; i < count; ++i)
        inputs.append(list.List(i));

    const JoinResult result = runJoin(window, inputs, output);
    switch (result.status) {
    case JoinResult::Status::Success:
        MsgBox(&window, QStringLiteral("File(s) created: ") + QDir::toNativeSeparators(output));
        break;
    case JoinResult::Status::Failed:
        MsgBox(&window, result.errorMessage);
        break;
    case JoinResult::Status::Cancelled:
        break;
    }
}

} // namespace JoinButton
