#include "ctranslucentform.h"
#include "form.h"
#include "forwardingwindowsystem.h"
#include "nativewindows.h"
#include "recordingwindowsystem.h"
#include "runtimeerror.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace winapi;

namespace {

constexpr winapi::HWND Window1 = 0x10000;
constexpr winapi::HWND Window2 = 0x10004;
constexpr winapi::HWND Bare = 0x10008;   // a window with no extended style at all
constexpr winapi::HWND Gone = 0x1000C;   // a window that no longer exists
constexpr std::int32_t Edge = 0x100; // WS_EX_WINDOWEDGE, as framed windows have
constexpr std::int32_t ButtonFaceKey = -2147483633;  // 0x8000000F

QString attributes(winapi::HWND h, qint64 key, int alpha, int flags)
{
    return QStringLiteral("SetLayeredWindowAttributes(%1, %2, %3, %4)").arg(h).arg(key).arg(alpha).arg(flags);
}

QString getStyle(winapi::HWND h)
{
    return QStringLiteral("GetWindowLongA(%1, -20)").arg(h);
}

QString setStyle(winapi::HWND h, std::int32_t style)
{
    return QStringLiteral("SetWindowLongA(%1, -20, %2)").arg(h).arg(style);
}

QStringList clear(winapi::HWND h, std::int32_t style)
{
    return {attributes(h, 0, 255, LWA_ALPHA), getStyle(h), setStyle(h, style & ~WS_EX_LAYERED)};
}

QStringList make(winapi::HWND h, std::int32_t style)
{
    return {getStyle(h), setStyle(h, style | WS_EX_LAYERED), attributes(h, 0, 255, LWA_ALPHA)};
}

// The style rewrite that every change of mode starts with.
QStringList relayer(winapi::HWND h, std::int32_t style)
{
    return {getStyle(h), setStyle(h, style & ~WS_EX_LAYERED), setStyle(h, style | WS_EX_LAYERED)};
}

void perform(std::unique_ptr<CTranslucentForm> &form, const QString &step)
{
    const QStringList words = step.split(u' ');
    const qint64 value = words.value(1).toLongLong();
    if (words.first() == u"Alpha")
        form->setAlpha(std::uint8_t(value));
    else if (words.first() == u"ColorKey")
        form->setColorKey(std::int32_t(value));
    else if (words.first() == u"hWnd")
        form->setHWnd(winapi::HWND(value));
    else if (words.first() == u"Mode")
        form->setMode(std::int32_t(value));
    else if (words.first() == u"destroy")
        form.reset();
    else
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
}

// The native window system, saying it has layered windows even where no one
// will see them (offscreen), so that the class reaches the functions.
class TranslucentPlatform final : public ForwardingWindowSystem
{
public:
    BOOL GetVersionExA(OSVERSIONINFO *v) override
    {
        const BOOL answered = ForwardingWindowSystem::GetVersionExA(v);
        v->dwMajorVersion = 5;
        return answered;
    }
};

bool layered(winapi::HWND h)
{
    return WindowSystem::native().GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_LAYERED;
}

// A window of one colour with a square of another in it.
void paint(Form &form, QWidget &square, QColor background, QColor foreground)
{
    QPalette palette;
    palette.setColor(QPalette::Window, background);
    form.setPalette(palette);
    form.setAutoFillBackground(true);
    palette.setColor(QPalette::Window, foreground);
    square.setPalette(palette);
    square.setAutoFillBackground(true);
    form.resize(120, 80);
    square.setGeometry(40, 20, 30, 30);
}

} // namespace

class tst_CTranslucentForm : public QObject
{
    Q_OBJECT

private slots:
    void creation_data();
    void creation();
    void accessors_data();
    void accessors();
    void platformErrorsPassToTheCaller();

    void opacityOfARealWindow();
    void colorKeyOfARealWindow_data();
    void colorKeyOfARealWindow();
    void windowThatNoLongerExists();
    void translucentOnScreen();
};

void tst_CTranslucentForm::creation_data()
{
    QTest::addColumn<std::uint32_t>("majorVersion");
    QTest::addColumn<std::int16_t>("supported");

    QTest::addRow("version 0, a failed query") << 0u << CTranslucentForm::False;
    QTest::addRow("version 4") << 4u << CTranslucentForm::False;
    QTest::addRow("version 5") << 5u << CTranslucentForm::True;
    QTest::addRow("version 10") << 10u << CTranslucentForm::True;
    QTest::addRow("version with bit 31, negative") << 0x80000005u << CTranslucentForm::False;
}

void tst_CTranslucentForm::creation()
{
    QFETCH(std::uint32_t, majorVersion);
    QFETCH(std::int16_t, supported);

    RecordingWindowSystem platform;
    platform.majorVersion = majorVersion;
    const WindowSystem::Override use(platform);
    const CTranslucentForm form;

    QCOMPARE(platform.calls, QStringList{QStringLiteral("GetVersionExA(148)")});
    QCOMPARE(form.Supported(), supported);
    QCOMPARE(form.hWnd(), 0);
    QCOMPARE(form.Alpha(), 255);
    QCOMPARE(form.ColorKey(), ButtonFaceKey);
    QCOMPARE(form.Mode(), 2);
}

void tst_CTranslucentForm::accessors_data()
{
    QTest::addColumn<bool>("supported");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("failing");   // what the platform refuses during the step
    QTest::addColumn<QStringList>("calls"); // made by the step alone
    QTest::addColumn<int>("alpha");
    QTest::addColumn<int>("colorKey");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("hWnd");

    const std::int32_t layeredEdge = Edge | WS_EX_LAYERED;
    const QString none;
    const QStringList attach1 = {QStringLiteral("hWnd %1").arg(Window1)};

    // No window attached.
    QTest::addRow("no window: Alpha 128 fails at the platform")
        << true << QStringList() << "Alpha 128" << none << QStringList{attributes(0, 0, 128, LWA_ALPHA)}
        << 255 << ButtonFaceKey << 2 << 0;
    QTest::addRow("no window: ColorKey is stored and selects mode 1, no call")
        << true << QStringList() << "ColorKey 255" << none << QStringList() << 255 << 255 << 1 << 0;
    QTest::addRow("no window: Alpha in mode 1 is stored and selects mode 2, no call")
        << true << QStringList{"Mode 1"} << "Alpha 100" << none << QStringList() << 100 << ButtonFaceKey << 2 << 0;
    QTest::addRow("no window: Mode 0 makes no call")
        << true << QStringList() << "Mode 0" << none << QStringList() << 255 << ButtonFaceKey << 0 << 0;

    // Values out of range.
    QTest::addRow("Mode 3 is ignored")
        << true << attach1 << "Mode 3" << none << QStringList() << 255 << ButtonFaceKey << 2 << Window1;
    QTest::addRow("Mode -1 is ignored")
        << true << QStringList{"Mode 1"} << "Mode -1" << none << QStringList() << 255 << ButtonFaceKey << 1 << 0;

    // No layered windows.
    QTest::addRow("unsupported: Alpha changes nothing")
        << false << QStringList() << "Alpha 128" << none << QStringList() << 255 << ButtonFaceKey << 2 << 0;
    QTest::addRow("unsupported: ColorKey changes nothing")
        << false << QStringList() << "ColorKey 255" << none << QStringList() << 255 << ButtonFaceKey << 2 << 0;
    QTest::addRow("unsupported: hWnd changes nothing")
        << false << QStringList() << "hWnd 65536" << none << QStringList() << 255 << ButtonFaceKey << 2 << 0;
    QTest::addRow("unsupported: Mode 0 is stored, no call")
        << false << QStringList() << "Mode 0" << none << QStringList() << 255 << ButtonFaceKey << 0 << 0;
    QTest::addRow("unsupported: Mode 1 is stored, no call")
        << false << QStringList() << "Mode 1" << none << QStringList() << 255 << ButtonFaceKey << 1 << 0;
    QTest::addRow("unsupported: Mode 2 is stored, no call")
        << false << QStringList{"Mode 0"} << "Mode 2" << none << QStringList() << 255 << ButtonFaceKey << 2 << 0;
    QTest::addRow("unsupported: destruction makes no call")
        << false << QStringList() << "destroy" << none << QStringList() << 0 << 0 << 0 << 0;

    // Attaching.
    QTest::addRow("attach: layered and opaque")
        << true << QStringList() << "hWnd 65536" << none << make(Window1, Edge) << 255 << ButtonFaceKey << 2 << Window1;
    QTest::addRow("attach a second window: the first is cleared, Alpha reads 255")
        << true << QStringList{"hWnd 65536", "Alpha 200"} << "hWnd 65540" << none
        << clear(Window1, layeredEdge) + make(Window2, Edge) << 255 << ButtonFaceKey << 2 << Window2;
    QTest::addRow("attach a second window in mode 1: mode unchanged")
        << true << QStringList{"hWnd 65536", "ColorKey 255"} << "hWnd 65540" << none
        << clear(Window1, layeredEdge) + make(Window2, Edge) << 255 << 255 << 1 << Window2;
    QTest::addRow("attach in mode 1: opaque, no key yet")
        << true << QStringList{"Mode 1"} << "hWnd 65536" << none << make(Window1, Edge) << 255 << ButtonFaceKey << 1
        << Window1;
    QTest::addRow("attach the same window again")
        << true << QStringList{"hWnd 65536", "Alpha 200"} << "hWnd 65536" << none
        << clear(Window1, layeredEdge) + make(Window1, Edge) << 255 << ButtonFaceKey << 2 << Window1;
    QTest::addRow("attach 0 detaches")
        << true << attach1 << "hWnd 0" << none << clear(Window1, layeredEdge) << 255 << ButtonFaceKey << 2 << 0;
    QTest::addRow("attach: a failed style write leaves Alpha and makes no attribute call")
        << true << QStringList{"Mode 1", "Alpha 100"} << "hWnd 65536" << "style"
        << QStringList{getStyle(Window1), setStyle(Window1, layeredEdge)} << 100 << ButtonFaceKey << 2 << Window1;
    QTest::addRow("attach a window with no extended style")
        << true << QStringList() << "hWnd 65544" << none
        << QStringList{getStyle(Bare), setStyle(Bare, WS_EX_LAYERED), getStyle(Bare),
                       attributes(Bare, 0, 255, LWA_ALPHA)}
        << 255 << ButtonFaceKey << 2 << Bare;
    QTest::addRow("attach a window that no longer exists")
        << true << QStringList() << "hWnd 65548" << none
        << QStringList{getStyle(Gone), setStyle(Gone, WS_EX_LAYERED), getStyle(Gone)} << 255 << ButtonFaceKey << 2
        << Gone;

    // The direct paths: one call, no style change.
    QTest::addRow("Alpha in mode 2")
        << true << attach1 << "Alpha 200" << none << QStringList{attributes(Window1, 0, 200, LWA_ALPHA)} << 200
        << ButtonFaceKey << 2 << Window1;
    QTest::addRow("Alpha in mode 2, refused: the value stays")
        << true << QStringList{"hWnd 65536", "Alpha 200"} << "Alpha 10" << "attributes"
        << QStringList{attributes(Window1, 0, 10, LWA_ALPHA)} << 200 << ButtonFaceKey << 2 << Window1;
    QTest::addRow("ColorKey in mode 1")
        << true << QStringList{"hWnd 65536", "ColorKey 255"} << "ColorKey 65280" << none
        << QStringList{attributes(Window1, 65280, 0, LWA_COLORKEY)} << 255 << 65280 << 1 << Window1;
    QTest::addRow("ColorKey in mode 1, refused: the key stays")
        << true << QStringList{"hWnd 65536", "ColorKey 255"} << "ColorKey 65280" << "attributes"
        << QStringList{attributes(Window1, 65280, 0, LWA_COLORKEY)} << 255 << 255 << 1 << Window1;
    QTest::addRow("ColorKey in mode 1 naming a system colour, stored untranslated")
        << true << QStringList{"hWnd 65536", "ColorKey 255"} << "ColorKey -2147483633" << none
        << QStringList{"GetSysColor(15)", attributes(Window1, 0xC8D0D4, 0, LWA_COLORKEY)} << 255 << ButtonFaceKey
        << 1 << Window1;
    QTest::addRow("ColorKey: only bit 31 marks a system colour")
        << true << QStringList{"hWnd 65536", "ColorKey 255"} << "ColorKey 2147483647" << none
        << QStringList{attributes(Window1, 0x7FFFFFFF, 0, LWA_COLORKEY)} << 255 << 0x7FFFFFFF << 1 << Window1;

    // Switching modes.
    QTest::addRow("ColorKey in mode 2 selects mode 1")
        << true << attach1 << "ColorKey 255" << none
        << relayer(Window1, layeredEdge) + QStringList{attributes(Window1, 255, 0, LWA_COLORKEY)} << 255 << 255 << 1
        << Window1;
    QTest::addRow("Alpha 100 in mode 1 selects mode 2")
        << true << QStringList{"hWnd 65536", "ColorKey 255"} << "Alpha 100" << none
        << relayer(Window1, layeredEdge) + QStringList{attributes(Window1, 0, 100, LWA_ALPHA)} << 100 << 255 << 2
        << Window1;
    QTest::addRow("Mode 1 with the button-face key")
        << true << attach1 << "Mode 1" << none
        << relayer(Window1, layeredEdge)
               + QStringList{"GetSysColor(15)", attributes(Window1, 0xC8D0D4, 0, LWA_COLORKEY)}
        << 255 << ButtonFaceKey << 1 << Window1;
    QTest::addRow("Mode 0 clears the window")
        << true << QStringList{"hWnd 65536", "Alpha 200"} << "Mode 0" << none << clear(Window1, layeredEdge) << 200
        << ButtonFaceKey << 0 << Window1;
    QTest::addRow("Alpha 200, Mode 0, then Mode 2 returns to 200")
        << true << QStringList{"hWnd 65536", "Alpha 200", "Mode 0"} << "Mode 2" << none
        << relayer(Window1, Edge) + QStringList{attributes(Window1, 0, 200, LWA_ALPHA)} << 200 << ButtonFaceKey << 2
        << Window1;
    QTest::addRow("the mode in force is applied again")
        << true << attach1 << "Mode 2" << none
        << relayer(Window1, layeredEdge) + QStringList{attributes(Window1, 0, 255, LWA_ALPHA)} << 255
        << ButtonFaceKey << 2 << Window1;
    QTest::addRow("a failed style write keeps the mode and key stored before it")
        << true << attach1 << "ColorKey 255" << "style" << QStringList{getStyle(Window1), setStyle(Window1, Edge)}
        << 255 << 255 << 1 << Window1;
    QTest::addRow("switching a window whose only extended style is layered")
        << true << QStringList{"hWnd 65544"} << "ColorKey 255" << none
        << QStringList{getStyle(Bare), setStyle(Bare, 0), setStyle(Bare, WS_EX_LAYERED), getStyle(Bare),
                       attributes(Bare, 255, 0, LWA_COLORKEY)}
        << 255 << 255 << 1 << Bare;

    // Destruction.
    QTest::addRow("destruction clears the window")
        << true << QStringList{"hWnd 65536", "Alpha 100"} << "destroy" << none << clear(Window1, layeredEdge) << 0 << 0
        << 0 << 0;
    QTest::addRow("destruction without a window makes no call")
        << true << QStringList() << "destroy" << none << QStringList() << 0 << 0 << 0 << 0;
}

void tst_CTranslucentForm::accessors()
{
    QFETCH(bool, supported);
    QFETCH(QStringList, setup);
    QFETCH(QString, step);
    QFETCH(QString, failing);
    QFETCH(QStringList, calls);

    RecordingWindowSystem platform;
    platform.majorVersion = supported ? 5 : 4;
    platform.exStyles = {{Window1, Edge}, {Window2, Edge}};
    QString refused; // nothing is refused while setting up
    platform.layeredResult = [&](winapi::HWND h) { return h != 0 && h != Gone && refused != u"attributes"; };
    platform.styleWritable = [&](winapi::HWND h) { return h != 0 && h != Gone && refused != u"style"; };
    const WindowSystem::Override use(platform);

    auto form = std::make_unique<CTranslucentForm>();
    for (const QString &earlier : setup)
        perform(form, earlier);
    platform.calls.clear();
    refused = failing;
    perform(form, step);

    QCOMPARE(platform.calls, calls);
    if (!form)
        return;
    QTEST(int(form->Alpha()), "alpha");
    QTEST(form->ColorKey(), "colorKey");
    QTEST(form->Mode(), "mode");
    QTEST(form->hWnd(), "hWnd");
}

// A platform function that cannot be bound raises its error in the accessor
// that called it, with the values stored before the call kept.
void tst_CTranslucentForm::platformErrorsPassToTheCaller()
{
    class Unbound final : public RecordingWindowSystem
    {
    public:
        BOOL SetLayeredWindowAttributes(winapi::HWND, COLORREF, std::uint8_t, std::uint32_t) override
        {
            throw RuntimeError(QStringLiteral("SetLayeredWindowAttributes cannot be found."));
        }
    } platform;
    platform.exStyles = {{Window1, Edge}};
    const WindowSystem::Override use(platform);
    CTranslucentForm form;

    QVERIFY_THROWS_EXCEPTION(RuntimeError, form.setHWnd(Window1));
    QCOMPARE(form.hWnd(), Window1);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, form.setColorKey(255));
    QCOMPARE(form.Mode(), 1);
    QCOMPARE(form.ColorKey(), 255);
}

void tst_CTranslucentForm::opacityOfARealWindow()
{
    if (!NativeWindows::available())
        QSKIP("Needs the window system's own windows.");
    TranslucentPlatform platform;
    const WindowSystem::Override use(platform);
    Form window;
    window.resize(100, 60);
    const winapi::HWND h = window.hWnd();
    auto form = std::make_unique<CTranslucentForm>();
    QCOMPARE(form->Supported(), CTranslucentForm::True);

    form->setHWnd(h);
    QVERIFY(layered(h));
    QCOMPARE(NativeWindows::opacity(window), 1.0);

    form->setAlpha(128);
    QCOMPARE(form->Alpha(), 128);
    QCOMPARE(NativeWindows::opacity(window), 128 / 255.0);

    form->setMode(0);
    QVERIFY(!layered(h));
    QCOMPARE(NativeWindows::opacity(window), 1.0);

    form->setMode(2);
    QVERIFY(layered(h));
    QCOMPARE(NativeWindows::opacity(window), 128 / 255.0);

    form->setAlpha(100);
    form->setMode(1);
    QCOMPARE(NativeWindows::opacity(window), 1.0);
    form->setAlpha(100);
    QCOMPARE(form->Mode(), 2);
    QCOMPARE(NativeWindows::opacity(window), 100 / 255.0);

    form.reset();
    QVERIFY(!layered(h));
    QCOMPARE(NativeWindows::opacity(window), 1.0);
}

void tst_CTranslucentForm::colorKeyOfARealWindow_data()
{
    QTest::addColumn<bool>("buttonFace");

    QTest::addRow("RGB key") << false;
    QTest::addRow("button-face key, translated when applied") << true;
}

void tst_CTranslucentForm::colorKeyOfARealWindow()
{
    if (!NativeWindows::available())
        QSKIP("Needs the window system's own windows.");
    QFETCH(bool, buttonFace);

    TranslucentPlatform platform;
    const WindowSystem::Override use(platform);
    Form window;
    QWidget square(&window);
    const QColor background = buttonFace ? QApplication::palette().color(QPalette::Button) : QColor(0, 200, 0);
    paint(window, square, background, Qt::red);
    CTranslucentForm form;
    form.setHWnd(window.hWnd());

    if (buttonFace)
        form.setMode(1);
    else
        form.setColorKey(std::int32_t(background.red() | background.green() << 8 | background.blue() << 16));

    QCOMPARE(form.ColorKey(), buttonFace ? ButtonFaceKey : 200 << 8);
#ifdef Q_OS_WIN
    // The system keeps the key itself, translated from the button-face reference.
    const std::uint32_t key = buttonFace ? WindowSystem::native().GetSysColor(COLOR_BTNFACE) : 200 << 8;
    QCOMPARE(NativeWindows::colorKey(window), std::optional<std::uint32_t>(key));

    form.setMode(2);
    QCOMPARE(NativeWindows::colorKey(window), std::nullopt);
#else
    // The emulation cuts the key's pixels out of the window.
    QVERIFY(!window.mask().isEmpty());
    QVERIFY(!window.mask().contains(QPoint(5, 5)));
    QVERIFY(window.mask().contains(QPoint(50, 30)));

    form.setMode(2);
    QVERIFY(window.mask().isEmpty());
#endif
}

void tst_CTranslucentForm::windowThatNoLongerExists()
{
#ifdef Q_OS_WIN
    QSKIP("Windows may hand a dead window's handle to a new window, so no call is sure to fail.");
#endif
    TranslucentPlatform platform;
    const WindowSystem::Override use(platform);
    auto window = std::make_unique<Form>();
    CTranslucentForm form;
    form.setHWnd(window->hWnd());
    window.reset();

    form.setAlpha(10);
    QCOMPARE(form.Alpha(), 255);
    form.setColorKey(255);
    QCOMPARE(form.Mode(), 1);
    form.setColorKey(65280);
    QCOMPARE(form.ColorKey(), 255);
}

// The whole way, on the window system as it is, where it has layered windows.
void tst_CTranslucentForm::translucentOnScreen()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("Needs an X server to see the screen.");
    Form below;
    QWidget belowSquare(&below);
    paint(below, belowSquare, Qt::white, Qt::white);
    below.setWindowFlag(Qt::FramelessWindowHint);
    below.move(100, 100);
    Form window;
    QWidget square(&window);
    paint(window, square, Qt::black, Qt::red);
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.move(100, 100);
    auto form = std::make_unique<CTranslucentForm>();
    if (form->Supported() == CTranslucentForm::False)
        QSKIP("This X server has no compositing manager, so no layered windows.");
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto onScreen = [](QPoint point) {
        return QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage().pixelColor(0, 0);
    };
    const QPoint background(105, 105);
    const QPoint inSquare(150, 130);
    QTRY_COMPARE(onScreen(background), QColor(Qt::black));

    form->setHWnd(window.hWnd());
    form->setAlpha(128);
    QTRY_VERIFY2(qAbs(onScreen(background).red() - 128) <= 8, qPrintable(onScreen(background).name()));

    form->setColorKey(0); // black
    QTRY_COMPARE(onScreen(background), QColor(Qt::white));
    QTRY_COMPARE(onScreen(inSquare), QColor(Qt::red));

    form.reset();
    QTRY_COMPARE(onScreen(background), QColor(Qt::black));
}

QTEST_MAIN(tst_CTranslucentForm)
#include "tst_ctranslucentform.moc"
