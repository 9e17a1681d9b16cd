#include "commondialog.h"
#include "filelist.h"
#include "form.h"
#include "form1fixture.h"
#include "joinbutton.h"
#include "listentries.h"
#include "messagecompare.h"
#include "pipeends.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

// The window's parts with the dialogs and message boxes replaced; the files
// are real ones in a temporary folder.
struct Fixture
{
    TestFolder dir;
    FakeFileDialogs dialogs;
    FileDialogs::Override useDialogs{dialogs};
    FakeMessageBoxes messages;
    MessageBoxes::Override useMessages{messages};
    Form window;
    ListBox *list = new ListBox(&window);
    CommonDialog dialog{&window};
    JoinButton button{window, dialog, *list};

    QString path(const QString &name) const { return QDir::toNativeSeparators(dir.path(name)); }

    void addThroughTheDialog(const QStringList &names)
    {
        QStringList chosen;
        for (const QString &name : names)
            chosen << dir.path(name);
        dialogs.answers << chosen;
        FileList::Add(window, dialog, *list);
    }

    void join(const QString &outputName)
    {
        dialogs.answers << (outputName.isEmpty() ? QStringList() : QStringList{dir.path(outputName)});
        button.join();
    }

    QStringList entries() const { return entriesOf(*list); }
};

// The main window itself with the fakes, its list holding a.csv and a named
// pipe that nobody writes, so that a join waits for it until cancelled.
struct WindowFixture : Form1Fixture
{
    TestFolder dir;

    QProgressDialog *progress() { return form.findChild<QProgressDialog *>(); }

    bool setUp()
    {
#ifdef Q_OS_UNIX
        dir.write("a.csv", "1\n");
        dir.write("out.txt", "precious");
        if (!makePipe(dir.path("pipe")))
            return false;
        dialogs.answers << QStringList{dir.path("a.csv"), dir.path("pipe")};
        QTest::mouseClick(add(), Qt::LeftButton);
        form.show();
        return list()->ListCount() == 2 && QTest::qWaitForWindowExposed(&form);
#else
        return false;
#endif
    }

    // Presses Join, choosing out.txt; runs whileJoining as soon as the join runs.
    void pressJoin(const std::function<void()> &whileJoining)
    {
        dialogs.answers << QStringList{dir.path("out.txt")};
        QTimer::singleShot(0, &form, whileJoining);
        QTest::mouseClick(join(), Qt::LeftButton);
    }

    // Everything a user could do to the window: none of it may reach it.
    void tryEverything()
    {
        QTest::mouseClick(add(), Qt::LeftButton);
        QTest::mouseClick(join(), Qt::LeftButton);
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Delete);
        const QRect first = list()->visualItemRect(list()->item(0));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, first.center());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir.path("a.csv"))});
        QDragEnterEvent enter(first.center(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list()->viewport(), &enter);
        QDropEvent drop(first.center(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list()->viewport(), &drop);
    }

    QStringList entries() { return entriesOf(*list()); }
};

} // namespace

class tst_JoinButton : public QObject
{
    Q_OBJECT

private slots:
    void emptyListAsksForFiles();
    void cancelDoesNothing();
    void saveDialogAsTheLastAddLeftIt();
    void joins_data();
    void joins();
    void outputMayBeAnInput();
    void failureLeavesEverythingAsItWas();
    void windowTakesNoInputWhileJoining();
    void closingTheWindowStopsTheJoin();
};

void tst_JoinButton::emptyListAsksForFiles()
{
    Fixture f;
    f.join("out.txt");
    QCOMPARE(f.messages.prompts, QStringList{"Add files first."});
    QVERIFY(f.dialogs.requests.isEmpty());
    QVERIFY(!QFile::exists(f.dir.path("out.txt")));
}

void tst_JoinButton::cancelDoesNothing()
{
    Fixture f;
    f.dir.write("a.csv", "x,y\n");
    f.addThroughTheDialog({"a.csv"});
    const QStringList before = f.entries();
    f.join(QString());
    QVERIFY(f.messages.prompts.isEmpty());
    QCOMPARE(f.entries(), before);
    QCOMPARE(f.dir.entries(), QStringList{"a.csv"});
}

void tst_JoinButton::saveDialogAsTheLastAddLeftIt()
{
    Fixture f;
    f.dir.write("a.csv", "x\n");
    f.addThroughTheDialog({"a.csv"});
    f.join(QString());
    f.join(QString());

    QCOMPARE(f.dialogs.requests.size(), 3);
    for (int i = 1; i <= 2; ++i) {
        const FileDialogRequest &save = f.dialogs.requests.at(i);
        QCOMPARE(save.kind, FileDialogRequest::Save);
        QCOMPARE(save.title, QString("Save  As"));
        QCOMPARE(save.fileName, QString());
        QCOMPARE(save.nameFilters, QStringList{"All Files (*.*) (*)"});
        QVERIFY(!save.confirmOverwrite);
    }
    QCOMPARE(f.dialog.Flags(), 0x280201u);
}

void tst_JoinButton::joins_data()
{
    QTest::addColumn<QList<QByteArray>>("inputs");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("one word") << QList<QByteArray>{"word\r\n"} << QByteArray("word\r\n\r\n");
    QTest::addRow("every input empty") << QList<QByteArray>{"", ""} << QByteArray("\r\n");
    QTest::addRow("fields, quotes, blank lines")
        << QList<QByteArray>{"a,b,c\n\"x, y\",z\n\n", "last line"}
        << QByteArray("a\r\nb\r\nc\r\nx, y\r\nz\r\n\r\nlast line\r\n\r\n");
}

void tst_JoinButton::joins()
{
    QFETCH(QList<QByteArray>, inputs);
    QFETCH(QByteArray, expected);

    Fixture f;
    QStringList names;
    for (int i = 0; i < inputs.size(); ++i) {
        names << QString("in%1.csv").arg(i);
        f.dir.write(names.constLast(), inputs.at(i));
    }
    f.addThroughTheDialog(names);
    f.dir.write("out.txt", "old content, replaced without a question");
    f.join("out.txt");

    QCOMPARE(readFile(f.dir.path("out.txt")), expected);
    QCOMPARE(f.messages.prompts, QStringList{"File(s) created: " + f.path("out.txt")});
}

void tst_JoinButton::outputMayBeAnInput()
{
    Fixture f;
    f.dir.write("a.csv", "1,2\n");
    f.dir.write("b.csv", "3\n");
    f.addThroughTheDialog({"a.csv", "b.csv", "a.csv"});
    f.join("b.csv");
    QCOMPARE(readFile(f.dir.path("b.csv")), QByteArray("1\r\n2\r\n3\r\n1\r\n2\r\n\r\n"));
    QCOMPARE(f.messages.prompts, QStringList{"File(s) created: " + f.path("b.csv")});
}

// The failing entry is named and selected; the output, the list and the
// folder stay as they were.
void tst_JoinButton::failureLeavesEverythingAsItWas()
{
    Fixture f;
    f.dir.write("a.csv", "1\n");
    f.dir.write("b.csv", "2\n");
    f.addThroughTheDialog({"a.csv", "b.csv", "a.csv"});
    QVERIFY(QFile::remove(f.dir.path("b.csv"))); // deleted after it was added
    f.dir.write("out.txt", "precious");
    const QStringList before = f.entries();
    f.list->setListIndex(2);

    f.join("out.txt");
    QCOMPARE(f.messages.prompts.size(), 1);
    QVERIFY2(sameMessage(f.messages.prompts[0], "Cannot read file " + f.path("b.csv") + ":\nNo such file or directory."),
             qPrintable(f.messages.prompts[0]));
    QCOMPARE(f.list->ListIndex(), 1);
    QCOMPARE(readFile(f.dir.path("out.txt")), QByteArray("precious"));
    QCOMPARE(f.entries(), before);
    QCOMPARE(f.dir.entries(), (QStringList{"a.csv", "out.txt"}));
}

// Until the join has really ended, before and after Cancel, nothing reaches
// the window; Cancel ends a join that waits for a pipe nobody writes.
void tst_JoinButton::windowTakesNoInputWhileJoining()
{
    WindowFixture f;
    if (!f.setUp())
        QSKIP("needs a named pipe");
    const QStringList entries = f.entries();

    bool blockedBeforeCancel = false;
    bool blockedAfterCancel = false;
    bool progressShown = false;
    QElapsedTimer sinceCancel;
    f.pressJoin([&] {
        f.tryEverything();
        blockedBeforeCancel = f.dialogs.requests.size() == 2 && f.entries() == entries;
        QTRY_VERIFY_WITH_TIMEOUT(f.progress() && f.progress()->isVisible(), 5000);
        progressShown = true;
        auto *cancel = f.progress()->findChild<QPushButton *>();
        QTest::mouseClick(cancel, Qt::LeftButton);
        sinceCancel.start();
        QCOMPARE(f.progress()->labelText(), QStringLiteral("Cancelling..."));
        QVERIFY(f.progress()->isVisible());
        f.tryEverything();
        blockedAfterCancel = f.dialogs.requests.size() == 2 && f.entries() == entries;
    });
    qInfo("from Cancel to the window taking input again: %lld ms", sinceCancel.elapsed());

    QVERIFY(progressShown);
    QVERIFY(blockedBeforeCancel);
    QVERIFY(blockedAfterCancel);
    QVERIFY(f.messages.prompts.isEmpty());
    QCOMPARE(readFile(f.dir.path("out.txt")), QByteArray("precious"));
    QCOMPARE(f.dir.entries(), (QStringList{"a.csv", "out.txt", "pipe"}));
    QVERIFY(!f.progress());
    // The window takes input again.
    QTest::mouseClick(f.add(), Qt::LeftButton);
    QCOMPARE(f.dialogs.requests.size(), 3);
}

// Closing the window stops the join at once, tells nothing, leaves the output
// as it was, and then closes the window.
void tst_JoinButton::closingTheWindowStopsTheJoin()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a named pipe");
#else
    WindowFixture f;
    if (!f.setUp())
        QSKIP("needs a named pipe");

    bool stillOpen = false;
    int writer = -1;
    f.pressJoin([&] {
        // Once the join has the pipe open, it waits for it.
        writer = holdPipeOpen(f.dir.path("pipe"));
        f.form.close();
        stillOpen = f.form.isVisible();
    });
    ::close(writer);
    QVERIFY(writer >= 0);
    QVERIFY(stillOpen); // until the join had ended
    QVERIFY(!f.form.isVisible());
    QVERIFY(f.messages.prompts.isEmpty());
    QCOMPARE(readFile(f.dir.path("out.txt")), QByteArray("precious"));
    QVERIFY(!f.progress());
#endif
}

QTEST_MAIN(tst_JoinButton)
#include "tst_joinbutton.moc"
