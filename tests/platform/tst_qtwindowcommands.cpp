#include "qtwindowsystem.h"
#include "windowhandles.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace winapi;


class tst_QtWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void setWindowPos_data();
    void setWindowPos();
    void topmostIsUndone();
    void releaseCapture();
    void systemMove();
    void deadWindowsFail_data();
    void deadWindowsFail();

private:
    QtWindowSystem m_system;
};

void tst_QtWindowCommands::setWindowPos_data()
{
    QTest::addColumn<HWND>("after");
    QTest::addColumn<QRect>("requested");
    QTest::addColumn<std::uint32_t>("flags");
    QTest::addColumn<BOOL>("result");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("topmost");
    QTest::addColumn<bool>("activated");

    const QRect start(120, 100, 240, 160);
    const std::uint32_t keep = SWP_NOMOVE | SWP_NOSIZE;
    QTest::addRow("topmost, in place and size") << HWND_TOPMOST << QRect() << keep << 1 << start << true << true;
    QTest::addRow("topmost, not activated") << HWND_TOPMOST << QRect() << (keep | SWP_NOACTIVATE) << 1 << start << true
                                           << false;
    QTest::addRow("moved and sized") << HWND_TOP << QRect(30, 40, 300, 200) << 0u << 1 << QRect(30, 40, 300, 200)
                                     << false << true;
    QTest::addRow("moved, size kept") << HWND_TOP << QRect(30, 40, 1, 1) << (SWP_NOSIZE | SWP_NOZORDER) << 1
                                      << QRect(30, 40, 240, 160) << false << true;
    QTest::addRow("to the bottom") << HWND_BOTTOM << QRect() << (keep | SWP_NOACTIVATE) << 1 << start << false << false;
    QTest::addRow("behind a given window, not emulated") << HWND(0x10000) << QRect() << keep << 0 << start << false
                                                         << false;
    QTest::addRow("behind a given window, order kept") << HWND(0x10000) << QRect() << (keep | SWP_NOZORDER) << 1 << start
                                                       << false << true;
}

void tst_QtWindowCommands::setWindowPos()
{
    QFETCH(HWND, after);
    QFETCH(QRect, requested);
    QFETCH(std::uint32_t, flags);
    QFETCH(QRect, geometry);
    QFETCH(bool, activated);

    QWidget other;
    other.setGeometry(500, 400, 100, 80);
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint); // no frame to tell apart from the client area
    window.setGeometry(120, 100, 240, 160);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    const QWindow *native = window.windowHandle();

    QTEST(m_system.SetWindowPos(WindowHandles::windowOf(&window), after, requested.x(), requested.y(),
                                requested.width(), requested.height(), flags),
          "result");

    QTRY_COMPARE(window.geometry(), geometry);
    QTEST(bool(window.windowFlags() & Qt::WindowStaysOnTopHint), "topmost");
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowHandle(), native);
    if (activated)
        QTRY_VERIFY(window.isActiveWindow());
    else
        QVERIFY(!window.isActiveWindow());
}

void tst_QtWindowCommands::topmostIsUndone()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const HWND h = WindowHandles::windowOf(&window);

    QCOMPARE(m_system.SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), 1);
    QCOMPARE(m_system.SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), 1);

    QVERIFY(!(window.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
}

void tst_QtWindowCommands::releaseCapture()
{
    QWidget window;
    window.resize(100, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(m_system.ReleaseCapture(), 1);

    window.grabMouse();
    QCOMPARE(m_system.ReleaseCapture(), 1);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
}

// Only the window system moves a window, and only on a user's press: here it
// can be asked, and a child or a platform without such a move says no.
void tst_QtWindowCommands::systemMove()
{
    QWidget window;
    QWidget child(&window);
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(m_system.SendMessageA(WindowHandles::windowOf(&child), WM_NCLBUTTONDOWN, HTCAPTION, 0), 0);
    QCOMPARE(m_system.SendMessageA(WindowHandles::windowOf(&window), WM_NCLBUTTONDOWN, 1, 0), 0);
    const LRESULT moved = m_system.SendMessageA(WindowHandles::windowOf(&window), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    if (!moved)
        QSKIP("The window system has no move of its own here (no window manager, or no screen).");
    QCOMPARE(moved, 1);
}

void tst_QtWindowCommands::deadWindowsFail_data()
{
    QTest::addColumn<QString>("function");

    QTest::addRow("SetWindowPos") << "SetWindowPos";
    QTest::addRow("SendMessageA, the caption press") << "SendMessageA";
}

void tst_QtWindowCommands::deadWindowsFail()
{
    QFETCH(QString, function);

    auto window = std::make_unique<QWidget>();
    const HWND h = WindowHandles::windowOf(window.get());
    window.reset();

    const long long result = function == u"SetWindowPos"
                                 ? m_system.SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE)
                                 : m_system.SendMessageA(h, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    QCOMPARE(result, 0);
}

QTEST_MAIN(tst_QtWindowCommands)
#include "tst_qtwindowcommands.moc"
