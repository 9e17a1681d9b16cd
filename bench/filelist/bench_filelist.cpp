// Adds one batch of entries to the file list the way the Add button does and
// prints how long the appends and the measurement of the list took; then how
// long each of the list's commands and its undoing take on that many entries.
//   usage: bench_filelist [ENTRIES]      (100000 by default; runs offscreen)
#include "commondialog.h"
#include "filedialogs.h"
#include "filelistcommands.h"
#include "filelist.h"
#include "form.h"
#include "listbox.h"
#include "listhistory.h"

#include <QAction>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>

namespace {

class ScriptedDialogs final : public FileDialogs
{
public:
    QStringList chosen;
    QStringList run(const FileDialogRequest &) override { return chosen; }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;

    ScriptedDialogs dialogs;
    FileDialogs::Override use(dialogs);
    // One folder, as an open dialog returns its files.
    for (int i = 0; i < count; ++i)
        dialogs.chosen << QStringLiteral("/home/user/exports/2024/daily readings, part %1 of the series.csv").arg(i);

    Form window;
    window.resize(545, 155);
    auto *list = new ListBox(&window);
    list->setGeometry(8, 8, 393, 139);
    list->setFont(QFont(QStringLiteral("Arial"), 9));
    CommonDialog dialog(&window);
    auto *commands = new FileListCommands(*list);
    window.show();

    QElapsedTimer timer;
    timer.start();
    FileList::Add(window, dialog, *list);
    const qint64 added = timer.elapsed();
    QCoreApplication::processEvents(); // the view lays out the new entries
    const qint64 shown = timer.elapsed();

    std::printf("%d entries: added and measured in %lld ms, laid out by %lld ms; extent %d px, list holds %d\n",
                count, static_cast<long long>(added), static_cast<long long>(shown), list->horizontalExtent(),
                list->ListCount());

    const auto run = [&](const char *what, const std::function<void()> &work) {
        timer.restart();
        work();
        QCoreApplication::processEvents();
        std::printf("  %-36s %5lld ms, list holds %d\n", what, static_cast<long long>(timer.elapsed()),
                    list->ListCount());
    };
    const auto command = [&](const QString &name) {
        for (QAction *action : list->actions()) {
            if (action->text().remove(u'&') == name)
                action->trigger();
        }
    };
    list->setListIndex(count / 2);
    run("Reverse Order", [&] { command(QStringLiteral("Reverse Order")); });
    run("Sort by Name", [&] { command(QStringLiteral("Sort by Name")); });
    run("Remove, in the middle", [&] { command(QStringLiteral("Remove")); });
    run("Clear List", [&] { command(QStringLiteral("Clear List")); });
    for (const char *undone : {"Undo the clearing", "Undo the removal", "Undo the sorting", "Undo the reversal"})
        run(undone, [&] { commands->history().undo(); });
    run("Undo the Add", [&] { commands->history().undo(); });
    return list->ListCount() == 0 ? 0 : 1;
}
