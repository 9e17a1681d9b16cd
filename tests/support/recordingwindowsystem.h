#pragma once

#include "windowsystem.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

/// A window system that records every call as text, such as
/// "SetWindowLongA(65536, -20, 524288)", and answers from scripted hooks.
/// Window handles and colours are written in decimal, strings in quotes.
///
/// Without a hook a call succeeds in the plainest way: extended styles are
/// kept per window, SetWindowLongA returns the previous style, the version is
/// 5.1, and DrawTextA makes every character 7 pixels wide.
class RecordingWindowSystem : public WindowSystem
{
public:
    QStringList calls;

    int scrollBarWidth = 17;
    std::uint32_t majorVersion = 5;
    winapi::COLORREF buttonFace = 0xC8D0D4;
    std::function<int(const QString &text)> textWidth = [](const QString &text) { return 7 * int(text.size()); };
    std::function<winapi::BOOL(winapi::HWND)> layeredResult = [](winapi::HWND hWnd) { return hWnd != 0; };
    std::function<winapi::BOOL(winapi::HWND)> windowPosResult = [](winapi::HWND hWnd) { return hWnd != 0; };
    /// Whether SetWindowLongA may write the window's style; where not, it answers 0.
    std::function<bool(winapi::HWND)> styleWritable = [](winapi::HWND hWnd) { return hWnd != 0; };
    std::function<std::intptr_t(const QString &file)> shellResult = [](const QString &) { return 42; };
    QHash<winapi::HWND, std::int32_t> exStyles;

    int GetSystemMetrics(int nIndex) override;
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

    /// The recorded calls of one function, in order.
    QStringList callsOf(const QString &function) const;
};
