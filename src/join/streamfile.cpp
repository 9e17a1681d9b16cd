#include "streamfile.h"

#include "joinstop.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// A write to a pipe whose reader has gone raises SIGPIPE, whose default ends the program. Held
// off on this thread during the write, the signal is taken back if the write raised it, unless
// it was pending before; the write then fails with EPIPE.
ssize_t writeWithoutPipeSignal(int handle, const char *data, std::size_t size)
{
    sigset_t pipeSignal;
    sigset_t previous;
    sigset_t pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t written = ::write(handle, data, size);
    const int error = errno;
    if (written < 0 && error == EPIPE && !wasPending) {
        const timespec none{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return written;
}

} // namespace

StreamFile::StreamFile(int handle, bool owned, OpenMode mode, const JoinStop &stop)
    : m_handle(handle)
    , m_owned(owned)
    , m_blocking((::fcntl(handle, F_GETFL) & O_NONBLOCK) == 0)
    , m_stop(stop)
{
    QIODevice::open(mode | Unbuffered);
}

StreamFile::~StreamFile()
{
    if (m_owned)
        ::close(m_handle);
}

qint64 StreamFile::readData(char *data, qint64 maxSize)
{
    for (;;) {
        if (!waitFor(POLLIN))
            return -1;
        const ssize_t count = ::read(m_handle, data, static_cast<std::size_t>(maxSize));
        if (count >= 0)
            return count;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return fail(errno);
    }
}

// Once the file is ready, a write of at most PIPE_BUF bytes does not wait, even on a blocking
// handle.
qint64 StreamFile::writeData(const char *data, qint64 maxSize)
{
    const auto size = static_cast<std::size_t>(m_blocking ? std::min<qint64>(maxSize, PIPE_BUF) : maxSize);
    for (;;) {
        if (!waitFor(POLLOUT))
            return -1;
        const ssize_t written = writeWithoutPipeSignal(m_handle, data, size);
        if (written >= 0)
            return written;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return fail(errno);
    }
}

// A pipe that nobody has opened at the other end yet is not ready (Linux): the wait goes on.
// Once its writer has gone, it is, and the read finds its end.
bool StreamFile::waitFor(short events)
{
    pollfd entry{m_handle, events, 0};
    for (;;) {
        if (m_stop.requested()) {
            m_stopped = true;
            setErrorString(QCoreApplication::translate("JoinEngine", "The join was stopped"));
            return false;
        }
        const int ready = ::poll(&entry, 1, StopCheckMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR) {
            fail(errno);
            return false;
        }
    }
}

qint64 StreamFile::fail(int error)
{
    setErrorString(qt_error_string(error));
    return -1;
}
