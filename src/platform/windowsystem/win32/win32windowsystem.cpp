// The real window-system functions, on Windows. Each is bound by name when it
// is first called, so a function the running Windows lacks fails then, with
// a RuntimeError naming it, and never earlier.
//
// Text crosses the program as UTF-8; the functions that take text are reached
// through their UTF-16 forms so that any file name survives, whatever code
// page the system runs in.
#include "windowsystem.h"

#include "runtimeerror.h"
#include "windowhandles.h"
#include "windowmessages.h"

#include <QCoreApplication>
#include <QString>

#include "win32.h"

namespace {

static_assert(sizeof(winapi::OSVERSIONINFO) == sizeof(OSVERSIONINFOA));
static_assert(sizeof(winapi::RECT) == sizeof(::RECT));

// The libraries are taken from the system folder only: a library of the same
// name beside the program is never loaded in their place.
FARPROC addressOf(const wchar_t *library, const char *function)
{
    HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        const DWORD error = ::GetLastError();
        throw RuntimeError(QCoreApplication::translate("WindowSystem", "The system library %1 cannot be loaded: %2")
                               .arg(QString::fromWCharArray(library), qt_error_string(int(error))));
    }
    const FARPROC address = ::GetProcAddress(module, function);
    if (!address) {
        throw RuntimeError(QCoreApplication::translate("WindowSystem", "The system function %1 cannot be found in %2.")
                               .arg(QString::fromLatin1(function), QString::fromWCharArray(library)));
    }
    return address;
}

// One system function, bound at its first call and kept from then on. The
// library stays loaded for the life of the program.
template <typename Function>
class SystemFunction
{
public:
    SystemFunction(const wchar_t *library, const char *name) : m_library(library), m_name(name) {}

    template <typename... Arguments>
    auto operator()(Arguments... arguments)
    {
        if (!m_function) {
            // Through void (*)(), which any function pointer may be cast from and to.
            m_function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(addressOf(m_library, m_name)));
        }
        return m_function(arguments...);
    }

private:
    const wchar_t *m_library;
    const char *m_name;
    Function m_function = nullptr;
};

// Window and GDI handles keep their value within 32 bits, sign-extended.
::HWND nativeWindow(winapi::HWND hWnd)
{
    return reinterpret_cast<::HWND>(static_cast<INT_PTR>(hWnd));
}

std::wstring wide(const char *utf8, int bytes = -1)
{
    if (!utf8)
        return {};
    return QString::fromUtf8(utf8, bytes).toStdWString();
}

class Win32WindowSystem final : public WindowSystem
{
public:
    int GetSystemMetrics(int nIndex) override { return m_getSystemMetrics(nIndex); }

    // The device context is brought up to the widget's font first, in case
    // the font changed after the handle was taken.
    int DrawTextA(winapi::HDC hDC, const char *lpStr, int nCount, winapi::RECT *lpRect, std::uint32_t wFormat) override
    {
        if (QWidget *widget = WindowHandles::widgetOfDeviceContext(hDC))
            WindowHandles::deviceContextOf(widget);
        const std::wstring text = wide(lpStr, nCount);
        ::RECT rect{};
        if (lpRect)
            rect = {lpRect->left, lpRect->top, lpRect->right, lpRect->bottom};
        const int height = m_drawText(reinterpret_cast<::HDC>(static_cast<INT_PTR>(hDC)), text.c_str(),
                                      int(text.size()), lpRect ? &rect : nullptr, UINT(wFormat));
        if (lpRect)
            *lpRect = {rect.left, rect.top, rect.right, rect.bottom};
        return height;
    }

    // The program's own widgets that stand for the system's controls, such as
    // the list box, answer their messages themselves.
    winapi::LRESULT SendMessageA(winapi::HWND hWnd, std::uint32_t wMsg, winapi::WPARAM wParam,
                                 winapi::LPARAM lParam) override
    {
        if (const std::optional<winapi::LRESULT> answer = WindowMessages::deliver(hWnd, wMsg, wParam, lParam))
            return *answer;
        return m_sendMessage(nativeWindow(hWnd), UINT(wMsg), WPARAM(wParam), LPARAM(lParam));
    }

    winapi::BOOL SetWindowPos(winapi::HWND hWnd, winapi::HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                              std::uint32_t wFlags) override
    {
        return m_setWindowPos(nativeWindow(hWnd), nativeWindow(hWndInsertAfter), X, Y, cx, cy, UINT(wFlags));
    }

    winapi::BOOL ReleaseCapture() override { return m_releaseCapture(); }

    std::int32_t GetWindowLongA(winapi::HWND hWnd, int nIndex) override
    {
        return m_getWindowLong(nativeWindow(hWnd), nIndex);
    }

    std::int32_t SetWindowLongA(winapi::HWND hWnd, int nIndex, std::int32_t dwNewLong) override
    {
        return m_setWindowLong(nativeWindow(hWnd), nIndex, dwNewLong);
    }

    winapi::BOOL SetLayeredWindowAttributes(winapi::HWND hWnd, winapi::COLORREF crKey, std::uint8_t bAlpha,
                                            std::uint32_t dwFlags) override
    {
        return m_setLayeredWindowAttributes(nativeWindow(hWnd), crKey, bAlpha, DWORD(dwFlags));
    }

    winapi::COLORREF GetSysColor(int nIndex) override { return m_getSysColor(nIndex); }

    winapi::BOOL GetVersionExA(winapi::OSVERSIONINFO *lpVersionInformation) override
    {
        return m_getVersionEx(reinterpret_cast<OSVERSIONINFOA *>(lpVersionInformation));
    }

    std::intptr_t ShellExecuteA(winapi::HWND hWnd, const char *lpOperation, const char *lpFile,
                                const char *lpParameters, const char *lpDirectory, int nShowCmd) override
    {
        const std::wstring operation = wide(lpOperation);
        const std::wstring file = wide(lpFile);
        const std::wstring parameters = wide(lpParameters);
        const std::wstring directory = wide(lpDirectory);
        const auto text = [](const char *given, const std::wstring &converted) {
            return given ? converted.c_str() : nullptr;
        };
        const HINSTANCE result =
            m_shellExecute(nativeWindow(hWnd), text(lpOperation, operation), text(lpFile, file),
                           text(lpParameters, parameters), text(lpDirectory, directory), nShowCmd);
        return reinterpret_cast<std::intptr_t>(result);
    }

private:
    SystemFunction<int(WINAPI *)(int)> m_getSystemMetrics{L"user32.dll", "GetSystemMetrics"};
    SystemFunction<int(WINAPI *)(::HDC, LPCWSTR, int, LPRECT, UINT)> m_drawText{L"user32.dll", "DrawTextW"};
    SystemFunction<LRESULT(WINAPI *)(::HWND, UINT, WPARAM, LPARAM)> m_sendMessage{L"user32.dll", "SendMessageA"};
    SystemFunction<::BOOL(WINAPI *)(::HWND, ::HWND, int, int, int, int, UINT)> m_setWindowPos{L"user32.dll",
                                                                                              "SetWindowPos"};
    SystemFunction<::BOOL(WINAPI *)()> m_releaseCapture{L"user32.dll", "ReleaseCapture"};
    SystemFunction<LONG(WINAPI *)(::HWND, int)> m_getWindowLong{L"user32.dll", "GetWindowLongA"};
    SystemFunction<LONG(WINAPI *)(::HWND, int, LONG)> m_setWindowLong{L"user32.dll", "SetWindowLongA"};
    SystemFunction<::BOOL(WINAPI *)(::HWND, ::COLORREF, BYTE, DWORD)> m_setLayeredWindowAttributes{
        L"user32.dll", "SetLayeredWindowAttributes"};
    SystemFunction<DWORD(WINAPI *)(int)> m_getSysColor{L"user32.dll", "GetSysColor"};
    SystemFunction<::BOOL(WINAPI *)(LPOSVERSIONINFOA)> m_getVersionEx{L"kernel32.dll", "GetVersionExA"};
    SystemFunction<HINSTANCE(WINAPI *)(::HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)> m_shellExecute{
        L"shell32.dll", "ShellExecuteW"};
};

} // namespace

WindowSystem &WindowSystem::native()
{
    static Win32WindowSystem system;
    return system;
}
