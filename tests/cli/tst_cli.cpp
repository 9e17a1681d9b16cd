#include "joinengine.h"
#include "messagecompare.h"
#include "pipeends.h"
#include "testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringEncoder>
#include <QTest>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

// @p text in UTF-16 after its byte-order mark.
QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(text);
}

#ifdef Q_OS_UNIX
// Whether the running joiner has @p file open (Linux).
bool hasOpen(const QProcess &process, const QString &file)
{
    const QFileInfoList handles = QDir(QStringLiteral("/proc/%1/fd").arg(process.processId())).entryInfoList(QDir::System);
    return std::any_of(handles.begin(), handles.end(), [&](const QFileInfo &handle) {
        return handle.symLinkTarget() == QFileInfo(file).canonicalFilePath();
    });
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
    void joins_data();
    void joins();
    void names_data();
    void names();
    void failedJoin_data();
    void failedJoin();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void stopSignals_data();
    void stopSignals();
    void console_data();
    void console();
    void helpFitsTheSystem();
    void folderThatTakesNoNewFile();
    void nonAsciiPaths();

private:
    QString path(const QString &name) const { return m_dir->path(name); }
    QStringList files() const { return m_dir->entries(); }
    void start(QProcess &process, const QStringList &arguments, const QString &program = QUILLMERE_JOIN_PATH);
    Run run(const QStringList &arguments, const QByteArray &input = {}, const QString &program = QUILLMERE_JOIN_PATH);

    std::unique_ptr<TestFolder> m_dir;
};

void tst_Cli::init()
{
    m_dir = std::make_unique<TestFolder>();
    QVERIFY(m_dir->isValid());
    writeFile(path("a.csv"), "a1,a2\r\n\"a, 3\"\r\n");
    writeFile(path("b.csv"), "b1\n\nb2");
    writeFile(path("c.csv"), "  c1 ,\"c\"\"2\"\r");
    writeFile(path("out.txt"), OldOutput);
    // A folder, for the rows that join one, or match its files.
    for (const char *name : {"part10", "part2", "Part1", "notes", "sub/inner"})
        m_dir->write(QStringLiteral("f/%1%2").arg(name, name == QByteArray("notes") ? "" : ".csv"), name);
    const QString hidden = m_dir->write("f/.hidden.csv", "hidden");
#ifdef Q_OS_WIN
    QVERIFY(SetFileAttributesW(reinterpret_cast<LPCWSTR>(hidden.utf16()), FILE_ATTRIBUTE_HIDDEN));
#endif
}

void tst_Cli::start(QProcess &process, const QStringList &arguments, const QString &program)
{
    process.setWorkingDirectory(m_dir->path());
    process.start(program, arguments);
}

Run tst_Cli::run(const QStringList &arguments, const QByteArray &input, const QString &program)
{
    QProcess process;
    start(process, arguments, program);
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
    QTest::addRow("control characters in an option") << QStringList{"--\x1B[2J", "a.csv"} << 2 << QByteArray()
                                                     << "quillmere-join: Unknown option '\\x1B[2J'.\n" + Hint;
#ifdef Q_OS_WIN
    QTest::addRow("/? is help") << QStringList{"a.csv", "/?"} << 0
                                << QByteArray("Usage: quillmere-join -o OUTPUT [--files-from LIST]... [INPUT]...\n") << QByteArray();
#else
    QTest::addRow("/? is a name") << QStringList{"a.csv", "/?"} << 2 << QByteArray()
                                  << "quillmere-join: No output file: give -o OUTPUT.\n" + Hint;
#endif
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
    QCOMPARE(files(), (QStringList{"a.csv", "b.csv", "c.csv", "f", "out.txt"}));
    QCOMPARE(readFile(path("out.txt")), OldOutput);
}

// Positional inputs come first, then each list's paths in order; a list may end its lines in
// CR LF or LF, hold empty lines and begin with a byte-order mark.
void tst_Cli::sameBytesAsTheEngine()
{
    writeFile(path("lf.txt"), "b.csv\n" + path("a.csv").toUtf8() + "\n");
    writeFile(path("crlf.txt"), "\xEF\xBB\xBF\r\nc.csv\r\nb.csv");

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

// A list may be UTF-16, as Windows' own programs write them; on Windows, one that is no UTF-8
// is in the console's code page, as cmd writes "dir /b". These runs have no console, so that is
// the system's OEM code page; the rows take code page 437. A folder stands for the files
// directly inside it, not hidden ones, in natural order. On Windows, * and ? in the last part of
// an argument match names, as the shell's do on Linux.
void tst_Cli::joins_data()
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

    const QStringList list{"-o", "out.txt", "--files-from", "-"};
    const QString umlauts = QStringLiteral("Gr\u00FC\u00DFe.csv");
    QTest::addRow("list in UTF-16 LE, CR LF") << list << utf16("\r\nc.csv\r\n" + umlauts + "\r\n", QStringConverter::Utf16LE)
                                              << QByteArray("c1 \r\nc\"2\r\ng\r\n\r\n");
    QTest::addRow("list in UTF-16 BE, no last line end") << list << utf16("a.csv\n" + umlauts, QStringConverter::Utf16BE)
                                                         << a + "g\r\n\r\n";
#ifdef Q_OS_WIN
    // "\xC3\xA9" is UTF-8 too, but the next line is not.
    QTest::addRow("code page, shown by a later line") << list << QByteArray("\xC3\xA9.csv\nGr\x81\xE1" "e.csv\n")
                                                      << QByteArray("box\r\ng\r\n\r\n");
#endif

    const QByteArray folder = "notes\r\nPart1\r\npart2\r\npart10\r\n";
    QTest::addRow("folder") << QStringList{"-o", "out.txt", "f"} << QByteArray() << folder + "\r\n";
    QTest::addRow("folder in a list") << list << QByteArray("f\n") << folder + "\r\n";
    QTest::addRow("folder ending in a slash, and a file in it")
        << QStringList{"-o", "out.txt", "f/part2.csv", QDir::toNativeSeparators("f/")} << QByteArray()
        << "part2\r\n" + folder + "\r\n";
#ifdef Q_OS_WIN
    QTest::addRow("pattern") << QStringList{"-o", "out.txt", "f\\part*.csv"} << QByteArray()
                             << QByteArray("Part1\r\npart2\r\npart10\r\n\r\n");
    QTest::addRow("pattern with ?") << QStringList{"-o", "out.txt", "f/part?.csv", "a.csv"} << QByteArray()
                                    << "Part1\r\npart2\r\n" + a + "\r\n";
    QTest::addRow("pattern that matches a folder") << QStringList{"-o", "out.txt", "?"} << QByteArray() << folder + "\r\n";
#endif
}

void tst_Cli::joins()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, joined);

#ifdef Q_OS_WIN
    // This program has no manifest that makes its code pages UTF-8.
    if (QByteArray(QTest::currentDataTag()).startsWith("code page") && GetOEMCP() != 437)
        QSKIP("the system's OEM code page is not 437");
#endif
    writeFile(path(QStringLiteral("Gr\u00FC\u00DFe.csv")), "g\n");
    writeFile(path(QStringLiteral("\u251C\u2310.csv")), "box");
    const Run result = run(arguments, input);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(arguments[1] == "-" ? result.out : readFile(path("out.txt")), joined);
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
#ifndef Q_OS_WIN
    QTest::addRow("list line no UTF-8") << QByteArray("a.csv\nin\xC3.csv\n") << QStringList{"-o", "out.txt"}
                                        << QByteArray("Line 2 of list.txt, \"in\\xC3.csv\", is no UTF-8 text, so no file of "
                                                      "exactly that name can be opened.");
#endif
    QTest::addRow("list marked UTF-8, line no UTF-8")
        << QByteArray("\xEF\xBB\xBF\x1B.csv\r\nin\xC3.csv\n") << QStringList{"-o", "out.txt"}
        << QByteArray("Line 2 of list.txt, \"in\\xC3.csv\", is no UTF-8 text, so no file of exactly that name can be "
                      "opened.");
    QTest::addRow("UTF-16 list, half a character") << utf16("a.csv\r\nb", QStringConverter::Utf16LE).chopped(1)
                                                   << QStringList{"-o", "out.txt"}
                                                   << QByteArray("Line 2 of list.txt is no UTF-16 text, so it names no file.");
    QTest::addRow("UTF-16 list, NUL") << utf16(QStringLiteral("a.csv\nb.csv") + QChar(0) + "\n", QStringConverter::Utf16BE)
                                      << QStringList{"-o", "out.txt"}
                                      << QByteArray("Line 2 of list.txt holds a NUL character, which no file name can hold.");
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
        result = run({"-c", command, QUILLMERE_JOIN_PATH}, {}, "sh");
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
    QTest::addRow("folder that holds no files") << QStringList{"a.csv", "-o", "out.txt", "%1/empty"}
                                                << "Cannot read file " + QDir::toNativeSeparators("%1/empty")
                                                       + ": The folder holds no files.";
    QTest::addRow("control characters in a list line") << QStringList{"-o", "out.txt", "--files-from", "more.txt"}
                                                       << "Cannot read file \\x1B]0;x\\x07: No such file or directory.";
    QTest::addRow("mark in a list line") << QStringList{"-o", "out.txt", "--files-from", "marks.txt"}
                                         << QStringLiteral("Cannot read file \uFEFFa.csv: No such file or directory.");
    QTest::addRow("name beyond ASCII, in UTF-8") << QStringList{"-o", "out.txt", QStringLiteral("Gr\u00FC\u00DFe\u20AC.csv")}
                                                 << QStringLiteral("Cannot read file Gr\u00FC\u00DFe\u20AC.csv: No such file or "
                                                                   "directory.");
    // A name that stays a pattern names no file.
    const QString pattern = "Cannot read file " + QDir::toNativeSeparators("f/part*.csv") + ": No such file or directory.";
    QTest::addRow("pattern in a list is a name") << QStringList{"-o", "out.txt", "--files-from", "patterns.txt"} << pattern;
#ifdef Q_OS_WIN
    QTest::addRow("pattern that matches nothing") << QStringList{"a.csv", "-o", "out.txt", "*.none"}
                                                  << "Cannot read file *.none: No file matches it.";
#else
    QTest::addRow("pattern is a name") << QStringList{"-o", "out.txt", "f/part*.csv"} << pattern;
#endif
    QTest::addRow("output folder missing") << QStringList{"a.csv", "-o", "none/out.txt"}
                                           << "Cannot write file " + QDir::toNativeSeparators("none/out.txt")
                                                  + ": No such file or directory.";
    QTest::addRow("missing list") << QStringList{"a.csv", "--files-from", "none.txt", "-o", "out.txt"}
                                  << "Cannot read file none.txt: No such file or directory.";
#ifdef Q_OS_UNIX
    // A standard output that is an input would be written while it is read, whether the shell
    // appends to it or opens it read-write.
    const QString same = "Cannot write the standard output: It is also the input a.csv.";
    QTest::addRow("standard output appended to an input") << QStringList{"-o", "-", "b.csv", "a.csv", ">>a.csv"} << same;
    QTest::addRow("standard output an input, read and written") << QStringList{"-o", "-", "b.csv", "a.csv", "1<>a.csv"} << same;
#endif
}

void tst_Cli::failedJoin()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    QStringList list;
    for (int i = 0; i < 1000; ++i)
        list.append(i % 2 == 0 ? "a.csv" : "b.csv");
    writeFile(path("list.txt"), (list.join('\n') + "\nnone.csv\n").toUtf8());
    writeFile(path("more.txt"), "\x1B]0;x\x07\n");
    writeFile(path("marks.txt"), "\xEF\xBB\xBF" "a.csv\n\xEF\xBB\xBF" "a.csv\n"); // the list's mark, and a name's
    writeFile(path("patterns.txt"), "f/part*.csv\nf\n");
    QVERIFY(QDir(m_dir->path()).mkdir("empty"));
    const QStringList before = files();
    arguments.replaceInStrings("%1", m_dir->path());
    // A redirection, which only a shell makes, ends the arguments.
    const Run result = arguments.last().contains('>') ? run({"-c", "exec \"$0\" " + arguments.join(' '), QUILLMERE_JOIN_PATH}, {}, "sh")
                                                      : run(arguments);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(result.err.endsWith('\n'));
    const QString text = QString::fromUtf8(result.err).chopped(1);
    QVERIFY2(sameMessage(text, "quillmere-join: " + message.replace("%1", QDir::toNativeSeparators(m_dir->path()))),
             qPrintable(text));
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(readFile(path("a.csv")), QByteArray("a1,a2\r\n\"a, 3\"\r\n"));
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

// A join that waits for a pipe ends by the signal, the output as it was, and so does the reading
// of a list from a pipe, before the join begins. The signal comes once
// the joiner has the pipe open, or once a writer holds it open and writes nothing. (What a cancel
// does while the output is being replaced, tst_joinfaults tells.)
void tst_Cli::stopSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("writer"); // one that holds the pipe open, silent
    QTest::addColumn<bool>("list");   // the pipe is a list, not an input
#ifdef Q_OS_UNIX
    QTest::addRow("SIGINT, nobody writing") << SIGINT << false << false;
    QTest::addRow("SIGTERM, writer silent") << SIGTERM << true << false;
    QTest::addRow("SIGHUP, writer silent") << SIGHUP << true << false;
    QTest::addRow("SIGINT, list, nobody writing") << SIGINT << false << true;
    QTest::addRow("SIGTERM, list, writer silent") << SIGTERM << true << true;
#endif
}

void tst_Cli::stopSignals()
{
#ifndef Q_OS_UNIX
    QSKIP("needs named pipes and signals");
#else
    QFETCH(int, signal);
    QFETCH(bool, writer);
    QFETCH(bool, list);

    QVERIFY(makePipe(path("pipe")));
    const QStringList before = files();
    QProcess process;
    start(process, list ? QStringList{"-o", "out.txt", "a.csv", "--files-from", "pipe"} : QStringList{"-o", "out.txt", "a.csv", "pipe"});
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

// On Windows, on a console of its own (consolehost): messages show as text, a list is read in
// the console's code page, and Ctrl+C stops a join or a list that waits for the console, or a
// standard output that waits for its reader, leaving the output as it was.
void tst_Cli::console_data()
{
    QTest::addColumn<QStringList>("host"); // consolehost's options
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("exitCode");
    QTest::addColumn<QString>("screen"); // its last line
    QTest::addColumn<QByteArray>("output");

    const QString stopped = "c000013a";
    QTest::addRow("message") << QStringList{} << QStringList{"-o", "out.txt", QStringLiteral("Gr\u00FC\u00DFe\u20AC.csv")}
                             << "00000001" << QStringLiteral("quillmere-join: Cannot read file Gr\u00FC\u00DFe\u20AC.csv: ")
                             << OldOutput;
    QTest::addRow("list in code page 850") << QStringList{"--code-page", "850"}
                                           << QStringList{"-o", "out.txt", "--files-from", "850.txt"} << "00000000"
                                           << QString() << QByteArray("o\r\n\r\n");
    QTest::addRow("Ctrl+Z ends the input") << QStringList{"--type", "p,q\r\x1A\r"} << QStringList{"-o", "out.txt", "b.csv", "-"}
                                           << "00000000" << "^Z" << QByteArray("b1\r\n\r\nb2\r\np\r\nq\r\n\r\n");
    QTest::addRow("Ctrl+C, join waits") << QStringList{"--type", "p,q\r", "--ctrl-c"} << QStringList{"-o", "out.txt", "a.csv", "-"}
                                        << stopped << "p,q" << OldOutput;
    QTest::addRow("Ctrl+C, list waits") << QStringList{"--type", "a.csv\r", "--ctrl-c"}
                                        << QStringList{"-o", "out.txt", "--files-from", "-"} << stopped << "a.csv" << OldOutput;
    QTest::addRow("Ctrl+C, output waits") << QStringList{"--stuck-output", "--ctrl-c"} << QStringList{"-o", "-", "big.csv"}
                                          << stopped << QString() << OldOutput;
}

void tst_Cli::console()
{
#ifndef Q_OS_WIN
    QSKIP("a Windows console");
#else
    QFETCH(QStringList, host);
    QFETCH(QStringList, arguments);
    QFETCH(QString, exitCode);
    QFETCH(QString, screen);
    QFETCH(QByteArray, output);

    writeFile(path("850.txt"), "\x9B.csv\r\n"); // \u00F8 in code page 850, \u00A2 in 437
    writeFile(path(QStringLiteral("\u00F8.csv")), "o");
    writeFile(path("big.csv"), QByteArray(1 << 20, 'x'));
    writeFile(path("report.txt"), {});
    const QStringList before = files();
    const Run result = run(QStringList{"--report", "report.txt"} + host + QStringList{"--", QUILLMERE_JOIN_PATH} + arguments, {},
                           QUILLMERE_CONSOLE_HOST_PATH);
    if (result.exitCode == 77)
        QSKIP("no console can be made here");
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = QString::fromUtf8(readFile(path("report.txt"))).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), "exit " + exitCode);
    QVERIFY2(lines.value(lines.size() - 1, QString()).startsWith(screen), qPrintable(lines.join(u'|')));
    QCOMPARE(readFile(path("out.txt")), output);
    QCOMPARE(files(), before);
#endif
}

// The help says what applies on the system it runs on.
void tst_Cli::helpFitsTheSystem()
{
    const QString help = QString::fromUtf8(run({"--help"}).out);
#ifdef Q_OS_WIN
    const QStringList here{"Ctrl+Break", "closing the console", "0xC000013A", "code page", "/?"};
    const QStringList elsewhere{"SIGHUP", "owner", "mode"};
#else
    const QStringList here{"SIGHUP", "owner, group, every mode", "ACLs", "socket", "natural order"};
    const QStringList elsewhere{"Ctrl+C", "console", "/?"};
#endif
    for (const QString &text : here + elsewhere)
        QVERIFY2(help.contains(text) == here.contains(text), qPrintable(text));
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
