// quillmere-join: the join of the window program, for scripts and for lists too long to click.

#include "bytenames.h"
#include "consoletext.h"
#include "helptext.h"
#include "inputfiles.h"
#include "joinengine.h"
#include "joinerror.h"
#include "joinstop.h"
#include "listreader.h"
#include "stoprequests.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

enum ExitStatus { Success = 0, JoinFailed = 1, UsageError = 2 };

// Every message is one line: the engine's put their reason on a line of their own. Whatever
// the message quotes of an argument, control characters included, is shown escaped.
void printLine(const QString &text)
{
    writeText(stderr, QStringLiteral("quillmere-join: ") + escapedControls(QString(text).replace(u'\n', u' ')) + u'\n');
}

int usageError(const QString &text)
{
    printLine(text);
    writeText(stderr, QStringLiteral("Try 'quillmere-join --help'.\n"));
    return UsageError;
}

} // namespace

int main(int argc, char *argv[])
{
    // First, so that a stop while a list is read from a slow pipe stops the program too.
    StopRequests::catchStops();
    JoinStop stop;
    stop.cancel = &StopRequests::flag();

#ifdef Q_OS_UNIX
    // Checked before Qt turns the arguments into text.
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (!utf8Text(argument)) {
            return usageError(QStringLiteral("The argument \"%1\" is no UTF-8 text, so no file of exactly that name can be "
                                             "opened.")
                                  .arg(escapedBytes(argument)));
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
    const QStringList arguments = QCoreApplication::arguments();
#ifdef Q_OS_WIN
    const bool windowsHelp = arguments.indexOf(QStringLiteral("/?"), 1) > 0;
#else
    const bool windowsHelp = false;
#endif
    if (!windowsHelp && !parser.parse(arguments))
        return usageError(parser.errorText());
    if (windowsHelp || parser.isSet(helpOption)) {
        writeText(stdout, helpText());
        return Success;
    }
    if (parser.isSet(versionOption)) {
        writeText(stdout, QStringLiteral("quillmere-join 1.00\n"));
        return Success;
    }
    const QStringList outputs = parser.values(outputOption);
    if (outputs.size() != 1)
        return usageError(outputs.isEmpty() ? QStringLiteral("No output file: give -o OUTPUT.")
                                            : QStringLiteral("More than one output file."));
    if (outputs.first().isEmpty())
        return usageError(QStringLiteral("The output file name is empty."));

    const QStringList inputs = parser.positionalArguments();
    const QStringList lists = parser.values(listOption);
    if (inputs.contains(QString()) || lists.contains(QString()))
        return usageError(QStringLiteral("A file name is empty."));
    if (inputs.contains(StandardStreamPath) && lists.contains(StandardStreamPath))
        return usageError(QStringLiteral("The standard input cannot be both an input and a list."));
    if (inputs.contains(StandardStreamPath) || lists.contains(StandardStreamPath))
        StopRequests::relayConsoleInput();

    // Every list is read before any name is looked at, so that a usage error comes first.
    QStringList listed;
    for (const QString &listPath : lists) {
        const std::optional<ListProblem> problem = readList(listPath, stop, &listed);
        if (!problem)
            continue;
        if (problem->kind == ListProblem::Kind::Stopped)
            break;
        if (problem->kind == ListProblem::Kind::Malformed)
            return usageError(problem->message);
        printLine(problem->message);
        return JoinFailed;
    }
    if (inputs.isEmpty() && listed.isEmpty() && !stop.cancelled())
        return usageError(QStringLiteral("No input files."));

    QStringList files;
    std::optional<QString> problem;
    if (!stop.cancelled())
        problem = appendInputFiles(inputs, true, &files);
    if (!problem && !stop.cancelled())
        problem = appendInputFiles(listed, false, &files);
    if (problem && !stop.cancelled()) {
        printLine(*problem);
        return JoinFailed;
    }

    JoinResult result{JoinResult::Status::Cancelled, {}, -1};
    if (!stop.cancelled()) {
        JoinControl control;
        control.cancel = stop.cancel;
        result = joinFiles(files, outputs.first(), control);
    }
    if (const QString failure = StopRequests::failure(); !failure.isEmpty()) {
        printLine(failure);
        return JoinFailed;
    }
    if (result.status == JoinResult::Status::Failed)
        printLine(result.errorMessage);
    if (stop.cancelled())
        return StopRequests::endStopped();
    return result.status == JoinResult::Status::Success ? Success : JoinFailed;
}
