// quillmere-join: the join of the window program, for scripts and for lists too long to click.

#include "joinengine.h"

#include <QtCore/QCommandLineParser>
#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

enum ExitStatus { Success = 0, JoinFailed = 1, UsageError = 2 };

const char kHelp[] = R"(Usage: quillmere-join -o OUTPUT [--files-from LIST]... [INPUT]...

Joins the INPUT files into the one file OUTPUT. Every input is read as comma-
and-line delimited data items, and every item becomes one line of OUTPUT, ended
by CR LF; one more CR LF closes the file. Bytes pass through unchanged.

  -o, --output OUTPUT   the file to write. It is replaced only once the whole
                        join has succeeded; it may be one of the inputs.
  --files-from LIST     also join the files named in LIST, one path a line
                        (LF or CR LF line ends; empty lines are skipped).
                        LIST "-" is standard input. May be given repeatedly.
  -h, --help            show this help and exit
  --version             show the version and exit

Order: first the INPUTs in the order given, then the paths of each LIST, in the
order of the --files-from options. A path given twice is read twice.

Exit status: 0 when OUTPUT was written; 1 when a file could not be read or
written (one line on standard error says which and why; OUTPUT is left as it
was); 2 on a usage error. Interrupted by a signal, it leaves OUTPUT as it was
and ends by that signal.
)";

volatile std::sig_atomic_t g_stopSignal = 0;
std::atomic<bool> g_cancel{false};

extern "C" void requestStop(int signal)
{
    g_stopSignal = signal;
    g_cancel.store(true);
}

void printLine(const QString &text)
{
    std::fprintf(stderr, "quillmere-join: %s\n", qPrintable(text));
}

int usageError(const QString &text)
{
    printLine(text);
    std::fputs("Try 'quillmere-join --help'.\n", stderr);
    return UsageError;
}

// Appends the paths of one list file; false, with the reason in *error, when it cannot be read.
bool readList(const QString &listPath, QStringList *paths, QString *error)
{
    QFile list(listPath);
    const bool opened = listPath == QLatin1String("-") ? list.open(stdin, QIODevice::ReadOnly)
                                                       : list.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? list.readAll() : QByteArray();
    if (!opened || list.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Cannot read file %1: %2.").arg(QDir::toNativeSeparators(listPath), list.errorString());
        return false;
    }
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            paths->append(QFile::decodeName(line));
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
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
        std::fputs(kHelp, stdout);
        return Success;
    }
    if (parser.isSet(versionOption)) {
        std::fputs("1.00\n", stdout);
        return Success;
    }
    const QStringList outputs = parser.values(outputOption);
    if (outputs.size() != 1)
        return usageError(outputs.isEmpty() ? QStringLiteral("no output file: give -o OUTPUT")
                                            : QStringLiteral("more than one output file"));

    QStringList inputs = parser.positionalArguments();
    for (const QString &listPath : parser.values(listOption)) {
        QString error;
        if (!readList(listPath, &inputs, &error)) {
            printLine(error);
            return JoinFailed;
        }
    }
    if (inputs.isEmpty())
        return usageError(QStringLiteral("no input files"));

    // An interrupted join must not leave its temporary file beside the output; the engine removes
    // it when the progress callback asks to stop.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
#ifdef SIGHUP
    std::signal(SIGHUP, requestStop);
#endif
    JoinControl control;
    control.cancel = &g_cancel;
    const JoinResult result = joinFiles(inputs, outputs.first(), control);
    switch (result.status) {
    case JoinResult::Status::Success:
        return Success;
    case JoinResult::Status::Failed:
        printLine(QString(result.errorMessage).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return JoinFailed;
    case JoinResult::Status::Cancelled:
        break;
    }
    const int signal = g_stopSignal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return JoinFailed;
}
