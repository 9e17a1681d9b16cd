#ifndef ITEMREADER_H
#define ITEMREADER_H

#include <cstddef>
#include <cstdint>
#include <vector>

/** A run of an item's bytes inside the chunk being read. */
struct ItemSpan
{
    const char *data;
    std::size_t size;
    bool endsItem; ///< else the next span goes on with the same item
};

/**
 * Receives the data items that an ItemReader finds, in file order.
 *
 * An item arrives whole, in one item() call, or in pieces: itemData() calls closed by itemEnd().
 * Most items, though, come in batches of spans through items(), which is where a sink that cares
 * about speed should do its work. The bytes passed are valid only during the call.
 */
class ItemSink
{
public:
    /**
     * How far every span of an items() call may be read, counted from its start, even when it is
     * shorter: the reader batches spans only where the chunk goes on at least that far. A sink
     * can so copy a short span with one fixed-size move.
     */
    static constexpr std::size_t kSpanReadable = 32;

    virtual ~ItemSink() = default;

    /** Appends @p size bytes to the item being read. Never called with @p size 0. */
    virtual void itemData(const char *data, std::size_t size) = 0;

    /** Closes the item being read; an item that received no data is empty. */
    virtual void itemEnd() = 0;

    /** Delivers one whole item of @p size bytes (possibly 0). By default, itemData() then itemEnd(). */
    virtual void item(const char *data, std::size_t size);

    /**
     * Delivers @p count spans in order, whole items or pieces of them. By default, itemData() for
     * each span that is not empty and itemEnd() after each span that ends its item.
     */
    virtual void items(const ItemSpan *spans, std::size_t count);
};

/**
 * Takes one file's bytes apart into comma-and-line delimited data items.
 *
 * A push parser: feed() the file in chunks of any size, then finish() at its end. Items may span
 * chunks, and their bytes go to the sink as they are found, so memory stays bounded however long
 * a line or an item is. The one exception is a run of blanks inside the text that follows a
 * closing quote: those blanks are dropped if the item ends right after them, so they are held
 * back, as runs (blank, count), until something else decides.
 *
 * The rules: CR LF, a lone LF and a lone CR each end a line. Blanks (space, tab) before an item
 * are skipped. An unquoted item runs to the next comma or line end and keeps every byte. A quoted
 * item runs to its closing quote, a doubled quote standing for one quote; the text after the
 * closing quote up to the next comma or line end is appended, trimmed of blanks. A quote that is
 * never closed runs to the end of the file. The end test comes before every read: a comma right
 * before the end opens no item, but blanks alone before the end give one empty item. Bytes are
 * never interpreted beyond those delimiters, so NUL, UTF-8 and a byte-order mark pass unchanged.
 */
class ItemReader
{
public:
    explicit ItemReader(ItemSink &sink);

    /** Reads the next @p size bytes of the file. */
    void feed(const char *data, std::size_t size);

    /** Ends the file: closes an item still open. The reader is then ready for the next file. */
    void finish();

private:
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

    struct BlankRun
    {
        char blank;
        std::uint64_t count;
    };

    const char *readSimpleItems(const char *p, const char *end);
    const char *readItemStart(const char *p, const char *end);
    const char *readUnquoted(const char *p, const char *end);
    const char *readQuoted(const char *p, const char *end);
    const char *readAfterQuote(const char *p, const char *end);
    const char *readAfterQuoteText(const char *p, const char *end);
    const char *endItemAt(const char *delimiter, const char *end);
    void holdBlank(char blank);
    void releaseBlanks();

    ItemSink &m_sink;
    State m_state = State::BeforeItem;
    std::vector<BlankRun> m_heldBlanks;
};

#endif // ITEMREADER_H
