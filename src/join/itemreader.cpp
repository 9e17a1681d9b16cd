#include "itemreader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ITEMREADER_SSE2 1
#endif

// Byte shuffles (SSSE3), 32-byte compares (AVX2) and carry-less multiplies are not in every x86-64
// processor: the block-wise path uses them where the processor says it has them, in code compiled
// for them alone.
#if defined(_M_X64) && !defined(__clang__)
#include <immintrin.h>
#include <intrin.h>
#define ITEMREADER_X64 1
#define ITEMREADER_SSSE3_TARGET
#define ITEMREADER_AVX2_TARGET
#define ITEMREADER_INLINE __forceinline
#elif defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ITEMREADER_X64 1
#define ITEMREADER_SSSE3_TARGET __attribute__((target("ssse3")))
#define ITEMREADER_AVX2_TARGET __attribute__((target("avx2,bmi,pclmul")))
#define ITEMREADER_INLINE __attribute__((always_inline)) inline
#elif defined(__GNUC__)
#define ITEMREADER_INLINE __attribute__((always_inline)) inline
#else
#define ITEMREADER_INLINE inline
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

// The block-wise path reads 64 bytes at a time as bit masks, one bit per byte, and turns them
// into edits of the block: most of a file's output is its input with some bytes dropped (the
// quotes around an item, the first of a doubled quote, blanks before an item, the LF of a CR LF)
// and each comma or line end made a CR LF. Quotes are taken to open and close in turn, by a
// running parity, which each block checks: a quote inside an unquoted item is taken out of the
// parity, and where text follows a closing quote, the block goes to the general path, which knows
// every rule.

constexpr std::ptrdiff_t kBlockSize = 64;

// The most that one block's output takes: every byte a line end.
constexpr std::size_t kMaxBlockOutput = 2 * kBlockSize;

// Blocks planned at once: as many as fit the most the reader may ask of a sink.
constexpr std::size_t kBlocksPerRun = ItemSink::kMaxLineSpace / kMaxBlockOutput;

// One block's edits, a bit per byte.
struct BlockEdit
{
    std::uint64_t dropped;
    std::uint64_t lineEnds; ///< bytes that become CR LF
};


struct ByteClasses
{
    std::uint64_t quotes;
    std::uint64_t blanks;
    std::uint64_t commas;
    std::uint64_t crs;
    std::uint64_t lfs;
};

ITEMREADER_INLINE ByteClasses classify(const char *p)
{
#ifdef ITEMREADER_SSE2
    const __m128i parts[4] = {_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 32)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 48))};
    // Written out, since the compiler would keep a loop and shift by a register.
    const auto equal = [&parts](char c) {
        const __m128i wanted = _mm_set1_epi8(c);
        const auto part = [&](int i) {
            return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(parts[i], wanted)))};
        };
        return part(0) | part(1) << 16 | part(2) << 32 | part(3) << 48;
    };
    return {equal('"'), equal(' ') | equal('\t'), equal(','), equal('\r'), equal('\n')};
#else
    ByteClasses classes{0, 0, 0, 0, 0};
    for (int i = 0; i < kBlockSize; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        classes.quotes |= p[i] == '"' ? bit : 0;
        classes.blanks |= isBlank(p[i]) ? bit : 0;
        classes.commas |= p[i] == ',' ? bit : 0;
        classes.crs |= p[i] == '\r' ? bit : 0;
        classes.lfs |= p[i] == '\n' ? bit : 0;
    }
    return classes;
#endif
}

#ifdef ITEMREADER_X64
ITEMREADER_AVX2_TARGET
std::uint64_t bytesEqualWide(__m256i low, __m256i high, char c)
{
    const __m256i wanted = _mm256_set1_epi8(c);
    return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, wanted)))}
        | std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, wanted)))} << 32;
}

// classify() in half the steps.
ITEMREADER_AVX2_TARGET
ByteClasses classifyWide(const char *p)
{
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32));
    return {bytesEqualWide(low, high, '"'), bytesEqualWide(low, high, ' ') | bytesEqualWide(low, high, '\t'),
            bytesEqualWide(low, high, ','), bytesEqualWide(low, high, '\r'), bytesEqualWide(low, high, '\n')};
}
#endif

// Bit i of the result is the parity of the bits 0 to i.
std::uint64_t runningParity(std::uint64_t bits)
{
    bits ^= bits << 1;
    bits ^= bits << 2;
    bits ^= bits << 4;
    bits ^= bits << 8;
    bits ^= bits << 16;
    return bits ^ bits << 32;
}

// What the bytes before a block mean for it, each as bit 0 (the first byte), or all bits for
// insideQuotes.
struct BlockCarry
{
    std::uint64_t insideQuotes;
    std::uint64_t itemStart;    ///< the first byte is where an item starts, or in the blanks before it
    std::uint64_t afterClosing; ///< the byte before closed a quote (or began a doubled one)
    std::uint64_t lfOfCrLf;     ///< the first byte is the LF of a CR LF that the CR has ended
};

// Plans the edits of a block from its bytes' classes, the running parity of its quotes and the
// byte after it, and moves carry on past it. Returns 0, or, where the quotes' parity might misread
// the block, the bits of the bytes in doubt; then nothing is planned and carry stays.
ITEMREADER_INLINE std::uint64_t planBlock(const ByteClasses &bytes, std::uint64_t quoteParity, char nextByte,
                                          BlockCarry &carry, BlockEdit &edit)
{
    const auto next = static_cast<unsigned char>(nextByte);
    const std::uint64_t nextQuoteOrDelimiter = (next == '"') | kDelimiters[next];
    const std::uint64_t nextLf = next == '\n';
    const std::uint64_t delimiters = bytes.commas | bytes.crs | bytes.lfs;
    std::uint64_t quotes = bytes.quotes; // those that open, close or double
    for (;;) {
        // Inside quotes from an opening quote up to, not including, the closing one.
        const std::uint64_t inside = quoteParity ^ carry.insideQuotes;
        const std::uint64_t opening = quotes & inside;
        const std::uint64_t closing = quotes & ~inside;
        const std::uint64_t crs = bytes.crs & ~inside;
        const std::uint64_t crLfs = crs & (bytes.lfs >> 1 | nextLf << 63);
        const std::uint64_t lfsOfCrLfs = bytes.lfs & (crs << 1 | carry.lfOfCrLf);
        const std::uint64_t ends = delimiters & ~inside & ~lfsOfCrLfs;
        const std::uint64_t starts = ((ends & ~crLfs) | lfsOfCrLfs) << 1 | carry.itemStart;
        // Adding a start to the run of blanks it begins carries through exactly that run.
        const std::uint64_t leading = ((bytes.blanks + (starts & bytes.blanks)) ^ bytes.blanks) & bytes.blanks;
        const std::uint64_t firsts = (starts | leading << 1) & ~leading;

        // The parity holds as long as every closing quote is followed by a quote (a doubled one)
        // or a delimiter, and every opening quote either opens an item or follows a closing one.
        const std::uint64_t closingFollowed = (quotes | delimiters) >> 1 | nextQuoteOrDelimiter << 63;
        const std::uint64_t strayOpening = opening & ~(firsts | closing << 1 | carry.afterClosing);
        const std::uint64_t doubt = (closing & ~closingFollowed) | strayOpening;
        if (doubt == 0) {
            edit = {(opening & firsts) | closing | leading | lfsOfCrLfs, ends};
            carry = {0 - (inside >> 63), ((ends & ~crLfs) | lfsOfCrLfs | leading) >> 63, closing >> 63, crLfs >> 63};
            return 0;
        }
        // The first doubt is read right up to it. Where it is a quote that opens nothing, it
        // stands inside an unquoted item, a byte like any other: the block is planned again
        // without it. Text after a closing quote is left to the general path.
        const std::uint64_t firstDoubt = doubt & (0 - doubt);
        if ((firstDoubt & strayOpening) == 0)
            return doubt;
        quotes &= ~firstDoubt;
        quoteParity = runningParity(quotes);
    }
}

// Plans up to count blocks from p, each of whose next byte may be looked at; returns how many,
// fewer where a block is in doubt, with the bits in doubt.
using BlockPlanner = std::size_t (*)(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits,
                                     std::uint64_t &doubt);

std::size_t planBlocks(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits, std::uint64_t &doubt)
{
    BlockCarry next = carry;
    std::size_t k = 0;
    for (; k != count; ++k, p += kBlockSize) {
        const ByteClasses bytes = classify(p);
        doubt = planBlock(bytes, runningParity(bytes.quotes), p[kBlockSize], next, edits[k]);
        if (doubt != 0)
            break;
    }
    carry = next;
    return k;
}

#ifdef ITEMREADER_X64
ITEMREADER_AVX2_TARGET
std::size_t planBlocksWide(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits, std::uint64_t &doubt)
{
    BlockCarry next = carry;
    std::size_t k = 0;
    for (; k != count; ++k, p += kBlockSize) {
        const ByteClasses bytes = classifyWide(p);
        // A carry-less multiply by all ones is the running parity.
        const __m128i parity = _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(bytes.quotes)),
                                                    _mm_set1_epi8(-1), 0);
        doubt = planBlock(bytes, static_cast<std::uint64_t>(_mm_cvtsi128_si64(parity)), p[kBlockSize], next, edits[k]);
        if (doubt != 0)
            break;
    }
    carry = next;
    return k;
}
#endif

// Writes the output of count blocks from blocks; returns where it ends.
using BlockWriter = char *(*)(const char *blocks, const BlockEdit *edits, std::size_t count, char *out);

// The output of blocks, byte by byte without a branch: a line end is written after every byte
// and kept only where the byte became one.
char *writeBlocksPortable(const char *blocks, const BlockEdit *edits, std::size_t count, char *out)
{
    for (std::size_t k = 0; k != count; ++k) {
        const char *p = blocks + static_cast<std::ptrdiff_t>(k) * kBlockSize;
        const BlockEdit edit = edits[k];
        for (int i = 0; i < kBlockSize; ++i) {
            const auto lineEnd = static_cast<unsigned>(edit.lineEnds >> i & 1);
            const auto dropped = static_cast<unsigned>(edit.dropped >> i & 1);
            out[0] = lineEnd != 0 ? '\r' : p[i];
            out[1] = '\n';
            out += 1 + lineEnd - dropped;
        }
    }
    return out;
}

#ifdef ITEMREADER_X64
// Eight bytes at a time by one byte shuffle: a group's edits, a digit in base 3 for each byte (0
// kept, 1 dropped, 2 made a line end), choose a pattern that picks the bytes kept from lanes 0 to
// 7, and the CR and LF from lanes 8 and 9 where the group holds them; lanes past the output pick
// lane 0, as scratch. The group's output length comes with the digits: 16 bits each in
// kDroppedCodes and kLineEndCodes, added.
constexpr int kGroupEdits = 6561; // 3 to the 8th

struct alignas(16) Shuffle
{
    std::array<std::uint8_t, 16> lanes;
};

constexpr std::array<Shuffle, kGroupEdits> kShuffles = [] {
    std::array<Shuffle, kGroupEdits> table{};
    for (int code = 0; code < kGroupEdits; ++code) {
        std::size_t lane = 0;
        int digits = code;
        for (std::uint8_t i = 0; i < 8; ++i, digits /= 3) {
            if (digits % 3 == 0) {
                table[code].lanes[lane++] = i;
            } else if (digits % 3 == 2) {
                table[code].lanes[lane++] = 8;
                table[code].lanes[lane++] = 9;
            }
        }
    }
    return table;
}();

constexpr std::array<std::uint32_t, 256> groupCodes(std::uint32_t digit, int lengthPerBit, int length)
{
    std::array<std::uint32_t, 256> codes{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        std::uint32_t code = 0;
        std::uint32_t power = 1;
        for (int i = 0; i < 8; ++i, power *= 3)
            code += (mask >> i & 1) * power;
        codes[mask] = digit * code + (static_cast<std::uint32_t>(length + lengthPerBit * std::popcount(mask)) << 16);
    }
    return codes;
}

// The group's eight bytes less those dropped, and one more for each line end.
constexpr std::array<std::uint32_t, 256> kDroppedCodes = groupCodes(1, -1, 8);
constexpr std::array<std::uint32_t, 256> kLineEndCodes = groupCodes(2, 1, 0);

ITEMREADER_SSSE3_TARGET
char *writeBlocksShuffled(const char *blocks, const BlockEdit *edits, std::size_t count, char *out)
{
    const __m128i lineEnd = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, '\r', '\n', 0, 0, 0, 0, 0, 0);
    for (std::size_t k = 0; k != count; ++k) {
        const char *p = blocks + static_cast<std::ptrdiff_t>(k) * kBlockSize;
        std::uint64_t dropped = edits[k].dropped;
        std::uint64_t lineEnds = edits[k].lineEnds;
        for (int group = 0; group < kBlockSize; group += 8) {
            const std::uint32_t code = kDroppedCodes[dropped & 0xFF] + kLineEndCodes[lineEnds & 0xFF];
            dropped >>= 8;
            lineEnds >>= 8;
            const __m128i bytes = _mm_or_si128(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p + group)), lineEnd);
            const __m128i lanes = _mm_load_si128(reinterpret_cast<const __m128i *>(kShuffles[code & 0xFFFF].lanes.data()));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi8(bytes, lanes));
            out += code >> 16;
        }
    }
    return out;
}

struct ProcessorFeatures
{
    bool byteShuffles;
    bool wideCompares;
};

ProcessorFeatures processorFeatures()
{
#if defined(_MSC_VER) && !defined(__clang__)
    int registers[4];
    __cpuid(registers, 0);
    const int leaves = registers[0];
    __cpuid(registers, 1);
    const bool byteShuffles = (registers[2] & (1 << 9)) != 0;
    const bool carrylessMultiplies = (registers[2] & (1 << 1)) != 0;
    // AVX2 wants the system to save the 32-byte registers too.
    const bool ymmSaved = (registers[2] & (1 << 27)) != 0 && (registers[2] & (1 << 28)) != 0 && (_xgetbv(0) & 6) == 6;
    bool wideCompares = false;
    if (ymmSaved && carrylessMultiplies && leaves >= 7) {
        __cpuidex(registers, 7, 0);
        wideCompares = (registers[1] & (1 << 5)) != 0 && (registers[1] & (1 << 3)) != 0; // AVX2, BMI1
    }
    return {byteShuffles, wideCompares};
#else
    return {__builtin_cpu_supports("ssse3") != 0,
            __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi") != 0
                && __builtin_cpu_supports("pclmul") != 0};
#endif
}
#endif // ITEMREADER_X64
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
    , m_machine(machine)
{
}

void ItemReader::feed(const char *data, std::size_t size)
{
    const char *p = data;
    const char *const end = data + size;
    m_generalUntil = data;
    while (p != end) {
        if (end - p > kBlockSize && p >= m_generalUntil && m_sinkTakesLines && m_state <= State::Quoted)
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
    BlockPlanner plan = planBlocks;
    BlockWriter write = writeBlocksPortable;
#ifdef ITEMREADER_X64
    static const ProcessorFeatures features = processorFeatures();
    if (m_machine == Machine::Fastest) {
        if (features.wideCompares)
            plan = planBlocksWide;
        if (features.byteShuffles)
            write = writeBlocksShuffled;
    }
#endif
    std::array<BlockEdit, kBlocksPerRun> edits;
    while (end - p > kBlockSize) {
        const auto blocks = std::min(static_cast<std::size_t>((end - p - 1) / kBlockSize), kBlocksPerRun);
        char *const out = m_sink.lineSpace(blocks * kMaxBlockOutput);
        if (out == nullptr) {
            m_sinkTakesLines = false;
            return p;
        }
        std::uint64_t doubt = 0;
        const std::size_t count = plan(p, blocks, carry, edits.data(), doubt);
        m_sink.linesWritten(static_cast<std::size_t>(write(p, edits.data(), count, out) - out));
        p += static_cast<std::ptrdiff_t>(count) * kBlockSize;
        if (doubt != 0) {
            // Past all the block's doubts: where they are many, the general path is the faster.
            m_generalUntil = p + (kBlockSize - std::countl_zero(doubt));
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
