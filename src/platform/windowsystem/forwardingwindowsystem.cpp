#include "forwardingwindowsystem.h"

using namespace winapi;

int ForwardingWindowSystem::GetSystemMetrics(int nIndex)
{
    return m_target.GetSystemMetrics(nIndex);
}

int ForwardingWindowSystem::DrawTextA(HDC hDC, const char *lpStr, int nCount, RECT *lpRect, std::uint32_t wFormat)
{
    return m_target.DrawTextA(hDC, lpStr, nCount, lpRect, wFormat);
}

LRESULT ForwardingWindowSystem::SendMessageA(HWND hWnd, std::uint32_t wMsg, WPARAM wParam, LPARAM lParam)
{
    return m_target.SendMessageA(hWnd, wMsg, wParam, lParam);
}

BOOL ForwardingWindowSystem::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                                          std::uint32_t wFlags)
{
    return m_target.SetWindowPos(hWnd, hWndInsertAfter, X, Y, cx, cy, wFlags);
}

BOOL ForwardingWindowSystem::ReleaseCapture()
{
    return m_target.ReleaseCapture();
}

std::int32_t ForwardingWindowSystem::GetWindowLongA(HWND hWnd, int nIndex)
{
    return m_target.GetWindowLongA(hWnd, nIndex);
}

std::int32_t ForwardingWindowSystem::SetWindowLongA(HWND hWnd, int nIndex, std::int32_t dwNewLong)
{
    return m_target.SetWindowLongA(hWnd, nIndex, dwNewLong);
}

BOOL ForwardingWindowSystem::SetLayeredWindowAttributes(HWND hWnd, COLORREF crKey, std::uint8_t bAlpha,
                                                        std::uint32_t dwFlags)
{
    return m_target.SetLayeredWindowAttributes(hWnd, crKey, bAlpha, dwFlags);
}

COLORREF ForwardingWindowSystem::GetSysColor(int nIndex)
{
    return m_target.GetSysColor(nIndex);
}

BOOL ForwardingWindowSystem::GetVersionExA(OSVERSIONINFO *lpVersionInformation)
{
    return m_target.GetVersionExA(lpVersionInformation);
}

std::intptr_t ForwardingWindowSystem::ShellExecuteA(HWND hWnd, const char *lpOperation, const char *lpFile,
                                                    const char *lpParameters, const char *lpDirectory, int nShowCmd)
{
    return m_target.ShellExecuteA(hWnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
}
