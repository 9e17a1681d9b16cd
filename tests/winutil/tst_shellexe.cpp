#include "fakes.h"
#include "recordingwindowsystem.h"
#include "shellexe.h"
#include "testfolder.h"

#include <QDir>
#include <QTest>

using namespace winapi;

class tst_ShellExe : public QObject
{
    Q_OBJECT

private slots:
    void call_data();
    void call();
    void answerIsAlwaysEmpty_data();
    void answerIsAlwaysEmpty();
    void relativeTargetIsTakenFromTheProgramFolder();
};

void tst_ShellExe::call_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("passed");

    QTest::addRow("empty") << QString() << QStringLiteral("\"\"");
    QTest::addRow("relative") << QStringLiteral("readme.txt") << QStringLiteral("\"readme.txt\"");
    QTest::addRow("absolute") << QStringLiteral("/srv/notes/a b.txt") << QStringLiteral("\"/srv/notes/a b.txt\"");
    QTest::addRow("web address") << QStringLiteral("https://example.org/?a=1&b=2")
                                 << QStringLiteral("\"https://example.org/?a=1&b=2\"");
    QTest::addRow("mail address") << QStringLiteral("mailto:someone@example.org")
                                  << QStringLiteral("\"mailto:someone@example.org\"");
    QTest::addRow("beyond ASCII, as UTF-8") << QStringLiteral("Übersicht – 1.txt")
                                            << QStringLiteral("\"Übersicht – 1.txt\"");
}

void tst_ShellExe::call()
{
    QFETCH(QString, target);
    QFETCH(QString, passed);

    RecordingWindowSystem platform;
    const WindowSystem::Override use(platform);
    // The folder in the system's own form, on Windows with the drive and backslashes.
    const QString programFolder = QDir::toNativeSeparators(QDir::rootPath() + QStringLiteral("opt/quillmere"));
    FixedProgramFolder folder(programFolder);
    const ProgramFolder::Override useFolder(folder);
    TestFolder elsewhere;
    const CurrentDirectory current(elsewhere.path());
    const winapi::HWND owner = 0x10000;

    ShellExe::ShellOpen(owner, target);

    QCOMPARE(platform.calls, QStringList{QStringLiteral("ShellExecuteA(65536, null, %1, null, \"%2\", 1)")
                                             .arg(passed, programFolder)});
}

void tst_ShellExe::answerIsAlwaysEmpty_data()
{
    QTest::addColumn<qint64>("shellAnswer");

    QTest::addRow("out of memory") << qint64(0);
    QTest::addRow("file not found") << qint64(2);
    QTest::addRow("no association") << qint64(31);
    QTest::addRow("opened") << qint64(42);
}

void tst_ShellExe::answerIsAlwaysEmpty()
{
    QFETCH(qint64, shellAnswer);

    RecordingWindowSystem platform;
    platform.shellResult = [&](const QString &) { return std::intptr_t(shellAnswer); };
    const WindowSystem::Override use(platform);
    FakeMessageBoxes messages;
    const MessageBoxes::Override useMessages(messages);

    const QVariant answer = ShellExe::ShellOpen(0, QStringLiteral("no-such.file"));

    QVERIFY(!answer.isValid());
    QCOMPARE(messages.prompts, QStringList());
}

// The whole way down to the desktop, on the Qt emulation.
void tst_ShellExe::relativeTargetIsTakenFromTheProgramFolder()
{
#ifdef Q_OS_WIN
    QSKIP("Would open the document with the real shell.");
#else
    TestFolder program;
    TestFolder elsewhere;
    const QString document = program.write(QStringLiteral("read me.txt"));
    elsewhere.write(QStringLiteral("read me.txt")); // a decoy

    FixedProgramFolder folder(program.path());
    const ProgramFolder::Override useFolder(folder);
    RecordingOpener opener;
    const DesktopOpener::Override useOpener(opener);
    FakeMessageBoxes messages;
    const MessageBoxes::Override useMessages(messages);
    const CurrentDirectory current(elsewhere.path());

    QVERIFY(!ShellExe::ShellOpen(0, QStringLiteral("read me.txt")).isValid());
    QVERIFY(!ShellExe::ShellOpen(0, QStringLiteral("missing.txt")).isValid());

    QCOMPARE(opener.opened, QList<QUrl>{QUrl::fromLocalFile(QFileInfo(document).absoluteFilePath())});
    QCOMPARE(messages.prompts, QStringList());
#endif
}

QTEST_MAIN(tst_ShellExe)
#include "tst_shellexe.moc"
