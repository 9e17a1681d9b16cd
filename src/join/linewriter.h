#ifndef LINEWRITER_H
#define LINEWRITER_H

#include "itemreader.h"

#include <QtCore/QtGlobal>

#include <memory>

class QIODevice;

/**
 * Writes every item it receives as one line of the joined output: the item's bytes, then CR LF.
 *
 * Lines are gathered in a fixed buffer and written to the device whenever it fills; an item larger
 * than the buffer goes straight through, so memory does not grow with item length. After the first
 * failed write the writer drops everything, and failed() tells; the device's errorString() says why.
 */
class LineWriter final : public ItemSink
{
public:
    explicit LineWriter(QIODevice &device, qsizetype bufferSize = 1 << 20);

    void itemData(const char *data, std::size_t size) override;
    void itemEnd() override;
    void item(const char *data, std::size_t size) override;
    char *lineSpace(std::size_t size) override;
    void linesWritten(std::size_t size) override;

    /** Writes the closing line end and everything still buffered; false when a write failed. */
    bool finish();

    bool failed() const { return m_failed; }

private:
    void append(const char *data, std::size_t size);
    void flush();
    void write(const char *data, std::size_t size);

    QIODevice &m_device;
    std::size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    bool m_failed = false;
};

#endif // LINEWRITER_H
