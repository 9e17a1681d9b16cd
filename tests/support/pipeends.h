#pragma once

// The two ends of a named pipe, for the tests of joins that read or write one.

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#ifdef Q_OS_UNIX
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline bool makePipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

/// The reading end of a named pipe, on a thread of its own: keeps what it
/// reads, or, silent, holds the pipe open, reading nothing, until finish().
class PipeReader
{
public:
    PipeReader(const QString &path, bool silent) : m_path(QFile::encodeName(path))
    {
        m_thread = std::thread([this, silent] {
            const int handle = ::open(m_path.constData(), O_RDONLY);
            char buffer[4096];
            ssize_t count = 0;
            while (!silent && (count = ::read(handle, buffer, sizeof buffer)) > 0)
                bytes.append(buffer, count);
            if (silent)
                m_done.wait(false);
            ::close(handle);
        });
    }
    ~PipeReader() { finish(); }
    PipeReader(const PipeReader &) = delete;
    PipeReader &operator=(const PipeReader &) = delete;

    // An open that still waits for a writer is let go by one.
    void finish()
    {
        m_done = true;
        m_done.notify_all();
        ::close(::open(m_path.constData(), O_WRONLY | O_NONBLOCK));
        if (m_thread.joinable())
            m_thread.join();
    }

    QByteArray bytes;

private:
    QByteArray m_path;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
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
