#pragma once

// The window-system functions the program calls, listed once. Each entry is
//   FUNCTION(result type, name, (parameters), (the parameters' names, to pass them on))
// and all that repeats them is made from this list: the winapi:: functions and
// their forwarding to the current WindowSystem (winapi.h, winapi.cpp),
// WindowSystem's virtual functions, and the tests' forwarding and recording
// window systems. A new function goes here and into each backend (qt/, win32/).
//
// The types are winapi.h's, spelt in full so that the list expands in any
// namespace; the list itself needs no header.
#define QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(FUNCTION)                                                                 \
    FUNCTION(int, GetSystemMetrics, (int nIndex), (nIndex))                                                         \
    FUNCTION(int, DrawTextA,                                                                                        \
             (winapi::HDC hDC, const char *lpStr, int nCount, winapi::RECT *lpRect, std::uint32_t wFormat),         \
             (hDC, lpStr, nCount, lpRect, wFormat))                                                                 \
    FUNCTION(winapi::LRESULT, SendMessageA,                                                                         \
             (winapi::HWND hWnd, std::uint32_t wMsg, winapi::WPARAM wParam, winapi::LPARAM lParam),                 \
             (hWnd, wMsg, wParam, lParam))                                                                          \
    FUNCTION(winapi::BOOL, SetWindowPos,                                                                            \
             (winapi::HWND hWnd, winapi::HWND hWndInsertAfter, int X, int Y, int cx, int cy, std::uint32_t wFlags), \
             (hWnd, hWndInsertAfter, X, Y, cx, cy, wFlags))                                                         \
    FUNCTION(winapi::BOOL, ReleaseCapture, (), ())                                                                  \
    FUNCTION(std::int32_t, GetWindowLongA, (winapi::HWND hWnd, int nIndex), (hWnd, nIndex))                         \
    FUNCTION(std::int32_t, SetWindowLongA, (winapi::HWND hWnd, int nIndex, std::int32_t dwNewLong),                 \
             (hWnd, nIndex, dwNewLong))                                                                             \
    FUNCTION(winapi::BOOL, SetLayeredWindowAttributes,                                                              \
             (winapi::HWND hWnd, winapi::COLORREF crKey, std::uint8_t bAlpha, std::uint32_t dwFlags),               \
             (hWnd, crKey, bAlpha, dwFlags))                                                                        \
    FUNCTION(winapi::COLORREF, GetSysColor, (int nIndex), (nIndex))                                                 \
    FUNCTION(winapi::BOOL, GetVersionExA, (winapi::OSVERSIONINFO *lpVersionInformation), (lpVersionInformation))    \
    FUNCTION(std::intptr_t, ShellExecuteA,                                                                          \
             (winapi::HWND hWnd, const char *lpOperation, const char *lpFile, const char *lpParameters,             \
              const char *lpDirectory, int nShowCmd),                                                               \
             (hWnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd))
