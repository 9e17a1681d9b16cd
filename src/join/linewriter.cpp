#include "linewriter.h"

#include <QIODevice>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>

LineWriter::LineWriter(QIODevice &device, qsizetype bufferSize)
    : m_device(device)
    , m_capacity(std::max(static_cast<std::size_t>(bufferSize) / PageSize * PageSize, MaxLineSpace + PageSize))
    , m_storage(std::make_unique_for_overwrite<char[]>(2 * m_capacity + PageSize))
    , m_buffers{m_storage.get() + (PageSize - reinterpret_cast<std::uintptr_t>(m_storage.get()) % PageSize)}
    , m_buffer(m_buffers[0])
{
    m_buffers[1] = m_buffers[0] + m_capacity;
    try {
        m_thread = std::thread([this] { writeInTurn(); });
    } catch (const std::system_error &) {
        // flush() then writes itself.
    }
}

LineWriter::~LineWriter()
{
    stopThread();
}

char *LineWriter::lineSpace(std::size_t size)
{
    if (size > m_capacity - m_used)
        flush(Flush::WholePages);
    return m_buffer + m_used;
}

void LineWriter::linesWritten(std::size_t size)
{
    m_used += size;
}

void LineWriter::item(const char *data, std::size_t size)
{
    // Nearly every item is short and fits, so this one test is all the common case pays.
    if (size + sizeof LineEnd <= m_capacity - m_used) {
        char *out = m_buffer + m_used;
        std::memcpy(out, data, size);
        std::memcpy(out + size, LineEnd, sizeof LineEnd);
        m_used += size + sizeof LineEnd;
        return;
    }
    append(data, size);
    append(LineEnd, sizeof LineEnd);
}

void LineWriter::itemData(const char *data, std::size_t size)
{
    append(data, size);
}

void LineWriter::itemEnd()
{
    append(LineEnd, sizeof LineEnd);
}

bool LineWriter::finish()
{
    append(LineEnd, sizeof LineEnd);
    flush(Flush::All);
    stopThread();
    return !failed();
}

// An item larger than the buffer goes through it in pieces: its bytes are valid only during the
// call, and the device is the writing thread's.
void LineWriter::append(const char *data, std::size_t size)
{
    while (size > m_capacity - m_used) {
        const std::size_t piece = m_capacity - m_used;
        std::memcpy(m_buffer + m_used, data, piece);
        m_used += piece;
        data += piece;
        size -= piece;
        flush(Flush::WholePages);
    }
    std::memcpy(m_buffer + m_used, data, size);
    m_used += size;
}

// Hands the buffer over once the one before is written, and goes on in the other. Only whole
// pages go, unless all is asked for: the system copies the output to the file at about half the
// speed where the copy does not start on a cache line of the page, so the file's end stays at a
// page boundary. The rest moves to the other buffer's start.
void LineWriter::flush(Flush what)
{
    const std::size_t size = what == Flush::All ? m_used : m_used / PageSize * PageSize;
    if (size == 0)
        return;
    char *const rest = m_buffer + size;
    if (!m_thread.joinable()) {
        write(m_buffer, size);
    } else {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_handedOver == nullptr; });
            m_handedOver = m_buffer;
            m_handedOverSize = size;
        }
        m_changed.notify_all();
        m_buffer = m_buffer == m_buffers[0] ? m_buffers[1] : m_buffers[0];
    }
    m_used -= size;
    std::memmove(m_buffer, rest, m_used);
}

// Whatever was handed over is written first; then the device is the caller's again.
void LineWriter::stopThread()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

// The writing thread.
void LineWriter::writeInTurn()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_handedOver != nullptr || m_stopping; });
        if (m_handedOver == nullptr)
            return;
        const char *data = m_handedOver;
        const std::size_t size = m_handedOverSize;
        lock.unlock();
        write(data, size);
        lock.lock();
        m_handedOver = nullptr;
        m_changed.notify_all();
    }
}

// A short write is no failure yet: the next try either goes on or says why it cannot (a full
// disk, say), and that reason is what the user gets to read. After a failure nothing more is
// written.
void LineWriter::write(const char *data, std::size_t size)
{
    while (!failed() && size != 0) {
        const qint64 written = m_device.write(data, static_cast<qint64>(size));
        if (written <= 0) {
            m_failed.store(true, std::memory_order_release);
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}
