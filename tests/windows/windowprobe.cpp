// windowprobe COMMAND SECONDS [ARGUMENT...]: what the checks of the Windows build
// (tools/windows/window-under-wine.sh, test-windows.sh) ask the window system about the real
// program's windows, so that they see what its users see. Each command waits up to SECONDS for
// what it asks for, prints it and exits 0, or exits 1 when it does not come in time.
//   window TITLE         the client area of the visible top-level window TITLE that no other
//                        window owns, as "LEFT TOP WIDTH HEIGHT" on the screen, once it takes
//                        input (a window that shows a dialog does not until the dialog is done)
//   dialog TITLE         the same for a visible window TITLE that another window owns (a dialog
//                        or message box)
//   no-dialog TITLE      waits for the dialog TITLE to go; prints nothing
//   close TITLE          closes the window TITLE, as its close box does, and waits for it to go
//   entries TITLE NAME...  the centre on the screen of each named entry of the list view in the
//                        dialog TITLE, "X Y" a line in the order asked, once all are listed
//   clipboard            the text on the clipboard, in UTF-8
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

namespace {

HWND findWindow(const wchar_t *title, bool owned)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, title))) {
        if (IsWindowVisible(window) && (GetWindow(window, GW_OWNER) != nullptr) == owned)
            return window;
    }
    return nullptr;
}

// An empty answer once no such window is left.
std::optional<std::string> absence(const wchar_t *title, bool owned)
{
    return findWindow(title, owned) ? std::nullopt : std::optional<std::string>("");
}

// Polls every tenth of a second until probe gives a result or the time is up.
template<typename Probe>
auto waitFor(int seconds, Probe probe) -> decltype(probe())
{
    for (int tenths = 0;; ++tenths) {
        if (auto result = probe())
            return result;
        if (tenths >= seconds * 10)
            return {};
        Sleep(100);
    }
}

std::optional<std::string> clientArea(HWND window)
{
    RECT client{};
    POINT origin{0, 0};
    if (!window || !IsWindowEnabled(window) || !GetClientRect(window, &client) || !ClientToScreen(window, &origin))
        return std::nullopt;
    return std::to_string(origin.x) + ' ' + std::to_string(origin.y) + ' ' + std::to_string(client.right) + ' '
        + std::to_string(client.bottom) + '\n';
}

// A list view of another process reads the questions from, and writes its answers into, memory
// of that process: a block allocated there.
struct Block {
    LVFINDINFOW find;
    RECT label;
    wchar_t name[MAX_PATH];
};

std::optional<std::string> entryCentres(const wchar_t *title, wchar_t *const *names, int count)
{
    HWND list = nullptr;
    if (const HWND dialog = findWindow(title, true)) {
        EnumChildWindows(dialog, [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[64];
            if (!IsWindowVisible(window) || !GetClassNameW(window, name, 64) || std::wcscmp(name, WC_LISTVIEWW) != 0)
                return TRUE;
            *reinterpret_cast<HWND *>(found) = window;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&list));
    }
    DWORD processId = 0;
    const HANDLE process = list && GetWindowThreadProcessId(list, &processId)
        ? OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId) : nullptr;
    auto *const remote = process
        ? static_cast<Block *>(VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE)) : nullptr;

    std::optional<std::string> lines;
    if (remote)
        lines.emplace();
    for (int i = 0; lines && i < count; ++i) {
        Block block{};
        block.find.flags = LVFI_STRING;
        block.find.psz = remote->name;
        std::wcsncpy(block.name, names[i], MAX_PATH - 1);
        block.label.left = LVIR_LABEL;
        LRESULT index = -1;
        if (!WriteProcessMemory(process, remote, &block, sizeof block, nullptr)
            || (index = SendMessageW(list, LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&remote->find))) < 0
            || !SendMessageW(list, LVM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&remote->label))
            || !ReadProcessMemory(process, &remote->label, &block.label, sizeof block.label, nullptr)) {
            lines.reset();
            break;
        }
        POINT centre{(block.label.left + block.label.right) / 2, (block.label.top + block.label.bottom) / 2};
        MapWindowPoints(list, nullptr, &centre, 1);
        *lines += std::to_string(centre.x) + ' ' + std::to_string(centre.y) + '\n';
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process)
        CloseHandle(process);
    return lines;
}

std::optional<std::string> clipboardText()
{
    if (!OpenClipboard(nullptr))
        return std::nullopt;
    std::optional<std::string> text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *characters = static_cast<const wchar_t *>(GlobalLock(data))) {
            if (const int size = WideCharToMultiByte(CP_UTF8, 0, characters, -1, nullptr, 0, nullptr, nullptr)) {
                text.emplace(size - 1, '\0'); // and the string's own NUL
                WideCharToMultiByte(CP_UTF8, 0, characters, -1, text->data(), size, nullptr, nullptr);
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    const std::wstring command = argc > 2 ? argv[1] : L"";
    const int seconds = argc > 2 ? int(std::wcstol(argv[2], nullptr, 10)) : 0;
    const wchar_t *title = argc > 3 ? argv[3] : L"";

    std::optional<std::string> result;
    if ((command == L"window" || command == L"dialog") && argc == 4) {
        result = waitFor(seconds, [&] { return clientArea(findWindow(title, command == L"dialog")); });
    } else if (command == L"no-dialog" && argc == 4) {
        result = waitFor(seconds, [&] { return absence(title, true); });
    } else if (command == L"close" && argc == 4) {
        const HWND window = waitFor(seconds, [&] { return findWindow(title, false); });
        if (window && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0))
            result = waitFor(seconds, [&] { return absence(title, false); });
    } else if (command == L"entries" && argc > 4) {
        result = waitFor(seconds, [&] { return entryCentres(title, argv + 4, argc - 4); });
    } else if (command == L"clipboard" && argc == 3) {
        result = waitFor(seconds, clipboardText);
    } else {
        std::fputs("usage: windowprobe window|dialog|no-dialog|close SECONDS TITLE\n"
                   "       windowprobe entries SECONDS TITLE NAME...\n"
                   "       windowprobe clipboard SECONDS\n", stderr);
        return 2;
    }

    if (!result) {
        std::fprintf(stderr, "windowprobe: %ls %ls: nothing within %d s\n", command.c_str(), title, seconds);
        return 1;
    }
    // As it stands, not in the C library's text mode: the clipboard's text has line ends of its own.
    DWORD written = 0;
    return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), result->data(), DWORD(result->size()), &written, nullptr)
        ? 0 : 1;
}
