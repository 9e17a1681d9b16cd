#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct BlockKernels;

/**
 * Receives the data items that an ItemReader finds, in file order.
 *
 * An item arrives whole, in one item() call, or in pieces: itemData() calls closed by itemEnd().
 * The bytes passed are valid only during the call.
 *
 * A sink whose whole output is the joined lines, each item's bytes followed by CR LF, can also
 * take those lines straight from the reader through lineSpace(): that is where the reader does
 * most of its work, and what a sink that cares about speed should offer.
 */
class ItemSink
{
public:
    /** The most that the reader asks lineSpace() for at once. */
    static constexpr std::size_t MaxLineSpace = 8192;

    /** What closes every line of the joined output, and so every item: CR LF. */
    static constexpr char LineEnd[2] = {'\r', '\n'};

    virtual ~ItemSink() = default;

    /** Appends @p size bytes to the item being read. Never called with @p size 0. */
    virtual void itemData(const char *data, std::size_t size) = 0;

    /** Closes the item being read; an item that received no data is empty. */
    virtual void itemEnd() = 0;

    /** Delivers one whole item of @p size bytes (possibly 0). By default, itemData() then itemEnd(). */
    virtual void item(const char *data, std::size_t size);

    /**
     * Room for @p size bytes (at most MaxLineSpace) of output, which the reader writes itself:
     * item bytes, each item closed by CR LF, exactly what itemData() and itemEnd() calls would
     * append. It may stop or start inside an item; the calls before and after go on from there.
     * linesWritten() then says how many bytes of the room the reader used; the rest holds
     * scratch. The default returns nullptr: the sink wants items, and gets no lines.
     */
    virtual char *lineSpace(std::size_t size);

    /** Takes the first @p size bytes of the room that lineSpace() last gave as output. */
    virtual void linesWritten(std::size_t size);
};

/**
 * Keeps the blanks that an ItemReader holds back beyond those it keeps in memory, in order, for as
 * long as it takes to learn whether they belong to the item. A store reports its own failures.
 */
class BlankStore
{
public:
    virtual ~BlankStore() = default;

    /** Keeps @p size more bytes after those kept before. */
    virtual void keep(const char *data, std::size_t size) = 0;

    /** Passes every byte kept, in order, to @p sink's itemData(), and forgets them. */
    virtual void release(ItemSink &sink) = 0;

    /** Forgets every byte kept. */
    virtual void forget() = 0;
};

/**
 * Takes one file's bytes apart into comma-and-line delimited data items.
 *
 * A push parser: feed() the file in chunks of any size, then finish() at its end. Items may span
 * chunks, and their bytes go to the sink as they are found, so memory stays bounded however long
 * a line or an item is. The one exception is a run of blanks inside the text that follows a
 * closing quote: those blanks are dropped if the item ends right after them, so they are held
 * back until something else decides. The reader holds up to HeldBlanksInMemory of them itself
 * and hands the rest to its BlankStore, or, without one, holds them all.
 *
 * The rules: CR LF, a lone LF and a lone CR each end a line. Blanks (space, tab) before an item
 * are skipped. An unquoted item runs to the next comma or line end and keeps every byte. A quoted
 * item runs to its closing quote, a doubled quote standing for one quote; the text after the
 * closing quote up to the next comma or line end is appended, trimmed of blanks. A quote that is
 * never closed runs to the end of the file. The end test comes before every read: a comma right
 * before the end opens no item, but blanks alone before the end give one empty item. Bytes are
 * never interpreted beyond those delimiters, so NUL, UTF-8 and a byte-order mark pass unchanged.
 *
 * For a sink that takes lines, most of a file is read 64 bytes at a time and written straight
 * into the sink's room; a general path, byte by byte where it must be, reads the rest.
 */
class ItemReader
{
public:
    /**
     * Which code the inner loops run: the fastest that the processor runs (32-byte compares and
     * byte shuffles where it has them); what every processor of its architecture runs (16-byte
     * compares on x86-64); or plain C++ without vector instructions, which every processor runs.
     * Tests choose each, so that all are checked on machines that never need them.
     */
    enum class Machine : std::uint8_t { Fastest, Baseline, Portable };

    /** The most held blanks that the reader keeps in memory where it has a BlankStore. */
    static constexpr std::size_t HeldBlanksInMemory = 1 << 16;

    explicit ItemReader(ItemSink &sink, Machine machine = Machine::Fastest);

    /** Where held blanks beyond HeldBlanksInMemory go; none, the default, holds them all in memory. */
    void setBlankStore(BlankStore *store) { m_blankStore = store; }

    /** Reads the next @p size bytes of the file. */
    void feed(const char *data, std::size_t size);

    /** Ends the file: closes an item still open. The reader is then ready for the next file. */
    void finish();

private:
    // The states up to Quoted are those in which the block-wise path may start.
    enum class State : std::uint8_t {
        BeforeItem,     ///< the end test comes next
        LeadingBlanks,  ///< blanks skipped, so the file's end now gives an empty item
        Unquoted,
        Quoted,
        QuoteInQuoted,  ///< either a doubled quote or the closing one
        AfterQuote,     ///< skipping the blanks that follow the closing quote
        AfterQuoteText, ///< inside the text appended after the closing quote
        AfterCr,        ///< an LF next belongs to this line end
    };

    const char *readBlocks(const char *p, const char *end);
    const char *readItemStart(const char *p, const char *end);
    const char *readUnquoted(const char *p, const char *end);
    const char *readQuoted(const char *p, const char *end);
    const char *readAfterQuote(const char *p, const char *end);
    const char *readAfterQuoteText(const char *p, const char *end);
    const char *endItemAt(const char *delimiter, const char *end);
    void holdBlanks(const char *blanks, std::size_t count);
    void releaseBlanks();
    void dropBlanks();

    ItemSink &m_sink;
    const BlockKernels *m_kernels;
    State m_state = State::BeforeItem;
    bool m_sinkTakesLines = true; ///< until lineSpace() says otherwise
    const char *m_generalUntil = nullptr; ///< in the chunk being fed, the block-wise path waits until here
    std::vector<char> m_heldBlanks;       ///< the latest held, after those in the store
    BlankStore *m_blankStore = nullptr;
    bool m_blanksInStore = false;
};
