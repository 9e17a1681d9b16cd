#include "faultysystemcalls.h"
#include "itemreader.h"
#include "joinengine.h"
#include "joinerror.h"
#include "pipeends.h"
#include "testfolder.h"

#include <QDir>
#include <QTest>

#include <atomic>
#include <map>

#ifdef Q_OS_WIN
// Where there are no named pipes, no pipe is read.
struct PipeReader
{
    explicit PipeReader(const QString &) {}
    void finish() {}
    QByteArray bytes;
};
#else
#include <cerrno>

#include <unistd.h>
#endif

using Call = FaultySystemCalls::Call;
using Status = JoinResult::Status;

namespace {

enum class Output { New, Replaced, Staged, Pipe };
enum class Fault { Error, Shorten };

// Enough for the output to be written in several turns and copied in place in several pieces,
// and blanks held back in a temporary file of their own.
QList<QByteArray> inputContents()
{
    const QByteArray heldBlanks = QByteArray(" \t").repeated(int(ItemReader::HeldBlanksInMemory));
    return {QByteArray("alpha,\"beta, gamma\",delta\r\n").repeated(48000), "\"q\"x" + heldBlanks + "y\n", "last"};
}

// Which calls each kind of fault is made in: where the system can give that reason. The join's
// first flush comes when the join is complete but nothing is replaced yet; the last call of a
// copy in place, once the join is copied in.
#ifdef Q_OS_WIN
const QList<Call> Writing{Call::CreateFileW, Call::WriteFile,    Call::FlushFileBuffers,
                          Call::SetEndOfFile, Call::ReplaceFileW, Call::MoveFileExW};
const QList<Call> Opening{Call::CreateFileW, Call::ReplaceFileW, Call::MoveFileExW, Call::DeleteFileW};
const QList<Call> Moving{Call::ReadFile, Call::WriteFile};
const Call Flush = Call::FlushFileBuffers;
const Call CopyEnd = Call::SetEndOfFile;
#else
const QList<Call> Writing{Call::openat, Call::write,  Call::fsync,     Call::fallocate,
                          Call::ftruncate, Call::linkat, Call::renameat2, Call::fsetxattr};
const QList<Call> Interruptible{Call::openat, Call::read,      Call::write, Call::close, Call::fsync,
                                Call::ftruncate, Call::fallocate, Call::flock, Call::poll, Call::fchmod};
const QList<Call> Moving{Call::read, Call::write};
const Call Flush = Call::fsync;
const Call CopyEnd = Call::ftruncate;
#endif

// Where the system looks for the folder for temporary files.
const char *const TemporaryFolderVariables[] = {"TMPDIR", "TMP", "TEMP"};

const QString KeptIn = QStringLiteral("; the whole join is kept in ");

// The file in which a failed join's message says the whole join is kept; empty where it names none.
QString keptFile(const QString &message)
{
    const qsizetype at = message.indexOf(KeptIn);
    return at < 0 ? QString() : QDir::fromNativeSeparators(message.mid(at + KeptIn.size()).chopped(1));
}

} // namespace

Q_DECLARE_METATYPE(Output)
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(QList<Call>)
Q_DECLARE_METATYPE(Status)

class tst_JoinFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyCall_data();
    void everyCall();
    void meanwhile_data();
    void meanwhile();
    void noTemporaryFolder();

private:
    QString path(const QString &name) const { return m_dir->path(name); }
    QString outputPath() const { return path(m_output == Output::Pipe ? "pipe" : "d/out.txt"); }
    QByteArray written() { return m_reader ? (m_reader->finish(), m_reader->bytes) : readFile(outputPath()); }
    void cleanJoin(Output output);
    void restore();
    QStringList leftOver() const;
    JoinResult join(const JoinControl &control = {});
    QString check(const JoinResult &result, Status otherwise, const QString &reason = {});

    std::unique_ptr<TestFolder> m_dir;
    QStringList m_inputs;
    Output m_output = Output::New;
    FaultySystemCalls m_system;
    QList<Call> m_made;
    QByteArray m_expected;
    QStringList m_before;
    std::unique_ptr<PipeReader> m_reader;
    QByteArrayList m_environment;
};

void tst_JoinFaults::init()
{
    m_dir = std::make_unique<TestFolder>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("d"));
    QVERIFY(QDir(m_dir->path()).mkpath("tmp"));
    m_inputs.clear();
    for (const QByteArray &content : inputContents())
        m_inputs.append(m_dir->write(QStringLiteral("in%1.csv").arg(m_inputs.size()), content));
    // Temporary files are made here, where what is left shows.
    m_environment.clear();
    for (const char *name : TemporaryFolderVariables) {
        m_environment.append(qgetenv(name));
        qputenv(name, QFile::encodeName(QDir::toNativeSeparators(path("tmp"))));
    }
}

void tst_JoinFaults::cleanup()
{
    m_reader.reset();
    for (qsizetype i = 0; i < m_environment.size(); ++i) {
        if (m_environment[i].isNull())
            qunsetenv(TemporaryFolderVariables[i]);
        else
            qputenv(TemporaryFolderVariables[i], m_environment[i]);
    }
}

// A join that meets no fault, through the double: what it writes is what every other join
// must, and its calls are those a test plays with. The output is then as it was again.
void tst_JoinFaults::cleanJoin(Output output)
{
    m_output = output;
#ifndef Q_OS_WIN
    if (output == Output::Pipe)
        QVERIFY(makePipe(outputPath()));
#endif
    if (output == Output::Staged) {
        writeFile(outputPath(), OldOutput);
#ifdef Q_OS_WIN
        QVERIFY(::CreateHardLinkW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path("d/hard.txt")).utf16()),
                                  reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(outputPath()).utf16()), nullptr));
#else
        QCOMPARE(::link(QFile::encodeName(outputPath()).constData(), QFile::encodeName(path("d/hard.txt")).constData()), 0);
#endif
    }
    restore();
    m_before = leftOver();
    QCOMPARE(join().errorMessage, QString());
    m_expected = written();
    m_made = m_system.calls();
    restore();
}

// As it was before each join: the output, and the double told nothing. A pipe's reader is made
// only once the one before it has finished: it would take that one's writer for its own.
void tst_JoinFaults::restore()
{
    m_system.reset();
    if (m_output == Output::New)
        QFile::remove(outputPath());
    if (m_output == Output::Replaced || m_output == Output::Staged)
        writeFile(outputPath(), OldOutput);
    if (m_output == Output::Pipe)
        m_reader = std::make_unique<PipeReader>(outputPath());
}

// Everything in the output's folder and the folder for temporary files.
QStringList tst_JoinFaults::leftOver() const
{
    QStringList names;
    for (const QString &folder : {QStringLiteral("d"), QStringLiteral("tmp")}) {
        for (const QString &name : m_dir->entries(folder))
            names.append(folder + '/' + name);
    }
    return names;
}

JoinResult tst_JoinFaults::join(const JoinControl &control)
{
    const SystemCalls::Override useThem(m_system);
    return joinFiles(m_inputs, outputPath(), control);
}

// What a join must have left where it succeeded: the whole join; where it ended as @p otherwise:
// the output as it was, and for a failure, a message that names the file and @p reason, or, where
// the output was already being overwritten, says where the whole join is kept. In either case,
// nothing else. Empty where all is well.
QString tst_JoinFaults::check(const JoinResult &result, Status otherwise, const QString &reason)
{
    const QByteArray output = written();
    QStringList left = leftOver();
    const QString message = result.errorMessage;
    bool namesFile = message.startsWith("Cannot write file " + displayPath(outputPath()) + ":\n");
    for (const QString &input : std::as_const(m_inputs))
        namesFile = namesFile || message.startsWith("Cannot read file " + displayPath(input) + ":\n");
    if (result.status == Status::Success) {
        if (output != m_expected)
            return QStringLiteral("succeeded with %1 bytes of output instead of %2").arg(output.size()).arg(m_expected.size());
        if (m_output == Output::New)
            left.removeOne("d/out.txt");
    } else if (result.status != otherwise) {
        return QStringLiteral("ended as %1 of JoinResult::Status: %2").arg(int(result.status)).arg(message);
    } else if (result.status == Status::Failed && !message.contains(reason)) {
        return "the reason is missing: " + message;
    } else if (result.status == Status::Failed && !namesFile) {
        return "the file is not named: " + message;
    } else if (const QString kept = keptFile(message); !kept.isEmpty()) {
        if (readFile(kept) != m_expected)
            return "the join is not kept in " + kept;
        left.removeOne(QDir(m_dir->path()).relativeFilePath(kept));
        QFile::remove(kept);
    } else if (m_output != Output::Pipe && output != (m_output == Output::New ? QByteArray("<unreadable>") : OldOutput)) {
        return "the output changed: " + message;
    }
    return left == m_before ? QString() : "left " + left.join(", ") + " after: " + message;
}

// Every call that the join makes on each of its ways is made to fail in turn, or to be
// interrupted, or to move fewer bytes; the join either completes or fails as it must.
void tst_JoinFaults::everyCall_data()
{
    QTest::addColumn<Output>("output");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("error");
    QTest::addColumn<QList<Call>>("calls"); // where the fault is made; none: in every call
    QTest::addColumn<bool>("mustSucceed");

    const QList<Call> every;
    QList<std::pair<Output, const char *>> outputs{
        {Output::New, "new file"}, {Output::Replaced, "renamed over"}, {Output::Staged, "copied in place"}};
#ifndef Q_OS_WIN
    outputs.append({Output::Pipe, "pipe"});
#endif
    for (const auto &[output, name] : std::as_const(outputs)) {
#ifdef Q_OS_WIN
        QTest::addRow("%s, access denied", name) << output << Fault::Error << int(ERROR_ACCESS_DENIED) << every << false;
        QTest::addRow("%s, disk full", name) << output << Fault::Error << int(ERROR_DISK_FULL) << Writing << false;
        QTest::addRow("%s, sharing violation", name)
            << output << Fault::Error << int(ERROR_SHARING_VIOLATION) << Opening << false;
#else
        QTest::addRow("%s, EIO", name) << output << Fault::Error << EIO << every << false;
        QTest::addRow("%s, EINTR", name) << output << Fault::Error << EINTR << Interruptible << true;
        QTest::addRow("%s, ENOSPC", name) << output << Fault::Error << ENOSPC << Writing << false;
        QTest::addRow("%s, EDQUOT", name) << output << Fault::Error << EDQUOT << Writing << false;
        QTest::addRow("%s, EFBIG", name) << output << Fault::Error << EFBIG << Writing << false;
#endif
        QTest::addRow("%s, short", name) << output << Fault::Shorten << 0 << Moving << true;
    }
}

void tst_JoinFaults::everyCall()
{
    QFETCH(Output, output);
    QFETCH(Fault, fault);
    QFETCH(int, error);
    QFETCH(QList<Call>, calls);
    QFETCH(bool, mustSucceed);

    cleanJoin(output);
    QVERIFY(m_expected.size() > 1 << 20);
    std::map<Call, int> seen;
    int faults = 0;
    for (const Call call : std::as_const(m_made)) {
        const int nth = ++seen[call];
        if (!calls.isEmpty() && !calls.contains(call))
            continue;
        if (fault == Fault::Error)
            m_system.fail(call, nth, error);
        else
            m_system.shorten(call, nth);
        const QString problem =
            check(join(), mustSucceed ? Status::Success : Status::Failed, reasonText(systemErrorText(error)));
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("%1 #%2: %3").arg(FaultySystemCalls::nameOf(call)).arg(nth).arg(problem)));
        restore();
        ++faults;
    }
    QVERIFY(faults > 0);
}

// What a cancel, another join, or another program does while the join is held in one of its
// calls. A cancel stops the join until the output is being replaced, and from then on no
// longer; another join of the same output is turned away at once, and nothing mixes; an output
// that another program replaced stays as that program left it.
void tst_JoinFaults::meanwhile_data()
{
    QTest::addColumn<Output>("output");
    QTest::addColumn<Call>("held");
    QTest::addColumn<bool>("last"); // of its kind in the join, else the first
    QTest::addColumn<QString>("what");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("reason"); // of the failure

    const QString none;
    QTest::addRow("cancel, renamed over, final flush") << Output::Replaced << Flush << true << "cancel" << Status::Cancelled << none;
    QTest::addRow("cancel, copied in place, copy") << Output::Staged << CopyEnd << true << "cancel" << Status::Success << none;
#ifdef Q_OS_WIN
    QTest::addRow("cancel, renamed over, rename")
        << Output::Replaced << Call::ReplaceFileW << true << "cancel" << Status::Success << none;
    QTest::addRow("cancel, new file, rename") << Output::New << Call::MoveFileExW << true << "cancel" << Status::Success << none;
    // The join's handle keeps every other program from replacing the file meanwhile.
    const Status stagedReplaced = Status::Success;
#else
    QTest::addRow("cancel, renamed over, rename") << Output::Replaced << Call::renameat2 << true << "cancel" << Status::Success << none;
    QTest::addRow("cancel, new file, final flush") << Output::New << Call::fsync << true << "cancel" << Status::Cancelled << none;
    QTest::addRow("cancel, new file, link") << Output::New << Call::linkat << true << "cancel" << Status::Success << none;
    QTest::addRow("cancel, copied in place, room made")
        << Output::Staged << Call::fallocate << true << "cancel" << Status::Cancelled << none;
    const Status stagedReplaced = Status::Failed;
#endif
    QTest::addRow("another join, copied in place") << Output::Staged << Flush << false << "join" << Status::Success << none;
    const QString during = QStringLiteral("It was replaced or moved during the join");
    QTest::addRow("replaced by another program") << Output::Replaced << Flush << false << "replace" << Status::Failed << during;
    QTest::addRow("replaced by another program, copied in place")
        << Output::Staged << Flush << false << "replace" << stagedReplaced << during;
    QTest::addRow("replaced by another program while copied into")
        << Output::Staged << CopyEnd << true << "replace" << stagedReplaced
        << "It was replaced or moved while the join was copied into it";
    QTest::addRow("made by another program") << Output::New << Flush << false << "replace" << Status::Failed
                                             << "Another file of that name was made during the join";
}

void tst_JoinFaults::meanwhile()
{
    QFETCH(Output, output);
    QFETCH(Call, held);
    QFETCH(bool, last);
    QFETCH(QString, what);
    QFETCH(Status, status);
    QFETCH(QString, reason);

    cleanJoin(output);
    QVERIFY(m_made.contains(held));
    const QByteArray other = "written meanwhile\r\n";
    std::atomic<bool> cancel{false};
    JoinResult second;
    bool replaced = false;
    m_system.before(held, last ? int(m_made.count(held)) : 1, [&] {
        if (what == "cancel") {
            cancel = true;
        } else if (what == "join") {
            second = joinFiles({m_inputs.last()}, outputPath());
        } else {
            writeFile(path("d/new.txt"), other);
            QFile::remove(outputPath());
            replaced = QFile::rename(path("d/new.txt"), outputPath());
        }
    });
    const JoinResult result = join({{}, &cancel});
    QCOMPARE(result.status, status);
    QCOMPARE(cancel.load(), what == "cancel");
    QCOMPARE(second.status, what == "join" ? Status::Failed : Status::Success);
    QVERIFY2(what != "join" || second.errorMessage.startsWith("Cannot write file " + displayPath(outputPath()) + ":\n"),
             qPrintable(second.errorMessage));
    QCOMPARE(replaced, what == "replace" && status == Status::Failed);
    if (!replaced) {
        QCOMPARE(QFile::remove(path("d/new.txt")), what == "replace");
        QCOMPARE(check(result, Status::Cancelled), QString());
        // A copy in place reaches the file's other link too.
        if (output == Output::Staged)
            QCOMPARE(readFile(path("d/hard.txt")), status == Status::Success ? m_expected : OldOutput);
        return;
    }

    QCOMPARE(readFile(outputPath()), other);
    QStringList left = leftOver();
    if (output == Output::New)
        left.removeOne("d/out.txt");
    if (last) {
        // The join went into the file that was replaced, and stays in the staging, which it names.
        const QString kept = keptFile(result.errorMessage);
        QVERIFY2(!kept.isEmpty(), qPrintable(result.errorMessage));
        QCOMPARE(result.errorMessage, cannotWriteMessage(outputPath(), reason).chopped(1) + KeptIn + displayPath(kept) + '.');
        QCOMPARE(readFile(kept), m_expected);
        QCOMPARE(readFile(path("d/hard.txt")), m_expected);
        left.removeOne(QDir(m_dir->path()).relativeFilePath(kept));
    } else {
        QCOMPARE(result.errorMessage, cannotWriteMessage(outputPath(), reason));
        if (output == Output::Staged)
            QCOMPARE(readFile(path("d/hard.txt")), OldOutput);
    }
    QCOMPARE(left, m_before);
}

// Where the staging finds no folder, each folder tried is named with its reason.
void tst_JoinFaults::noTemporaryFolder()
{
#ifdef Q_OS_WIN
    QSKIP("the system names the folder for temporary files itself");
#else
    cleanJoin(Output::Staged);
    // The staging is made right after the output is locked: the first openat after flock.
    const qsizetype locked = m_made.indexOf(Call::flock);
    QVERIFY(locked > 0);
    const int beside = int(m_made.first(locked).count(Call::openat)) + 1;

    qputenv("TMPDIR", QFile::encodeName(path("none")));
    m_system.fail(Call::openat, beside, EACCES);     // beside it
    m_system.fail(Call::openat, beside + 3, ENOSPC); // in /tmp, once TMPDIR and /tmp are opened
    const QString reason = "No temporary copy of the join can be made beside it (Permission denied), in " + path("none")
        + " (No such file or directory) or in /tmp (No space left on device)";
    const JoinResult result = join();
    QCOMPARE(result.errorMessage, cannotWriteMessage(outputPath(), reason));
    QCOMPARE(check(result, Status::Failed, reason), QString());

    // With room in /tmp, the join goes there.
    restore();
    m_system.fail(Call::openat, beside, EACCES);
    QCOMPARE(check(join(), Status::Success), QString());
#endif
}

QTEST_APPLESS_MAIN(tst_JoinFaults)
#include "tst_joinfaults.moc"
