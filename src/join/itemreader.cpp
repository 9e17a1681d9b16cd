#include "itemreader.h"

#include "blockkernels.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

// The most that one block's output takes: every byte a line end.
constexpr std::size_t MaxBlockOutput = sizeof ItemSink::LineEnd * BlockSize;

// Blocks planned at once: as many as fit the most the reader may ask of a sink.
constexpr std::size_t BlocksPerRun = ItemSink::MaxLineSpace / MaxBlockOutput;

} // namespace

void ItemSink::item(const char *data, std::size_t size)
{
    if (size != 0)
        itemData(data, size);
    itemEnd();
}

char *ItemSink::lineSpace(std::size_t)
{
    return nullptr;
}

void ItemSink::linesWritten(std::size_t)
{
}

ItemReader::ItemReader(ItemSink &sink, Machine machine)
    : m_sink(sink)
    , m_kernels(machine == Machine::Portable   ? &portableBlockKernels()
                : machine == Machine::Baseline ? &baselineBlockKernels()
                                               : &fastestBlockKernels())
{
}

void ItemReader::feed(const char *data, std::size_t size)
{
    const char *p = data;
    const char *const end = data + size;
    m_generalUntil = data;
    while (p != end) {
        if (end - p > BlockSize && p >= m_generalUntil && m_sinkTakesLines && m_state <= State::Quoted)
            p = readBlocks(p, end); // leaves at least a byte
        switch (m_state) {
        case State::BeforeItem:
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
    dropBlanks();
    m_state = State::BeforeItem;
}

// The block-wise path, for the sinks that take lines: block after block is planned, as long as
// the chunk holds the byte after it, and the plans written at once into the sink's room. Starts
// and ends in one of the states up to Quoted, between blocks; where a block is in doubt, the
// general path goes on from its start up to the first byte in doubt.
const char *ItemReader::readBlocks(const char *p, const char *end)
{
    BlockCarry carry{m_state == State::Quoted ? ~std::uint64_t{0} : 0,
                     m_state == State::BeforeItem || m_state == State::LeadingBlanks, 0, 0};
    std::array<BlockEdit, BlocksPerRun> edits;
    while (end - p > BlockSize) {
        const auto blocks = std::min(static_cast<std::size_t>((end - p - 1) / BlockSize), BlocksPerRun);
        char *const out = m_sink.lineSpace(blocks * MaxBlockOutput);
        if (out == nullptr) {
            m_sinkTakesLines = false;
            return p;
        }
        std::uint64_t doubt = 0;
        const std::size_t count = m_kernels->planBlocks(p, blocks, carry, edits.data(), doubt);
        m_sink.linesWritten(static_cast<std::size_t>(m_kernels->writeBlocks(p, edits.data(), count, out) - out));
        p += static_cast<std::ptrdiff_t>(count) * BlockSize;
        if (doubt != 0) {
            // Past all the block's doubts: where they are many, the general path is the faster.
            m_generalUntil = p + (BlockSize - std::countl_zero(doubt));
            break;
        }
    }
    if (carry.lfOfCrLf != 0)
        m_state = State::AfterCr;
    else if (carry.insideQuotes != 0)
        m_state = State::Quoted;
    else if (carry.afterClosing != 0)
        m_state = State::QuoteInQuoted;
    else if (carry.itemStart != 0)
        m_state = State::BeforeItem; // whether blanks were skipped: the chunk's next byte tells first
    else
        m_state = State::Unquoted;
    return p;
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
    const char *delimiter = m_kernels->findDelimiter(p, end);
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
    const char *delimiter = m_kernels->findDelimiter(p, end);
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
            dropBlanks();
            m_sink.itemEnd();
            return endItemAt(p, end);
        }
        if (isBlank(*p)) {
            const char *blanks = p;
            do
                ++p;
            while (p != end && isBlank(*p));
            holdBlanks(blanks, static_cast<std::size_t>(p - blanks));
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

// The oldest held blanks are in the store, if any are; the latest in memory.
void ItemReader::holdBlanks(const char *blanks, std::size_t count)
{
    while (m_blankStore != nullptr && m_heldBlanks.size() + count > HeldBlanksInMemory) {
        const std::size_t piece = HeldBlanksInMemory - m_heldBlanks.size();
        m_heldBlanks.insert(m_heldBlanks.end(), blanks, blanks + piece);
        m_blankStore->keep(m_heldBlanks.data(), m_heldBlanks.size());
        m_blanksInStore = true;
        m_heldBlanks.clear();
        blanks += piece;
        count -= piece;
    }
    m_heldBlanks.insert(m_heldBlanks.end(), blanks, blanks + count);
}

void ItemReader::releaseBlanks()
{
    if (m_blanksInStore) {
        m_blankStore->release(m_sink);
        m_blanksInStore = false;
    }
    if (!m_heldBlanks.empty())
        m_sink.itemData(m_heldBlanks.data(), m_heldBlanks.size());
    m_heldBlanks.clear();
}

void ItemReader::dropBlanks()
{
    if (m_blanksInStore) {
        m_blankStore->forget();
        m_blanksInStore = false;
    }
    m_heldBlanks.clear();
}
