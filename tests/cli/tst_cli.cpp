#include "joinengine.h"
#include "testfiles.h"

#include <QtCore/QDeadlineTimer>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kOldOutput = "old output, must survive\r\n";

struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

#ifdef Q_OS_LINUX
bool signalPending(qint64 pid, int signal)
{
    const QList<QByteArray> lines = readFile(QStringLiteral("/proc/%1/status").arg(pid)).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("SigPnd:") || line.startsWith("ShdPnd:")) {
            if ((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1) & 1) != 0)
                return true;
        }
    }
    return false;
}
#endif

Run finish(QProcess &process)
{
    Run run;
    // It may have ended already, while the test waited.
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitCode();
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void usage_data();
    void usage();
    void sameBytesAsTheEngine();
    void listFromStandardInput();
    void failedJoin_data();
    void failedJoin();
    void fullDisk();
    void interrupted();
    void nonAsciiPaths();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList files() const;
    Run run(const QStringList &arguments, const QByteArray &input = {});

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Cli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeFile(path("a.csv"), "a1,a2\r\n\"a, 3\"\r\n");
    writeFile(path("b.csv"), "b1\n\nb2");
    writeFile(path("c.csv"), "  c1 ,\"c\"\"2\"\r");
}

QStringList tst_Cli::files() const
{
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

Run tst_Cli::run(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(QUILLMERE_JOIN_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    return finish(process);
}

void tst_Cli::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // the beginning of standard output
    QTest::addColumn<QByteArray>("err");

    const QByteArray hint = "Try 'quillmere-join --help'.\n";
    QTest::addRow("no arguments") << QStringList{} << 2 << QByteArray()
                                  << "quillmere-join: no output file: give -o OUTPUT\n" + hint;
    QTest::addRow("no inputs") << QStringList{"-o", "out.txt"} << 2 << QByteArray() << "quillmere-join: no input files\n" + hint;
    QTest::addRow("two outputs") << QStringList{"-o", "out.txt", "--output=x.txt", "a.csv"} << 2 << QByteArray()
                                 << "quillmere-join: more than one output file\n" + hint;
    QTest::addRow("unknown option") << QStringList{"-x", "a.csv"} << 2 << QByteArray()
                                    << "quillmere-join: Unknown option 'x'.\n" + hint;
    QTest::addRow("value missing") << QStringList{"a.csv", "-o"} << 2 << QByteArray()
                                   << "quillmere-join: Missing value after '-o'.\n" + hint;
    QTest::addRow("version") << QStringList{"--version"} << 0 << QByteArray("1.00\n") << QByteArray();
    QTest::addRow("help") << QStringList{"-o", "out.txt", "--help"} << 0
                          << QByteArray("Usage: quillmere-join -o OUTPUT [--files-from LIST]... [INPUT]...\n") << QByteArray();
}

void tst_Cli::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.out.startsWith(out), result.out.constData());
    QCOMPARE(result.err, err);
    QCOMPARE(files(), (QStringList{"a.csv", "b.csv", "c.csv"}));
}

// Positional inputs come first, then each list's paths in order; a list may end its lines in
// CR LF or LF and hold empty lines.
void tst_Cli::sameBytesAsTheEngine()
{
    writeFile(path("lf.txt"), "b.csv\n" + path("a.csv").toUtf8() + "\n");
    writeFile(path("crlf.txt"), "\r\nc.csv\r\nb.csv");
    writeFile(path("out.txt"), kOldOutput);

    const Run result = run({"c.csv", "--files-from", "lf.txt", "-o", "out.txt", "a.csv", "--files-from=crlf.txt"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, QByteArray());

    const QStringList order{"c.csv", "a.csv", "b.csv", "a.csv", "c.csv", "b.csv"};
    QStringList inputs;
    for (const QString &name : order)
        inputs.append(path(name));
    QCOMPARE(joinFiles(inputs, path("engine.txt")).status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), readFile(path("engine.txt")));
    QCOMPARE(readFile(path("out.txt")).left(18), QByteArray("c1 \r\nc\"2\r\na1\r\na2\r\n"));
}

void tst_Cli::listFromStandardInput()
{
    const Run result = run({"-o", "out.txt", "--files-from", "-"}, "a.csv\r\nb.csv\r\n");
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readFile(path("out.txt")), QByteArray("a1\r\na2\r\na, 3\r\nb1\r\n\r\nb2\r\n\r\n"));
}

void tst_Cli::failedJoin_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // %1: the folder of the test

    QTest::addRow("missing input") << QStringList{"a.csv", "none.csv", "-o", "out.txt"}
                                   << "Cannot read file none.csv: No such file or directory.";
    QTest::addRow("folder as input") << QStringList{"a.csv", "-o", "out.txt", "%1"}
                                     << "Cannot read file %1: It is a folder.";
    QTest::addRow("output folder missing") << QStringList{"a.csv", "-o", "none/out.txt"}
                                           << "Cannot write file none/out.txt: No such file or directory.";
    QTest::addRow("missing list") << QStringList{"a.csv", "--files-from", "none.txt", "-o", "out.txt"}
                                  << "Cannot read file none.txt: No such file or directory.";
}

void tst_Cli::failedJoin()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    writeFile(path("out.txt"), kOldOutput);
    const QStringList before = files();
    arguments.replaceInStrings("%1", m_dir->path());
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             "quillmere-join: " + message.replace("%1", QDir::toNativeSeparators(m_dir->path())) + "\n");
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), before);
}

// A disk that fills up: the child may write no file larger than 1 MiB, and a write beyond fails
// with EFBIG instead of ending the process.
void tst_Cli::fullDisk()
{
#ifdef Q_OS_UNIX
    writeFile(path("big.csv"), QByteArray("0123456789,").repeated(300000));
    writeFile(path("out.txt"), kOldOutput);
    const QStringList before = files();
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.setChildProcessModifier([] {
        const rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
    });
    process.start(QStringLiteral(QUILLMERE_JOIN_PATH), {"-o", "out.txt", "big.csv"});
    const Run result = finish(process);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, QByteArray("quillmere-join: Cannot write file out.txt: File too large.\n"));
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), before);
#else
    QSKIP("needs RLIMIT_FSIZE");
#endif
}

// Stopped by a signal, the joiner takes its temporary file with it. The input is a pipe that the
// test holds open, so the signal surely comes while the join is running.
void tst_Cli::interrupted()
{
#ifdef Q_OS_LINUX
    writeFile(path("out.txt"), kOldOutput);
    QVERIFY(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600) == 0);
    const QStringList before = files();
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(QUILLMERE_JOIN_PATH), {"-o", "out.txt", "a.csv", "pipe"});
    int pipe = -1; // opens once the joiner has opened the other end
    for (QDeadlineTimer deadline(10000); pipe < 0 && !deadline.hasExpired(); QTest::qWait(20))
        pipe = open(QFile::encodeName(path("pipe")).constData(), O_WRONLY | O_NONBLOCK);
    QVERIFY(pipe >= 0);
    QCOMPARE(write(pipe, "x,y\n", 4), 4);
    QVERIFY(kill(static_cast<pid_t>(process.processId()), SIGTERM) == 0);
    // Only once the signal is delivered may the join see the end of its input.
    QTRY_VERIFY_WITH_TIMEOUT(!signalPending(process.processId(), SIGTERM), 10000);
    close(pipe);
    const Run result = finish(process);
    QVERIFY(result.crashed);
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), before);
#else
    QSKIP("needs named pipes and /proc");
#endif
}

void tst_Cli::nonAsciiPaths()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("d\u00e5ta \u20ac")));
    const QString input = path(QStringLiteral("d\u00e5ta \u20ac/\u00e9t\u00e9.csv"));
    writeFile(input, "x,\xC3\xBF\n");
    writeFile(path("list.txt"), input.toUtf8() + "\n");
    const Run result = run({"-o", QStringLiteral("s\u00f6rtie.txt"), input, "--files-from", "list.txt"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readFile(path(QStringLiteral("s\u00f6rtie.txt"))), QByteArray("x\r\n\xC3\xBF\r\nx\r\n\xC3\xBF\r\n\r\n"));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
