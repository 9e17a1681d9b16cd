#include "faultysystemcalls.h"
#include "itemreader.h"
#include "joinengine.h"
#include "joinerror.h"
#ifndef Q_OS_WIN
#include "pipeends.h"
#endif
#include "testfolder.h"

#include <QDir>
#include <QTest>

#include <atomic>
#include <map>
#include <thread>

#ifndef Q_OS_WIN
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>
#else
// Where there are no named pipes, no pipe is read.
struct PipeReader
{
    explicit PipeReader(const QString &) {}
    void finish() {}
    QByteArray bytes;
};
#endif

using Call = FaultySystemCalls::Call;

namespace {

enum class Output { New, Replaced, Staged, Pipe };

// Enough for the output to be written in several turns and copied in place in several pieces,
// and blanks held back in a temporary file of their own.
QList<QByteArray> inputContents()
{
    const QByteArray heldBlanks = QByteArray(" \t").repeated(int(ItemReader::HeldBlanksInMemory));
    return {QByteArray("alpha,\"beta, gamma\",delta\r\n").repeated(48000), "\"q\"x" + heldBlanks + "y\n", "last"};
}

// Which calls each kind of fault is made in: where the system can give that reason.
#ifdef Q_OS_WIN
const QList<Call> Writing{Call::CreateFileW, Call::WriteFile,    Call::FlushFileBuffers,
                          Call::SetEndOfFile, Call::ReplaceFileW, Call::MoveFileExW};
const QList<Call> Opening{Call::CreateFileW, Call::ReplaceFileW, Call::MoveFileExW, Call::DeleteFileW};
const QList<Call> Moving{Call::ReadFile, Call::WriteFile};
#else
const QList<Call> Writing{Call::openat, Call::write,  Call::fsync,     Call::fallocate,
                          Call::ftruncate, Call::linkat, Call::renameat2, Call::fsetxattr};
const QList<Call> Interruptible{Call::openat, Call::read,      Call::write, Call::close, Call::fsync,
                                Call::ftruncate, Call::fallocate, Call::flock, Call::poll, Call::fchmod};
const QList<Call> Moving{Call::read, Call::write};
#endif

enum class Fault { Error, Shorten };

// Where the system looks for the folder for temporary files.
const char *const TemporaryFolderVariables[] = {"TMPDIR", "TMP", "TEMP"};

} // namespace

Q_DECLARE_METATYPE(Output)
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(QList<Call>)

class tst_JoinFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyCall_data();
    void everyCall();
    void cancelWhileReplacing_data();
    void cancelWhileReplacing();
    void meanwhile_data();
    void meanwhile();
    void noTemporaryFolder();

private:
    QString path(const QString &name) const { return m_dir->path(name); }
    QString outputPath() const { return path(m_output == Output::Pipe ? "pipe" : "d/out.txt"); }
    void prepare(Output output);
    void restore();
    QStringList leftOver() const;
    JoinResult join(FaultySystemCalls &calls);
    QString check(const JoinResult &result, int error, bool mustSucceed);

    std::unique_ptr<TestFolder> m_dir;
    QStringList m_inputs;
    Output m_output = Output::New;
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
    for (const QByteArray &content : inputContents()) {
        m_inputs.append(path(QStringLiteral("in%1.csv").arg(m_inputs.size())));
        writeFile(m_inputs.last(), content);
    }
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

void tst_JoinFaults::prepare(Output output)
{
    m_output = output;
#ifndef Q_OS_WIN
    if (output == Output::Pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(outputPath()).constData(), 0600), 0);
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
}

// The output as it was before each join.
void tst_JoinFaults::restore()
{
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

JoinResult tst_JoinFaults::join(FaultySystemCalls &calls)
{
    const SystemCalls::Override useThem(calls);
    return joinFiles(m_inputs, outputPath());
}

// What a join that met a fault must have left: the whole join, or a message that names the file
// and the reason with the output as it was, and in either case nothing else. Where the output
// was already being overwritten, the message says where the whole join is kept. Empty where all
// is well.
QString tst_JoinFaults::check(const JoinResult &result, int error, bool mustSucceed)
{
    QByteArray output = m_reader ? (m_reader->finish(), m_reader->bytes) : readFile(outputPath());
    QStringList left = leftOver();
    if (result.status == JoinResult::Status::Success) {
        if (output != m_expected)
            return QStringLiteral("succeeded with %1 bytes of output instead of %2").arg(output.size()).arg(m_expected.size());
        if (m_output == Output::New)
            left.removeOne("d/out.txt");
        return left == m_before ? QString() : "left " + left.join(", ");
    }
    const QString message = result.errorMessage;
    if (mustSucceed)
        return "failed: " + message;
    if (result.status != JoinResult::Status::Failed)
        return QStringLiteral("cancelled");
    if (!message.contains(reasonText(systemErrorText(error))))
        return "the reason is missing: " + message;
    bool namesFile = message.startsWith("Cannot write file " + displayPath(outputPath()) + ":\n");
    for (const QString &input : std::as_const(m_inputs))
        namesFile = namesFile || message.startsWith("Cannot read file " + displayPath(input) + ":\n");
    if (!namesFile)
        return "the file is not named: " + message;
    const QString keptIn = QStringLiteral("the whole join is kept in ");
    if (const qsizetype at = message.indexOf(keptIn); at >= 0) {
        const QString kept = QDir::fromNativeSeparators(message.mid(at + keptIn.size()).chopped(1));
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

    prepare(output);
    FaultySystemCalls system;
    const JoinResult clean = join(system);
    QCOMPARE(clean.errorMessage, QString());
    m_expected = m_reader ? (m_reader->finish(), m_reader->bytes) : readFile(outputPath());
    QVERIFY(m_expected.size() > 1 << 20);
    const QList<Call> made = system.calls();

    std::map<Call, int> seen;
    int faults = 0;
    for (const Call call : made) {
        const int nth = ++seen[call];
        if (!calls.isEmpty() && !calls.contains(call))
            continue;
        restore();
        system.reset();
        if (fault == Fault::Error)
            system.fail(call, nth, error);
        else
            system.shorten(call, nth);
        const JoinResult result = join(system);
        const QString problem = check(result, error, mustSucceed);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("%1 #%2: %3").arg(FaultySystemCalls::nameOf(call)).arg(nth).arg(problem)));
        ++faults;
    }
    QVERIFY(faults > 0);
}

// A cancel stops the join until the output is being replaced, and from then on no longer.
void tst_JoinFaults::cancelWhileReplacing_data()
{
    QTest::addColumn<Output>("output");
    QTest::addColumn<Call>("during"); // its last call in the join
    QTest::addColumn<bool>("replaced");

#ifdef Q_OS_WIN
    QTest::addRow("renamed over, final flush") << Output::Replaced << Call::FlushFileBuffers << false;
    QTest::addRow("renamed over, rename") << Output::Replaced << Call::ReplaceFileW << true;
    QTest::addRow("new file, rename") << Output::New << Call::MoveFileExW << true;
    QTest::addRow("copied in place, copy") << Output::Staged << Call::SetEndOfFile << true;
#else
    QTest::addRow("renamed over, final flush") << Output::Replaced << Call::fsync << false;
    QTest::addRow("renamed over, rename") << Output::Replaced << Call::renameat2 << true;
    QTest::addRow("new file, final flush") << Output::New << Call::fsync << false;
    QTest::addRow("new file, link") << Output::New << Call::linkat << true;
    QTest::addRow("copied in place, room made") << Output::Staged << Call::fallocate << false;
    QTest::addRow("copied in place, copy") << Output::Staged << Call::ftruncate << true;
#endif
}

void tst_JoinFaults::cancelWhileReplacing()
{
    QFETCH(Output, output);
    QFETCH(Call, during);
    QFETCH(bool, replaced);

    prepare(output);
    FaultySystemCalls system;
    QCOMPARE(join(system).errorMessage, QString());
    m_expected = readFile(outputPath());
    const int last = int(system.calls().count(during));
    QVERIFY(last > 0);

    restore();
    system.reset();
    std::atomic<bool> cancel{false};
    system.before(during, last, [&cancel] { cancel = true; });
    JoinResult result;
    {
        const SystemCalls::Override useThem(system);
        result = joinFiles(m_inputs, outputPath(), {{}, &cancel});
    }
    QVERIFY(cancel);
    QCOMPARE(result.status, replaced ? JoinResult::Status::Success : JoinResult::Status::Cancelled);
    QCOMPARE(readFile(outputPath()), replaced ? m_expected : output == Output::New ? "<unreadable>" : OldOutput);
    QStringList left = leftOver();
    if (output == Output::New && replaced)
        left.removeOne("d/out.txt");
    QCOMPARE(left, m_before);
}

// What another program, or another join, does to the output while a join runs: held in the
// join's first flush, when the join is complete but nothing is replaced yet.
void tst_JoinFaults::meanwhile_data()
{
    QTest::addColumn<Output>("output");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("copying"); // held in the copy in place instead
    QTest::addColumn<QString>("reason"); // of the failure; empty for the system's own

    QTest::addRow("another join, copied in place") << Output::Staged << "join" << false << QString();
    QTest::addRow("replaced by another program")
        << Output::Replaced << "replace" << false << "It was replaced or moved during the join";
    QTest::addRow("replaced by another program, copied in place")
        << Output::Staged << "replace" << false << "It was replaced or moved during the join";
    QTest::addRow("replaced by another program while copied into")
        << Output::Staged << "replace" << true << "It was replaced or moved while the join was copied into it";
    QTest::addRow("made by another program")
        << Output::New << "replace" << false << "Another file of that name was made during the join";
}

void tst_JoinFaults::meanwhile()
{
    QFETCH(Output, output);
    QFETCH(QString, what);
    QFETCH(bool, copying);
    QFETCH(QString, reason);

    prepare(output);
    const QByteArray other = "written meanwhile\r\n";
    writeFile(path("other.csv"), "x,y");
    FaultySystemCalls system;
    JoinResult second;
    bool replaced = false;
#ifdef Q_OS_WIN
    const Call held = copying ? Call::SetEndOfFile : Call::FlushFileBuffers;
#else
    const Call held = copying ? Call::ftruncate : Call::fsync;
#endif
    // The copy's call is the last of its kind; the flush, the first.
    int nth = 1;
    if (copying) {
        QCOMPARE(join(system).errorMessage, QString());
        nth = int(system.calls().count(held));
        restore();
        system.reset();
    }
    system.before(held, nth, [&] {
        if (what == "join") {
            second = joinFiles({path("other.csv")}, outputPath());
            return;
        }
        writeFile(path("d/new.txt"), other);
        QFile::remove(outputPath());
        replaced = QFile::rename(path("d/new.txt"), outputPath());
    });
    const JoinResult result = join(system);

    if (what == "join") {
        // The second is turned away at once; the first completes, and nothing mixes.
        QCOMPARE(second.status, JoinResult::Status::Failed);
        QVERIFY2(second.errorMessage.startsWith("Cannot write file " + displayPath(outputPath()) + ":\n"),
                 qPrintable(second.errorMessage));
        QCOMPARE(result.errorMessage, QString());
        m_expected = readFile(outputPath());
        QVERIFY(m_expected.endsWith("last\r\n\r\n"));
        QCOMPARE(readFile(path("d/hard.txt")), m_expected);
        QCOMPARE(leftOver(), m_before);
        return;
    }
#ifdef Q_OS_WIN
    if (output == Output::Staged) {
        // The join's handle keeps every other program from replacing the file meanwhile.
        QVERIFY(!replaced);
        QCOMPARE(result.errorMessage, QString());
        QVERIFY(QFile::remove(path("d/new.txt")));
        QCOMPARE(leftOver(), m_before);
        return;
    }
#endif
    QVERIFY(replaced);
    QCOMPARE(result.status, JoinResult::Status::Failed);
    QCOMPARE(readFile(outputPath()), other);
    QStringList left = leftOver();
    if (copying) {
        // The join went to the file that was replaced, and stays in the staging, which it names.
        const QString keptIn = QStringLiteral("; the whole join is kept in ");
        const qsizetype at = result.errorMessage.indexOf(keptIn);
        QVERIFY2(at > 0, qPrintable(result.errorMessage));
        QCOMPARE(result.errorMessage.left(at), cannotWriteMessage(outputPath(), reason).chopped(1));
        const QString kept = QDir::fromNativeSeparators(result.errorMessage.mid(at + keptIn.size()).chopped(1));
        QVERIFY(readFile(kept).endsWith("last\r\n\r\n"));
        QCOMPARE(readFile(path("d/hard.txt")), readFile(kept));
        left.removeOne(QDir(m_dir->path()).relativeFilePath(kept));
        QCOMPARE(left, m_before);
        return;
    }
    QCOMPARE(result.errorMessage, cannotWriteMessage(outputPath(), reason));
    if (output == Output::Staged)
        QCOMPARE(readFile(path("d/hard.txt")), OldOutput);
    if (output == Output::New)
        left.removeOne("d/out.txt");
    QCOMPARE(left, m_before);
}

// Where the staging finds no folder, each folder tried is named with its reason.
void tst_JoinFaults::noTemporaryFolder()
{
#ifdef Q_OS_WIN
    QSKIP("the system names the folder for temporary files itself");
#else
    prepare(Output::Staged);
    FaultySystemCalls system;
    QCOMPARE(join(system).errorMessage, QString());
    // The staging is made right after the output is locked: the first openat after flock.
    const QList<Call> made = system.calls();
    const qsizetype locked = made.indexOf(Call::flock);
    QVERIFY(locked > 0);
    const int beside = int(made.mid(0, locked).count(Call::openat)) + 1;

    restore();
    system.reset();
    qputenv("TMPDIR", QFile::encodeName(path("none")));
    system.fail(Call::openat, beside, EACCES);       // beside it
    system.fail(Call::openat, beside + 3, ENOSPC);   // in /tmp, once TMPDIR and /tmp are opened
    const JoinResult result = join(system);
    QCOMPARE(result.errorMessage,
             cannotWriteMessage(outputPath(), "No temporary copy of the join can be made beside it (Permission denied), in "
                                                  + path("none") + " (No such file or directory) or in /tmp (No space left on device)"));
    QCOMPARE(readFile(outputPath()), OldOutput);
    QCOMPARE(leftOver(), m_before);

    // With room in /tmp, the join goes there.
    restore();
    system.reset();
    system.fail(Call::openat, beside, EACCES);
    QCOMPARE(join(system).errorMessage, QString());
    QVERIFY(readFile(outputPath()).endsWith("last\r\n\r\n"));
#endif
}

QTEST_APPLESS_MAIN(tst_JoinFaults)
#include "tst_joinfaults.moc"
