#pragma once

#include "windowsystem.h"

/// A window system that hands every call on to another one, the native one
/// unless told otherwise. A test double derives from it and overrides only
/// the call it changes; a backend that builds on another does the same.
class ForwardingWindowSystem : public WindowSystem
{
public:
    explicit ForwardingWindowSystem(WindowSystem &target = WindowSystem::native()) : m_target(target) {}

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

private:
    WindowSystem &m_target;
};
