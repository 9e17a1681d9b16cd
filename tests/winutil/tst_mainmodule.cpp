#include "mainmodule.h"
#include "testfolder.h"

#include <QDir>
#include <QTest>

class tst_MainModule : public QObject
{
    Q_OBJECT

private slots:
    void fileExists_data();
    void fileExists();
};

void tst_MainModule::fileExists_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("expected");

    QTest::addRow("empty path") << QString() << int(Main::False);
    QTest::addRow("existing file") << "HAND-M.CUR" << int(Main::True);
    QTest::addRow("existing empty file") << "empty.txt" << int(Main::True);
    QTest::addRow("missing file") << "missing.CUR" << int(Main::False);
    // Windows finds a name whatever its letter case.
#ifdef Q_OS_WIN
    QTest::addRow("other letter case") << "hand-m.cur" << int(Main::True);
#else
    QTest::addRow("other letter case") << "hand-m.cur" << int(Main::False);
#endif
    QTest::addRow("file in a missing folder") << "nowhere/HAND-M.CUR" << int(Main::False);
    QTest::addRow("folder") << "folder" << int(Main::True);
    QTest::addRow("through a file as folder") << "HAND-M.CUR/x" << int(Main::False);
    QTest::addRow("wildcard") << "*.CUR" << int(Main::False);
}

void tst_MainModule::fileExists()
{
    QFETCH(QString, relativePath);
    QFETCH(int, expected);

    TestFolder dir;
    QVERIFY(dir.isValid());
    dir.write("HAND-M.CUR", "x");
    dir.write("empty.txt");
    QVERIFY(QDir(dir.path()).mkdir("folder"));

    const QString path = relativePath.isEmpty() ? QString() : dir.path(relativePath);
    const std::int16_t result = Main::FileExists(path);
    QCOMPARE(int(result), expected);
    // True is all bits set, as callers compare with it.
    if (expected)
        QCOMPARE(quint16(result), quint16(0xFFFF));
}

QTEST_APPLESS_MAIN(tst_MainModule)
#include "tst_mainmodule.moc"
