#pragma once

#include "seam.h"
#include "winapi.h"

/// The window-system functions behind the winapi:: calls: the one list that a
/// backend implements. On Windows the real functions, each bound by name at
/// its first call (win32/); elsewhere an emulation over Qt (qt/); in tests a
/// recording fake, or a ForwardingWindowSystem that changes one call.
///
/// A function the running system lacks throws RuntimeError when it is called,
/// never earlier.
class WindowSystem : public Seam<WindowSystem>
{
public:
    virtual ~WindowSystem() = default;

    virtual int GetSystemMetrics(int nIndex) = 0;
    virtual int DrawTextA(winapi::HDC hDC, const char *lpStr, int nCount, winapi::RECT *lpRect,
                          std::uint32_t wFormat) = 0;
    virtual winapi::LRESULT SendMessageA(winapi::HWND hWnd, std::uint32_t wMsg, winapi::WPARAM wParam,
                                         winapi::LPARAM lParam) = 0;
    virtual winapi::BOOL SetWindowPos(winapi::HWND hWnd, winapi::HWND hWndInsertAfter, int X, int Y, int cx,
                                      int cy, std::uint32_t wFlags) = 0;
    virtual winapi::BOOL ReleaseCapture() = 0;
    virtual std::int32_t GetWindowLongA(winapi::HWND hWnd, int nIndex) = 0;
    virtual std::int32_t SetWindowLongA(winapi::HWND hWnd, int nIndex, std::int32_t dwNewLong) = 0;
    virtual winapi::BOOL SetLayeredWindowAttributes(winapi::HWND hWnd, winapi::COLORREF crKey,
                                                    std::uint8_t bAlpha, std::uint32_t dwFlags) = 0;
    virtual winapi::COLORREF GetSysColor(int nIndex) = 0;
    virtual winapi::BOOL GetVersionExA(winapi::OSVERSIONINFO *lpVersionInformation) = 0;
    virtual std::intptr_t ShellExecuteA(winapi::HWND hWnd, const char *lpOperation, const char *lpFile,
                                        const char *lpParameters, const char *lpDirectory, int nShowCmd) = 0;

    /// The real functions on Windows, the Qt emulation elsewhere.
    static WindowSystem &native();
};
