#include "itemreader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ITEMREADER_SSE2 1
#endif

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr std::array<bool, 256> kDelimiters = [] {
    std::array<bool, 256> table{};
    table[','] = table['\r'] = table['\n'] = true;
    return table;
}();

bool isDelimiter(char c)
{
    return kDelimiters[static_cast<unsigned char>(c)];
}

// The first comma, CR or LF in [p, end), or end: how the general path crosses a long unquoted
// item, sixteen bytes a step where SSE2 is there (all of x86-64).
const char *findDelimiter(const char *p, const char *end)
{
#ifdef ITEMREADER_SSE2
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, comma),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0)
            return p + std::countr_zero(mask);
        p += 16;
    }
#endif
    while (p != end && !isDelimiter(*p))
        ++p;
    return p;
}

// Where in a block of 64 bytes the items may end, and where quotes and blanks stand, one bit per
// byte. An LF right after a CR belongs to the CR's line end and ends nothing.
struct BlockMap
{
    std::uint64_t ends;
    std::uint64_t quotes;
    std::uint64_t blanks;
};

constexpr std::ptrdiff_t kBlockSize = 64;

#ifdef ITEMREADER_SSE2
std::uint64_t bitsAt(__m128i hits, int shift)
{
    return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(hits))} << shift;
}
#endif

BlockMap mapBlock(const char *p)
{
    std::uint64_t delimiters = 0;
    std::uint64_t crs = 0;
    std::uint64_t lfs = 0;
    BlockMap map{0, 0, 0};
#ifdef ITEMREADER_SSE2
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    for (int i = 0; i < kBlockSize; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        delimiters |= bitsAt(_mm_cmpeq_epi8(bytes, comma), i);
        crs |= bitsAt(_mm_cmpeq_epi8(bytes, cr), i);
        lfs |= bitsAt(_mm_cmpeq_epi8(bytes, lf), i);
        map.quotes |= bitsAt(_mm_cmpeq_epi8(bytes, quote), i);
        map.blanks |= bitsAt(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_cmpeq_epi8(bytes, tab)), i);
    }
#else
    for (int i = 0; i < kBlockSize; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        delimiters |= p[i] == ',' ? bit : 0;
        crs |= p[i] == '\r' ? bit : 0;
        lfs |= p[i] == '\n' ? bit : 0;
        map.quotes |= p[i] == '"' ? bit : 0;
        map.blanks |= isBlank(p[i]) ? bit : 0;
    }
#endif
    map.ends = delimiters | crs | (lfs & ~(crs << 1));
    return map;
}

// The bits of mask from index i upwards.
std::uint64_t bitsFrom(std::uint64_t mask, std::ptrdiff_t i)
{
    return i >= kBlockSize ? 0 : mask & (~std::uint64_t{0} << i);
}

bool hasBit(std::uint64_t mask, std::ptrdiff_t i)
{
    return i < kBlockSize && (mask >> i & 1) != 0;
}

constexpr std::ptrdiff_t kBeyondBlock = -1;
constexpr std::ptrdiff_t kTextAfterQuote = -2;

// Past the quote that opens an item at from - 1, the quote that closes it, skipping doubled
// quotes; kBeyondBlock when the item does not close within the block, and kTextAfterQuote when
// something other than a delimiter follows the closing quote.
std::ptrdiff_t closingQuote(const char *p, std::uint64_t quotes, std::ptrdiff_t from)
{
    for (;;) {
        const std::ptrdiff_t quote = std::countr_zero(bitsFrom(quotes, from));
        if (quote >= kBlockSize)
            return kBeyondBlock;
        if (p[quote + 1] != '"')
            return isDelimiter(p[quote + 1]) ? quote : kTextAfterQuote;
        from = quote + 2;
    }
}

template <char Blank>
constexpr std::array<char, 64> blankRow()
{
    std::array<char, 64> row{};
    row.fill(Blank);
    return row;
}

constexpr std::array<char, 64> kSpaces = blankRow<' '>();
constexpr std::array<char, 64> kTabs = blankRow<'\t'>();

} // namespace

void ItemSink::item(const char *data, std::size_t size)
{
    if (size != 0)
        itemData(data, size);
    itemEnd();
}

void ItemSink::items(const ItemSpan *spans, std::size_t count)
{
    for (const ItemSpan *span = spans; span != spans + count; ++span) {
        if (span->size != 0)
            itemData(span->data, span->size);
        if (span->endsItem)
            itemEnd();
    }
}

ItemReader::ItemReader(ItemSink &sink)
    : m_sink(sink)
{
}

void ItemReader::feed(const char *data, std::size_t size)
{
    const char *p = data;
    const char *const end = data + size;
    while (p != end) {
        switch (m_state) {
        case State::BeforeItem:
            p = readSimpleItems(p, end);
            if (p != end)
                p = readItemStart(p, end);
            break;
        case State::LeadingBlanks:
            p = readItemStart(p, end);
            break;
        case State::Unquoted:
            p = readUnquoted(p, end);
            break;
        case State::Quoted:
            p = readQuoted(p, end);
            break;
        case State::QuoteInQuoted:
            if (*p == '"') {
                m_sink.itemData(p, 1);
                ++p;
                m_state = State::Quoted;
            } else {
                m_state = State::AfterQuote;
            }
            break;
        case State::AfterQuote:
            p = readAfterQuote(p, end);
            break;
        case State::AfterQuoteText:
            p = readAfterQuoteText(p, end);
            break;
        case State::AfterCr:
            m_state = State::BeforeItem;
            if (*p == '\n')
                ++p;
            break;
        }
    }
}

void ItemReader::finish()
{
    switch (m_state) {
    case State::BeforeItem:
    case State::AfterCr:
        break;
    case State::LeadingBlanks:
    case State::Unquoted:
    case State::Quoted:
    case State::QuoteInQuoted:
    case State::AfterQuote:
    case State::AfterQuoteText:
        m_sink.itemEnd();
        break;
    }
    m_heldBlanks.clear();
    m_state = State::BeforeItem;
}

// The fast path, for the items that make up most files: unquoted ones and quoted ones whose
// closing quote stands right before the delimiter, blanks before them or not. A block of 64 bytes
// is mapped at once and its items are taken from the bit masks: a plain item costs a count of
// trailing zeros and clearing that bit, so the work on one item does not wait for the one before.
// Returns where an item starts that needs the general path, or where too little of the chunk is
// left: the margin lets a span be read kSpanReadable bytes from its start, and two bytes past a
// block be looked at, without testing for the end.
const char *ItemReader::readSimpleItems(const char *p, const char *end)
{
    constexpr std::ptrdiff_t kMargin = kBlockSize + static_cast<std::ptrdiff_t>(ItemSink::kSpanReadable);
    std::array<ItemSpan, 256> spans;
    std::size_t count = 0;
    const auto add = [&](const char *data, std::ptrdiff_t size, bool endsItem) {
        if (count == spans.size()) {
            m_sink.items(spans.data(), count);
            count = 0;
        }
        spans[count++] = {data, static_cast<std::size_t>(size), endsItem};
    };
    const auto readBlocks = [&]() -> const char * {
        while (end - p >= kMargin) {
            const BlockMap map = mapBlock(p);
            const std::uint64_t special = map.quotes | map.blanks;
            std::uint64_t ends = map.ends;  // from the current item onwards
            std::ptrdiff_t start = 0;       // where the current item's read begins, inside the block
            for (;;) {
                std::ptrdiff_t stop = kBeyondBlock; // the delimiter that ends the item
                if (!hasBit(special, start)) {
                    if (ends != 0) {
                        stop = std::countr_zero(ends);
                        add(p + start, stop - start, true);
                        ends &= ends - 1;
                    }
                } else {
                    const std::ptrdiff_t first = std::countr_zero(bitsFrom(~map.blanks, start));
                    if (!hasBit(map.quotes, first)) {
                        if (ends != 0 && first < kBlockSize) {
                            stop = std::countr_zero(ends);
                            add(p + first, stop - first, true);
                            ends &= ends - 1;
                        }
                    } else {
                        const std::ptrdiff_t close = closingQuote(p, map.quotes, first + 1);
                        if (close == kTextAfterQuote)
                            return p + start;
                        if (close >= 0) {
                            // Each doubled quote before the closing one gives one quote.
                            std::ptrdiff_t from = first + 1;
                            for (std::ptrdiff_t quote = std::countr_zero(bitsFrom(map.quotes, from)); quote != close;
                                 quote = std::countr_zero(bitsFrom(map.quotes, from))) {
                                add(p + from, quote + 1 - from, false);
                                from = quote + 2;
                            }
                            add(p + from, close - from, true);
                            stop = close + 1;
                            ends = bitsFrom(ends, stop + 1);
                        }
                    }
                }
                if (stop == kBeyondBlock) {
                    // The item goes on past this block: map the next one from the item's start,
                    // unless the item fills the whole block and is better read by the general path.
                    if (start == 0)
                        return p;
                    p += start;
                    break;
                }
                start = stop + 1 + ((p[stop] == '\r') & (p[stop + 1] == '\n'));
                if (start >= kBlockSize) {
                    p += start;
                    break;
                }
            }
        }
        return p;
    };
    const char *resume = readBlocks();
    if (count != 0)
        m_sink.items(spans.data(), count);
    return resume;
}

const char *ItemReader::readItemStart(const char *p, const char *end)
{
    if (isBlank(*p)) {
        do
            ++p;
        while (p != end && isBlank(*p));
        m_state = State::LeadingBlanks;
        if (p == end)
            return end;
    }
    if (*p == '"') {
        m_state = State::Quoted;
        return p + 1;
    }
    const char *delimiter = findDelimiter(p, end);
    if (delimiter == end) {
        m_sink.itemData(p, static_cast<std::size_t>(end - p));
        m_state = State::Unquoted;
        return end;
    }
    m_sink.item(p, static_cast<std::size_t>(delimiter - p));
    return endItemAt(delimiter, end);
}

const char *ItemReader::readUnquoted(const char *p, const char *end)
{
    const char *delimiter = findDelimiter(p, end);
    if (delimiter != p)
        m_sink.itemData(p, static_cast<std::size_t>(delimiter - p));
    if (delimiter == end)
        return end;
    m_sink.itemEnd();
    return endItemAt(delimiter, end);
}

const char *ItemReader::readQuoted(const char *p, const char *end)
{
    const auto *quote = static_cast<const char *>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
    if (quote == nullptr)
        quote = end;
    if (quote != p)
        m_sink.itemData(p, static_cast<std::size_t>(quote - p));
    if (quote == end)
        return end;
    m_state = State::QuoteInQuoted;
    return quote + 1;
}

const char *ItemReader::readAfterQuote(const char *p, const char *end)
{
    while (p != end && isBlank(*p))
        ++p;
    if (p == end)
        return end;
    if (isDelimiter(*p)) {
        m_sink.itemEnd();
        return endItemAt(p, end);
    }
    m_state = State::AfterQuoteText;
    return p;
}

const char *ItemReader::readAfterQuoteText(const char *p, const char *end)
{
    while (p != end) {
        if (isDelimiter(*p)) {
            m_heldBlanks.clear();
            m_sink.itemEnd();
            return endItemAt(p, end);
        }
        if (isBlank(*p)) {
            holdBlank(*p);
            ++p;
            continue;
        }
        const char *text = p;
        do
            ++p;
        while (p != end && !isBlank(*p) && !isDelimiter(*p));
        releaseBlanks();
        m_sink.itemData(text, static_cast<std::size_t>(p - text));
    }
    return end;
}

// The item has ended at a comma or line end; returns where the next one starts. A CR at the very
// end of the chunk leaves the question whether an LF follows to the next chunk.
const char *ItemReader::endItemAt(const char *delimiter, const char *end)
{
    m_state = State::BeforeItem;
    const char *next = delimiter + 1;
    if (*delimiter == '\r') {
        if (next == end)
            m_state = State::AfterCr;
        else if (*next == '\n')
            ++next;
    }
    return next;
}

void ItemReader::holdBlank(char blank)
{
    if (!m_heldBlanks.empty() && m_heldBlanks.back().blank == blank)
        ++m_heldBlanks.back().count;
    else
        m_heldBlanks.push_back({blank, 1});
}

void ItemReader::releaseBlanks()
{
    for (const BlankRun &run : m_heldBlanks) {
        const char *row = run.blank == ' ' ? kSpaces.data() : kTabs.data();
        for (std::uint64_t left = run.count; left != 0;) {
            const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, kSpaces.size()));
            m_sink.itemData(row, piece);
            left -= piece;
        }
    }
    m_heldBlanks.clear();
}
