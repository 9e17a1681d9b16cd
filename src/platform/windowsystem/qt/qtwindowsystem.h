#pragma once

#include "windowsystem.h"

#include <QFont>

#include <array>

class QWidget;

/// The window-system functions emulated over Qt, for systems other than
/// Windows. Each keeps what the program expects of the Windows function of
/// the same name; a handle that names no living window makes a call fail.
class QtWindowSystem final : public WindowSystem
{
public:
    int GetSystemMetrics(int nIndex) override;
    /// Measures only: text is laid out in the font of the device context's
    /// widget, but nothing is drawn.
    int DrawTextA(winapi::HDC hDC, const char *lpStr, int nCount, winapi::RECT *lpRect,
                  std::uint32_t wFormat) override;
    winapi::LRESULT SendMessageA(winapi::HWND hWnd, std::uint32_t wMsg, winapi::WPARAM wParam,
                                 winapi::LPARAM lParam) override;
    /// HWND_TOP, HWND_BOTTOM, HWND_TOPMOST and HWND_NOTOPMOST; placing a
    /// window behind a given one fails. Topmost is Qt::WindowStaysOnTopHint,
    /// given to the native window as it is, so it neither moves nor blinks.
    winapi::BOOL SetWindowPos(winapi::HWND hWnd, winapi::HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                              std::uint32_t wFlags) override;
    /// Releases the mouse grab of whichever widget holds it.
    winapi::BOOL ReleaseCapture() override;
    /// Only GWL_EXSTYLE is kept, per window; other indexes fail. A framed
    /// top-level window starts with WS_EX_WINDOWEDGE, as on Windows, and
    /// WS_EX_TOPMOST always tells whether the window stays on top. Taking
    /// WS_EX_LAYERED away makes the window opaque and drops its colour key.
    std::int32_t GetWindowLongA(winapi::HWND hWnd, int nIndex) override;
    std::int32_t SetWindowLongA(winapi::HWND hWnd, int nIndex, std::int32_t dwNewLong) override;
    /// Fails unless the window is a layered top-level one. LWA_ALPHA is the
    /// window's opacity; LWA_COLORKEY a mask that hides every pixel of the key
    /// colour, cut from the window's rendering and cut again after it
    /// repaints or resizes. Each call replaces both.
    winapi::BOOL SetLayeredWindowAttributes(winapi::HWND hWnd, winapi::COLORREF crKey, std::uint8_t bAlpha,
                                            std::uint32_t dwFlags) override;
    /// The application palette's colour for the system colours it has a role
    /// for (COLOR_BTNFACE is QPalette::Button); 0 for the others.
    winapi::COLORREF GetSysColor(int nIndex) override;
    /// Version 5.0 where windows can be drawn translucent (Windows, macOS, X
    /// with a compositing manager), 4.0 elsewhere (offscreen, minimal,
    /// Wayland, frame buffers, X without one). Only the 148-byte record.
    winapi::BOOL GetVersionExA(winapi::OSVERSIONINFO *lpVersionInformation) override;
    /// Opens the file or address with the desktop's associated program
    /// (DesktopOpener); a relative path is taken from lpDirectory. Answers
    /// 42 when opened, 2 or 3 for a file or folder not found, 31 when nothing
    /// could open it or the verb is other than "open".
    std::intptr_t ShellExecuteA(winapi::HWND hWnd, const char *lpOperation, const char *lpFile,
                                const char *lpParameters, const char *lpDirectory, int nShowCmd) override;

private:
    void useFont(const QFont &font, QWidget *widget);
    int lineWidth(const QFont &font, QWidget *widget, const QString &line) const;

    std::array<qreal, 0x300> m_advances{};
    QFont m_advancesFont;
    int m_advancesDevice = 0;
    int m_lineHeight = 0;

    // The window system's own move of a top-level window, as a press on its
    // caption starts it: 1 when the window system took it over, else 0.
    static winapi::LRESULT startSystemMove(winapi::HWND hWnd);
};
