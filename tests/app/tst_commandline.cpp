#include "commandline.h"

#include <QTest>

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("message");

    QTest::addRow("nothing") << QStringList{} << int(CommandLine::Run) << QStringList{} << "";
    QTest::addRow("files in order") << QStringList{"b.csv", "a.csv", "b.csv"} << int(CommandLine::Run)
                                    << QStringList{"b.csv", "a.csv", "b.csv"} << "";
    QTest::addRow("a lone dash is a file") << QStringList{"-"} << int(CommandLine::Run) << QStringList{"-"} << "";
    QTest::addRow("--help") << QStringList{"a.csv", "--help"} << int(CommandLine::Help) << QStringList{}
                            << "Usage: quillmere [FILE]...";
    QTest::addRow("-h") << QStringList{"-h"} << int(CommandLine::Help) << QStringList{} << "Usage: quillmere [FILE]...";
    QTest::addRow("--version") << QStringList{"--version"} << int(CommandLine::Version) << QStringList{}
                               << "quillmere 1.00\n";
    QTest::addRow("-v") << QStringList{"-v"} << int(CommandLine::Version) << QStringList{} << "quillmere 1.00\n";
    QTest::addRow("-- ends the options") << QStringList{"a.csv", "--", "--help", "-v"} << int(CommandLine::Run)
                                         << QStringList{"a.csv", "--help", "-v"} << "";
    QTest::addRow("unknown option") << QStringList{"--frobnicate", "a.csv"} << int(CommandLine::UsageError)
                                    << QStringList{}
                                    << "quillmere: Unknown option 'frobnicate'.\nTry 'quillmere --help'.\n";
}

// The help is compared by its first line; the rest is prose.
void tst_CommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    const CommandLine commandLine = CommandLine::parse(QStringList{"quillmere"} + arguments);
    QCOMPARE(int(commandLine.action), action);
    QCOMPARE(commandLine.files, files);
    if (action == CommandLine::Help)
        QCOMPARE(commandLine.message.section(u'\n', 0, 0), message);
    else
        QCOMPARE(commandLine.message, message);
}

QTEST_APPLESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
