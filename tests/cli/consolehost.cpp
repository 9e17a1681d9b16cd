// consolehost --report FILE [--code-page N] [--type TEXT] [--ctrl-c] [--stuck-output] -- COMMAND LINE
//
// Runs the command on a new console of its own, as from cmd: its standard input the console's
// keyboard, its standard error the screen, its standard output this program's, or with
// --stuck-output a pipe that nobody reads. With --code-page, the console's code pages are N. It
// types TEXT on the keyboard ("\r" is Enter, "\x1A" Ctrl+Z) and, with --ctrl-c, presses Ctrl+C
// once the program has read what was typed (TEXT must not be empty then), or has written into
// the stuck pipe. Then it writes "exit CODE", in hex, and the lines on the screen to FILE.
// Exits 77 where no console can be made, 2 on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

BOOL WINAPI ignore(DWORD)
{
    return TRUE;
}

void press(HANDLE keyboard, wchar_t c)
{
    INPUT_RECORD records[2] = {};
    for (int i = 0; i < 2; ++i) {
        KEY_EVENT_RECORD &key = records[i].Event.KeyEvent;
        records[i].EventType = KEY_EVENT;
        key.bKeyDown = i == 0;
        key.wRepeatCount = 1;
        key.wVirtualKeyCode = c == L'\r' ? VK_RETURN : c < L' ' ? WORD(L'@' + c) : 0;
        key.uChar.UnicodeChar = c;
        key.dwControlKeyState = c < L' ' && c != L'\r' ? LEFT_CTRL_PRESSED : 0;
    }
    DWORD written = 0;
    WriteConsoleInputW(keyboard, records, 2, &written);
}

} // namespace

int main()
{
    // The command line after " -- " is the program's, quoted as the caller quoted it.
    const wchar_t *commandLine = std::wcsstr(GetCommandLineW(), L" -- ");
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (commandLine == nullptr || arguments == nullptr)
        return 2;
    std::wstring command = commandLine + 4;
    std::wstring typed;
    std::wstring reportPath;
    UINT codePage = 0;
    bool ctrlC = false;
    bool stuckOutput = false;
    for (int i = 1; i < count && std::wstring(arguments[i]) != L"--"; ++i) {
        const std::wstring option = arguments[i];
        if (option == L"--report" && i + 1 < count)
            reportPath = arguments[++i];
        else if (option == L"--code-page" && i + 1 < count)
            codePage = UINT(_wtoi(arguments[++i]));
        else if (option == L"--type" && i + 1 < count)
            typed = arguments[++i];
        else if (option == L"--ctrl-c" || option == L"--stuck-output")
            (option == L"--ctrl-c" ? ctrlC : stuckOutput) = true;
        else
            return 2;
    }

    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    FreeConsole();
    if (!AllocConsole())
        return 77;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const DWORD access = GENERIC_READ | GENERIC_WRITE;
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const HANDLE keyboard = CreateFileW(L"CONIN$", access, sharing, &inherited, OPEN_EXISTING, 0, nullptr);
    const HANDLE screen = CreateFileW(L"CONOUT$", access, sharing, &inherited, OPEN_EXISTING, 0, nullptr);
    if (keyboard == INVALID_HANDLE_VALUE || screen == INVALID_HANDLE_VALUE)
        return 77;
    if (codePage != 0 && !(SetConsoleCP(codePage) && SetConsoleOutputCP(codePage)))
        return 2;
    // Ctrl+C goes to every program on the console, this one too.
    SetConsoleCtrlHandler(ignore, TRUE);
    HANDLE stuck = nullptr;
    if (stuckOutput && !CreatePipe(&stuck, &output, &inherited, 4096))
        return 2;
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = keyboard;
    startup.hStdOutput = output;
    startup.hStdError = screen;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 2;
    for (const wchar_t c : typed)
        press(keyboard, c);
    // What was typed is read once the program has taken it out of the console's buffer, which
    // the console does not signal: it is looked at a tenth of a second at a time, for 30 s at most.
    for (int i = 0; ctrlC && i < 300; ++i, Sleep(100)) {
        DWORD waiting = 1;
        if (stuckOutput ? PeekNamedPipe(stuck, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0
                        : GetNumberOfConsoleInputEvents(keyboard, &waiting) && waiting == 0) {
            press(keyboard, 3);
            break;
        }
    }
    std::wstring report;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        report = L"timeout\n";
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    wchar_t exitLine[16];
    std::swprintf(exitLine, 16, L"exit %08lx\n", code);
    report += exitLine;

    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::vector<wchar_t> line(std::size_t(info.dwSize.X));
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, line.data(), DWORD(line.size()), COORD{0, row}, &read);
        std::wstring text(line.data(), read);
        report += text.erase(text.find_last_not_of(L' ') + 1) + L"\n";
    }
    // In UTF-8, to a file: a pipe to the caller has lost it now and then under Wine.
    const int size = WideCharToMultiByte(CP_UTF8, 0, report.data(), int(report.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, report.data(), int(report.size()), bytes.data(), size, nullptr, nullptr);
    std::FILE *file = _wfopen(reportPath.c_str(), L"wb");
    return file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fclose(file) == 0 ? 0 : 2;
}
