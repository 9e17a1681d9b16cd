#pragma once

#include "windowsystemfunctions.h"

#include <cstdint>

// The window-system functions the program calls by their Windows names, with
// the types and constants they take. Each call goes to the current
// WindowSystem (windowsystem.h): the real functions on Windows, an emulation
// over Qt elsewhere, or a test's recording fake.
//
// Handles are 32 bits wide, as the program stores them: Windows keeps window
// and GDI handles within 32 bits (sign-extended) so they can cross between
// 32-bit and 64-bit code.
//
// This header must come before <windows.h> in any file that needs both:
// <windows.h> defines most of these constant names as macros.
namespace winapi {

using HWND = std::int32_t;
using HDC = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;
using BOOL = std::int32_t; // nonzero is success

struct RECT
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The version record in its single-byte form.
struct OSVERSIONINFO
{
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OSVERSIONINFO) == 148);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;

constexpr std::uint32_t DT_CALCRECT = 0x400;

constexpr std::uint32_t WM_NCLBUTTONDOWN = 0xA1;
constexpr std::uint32_t LB_SETHORIZONTALEXTENT = 0x194;
constexpr WPARAM HTCAPTION = 2;

constexpr int GWL_EXSTYLE = -20;
constexpr std::int32_t WS_EX_LAYERED = 0x80000;
constexpr std::uint32_t LWA_COLORKEY = 0x1;
constexpr std::uint32_t LWA_ALPHA = 0x2;

constexpr int COLOR_BTNFACE = 15;

constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = -1;
constexpr HWND HWND_NOTOPMOST = -2;
constexpr std::uint32_t SWP_NOSIZE = 0x1;
constexpr std::uint32_t SWP_NOMOVE = 0x2;
constexpr std::uint32_t SWP_NOZORDER = 0x4;
constexpr std::uint32_t SWP_NOACTIVATE = 0x10;
constexpr std::uint32_t SWP_SHOWWINDOW = 0x40;
constexpr std::uint32_t SWP_HIDEWINDOW = 0x80;

constexpr int SW_SHOWNORMAL = 1;

// The functions themselves (windowsystemfunctions.h).
#define QUILLMERE_DECLARE_FUNCTION(Result, Name, Parameters, Arguments) Result Name Parameters;
QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(QUILLMERE_DECLARE_FUNCTION)
#undef QUILLMERE_DECLARE_FUNCTION

} // namespace winapi
