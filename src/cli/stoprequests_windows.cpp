#include "stoprequests.h"

#include "joinengine.h"
#include "joinerror.h"
#include "joinstop.h"

#include <windows.h>

#include <mutex>
#include <system_error>
#include <thread>

namespace {

// What Windows programs stopped by Ctrl+C end with, and what cmd and PowerShell take for it.
constexpr int StoppedStatus = int(0xC000013A); // STATUS_CONTROL_C_EXIT

// How long the console relay waits, after a read that ended with nothing, for the stop that
// Windows signals after such a read, before it takes the Ctrl+C for one this program ignores.
constexpr DWORD ConsoleStopWaitMs = 1000;

std::atomic<bool> g_stop{false};
HANDLE g_stopped = nullptr; // an event, set with g_stop
std::mutex g_failureLock;
QString g_failure;

// A write into a pipe that nobody reads waits for ever, on the join's writing thread, where no
// stop is looked at. The standard output is written into straight, never replaced, so nothing
// written to it must complete.
void cancelOutputWrites()
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD type = GetFileType(output);
    if (type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR)
        CancelIoEx(output, nullptr);
}

void requestStop()
{
    g_stop.store(true);
    SetEvent(g_stopped);
    cancelOutputWrites();
}

// Called on a thread of its own. The join then stops, leaving the output as it was, and the
// program ends by itself with StoppedStatus. Meanwhile the writes to the standard output are
// cancelled again and again, for the writer may be about to begin one. Closing the console (or
// the end of the session) ends the process as soon as this returns, so it never does: the
// program has the five seconds or so that Windows then allows to stop the join.
BOOL WINAPI onConsoleEvent(DWORD)
{
    requestStop();
    for (;;) {
        Sleep(StopCheckMs);
        cancelOutputWrites();
    }
}

// Hands the console on to the pipe until the input ends (Ctrl+Z at the start of a line, as
// ReadFile would take it). ReadConsoleA gives the same bytes as ReadFile, in the console's input
// code page, but tells a read that Ctrl+C or Ctrl+Break ended (with nothing read) from the end.
// A stop leaves the pipe open, so that the join ends by the stop, never by an end of its input.
void relay(HANDLE console, HANDLE pipe)
{
    char buffer[4096];
    for (;;) {
        DWORD count = 0;
        SetLastError(ERROR_SUCCESS);
        if (!ReadConsoleA(console, buffer, sizeof buffer, &count, nullptr) || count == 0) {
            const DWORD error = GetLastError();
            if (StopRequests::waitForStop(ConsoleStopWaitMs))
                return;
            if (count == 0 && error != ERROR_OPERATION_ABORTED && error != ERROR_SUCCESS) {
                StopRequests::stopFailed(cannotReadMessage(StandardStreamPath, qt_error_string(int(error))));
                return;
            }
            continue;
        }
        if (buffer[0] == '\x1A')
            break;
        for (DWORD done = 0; done < count;) {
            DWORD written = 0;
            if (!WriteFile(pipe, buffer + done, count - done, &written, nullptr))
                return;
            done += written;
        }
    }
    CloseHandle(pipe);
}

} // namespace

namespace StopRequests {

void catchStops()
{
    g_stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

const std::atomic<bool> &flag()
{
    return g_stop;
}

void relayConsoleInput()
{
    const HANDLE console = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || console == nullptr || !GetConsoleMode(console, &mode))
        return;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0))
        return;
    try {
        std::thread(relay, console, writeEnd).detach();
    } catch (const std::system_error &) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return;
    }
    SetStdHandle(STD_INPUT_HANDLE, readEnd);
}

QString failure()
{
    const std::lock_guard lock(g_failureLock);
    return g_failure;
}

int endStopped()
{
    return StoppedStatus;
}

bool waitForStop(unsigned long milliseconds)
{
    return WaitForSingleObject(g_stopped, milliseconds) == WAIT_OBJECT_0;
}

void stopFailed(const QString &message)
{
    {
        const std::lock_guard lock(g_failureLock);
        g_failure = message;
    }
    requestStop();
}

} // namespace StopRequests
