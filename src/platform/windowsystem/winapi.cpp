#include "winapi.h"
#include "windowsystem.h"

namespace winapi {

int GetSystemMetrics(int nIndex)
{
    return WindowSystem::current().GetSystemMetrics(nIndex);
}

int DrawTextA(HDC hDC, const char *lpStr, int nCount, RECT *lpRect, std::uint32_t wFormat)
{
    return WindowSystem::current().DrawTextA(hDC, lpStr, nCount, lpRect, wFormat);
}

LRESULT SendMessageA(HWND hWnd, std::uint32_t wMsg, WPARAM wParam, LPARAM lParam)
{
    return WindowSystem::current().SendMessageA(hWnd, wMsg, wParam, lParam);
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, std::uint32_t wFlags)
{
    return WindowSystem::current().SetWindowPos(hWnd, hWndInsertAfter, X, Y, cx, cy, wFlags);
}

BOOL ReleaseCapture()
{
    return WindowSystem::current().ReleaseCapture();
}

std::int32_t GetWindowLongA(HWND hWnd, int nIndex)
{
    return WindowSystem::current().GetWindowLongA(hWnd, nIndex);
}

std::int32_t SetWindowLongA(HWND hWnd, int nIndex, std::int32_t dwNewLong)
{
    return WindowSystem::current().SetWindowLongA(hWnd, nIndex, dwNewLong);
}

BOOL SetLayeredWindowAttributes(HWND hWnd, COLORREF crKey, std::uint8_t bAlpha, std::uint32_t dwFlags)
{
    return WindowSystem::current().SetLayeredWindowAttributes(hWnd, crKey, bAlpha, dwFlags);
}

COLORREF GetSysColor(int nIndex)
{
    return WindowSystem::current().GetSysColor(nIndex);
}

BOOL GetVersionExA(OSVERSIONINFO *lpVersionInformation)
{
    return WindowSystem::current().GetVersionExA(lpVersionInformation);
}

std::intptr_t ShellExecuteA(HWND hWnd, const char *lpOperation, const char *lpFile, const char *lpParameters,
                            const char *lpDirectory, int nShowCmd)
{
    return WindowSystem::current().ShellExecuteA(hWnd, lpOperation, lpFile, lpParameters, lpDirectory,
                                                 nShowCmd);
}

} // namespace winapi
