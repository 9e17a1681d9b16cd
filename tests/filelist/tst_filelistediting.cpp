#include "dropevents.h"
#include "filelistediting.h"
#include "form.h"
#include "listbox.h"
#include "listentries.h"
#include "recordingwindowsystem.h"
#include "testfolder.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

struct Fixture
{
    RecordingWindowSystem windowSystem;
    WindowSystem::Override use{windowSystem};
    Form window;
    ListBox *list = new ListBox(&window);
    FileListEditing *editing = new FileListEditing(window, *list);

    Fixture()
    {
        list->setGeometry(8, 8, 393, 139);
        window.resize(545, 155);
    }

    void fill(const QStringList &texts)
    {
        for (const QString &text : texts)
            list->AddItem(text);
    }

    // Below the entries.
    Qt::DropAction dropFiles(const QStringList &paths, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        setFiles(data, paths);
        return dropOn(list->viewport(), &data, list->viewport()->rect().bottomLeft() + QPoint(10, -2), offered);
    }
};

} // namespace

class tst_FileListEditing : public QObject
{
    Q_OBJECT

private slots:
    void droppedFolderGivesItsOwnFilesInNaturalOrder();
    void dropAppendsOneBatchInTheOrderDropped();
    void dropOfNoLocalFileAddsNothing();
    void droppedFilesAreNeverMoved_data();
    void droppedFilesAreNeverMoved();
    void dragMovesAnEntry_data();
    void dragMovesAnEntry();
    void keysMoveAndRemove_data();
    void keysMoveAndRemove();
};

void tst_FileListEditing::droppedFolderGivesItsOwnFilesInNaturalOrder()
{
    TestFolder dir;
    for (const char *name : {"part10.csv", "part2.csv", "Part1.csv", ".hidden.csv", "notes"})
        dir.write(name);
    dir.write("sub/inner.csv");

    const QString d = QDir::toNativeSeparators(dir.path() + "/");
    QCOMPARE(FileListEditing::filesToAdd({dir.path()}),
             (QStringList{d + "notes", d + "Part1.csv", d + "part2.csv", d + "part10.csv"}));
    QCOMPARE(FileListEditing::filesToAdd({dir.path("part10.csv"), dir.path() + "/sub"}),
             (QStringList{d + "part10.csv", QDir::toNativeSeparators(dir.path("sub/inner.csv"))}));
}

void tst_FileListEditing::dropAppendsOneBatchInTheOrderDropped()
{
    TestFolder dir;
    dir.write("b.csv");
    dir.write("a.csv");
    dir.write("folder/x2.csv");
    dir.write("folder/x1.csv");

    Fixture f;
    f.fill({"kept"});
    QCOMPARE(f.dropFiles({dir.path("b.csv"), dir.path("folder"), dir.path("a.csv")}), Qt::CopyAction);
    const auto native = [&](const char *name) { return QDir::toNativeSeparators(dir.path(name)); };
    QCOMPARE(entriesOf(*f.list),
             (QStringList{"kept", native("b.csv"), native("folder/x1.csv"), native("folder/x2.csv"), native("a.csv")}));
    QCOMPARE(f.windowSystem.callsOf("SendMessageA").size(), 1);
    QCOMPARE(f.windowSystem.callsOf("DrawTextA").size(), 5);
}

void tst_FileListEditing::dropOfNoLocalFileAddsNothing()
{
    Fixture f;
    QMimeData data;
    data.setUrls({QUrl("https://example.org/data.csv")});
    dropOn(f.list->viewport(), &data, QPoint(10, 10));
    QMimeData text;
    text.setText("/etc/hostname");
    dropOn(f.list->viewport(), &text, QPoint(10, 10));
    QCOMPARE(f.list->ListCount(), 0);
    QVERIFY(f.windowSystem.calls.isEmpty());
}

void tst_FileListEditing::droppedFilesAreNeverMoved_data()
{
    QTest::addColumn<int>("offered");
    QTest::addColumn<int>("reported");
    QTest::addRow("copy or move") << int(Qt::CopyAction | Qt::MoveAction) << int(Qt::CopyAction);
    QTest::addRow("any") << int(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) << int(Qt::CopyAction);
    QTest::addRow("link or move") << int(Qt::LinkAction | Qt::MoveAction) << int(Qt::LinkAction);
    // The source would delete what it moved: such a drop is refused.
    QTest::addRow("move only") << int(Qt::MoveAction) << int(Qt::IgnoreAction);
}

// The list keeps the files' names; the files stay where they are.
void tst_FileListEditing::droppedFilesAreNeverMoved()
{
    QFETCH(int, offered);
    QFETCH(int, reported);
    TestFolder dir;
    dir.write("a.csv");
    Fixture f;
    QCOMPARE(int(f.dropFiles({dir.path("a.csv")}, Qt::DropActions(offered))), reported);
    QCOMPARE(f.list->ListCount(), reported == Qt::IgnoreAction ? 0 : 1);
    QVERIFY(QFile::exists(dir.path("a.csv")));
}

void tst_FileListEditing::dragMovesAnEntry_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("ontoRow");
    QTest::addColumn<bool>("lowerHalf");
    QTest::addColumn<QStringList>("after");

    QTest::addRow("first onto the third, upper half") << 0 << 2 << false << QStringList{"b", "a", "c", "d"};
    QTest::addRow("first onto the third, lower half") << 0 << 2 << true << QStringList{"b", "c", "a", "d"};
    QTest::addRow("last onto the first") << 3 << 0 << false << QStringList{"d", "a", "b", "c"};
    QTest::addRow("below every entry") << 1 << -1 << false << QStringList{"a", "c", "d", "b"};
    QTest::addRow("onto itself") << 2 << 2 << false << QStringList{"a", "b", "c", "d"};
}

void tst_FileListEditing::dragMovesAnEntry()
{
    QFETCH(int, from);
    QFETCH(int, ontoRow);
    QFETCH(bool, lowerHalf);
    QFETCH(QStringList, after);

    Fixture f;
    f.fill({"a", "b", "c", "d"});
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.list->setListIndex(from);

    QPoint at(10, f.list->viewport()->height() - 3);
    if (ontoRow >= 0) {
        const QRect rect = f.list->visualItemRect(f.list->item(ontoRow));
        at = lowerHalf ? QPoint(10, rect.bottom() - 1) : QPoint(10, rect.top() + 1);
    }
    // Offscreen there is no real drag; the drop is what the list hands on.
    f.editing->dropSelectedEntry(at);
    QCOMPARE(entriesOf(*f.list), after);
    QCOMPARE(f.list->List(f.list->ListIndex()), QStringList({"a", "b", "c", "d"}).at(from));
    QVERIFY(f.windowSystem.calls.isEmpty());
}

void tst_FileListEditing::keysMoveAndRemove_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");

    const int ctrl = Qt::ControlModifier;
    QTest::addRow("ctrl+up") << 2 << int(Qt::Key_Up) << ctrl << QStringList{"a", "c", "b"} << 1;
    QTest::addRow("ctrl+up on the first") << 0 << int(Qt::Key_Up) << ctrl << QStringList{"a", "b", "c"} << 0;
    QTest::addRow("ctrl+down") << 0 << int(Qt::Key_Down) << ctrl << QStringList{"b", "a", "c"} << 1;
    QTest::addRow("ctrl+down on the last") << 2 << int(Qt::Key_Down) << ctrl << QStringList{"a", "b", "c"} << 2;
    QTest::addRow("ctrl+up with nothing selected") << -1 << int(Qt::Key_Up) << ctrl << QStringList{"a", "b", "c"} << -1;
    QTest::addRow("delete") << 1 << int(Qt::Key_Delete) << 0 << QStringList{"a", "c"} << 1;
    QTest::addRow("delete the last") << 2 << int(Qt::Key_Delete) << 0 << QStringList{"a", "b"} << 1;
    QTest::addRow("delete with nothing selected") << -1 << int(Qt::Key_Delete) << 0 << QStringList{"a", "b", "c"} << -1;
}

void tst_FileListEditing::keysMoveAndRemove()
{
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, after);
    QFETCH(int, selectedAfter);

    Fixture f;
    f.fill({"a", "b", "c"});
    f.list->setListIndex(selected);
    QTest::keyClick(f.list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(entriesOf(*f.list), after);
    QCOMPARE(f.list->ListIndex(), selectedAfter);
    QVERIFY(f.windowSystem.calls.isEmpty());
}

QTEST_MAIN(tst_FileListEditing)
#include "tst_filelistediting.moc"
