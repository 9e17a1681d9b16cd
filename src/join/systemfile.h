#pragma once

#include <QIODevice>

#include <optional>

#ifdef Q_OS_WIN
using NativeHandle = void *; ///< a HANDLE
inline NativeHandle const NoHandle = reinterpret_cast<NativeHandle>(-1);
#else
using NativeHandle = int; ///< a file descriptor
constexpr NativeHandle NoHandle = -1;
#endif

struct JoinStop;

/** A handle of the system's, closed through SystemCalls when this ends, unless it is borrowed. */
class Handle
{
public:
    Handle() = default;
    explicit Handle(NativeHandle handle) : m_handle(handle) {}
    /** A handle that others own too, such as the standard output: it stays open. */
    static Handle borrowed(NativeHandle handle);
    Handle(Handle &&other) noexcept;
    Handle &operator=(Handle &&other) noexcept;
    ~Handle();

    NativeHandle get() const { return m_handle; }
    bool isValid() const { return m_handle != NoHandle; }
    /** Closes it now; false, with the reason in @p error, where the system says it failed. */
    bool close(int *error = nullptr);

private:
    NativeHandle m_handle = NoHandle;
    bool m_owned = true;
};

/**
 * A file read or written straight through the system, with SystemCalls: no buffer of its own, an
 * interrupted call is made again, and every failure keeps the system's reason.
 *
 * A stream (a pipe, a terminal, a device) can keep a read or a write waiting for ever: there
 * every wait lasts at most StopCheckMs and is repeated until the file is ready or the join stops;
 * then the read or write fails and stopped() tells. A write to a pipe whose reader has gone fails
 * with the reason "Broken pipe"; it never ends the program.
 */
class SystemFile final : public QIODevice
{
public:
    enum class Kind { Regular, Stream };

    /** Takes @p handle, open for @p mode (ReadOnly, WriteOnly or ReadWrite). */
    SystemFile(Handle handle, OpenMode mode, Kind kind, const JoinStop *stop = nullptr);
    ~SystemFile() override;

    NativeHandle handle() const { return m_handle.get(); }
    bool isSequential() const override { return true; }
    bool stopped() const { return m_stopped; }
    /** The system's reason for the last failure. */
    int error() const { return m_error; }

    /** Moves to the start of the file, for the next read or write. */
    bool rewind();
    /** Makes the file @p size bytes long. */
    bool resize(qint64 size);
    /** The file's size, or -1. */
    qint64 fileSize();
    /** Waits until the disk holds everything written so far. */
    bool sync();
    /** Closes the file; false where the system reports a failure (a late write error). */
    bool closeChecked();
    /** Takes the handle out, leaving the device closed. */
    Handle takeHandle();

    /** Writes all @p size bytes, however few each write takes; false where one fails. */
    bool writeAll(const char *data, qint64 size);

    /** Fails with the reason @p error, which errorString() then tells. */
    bool fail(int error);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    bool waitFor(bool reading);

    Handle m_handle;
    Kind m_kind;
    const JoinStop *m_stop;
    bool m_blocking = true;
#ifdef Q_OS_WIN
    std::optional<bool> m_pipe; ///< asked of the system at the first wait
#endif
    bool m_stopped = false;
    int m_error = 0;
};
