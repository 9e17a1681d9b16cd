// consolehost [--code-page N] [--type TEXT] [--ctrl-c] [--stuck-output] -- PROGRAM [ARGUMENT...]
//
// Runs PROGRAM on a console, as from cmd: its standard input the console's keyboard, its standard
// error the console's screen, its standard output this program's, or with --stuck-output a pipe
// that nobody reads. The console is a new one of its own. With --code-page,
// the console's code pages are N. It types TEXT on the keyboard ("\r" is Enter, "\x1A" Ctrl+Z)
// and, with --ctrl-c, presses Ctrl+C once PROGRAM has read what was typed (TEXT must not be
// empty then), or once it has written into the stuck pipe. Then it prints "exit CODE", in hex, and the lines the console
// shows, in UTF-8. Exits 77 where it has no console, 2 on a usage error.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

BOOL WINAPI ignore(DWORD)
{
    return TRUE;
}

// The quoting that the C run-time's parser undoes.
std::wstring quoted(const std::wstring &argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring text = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        text.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        text += c;
    }
    text.append(2 * slashes, L'\\');
    return text + L"\"";
}

void press(HANDLE keyboard, wchar_t c, WORD key, DWORD modifiers)
{
    INPUT_RECORD records[2] = {};
    for (int i = 0; i < 2; ++i) {
        records[i].EventType = KEY_EVENT;
        records[i].Event.KeyEvent.bKeyDown = i == 0;
        records[i].Event.KeyEvent.wRepeatCount = 1;
        records[i].Event.KeyEvent.wVirtualKeyCode = key;
        records[i].Event.KeyEvent.uChar.UnicodeChar = c;
        records[i].Event.KeyEvent.dwControlKeyState = modifiers;
    }
    DWORD written = 0;
    WriteConsoleInputW(keyboard, records, 2, &written);
}

// Waits, a tenth of a second at a time and at most 30 s, for what the console cannot signal.
template <typename Condition>
bool waitUntil(Condition condition)
{
    for (int i = 0; i < 300; ++i) {
        if (condition())
            return true;
        Sleep(100);
    }
    return false;
}

void print(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

} // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring typed;
    UINT codePage = 0;
    bool ctrlC = false;
    bool stuckOutput = false;
    int i = 1;
    for (; i < count && std::wstring(arguments[i]) != L"--"; ++i) {
        const std::wstring option = arguments[i];
        if (option == L"--code-page" && i + 1 < count) {
            codePage = UINT(_wtoi(arguments[++i]));
        } else if (option == L"--type" && i + 1 < count) {
            typed = arguments[++i];
        } else if (option == L"--ctrl-c") {
            ctrlC = true;
        } else if (option == L"--stuck-output") {
            stuckOutput = true;
        } else {
            return 2;
        }
    }
    if (i + 1 >= count)
        return 2;
    std::wstring command;
    for (++i; i < count; ++i)
        command += (command.empty() ? L"" : L" ") + quoted(arguments[i]);

    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    FreeConsole();
    if (!AllocConsole()) {
        std::fprintf(stderr, "consolehost: no console (%lu)\n", GetLastError());
        return 77;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE keyboard = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherited, OPEN_EXISTING, 0, nullptr);
    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      &inherited, OPEN_EXISTING, 0, nullptr);
    if (keyboard == INVALID_HANDLE_VALUE || screen == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "consolehost: no console\n");
        return 77;
    }
    if (codePage != 0 && !(SetConsoleCP(codePage) && SetConsoleOutputCP(codePage)))
        return 2;
    // Ctrl+C goes to every program on the console, this one too.
    SetConsoleCtrlHandler(ignore, TRUE);
    HANDLE stuckRead = nullptr;
    if (stuckOutput && (!CreatePipe(&stuckRead, &output, &inherited, 4096)
                        || !SetHandleInformation(stuckRead, HANDLE_FLAG_INHERIT, 0)))
        return 2;
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = keyboard;
    startup.hStdOutput = output;
    startup.hStdError = screen;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "consolehost: cannot start the program (%lu)\n", GetLastError());
        return 2;
    }
    for (const wchar_t c : typed)
        press(keyboard, c, c == L'\r' ? VK_RETURN : 0, c < L' ' && c != L'\r' ? LEFT_CTRL_PRESSED : 0);
    if (ctrlC) {
        // The program reads what was typed once it has taken it out of the console's buffer.
        const bool ready = stuckOutput ? waitUntil([&] {
            DWORD available = 0;
            return PeekNamedPipe(stuckRead, nullptr, 0, nullptr, &available, nullptr) && available > 0;
        })
                                       : waitUntil([&] {
                                             DWORD events = 1;
                                             return GetNumberOfConsoleInputEvents(keyboard, &events) && events == 0;
                                         });
        if (ready)
            press(keyboard, 3, 'C', LEFT_CTRL_PRESSED);
    }
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        std::fprintf(stdout, "timeout\n");
    }
    GetExitCodeProcess(process.hProcess, &code);
    std::fprintf(stdout, "exit %08lx\n", code);

    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::vector<wchar_t> line(std::size_t(info.dwSize.X));
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, line.data(), DWORD(line.size()), COORD{0, row}, &read);
        std::wstring text(line.data(), read);
        text.erase(text.find_last_not_of(L' ') + 1);
        print(text + L"\n");
    }
    std::fflush(stdout);
    return 0;
}
