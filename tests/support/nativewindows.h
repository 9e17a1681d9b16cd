#pragma once

#include <QtGlobal>

#include <cstdint>
#include <optional>

class QWidget;

/// What the window system itself holds for a window, for the tests of real windows. On Windows
/// it is read back with user32 functions that the program does not call; elsewhere the Qt
/// emulation keeps it in the widgets, and that is what is read.
namespace NativeWindows {

/// Whether widgets have windows of the window system's own. The Qt emulation stands in on every
/// platform; on Windows only the windows platform has them (offscreen makes handles up).
bool available();

/// The opacity the window is drawn with, from 0 to 1.
double opacity(QWidget &window);

#ifdef Q_OS_WIN
/// The colour that the window system leaves transparent in the window, if any.
std::optional<std::uint32_t> colorKey(QWidget &window);
#endif

/// Whether the mouse is captured for @p widget: on Windows by its top-level window, whose
/// capture Qt takes for the widget.
bool holdsMouse(QWidget *widget);

} // namespace NativeWindows
