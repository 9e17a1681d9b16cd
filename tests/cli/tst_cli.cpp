#include "joinengine.h"
#include "messagecompare.h"
#include "pipeends.h"
#include "testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray Hint = "Try 'quillmere-join --help'.\n";

struct Run
{
    int exitCode = -1;
    bool crashed = false; ///< ended by a signal, whose number exitCode() then is
    QByteArray out;
    QByteArray err;
};

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
#ifdef Q_OS_WIN
    run.err.replace("\r\n", "\n"); // a console's text mode
#endif
    return run;
}

#ifdef Q_OS_UNIX
// Whether the running joiner has @p file open (Linux).
bool hasOpen(const QProcess &process, const QString &file)
{
    const QString handles = QStringLiteral("/proc/%1/fd").arg(process.processId());
    const QString target = QFileInfo(file).canonicalFilePath();
    for (const QFileInfo &handle : QDir(handles).entryInfoList(QDir::Files | QDir::System)) {
        if (handle.symLinkTarget() == target)
            return true;
    }
    return false;
}

#endif

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void usage_data();
    void usage();
    void sameBytesAsTheEngine();
    void standardStreams_data();
    void standardStreams();
    void standardOutputIsAnInput_data();
    void standardOutputIsAnInput();
    void names_data();
    void names();
    void failedJoin_data();
    void failedJoin();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void stopSignals_data();
    void stopSignals();
    void folderThatTakesNoNewFile();
    void nonAsciiPaths();

private:
    QString path(const QString &name) const { return m_dir->path(name); }
    QStringList files() const { return m_dir->entries(); }
    void start(QProcess &process, const QStringList &arguments);
    Run run(const QStringList &arguments, const QByteArray &input = {});

    std::unique_ptr<TestFolder> m_dir;
};

void tst_Cli::init()
{
    m_dir = std::make_unique<TestFolder>();
    QVERIFY(m_dir->isValid());
    writeFile(path("a.csv"), "a1,a2\r\n\"a, 3\"\r\n");
    writeFile(path("b.csv"), "b1\n\nb2");
    writeFile(path("c.csv"), "  c1 ,\"c\"\"2\"\r");
}

void tst_Cli::start(QProcess &process, const QStringList &arguments)
{
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(QUILLMERE_JOIN_PATH), arguments);
}

Run tst_Cli::run(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    start(process, arguments);
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

    QTest::addRow("no arguments") << QStringList{} << 2 << QByteArray()
                                  << "quillmere-join: No output file: give -o OUTPUT.\n" + Hint;
    QTest::addRow("no inputs") << QStringList{"-o", "out.txt"} << 2 << QByteArray() << "quillmere-join: No input files.\n" + Hint;
    QTest::addRow("two outputs") << QStringList{"-o", "out.txt", "--output=x.txt", "a.csv"} << 2 << QByteArray()
                                 << "quillmere-join: More than one output file.\n" + Hint;
    QTest::addRow("empty output name") << QStringList{"-o", "", "a.csv"} << 2 << QByteArray()
                                       << "quillmere-join: The output file name is empty.\n" + Hint;
    QTest::addRow("empty input name") << QStringList{"-o", "out.txt", "a.csv", ""} << 2 << QByteArray()
                                      << "quillmere-join: A file name is empty.\n" + Hint;
    QTest::addRow("standard input twice") << QStringList{"-o", "out.txt", "-", "--files-from", "-"} << 2 << QByteArray()
                                          << "quillmere-join: The standard input cannot be both an input and a list.\n" + Hint;
    QTest::addRow("unknown option") << QStringList{"-x", "a.csv"} << 2 << QByteArray()
                                    << "quillmere-join: Unknown option 'x'.\n" + Hint;
    QTest::addRow("value missing") << QStringList{"a.csv", "-o"} << 2 << QByteArray()
                                   << "quillmere-join: Missing value after '-o'.\n" + Hint;
    QTest::addRow("version") << QStringList{"--version"} << 0 << QByteArray("quillmere-join 1.00\n") << QByteArray();
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
    QVERIFY2(QByteArray(result.out).replace("\r\n", "\n").startsWith(out), result.out.constData());
    QCOMPARE(result.err, err);
    QCOMPARE(files(), (QStringList{"a.csv", "b.csv", "c.csv"}));
}

// Positional inputs come first, then each list's paths in order; a list may end its lines in
// CR LF or LF, hold empty lines and begin with a byte-order mark.
void tst_Cli::sameBytesAsTheEngine()
{
    writeFile(path("lf.txt"), "b.csv\n" + path("a.csv").toUtf8() + "\n");
    writeFile(path("crlf.txt"), "\xEF\xBB\xBF\r\nc.csv\r\nb.csv");
    writeFile(path("out.txt"), OldOutput);

    const Run result = run({"c.csv", "--files-from", "lf.txt", "-o", "out.txt", "a.csv", "--files-from=crlf.txt"});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray());

    const QStringList order{"c.csv", "a.csv", "b.csv", "a.csv", "c.csv", "b.csv"};
    QStringList inputs;
    for (const QString &name : order)
        inputs.append(path(name));
    QCOMPARE(joinFiles(inputs, path("engine.txt")).status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), readFile(path("engine.txt")));
    QCOMPARE(readFile(path("out.txt")).left(18), QByteArray("c1 \r\nc\"2\r\na1\r\na2\r\n"));
}

void tst_Cli::standardStreams_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("joined"); // in out.txt, or on the standard output

    const QByteArray a = "a1\r\na2\r\na, 3\r\n";
    QTest::addRow("list from standard input") << QStringList{"-o", "out.txt", "--files-from", "-"}
                                              << QByteArray("a.csv\r\nb.csv\r\n") << a + "b1\r\n\r\nb2\r\n\r\n";
    QTest::addRow("input from standard input") << QStringList{"-o", "out.txt", "a.csv", "-"} << QByteArray("p,\"q\r\n\"")
                                               << a + "p\r\nq\r\n\r\n\r\n";
    QTest::addRow("output to standard output") << QStringList{"-o", "-", "a.csv"} << QByteArray() << a + "\r\n";
}

void tst_Cli::standardStreams()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, joined);

    const Run result = run(arguments, input);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(arguments[1] == "-" ? result.out : readFile(path("out.txt")), joined);
}

// A standard output that is one of the inputs would be written while it is read: the join is
// refused before anything is written, whether the shell appends to it or opens it read-write.
void tst_Cli::standardOutputIsAnInput_data()
{
    QTest::addColumn<QString>("redirection"); // of the standard output, by the shell
    QTest::addRow("appended to") << ">>a.csv";
    QTest::addRow("read and written") << "1<>a.csv";
}

void tst_Cli::standardOutputIsAnInput()
{
#ifndef Q_OS_UNIX
    QSKIP("redirects through a Unix shell");
#else
    QFETCH(QString, redirection);
    const QByteArray before = readFile(path("a.csv"));
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start("sh", {"-c", "exec \"$0\" -o - b.csv a.csv " + redirection, QUILLMERE_JOIN_PATH});
    const Run result = finish(process);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, QByteArray("quillmere-join: Cannot write the standard output: It is also the input a.csv.\n"));
    QCOMPARE(readFile(path("a.csv")), before);
#endif
}

// A name that cannot be passed on exactly is a usage error that shows it, and nothing is written.
void tst_Cli::names_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("arguments"); // %1: a name that is no UTF-8
    QTest::addColumn<QByteArray>("message");

    QTest::addRow("argument no UTF-8") << QByteArray() << QStringList{"-o", "%1", "a.csv"}
                                       << QByteArray("The argument \"out\\xFF.txt\" is no UTF-8 text, so no file of exactly "
                                                     "that name can be opened.");
    QTest::addRow("list line no UTF-8") << QByteArray("a.csv\nin\xC3.csv\n") << QStringList{"-o", "out.txt"}
                                        << QByteArray("Line 2 of list.txt, \"in\\xC3.csv\", is no UTF-8 text, so no file of "
                                                      "exactly that name can be opened.");
    QTest::addRow("NUL in a list line") << QByteArray("a.csv\r\nb.csv\0c.csv\r\n", 20) << QStringList{"-o", "out.txt"}
                                        << QByteArray("Line 2 of list.txt holds a NUL byte, which no file name can hold.");
    QTest::addRow("list line too long") << "a.csv\n\n" + QByteArray((64 << 10) + 1, 'x') + "\n"
                                        << QStringList{"-o", "out.txt"}
                                        << QByteArray("Line 3 of list.txt is longer than 64 KiB, so it names no file.");
}

void tst_Cli::names()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);

    if (!list.isEmpty()) {
        writeFile(path("list.txt"), list);
        arguments << "--files-from" << "list.txt";
    }
    const QStringList before = files();
    Run result;
    if (!arguments.contains("%1")) {
        result = run(arguments);
    } else {
#ifndef Q_OS_UNIX
        QSKIP("arguments are bytes on Unix only");
#else
        // Bytes that are no UTF-8 reach the program only through the shell.
        QString command = "exec \"$0\"";
        for (const QString &argument : arguments)
            command += argument == "%1" ? " \"$(printf 'out\\377.txt')\"" : " '" + argument + "'";
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start("sh", {"-c", command, QUILLMERE_JOIN_PATH});
        result = finish(process);
#endif
    }
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err, "quillmere-join: " + message + "\n" + Hint);
    QCOMPARE(files(), before);
}

void tst_Cli::failedJoin_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // %1: the folder of the test

    QTest::addRow("missing input, told first") << QStringList{"a.csv", "-o", "out.txt", "--files-from", "list.txt"}
                                               << "Cannot read file none.csv: No such file or directory.";
    QTest::addRow("folder as input") << QStringList{"a.csv", "-o", "out.txt", "%1"} << "Cannot read file %1: It is a folder.";
    QTest::addRow("output folder missing") << QStringList{"a.csv", "-o", "none/out.txt"}
                                           << "Cannot write file " + QDir::toNativeSeparators("none/out.txt")
                                                  + ": No such file or directory.";
    QTest::addRow("missing list") << QStringList{"a.csv", "--files-from", "none.txt", "-o", "out.txt"}
                                  << "Cannot read file none.txt: No such file or directory.";
}

void tst_Cli::failedJoin()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    writeFile(path("out.txt"), OldOutput);
    QStringList list;
    for (int i = 0; i < 1000; ++i)
        list.append(i % 2 == 0 ? "a.csv" : "b.csv");
    writeFile(path("list.txt"), (list.join('\n') + "\nnone.csv\n").toUtf8());
    const QStringList before = files();
    arguments.replaceInStrings("%1", m_dir->path());
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(result.err.endsWith('\n'));
    const QString text = QString::fromUtf8(result.err).chopped(1);
    QVERIFY2(sameMessage(text, "quillmere-join: " + message.replace("%1", QDir::toNativeSeparators(m_dir->path()))),
             qPrintable(text));
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), before);
}

// The child may write no file larger than 1 MiB: a write beyond fails (EFBIG) and is told,
// instead of ending the program by SIGXFSZ. Where the join is staged (a hard-linked output),
// that is a staging without room: the output stays as it was.
void tst_Cli::fileSizeLimit_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QByteArray>("message");

    QTest::addRow("replaced") << QString() << QByteArray("Cannot write file out.txt: File too large.");
    QTest::addRow("staged") << "link.txt" << QByteArray("Cannot write file out.txt: Its temporary copy %1 cannot be "
                                                        "written: File too large.");
}

void tst_Cli::fileSizeLimit()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, link);
    QFETCH(QByteArray, message);

    writeFile(path("big.csv"), QByteArray("0123456789,").repeated(300000));
    writeFile(path("out.txt"), OldOutput);
    if (!link.isEmpty())
        QVERIFY(::link(QFile::encodeName(path("out.txt")).constData(), QFile::encodeName(path(link)).constData()) == 0);
    const QStringList before = files();
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    start(process, {"-o", "out.txt", "big.csv"});
    const Run result = finish(process);
    QCOMPARE(result.exitCode, 1);
    // %1, the temporary copy's name, is not known before.
    const QByteArray expected = "quillmere-join: " + message + "\n";
    const qsizetype name = expected.indexOf("%1");
    QVERIFY2(name < 0 ? result.err == expected
                      : result.err.startsWith(expected.left(name)) && result.err.endsWith(expected.mid(name + 2)),
             result.err.constData());
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), before);
#else
    QSKIP("needs RLIMIT_FSIZE");
#endif
}

// A join that waits for a pipe ends by the signal, the output as it was. The signal comes once
// the joiner has the pipe open, or once a writer holds it open and writes nothing. (What a cancel
// does while the output is being replaced, tst_joinfaults tells.)
void tst_Cli::stopSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("writer"); // one that holds the pipe open, silent
#ifdef Q_OS_UNIX
    QTest::addRow("SIGINT, nobody writing") << SIGINT << false;
    QTest::addRow("SIGTERM, writer silent") << SIGTERM << true;
    QTest::addRow("SIGHUP, writer silent") << SIGHUP << true;
#endif
}

void tst_Cli::stopSignals()
{
#ifndef Q_OS_UNIX
    QSKIP("needs named pipes and signals");
#else
    QFETCH(int, signal);
    QFETCH(bool, writer);

    writeFile(path("out.txt"), OldOutput);
    QVERIFY(makePipe(path("pipe")));
    const QStringList before = files();
    QProcess process;
    start(process, {"-o", "out.txt", "a.csv", "pipe"});
    const int holder = writer ? holdPipeOpen(path("pipe")) : -1;
    if (writer)
        QVERIFY(holder >= 0);
    else
        QTRY_VERIFY_WITH_TIMEOUT(hasOpen(process, path("pipe")), 10000);
    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), signal), 0);
    const Run result = finish(process);
    ::close(holder);
    QVERIFY(result.crashed);
    QCOMPARE(result.exitCode, signal);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), before);
#endif
}

// The reported case, as an ordinary user: the output's folder takes no new file, so the join is
// staged elsewhere and copied into the output in place.
void tst_Cli::folderThatTakesNoNewFile()
{
#ifndef Q_OS_UNIX
    QSKIP("needs Unix permissions");
#else
    if (!runningAsRoot())
        QSKIP("runs the joiner as nobody, which takes root; tst_joinengine runs this case as the user");
    QVERIFY(QDir(m_dir->path()).mkdir("d"));
    writeFile(path("d/out.txt"), "OLD\n");
    for (const QString &name : {QString(), QStringLiteral("d"), QStringLiteral("d/out.txt"), QStringLiteral("a.csv")})
        QCOMPARE(::chown(QFile::encodeName(path(name)).constData(), 65534, 65534), 0);
    QVERIFY(QFile::setPermissions(path("d"), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ExeOther));
    struct stat before = {};
    struct stat after = {};
    ::stat(QFile::encodeName(path("d/out.txt")).constData(), &before);

    QProcess process;
    process.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
    });
    start(process, {"-o", "d/out.txt", "d/out.txt", "a.csv"});
    QCOMPARE(finish(process).exitCode, 0);
    ::stat(QFile::encodeName(path("d/out.txt")).constData(), &after);
    QVERIFY(QFile::setPermissions(path("d"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QCOMPARE(readFile(path("d/out.txt")), QByteArray("OLD\r\na1\r\na2\r\na, 3\r\n\r\n"));
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(m_dir->entries("d"), QStringList{"out.txt"});
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
