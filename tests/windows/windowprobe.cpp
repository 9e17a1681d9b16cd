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
//                        window TITLE, "X Y" a line in the order asked, once all are listed
//   clipboard            the text on the clipboard, in UTF-8
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring wide(const char *text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring result(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), length);
    return result;
}

std::string utf8(const wchar_t *text, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

enum class Owner { None, Some };

struct Search {
    std::wstring title;
    Owner owner;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    auto &search = *reinterpret_cast<Search *>(parameter);
    wchar_t title[512];
    if (!IsWindowVisible(window) || GetWindowTextW(window, title, 512) <= 0 || search.title != title)
        return TRUE;
    const bool owned = GetWindow(window, GW_OWNER) != nullptr;
    if (owned != (search.owner == Owner::Some))
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND findWindow(const std::wstring &title, Owner owner)
{
    Search search{title, owner};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK matchListView(HWND window, LPARAM parameter)
{
    wchar_t className[64];
    if (GetClassNameW(window, className, 64) > 0 && std::wcscmp(className, WC_LISTVIEWW) == 0
        && IsWindowVisible(window)) {
        *reinterpret_cast<HWND *>(parameter) = window;
        return FALSE;
    }
    return TRUE;
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
    char line[96];
    std::snprintf(line, sizeof line, "%ld %ld %ld %ld\n", origin.x, origin.y,
                  client.right - client.left, client.bottom - client.top);
    return line;
}

// A list view belongs to another process, which writes its answers into memory of its own:
// the questions and the answers go through a block allocated there.
class RemoteBlock
{
public:
    RemoteBlock(HWND window, SIZE_T size) : m_size(size)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteBlock(const RemoteBlock &) = delete;
    RemoteBlock &operator=(const RemoteBlock &) = delete;

    bool valid() const { return m_address != nullptr; }
    char *address(SIZE_T offset) const { return static_cast<char *>(m_address) + offset; }
    bool write(SIZE_T offset, const void *data, SIZE_T size) const
    {
        return offset + size <= m_size && WriteProcessMemory(m_process, address(offset), data, size, nullptr);
    }
    bool read(SIZE_T offset, void *data, SIZE_T size) const
    {
        return offset + size <= m_size && ReadProcessMemory(m_process, address(offset), data, size, nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void *m_address = nullptr;
    SIZE_T m_size;
};

constexpr int TextCapacity = 260;
constexpr SIZE_T TextOffset = 256;
constexpr SIZE_T BlockSize = TextOffset + TextCapacity * sizeof(wchar_t);
static_assert(sizeof(LVITEMW) <= TextOffset && sizeof(RECT) <= TextOffset);

std::optional<std::string> entryCentres(const std::wstring &title, const std::vector<std::wstring> &names)
{
    HWND list = nullptr;
    if (const HWND dialog = findWindow(title, Owner::Some))
        EnumChildWindows(dialog, matchListView, reinterpret_cast<LPARAM>(&list));
    if (!list)
        return std::nullopt;
    const RemoteBlock block(list, BlockSize);
    if (!block.valid())
        return std::nullopt;

    std::vector<std::optional<POINT>> centres(names.size());
    const int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = reinterpret_cast<LPWSTR>(block.address(TextOffset));
        item.cchTextMax = TextCapacity;
        wchar_t text[TextCapacity] = {};
        if (!block.write(0, &item, sizeof item)
            || SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(block.address(0))) <= 0
            || !block.read(TextOffset, text, sizeof text - sizeof(wchar_t))) {
            continue;
        }
        RECT label{};
        label.left = LVIR_LABEL;
        if (!block.write(0, &label, sizeof label)
            || !SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(block.address(0)))
            || !block.read(0, &label, sizeof label)) {
            continue;
        }
        POINT centre{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
        MapWindowPoints(list, nullptr, &centre, 1);
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == text)
                centres[i] = centre;
        }
    }
    std::string lines;
    for (const auto &centre : centres) {
        if (!centre)
            return std::nullopt;
        lines += std::to_string(centre->x) + ' ' + std::to_string(centre->y) + '\n';
    }
    return lines;
}

std::optional<std::string> clipboardText()
{
    if (!OpenClipboard(nullptr))
        return std::nullopt;
    std::optional<std::string> text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *characters = static_cast<const wchar_t *>(GlobalLock(data))) {
            text = utf8(characters, int(std::wcslen(characters)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// An empty answer once no such window is left.
std::optional<std::string> absence(const std::wstring &title, Owner owner)
{
    if (findWindow(title, owner))
        return std::nullopt;
    return std::string();
}

int usage()
{
    std::fprintf(stderr, "usage: windowprobe window|dialog|no-dialog|close SECONDS TITLE\n"
                         "       windowprobe entries SECONDS TITLE NAME...\n"
                         "       windowprobe clipboard SECONDS\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const int seconds = std::atoi(argv[2]);
    const std::wstring title = argc > 3 ? wide(argv[3]) : std::wstring();

    std::optional<std::string> result;
    if ((command == "window" || command == "dialog") && argc == 4) {
        const Owner owner = command == "window" ? Owner::None : Owner::Some;
        result = waitFor(seconds, [&] { return clientArea(findWindow(title, owner)); });
    } else if (command == "no-dialog" && argc == 4) {
        result = waitFor(seconds, [&] { return absence(title, Owner::Some); });
    } else if (command == "close" && argc == 4) {
        const HWND window = waitFor(seconds, [&] { return findWindow(title, Owner::None); });
        if (window && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0))
            result = waitFor(seconds, [&] { return absence(title, Owner::None); });
    } else if (command == "entries" && argc > 4) {
        std::vector<std::wstring> names;
        for (int i = 4; i < argc; ++i)
            names.push_back(wide(argv[i]));
        result = waitFor(seconds, [&] { return entryCentres(title, names); });
    } else if (command == "clipboard" && argc == 3) {
        result = waitFor(seconds, clipboardText);
    } else {
        return usage();
    }

    if (!result) {
        std::fprintf(stderr, "windowprobe: %s %s: nothing within %d s\n", command.c_str(),
                     argc > 3 ? argv[3] : "", seconds);
        return 1;
    }
    // As it stands: the clipboard's text has line ends of its own.
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(result->data(), 1, result->size(), stdout);
    return 0;
}
