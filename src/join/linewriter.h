#pragma once

#include "itemreader.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class QIODevice;

/**
 * Writes every item it receives as one line of the joined output: the item's bytes, then CR LF.
 *
 * Lines are gathered in one of two fixed buffers; a full one goes to a thread of the writer's own,
 * which writes it to the device while the other fills, so that the system's copying of the output
 * overlaps the reading. Memory does not grow with item length: an item larger than a buffer goes
 * through in pieces. After the first failed write the writer drops everything, and failed() tells;
 * the device's errorString() then says why.
 *
 * From construction until finish() returns, or the writer is destroyed, only the writer may use
 * the device. Where no thread can be started, the writer writes on the caller's thread.
 */
class LineWriter final : public ItemSink
{
public:
    explicit LineWriter(QIODevice &device, qsizetype bufferSize = 1 << 20);
    ~LineWriter() override;

    void itemData(const char *data, std::size_t size) override;
    void itemEnd() override;
    void item(const char *data, std::size_t size) override;
    char *lineSpace(std::size_t size) override;
    void linesWritten(std::size_t size) override;

    /**
     * Writes the closing line end and everything still buffered, and waits until it is written;
     * false when a write failed. The device is then the caller's again.
     */
    bool finish();

    bool failed() const { return m_failed.load(std::memory_order_acquire); }

private:
    enum class Flush { WholePages, All };

    void append(const char *data, std::size_t size);
    void flush(Flush what);
    void stopThread();
    void writeInTurn();
    void write(const char *data, std::size_t size);

    static constexpr std::size_t PageSize = 4096;

    QIODevice &m_device;
    std::size_t m_capacity; ///< of each buffer, whole pages
    std::unique_ptr<char[]> m_storage;
    char *m_buffers[2];     ///< in m_storage, each starting on a page
    char *m_buffer;         ///< the one being filled
    std::size_t m_used = 0; ///< of m_buffer
    std::atomic<bool> m_failed{false};

    // The hand-over to the writing thread: one buffer at a time.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const char *m_handedOver = nullptr; ///< until it is written
    std::size_t m_handedOverSize = 0;
    bool m_stopping = false;
    std::thread m_thread; ///< none where none could be started
};
