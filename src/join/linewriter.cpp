#include "linewriter.h"

#include <QtCore/QIODevice>

#include <algorithm>
#include <cstring>

namespace {
constexpr char kLineEnd[] = {'\r', '\n'};
}

LineWriter::LineWriter(QIODevice &device, qsizetype bufferSize)
    : m_device(device)
    , m_capacity(std::max(static_cast<std::size_t>(bufferSize), kMaxLineSpace))
    , m_buffer(std::make_unique_for_overwrite<char[]>(m_capacity))
{
}

char *LineWriter::lineSpace(std::size_t size)
{
    if (size > m_capacity - m_used)
        flush();
    return m_buffer.get() + m_used;
}

void LineWriter::linesWritten(std::size_t size)
{
    m_used += size;
}

void LineWriter::item(const char *data, std::size_t size)
{
    // Nearly every item is short and fits, so this one test is all the common case pays.
    if (size + sizeof kLineEnd <= m_capacity - m_used) {
        char *out = m_buffer.get() + m_used;
        std::memcpy(out, data, size);
        std::memcpy(out + size, kLineEnd, sizeof kLineEnd);
        m_used += size + sizeof kLineEnd;
        return;
    }
    append(data, size);
    append(kLineEnd, sizeof kLineEnd);
}

void LineWriter::itemData(const char *data, std::size_t size)
{
    append(data, size);
}

void LineWriter::itemEnd()
{
    append(kLineEnd, sizeof kLineEnd);
}

bool LineWriter::finish()
{
    append(kLineEnd, sizeof kLineEnd);
    flush();
    return !m_failed;
}

void LineWriter::append(const char *data, std::size_t size)
{
    if (size > m_capacity - m_used) {
        flush();
        if (size >= m_capacity) {
            write(data, size);
            return;
        }
    }
    std::memcpy(m_buffer.get() + m_used, data, size);
    m_used += size;
}

void LineWriter::flush()
{
    write(m_buffer.get(), m_used);
    m_used = 0;
}

// A short write is no failure yet: the next try either goes on or says why it cannot (a full
// disk, say), and that reason is what the user gets to read.
void LineWriter::write(const char *data, std::size_t size)
{
    while (!m_failed && size != 0) {
        const qint64 written = m_device.write(data, static_cast<qint64>(size));
        if (written <= 0) {
            m_failed = true;
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}
