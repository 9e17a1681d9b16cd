#include "commondialog.h"
#include "fakes.h"
#include "filelist.h"
#include "form.h"
#include "listbox.h"
#include "listentries.h"
#include "recordingwindowsystem.h"

#include <QDir>
#include <QTest>

namespace {

QString sep()
{
    return QDir::separator();
}

// The main window's parts, with fakes for the dialog and the window system.
struct Fixture
{
    RecordingWindowSystem windowSystem;
    FakeFileDialogs dialogs;
    WindowSystem::Override useWindowSystem{windowSystem};
    FileDialogs::Override useDialogs{dialogs};
    Form window;
    ListBox *list = new ListBox(&window);
    CommonDialog dialog{&window};

    void add(const QStringList &chosen)
    {
        dialogs.answers << chosen;
        FileList::Add(window, dialog, *list);
    }
};

} // namespace

class tst_FileList : public QObject
{
    Q_OBJECT

private slots:
    void entriesFromSelection_data();
    void entriesFromSelection();
    void addAsksTheOpenDialog();
    void add_data();
    void add();
    void cancelRightAfterAnAddChangesNothing();
    void remove_data();
    void remove();
    void fiveThousandFilesAtOnce();
    void namesOutsideAnyCodePage();
    void hundredThousandEntriesInOneBatch();
};

void tst_FileList::entriesFromSelection_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("expected");

    const QChar nul(0);
    QTest::addRow("cancelled") << QString() << QStringList();
    QTest::addRow("one file") << "/data/a.csv" << QStringList{"/data/a.csv"};
    QTest::addRow("three in one folder") << "/data" + QString(nul) + "a" + nul + "b" + nul + "c"
                                         << QStringList{"/data" + sep() + "a", "/data" + sep() + "b", "/data" + sep() + "c"};
    QTest::addRow("root folder doubles the separator") << "/" + QString(nul) + "a" + nul + "b"
                                                       << QStringList{"/" + sep() + "a", "/" + sep() + "b"};
    QTest::addRow("same name twice") << "/d" + QString(nul) + "x" + nul + "x"
                                     << QStringList{"/d" + sep() + "x", "/d" + sep() + "x"};
}

void tst_FileList::entriesFromSelection()
{
    QFETCH(QString, selection);
    QFETCH(QStringList, expected);
    QCOMPARE(FileList::entriesFromSelection(selection), expected);
}

void tst_FileList::addAsksTheOpenDialog()
{
    Fixture f;
    f.dialog.setFileName("left over");
    f.add({});

    QCOMPARE(f.dialogs.requests.size(), 1);
    const FileDialogRequest &request = f.dialogs.requests.constFirst();
    QCOMPARE(request.kind, FileDialogRequest::Open);
    QCOMPARE(request.title, QString("Add File(s) - Hold Ctrl to select multiple files"));
    QCOMPARE(request.nameFilters, QStringList{"All Files (*.*) (*)"});
    QVERIFY(request.multipleSelection);
    QCOMPARE(request.fileName, QString());
    QCOMPARE(f.dialog.Flags(), 0x280201u);
    QCOMPARE(f.dialog.Filter(), QString("All Files (*.*)|*.*|"));
}

void tst_FileList::add_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("measured");

    const QString d = QDir::toNativeSeparators("/data/");
    QTest::addRow("cancel") << QStringList{"x"} << QStringList() << QStringList{"x"} << 0;
    QTest::addRow("one file") << QStringList() << QStringList{"/data/a.csv"} << QStringList{d + "a.csv"} << 1;
    QTest::addRow("three files") << QStringList() << QStringList{"/data/a", "/data/b", "/data/c"}
                                 << QStringList{d + "a", d + "b", d + "c"} << 1;
    QTest::addRow("entries before keep their places")
        << QStringList{"first", "second"} << QStringList{"/data/a", "/data/b"}
        << QStringList{"first", "second", d + "a", d + "b"} << 1;
    QTest::addRow("a file already listed")
        << QStringList{d + "a"} << QStringList{"/data/a"} << QStringList{d + "a", d + "a"} << 1;
}

void tst_FileList::add()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, after);
    QFETCH(int, measured);

    Fixture f;
    for (const QString &entry : before)
        f.list->AddItem(entry);
    f.add(chosen);
    QCOMPARE(entriesOf(*f.list), after);
    // Measured once per batch, after the last append: all entries, old and new.
    QCOMPARE(f.windowSystem.callsOf("SendMessageA").size(), measured);
    QCOMPARE(f.windowSystem.callsOf("DrawTextA").size(), measured * after.size());
}

void tst_FileList::cancelRightAfterAnAddChangesNothing()
{
    Fixture f;
    f.add({"/data/a", "/data/b"});
    f.windowSystem.calls.clear();
    f.add({});
    QCOMPARE(entriesOf(*f.list).size(), 2);
    QVERIFY(f.windowSystem.calls.isEmpty());
}

void tst_FileList::remove_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("after");

    QTest::addRow("empty list") << 0 << -1 << QStringList();
    QTest::addRow("nothing selected") << 3 << -1 << QStringList{"0", "1", "2"};
    QTest::addRow("third of five") << 5 << 2 << QStringList{"0", "1", "3", "4"};
    QTest::addRow("last") << 2 << 1 << QStringList{"0"};
}

void tst_FileList::remove()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(QStringList, after);

    Fixture f;
    for (int i = 0; i < count; ++i)
        f.list->AddItem(QString::number(i));
    f.list->setListIndex(selected);
    FileList::RemoveSelected(*f.list);
    QCOMPARE(entriesOf(*f.list), after);
    // The extent is not measured again.
    QVERIFY(f.windowSystem.calls.isEmpty());
}

void tst_FileList::fiveThousandFilesAtOnce()
{
    Fixture f;
    QStringList chosen;
    for (int i = 0; i < 5000; ++i)
        chosen << QStringLiteral("/data/a long name for file number %1.csv").arg(i);
    f.add(chosen);
    QCOMPARE(f.list->ListCount(), 5000);
    QCOMPARE(f.list->List(4999), QDir::toNativeSeparators(chosen.constLast()));
}

void tst_FileList::namesOutsideAnyCodePage()
{
    Fixture f;
    const QString greek = QString::fromUtf8("/δεδομένα/αρχείο.csv");
    const QString cjk = QString::fromUtf8("/データ/日本語.csv");
    const QString emoji = QString::fromUtf8("/d/\xf0\x9f\x93\x8a chart.csv");
    f.add({greek});
    f.add({cjk});
    f.add({emoji});
    QCOMPARE(entriesOf(*f.list), (QStringList{QDir::toNativeSeparators(greek), QDir::toNativeSeparators(cjk),
                                            QDir::toNativeSeparators(emoji)}));
    // Measured exactly as listed, not through a narrow code page.
    QVERIFY(f.windowSystem.callsOf("DrawTextA").constLast().contains(QDir::toNativeSeparators(emoji)));
}

void tst_FileList::hundredThousandEntriesInOneBatch()
{
    FakeFileDialogs dialogs;
    FileDialogs::Override useDialogs(dialogs);
    Form window;
    ListBox *list = new ListBox(&window);
    CommonDialog dialog(&window);
    QStringList chosen;
    for (int i = 0; i < 100000; ++i)
        chosen << QDir::rootPath() + QStringLiteral("home/user/exports/2024/batch-%1/part-%2.csv").arg(i / 1000).arg(i);
    dialogs.answers << chosen;

    // Measured with the real window system, in the list's own font.
    FileList::Add(window, dialog, *list);
    QCOMPARE(list->ListCount(), 100000);
    QCOMPARE(list->List(99999), QDir::toNativeSeparators(chosen.constLast()));
    QVERIFY(list->horizontalExtent() > 0);
}

QTEST_MAIN(tst_FileList)
#include "tst_filelist.moc"
