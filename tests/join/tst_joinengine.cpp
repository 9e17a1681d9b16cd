#include "itemreader.h"
#include "joinengine.h"
#include "messagecompare.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

const QByteArray OldOutput = "old output, must survive\r\n";

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

QString publicCsv(const QString &name)
{
    return QStringLiteral(QUILLMERE_SOURCE_DIR "/../shared/testdata/csv/") + name;
}

// Blanks after a closing quote's text, more of them than the reader keeps in memory.
QByteArray manyBlanks()
{
    return QByteArray(" \t").repeated(int(ItemReader::kHeldBlanksInMemory) * 3 / 2 + 7);
}

#ifdef Q_OS_UNIX
struct Identity
{
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;

    bool operator==(const Identity &) const = default;
};

Identity identity(const QString &path)
{
    struct stat status = {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return {status.st_ino, status.st_mode, status.st_uid, status.st_gid};
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return S_IFREG | (0666 & ~mask);
}

// The other end of a named pipe, on a thread of its own: takes everything written into the
// pipe, or opens it and then neither reads nor writes until finish().
class PipePeer
{
public:
    enum Role { Reader, SilentReader, SilentWriter };

    PipePeer(const QString &path, Role role) : m_path(QFile::encodeName(path)), m_role(role)
    {
        m_thread = std::thread([this] {
            const int handle = ::open(m_path.constData(), m_role == SilentWriter ? O_WRONLY : O_RDONLY);
            if (handle < 0)
                return;
            char buffer[4096];
            for (ssize_t count = 1; m_role == Reader && count > 0;) {
                count = ::read(handle, buffer, sizeof buffer);
                if (count > 0)
                    bytes.append(buffer, count);
            }
            while (m_role != Reader && !m_done)
                QThread::msleep(10);
            ::close(handle);
        });
    }
    ~PipePeer() { finish(); }

    // An open that still waits for the other end is let go by an open of that end.
    void finish()
    {
        m_done = true;
        const int release = ::open(m_path.constData(), (m_role == SilentWriter ? O_RDONLY : O_WRONLY) | O_NONBLOCK);
        if (release >= 0)
            ::close(release);
        if (m_thread.joinable())
            m_thread.join();
    }

    QByteArray bytes;

private:
    QByteArray m_path;
    Role m_role;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
};
#endif

} // namespace

class tst_JoinEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void output_data();
    void output();
    void samePathTwice();
    void outputKinds_data();
    void outputKinds();
    void outputReachedThroughALink();
    void failure_data();
    void failure();
    void everyInputCheckedFirst();
    void noRoomForTheStaging();
    void inputDeletedDuringTheJoin();
    void progressAndCancel();
    void pipes_data();
    void pipes();
    void runsOnAWorkerThread();
    void publicFiles_data();
    void publicFiles();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList files() const;
    QStringList inputs(const QList<QByteArray> &contents);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_JoinEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QStringList tst_JoinEngine::inputs(const QList<QByteArray> &contents)
{
    QStringList paths;
    for (const QByteArray &content : contents) {
        paths.append(path(QStringLiteral("in%1.csv").arg(paths.size())));
        writeFile(paths.last(), content);
    }
    return paths;
}

// Everything in the test folder, so that a temporary file left behind shows.
QStringList tst_JoinEngine::files() const
{
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void tst_JoinEngine::output_data()
{
    QTest::addColumn<QList<QByteArray>>("contents");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("no inputs") << QList<QByteArray>{} << QByteArray("\r\n");
    QTest::addRow("all inputs empty") << QList<QByteArray>{"", ""} << QByteArray("\r\n");
    QTest::addRow("one word") << QList<QByteArray>{"word\r\n"} << QByteArray("word\r\n\r\n");
    QTest::addRow("next file on a line of its own") << QList<QByteArray>{"a", "b\n"} << QByteArray("a\r\nb\r\n\r\n");
    QTest::addRow("empty input adds nothing") << QList<QByteArray>{"a\n", "", "b"} << QByteArray("a\r\nb\r\n\r\n");
    QTest::addRow("fields and quotes")
        << QList<QByteArray>{"x,y,z\n\"p, q\"\n"} << QByteArray("x\r\ny\r\nz\r\np, q\r\n\r\n");
    QTest::addRow("blank lines kept") << QList<QByteArray>{"a\n\nb\n\n"} << QByteArray("a\r\n\r\nb\r\n\r\n\r\n");
    QTest::addRow("bytes unchanged")
        << QList<QByteArray>{QByteArray("\xEF\xBB\xBF\xC3\xA9\0,007", 10)}
        << QByteArray("\xEF\xBB\xBF\xC3\xA9\0\r\n007\r\n\r\n", 15);
    QTest::addRow("item longer than the buffers")
        << QList<QByteArray>{QByteArray(3 << 20, 'x') + ",y"} << QByteArray(3 << 20, 'x') + "\r\ny\r\n\r\n";
    QTest::addRow("output of many buffers")
        << QList<QByteArray>{QByteArray("ab,\"c\"\"d\", e\r\n").repeated(300000), QByteArray("f,g\n").repeated(700000)}
        << QByteArray("ab\r\nc\"d\r\ne\r\n").repeated(300000) + QByteArray("f\r\ng\r\n").repeated(700000) + "\r\n";
    // More held blanks than the reader keeps in memory go to a temporary file and come back.
    QTest::addRow("many held blanks, then text")
        << QList<QByteArray>{"\"q\"x" + manyBlanks() + "y\r\n\"r\"s" + manyBlanks() + "t"}
        << "qx" + manyBlanks() + "y\r\nrs" + manyBlanks() + "t\r\n\r\n";
    QTest::addRow("many held blanks, then the item's end")
        << QList<QByteArray>{"\"q\"x" + manyBlanks() + ",\"r\"s" + manyBlanks(), "z"} << QByteArray("qx\r\nrs\r\nz\r\n\r\n");
}

void tst_JoinEngine::output()
{
    QFETCH(QList<QByteArray>, contents);
    QFETCH(QByteArray, expected);

    writeFile(path("out.txt"), OldOutput);
    const JoinResult result = joinFiles(inputs(contents), path("out.txt"));
    QCOMPARE(result.status, JoinResult::Status::Success);
    QCOMPARE(result.errorMessage, QString());
    QCOMPARE(readFile(path("out.txt")), expected);
    QCOMPARE(files().size(), contents.size() + 1);
}

void tst_JoinEngine::samePathTwice()
{
    const QStringList paths = inputs({"a,b", "c"});
    QCOMPARE(joinFiles({paths[0], paths[1], paths[0]}, path("out.txt")).status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), QByteArray("a\r\nb\r\nc\r\na\r\nb\r\n\r\n"));
}

// What the output is stays: a rename only where it changes nothing but the content, a copy in
// place where it would change links, owner or group, and a device or pipe is written into.
// A cancelled join leaves a regular output as it was; a complete one may read the output itself.
void tst_JoinEngine::outputKinds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("sameFile"); // the output's inode, mode, owner and group stay

    QTest::addRow("new file") << "new" << false;
    QTest::addRow("plain file") << "plain" << false;
    QTest::addRow("hard link") << "hard link" << true;
    QTest::addRow("other owner") << "other owner" << true;
    QTest::addRow("folder that takes no new file") << "read-only folder" << true;
    QTest::addRow("named pipe") << "pipe" << true;
    QTest::addRow("device node") << "device" << true;
}

void tst_JoinEngine::outputKinds()
{
#ifndef Q_OS_UNIX
    QSKIP("links, owners, pipes and device nodes as Unix has them");
#else
    QFETCH(QString, kind);
    QFETCH(bool, sameFile);

    if ((kind == "other owner" || kind == "device") && !runningAsRoot())
        QSKIP("only root gives a file to another owner or makes a device node");
    if (kind == "read-only folder" && runningAsRoot())
        QSKIP("root creates files in any folder; tst_cli runs this case as nobody");

    const QStringList paths = inputs({"a,b\n", "c"});
    QVERIFY(QDir(m_dir->path()).mkdir("d"));
    const QString output = path("d/out.txt");
    const QByteArray name = QFile::encodeName(output);
    if (kind == "pipe")
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else if (kind == "device")
        QCOMPARE(::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)), 0); // a null device
    else if (kind != "new")
        writeFile(output, OldOutput);
    if (kind == "hard link")
        QCOMPARE(::link(name.constData(), QFile::encodeName(path("link.txt")).constData()), 0);
    if (kind == "other owner")
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    const bool regular = kind != "pipe" && kind != "device";
    const bool existing = regular && kind != "new";
    if (existing)
        QVERIFY(QFile::setPermissions(output, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    if (kind == "read-only folder")
        QVERIFY(QFile::setPermissions(path("d"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto writableAgain = qScopeGuard([this] {
        QFile::setPermissions(path("d"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    const Identity before = identity(output);
    const QStringList filesBefore = files();

    std::atomic<bool> cancel{false};
    JoinControl cancelAtOnce;
    cancelAtOnce.cancel = &cancel;
    cancelAtOnce.progress = [&cancel](qint64, qint64) { cancel = true; };
    if (regular) {
        QCOMPARE(joinFiles(paths, output, cancelAtOnce).status, JoinResult::Status::Cancelled);
        QCOMPARE(readFile(output), existing ? OldOutput : QByteArray("<unreadable>"));
        QCOMPARE(files(), filesBefore);
        QCOMPARE(QDir(path("d")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 existing ? QStringList{"out.txt"} : QStringList());
    }

    std::unique_ptr<PipePeer> reader;
    if (kind == "pipe")
        reader = std::make_unique<PipePeer>(output, PipePeer::Reader);
    const QStringList withOutput = existing ? QStringList{paths[0], output, paths[1]} : paths;
    const JoinResult result = joinFiles(withOutput, output);
    QCOMPARE(result.errorMessage, QString());
    QCOMPARE(result.status, JoinResult::Status::Success);
    const QByteArray expected = existing ? "a\r\nb\r\nold output\r\nmust survive\r\nc\r\n\r\n" : "a\r\nb\r\nc\r\n\r\n";
    if (reader) {
        reader->finish();
        QCOMPARE(reader->bytes, expected);
    } else if (regular) {
        QCOMPARE(readFile(output), expected);
    }
    if (kind == "hard link")
        QCOMPARE(readFile(path("link.txt")), expected);
    const Identity after = identity(output);
    QCOMPARE(after.mode, kind == "new" ? newFileMode() : before.mode);
    if (sameFile)
        QVERIFY(after == before);
    QCOMPARE(files(), filesBefore);
    QCOMPARE(QDir(path("d")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"out.txt"});
#endif
}

void tst_JoinEngine::outputReachedThroughALink()
{
#ifndef Q_OS_UNIX
    QSKIP("QFile::link() makes a shortcut on Windows");
#endif
    const QStringList paths = inputs({"a", "b"});
    QVERIFY(QFile::link(paths[1], path("link.txt")));
    QVERIFY(QFile::link(path("none.txt"), path("dangling.txt")));
    QCOMPARE(joinFiles(paths, path("link.txt")).status, JoinResult::Status::Success);
    QVERIFY(QFileInfo(path("link.txt")).isSymLink());
    QCOMPARE(readFile(paths[1]), QByteArray("a\r\nb\r\n\r\n"));
    // A dangling link creates its target.
    QCOMPARE(joinFiles({paths[0]}, path("dangling.txt")).status, JoinResult::Status::Success);
    QVERIFY(QFileInfo(path("dangling.txt")).isSymLink());
    QCOMPARE(readFile(path("none.txt")), QByteArray("a\r\n\r\n"));
}

void tst_JoinEngine::failure_data()
{
    QTest::addColumn<QString>("input");  // relative to the test folder, listed second of three
    QTest::addColumn<QString>("output"); // relative to the test folder
    QTest::addColumn<QString>("message");  // %1: the input's path for a read, the output's for a write

    QTest::addRow("missing input") << "none.csv" << "out.txt" << "Cannot read file %1:\nNo such file or directory.";
    QTest::addRow("folder as input") << "folder" << "out.txt" << "Cannot read file %1:\nIt is a folder.";
    QTest::addRow("unreadable input") << "locked.csv" << "out.txt" << "Cannot read file %1:\nPermission denied.";
    QTest::addRow("output folder missing") << "in0.csv" << "none/out.txt" << "Cannot write file %1:\nNo such file or directory.";
    QTest::addRow("output is a folder") << "in0.csv" << "folder" << "Cannot write file %1:\nIt is a folder.";
    QTest::addRow("output is a loop of links") << "in0.csv" << "loop1" << "Cannot write file %1:\nToo many levels of symbolic links.";
}

void tst_JoinEngine::failure()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, message);

    if (input == "locked.csv" && runningAsRoot())
        QSKIP("root reads a file whatever its permissions");
    writeFile(path("out.txt"), OldOutput);
    const QStringList paths = inputs({"a,b\n", "c\n"});
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
#ifdef Q_OS_UNIX
    writeFile(path("locked.csv"), "x");
    QVERIFY(QFile::setPermissions(path("locked.csv"), {}));
    QVERIFY(QFile::link(path("loop2"), path("loop1")));
    QVERIFY(QFile::link(path("loop1"), path("loop2")));
#else
    if (input == "locked.csv" || output == "loop1")
        QSKIP("needs Unix permissions and symbolic links");
#endif

    const QStringList before = files();
    const JoinResult result = joinFiles({paths[0], path(input), paths[1]}, path(output));
    QCOMPARE(result.status, JoinResult::Status::Failed);
    const bool reading = message.startsWith("Cannot read");
    QVERIFY2(sameMessage(result.errorMessage, message.arg(QDir::toNativeSeparators(path(reading ? input : output)))),
             qPrintable(result.errorMessage));
    QCOMPARE(result.failedInput, reading ? 1 : -1);
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), before);
}

// A missing input is told before anything is read or written: here the join would otherwise
// wait for ever for the pipe listed first, and its writer is not let go.
void tst_JoinEngine::everyInputCheckedFirst()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a named pipe");
#else
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    const JoinResult result = joinFiles({path("pipe"), path("none.csv")}, path("out.txt"));
    QCOMPARE(result.status, JoinResult::Status::Failed);
    QCOMPARE(result.failedInput, 1);
    QVERIFY(!QFile::exists(path("out.txt")));
    QCOMPARE(::open(QFile::encodeName(path("pipe")).constData(), O_WRONLY | O_NONBLOCK), -1);
    QCOMPARE(errno, ENXIO); // nobody reads the pipe
#endif
}

// A regular output that a rename cannot replace is staged first; with no room for that, the
// user is told and the output stays.
void tst_JoinEngine::noRoomForTheStaging()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a folder that takes no new file");
#else
    if (runningAsRoot())
        QSKIP("root creates files in any folder; tst_cli runs this case as nobody");
    QVERIFY(QDir(m_dir->path()).mkdir("d"));
    QVERIFY(QDir(m_dir->path()).mkdir("tmp"));
    writeFile(path("d/out.txt"), OldOutput);
    const QStringList paths = inputs({"a"});
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QVERIFY(QFile::setPermissions(path("d"), readOnly) && QFile::setPermissions(path("tmp"), readOnly));
    const QByteArray temp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(path("tmp")));
    const JoinResult result = joinFiles(paths, path("d/out.txt"));
    qputenv("TMPDIR", temp);
    QVERIFY(QFile::setPermissions(path("d"), readOnly | QFileDevice::WriteOwner));

    QCOMPARE(result.status, JoinResult::Status::Failed);
    QCOMPARE(result.errorMessage,
             QStringLiteral("Cannot write file %1:\nNo temporary copy of the join can be made beside it or in %2: "
                            "Permission denied.")
                 .arg(path("d/out.txt"), path("tmp")));
    QCOMPARE(readFile(path("d/out.txt")), OldOutput);
#endif
}

void tst_JoinEngine::inputDeletedDuringTheJoin()
{
    writeFile(path("out.txt"), OldOutput);
    const QStringList paths = inputs({"a", "b"});
    JoinControl control;
    control.progress = [&](qint64, qint64) { QFile::remove(paths[1]); };
    const JoinResult result = joinFiles(paths, path("out.txt"), control);
    QCOMPARE(result.status, JoinResult::Status::Failed);
    QVERIFY2(sameMessage(result.errorMessage, QStringLiteral("Cannot read file %1:\nNo such file or directory.")
                                                  .arg(QDir::toNativeSeparators(paths[1]))),
             qPrintable(result.errorMessage));
    QCOMPARE(result.failedInput, 1);
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), (QStringList{"in0.csv", "out.txt"}));
}

void tst_JoinEngine::progressAndCancel()
{
    writeFile(path("out.txt"), OldOutput);
    const QByteArray big = QByteArray("field,").repeated(3 << 20); // 18 MiB
    const QStringList paths = inputs({big, "x", big});
    const qint64 total = 2 * big.size() + 1;

    QList<qint64> seen;
    JoinControl control;
    control.progress = [&](qint64 done, qint64 all) {
        if (all != total)
            seen.append(-1);
        seen.append(done);
    };
    QCOMPARE(joinFiles(paths, path("out.txt"), control).status, JoinResult::Status::Success);
    QVERIFY(seen.size() > 4);
    QCOMPARE(seen.first(), 0);
    QCOMPARE(seen.last(), total);
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));

    writeFile(path("out.txt"), OldOutput);
    const QStringList before = files();
    std::atomic<bool> cancel{false};
    control.cancel = &cancel;
    control.progress = [&](qint64 done, qint64) { cancel = done >= big.size(); };
    const JoinResult result = joinFiles(paths, path("out.txt"), control);
    QCOMPARE(result.status, JoinResult::Status::Cancelled);
    QCOMPARE(result.errorMessage, QString());
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), before);
}

// Whatever waits for a pipe ends on cancel, leaving the output as it was; a pipe's reader that
// goes away fails the join instead of ending the program.
void tst_JoinEngine::pipes_data()
{
#ifdef Q_OS_UNIX
    QTest::addColumn<QString>("pipeIs"); // "input" or "output"
    QTest::addColumn<int>("peer");       // the other end; -1: nobody
    QTest::addColumn<QByteArray>("data"); // the other input
    QTest::addColumn<QString>("message"); // where the peer goes away; empty where the join is cancelled

    const QByteArray much = QByteArray("a,").repeated(1 << 20);
    QTest::addRow("input nobody writes") << "input" << -1 << QByteArray("a") << QString();
    QTest::addRow("input held open, empty") << "input" << int(PipePeer::SilentWriter) << QByteArray("a") << QString();
    QTest::addRow("output nobody reads") << "output" << -1 << QByteArray("a") << QString();
    QTest::addRow("output full") << "output" << int(PipePeer::SilentReader) << much << QString();
    QTest::addRow("output's reader gone") << "output" << int(PipePeer::SilentReader) << much
                                          << "Cannot write file %1:\nBroken pipe.";
#endif
}

void tst_JoinEngine::pipes()
{
#ifndef Q_OS_UNIX
    QSKIP("needs named pipes");
#else
    QFETCH(QString, pipeIs);
    QFETCH(int, peer);
    QFETCH(QByteArray, data);
    QFETCH(QString, message);

    const QString pipe = path("pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QStringList paths = inputs({data});
    const QString output = pipeIs == "output" ? pipe : path("out.txt");
    if (pipeIs == "input")
        writeFile(output, OldOutput);
    const QStringList before = files();

    std::unique_ptr<PipePeer> other;
    if (peer >= 0)
        other = std::make_unique<PipePeer>(pipe, PipePeer::Role(peer));
    std::atomic<bool> cancel{false};
    std::thread meanwhile([&] {
        QThread::msleep(300);
        if (message.isEmpty())
            cancel = true;
        else
            other->finish();
    });
    JoinControl control;
    control.cancel = &cancel;
    const JoinResult result = joinFiles(pipeIs == "input" ? QStringList{paths[0], pipe} : paths, output, control);
    meanwhile.join();

    QCOMPARE(result.status, message.isEmpty() ? JoinResult::Status::Cancelled : JoinResult::Status::Failed);
    QCOMPARE(result.errorMessage, message.isEmpty() ? QString() : message.arg(pipe));
    if (pipeIs == "input")
        QCOMPARE(readFile(output), OldOutput);
    QCOMPARE(files(), before);
#endif
}

// The window runs the join on a worker thread; this test has no QCoreApplication either.
void tst_JoinEngine::runsOnAWorkerThread()
{
    const QStringList paths = inputs({"a,b"});
    JoinResult result;
    std::thread worker([&] { result = joinFiles(paths, path("out.txt")); });
    worker.join();
    QCOMPARE(result.status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), QByteArray("a\r\nb\r\n\r\n"));
}

void tst_JoinEngine::publicFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("escaped quotes") << QStringList{"csv-spectrum/csvs/escaped_quotes.csv"}
                                    << QByteArray("a\r\nb\r\n1\r\nha \"ha\" ha\r\n3\r\n4\r\n\r\n");
    QTest::addRow("line ends in quotes, and no final line end")
        << QStringList{"csv-spectrum/csvs/newlines_crlf.csv", "csv-spectrum/csvs/empty_crlf.csv"}
        << QByteArray("a\r\nb\r\nc\r\n1\r\n2\r\n3\r\nOnce upon \r\na time\r\n5\r\n6\r\n7\r\n8\r\n9\r\n"
                      "a\r\nb\r\nc\r\n1\r\n\r\n\r\n2\r\n3\r\n4\r\n\r\n");
    QTest::addRow("blanks, comments and empty lines")
        << QStringList{"commons-csv/CSVFileParser/test.csv"}
        << QByteArray("A\r\nB\r\nC\r\nD\r\n# plain values\r\na\r\nb\r\nc\r\nd\r\n# spaces before and after\r\n"
                      "e \r\nf \r\ng\r\nh \r\n# quoted: with spaces before and after\r\n i \r\n j \r\n k \r\n l \r\n"
                      "# empty values\r\n\r\n\r\n\r\n\r\n# empty quoted values\r\n\r\n\r\n\r\n\r\n"
                      "# 3 empty lines\r\n\r\n\r\n\r\n# EOF on next line\r\n\r\n");
}

void tst_JoinEngine::publicFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QByteArray, expected);

    QStringList paths;
    for (const QString &file : files)
        paths.append(publicCsv(file));
    if (!QFile::exists(paths.first()))
        QSKIP("the public CSV files are not beside this checkout");
    QCOMPARE(joinFiles(paths, path("out.txt")).status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), expected);
}

QTEST_APPLESS_MAIN(tst_JoinEngine)
#include "tst_joinengine.moc"
