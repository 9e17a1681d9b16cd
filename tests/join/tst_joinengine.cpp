#include "faultysystemcalls.h"
#include "itemreader.h"
#include "joinengine.h"
#include "messagecompare.h"
#include "pipeends.h"
#include "testfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

QString publicCsv(const QString &name)
{
    return QStringLiteral(QUILLMERE_SOURCE_DIR "/../shared/testdata/csv/") + name;
}

// Blanks after a closing quote's text, more of them than the reader keeps in memory.
QByteArray manyBlanks()
{
    return QByteArray(" \t").repeated(int(ItemReader::HeldBlanksInMemory) * 3 / 2 + 7);
}

#ifdef Q_OS_UNIX
// What makes up a file besides its bytes: its inode, and, as text, its mode, owner and group and
// its extended attributes, ACLs among them.
std::pair<ino_t, QByteArray> identity(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    ::stat(name.constData(), &status);
    QByteArray rest = QByteArray::number(status.st_mode, 8) + ' ' + QByteArray::number(status.st_uid) + ':'
        + QByteArray::number(status.st_gid);
    char names[4096];
    const ssize_t size = ::listxattr(name.constData(), names, sizeof names);
    for (const QByteArray &attribute : QByteArray(names, std::max<ssize_t>(size, 0)).split('\0')) {
        char value[4096];
        const ssize_t length = ::getxattr(name.constData(), attribute.constData(), value, sizeof value);
        if (!attribute.isEmpty() && length >= 0)
            rest += ' ' + attribute + '=' + QByteArray(value, length).toHex();
    }
    return {status.st_ino, rest};
}

// An ACL that also lets nobody (65534) read and write, as Linux keeps it in the attribute
// system.posix_acl_access: a version, then for each entry its tag, permissions and id, little-endian.
const QByteArray AclWithNobody = QByteArray::fromHex(
    "02000000 01000600ffffffff 02000600feff0000 04000400ffffffff 10000600ffffffff 20000400ffffffff");
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
    void inputDeletedDuringTheJoin();
    void progressAndCancel();
    void pipes_data();
    void pipes();
    void runsOnAWorkerThread();
    void publicFiles_data();
    void publicFiles();

private:
    QString path(const QString &name) const { return m_dir->path(name); }
    QStringList files() const { return m_dir->entries(); }
    QStringList inputs(const QList<QByteArray> &contents);

    std::unique_ptr<TestFolder> m_dir;
};

void tst_JoinEngine::init()
{
    m_dir = std::make_unique<TestFolder>();
    QVERIFY(m_dir->isValid());
}

QStringList tst_JoinEngine::inputs(const QList<QByteArray> &contents)
{
    QStringList paths;
    for (const QByteArray &content : contents)
        paths.append(m_dir->write(QStringLiteral("in%1.csv").arg(paths.size()), content));
    return paths;
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

// What the output is stays: a rename only where it loses nothing (the replacement is given the
// output's owner, group, mode bits and extended attributes), a copy in place where it would lose
// links or cannot give the rest, and a device or pipe is written into. The output is the file
// that opening its path reaches. A cancelled join leaves a regular output as it was; a complete
// one may read the output itself.
void tst_JoinEngine::outputKinds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");      // of an existing output
    QTest::addColumn<bool>("sameFile"); // its inode stays

    const bool root = runningAsRoot();
    QTest::addRow("new file") << "new" << 0 << false;
    QTest::addRow("plain file") << "plain" << 0604 << false;
    QTest::addRow("set-user-ID") << "plain" << 04755 << false;
    QTest::addRow("set-group-ID") << "plain" << 02775 << false;
    QTest::addRow("sticky") << "plain" << 01644 << false;
    QTest::addRow("read-only") << "plain" << 0444 << false;
    QTest::addRow("owner only") << "plain" << 0400 << false;
    QTest::addRow("ACL entry") << "acl" << 0640 << false;
    QTest::addRow("extended attribute") << "attribute" << 0644 << false;
    QTest::addRow("reached through a linked folder") << "linked folder" << 0604 << false;
    QTest::addRow("249-byte name") << "long name" << 0604 << false;
    QTest::addRow("4095-byte path") << "long path" << 0604 << false;
    QTest::addRow("hard link") << "hard link" << 0604 << true;
    QTest::addRow("hard link, set-user-ID") << "hard link" << 04755 << true;
    QTest::addRow("other owner") << "other owner" << 0604 << !root; // root can give a new file away
    QTest::addRow("folder that takes no new file") << "read-only folder" << 0604 << true;
    QTest::addRow("named pipe") << "pipe" << 0 << true;
    QTest::addRow("device node") << "device" << 0 << true;
}

void tst_JoinEngine::outputKinds()
{
#ifndef Q_OS_UNIX
    QSKIP("links, owners, modes, pipes and device nodes as Unix has them");
#else
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(bool, sameFile);

    if ((kind == "other owner" || kind == "device") && !runningAsRoot())
        QSKIP("only root gives a file to another owner or makes a device node");
    if (kind == "read-only folder" && runningAsRoot())
        QSKIP("root creates files in any folder; tst_cli runs this case as nobody");

    const QStringList paths = inputs({"a,b\n", "c"});
    QVERIFY(QDir(m_dir->path()).mkdir("d"));
    QString output = path("d/out.txt");
    if (kind == "linked folder") {
        // The link names ../t.txt from the folder it lies in, which is not alias/.. as text.
        QVERIFY(QDir(path("d")).mkpath("real/sub"));
        writeFile(path("d/t.txt"), "PRECIOUS\n");
        QVERIFY(QFile::link("real/sub", path("d/alias")));
        QVERIFY(QFile::link("../t.txt", path("d/real/sub/l.txt")));
        output = path("d/real/t.txt");
    } else if (kind == "long name") {
        output = path("d/" + QString(245, 'n') + ".txt");
    } else if (kind == "long path") {
        // Folders of 200 bytes, then one that leaves between 100 and 250 bytes for the name.
        QString folder = path("d");
        while (folder.size() + 201 <= 4095 - 1 - 100)
            QVERIFY(QDir().mkdir(folder += '/' + QString(200, 'f')));
        if (const qsizetype left = 4095 - folder.size() - 1; left > 250)
            QVERIFY(QDir().mkdir(folder += '/' + QString(left - 151, 'f')));
        output = folder + '/' + QString(4095 - folder.size() - 5, 'n') + ".txt";
        QCOMPARE(QFile::encodeName(output).size(), 4095);
    }
    const QByteArray name = QFile::encodeName(output);
    const bool regular = kind != "pipe" && kind != "device";
    const bool existing = regular && kind != "new";
    if (kind == "pipe") {
        QVERIFY(makePipe(output));
    } else if (kind == "device") {
        QCOMPARE(::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)), 0); // a null device
    } else if (existing) {
        writeFile(output, OldOutput);
        QCOMPARE(::chmod(name.constData(), mode_t(mode)), 0);
    }
    if (kind == "acl" && ::setxattr(name.constData(), "system.posix_acl_access", AclWithNobody.constData(),
                                    std::size_t(AclWithNobody.size()), 0) != 0)
        QSKIP("the file system keeps no ACLs");
    if (kind == "attribute" && ::setxattr(name.constData(), "user.origin", "scanner", 7, 0) != 0)
        QSKIP("the file system keeps no extended attributes");
    if (kind == "hard link")
        QCOMPARE(::link(name.constData(), QFile::encodeName(path("d/link.txt")).constData()), 0);
    if (kind == "other owner")
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    const QFileDevice::Permissions writable = QFile::permissions(path("d"));
    if (kind == "read-only folder")
        QVERIFY(QFile::setPermissions(path("d"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto writableAgain = qScopeGuard([&] { QFile::setPermissions(path("d"), writable); });
    const auto before = identity(output);
    const auto folder = [this] {
        QStringList names;
        for (QDirIterator it(path("d"), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            names.append(QDir(path("d")).relativeFilePath(it.next()));
        names.sort();
        return names;
    };
    const QStringList folderBefore = folder();
    const QString given = kind == "linked folder" ? path("d/alias/l.txt") : output;

    // Cancelled once under way, the join leaves a regular output as it was, and nothing beside it.
    if (regular) {
        std::atomic<bool> cancel{false};
        const JoinControl control{[&cancel](qint64, qint64) { cancel = true; }, &cancel};
        QCOMPARE(joinFiles(paths, given, control).status, JoinResult::Status::Cancelled);
        QCOMPARE(readFile(output), existing ? OldOutput : QByteArray("<unreadable>"));
        QCOMPARE(folder(), folderBefore);
    }

    std::unique_ptr<PipeReader> reader(kind == "pipe" ? new PipeReader(output) : nullptr);
    const JoinResult result = joinFiles(existing ? QStringList{paths[0], given, paths[1]} : paths, given);
    QCOMPARE(result.errorMessage, QString());
    const QByteArray expected = existing ? "a\r\nb\r\nold output\r\nmust survive\r\nc\r\n\r\n" : "a\r\nb\r\nc\r\n\r\n";
    if (reader)
        reader->finish();
    if (regular || reader)
        QCOMPARE(reader ? reader->bytes : readFile(output), expected);
    if (kind == "hard link")
        QCOMPARE(readFile(path("d/link.txt")), expected);
    if (kind == "linked folder")
        QCOMPARE(readFile(path("d/t.txt")), QByteArray("PRECIOUS\n"));
    const auto after = identity(output);
    if (existing)
        QCOMPARE(after.second, before.second);
    QCOMPARE(after.first == before.first, sameFile);
    QCOMPARE(folder(), kind == "new" ? QStringList{"out.txt"} : folderBefore);
#endif
}

void tst_JoinEngine::outputReachedThroughALink()
{
#ifndef Q_OS_UNIX
    QSKIP("QFile::link makes a shortcut on Windows, which no program follows when it writes.");
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
    QTest::addColumn<QString>("input");  // relative to the test folder, listed third of four
    QTest::addColumn<QString>("output"); // relative to the test folder
    QTest::addColumn<QString>("message");  // %1: the input's path for a read, the output's for a write; %2: none/

    QTest::addRow("missing input") << "none.csv" << "out.txt" << "Cannot read file %1:\nNo such file or directory.";
    QTest::addRow("folder as input") << "folder" << "out.txt" << "Cannot read file %1:\nIt is a folder.";
    QTest::addRow("unreadable input") << "locked.csv" << "out.txt" << "Cannot read file %1:\nPermission denied.";
    QTest::addRow("output folder missing") << "in0.csv" << "none/out.txt" << "Cannot write file %1:\nNo such file or directory.";
    QTest::addRow("output is a folder") << "in0.csv" << "folder" << "Cannot write file %1:\nIt is a folder.";
    QTest::addRow("output is a loop of links") << "in0.csv" << "loop1" << "Cannot write file %1:\nToo many levels of symbolic links.";
    QTest::addRow("output is a socket") << "in0.csv" << "socket" << "Cannot write file %1:\nIt is a socket.";
    QTest::addRow("input is a socket") << "socket" << "out.txt" << "Cannot read file %1:\nIt is a socket.";
    // Told before anything is read, as every failure of the output's path is.
    QTest::addRow("output name too long") << "in0.csv" << QString(300, 'n') << "Cannot write file %1:\nFile name too long.";
    QTest::addRow("control characters in the name")
        << "in0.csv" << "none/\x1b[2J\r.txt" << "Cannot write file %2\\x1B[2J\\x0D.txt:\nNo such file or directory.";
}

// Every input is checked before anything is read: on Unix, the first input is a pipe that
// nobody writes, which would keep the join waiting.
void tst_JoinEngine::failure()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, message);

    if (input == "locked.csv" && runningAsRoot())
        QSKIP("root reads a file whatever its permissions");
    writeFile(path("out.txt"), OldOutput);
    QStringList paths = inputs({"a,b\n", "c\n"});
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
#ifdef Q_OS_UNIX
    QVERIFY(makePipe(path("pipe")));
    writeFile(path("locked.csv"), "x");
    QVERIFY(QFile::setPermissions(path("locked.csv"), {}));
    QVERIFY(QFile::link(path("loop2"), path("loop1")));
    QVERIFY(QFile::link(path("loop1"), path("loop2")));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto closeListener = qScopeGuard([listener] { ::close(listener); });
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(path("socket"));
    QVERIFY(std::size_t(socketName.size()) < sizeof address.sun_path);
    std::copy(socketName.cbegin(), socketName.cend(), address.sun_path);
    QCOMPARE(::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    paths.prepend(path("pipe"));
#else
    if (input == "locked.csv" || output == "loop1" || input == "socket" || output == "socket")
        QSKIP("needs Unix permissions, symbolic links and sockets");
    paths.prepend(paths[0]);
#endif

    const QStringList before = files();
    const JoinResult result = joinFiles({paths[0], paths[1], path(input), paths[2]}, path(output));
    QCOMPARE(result.status, JoinResult::Status::Failed);
    const bool reading = message.startsWith("Cannot read");
    const QString expected = QString(message)
                                 .replace("%1", QDir::toNativeSeparators(path(reading ? input : output)))
                                 .replace("%2", QDir::toNativeSeparators(path("none/")));
    QVERIFY2(sameMessage(result.errorMessage, expected), qPrintable(result.errorMessage));
    QCOMPARE(result.failedInput, reading ? 2 : -1);
    QCOMPARE(readFile(path("out.txt")), OldOutput);
    QCOMPARE(files(), before);
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
// goes away fails the join instead of ending the program. The cancel, or the reader's going,
// comes while the join waits: in its first wait, or where the pipe's reader reads nothing, once
// the pipe is full, in its second.
void tst_JoinEngine::pipes_data()
{
    QTest::addColumn<QString>("pipeIs");  // "input" or "output"
    QTest::addColumn<bool>("reader");     // of the output, one that reads nothing
    QTest::addColumn<QString>("message"); // where the reader goes away; empty where the join is cancelled

    QTest::addRow("input nobody writes") << "input" << false << QString();
    QTest::addRow("output nobody reads") << "output" << false << QString();
    QTest::addRow("output full") << "output" << true << QString();
    QTest::addRow("output's reader gone") << "output" << true << "Cannot write file %1:\nBroken pipe.";
}

void tst_JoinEngine::pipes()
{
#ifndef Q_OS_UNIX
    QSKIP("needs named pipes");
#else
    using Call = FaultySystemCalls::Call;
    QFETCH(QString, pipeIs);
    QFETCH(bool, reader);
    QFETCH(QString, message);

    const QString pipe = path("pipe");
    QVERIFY(makePipe(pipe));
    const QStringList paths = inputs({QByteArray("a,").repeated(1 << 20)});
    writeFile(path("out.txt"), OldOutput);
    const QStringList before = files();

    std::unique_ptr<PipeReader> silent(reader ? new PipeReader(pipe, PipeReader::Mode::Silent) : nullptr);
    std::atomic<bool> cancel{false};
    FaultySystemCalls system;
    system.before(Call::poll, reader ? 2 : 1, [&] {
        if (message.isEmpty())
            cancel = true;
        else
            silent->finish();
    });
    const SystemCalls::Override useThem(system);
    const JoinControl control{{}, &cancel};
    const JoinResult result = pipeIs == "input" ? joinFiles({paths[0], pipe}, path("out.txt"), control)
                                                : joinFiles(paths, pipe, control);

    QCOMPARE(result.status, message.isEmpty() ? JoinResult::Status::Cancelled : JoinResult::Status::Failed);
    QCOMPARE(result.errorMessage, message.isEmpty() ? QString() : message.arg(pipe));
    QCOMPARE(readFile(path("out.txt")), OldOutput);
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
