#include "systemfile.h"

#include "joinstop.h"
#include "systemcalls.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <climits>

#ifndef Q_OS_WIN
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
// One call moves at most this much: its count is 32 bits wide.
constexpr qint64 MostAtOnce = 1 << 30;
#else
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
    const ssize_t written = sys().write(handle, data, size);
    const int error = errno;
    if (written < 0 && error == EPIPE && !wasPending) {
        const timespec none{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return written;
}
#endif

} // namespace

Handle Handle::borrowed(NativeHandle handle)
{
    Handle shared(handle);
    shared.m_owned = false;
    return shared;
}

Handle::Handle(Handle &&other) noexcept : m_handle(other.m_handle), m_owned(other.m_owned)
{
    other.m_handle = NoHandle;
}

Handle &Handle::operator=(Handle &&other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        m_owned = other.m_owned;
        other.m_handle = NoHandle;
    }
    return *this;
}

Handle::~Handle()
{
    close();
}

// A close that the system interrupts has closed the handle all the same (Linux): it is not
// made again.
bool Handle::close(int *error)
{
    if (m_handle == NoHandle)
        return true;
    const NativeHandle handle = m_handle;
    m_handle = NoHandle;
    if (!m_owned)
        return true;
#ifdef Q_OS_WIN
    if (sys().CloseHandle(handle))
        return true;
#else
    if (sys().close(handle) == 0 || errno == EINTR)
        return true;
#endif
    if (error != nullptr)
        *error = lastSystemError();
    return false;
}

SystemFile::SystemFile(Handle handle, OpenMode mode, Kind kind, const JoinStop *stop)
    : m_handle(std::move(handle))
    , m_kind(kind)
    , m_stop(stop)
{
#ifndef Q_OS_WIN
    if (kind == Kind::Stream) {
        const int flags = sys().fcntl(m_handle.get(), F_GETFL, 0);
        m_blocking = flags < 0 || (flags & O_NONBLOCK) == 0;
    }
#endif
    QIODevice::open(mode | Unbuffered);
}

SystemFile::~SystemFile() = default;

bool SystemFile::fail(int error)
{
    m_error = error;
    setErrorString(systemErrorText(error));
    return false;
}

Handle SystemFile::takeHandle()
{
    QIODevice::close();
    return std::move(m_handle);
}

bool SystemFile::writeAll(const char *data, qint64 size)
{
    for (qint64 written = 0; written < size;) {
        const qint64 step = write(data + written, size - written);
        if (step <= 0)
            return false;
        written += step;
    }
    return true;
}

bool SystemFile::closeChecked()
{
    QIODevice::close();
    int error = 0;
    return m_handle.close(&error) || fail(error);
}

#ifdef Q_OS_WIN

qint64 SystemFile::readData(char *data, qint64 maxSize)
{
    if (m_kind == Kind::Stream && !waitFor(true))
        return -1;
    DWORD done = 0;
    if (sys().ReadFile(m_handle.get(), data, static_cast<DWORD>(std::min(maxSize, MostAtOnce)), &done, nullptr))
        return done;
    const int error = lastSystemError();
    // The writer of a pipe has gone: that is its end.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
        return 0;
    if (m_stop != nullptr && m_stop->requested() && error == ERROR_OPERATION_ABORTED)
        m_stopped = true;
    fail(error);
    return -1;
}

qint64 SystemFile::writeData(const char *data, qint64 maxSize)
{
    DWORD done = 0;
    if (sys().WriteFile(m_handle.get(), data, static_cast<DWORD>(std::min(maxSize, MostAtOnce)), &done, nullptr))
        return done;
    const int error = lastSystemError();
    if (m_stop != nullptr && m_stop->requested() && error == ERROR_OPERATION_ABORTED)
        m_stopped = true;
    fail(error);
    return -1;
}

// Only a pipe can be waited for without reading from it; its wait ends when data comes or its
// writer goes. What the handle is stays the same from one read to the next.
bool SystemFile::waitFor(bool)
{
    if (!m_pipe)
        m_pipe = sys().GetFileType(m_handle.get()) == FILE_TYPE_PIPE;
    if (!*m_pipe)
        return true;
    for (;;) {
        if (m_stop != nullptr && m_stop->requested()) {
            m_stopped = true;
            setErrorString(QCoreApplication::translate("JoinEngine", "The join was stopped"));
            return false;
        }
        DWORD available = 0;
        if (!sys().PeekNamedPipe(m_handle.get(), nullptr, 0, nullptr, &available, nullptr) || available > 0)
            return true; // the read tells what became of the pipe
        ::Sleep(10);
    }
}

bool SystemFile::rewind()
{
    LARGE_INTEGER start{};
    return sys().SetFilePointerEx(m_handle.get(), start, nullptr, FILE_BEGIN) || fail(lastSystemError());
}

bool SystemFile::resize(qint64 size)
{
    LARGE_INTEGER end{};
    end.QuadPart = size;
    return (sys().SetFilePointerEx(m_handle.get(), end, nullptr, FILE_BEGIN) && sys().SetEndOfFile(m_handle.get()))
        || fail(lastSystemError());
}

qint64 SystemFile::fileSize()
{
    LARGE_INTEGER size{};
    if (sys().GetFileSizeEx(m_handle.get(), &size))
        return size.QuadPart;
    fail(lastSystemError());
    return -1;
}

bool SystemFile::sync()
{
    return sys().FlushFileBuffers(m_handle.get()) || fail(lastSystemError());
}

#else

qint64 SystemFile::readData(char *data, qint64 maxSize)
{
    for (;;) {
        if (m_kind == Kind::Stream && !waitFor(true))
            return -1;
        const ssize_t count = sys().read(m_handle.get(), data, static_cast<std::size_t>(maxSize));
        if (count >= 0)
            return count;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(errno);
            return -1;
        }
    }
}

// Once a stream is ready, a write of at most PIPE_BUF bytes does not wait, even on a blocking
// handle.
qint64 SystemFile::writeData(const char *data, qint64 maxSize)
{
    if (m_kind == Kind::Regular) {
        const ssize_t written =
            uninterrupted([&] { return sys().write(m_handle.get(), data, static_cast<std::size_t>(maxSize)); });
        if (written < 0)
            fail(errno);
        return written;
    }
    const auto size = static_cast<std::size_t>(m_blocking ? std::min<qint64>(maxSize, PIPE_BUF) : maxSize);
    for (;;) {
        if (!waitFor(false))
            return -1;
        const ssize_t written = writeWithoutPipeSignal(m_handle.get(), data, size);
        if (written >= 0)
            return written;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(errno);
            return -1;
        }
    }
}

// A pipe that nobody has opened at the other end yet is not ready (Linux): the wait goes on.
// Once its writer has gone, it is, and the read finds its end.
bool SystemFile::waitFor(bool reading)
{
    pollfd entry{m_handle.get(), static_cast<short>(reading ? POLLIN : POLLOUT), 0};
    for (;;) {
        if (m_stop != nullptr && m_stop->requested()) {
            m_stopped = true;
            setErrorString(QCoreApplication::translate("JoinEngine", "The join was stopped"));
            return false;
        }
        const int ready = sys().poll(&entry, 1, StopCheckMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return fail(errno);
    }
}

bool SystemFile::rewind()
{
    return sys().lseek(m_handle.get(), 0, SEEK_SET) == 0 || fail(errno);
}

bool SystemFile::resize(qint64 size)
{
    return uninterrupted([&] { return sys().ftruncate(m_handle.get(), size); }) == 0 || fail(errno);
}

qint64 SystemFile::fileSize()
{
    struct stat status;
    if (sys().fstat(m_handle.get(), &status) == 0)
        return status.st_size;
    fail(errno);
    return -1;
}

bool SystemFile::sync()
{
    return uninterrupted([&] { return sys().fsync(m_handle.get()); }) == 0 || fail(errno);
}

#endif
