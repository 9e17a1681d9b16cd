// Window placement, the mouse capture and the window system's own move,
// emulated over Qt.
#include "qtwindowsystem.h"

#include "windowhandles.h"

#include <QWidget>
#include <QWindow>

using namespace winapi;

namespace {

void setStaysOnTop(QWidget *window, bool onTop)
{
    if (bool(window->windowFlags() & Qt::WindowStaysOnTopHint) == onTop)
        return;
    const Qt::WindowFlags flags = window->windowFlags() ^ Qt::WindowStaysOnTopHint;
    if (QWindow *native = window->windowHandle()) {
        // QWidget::setWindowFlags would re-create the native window, hiding it
        // and losing its place; the native window takes the new hint as it is.
        window->overrideWindowFlags(flags);
        native->setFlags(flags);
    } else {
        // Not created yet: the hint is in place when it is.
        window->setWindowFlags(flags);
    }
}

} // namespace

// Only the z-order values of Windows are emulated; placing a window behind a
// given one is not, and fails.
BOOL QtWindowSystem::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                                  std::uint32_t wFlags)
{
    QWidget *widget = WindowHandles::widget(hWnd);
    if (!widget)
        return 0;
    const bool reorders = !(wFlags & SWP_NOZORDER);
    if (reorders && hWndInsertAfter != HWND_TOP && hWndInsertAfter != HWND_BOTTOM
        && hWndInsertAfter != HWND_TOPMOST && hWndInsertAfter != HWND_NOTOPMOST)
        return 0;

    if (!(wFlags & SWP_NOMOVE))
        widget->move(X, Y);
    if (!(wFlags & SWP_NOSIZE)) {
        // Windows sizes the outer frame, Qt the client area.
        const QSize frame = widget->frameGeometry().size() - widget->size();
        widget->resize(qMax(0, cx - frame.width()), qMax(0, cy - frame.height()));
    }
    if (reorders) {
        if (widget->isWindow() && (hWndInsertAfter == HWND_TOPMOST || hWndInsertAfter == HWND_NOTOPMOST))
            setStaysOnTop(widget, hWndInsertAfter == HWND_TOPMOST);
        if (hWndInsertAfter == HWND_BOTTOM)
            widget->lower();
        else
            widget->raise();
    }
    if (wFlags & SWP_SHOWWINDOW)
        widget->show();
    if (wFlags & SWP_HIDEWINDOW)
        widget->hide();
    if (!(wFlags & SWP_NOACTIVATE) && widget->isVisible())
        widget->activateWindow();
    return 1;
}

// Windows answers success also when nothing held the mouse.
BOOL QtWindowSystem::ReleaseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    return 1;
}

// A press on a child window's caption would move the child inside its parent,
// which Qt cannot have the window system do; only top-level windows move.
// The answer tells whether the window system took the move over.
LRESULT QtWindowSystem::startSystemMove(HWND hWnd)
{
    QWidget *widget = WindowHandles::widget(hWnd);
    if (!widget || !widget->isWindow())
        return 0;
    QWindow *native = widget->windowHandle();
    return native && native->startSystemMove() ? 1 : 0;
}
