// quillmere-join: the join of the window program, for scripts and for lists too long to click.

#include "joinengine.h"
#include "joinerror.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

enum ExitStatus { Success = 0, JoinFailed = 1, UsageError = 2 };

// No path is that long; a longer line is no list of paths, and is not read whole.
constexpr qint64 MaxListLine = 64 << 10;

const char Help[] = R"(Usage: quillmere-join -o OUTPUT [--files-from LIST]... [INPUT]...

Joins the INPUT files into the one file OUTPUT. Every input is read as comma-
and-line delimited data items, and every item becomes one line of OUTPUT,
ended by CR LF; one more CR LF closes OUTPUT.

An item ends at a comma or a line end (CR LF, LF or CR). Blanks (space, tab)
before an item are skipped. Quotes that enclose an item are removed; between
them, commas and line ends belong to the item and "" stands for one quote, and
text after the closing quote joins the item without the blanks around it.
Every other byte passes unchanged: nothing is converted between encodings,
and a byte-order mark stays part of the first item of its file. For example,
the input lines
    id,"Smith, Jo"
    7,  x y
become the output lines
    id
    Smith, Jo
    7
    x y
followed by one empty line.

  -o, --output OUTPUT   the file to write; - is the standard output. A regular
                        file is replaced only by a complete join, keeps its
                        links, owner, group and permissions, and may be one of
                        the inputs. A device or pipe is written into.
  --files-from LIST     also join the files named in LIST, one a line: UTF-8,
                        LF or CR LF line ends, empty lines skipped, at most
                        64 KiB a line. LIST - is the standard input. May be
                        given repeatedly.
  -h, --help            show this help and exit
  --version             show the version and exit

INPUT - is the standard input. Order: first the INPUTs in the order given, then
the paths of each LIST, in the order of the --files-from options. A path given
twice is read twice. Every input is checked before the first byte is read.

Exit status: 0 when OUTPUT was written; 1 when a file could not be read or
written (one line on standard error says which and why; OUTPUT is left as it
was); 2 on a usage error, such as a name that is not valid UTF-8.

SIGINT, SIGTERM and SIGHUP stop the join, even one that waits for a pipe, and
end the program by that signal. OUTPUT is left as it was, unless it was already
being replaced: that is then completed.
)";

std::atomic<bool> g_cancel{false};
volatile std::sig_atomic_t g_signal = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets it");

extern "C" void requestStop(int signal)
{
    g_signal = signal;
    g_cancel.store(true);
}

// Every message is one line: the engine's put their reason on a line of their own.
void printLine(const QString &text)
{
    std::fprintf(stderr, "quillmere-join: %s\n", qPrintable(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

int usageError(const QString &text)
{
    printLine(text);
    std::fputs("Try 'quillmere-join --help'.\n", stderr);
    return UsageError;
}

QString listName(const QString &path)
{
    return path == StandardStreamPath ? QStringLiteral("the standard input") : displayPath(path);
}

// The bytes of a name that is no text, printable: ASCII as it is, every other byte as \xHH.
QString escaped(QByteArrayView bytes)
{
    QString text;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x20 && code < 0x7F && code != '\\')
            text += QLatin1Char(byte);
        else
            text += QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return text;
}

// A name is passed on as text: bytes that are no UTF-8 would come out as another name.
std::optional<QString> decodedName(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString name = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return name;
}

struct ListProblem
{
    QString message;
    int status;
};

// Appends the paths of one list file, read a line at a time.
std::optional<ListProblem> readList(const QString &listPath, QStringList *paths)
{
    QFile list(listPath);
    bool opened = false;
    if (listPath == StandardStreamPath) {
#ifdef Q_OS_WIN
        // In text mode a pipe's CR LF would reach here as LF, and its ^Z would end it.
        _setmode(0, _O_BINARY);
#endif
        opened = list.open(0, QIODevice::ReadOnly);
    } else {
        opened = list.open(QIODevice::ReadOnly);
    }
    if (!opened)
        return ListProblem{cannotReadMessage(listPath, list.errorString()), JoinFailed};

    const auto where = [&listPath](qint64 number) {
        return QStringLiteral("Line %1 of %2").arg(number).arg(listName(listPath));
    };
    QByteArray line(MaxListLine + 3, Qt::Uninitialized); // the line, CR, LF and the NUL readLine() adds
    for (qint64 number = 1;; ++number) {
        const qint64 length = list.readLine(line.data(), line.size());
        if (length <= 0) {
            if (list.error() == QFileDevice::NoError)
                return std::nullopt;
            return ListProblem{cannotReadMessage(listPath, list.errorString()), JoinFailed};
        }
        QByteArrayView bytes(line.constData(), length);
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (number == 1 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        if (bytes.contains('\0'))
            return ListProblem{where(number) + QStringLiteral(" holds a NUL byte, which no file name can hold."), UsageError};
        if (bytes.size() > MaxListLine)
            return ListProblem{where(number) + QStringLiteral(" is longer than 64 KiB, so it names no file."), UsageError};
        if (bytes.isEmpty())
            continue;
        const std::optional<QString> path = decodedName(bytes);
        if (!path) {
            return ListProblem{where(number) + QStringLiteral(", \"%1\", is no UTF-8 text, so no file of exactly that name can be opened.")
                                                   .arg(escaped(bytes)),
                               UsageError};
        }
        // In a list, "-" is a file of that name.
        paths->append(*path == StandardStreamPath ? QStringLiteral("./-") : *path);
    }
}

// SIGINT and SIGTERM are caught even where the program was started with them ignored, as a
// shell does for a command run in the background: whoever sends one means it. SIGHUP ignored, as
// nohup leaves it, stays ignored.
void catchStopSignals()
{
#ifdef Q_OS_UNIX
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction hangUp = {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
    // A write beyond the file-size limit is then a failed write (EFBIG) that the join reports.
    std::signal(SIGXFSZ, SIG_IGN);
#else
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
#endif
}

int endBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 128 + signal;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    // Checked before Qt turns the arguments into text.
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (!decodedName(argument)) {
            printLine(QStringLiteral("The argument \"%1\" is no UTF-8 text, so no file of exactly that name can be opened.")
                          .arg(escaped(argument)));
            std::fputs("Try 'quillmere-join --help'.\n", stderr);
            return UsageError;
        }
    }
#endif
    QCoreApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")}, {}, QStringLiteral("OUTPUT"));
    const QCommandLineOption listOption(QStringLiteral("files-from"), {}, QStringLiteral("LIST"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOptions({outputOption, listOption, helpOption, versionOption});
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(Help, stdout);
        return Success;
    }
    if (parser.isSet(versionOption)) {
        std::fputs("quillmere-join 1.00\n", stdout);
        return Success;
    }
    const QStringList outputs = parser.values(outputOption);
    if (outputs.size() != 1)
        return usageError(outputs.isEmpty() ? QStringLiteral("No output file: give -o OUTPUT.")
                                            : QStringLiteral("More than one output file."));
    if (outputs.first().isEmpty())
        return usageError(QStringLiteral("The output file name is empty."));

    QStringList inputs = parser.positionalArguments();
    const QStringList lists = parser.values(listOption);
    if (inputs.contains(QString()) || lists.contains(QString()))
        return usageError(QStringLiteral("A file name is empty."));
    if (inputs.contains(StandardStreamPath) && lists.contains(StandardStreamPath))
        return usageError(QStringLiteral("The standard input cannot be both an input and a list."));
    for (const QString &listPath : lists) {
        if (const std::optional<ListProblem> problem = readList(listPath, &inputs)) {
            if (problem->status == UsageError)
                return usageError(problem->message);
            printLine(problem->message);
            return problem->status;
        }
    }
    if (inputs.isEmpty())
        return usageError(QStringLiteral("No input files."));

    catchStopSignals();
    JoinControl control;
    control.cancel = &g_cancel;
    const JoinResult result = joinFiles(inputs, outputs.first(), control);
    if (result.status == JoinResult::Status::Failed)
        printLine(result.errorMessage);
    if (g_signal != 0)
        return endBySignal(g_signal);
    return result.status == JoinResult::Status::Success ? Success : JoinFailed;
}
