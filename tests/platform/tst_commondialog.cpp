#include "commondialog.h"
#include "fakes.h"
#include "runtimeerror.h"
#include "testfolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTimer>

class tst_CommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void selectionString_data();
    void selectionString();
    void nameFilters_data();
    void nameFilters();
    void showOpenAsksWithTheProperties();
    void cancelKeepsFileName();
    void secondDialogOpensInTheLastFolder();
    void showSaveConfirmsOverwriteOnlyWithTheFlag_data();
    void showSaveConfirmsOverwriteOnlyWithTheFlag();
    void maxFileSizeLimitsTheSelection_data();
    void maxFileSizeLimitsTheSelection();
    void showSaveTakesOneNameOnly_data();
    void showSaveTakesOneNameOnly();
    void allFilesFilterShowsNamesWithoutADot();
    void dialogKeepsNothingBetweenRuns();
};

static QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A path from the root, as the dialog gives them: on Windows with the drive.
static QString rooted(const QString &path)
{
    return QDir::rootPath() + path;
}

void tst_CommonDialog::selectionString_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("expected");

    const QChar nul(0);
    QTest::addRow("none") << QStringList() << QString();
    QTest::addRow("one file") << QStringList{rooted("data/a.csv")} << native(rooted("data/a.csv"));
    QTest::addRow("three in one folder") << QStringList{rooted("data/a.csv"), rooted("data/b.csv"), rooted("data/c.csv")}
                                         << native(rooted("data")) + nul + "a.csv" + nul + "b.csv" + nul + "c.csv";
    QTest::addRow("dialog order kept") << QStringList{rooted("data/z"), rooted("data/a")} << native(rooted("data")) + nul + "z" + nul + "a";
    QTest::addRow("root folder ends in a separator") << QStringList{rooted("a"), rooted("b")}
                                                     << native(QDir::rootPath()) + nul + "a" + nul + "b";
    QTest::addRow("names reaching into a subfolder") << QStringList{rooted("data/a"), rooted("data/sub/b")}
                                                      << native(rooted("data")) + nul + "a" + nul + native("sub/b");
    QTest::addRow("sibling folders") << QStringList{rooted("data/x/a"), rooted("data/y/b")}
                                     << native(rooted("data")) + nul + native("x/a") + nul + native("y/b");
}

void tst_CommonDialog::selectionString()
{
    QFETCH(QStringList, paths);
    QFETCH(QString, expected);
    QCOMPARE(CommonDialog::selectionString(paths), expected);
}

void tst_CommonDialog::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("none") << QString() << QStringList();
    QTest::addRow("all files") << "All Files (*.*)|*.*|" << QStringList{"All Files (*.*) (*)"};
    QTest::addRow("two pairs") << "Text (*.txt)|*.txt|All Files (*.*)|*.*|"
                               << QStringList{"Text (*.txt) (*.txt)", "All Files (*.*) (*)"};
    QTest::addRow("several patterns") << "Data|*.csv;*.txt|" << QStringList{"Data (*.csv *.txt)"};
    QTest::addRow("no final bar") << "Data|*.csv" << QStringList{"Data (*.csv)"};
}

void tst_CommonDialog::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    CommonDialog dialog;
    dialog.setFilter(filter);
    QCOMPARE(dialog.nameFilters(), expected);
}

void tst_CommonDialog::showOpenAsksWithTheProperties()
{
    FakeFileDialogs dialogs;
    FileDialogs::Override use(dialogs);
    dialogs.answers << QStringList{rooted("data/a.csv"), rooted("data/b.csv")};

    CommonDialog dialog;
    dialog.setFlags(0x280201);
    dialog.setDialogTitle("Pick");
    dialog.setFilter("All Files (*.*)|*.*|");
    dialog.ShowOpen();

    QCOMPARE(dialogs.requests.size(), 1);
    const FileDialogRequest &request = dialogs.requests.constFirst();
    QCOMPARE(request.kind, FileDialogRequest::Open);
    QCOMPARE(request.title, QString("Pick"));
    QVERIFY(request.multipleSelection);
    QCOMPARE(request.nameFilters, QStringList{"All Files (*.*) (*)"});
    QCOMPARE(dialog.FileName(), native(rooted("data")) + QChar(0) + "a.csv" + QChar(0) + "b.csv");
}

void tst_CommonDialog::cancelKeepsFileName()
{
    FakeFileDialogs dialogs;
    FileDialogs::Override use(dialogs);

    CommonDialog dialog;
    dialog.setFileName("kept");
    dialog.ShowOpen();
    dialog.ShowSave();
    QCOMPARE(dialogs.requests.size(), 2);
    QCOMPARE(dialog.FileName(), QString("kept"));
    QCOMPARE(dialogs.requests.at(0).fileName, QString("kept"));
}

void tst_CommonDialog::secondDialogOpensInTheLastFolder()
{
    FakeFileDialogs dialogs;
    FileDialogs::Override use(dialogs);
    dialogs.answers << QStringList{rooted("data/in/a.csv")} << QStringList();

    CommonDialog dialog;
    dialog.ShowOpen();
    dialog.setFileName(QString());
    dialog.ShowSave();
    QCOMPARE(dialogs.requests.at(0).folder, QDir::homePath());
    QCOMPARE(dialogs.requests.at(1).folder, rooted("data/in"));
    QCOMPARE(dialogs.requests.at(1).title, QString("Save As"));
}

void tst_CommonDialog::showSaveConfirmsOverwriteOnlyWithTheFlag_data()
{
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<bool>("confirm");
    QTest::addRow("none") << 0u << false;
    QTest::addRow("add's flags") << 0x280201u << false;
    QTest::addRow("overwrite prompt") << 0x2u << true;
}

void tst_CommonDialog::showSaveConfirmsOverwriteOnlyWithTheFlag()
{
    QFETCH(quint32, flags);
    QFETCH(bool, confirm);
    FakeFileDialogs dialogs;
    FileDialogs::Override use(dialogs);

    CommonDialog dialog;
    dialog.setFlags(flags);
    dialog.ShowSave();
    QCOMPARE(dialogs.requests.constFirst().kind, FileDialogRequest::Save);
    QCOMPARE(dialogs.requests.constFirst().confirmOverwrite, confirm);
    QVERIFY(!dialogs.requests.constFirst().multipleSelection);
}

void tst_CommonDialog::maxFileSizeLimitsTheSelection_data()
{
    QTest::addColumn<int>("maxFileSize");
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("throws");
    QTest::addRow("no limit, 5000 files") << 0 << 5000 << false;
    QTest::addRow("fits") << 100000 << 5000 << false;
    QTest::addRow("too long") << 260 << 50 << true;
}

void tst_CommonDialog::maxFileSizeLimitsTheSelection()
{
    QFETCH(int, maxFileSize);
    QFETCH(int, files);
    QFETCH(bool, throws);
    FakeFileDialogs dialogs;
    FileDialogs::Override use(dialogs);
    QStringList paths;
    for (int i = 0; i < files; ++i)
        paths << rooted("data/file-%1.csv").arg(i);
    dialogs.answers << paths;

    CommonDialog dialog;
    dialog.setFileName("before");
    dialog.setMaxFileSize(maxFileSize);
    bool thrown = false;
    try {
        dialog.ShowOpen();
    } catch (const RuntimeError &error) {
        thrown = true;
        QVERIFY(error.description().contains(QString::number(maxFileSize)));
    }
    QCOMPARE(thrown, throws);
    if (throws)
        QCOMPARE(dialog.FileName(), QString("before"));
    else
        QCOMPARE(dialog.FileName().count(QChar(0)), files);
}

void tst_CommonDialog::showSaveTakesOneNameOnly_data()
{
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<QString>("message");
    const QString folder = rooted("data/U");
    QTest::addRow("one name") << QStringList{folder + "/out.txt"} << "";
    // What the completer once left selected beside the name typed.
    QTest::addRow("a name and a folder") << QStringList{folder + "/out.txt", folder}
        << "The save dialog returned 2 names instead of one: \"" + native(folder + "/out.txt") + "\", \""
               + native(folder) + "\".";
    QTest::addRow("a NUL in the name") << QStringList{folder + QChar(0) + "out.txt"}
        << "The save dialog returned a name with a NUL character in it: \"" + native(folder) + "\\0out.txt\".";
}

// Anything but one name is refused, told by what the dialog returned, and
// the last name stays.
void tst_CommonDialog::showSaveTakesOneNameOnly()
{
    QFETCH(QStringList, answer);
    QFETCH(QString, message);
    FakeFileDialogs dialogs;
    FileDialogs::Override use(dialogs);
    dialogs.answers << answer;
    CommonDialog dialog;
    dialog.setFlags(0x280201);
    dialog.setFileName("before");
    QString thrown;
    try {
        dialog.ShowSave();
    } catch (const RuntimeError &error) {
        thrown = error.description();
    }
    QCOMPARE(thrown, message);
    QCOMPARE(dialog.FileName(), message.isEmpty() ? native(answer.constFirst()) : QString("before"));
}

// Qt's own dialog, not the platform's: "*.*" must not hide a name without a dot.
void tst_CommonDialog::allFilesFilterShowsNamesWithoutADot()
{
    TestFolder dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"README", "data.csv"})
        dir.write(name);

    CommonDialog common;
    common.setFilter("All Files (*.*)|*.*|");
    FileDialogs::keepNothingBetweenRuns();
    QFileDialog dialog(nullptr, "test", dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(common.nameFilters());

    auto *model = dialog.findChild<QFileSystemModel *>();
    QVERIFY(model);
    const QModelIndex root = model->index(dir.path());
    QTRY_COMPARE(model->rowCount(root), 2);
    auto *proxy = dialog.findChild<QAbstractItemView *>("listView");
    QVERIFY(proxy);
    QStringList shown;
    QTRY_VERIFY((shown = [&] {
        QStringList names;
        const QModelIndex viewRoot = proxy->rootIndex();
        for (int row = 0; row < proxy->model()->rowCount(viewRoot); ++row)
            names << proxy->model()->index(row, 0, viewRoot).data().toString();
        names.sort();
        return names;
    }()) == QStringList({"README", "data.csv"}));
}

// The state that another Qt program left in the user's settings is not read,
// and the dialog writes none: the folder of the user's settings stays as it
// was.
void tst_CommonDialog::dialogKeepsNothingBetweenRuns()
{
#ifdef Q_OS_WIN
    QSKIP("Qt's dialog stands in for the system's on other systems only");
#else
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY2(config.startsWith(QUILLMERE_BINARY_DIR), "the test has a settings folder of its own");
    QVERIFY(QDir(config).removeRecursively() && QDir().mkpath(config));
    const QByteArray others = "[FileDialog]\nhistory=file:///seen-before\nviewMode=List\n";
    writeFile(config + "/QtProject.conf", others);
    TestFolder dir;
    const QString chosen = dir.write("a.csv");

    FileDialogRequest request;
    request.title = "Add";
    request.folder = dir.path();
    QStringList history;
    QFileDialog::ViewMode view = QFileDialog::List;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        history = dialog->history();
        view = dialog->viewMode();
        dialog->selectFile(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QCOMPARE(FileDialogs::native().run(request), QStringList{chosen});
    QVERIFY2(!history.contains("/seen-before"), qPrintable(history.join(u' ')));
    QCOMPARE(view, QFileDialog::Detail); // Qt's own choice
    QCOMPARE(readFile(config + "/QtProject.conf"), others);
    QCOMPARE(QDir(config).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"QtProject.conf"});
#endif
}

QTEST_MAIN(tst_CommonDialog)
#include "tst_commondialog.moc"
