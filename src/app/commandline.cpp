#include "commandline.h"

#include "messagebox.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

const char HelpText[] = R"(Usage: quillmere [FILE]...

Opens Quillmere's window, which joins several text files into one, with the
FILEs in its list in the order given. A folder stands for the files directly
inside it, in natural order ("part2" before "part10").

  -h, --help     show this help and exit
  -v, --version  show the version and exit
  --             end the options: every argument after it names a file
)";

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({helpOption, versionOption});

    CommandLine commandLine;
    if (!parser.parse(arguments)) {
        commandLine.action = UsageError;
        commandLine.message = QStringLiteral("quillmere: ") + parser.errorText()
                + QStringLiteral("\nTry 'quillmere --help'.\n");
    } else if (parser.isSet(helpOption)) {
        commandLine.action = Help;
        commandLine.message = QString::fromUtf8(HelpText);
    } else if (parser.isSet(versionOption)) {
        commandLine.action = Version;
        commandLine.message = QStringLiteral("quillmere 1.00\n");
    } else {
        commandLine.files = parser.positionalArguments();
    }
    return commandLine;
}

int CommandLine::tell() const
{
#ifdef Q_OS_WIN
    MsgBox(nullptr, message.trimmed());
#else
    std::fputs(message.toLocal8Bit().constData(), action == UsageError ? stderr : stdout);
#endif
    return action == UsageError ? 2 : 0;
}
