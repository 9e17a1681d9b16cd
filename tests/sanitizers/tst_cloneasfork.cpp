// Programs that a test starts through QProcess. In a ThreadSanitizer build their start goes
// through tools/sanitizers/cloneasfork.cpp instead of the sanitizer's own clone(); in every build
// QProcess must report what it always reports.

#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>

#include <csignal>

class tst_CloneAsFork : public QObject
{
    Q_OBJECT

private slots:
    void exitStatus_data();
    void exitStatus();
    void standardStreams();
    void missingProgram();
};

void tst_CloneAsFork::exitStatus_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QProcess::ExitStatus>("status");
    QTest::addColumn<int>("exitCode");

    QTest::addRow("success") << "exit 0" << QProcess::NormalExit << 0;
    QTest::addRow("failure") << "exit 3" << QProcess::NormalExit << 3;
    QTest::addRow("killed by a signal") << "kill -TERM $$" << QProcess::CrashExit << int(SIGTERM);
}

void tst_CloneAsFork::exitStatus()
{
    QFETCH(QString, script);
    QFETCH(QProcess::ExitStatus, status);
    QFETCH(int, exitCode);

    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    QVERIFY2(process.waitForFinished(30000), qPrintable(process.errorString()));
    QCOMPARE(process.exitStatus(), status);
    QCOMPARE(process.exitCode(), exitCode);
}

// The child sets up its standard streams and working folder itself, before exec.
void tst_CloneAsFork::standardStreams()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("pwd; cat; echo oops >&2")});
    QVERIFY(process.waitForStarted(30000));
    process.write("from standard input\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.readAllStandardOutput(), QFile::encodeName(dir.path()) + "\nfrom standard input\n");
    QCOMPARE(process.readAllStandardError(), QByteArray("oops\n"));
    QCOMPARE(process.exitCode(), 0);
}

// exec fails in the child, which tells the parent before it ends.
void tst_CloneAsFork::missingProgram()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess process;
    process.start(dir.filePath(QStringLiteral("missing")), {});
    QVERIFY(!process.waitForStarted(30000));
    QCOMPARE(process.error(), QProcess::FailedToStart);
    QVERIFY2(process.errorString().contains(QLatin1String("No such file")), qPrintable(process.errorString()));
}

QTEST_GUILESS_MAIN(tst_CloneAsFork)
#include "tst_cloneasfork.moc"
