#include "qtwindowsystem.h"
#include "windowhandles.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#ifdef QUILLMERE_TEST_XCB
#include <xcb/xcb.h>
#endif

#include <memory>

using namespace winapi;

namespace {

constexpr std::int32_t WS_EX_TOPMOST = 0x8;
constexpr std::int32_t WS_EX_WINDOWEDGE = 0x100;
constexpr int GWL_STYLE = -16;
constexpr COLORREF Green = 0x00C800; // RGB(0, 200, 0)

// A window of one colour with a red square in it, at a known place.
struct Painted
{
    QWidget window;
    QWidget square{&window};

    explicit Painted(QColor background = QColor(0, 200, 0))
    {
        window.setWindowFlag(Qt::FramelessWindowHint);
        QPalette palette;
        palette.setColor(QPalette::Window, background);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        palette.setColor(QPalette::Window, Qt::red);
        square.setPalette(palette);
        square.setAutoFillBackground(true);
        window.setGeometry(60, 60, 120, 80);
        square.setGeometry(40, 20, 30, 30);
    }

    HWND handle() { return WindowHandles::windowOf(&window); }
};

// Regions built in other ways may band the same area differently.
bool sameArea(const QRegion &a, const QRegion &b)
{
    return a.xored(b).isEmpty();
}

QColor onScreen(QPoint point)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage().pixelColor(0, 0);
}

} // namespace

class tst_QtLayeredWindows : public QObject
{
    Q_OBJECT

private slots:
    void extendedStyleAtFirst_data();
    void extendedStyleAtFirst();
    void styleWriteAnswersThePreviousStyle();
    void otherIndexesFail();
    void attributesNeedALayeredTopLevelWindow_data();
    void attributesNeedALayeredTopLevelWindow();
    void opacityReadsBack();
    void eachCallReplacesBothAttributes();
    void colorKeyCutsTheMask_data();
    void colorKeyCutsTheMask();
    void maskFollowsRepaintsAndResizes();
    void clearingTheStyleMakesTheWindowPlain();
    void programsOwnMaskIsLeftAlone();
    void deadWindowsFail_data();
    void deadWindowsFail();

    void keyColourIsSeenThroughOnScreen();
    void opacityReachesTheXServer();
    void opacityBlendsOnScreen();

private:
    QtWindowSystem m_system;
};

void tst_QtLayeredWindows::extendedStyleAtFirst_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<std::int32_t>("style");

    QTest::addRow("framed window") << "framed" << WS_EX_WINDOWEDGE;
    QTest::addRow("frameless window") << "frameless" << 0;
    QTest::addRow("topmost window") << "topmost" << (WS_EX_WINDOWEDGE | WS_EX_TOPMOST);
    QTest::addRow("child") << "child" << 0;
}

void tst_QtLayeredWindows::extendedStyleAtFirst()
{
    QFETCH(QString, kind);

    QWidget window;
    QWidget child(&window);
    if (kind == u"frameless")
        window.setWindowFlag(Qt::FramelessWindowHint);
    if (kind == u"topmost")
        window.setWindowFlag(Qt::WindowStaysOnTopHint);
    QWidget *widget = kind == u"child" ? &child : &window;

    QTEST(m_system.GetWindowLongA(WindowHandles::windowOf(widget), GWL_EXSTYLE), "style");
}

// The topmost bit tells what the window is, not what was written.
void tst_QtLayeredWindows::styleWriteAnswersThePreviousStyle()
{
    QWidget window;
    const HWND h = WindowHandles::windowOf(&window);

    QCOMPARE(m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_WINDOWEDGE | WS_EX_LAYERED | WS_EX_TOPMOST), WS_EX_WINDOWEDGE);
    QCOMPARE(m_system.GetWindowLongA(h, GWL_EXSTYLE), WS_EX_WINDOWEDGE | WS_EX_LAYERED);
    QCOMPARE(m_system.SetWindowLongA(h, GWL_EXSTYLE, 0), WS_EX_WINDOWEDGE | WS_EX_LAYERED);
    QCOMPARE(m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED), 0);
    QCOMPARE(m_system.GetWindowLongA(h, GWL_EXSTYLE), WS_EX_LAYERED);
}

void tst_QtLayeredWindows::otherIndexesFail()
{
    QWidget window;
    const HWND h = WindowHandles::windowOf(&window);

    QCOMPARE(m_system.GetWindowLongA(h, GWL_STYLE), 0);
    QCOMPARE(m_system.SetWindowLongA(h, GWL_STYLE, 0x10000000), 0);
    QCOMPARE(m_system.GetWindowLongA(h, GWL_EXSTYLE), WS_EX_WINDOWEDGE);
}

void tst_QtLayeredWindows::attributesNeedALayeredTopLevelWindow_data()
{
    QTest::addColumn<bool>("child");
    QTest::addColumn<bool>("layered");
    QTest::addColumn<BOOL>("result");

    QTest::addRow("window, not layered") << false << false << 0;
    QTest::addRow("window, layered") << false << true << 1;
    QTest::addRow("child, layered") << true << true << 0;
}

void tst_QtLayeredWindows::attributesNeedALayeredTopLevelWindow()
{
    QFETCH(bool, child);
    QFETCH(bool, layered);

    QWidget window;
    QWidget square(&window);
    const HWND h = WindowHandles::windowOf(child ? &square : &window);
    if (layered)
        m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);

    QTEST(m_system.SetLayeredWindowAttributes(h, 0, 100, LWA_ALPHA), "result");
    QCOMPARE(window.windowOpacity(), layered && !child ? 100 / 255.0 : 1.0);
}

void tst_QtLayeredWindows::opacityReadsBack()
{
    QWidget window;
    const HWND h = WindowHandles::windowOf(&window);
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);

    for (int alpha = 0; alpha <= 255; ++alpha) {
        QCOMPARE(m_system.SetLayeredWindowAttributes(h, 0, std::uint8_t(alpha), LWA_ALPHA), 1);
        QCOMPARE(qRound(window.windowOpacity() * 255), alpha);
    }
}

void tst_QtLayeredWindows::eachCallReplacesBothAttributes()
{
    Painted painted;
    const HWND h = painted.handle();
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);

    m_system.SetLayeredWindowAttributes(h, 0, 100, LWA_ALPHA);
    m_system.SetLayeredWindowAttributes(h, Green, 0, LWA_COLORKEY);
    QCOMPARE(painted.window.windowOpacity(), 1.0);
    QVERIFY(!painted.window.mask().isEmpty());

    m_system.SetLayeredWindowAttributes(h, 0, 100, LWA_ALPHA);
    QVERIFY(painted.window.mask().isEmpty());
    QCOMPARE(painted.window.windowOpacity(), 100 / 255.0);

    m_system.SetLayeredWindowAttributes(h, Green, 100, LWA_ALPHA | LWA_COLORKEY);
    QVERIFY(!painted.window.mask().isEmpty());
    QCOMPARE(painted.window.windowOpacity(), 100 / 255.0);
}

void tst_QtLayeredWindows::colorKeyCutsTheMask_data()
{
    QTest::addColumn<COLORREF>("key");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QRegion>("shown");

    const QRegion whole(0, 0, 120, 80);
    QTest::addRow("background keyed") << Green << QColor(0, 200, 0) << QRegion(40, 20, 30, 30);
    QTest::addRow("square keyed") << COLORREF(0x0000FF) << QColor(0, 200, 0) << whole.subtracted(QRegion(40, 20, 30, 30));
    QTest::addRow("key nowhere") << COLORREF(0x123456) << QColor(0, 200, 0) << whole;
    QTest::addRow("high byte ignored") << COLORREF(0x0200C800) << QColor(0, 200, 0) << QRegion(40, 20, 30, 30);
}

void tst_QtLayeredWindows::colorKeyCutsTheMask()
{
    QFETCH(COLORREF, key);
    QFETCH(QColor, background);
    QFETCH(QRegion, shown);

    Painted painted(background);
    const HWND h = painted.handle();
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);

    QCOMPARE(m_system.SetLayeredWindowAttributes(h, key, 0, LWA_COLORKEY), 1);
    QVERIFY2(sameArea(painted.window.mask(), shown), qPrintable(QDebug::toString(painted.window.mask())));
}

void tst_QtLayeredWindows::maskFollowsRepaintsAndResizes()
{
    Painted painted;
    const HWND h = painted.handle();
    painted.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&painted.window));
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    m_system.SetLayeredWindowAttributes(h, Green, 0, LWA_COLORKEY);
    QVERIFY(sameArea(painted.window.mask(), QRegion(40, 20, 30, 30)));

    painted.square.move(10, 10);
    QTRY_VERIFY(sameArea(painted.window.mask(), QRegion(10, 10, 30, 30)));

    QPalette palette = painted.square.palette();
    palette.setColor(QPalette::Window, QColor(0, 200, 0));
    painted.square.setPalette(palette);
    // All of the key colour: nothing shows, and still there is a mask.
    QTRY_VERIFY(!painted.window.mask().intersects(painted.window.rect()));
    QVERIFY(!painted.window.mask().isEmpty());

    palette.setColor(QPalette::Window, Qt::red);
    painted.square.setPalette(palette);
    painted.square.resize(20, 20);
    painted.window.resize(200, 100);
    painted.square.move(150, 70);
    QTRY_VERIFY(sameArea(painted.window.mask(), QRegion(150, 70, 20, 20)));
}

void tst_QtLayeredWindows::clearingTheStyleMakesTheWindowPlain()
{
    Painted painted;
    const HWND h = painted.handle();
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    m_system.SetLayeredWindowAttributes(h, Green, 100, LWA_ALPHA | LWA_COLORKEY);

    m_system.SetWindowLongA(h, GWL_EXSTYLE, 0);
    QCOMPARE(painted.window.windowOpacity(), 1.0);
    QVERIFY(painted.window.mask().isEmpty());
    QCOMPARE(m_system.SetLayeredWindowAttributes(h, 0, 100, LWA_ALPHA), 0);

    // Layered again, it starts without attributes.
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    QCOMPARE(painted.window.windowOpacity(), 1.0);
    QVERIFY(painted.window.mask().isEmpty());
}

void tst_QtLayeredWindows::programsOwnMaskIsLeftAlone()
{
    Painted painted;
    const HWND h = painted.handle();
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    m_system.SetLayeredWindowAttributes(h, Green, 0, LWA_COLORKEY);
    const QRegion own(0, 0, 50, 50);
    painted.window.setMask(own);

    m_system.SetLayeredWindowAttributes(h, 0, 255, LWA_ALPHA);
    QCOMPARE(painted.window.mask(), own);
}

void tst_QtLayeredWindows::deadWindowsFail_data()
{
    QTest::addColumn<QString>("function");

    QTest::addRow("GetWindowLongA") << "GetWindowLongA";
    QTest::addRow("SetWindowLongA") << "SetWindowLongA";
    QTest::addRow("SetLayeredWindowAttributes") << "SetLayeredWindowAttributes";
}

void tst_QtLayeredWindows::deadWindowsFail()
{
    QFETCH(QString, function);

    auto window = std::make_unique<QWidget>();
    const HWND h = WindowHandles::windowOf(window.get());
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    window.reset();
    // A new window never takes the dead one's handle.
    QWidget successor;
    QVERIFY(WindowHandles::windowOf(&successor) != h);

    long long result = -1;
    if (function == u"GetWindowLongA")
        result = m_system.GetWindowLongA(h, GWL_EXSTYLE);
    else if (function == u"SetWindowLongA")
        result = m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    else
        result = m_system.SetLayeredWindowAttributes(h, 0, 100, LWA_ALPHA);
    QCOMPARE(result, 0);
}

// With the shape of the window cut away, what lies behind shows: here the
// root window, as no other window is there.
void tst_QtLayeredWindows::keyColourIsSeenThroughOnScreen()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("Needs an X server to see the screen.");
    Painted painted;
    const HWND h = painted.handle();
    painted.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&painted.window));
    const QPoint background = painted.window.mapToGlobal(QPoint(5, 5));
    const QPoint square = painted.window.mapToGlobal(QPoint(50, 30));
    QTRY_COMPARE(onScreen(background), QColor(0, 200, 0));

    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    m_system.SetLayeredWindowAttributes(h, Green, 0, LWA_COLORKEY);

    QTRY_VERIFY(onScreen(background) != QColor(0, 200, 0));
    QCOMPARE(onScreen(square), QColor(Qt::red));

    m_system.SetLayeredWindowAttributes(h, 0, 255, LWA_ALPHA);
    QTRY_COMPARE(onScreen(background), QColor(0, 200, 0));
}

// Without a compositing manager the X server draws every window opaque, but
// the opacity is handed to it for one to use.
void tst_QtLayeredWindows::opacityReachesTheXServer()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("Needs an X server.");
#ifndef QUILLMERE_TEST_XCB
    QSKIP("Built without the xcb headers to read the window's properties.");
#else
    QWidget window;
    window.resize(100, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const HWND h = WindowHandles::windowOf(&window);
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    m_system.SetLayeredWindowAttributes(h, 0, 128, LWA_ALPHA);

    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11->connection();
    const char name[] = "_NET_WM_WINDOW_OPACITY";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    QVERIFY(atom);
    const xcb_atom_t opacityAtom = atom->atom;
    std::free(atom);
    quint32 opacity = 0;
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 xcb_get_property_reply_t *reply = xcb_get_property_reply(
                                     connection,
                                     xcb_get_property(connection, 0, xcb_window_t(window.winId()), opacityAtom,
                                                      XCB_ATOM_CARDINAL, 0, 1),
                                     nullptr);
                                 const bool found = reply && xcb_get_property_value_length(reply) == 4;
                                 if (found)
                                     opacity = *static_cast<const quint32 *>(xcb_get_property_value(reply));
                                 std::free(reply);
                                 return found;
                             }()),
                             2000);
    QCOMPARE(qRound(opacity / double(0xFFFFFFFFu) * 255), 128);
#endif
}

// Only a compositing manager draws a window translucent; the version says
// whether one runs.
void tst_QtLayeredWindows::opacityBlendsOnScreen()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("Needs an X server.");
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    QVERIFY(m_system.GetVersionExA(&version));
    if (version.dwMajorVersion < 5)
        QSKIP("No compositing manager runs on this X server, so no window is drawn translucent.");
    Painted below(Qt::white);
    below.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below.window));
    Painted above(Qt::black);
    above.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&above.window));
    const QPoint point = above.window.mapToGlobal(QPoint(5, 5));
    QTRY_COMPARE(onScreen(point), QColor(Qt::black));

    const HWND h = above.handle();
    m_system.SetWindowLongA(h, GWL_EXSTYLE, WS_EX_LAYERED);
    m_system.SetLayeredWindowAttributes(h, 0, 128, LWA_ALPHA);

    QTRY_VERIFY2(qAbs(onScreen(point).red() - 128) <= 8, qPrintable(onScreen(point).name()));

    m_system.SetWindowLongA(h, GWL_EXSTYLE, 0);
    QTRY_COMPARE(onScreen(point), QColor(Qt::black));
}

QTEST_MAIN(tst_QtLayeredWindows)
#include "tst_qtlayeredwindows.moc"
