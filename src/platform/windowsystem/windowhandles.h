#pragma once

#include "winapi.h"

class QWidget;

/// The window and device-context handles of widgets, as the window-system
/// functions take them.
///
/// On Windows a window handle is the widget's native one. Elsewhere there is
/// none to give, so handles are issued here: each widget keeps its handle for
/// its lifetime, and a handle is never reused, so a handle that outlives its
/// widget names nothing.
namespace WindowHandles {

winapi::HWND windowOf(QWidget *widget);
/// The widget behind a handle, or nullptr when it no longer exists.
QWidget *widget(winapi::HWND hWnd);

/// A device context that draws in the widget's current font.
winapi::HDC deviceContextOf(QWidget *widget);
/// The widget whose device context this is, or nullptr.
QWidget *widgetOfDeviceContext(winapi::HDC hDC);

} // namespace WindowHandles
