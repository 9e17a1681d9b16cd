#include "linewriter.h"

#include <QtCore/QIODevice>

#include <cstring>

namespace {
constexpr char kLineEnd[] = {'\r', '\n'};
}

LineWriter::LineWriter(QIODevice &device, qsizetype bufferSize)
    : m_device(device)
    , m_capacity(static_cast<std::size_t>(bufferSize))
    , m_buffer(std::make_unique_for_overwrite<char[]>(m_capacity + kSpanReadable))
{
}

void LineWriter::items(const ItemSpan *spans, std::size_t count)
{
    char *const buffer = m_buffer.get();
    std::size_t used = m_used;
    for (const ItemSpan *span = spans; span != spans + count; ++span) {
        const std::size_t size = span->size;
        if (size > kSpanReadable || used + size + sizeof kLineEnd > m_capacity) {
            m_used = used;
            append(span->data, size);
            if (span->endsItem)
                append(kLineEnd, sizeof kLineEnd);
            used = m_used;
            continue;
        }
        // A short span moves as a fixed kSpanReadable bytes, whatever its size: two loads and two
        // stores instead of a call to memcpy. The line end always goes in and only counts when the
        // span ends its item; whatever lands past the span is overwritten next.
        char *out = buffer + used;
        std::memcpy(out, span->data, kSpanReadable);
        std::memcpy(out + size, kLineEnd, sizeof kLineEnd);
        used += size + (span->endsItem ? sizeof kLineEnd : 0);
    }
    m_used = used;
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
