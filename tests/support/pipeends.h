#pragma once

// The two ends of a named pipe, for the tests of joins that read or write one.

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#ifdef Q_OS_UNIX
#include <thread>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

inline bool makePipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

/// The reading end of a named pipe, open before the join starts, so that the
/// join's writer finds it at once: keeps what it reads on a thread of its own
/// until the writer has gone, or, silent, holds the pipe open and reads nothing
/// until finish().
class PipeReader
{
public:
    enum class Mode { Reading, Silent };

    explicit PipeReader(const QString &path, Mode mode = Mode::Reading)
        : m_path(QFile::encodeName(path))
        , m_handle(::open(m_path.constData(), O_RDONLY | O_NONBLOCK))
    {
        if (mode == Mode::Reading)
            m_thread = std::thread([this] { readAll(); });
    }
    ~PipeReader() { finish(); }
    PipeReader(const PipeReader &) = delete;
    PipeReader &operator=(const PipeReader &) = delete;

    /// Reading: waits until the writer has gone; where none came, one that
    /// comes and goes ends the wait. Silent: lets the pipe go.
    void finish()
    {
        if (m_thread.joinable()) {
            ::close(::open(m_path.constData(), O_WRONLY | O_NONBLOCK));
            m_thread.join();
        }
        if (m_handle >= 0)
            ::close(m_handle);
        m_handle = -1;
    }

    /// What it read, once finish() has returned.
    QByteArray bytes;

private:
    // A pipe that has never had a writer is not ready; once its last writer
    // has gone, it is, and a read finds its end.
    void readAll()
    {
        pollfd entry{m_handle, POLLIN, 0};
        for (;;) {
            ::poll(&entry, 1, -1);
            char buffer[65536];
            const ssize_t count = ::read(m_handle, buffer, sizeof buffer);
            if (count > 0)
                bytes.append(buffer, count);
            else if (count == 0 || (errno != EAGAIN && errno != EINTR))
                return;
        }
    }

    QByteArray m_path;
    int m_handle;
    std::thread m_thread;
};

/// Opens the writing end of a pipe once a reader has it open, without writing
/// to it; -1 when none came within ten seconds. Runs the event loop meanwhile.
inline int holdPipeOpen(const QString &pipe)
{
    int handle = -1;
    for (QDeadlineTimer deadline(10000); handle < 0 && !deadline.hasExpired(); QTest::qWait(20))
        handle = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
    return handle;
}
#endif
