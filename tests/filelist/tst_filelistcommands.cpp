#include "dropevents.h"
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
#include <QScrollBar>
#include <QTest>

namespace {

// The window shown, with text 7 pixels a character wide and a scroll bar 17
// wide, and files named in a test folder. A name with "-N" in it was modified
// N hours after the others; one starting "missing" is none.
struct Fixture : Form1Fixture
{
    RecordingWindowSystem windowSystem;
    WindowSystem::Override useWindowSystem{windowSystem};
    TestFolder dir;

    Fixture()
    {
        // The list takes the extent it is sent.
        windowSystem.answers.SendMessageA = [](winapi::HWND hWnd, std::uint32_t message, winapi::WPARAM w, winapi::LPARAM l) {
            return WindowMessages::deliver(hWnd, message, w, l).value_or(0);
        };
        form.load();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        list()->setFocus();
    }

    QStringList paths(const QStringList &names)
    {
        QStringList result;
        for (const QString &name : names) {
            result << QDir::toNativeSeparators(dir.path(name));
            if (name.startsWith(u"missing") || QFile::exists(result.last()))
                continue;
            QFile file(dir.write(name));
            const int hours = QRegularExpression("-(\\d+)").match(name).captured(1).toInt();
            if (!file.open(QIODevice::ReadWrite)
                || !file.setFileTime(QDateTime::currentDateTime().addSecs(3600 * (hours - 24)), QFileDevice::FileModificationTime))
                QTest::qFail("the file cannot be dated", __FILE__, __LINE__);
        }
        return result;
    }

    // The middle of an entry, or below the last one.
    QPoint pointAt(int row)
    {
        if (row < list()->ListCount())
            return list()->visualItemRect(list()->item(row)).center();
        return list()->viewport()->rect().bottomLeft() + QPoint(10, -2);
    }

    // A command as the user gives it: a key, "menu" and a command's name, or
    // "add", "drop" onto a row, with the names, or "double click" on a row or the bar.
    void run(const QString &command)
    {
        const QStringList words = command.split(u' ');
        const int row = words.value(1).toInt();
        if (words.first() == u"add") {
            dialogs.answers << paths(words.mid(1));
            QTest::mouseClick(add(), Qt::LeftButton);
        } else if (words.first() == u"drop") {
            QMimeData data;
            setFiles(data, paths(words.mid(2)));
            // The line shows above the entry the files land on, or below the last.
            dropOn(list()->viewport(), &data, pointAt(row), Qt::CopyAction, [&] { QCOMPARE(list()->dropLine(), row); });
            QCOMPARE(list()->dropLine(), -1);
        } else if (words.first() == u"double") {
            // The scroll bars are widgets of their own, outside the entries.
            const bool onBar = words.last() == u"bar";
            QWidget *target = onBar ? list()->horizontalScrollBar() : list()->viewport();
            QTRY_VERIFY(target->isVisible());
            QTest::mouseDClick(target, Qt::LeftButton, {}, onBar ? target->rect().center() : pointAt(words.last().toInt()));
        } else if (words.first() == u"menu") {
            QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
            QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (int i = 0; i < 9 && (!menu->activeAction() || menu->activeAction()->text().remove(u'&') != command.mid(5)); ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keySequence(list(), QKeySequence::fromString(command));
        }
    }
};

int measuredExtent(const QStringList &entries)
{
    qsizetype widest = 0;
    for (const QString &entry : entries)
        widest = qMax(widest, entry.size());
    return entries.isEmpty() ? 0 : 7 * int(widest) + 17;
}

} // namespace

class tst_FileListCommands : public QObject
{
    Q_OBJECT

private slots:
    void commandAndUndo_data();
    void commandAndUndo();
    void undoGoesBackStepByStepToTheStart();
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
    const QStringList ba{"b", "a"};
    const QStringList none;
    const QStringList names{"part10", "Part2", "z/part1", "part1"};
    QTest::addRow("sort by name: natural, any case, whole path")
        << names << 0 << "Ctrl+Shift+N" << QStringList{"part1", "Part2", "part10", "z/part1"} << 2 << false << names;
    QTest::addRow("sort by name from the menu") << ba << -1 << "menu Sort by Name" << QStringList{"a", "b"} << -1 << false << ba;
    // Nothing changed, nothing to undo: Undo takes back the list's filling.
    QTest::addRow("sort of a sorted list") << QStringList{"a", "b"} << -1 << "Ctrl+Shift+N" << QStringList{"a", "b"} << -1 << false
                                           << none;
    const QStringList dated{"c-2", "missing", "a-3", "b-1"};
    QTest::addRow("sort by date: oldest first, missing last")
        << dated << 1 << "Ctrl+Shift+D" << QStringList{"b-1", "c-2", "a-3", "missing"} << 3 << false << dated;
    QTest::addRow("reverse") << abc << 0 << "Ctrl+Shift+R" << QStringList{"c", "b", "a"} << 2 << false << abc;
    const QStringList wide{"a", "the-widest-b", "c"};
    QTest::addRow("remove the widest, extent kept") << wide << 1 << "Del" << QStringList{"a", "c"} << 1 << false << wide;
    QTest::addRow("remove from the menu") << abc << 2 << "menu Remove" << QStringList{"a", "b"} << 1 << false << abc;
    QTest::addRow("remove with none selected") << abc << -1 << "Del" << abc << -1 << false << none;
    // Anywhere among the entries, a double click removes the selected one.
    QTest::addRow("double click, extent kept") << wide << 1 << "double click 1" << QStringList{"a", "c"} << -1 << false << wide;
    QTest::addRow("double click below the last") << abc << 1 << "double click 3" << QStringList{"a", "c"} << -1 << false << abc;
    QTest::addRow("double click, none selected") << abc << -1 << "double click 3" << abc << -1 << false << none;
    const QStringList scrolled{"a", QString(60, u'w')};
    QTest::addRow("double click on the scroll bar") << scrolled << 0 << "double click bar" << scrolled << 0 << false << none;
    QTest::addRow("clear, extent kept") << abc << 0 << "Ctrl+Shift+Del" << none << -1 << false << abc;
    QTest::addRow("clear from the menu") << abc << -1 << "menu Clear List" << none << -1 << false << abc;
    QTest::addRow("move") << abc << 2 << "Ctrl+Up" << QStringList{"a", "c", "b"} << 1 << false << abc;
    QTest::addRow("add, extent grows") << QStringList{"a"} << 0 << "add a-much-wider-name"
                                       << QStringList{"a", "a-much-wider-name"} << 0 << true << QStringList{"a"};
    QTest::addRow("drop onto an entry") << abc << 2 << "drop 1 x y" << QStringList{"a", "x", "y", "b", "c"} << 4 << true << abc;
    QTest::addRow("drop onto the first") << abc << -1 << "drop 0 x" << QStringList{"x", "a", "b", "c"} << -1 << true << abc;
    QTest::addRow("drop below the last") << abc << -1 << "drop 3 x" << QStringList{"a", "b", "c", "x"} << -1 << true << abc;
}

// A command changes the list as it says and measures it only when it adds;
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
    FileList::append(f.form, *f.list(), f.paths(before));
    f.list()->setListIndex(selected);
    const int extent = f.list()->horizontalExtent();
    QCOMPARE(extent, measuredExtent(f.paths(before)));
    f.windowSystem.calls.clear();

    f.run(command);
    QCOMPARE(entriesOf(*f.list()), f.paths(after));
    QCOMPARE(f.list()->ListIndex(), selectedAfter);
    QCOMPARE(f.list()->horizontalExtent(), measured ? measuredExtent(f.paths(after)) : extent);
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

// What a screen reader is told of the menu, opened each way a user can: its
// name, and each command's name and key, with a "-" where it cannot apply.
void tst_FileListCommands::menuOffersWhatApplies()
{
    Fixture f;
    const auto told = [&](const QString &opener) {
        if (opener == u"right click") {
            const QPoint at = f.pointAt(1);
            QTest::mousePress(f.list()->viewport(), Qt::RightButton, {}, at);
            QContextMenuEvent request(QContextMenuEvent::Mouse, at, f.list()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(f.list()->viewport(), &request);
        } else {
            QTest::keySequence(f.list(), QKeySequence(opener));
        }
        QWidget *menu = QApplication::activePopupWidget();
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(menu);
        QString texts = accessible->text(QAccessible::Name);
        for (int i = 0; i < accessible->childCount(); ++i) {
            const QAccessibleInterface *item = accessible->child(i);
            if (item->role() != QAccessible::Separator)
                texts += QString(item->state().disabled ? "; -" : "; ") + item->text(QAccessible::Name) + u' '
                         + item->text(QAccessible::Accelerator);
        }
        menu->close();
        return texts;
    };
    QCOMPARE(told("Menu"), "List commands; -Sort by Name Ctrl+Shift+N; -Sort by Date Modified Ctrl+Shift+D; "
                           "-Reverse Order Ctrl+Shift+R; -Remove Del; -Clear List Ctrl+Shift+Del; -Undo Ctrl+Z");
    FileList::append(f.form, *f.list(), f.paths({"a"}));
    QCOMPARE(told("Shift+F10"), "List commands; -Sort by Name Ctrl+Shift+N; -Sort by Date Modified Ctrl+Shift+D; "
                                "-Reverse Order Ctrl+Shift+R; -Remove Del; Clear List Ctrl+Shift+Del; Undo Ctrl+Z");
    FileList::append(f.form, *f.list(), f.paths({"b"}));
    QCOMPARE(told("right click"), "List commands; Sort by Name Ctrl+Shift+N; Sort by Date Modified Ctrl+Shift+D; "
                                  "Reverse Order Ctrl+Shift+R; Remove Del; Clear List Ctrl+Shift+Del; Undo Ctrl+Z");
}

QTEST_MAIN(tst_FileListCommands)
#include "tst_filelistcommands.moc"
