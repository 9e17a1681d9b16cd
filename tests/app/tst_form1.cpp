#include "form1fixture.h"
#include "commandline.h"
#include "dropevents.h"
#include "imagecompare.h"
#include "listentries.h"
#include "recordingwindowsystem.h"
#include "runtimeerror.h"
#include "startup.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

QByteArray committedCursor()
{
    return readFile(QStringLiteral(QUILLMERE_SOURCE_DIR "/src/app/pictures/HAND-M.CUR"));
}

void moveMouse(QWidget *widget, QPoint at = QPoint(5, 5))
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

using Fixture = Form1Fixture;

} // namespace

class tst_Form1 : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void windowProperties();
    void picturesForEveryDensity_data();
    void picturesForEveryDensity();
    void loadCentresAndTitles();
    void focusRestsOnTheHiddenButton();
    void tabOrder();
    void screenReaderNames_data();
    void screenReaderNames();
    void cursorFile_data();
    void cursorFile();
    void pointerFeedback();
    void pointerOverTheWholeList_data();
    void pointerOverTheWholeList();
    void oneClickRunsTheWorkOnce();
    void removingAnEntryKeepsTheExtent_data();
    void removingAnEntryKeepsTheExtent();
    void errorInAHandlerIsReported_data();
    void errorInAHandlerIsReported();
    void closingEndsTheProgram();
    void lastAddedEntryIsScrolledIntoView();
    void commandLineOptions_data();
    void commandLineOptions();
    void filesFromTheCommandLine_data();
    void filesFromTheCommandLine();
};

void tst_Form1::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addRow("Command1") << "Command1" << QRect(-48, 176, 41, 33);
    QTest::addRow("Check2") << "Check2" << QRect(408, 80, 129, 65);
    QTest::addRow("Check1") << "Check1" << QRect(408, 8, 129, 65);
    QTest::addRow("List1") << "List1" << QRect(8, 8, 393, 139);
}

void tst_Form1::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Fixture f;
    QWidget *control = f.form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);

    // Resizing the window moves and sizes no control.
    f.form.resize(800, 400);
    QCOMPARE(control->geometry(), geometry);
}

void tst_Form1::windowProperties()
{
    Fixture f;
    QCOMPARE(f.form.size(), QSize(545, 155));
    QCOMPARE(f.form.palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!(f.form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(f.form.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!f.form.windowIcon().isNull());
    const QImage icon = f.form.windowIcon().pixmap(32, 32).toImage();
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0); // the mask is honoured
    // The same drawing at twice the size, for title bars of denser screens.
    QCOMPARE(f.form.windowIcon().availableSizes(), (QList<QSize>{QSize(32, 32), QSize(64, 64)}));
    const QString difference = imageDifference(f.form.windowIcon().pixmap(64, 64).toImage(),
                                               QImage(":/pictures/quillmere-64.png"));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    QCOMPARE(f.list()->ListCount(), 0);
    QCOMPARE(f.list()->toolTip(), QString("Double click list item to remove it."));
    QCOMPARE(f.list()->font().family(), QString("Arial"));
    QCOMPARE(f.list()->font().pointSizeF(), 9.0);
    QVERIFY(!f.list()->font().bold());
    for (GraphicalCheckBox *button : {f.add(), f.join()}) {
        QCOMPARE(button->Value(), 0);
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QVERIFY(button->font().bold());
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->text(), QString());
    }
    QCOMPARE(f.add()->iconSize(), QSize(102, 66));
    QCOMPARE(f.join()->iconSize(), QSize(109, 60));
    QCOMPARE(f.hidden()->text(), QString("Command1"));
    // Announced as a window, not as a filler.
    QCOMPARE(QAccessible::queryAccessibleInterface(&f.form)->role(), QAccessible::Window);
}

void tst_Form1::picturesForEveryDensity_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QSize>("pixels");
    QTest::addRow("Add, 1") << "Check1" << 1.0 << "add.jpg" << QSize(102, 66);
    QTest::addRow("Add, 1.25") << "Check1" << 1.25 << "add@2x.jpg" << QSize(128, 83);
    QTest::addRow("Add, 2") << "Check1" << 2.0 << "add@2x.jpg" << QSize(204, 132);
    QTest::addRow("Join, 1") << "Check2" << 1.0 << "join.jpg" << QSize(109, 60);
    QTest::addRow("Join, 1.5") << "Check2" << 1.5 << "join@2x.jpg" << QSize(163, 90);
}

// On a screen of any density the button shows its picture drawn at the
// nearest size at or above it, shrunk to fit, never a smaller one stretched.
void tst_Form1::picturesForEveryDensity()
{
    QFETCH(QString, button);
    QFETCH(qreal, ratio);
    QFETCH(QString, source);
    QFETCH(QSize, pixels);
    Fixture f;
    auto *box = f.form.findChild<GraphicalCheckBox *>(button);
    const QPixmap shown = box->icon().pixmap(box->iconSize(), ratio);
    QCOMPARE(shown.size(), pixels);

    QImage drawn(":/pictures/" + source);
    QVERIFY(!drawn.isNull());
    drawn.setDevicePixelRatio(1);
    QImage image = shown.toImage();
    image.setDevicePixelRatio(1);
    const QImage expected = drawn.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QString difference = imageDifference(image, expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void tst_Form1::loadCentresAndTitles()
{
    Fixture f;
    f.form.setWindowTitle("something else");
    f.form.resize(400, 300); // 6000 x 4500 twips on a screen of 15360 x 11520
    f.form.load();
    QCOMPARE(f.form.Caption(), QString("Quillmere"));
    QCOMPARE(f.form.pos(), QPoint(312, 234));
}

void tst_Form1::focusRestsOnTheHiddenButton()
{
    Fixture f;
    f.form.load();
    f.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.form));
    QCOMPARE(QApplication::focusWidget(), f.hidden());

    // Enter and the space bar do nothing there.
    QTest::keyClick(f.hidden(), Qt::Key_Space);
    QTest::keyClick(f.hidden(), Qt::Key_Return);
    QVERIFY(f.dialogs.requests.isEmpty());
    QVERIFY(f.messages.prompts.isEmpty());
}

void tst_Form1::tabOrder()
{
    Fixture f;
    f.form.load();
    f.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.form));
    const QList<QWidget *> expected{f.list(), f.add(), f.join(), f.hidden(), f.list()};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_Form1::screenReaderNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addRow("Add") << "Check1" << int(QAccessible::Button) << "Add files" << "";
    QTest::addRow("Join") << "Check2" << int(QAccessible::Button) << "Join files" << "";
    // The tool tip, and the keys it leaves out.
    QTest::addRow("list") << "List1" << int(QAccessible::List) << "Files to join"
                          << "Double click list item to remove it. Delete removes the selected entry; "
                             "Ctrl+Up and Ctrl+Down move it. Shift+F10 or the menu key opens the list's commands: "
                             "Sort by Name, Ctrl+Shift+N; Sort by Date Modified, Ctrl+Shift+D; Reverse Order, "
                             "Ctrl+Shift+R; Remove, Del; Clear List, Ctrl+Shift+Del; Undo, Ctrl+Z.";
    // Where the focus rests at start: where the user is, not "Command1".
    QTest::addRow("hidden button") << "Command1" << int(QAccessible::StaticText) << "Start of the Quillmere window"
                                   << "Tab moves to the list of files, then to the Add and Join buttons.";
}

// What a screen reader is told of each control, reached from the window.
void tst_Form1::screenReaderNames()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    Fixture f;
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&f.form);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(f.form.findChild<QWidget *>(control));
    QVERIFY(window && accessible);
    QVERIFY(window->indexOfChild(accessible) >= 0);
    QCOMPARE(int(accessible->role()), role);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
}

void tst_Form1::cursorFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("reason");

    QTest::addRow("absent") << QByteArray() << false << "";
    QTest::addRow("present") << committedCursor() << true << "";
    QTest::addRow("damaged") << committedCursor().left(100) << true
                             << "The cursor file is damaged: an image lies outside the file";
    QTest::addRow("no picture") << QByteArray("not a cursor") << true << "The file is not a picture";
}

// A pointer file that does not load keeps the program from starting: the
// user is told which file and why, and the window is never shown.
void tst_Form1::cursorFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, present);
    QFETCH(QString, reason);

    Fixture f;
    if (present)
        f.programFolder.write("HAND-M.CUR", content);
    const bool started = startUp(f.form, {});
    QCOMPARE(started, reason.isEmpty());
    QCOMPARE(f.form.isVisible(), started);
    if (!started) {
        const QString file = QDir::toNativeSeparators(f.programFolder.path("HAND-M.CUR"));
        QCOMPARE(f.messages.prompts,
                 QStringList{"Quillmere cannot start.\n\nCannot load picture " + file + ":\n" + reason + "."});
        return;
    }
    QVERIFY(f.messages.prompts.isEmpty());
    QCOMPARE(f.form.MouseIcon().isNull(), !present);
    if (present) {
        QCOMPARE(f.form.MouseIcon().hotSpot(), QPoint(10, 0));
        QCOMPARE(f.form.MouseIcon().pixmap().size(), QSize(32, 32));
    }
    // Start-up leaves the pointer to the first mouse movement.
    QCOMPARE(f.form.MousePointer(), int(Form::Default));
    QCOMPARE(f.form.Caption(), QString("Quillmere"));
}

void tst_Form1::pointerFeedback()
{
    Fixture f;
    f.programFolder.write("HAND-M.CUR", committedCursor());
    f.form.load();
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));

    const auto expectPointer = [&](QWidget *over, int shape) {
        moveMouse(over);
        QCOMPARE(f.form.MousePointer(), shape);
        QCOMPARE(f.form.cursor().shape(), shape == Form::Custom ? Qt::BitmapCursor : Qt::ArrowCursor);
        // Controls show the window's pointer.
        QVERIFY(!over->testAttribute(Qt::WA_SetCursor) || over == &f.form);
    };
    expectPointer(&f.form, Form::Arrow);
    expectPointer(f.add(), Form::Custom);
    expectPointer(&f.form, Form::Arrow);
    expectPointer(f.join(), Form::Custom);
    expectPointer(f.list()->viewport(), Form::Custom);
    QCOMPARE(f.form.cursor().hotSpot(), QPoint(10, 0));
    expectPointer(&f.form, Form::Arrow);
}

void tst_Form1::pointerOverTheWholeList_data()
{
    QTest::addColumn<QString>("part");
    QTest::addRow("vertical scroll bar") << "vertical";
    QTest::addRow("horizontal scroll bar") << "horizontal";
    QTest::addRow("corner between the bars") << "corner";
}

// The pointer as the window system moves it, from the free client area onto
// a part of the list, delivered to whichever widget lies there.
void tst_Form1::pointerOverTheWholeList()
{
    QFETCH(QString, part);
    Fixture f;
    f.programFolder.write("HAND-M.CUR", committedCursor());
    f.form.load();
    for (int i = 0; i < 20; ++i)
        f.list()->AddItem(QStringLiteral("entry %1").arg(i));
    f.list()->setHorizontalExtent(2000);
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    QScrollBar *vertical = f.list()->verticalScrollBar();
    QScrollBar *horizontal = f.list()->horizontalScrollBar();
    QTRY_VERIFY(vertical->isVisible() && horizontal->isVisible());

    const auto centreOf = [&](QWidget *widget) { return widget->mapTo(&f.form, widget->rect().center()); };
    QPoint at = centreOf(part == "vertical" ? vertical : horizontal);
    if (part == "corner")
        at = QPoint(centreOf(vertical).x(), centreOf(horizontal).y());

    QTest::mouseMove(&f.form, QPoint(500, 150));
    QCOMPARE(f.form.MousePointer(), int(Form::Arrow));
    QTest::mouseMove(&f.form, at);
    QCOMPARE(f.form.MousePointer(), int(Form::Custom));
    QCOMPARE(f.form.cursor().shape(), Qt::BitmapCursor);
}

// A button is released before its work begins: while its dialog is open it
// reads Value 0 and is drawn as it is once the work is done, not sunken.
void tst_Form1::oneClickRunsTheWorkOnce()
{
    Fixture f;
    f.form.load();
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    GraphicalCheckBox *box = f.add();
    QList<int> valueWhileOpen;
    QImage drawnWhileOpen;
    f.dialogs.whileOpen = [&](const FileDialogRequest &) {
        valueWhileOpen << box->Value();
        drawnWhileOpen = box->grab().toImage();
    };

    QTest::mouseClick(f.add(), Qt::LeftButton);
    QCOMPARE(f.dialogs.requests.size(), 1);
    QCOMPARE(valueWhileOpen, QList<int>{0});
    QCOMPARE(f.add()->Value(), 0);
    QCOMPARE(drawnWhileOpen, f.add()->grab().toImage());

    // Join with an empty list: the message, no dialog.
    QTest::mouseClick(f.join(), Qt::LeftButton);
    QCOMPARE(f.messages.prompts, QStringList{"Add files first."});
    QCOMPARE(f.dialogs.requests.size(), 1);
    QCOMPARE(f.join()->Value(), 0);

    // With an entry, the save dialog.
    f.list()->AddItem("/data/a.csv");
    box = f.join();
    QTest::mouseClick(f.join(), Qt::LeftButton);
    QCOMPARE(f.dialogs.requests.size(), 2);
    QCOMPARE(f.dialogs.requests.constLast().kind, FileDialogRequest::Save);
    QCOMPARE(valueWhileOpen, (QList<int>{0, 0}));
    QCOMPARE(f.join()->Value(), 0);
    QCOMPARE(drawnWhileOpen, f.join()->grab().toImage());

    // A change of Value made by the program to 0 does no work.
    f.add()->setValue(0);
    QCOMPARE(f.dialogs.requests.size(), 2);
}

void tst_Form1::removingAnEntryKeepsTheExtent_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addRow("double click") << false;
    QTest::addRow("Delete key") << true;
}

// The list scrolls as far as its widest entry did, even once that entry is
// gone: entries are measured as they are added, never when one is removed.
void tst_Form1::removingAnEntryKeepsTheExtent()
{
    QFETCH(bool, byKey);
    Fixture f;
    f.form.load();
    f.form.openFiles({"/data/" + QString(80, u'w') + ".csv", "/data/b.csv"});
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));
    const int extent = f.list()->horizontalExtent();
    QVERIFY(extent > f.list()->viewport()->width());
    const QString second = f.list()->List(1);

    if (byKey) {
        f.list()->setListIndex(0);
        QTest::keyClick(f.list(), Qt::Key_Delete);
    } else {
        const QPoint first(10, f.list()->visualItemRect(f.list()->item(0)).center().y());
        QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, first);
    }
    QCOMPARE(entriesOf(*f.list()), QStringList{second});
    QCOMPARE(f.list()->horizontalExtent(), extent);
}

void tst_Form1::errorInAHandlerIsReported_data()
{
    QTest::addColumn<bool>("drop");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("reason");
    QTest::addRow("Add, run-time error") << false << 0 << "The dialog cannot be shown: no display.";
    QTest::addRow("Add, memory") << false << 1 << "There is not enough memory.";
    QTest::addRow("drop, run-time error") << true << 0 << "The dialog cannot be shown: no display.";
    QTest::addRow("drop, memory") << true << 1 << "There is not enough memory.";
}

// Whatever fails inside a handler is told, and the window goes on as it was.
void tst_Form1::errorInAHandlerIsReported()
{
    QFETCH(bool, drop);
    QFETCH(int, failure);
    QFETCH(QString, reason);
    Fixture f;
    f.list()->AddItem("kept");
    const auto fail = [failure] {
        if (failure == 0)
            throw RuntimeError("The dialog cannot be shown: no display.");
        throw std::bad_alloc();
    };
    // The list is measured after every addition.
    RecordingWindowSystem windowSystem;
    WindowSystem::Override useWindowSystem{windowSystem};
    windowSystem.answers.GetSystemMetrics = [&](int) -> int { fail(); return 0; };
    TestFolder dir;
    if (drop) {
        QMimeData data;
        setFiles(data, {dir.write("a.csv")});
        dropOn(f.list()->viewport(), &data, QPoint(20, 20), Qt::CopyAction);
    } else {
        f.dialogs.whileOpen = [&](const FileDialogRequest &) { fail(); };
        QTest::mouseClick(f.add(), Qt::LeftButton);
        QCOMPARE(f.add()->Value(), 0);
    }
    QCOMPARE(f.messages.prompts, QStringList{"The files could not be added.\n\n" + reason});
    QVERIFY(f.list()->ListCount() >= 1);

    windowSystem.answers.GetSystemMetrics = nullptr;
    f.dialogs.whileOpen = nullptr;
    f.dialogs.answers << QStringList{"/data/a.csv"};
    const int before = f.list()->ListCount();
    QTest::mouseClick(f.add(), Qt::LeftButton);
    QCOMPARE(f.list()->ListCount(), before + 1);
}

void tst_Form1::closingEndsTheProgram()
{
    Fixture f;
    f.list()->AddItem("/data/a.csv");
    f.form.load();
    f.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form));

    QTimer::singleShot(0, &f.form, [&] { f.form.close(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(f.messages.prompts.isEmpty());
    QVERIFY(f.dialogs.requests.isEmpty());
}

// However many entries stand before them, the user sees where new ones went,
// at start-up and on Add; the selection stays where it was. Dropped files land
// where they are let go.
void tst_Form1::lastAddedEntryIsScrolledIntoView()
{
    TestFolder dir;
    QStringList files;
    for (int i = 0; i < 30; ++i)
        files << dir.write(QStringLiteral("%1.csv").arg(i));
    Fixture f;
    const auto inView = [&](int entry) {
        const QRect row = f.list()->visualItemRect(f.list()->item(entry));
        return f.list()->viewport()->rect().contains(QRect(0, row.top(), 1, row.height()))
               && f.list()->horizontalScrollBar()->value() == 0;
    };
    QVERIFY(startUp(f.form, files.mid(0, 25)));
    QVERIFY(inView(24));

    f.list()->setListIndex(3);
    f.list()->scrollToTop();
    QVERIFY(!inView(24));
    f.dialogs.answers << files.mid(25);
    QTest::mouseClick(f.add(), Qt::LeftButton);
    QCOMPARE(f.list()->ListCount(), 30);
    QCOMPARE(f.list()->ListIndex(), 3);
    QVERIFY(inView(29));
}

void tst_Form1::commandLineOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("message");

    using enum CommandLine::Action;
    const QString usage = "Usage: quillmere [FILE]...";
    const QString version = "quillmere 1.00\n";
    QTest::addRow("nothing") << QStringList{} << int(Run) << "";
    QTest::addRow("--help") << QStringList{"a.csv", "--help"} << int(Help) << usage;
    QTest::addRow("-h") << QStringList{"-h"} << int(Help) << usage;
    QTest::addRow("--version") << QStringList{"--version"} << int(Version) << version;
    QTest::addRow("-v") << QStringList{"-v"} << int(Version) << version;
    QTest::addRow("unknown option") << QStringList{"--frobnicate", "a.csv"} << int(UsageError)
                                    << "quillmere: Unknown option 'frobnicate'.\nTry 'quillmere --help'.\n";
}

// The help is compared by its first line; the rest is prose.
void tst_Form1::commandLineOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, message);
    const CommandLine commandLine = CommandLine::parse(QStringList{"quillmere"} + arguments);
    QCOMPARE(int(commandLine.action), action);
    QCOMPARE(commandLine.files, QStringList());
    QCOMPARE(action == CommandLine::Help ? commandLine.message.section(u'\n', 0, 0) : commandLine.message, message);
}

void tst_Form1::filesFromTheCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("entries");
    QTest::addRow("files in the order given") << QStringList{"b.csv", "a.csv", "b.csv"}
                                              << QStringList{"b.csv", "a.csv", "b.csv"};
    QTest::addRow("a folder stands for its files") << QStringList{"folder", "a.csv"}
                                                   << QStringList{"folder/x2", "folder/x10", "a.csv"};
    QTest::addRow("a missing file is listed") << QStringList{"gone.csv"} << QStringList{"gone.csv"};
    QTest::addRow("empty arguments are no paths") << QStringList{"", "a.csv"} << QStringList{"a.csv"};
    QTest::addRow("a lone dash is a file") << QStringList{"-"} << QStringList{"-"};
    QTest::addRow("-- ends the options") << QStringList{"a.csv", "--", "--help", "-v"}
                                         << QStringList{"a.csv", "--help", "-v"};
}

// Relative paths are taken from the current folder and listed in full.
void tst_Form1::filesFromTheCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, entries);
    TestFolder dir;
    for (const char *name : {"a.csv", "b.csv", "folder/x10", "folder/x2"})
        dir.write(name, "x\r\n");

    Fixture f;
    RecordingWindowSystem windowSystem;
    WindowSystem::Override useWindowSystem{windowSystem};
    f.form.load();
    const CommandLine commandLine = CommandLine::parse(QStringList{"quillmere"} + arguments);
    QCOMPARE(int(commandLine.action), int(CommandLine::Run));
    QCOMPARE(commandLine.message, QString());
    {
        const CurrentDirectory current(dir.path());
        f.form.openFiles(commandLine.files);
    }

    QStringList expected;
    for (const QString &entry : std::as_const(entries))
        expected << QDir::toNativeSeparators(dir.path(entry));
    QCOMPARE(entriesOf(*f.list()), expected);
    // One batch, measured once; no dialog, no message.
    QCOMPARE(windowSystem.callsOf("SendMessageA").size(), 1);
    QVERIFY(f.dialogs.requests.isEmpty());
    QVERIFY(f.messages.prompts.isEmpty());
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
