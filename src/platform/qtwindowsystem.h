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
    winapi::BOOL SetWindowPos(winapi::HWND hWnd, winapi::HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                              std::uint32_t wFlags) override;
    winapi::BOOL ReleaseCapture() override;
    std::int32_t GetWindowLongA(winapi::HWND hWnd, int nIndex) override;
    std::int32_t SetWindowLongA(winapi::HWND hWnd, int nIndex, std::int32_t dwNewLong) override;
    winapi::BOOL SetLayeredWindowAttributes(winapi::HWND hWnd, winapi::COLORREF crKey, std::uint8_t bAlpha,
                                            std::uint32_t dwFlags) override;
    winapi::COLORREF GetSysColor(int nIndex) override;
    winapi::BOOL GetVersionExA(winapi::OSVERSIONINFO *lpVersionInformation) override;
    std::intptr_t ShellExecuteA(winapi::HWND hWnd, const char *lpOperation, const char *lpFile,
                                const char *lpParameters, const char *lpDirectory, int nShowCmd) override;

private:
    int lineWidth(const QFont &font, QWidget *widget, const QString &line);

    std::array<qreal, 0x300> m_advances{};
    QFont m_advancesFont;
    int m_advancesDevice = 0;

    // The window system's own move of a top-level window, as a press on its caption starts it.
    static winapi::LRESULT startSystemMove(winapi::HWND hWnd);
};
