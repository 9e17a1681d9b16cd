// Placeholder until the window commands are emulated; every call fails.
#include "qtwindowsystem.h"

using namespace winapi;

BOOL QtWindowSystem::SetWindowPos(HWND, HWND, int, int, int, int, std::uint32_t) { return 0; }
BOOL QtWindowSystem::ReleaseCapture() { return 0; }
LRESULT QtWindowSystem::startSystemMove(HWND) { return 0; }
std::int32_t QtWindowSystem::GetWindowLongA(HWND, int) { return 0; }
std::int32_t QtWindowSystem::SetWindowLongA(HWND, int, std::int32_t) { return 0; }
BOOL QtWindowSystem::SetLayeredWindowAttributes(HWND, COLORREF, std::uint8_t, std::uint32_t) { return 0; }
COLORREF QtWindowSystem::GetSysColor(int) { return 0; }
BOOL QtWindowSystem::GetVersionExA(OSVERSIONINFO *) { return 0; }
std::intptr_t QtWindowSystem::ShellExecuteA(HWND, const char *, const char *, const char *, const char *, int) { return 0; }
