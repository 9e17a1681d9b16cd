#include "commondialog.h"
#include "fakes.h"
#include "filelist.h"
#include "form.h"
#include "joinbutton.h"
#include "listbox.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The window's parts with the dialogs and message boxes replaced; the files
// are real ones in a temporary folder.
struct Fixture
{
    QTemporaryDir dir;
    FakeFileDialogs dialogs;
    FileDialogs::Override useDialogs{dialogs};
    FakeMessageBoxes messages;
    MessageBoxes::Override useMessages{messages};
    Form window;
    ListBox *list = new ListBox(&window);
    CommonDialog dialog{&window};

    QString path(const QString &name) const { return QDir::toNativeSeparators(dir.filePath(name)); }

    void addThroughTheDialog(const QStringList &names)
    {
        QStringList chosen;
        for (const QString &name : names)
            chosen << dir.filePath(name);
        dialogs.answers << chosen;
        FileList::Add(window, dialog, *list);
    }

    void join(const QString &outputName)
    {
        dialogs.answers << (outputName.isEmpty() ? QStringList() : QStringList{dir.filePath(outputName)});
        JoinButton::join(window, dialog, *list);
    }

    QStringList entries() const
    {
        QStringList texts;
        for (int i = 0; i < list->ListCount(); ++i)
            texts << list->List(i);
        return texts;
    }
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
    void longJoinShowsProgressAndCancels();
};

void tst_JoinButton::emptyListAsksForFiles()
{
    Fixture f;
    f.join("out.txt");
    QCOMPARE(f.messages.prompts, QStringList{"Add files first."});
    QVERIFY(f.dialogs.requests.isEmpty());
    QVERIFY(!QFile::exists(f.dir.filePath("out.txt")));
}

void tst_JoinButton::cancelDoesNothing()
{
    Fixture f;
    writeFile(f.dir.filePath("a.csv"), "x,y\n");
    f.addThroughTheDialog({"a.csv"});
    const QStringList before = f.entries();
    f.join(QString());
    QVERIFY(f.messages.prompts.isEmpty());
    QCOMPARE(f.entries(), before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
}

void tst_JoinButton::saveDialogAsTheLastAddLeftIt()
{
    Fixture f;
    writeFile(f.dir.filePath("a.csv"), "x\n");
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
        writeFile(f.dir.filePath(names.constLast()), inputs.at(i));
    }
    f.addThroughTheDialog(names);
    writeFile(f.dir.filePath("out.txt"), "old content, replaced without a question");
    f.join("out.txt");

    QCOMPARE(readFile(f.dir.filePath("out.txt")), expected);
    QCOMPARE(f.messages.prompts, QStringList{"File(s) created: " + f.path("out.txt")});
}

void tst_JoinButton::outputMayBeAnInput()
{
    Fixture f;
    writeFile(f.dir.filePath("a.csv"), "1,2\n");
    writeFile(f.dir.filePath("b.csv"), "3\n");
    f.addThroughTheDialog({"a.csv", "b.csv", "a.csv"});
    f.join("b.csv");
    QCOMPARE(readFile(f.dir.filePath("b.csv")), QByteArray("1\r\n2\r\n3\r\n1\r\n2\r\n\r\n"));
    QCOMPARE(f.messages.prompts, QStringList{"File(s) created: " + f.path("b.csv")});
}

void tst_JoinButton::failureLeavesEverythingAsItWas()
{
    Fixture f;
    writeFile(f.dir.filePath("a.csv"), "1\n");
    writeFile(f.dir.filePath("b.csv"), "2\n");
    f.addThroughTheDialog({"a.csv", "b.csv"});
    QVERIFY(QFile::remove(f.dir.filePath("b.csv"))); // deleted after it was added
    writeFile(f.dir.filePath("out.txt"), "precious");
    const QStringList before = f.entries();

    f.join("out.txt");
    QCOMPARE(f.messages.prompts.size(), 1);
    QVERIFY2(f.messages.prompts.constFirst().contains(f.path("b.csv")), qPrintable(f.messages.prompts.constFirst()));
    QCOMPARE(readFile(f.dir.filePath("out.txt")), QByteArray("precious"));
    QCOMPARE(f.entries(), before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.csv", "out.txt"}));
}

// An input that delivers its data only when the test says so keeps the join
// running as long as needed, with no timing to guess.
void tst_JoinButton::longJoinShowsProgressAndCancels()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a named pipe");
#else
    Fixture f;
    writeFile(f.dir.filePath("a.csv"), "1\n");
    const QString pipe = f.dir.filePath("slow.csv");
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    f.addThroughTheDialog({"a.csv", "slow.csv"});
    writeFile(f.dir.filePath("out.txt"), "precious");
    f.window.show();

    std::thread feeder;
    bool progressShown = false;
    QTimer look;
    connect(&look, &QTimer::timeout, [&] {
        auto *progress = f.window.findChild<QProgressDialog *>();
        if (!progress || !progress->isVisible() || progressShown)
            return;
        progressShown = true;
        QCOMPARE(progress->windowModality(), Qt::WindowModal);
        progress->findChild<QPushButton *>()->click();
        // Let the stalled read finish, so the join sees the cancel.
        feeder = std::thread([pipe] {
            QFile writer(pipe);
            if (writer.open(QIODevice::WriteOnly))
                writer.write("2,3\n");
        });
    });
    look.start(50);
    f.join("out.txt");
    look.stop();
    if (feeder.joinable())
        feeder.join();

    QVERIFY(progressShown);
    QVERIFY(f.messages.prompts.isEmpty());
    QCOMPARE(readFile(f.dir.filePath("out.txt")), QByteArray("precious"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{"a.csv", "out.txt", "slow.csv"}));
#endif
}

QTEST_MAIN(tst_JoinButton)
#include "tst_joinbutton.moc"
