#include "form.h"
#include "forwardingwindowsystem.h"
#include "nativewindows.h"
#include "moveform.h"
#include "recordingwindowsystem.h"

#include <QLabel>
#include <QTest>

using namespace winapi;

class tst_MoveForm : public QObject
{
    Q_OBJECT

private slots:
    void buttons_data();
    void buttons();
    void pressOnALabelReleasesItsCapture();
};

void tst_MoveForm::buttons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("drags");

    QTest::addRow("no button") << 0 << false;
    QTest::addRow("-1") << -1 << false;
    QTest::addRow("left") << 1 << true;
    QTest::addRow("right") << 2 << false;
    QTest::addRow("left and right together") << 3 << false;
    QTest::addRow("middle") << 4 << false;
}

void tst_MoveForm::buttons()
{
    QFETCH(int, button);
    QFETCH(bool, drags);

    RecordingWindowSystem platform;
    const WindowSystem::Override use(platform);
    Form window;
    const winapi::HWND h = window.hWnd();

    MoveForm::DragForm(window, button);

    const QStringList drag = {QStringLiteral("ReleaseCapture()"), QStringLiteral("SendMessageA(%1, 161, 2, 0)").arg(h)};
    QCOMPARE(platform.calls, drags ? drag : QStringList());
}

// A label has no window of its own: its handler drags the form it is on, and
// the capture the press gave the label must go, or the label keeps the mouse.
void tst_MoveForm::pressOnALabelReleasesItsCapture()
{
    if (!NativeWindows::available())
        QSKIP("Needs the window system's own windows.");
    // The capture is the window system's; the move it would start is not wanted here, since
    // with no button held down it would wait for one.
    class WithoutMove final : public ForwardingWindowSystem
    {
    public:
        LRESULT SendMessageA(winapi::HWND hWnd, std::uint32_t wMsg, WPARAM wParam, LPARAM lParam) override
        {
            sent << QStringLiteral("SendMessageA(%1, %2, %3, %4)").arg(hWnd).arg(wMsg).arg(wParam).arg(lParam);
            return 0;
        }
        QStringList sent;
    } platform;
    const WindowSystem::Override use(platform);
    Form window;
    auto *label = new QLabel(QStringLiteral("Drag me"), &window);
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    label->grabMouse();
    QVERIFY(NativeWindows::holdsMouse(label));

    MoveForm::DragForm(window, 2);
    QVERIFY(NativeWindows::holdsMouse(label));
    MoveForm::DragForm(window, 1);
    QVERIFY(!NativeWindows::holdsMouse(label));
    QCOMPARE(platform.sent, QStringList(QStringLiteral("SendMessageA(%1, 161, 2, 0)").arg(window.hWnd())));
}

QTEST_MAIN(tst_MoveForm)
#include "tst_moveform.moc"
