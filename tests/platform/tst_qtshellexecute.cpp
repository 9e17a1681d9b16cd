#include "fakes.h"
#include "qtwindowsystem.h"
#include "testfolder.h"

#include <QTest>

using namespace winapi;

class tst_QtShellExecute : public QObject
{
    Q_OBJECT

private slots:
    void open_data();
    void open();
};

void tst_QtShellExecute::open_data()
{
    QTest::addColumn<QString>("verb");      // "null" for none
    QTest::addColumn<QString>("file");      // "null" for none; {program} and {current} name the two folders
    QTest::addColumn<QString>("directory"); // "null" for none
    QTest::addColumn<bool>("opens");        // what the desktop answers
    QTest::addColumn<qint64>("result");
    QTest::addColumn<QString>("opened");    // what reached the desktop, if anything

    const QString program = QStringLiteral("{program}");
    QTest::addRow("no file") << "null" << "null" << program << true << qint64(2) << QString();
    QTest::addRow("empty file") << "null" << "" << program << true << qint64(2) << QString();
    QTest::addRow("missing file") << "null" << "missing.txt" << program << true << qint64(2) << QString();
    QTest::addRow("missing folder") << "null" << "nowhere/missing.txt" << program << true << qint64(3) << QString();
    QTest::addRow("relative: from the directory given") << "null" << "doc.txt" << program << true << qint64(42)
                                                        << "file://{program}/doc.txt";
    QTest::addRow("relative, no directory: from the current one") << "null" << "doc.txt" << "null" << true << qint64(42)
                                                                  << "file://{current}/doc.txt";
    QTest::addRow("absolute") << "null" << "{current}/doc.txt" << program << true << qint64(42)
                              << "file://{current}/doc.txt";
    QTest::addRow("file address, relative") << "null" << "file:doc.txt" << program << true << qint64(42)
                                            << "file://{program}/doc.txt";
    QTest::addRow("web address") << "null" << "https://example.org/a?b=1" << program << true << qint64(42)
                                 << "https://example.org/a?b=1";
    QTest::addRow("mail address") << "null" << "mailto:someone@example.org" << program << true << qint64(42)
                                  << "mailto:someone@example.org";
    QTest::addRow("verb open") << "open" << "doc.txt" << program << true << qint64(42) << "file://{program}/doc.txt";
    QTest::addRow("verb print, unknown") << "print" << "doc.txt" << program << true << qint64(31) << QString();
    QTest::addRow("nothing associated") << "null" << "doc.txt" << program << false << qint64(31)
                                        << "file://{program}/doc.txt";
}

void tst_QtShellExecute::open()
{
    QFETCH(QString, verb);
    QFETCH(QString, file);
    QFETCH(QString, directory);
    QFETCH(bool, opens);
    QFETCH(QString, opened);

    TestFolder program;
    TestFolder current;
    program.write(QStringLiteral("doc.txt"));
    current.write(QStringLiteral("doc.txt"));
    const auto place = [&](QString text) {
        return text.replace(QStringLiteral("{program}"), program.path()).replace(QStringLiteral("{current}"), current.path());
    };
    const QByteArray verbText = verb.toUtf8();
    const QByteArray fileText = place(file).toUtf8();
    const QByteArray directoryText = place(directory).toUtf8();
    RecordingOpener opener;
    opener.answer = opens;
    const DesktopOpener::Override use(opener);

    const CurrentDirectory inCurrent(current.path());
    QtWindowSystem system;
    const std::intptr_t result =
        system.ShellExecuteA(0, verb == u"null" ? nullptr : verbText.constData(),
                             file == u"null" ? nullptr : fileText.constData(), nullptr,
                             directory == u"null" ? nullptr : directoryText.constData(), SW_SHOWNORMAL);

    QTEST(qint64(result), "result");
    QCOMPARE(opener.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(place(opened))});
}

QTEST_MAIN(tst_QtShellExecute)
#include "tst_qtshellexecute.moc"
