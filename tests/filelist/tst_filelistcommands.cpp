#include "dropevents.h"
#include "dropline.h"
#include "filelist.h"
#include "form1fixture.h"
#include "listentries.h"
#include "recordingwindowsystem.h"
#include "windowmessages.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

namespace {

// The window as the user has it, with text 7 pixels a character wide and a
// scroll bar 17 wide, and files named in a test folder. A name with "-N" in
// it was modified N hours after the others; one starting "missing" is none.
struct Fixture : Form1Fixture
{
    RecordingWindowSystem windowSystem;
    WindowSystem::Override useWindowSystem{windowSystem};
    TestFolder dir;

    // The list takes the extent it is sent.
    Fixture()
    {
        windowSystem.answers.SendMessageA = [](winapi::HWND hWnd, std::uint32_t message, winapi::WPARAM w, winapi::LPARAM l) {
            return WindowMessages::deliver(hWnd, message, w, l).value_or(0);
        };
    }

    QStringList paths(const QStringList &names)
    {
        QStringList result;
        for (const QString &name : names) {
            result << QDir::toNativeSeparators(dir.path(name));
            if (!name.startsWith(u"missing") && !QFile::exists(result.last()))
                write(name);
        }
        return result;
    }

    void write(const QString &name)
    {
        QFile file(dir.write(name));
        const int hours = QRegularExpression("-(\\d+)").match(name).captured(1).toInt();
        const QDateTime time = QDateTime::currentDateTime().addDays(-1).addSecs(3600 * hours);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
    }

    int measuredExtent(const QStringList &entries)
    {
        qsizetype widest = 0;
        for (const QString &entry : entries)
            widest = qMax(widest, entry.size());
        return entries.isEmpty() ? 0 : 7 * int(widest) + 17;
    }

    void start()
    {
        form.load();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        list()->setFocus();
    }

    QMenu *openMenu()
    {
        QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }

    // A command as the user gives it: its key, or "menu" and its name, or
    // "add", "drop", "double click" with what and where.
    void run(const QString &command)
    {
        QStringList words = command.split(u' ');
        if (words.first() == u"add") {
            dialogs.answers << paths(words.mid(1));
            QTest::mouseClick(add(), Qt::LeftButton);
        } else if (words.first() == u"drop") {
            const int row = words.at(1).toInt();
            const QPoint at = row < list()->ListCount() ? list()->visualItemRect(list()->item(row)).center()
                                                        : list()->viewport()->rect().bottomLeft() + QPoint(10, -2);
            QMimeData data;
            setFiles(data, paths(words.mid(2)));
            dropOn(list()->viewport(), &data, at, Qt::CopyAction, [&] { checkDropLine(row); });
            QVERIFY(!list()->findChild<DropLine *>()->isVisible());
        } else if (command.startsWith(u"double click")) {
            const QRect entry = list()->visualItemRect(list()->item(words.last().toInt()));
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, entry.center());
        } else if (words.first() == u"menu") {
            QMenu *menu = openMenu();
            QVERIFY(menu);
            const QString name = command.mid(5);
            for (int i = 0; i < 10 && (!menu->activeAction() || menu->activeAction()->text().remove(u'&') != name); ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keySequence(list(), QKeySequence::fromString(command));
        }
    }

    void checkDropLine(int row)
    {
        const DropLine *line = list()->findChild<DropLine *>();
        QVERIFY(line && line->isVisible());
        const QRect entry = list()->visualItemRect(list()->item(qMin(row, list()->ListCount() - 1)));
        const int boundary = row < list()->ListCount() ? entry.top() : entry.bottom() + 1;
        QVERIFY2(qAbs(line->geometry().center().y() - boundary) <= 1, qPrintable(QString::number(line->y())));
    }
};

} // namespace

class tst_FileListCommands : public QObject
{
    Q_OBJECT

private slots:
    void commandAndUndo_data();
    void commandAndUndo();
    void undoGoesBackStepByStepToTheStart();
    void menuOffersWhatApplies_data();
    void menuOffersWhatApplies();
};

void tst_FileListCommands::commandAndUndo_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<bool>("measured");
    QTest::addColumn<QStringList>("restored");

    const QStringList abc{"a", "b", "c"};
    const QStringList none;
    QTest::addRow("sort by name: natural, any case, whole path")
        << QStringList{"part10", "Part2", "z/part1", "part1"} << 0 << "Ctrl+Shift+N"
        << QStringList{"part1", "Part2", "part10", "z/part1"} << 2 << false << QStringList{"part10", "Part2", "z/part1", "part1"};
    QTest::addRow("sort by name from the menu") << QStringList{"b", "a"} << -1 << "menu Sort by Name" << QStringList{"a", "b"}
                                                << -1 << false << QStringList{"b", "a"};
    // Nothing changed, nothing to undo: Undo takes back the list's filling.
    QTest::addRow("sort of a sorted list") << QStringList{"a", "b"} << -1 << "Ctrl+Shift+N" << QStringList{"a", "b"} << -1
                                           << false << none;
    QTest::addRow("sort by date: oldest first, missing last")
        << QStringList{"c-2", "missing", "a-3", "b-1"} << 1 << "Ctrl+Shift+D" << QStringList{"b-1", "c-2", "a-3", "missing"}
        << 3 << false << QStringList{"c-2", "missing", "a-3", "b-1"};
    QTest::addRow("reverse") << abc << 0 << "Ctrl+Shift+R" << QStringList{"c", "b", "a"} << 2 << false << abc;
    QTest::addRow("remove") << abc << 1 << "Del" << QStringList{"a", "c"} << 1 << false << abc;
    QTest::addRow("remove from the menu") << abc << 2 << "menu Remove" << QStringList{"a", "b"} << 1 << false << abc;
    QTest::addRow("remove with none selected") << abc << -1 << "Del" << abc << -1 << false << none;
    QTest::addRow("double click") << abc << 1 << "double click 1" << QStringList{"a", "c"} << -1 << false << abc;
    QTest::addRow("clear, extent kept") << abc << 0 << "Ctrl+Shift+Del" << none << -1 << false << abc;
    QTest::addRow("clear from the menu") << abc << -1 << "menu Clear List" << none << -1 << false << abc;
    QTest::addRow("move") << abc << 2 << "Ctrl+Up" << QStringList{"a", "c", "b"} << 1 << false << abc;
    QTest::addRow("add, extent grows") << QStringList{"a"} << 0 << "add a-much-wider-name" << QStringList{"a", "a-much-wider-name"}
                                       << 0 << true << QStringList{"a"};
    QTest::addRow("drop onto an entry") << abc << 2 << "drop 1 x y" << QStringList{"a", "x", "y", "b", "c"} << 4 << true << abc;
    QTest::addRow("drop onto the first") << abc << -1 << "drop 0 x" << QStringList{"x", "a", "b", "c"} << -1 << true << abc;
    QTest::addRow("drop below the last") << abc << -1 << "drop 3 x" << QStringList{"a", "b", "c", "x"} << -1 << true << abc;
}

// A command changes the list as it says, measures it only when it adds, and
// Ctrl+Z puts back the entries, the extent and the selection from before.
void tst_FileListCommands::commandAndUndo()
{
    QFETCH(QStringList, before);
    QFETCH(int, selected);
    QFETCH(QString, command);
    QFETCH(QStringList, after);
    QFETCH(int, selectedAfter);
    QFETCH(bool, measured);
    QFETCH(QStringList, restored);

    Fixture f;
    f.start();
    FileList::append(f.form, *f.list(), f.paths(before));
    f.list()->setListIndex(selected);
    const int extent = f.list()->horizontalExtent();
    QCOMPARE(extent, f.measuredExtent(f.paths(before)));
    f.windowSystem.calls.clear();

    f.run(command);
    QCOMPARE(entriesOf(*f.list()), f.paths(after));
    QCOMPARE(f.list()->ListIndex(), selectedAfter);
    QCOMPARE(f.list()->horizontalExtent(), measured ? f.measuredExtent(f.paths(after)) : extent);
    QCOMPARE(f.windowSystem.callsOf("SendMessageA").size(), measured ? 1 : 0);

    f.run("Ctrl+Z");
    QCOMPARE(entriesOf(*f.list()), f.paths(restored));
    QCOMPARE(f.list()->horizontalExtent(), restored == before ? extent : 0);
    QCOMPARE(f.list()->ListIndex(), restored == before ? selected : -1);
    QVERIFY(f.messages.prompts.isEmpty());
}

void tst_FileListCommands::undoGoesBackStepByStepToTheStart()
{
    Fixture f;
    f.form.openFiles(f.paths({"start"}));
    f.start();
    QList<QStringList> states{entriesOf(*f.list())};
    for (const char *command : {"add b", "drop 0 c", "Ctrl+Shift+R", "Ctrl+Shift+N", "Ctrl+Shift+Del"}) {
        f.run(command);
        states << entriesOf(*f.list());
    }
    QCOMPARE(states.last(), QStringList());
    while (!states.isEmpty()) {
        QCOMPARE(entriesOf(*f.list()), states.takeLast());
        f.run("Ctrl+Z");
    }
    QCOMPARE(entriesOf(*f.list()), f.paths({"start"}));
}

void tst_FileListCommands::menuOffersWhatApplies_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QStringList>("commands");

    // Disabled ones in brackets.
    QTest::addRow("empty list, menu key") << QStringList() << -1 << "menu key"
                                          << QStringList{"[Sort by Name Ctrl+Shift+N]", "[Sort by Date Modified Ctrl+Shift+D]",
                                                         "[Reverse Order Ctrl+Shift+R]", "[Remove Del]",
                                                         "[Clear List Ctrl+Shift+Del]", "[Undo Ctrl+Z]"};
    QTest::addRow("one entry, Shift+F10") << QStringList{"a"} << -1 << "Shift+F10"
                                          << QStringList{"[Sort by Name Ctrl+Shift+N]", "[Sort by Date Modified Ctrl+Shift+D]",
                                                         "[Reverse Order Ctrl+Shift+R]", "[Remove Del]",
                                                         "Clear List Ctrl+Shift+Del", "Undo Ctrl+Z"};
    QTest::addRow("right click on an entry") << QStringList{"a", "b"} << -1 << "right click"
                                             << QStringList{"Sort by Name Ctrl+Shift+N", "Sort by Date Modified Ctrl+Shift+D",
                                                            "Reverse Order Ctrl+Shift+R", "Remove Del",
                                                            "Clear List Ctrl+Shift+Del", "Undo Ctrl+Z"};
}

// What a screen reader is told of the menu: its name, and each command's
// name, key and whether it can be chosen, in order.
void tst_FileListCommands::menuOffersWhatApplies()
{
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(QString, opener);
    QFETCH(QStringList, commands);

    Fixture f;
    f.start();
    if (!entries.isEmpty())
        FileList::append(f.form, *f.list(), f.paths(entries));
    f.list()->setListIndex(selected);
    if (opener == u"right click") {
        const QPoint at = f.list()->visualItemRect(f.list()->item(1)).center();
        QTest::mousePress(f.list()->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, f.list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.list()->viewport(), &request);
    } else {
        QTest::keySequence(f.list(), QKeySequence(opener == u"menu key" ? "Menu" : "Shift+F10"));
    }
    QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(menu);
    QCOMPARE(accessible->text(QAccessible::Name), QString("List commands"));
    QStringList told;
    for (int i = 0; i < accessible->childCount(); ++i) {
        const QAccessibleInterface *item = accessible->child(i);
        if (item->role() == QAccessible::Separator)
            continue;
        const QString text = item->text(QAccessible::Name) + u' ' + item->text(QAccessible::Accelerator);
        told << (item->state().disabled ? u'[' + text + u']' : text);
    }
    QCOMPARE(told, commands);
    menu->close();
}

QTEST_MAIN(tst_FileListCommands)
#include "tst_filelistcommands.moc"
