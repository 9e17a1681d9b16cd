#include "stoprequests.h"

#include <csignal>

namespace {

std::atomic<bool> g_stop{false};
volatile std::sig_atomic_t g_signal = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets it");

extern "C" void requestStop(int signal)
{
    g_signal = signal;
    g_stop.store(true);
}

} // namespace

namespace StopRequests {

// SIGINT and SIGTERM are caught even where the program was started with them ignored, as a
// shell does for a command run in the background: whoever sends one means it. SIGHUP ignored, as
// nohup leaves it, stays ignored. Without SA_RESTART, a signal also ends a wait in the system.
void catchStops()
{
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction hangUp = {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
    // A write beyond the file-size limit is then a failed write (EFBIG) that the join reports.
    std::signal(SIGXFSZ, SIG_IGN);
}

const std::atomic<bool> &flag()
{
    return g_stop;
}

void relayConsoleInput() {}

QString failure()
{
    return QString();
}

int endStopped()
{
    const int signal = g_signal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 128 + signal;
}

} // namespace StopRequests
