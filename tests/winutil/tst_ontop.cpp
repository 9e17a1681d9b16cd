#include "form.h"
#include "nativewindows.h"
#include "ontop.h"
#include "recordingwindowsystem.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace winapi;

namespace {

constexpr std::int32_t WS_EX_TOPMOST = 0x8;

void fill(Form &window, QColor color, QRect geometry)
{
    QPalette palette;
    palette.setColor(QPalette::Window, color);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setGeometry(geometry);
}

QColor onScreen(QPoint point)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage().pixelColor(0, 0);
}

} // namespace

class tst_OnTop : public QObject
{
    Q_OBJECT

private slots:
    void call_data();
    void call();
    void realWindow_data();
    void realWindow();
    void aboveAnOverlappingWindow();
};

void tst_OnTop::call_data()
{
    QTest::addColumn<int>("times");

    QTest::addRow("once") << 1;
    QTest::addRow("already topmost") << 2;
}

void tst_OnTop::call()
{
    QFETCH(int, times);

    RecordingWindowSystem platform;
    platform.windowPosResult = [](winapi::HWND) { return 0; }; // a failure is not looked at
    const WindowSystem::Override use(platform);
    Form window;

    for (int i = 0; i < times; ++i)
        OnTop::SetOnTop(window);

    const QString call = QStringLiteral("SetWindowPos(%1, -1, 0, 0, 0, 0, 3)").arg(window.hWnd());
    QCOMPARE(platform.calls, QStringList(times, call));
}

void tst_OnTop::realWindow_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("times");

    QTest::addRow("shown") << true << 1;
    QTest::addRow("shown, already topmost") << true << 2;
    QTest::addRow("not shown yet") << false << 1;
}

void tst_OnTop::realWindow()
{
    if (!NativeWindows::available())
        QSKIP("Needs the window system's own windows.");
    QFETCH(bool, shown);
    QFETCH(int, times);

    Form other;
    other.setGeometry(400, 300, 120, 80);
    Form window;
    window.setGeometry(140, 120, 260, 150);
    if (shown) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    const QRect geometry = window.geometry();
    const QWindow *native = window.windowHandle();

    for (int i = 0; i < times; ++i)
        OnTop::SetOnTop(window);

    QVERIFY(WindowSystem::native().GetWindowLongA(window.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
#ifndef Q_OS_WIN
    // The emulation keeps it where Qt keeps it when it makes the native window anew.
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
#endif
    QCOMPARE(window.isVisible(), shown);
    QCOMPARE(window.geometry(), geometry);
    if (!shown)
        return;
    // The native window is the same one, so it never blinked out.
    QCOMPARE(window.windowHandle(), native);
#ifndef Q_OS_WIN
    QVERIFY(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
#endif
    QTRY_VERIFY(window.isActiveWindow());
    // Whatever the window system still had to say about the window has arrived.
    QGuiApplication::sync();
    QCOMPARE(window.geometry(), geometry);
}

void tst_OnTop::aboveAnOverlappingWindow()
{
    if (QGuiApplication::platformName() != u"xcb" && QGuiApplication::platformName() != u"windows")
        QSKIP("Needs a screen to see which window is drawn on top.");
    Form below;
    fill(below, Qt::blue, QRect(100, 100, 200, 150));
    Form above;
    fill(above, Qt::yellow, QRect(150, 150, 200, 150));
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));
    above.show();
    QVERIFY(QTest::qWaitForWindowExposed(&above));
    const QPoint overlap(200, 200);
    QTRY_COMPARE(onScreen(overlap), QColor(Qt::yellow));

    OnTop::SetOnTop(below);

    QTRY_COMPARE(onScreen(overlap), QColor(Qt::blue));
    QCOMPARE(below.geometry(), QRect(100, 100, 200, 150));
    QTRY_VERIFY(below.isActiveWindow());
}

QTEST_MAIN(tst_OnTop)
#include "tst_ontop.moc"
