#include "joinengine.h"
#include "testfiles.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>

#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QByteArray kOldOutput = "old output, must survive\r\n";

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

QString publicCsv(const QString &name)
{
    return QStringLiteral(QUILLMERE_SOURCE_DIR "/../shared/testdata/csv/") + name;
}

} // namespace

class tst_JoinEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void output_data();
    void output();
    void samePathTwice();
    void outputIsAnInput();
    void outputReachedThroughALink();
    void permissionsKept();
    void failure_data();
    void failure();
    void inputDeletedDuringTheJoin();
    void progressAndCancel();
    void runsOnAWorkerThread();
    void readOnlyFolder();
    void publicFiles_data();
    void publicFiles();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList files() const;
    QStringList inputs(const QList<QByteArray> &contents);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_JoinEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QStringList tst_JoinEngine::inputs(const QList<QByteArray> &contents)
{
    QStringList paths;
    for (const QByteArray &content : contents) {
        paths.append(path(QStringLiteral("in%1.csv").arg(paths.size())));
        writeFile(paths.last(), content);
    }
    return paths;
}

// Everything in the test folder, so that a temporary file left behind shows.
QStringList tst_JoinEngine::files() const
{
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void tst_JoinEngine::output_data()
{
    QTest::addColumn<QList<QByteArray>>("contents");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("no inputs") << QList<QByteArray>{} << QByteArray("\r\n");
    QTest::addRow("all inputs empty") << QList<QByteArray>{"", ""} << QByteArray("\r\n");
    QTest::addRow("one word") << QList<QByteArray>{"word\r\n"} << QByteArray("word\r\n\r\n");
    QTest::addRow("next file on a line of its own") << QList<QByteArray>{"a", "b\n"} << QByteArray("a\r\nb\r\n\r\n");
    QTest::addRow("empty input adds nothing") << QList<QByteArray>{"a\n", "", "b"} << QByteArray("a\r\nb\r\n\r\n");
    QTest::addRow("fields and quotes")
        << QList<QByteArray>{"x,y,z\n\"p, q\"\n"} << QByteArray("x\r\ny\r\nz\r\np, q\r\n\r\n");
    QTest::addRow("blank lines kept") << QList<QByteArray>{"a\n\nb\n\n"} << QByteArray("a\r\n\r\nb\r\n\r\n\r\n");
    QTest::addRow("bytes unchanged")
        << QList<QByteArray>{QByteArray("\xEF\xBB\xBF\xC3\xA9\0,007", 10)}
        << QByteArray("\xEF\xBB\xBF\xC3\xA9\0\r\n007\r\n\r\n", 15);
    QTest::addRow("item longer than the buffers")
        << QList<QByteArray>{QByteArray(3 << 20, 'x') + ",y"} << QByteArray(3 << 20, 'x') + "\r\ny\r\n\r\n";
    QTest::addRow("output of many buffers")
        << QList<QByteArray>{QByteArray("ab,\"c\"\"d\", e\r\n").repeated(300000), QByteArray("f,g\n").repeated(700000)}
        << QByteArray("ab\r\nc\"d\r\ne\r\n").repeated(300000) + QByteArray("f\r\ng\r\n").repeated(700000) + "\r\n";
}

void tst_JoinEngine::output()
{
    QFETCH(QList<QByteArray>, contents);
    QFETCH(QByteArray, expected);

    writeFile(path("out.txt"), kOldOutput);
    const JoinResult result = joinFiles(inputs(contents), path("out.txt"));
    QCOMPARE(result.status, JoinResult::Status::Success);
    QCOMPARE(result.errorMessage, QString());
    QCOMPARE(readFile(path("out.txt")), expected);
    QCOMPARE(files().size(), contents.size() + 1);
}

void tst_JoinEngine::samePathTwice()
{
    const QStringList paths = inputs({"a,b", "c"});
    QCOMPARE(joinFiles({paths[0], paths[1], paths[0]}, path("out.txt")).status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), QByteArray("a\r\nb\r\nc\r\na\r\nb\r\n\r\n"));
}

void tst_JoinEngine::outputIsAnInput()
{
    const QStringList paths = inputs({"first", "old,content\n", "last"});
    QCOMPARE(joinFiles(paths, paths[1]).status, JoinResult::Status::Success);
    QCOMPARE(readFile(paths[1]), QByteArray("first\r\nold\r\ncontent\r\nlast\r\n\r\n"));
}

void tst_JoinEngine::outputReachedThroughALink()
{
#ifdef Q_OS_WIN
    QSKIP("QFile::link makes a shortcut on Windows, which no program follows when it writes.");
#endif
    const QStringList paths = inputs({"a", "b"});
    QVERIFY(QFile::link(paths[1], path("link.txt")));
    QCOMPARE(joinFiles(paths, path("link.txt")).status, JoinResult::Status::Success);
    QVERIFY(QFileInfo(path("link.txt")).isSymLink());
    QCOMPARE(readFile(paths[1]), QByteArray("a\r\nb\r\n\r\n"));
}

void tst_JoinEngine::permissionsKept()
{
    writeFile(path("out.txt"), kOldOutput);
    QVERIFY(QFile::setPermissions(path("out.txt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QFileDevice::Permissions permissions = QFile::permissions(path("out.txt"));
    QCOMPARE(joinFiles(inputs({"a"}), path("out.txt")).status, JoinResult::Status::Success);
    QCOMPARE(QFile::permissions(path("out.txt")), permissions);
}

void tst_JoinEngine::failure_data()
{
    QTest::addColumn<QString>("input");  // relative to the test folder
    QTest::addColumn<QString>("output"); // relative to the test folder
    QTest::addColumn<QString>("message");  // %1: the input's path for a read, the output's for a write

    QTest::addRow("missing input") << "none.csv" << "out.txt" << "Cannot read file %1:\nNo such file or directory.";
    QTest::addRow("folder as input") << "folder" << "out.txt" << "Cannot read file %1:\nfile to open is a directory.";
    QTest::addRow("unreadable input") << "locked.csv" << "out.txt" << "Cannot read file %1:\nPermission denied.";
    QTest::addRow("output folder missing") << "in0.csv" << "none/out.txt" << "Cannot write file %1:\nNo such file or directory.";
    QTest::addRow("output is a folder") << "in0.csv" << "folder" << "Cannot write file %1:\nFilename refers to a directory.";
}

void tst_JoinEngine::failure()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, message);

    if (input == "locked.csv" && runningAsRoot())
        QSKIP("root reads a file whatever its permissions");
#ifdef Q_OS_WIN
    if (input == "locked.csv")
        QSKIP("Windows has no permission bits that keep a file's owner from reading it.");
#endif
    writeFile(path("out.txt"), kOldOutput);
    const QStringList paths = inputs({"a,b\n", "c\n"});
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    writeFile(path("locked.csv"), "x");
#ifndef Q_OS_WIN
    QVERIFY(QFile::setPermissions(path("locked.csv"), {}));
#endif

    const QStringList before = files();
    const JoinResult result = joinFiles({paths[0], path(input), paths[1]}, path(output));
    QCOMPARE(result.status, JoinResult::Status::Failed);
    const QString culprit = message.startsWith("Cannot read") ? input : output;
    QCOMPARE(result.errorMessage, message.arg(QDir::toNativeSeparators(path(culprit))));
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), before);
}

void tst_JoinEngine::inputDeletedDuringTheJoin()
{
    writeFile(path("out.txt"), kOldOutput);
    const QStringList paths = inputs({"a", "b"});
    const JoinResult result = joinFiles(paths, path("out.txt"), [&](qint64, qint64) {
        QFile::remove(paths[1]);
        return true;
    });
    QCOMPARE(result.status, JoinResult::Status::Failed);
    QCOMPARE(result.errorMessage,
             QStringLiteral("Cannot read file %1:\nNo such file or directory.").arg(QDir::toNativeSeparators(paths[1])));
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), (QStringList{"in0.csv", "out.txt"}));
}

void tst_JoinEngine::progressAndCancel()
{
    writeFile(path("out.txt"), kOldOutput);
    const QByteArray big = QByteArray("field,").repeated(3 << 20); // 18 MiB
    const QStringList paths = inputs({big, "x", big});
    const qint64 total = 2 * big.size() + 1;

    QList<qint64> seen;
    JoinResult result = joinFiles(paths, path("out.txt"), [&](qint64 done, qint64 all) {
        if (all != total)
            seen.append(-1);
        seen.append(done);
        return true;
    });
    QCOMPARE(result.status, JoinResult::Status::Success);
    QVERIFY(seen.size() > 4);
    QCOMPARE(seen.first(), 0);
    QCOMPARE(seen.last(), total);
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));

    writeFile(path("out.txt"), kOldOutput);
    const QStringList before = files();
    result = joinFiles(paths, path("out.txt"), [&](qint64 done, qint64) { return done < big.size(); });
    QCOMPARE(result.status, JoinResult::Status::Cancelled);
    QCOMPARE(result.errorMessage, QString());
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), before);

    result = joinFiles(paths, path("out.txt"), [](qint64, qint64) { return false; });
    QCOMPARE(result.status, JoinResult::Status::Cancelled);
    QCOMPARE(readFile(path("out.txt")), kOldOutput);
    QCOMPARE(files(), before);
}

// The window runs the join on a worker thread; this test has no QCoreApplication either.
void tst_JoinEngine::runsOnAWorkerThread()
{
    const QStringList paths = inputs({"a,b"});
    JoinResult result;
    std::thread worker([&] { result = joinFiles(paths, path("out.txt"), [](qint64, qint64) { return true; }); });
    worker.join();
    QCOMPARE(result.status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), QByteArray("a\r\nb\r\n\r\n"));
}

// Where the folder takes no new file, the output is written in place, unless it is an input.
void tst_JoinEngine::readOnlyFolder()
{
    if (runningAsRoot())
        QSKIP("root creates files in any folder");
#ifdef Q_OS_WIN
    QSKIP("A read-only folder on Windows still takes new files.");
#endif
    const QStringList paths = inputs({"a"});
    writeFile(path("out.txt"), kOldOutput);
    const QFileDevice::Permissions folder = QFile::permissions(m_dir->path());
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const JoinResult inPlace = joinFiles(paths, path("out.txt"));
    const JoinResult ontoInput = joinFiles({paths[0], path("out.txt")}, paths[0]);
    QVERIFY(QFile::setPermissions(m_dir->path(), folder));

    QCOMPARE(inPlace.status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), QByteArray("a\r\n\r\n"));
    QCOMPARE(ontoInput.status, JoinResult::Status::Failed);
    QVERIFY2(ontoInput.errorMessage.startsWith("Cannot write file"), qPrintable(ontoInput.errorMessage));
    QCOMPARE(readFile(paths[0]), QByteArray("a"));
}

void tst_JoinEngine::publicFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("escaped quotes") << QStringList{"csv-spectrum/csvs/escaped_quotes.csv"}
                                    << QByteArray("a\r\nb\r\n1\r\nha \"ha\" ha\r\n3\r\n4\r\n\r\n");
    QTest::addRow("line ends in quotes, and no final line end")
        << QStringList{"csv-spectrum/csvs/newlines_crlf.csv", "csv-spectrum/csvs/empty_crlf.csv"}
        << QByteArray("a\r\nb\r\nc\r\n1\r\n2\r\n3\r\nOnce upon \r\na time\r\n5\r\n6\r\n7\r\n8\r\n9\r\n"
                      "a\r\nb\r\nc\r\n1\r\n\r\n\r\n2\r\n3\r\n4\r\n\r\n");
    QTest::addRow("blanks, comments and empty lines")
        << QStringList{"commons-csv/CSVFileParser/test.csv"}
        << QByteArray("A\r\nB\r\nC\r\nD\r\n# plain values\r\na\r\nb\r\nc\r\nd\r\n# spaces before and after\r\n"
                      "e \r\nf \r\ng\r\nh \r\n# quoted: with spaces before and after\r\n i \r\n j \r\n k \r\n l \r\n"
                      "# empty values\r\n\r\n\r\n\r\n\r\n# empty quoted values\r\n\r\n\r\n\r\n\r\n"
                      "# 3 empty lines\r\n\r\n\r\n\r\n# EOF on next line\r\n\r\n");
}

void tst_JoinEngine::publicFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QByteArray, expected);

    QStringList paths;
    for (const QString &file : files)
        paths.append(publicCsv(file));
    if (!QFile::exists(paths.first()))
        QSKIP("the public CSV files are not beside this checkout");
    QCOMPARE(joinFiles(paths, path("out.txt")).status, JoinResult::Status::Success);
    QCOMPARE(readFile(path("out.txt")), expected);
}

QTEST_APPLESS_MAIN(tst_JoinEngine)
#include "tst_joinengine.moc"
