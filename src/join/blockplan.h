#pragma once

// How blocks are planned, once for every kernel file: each includes this after its own
// instruction-set settings, so that the planning is compiled for them. Hence an anonymous
// namespace: every file keeps its own copy, and none is taken for another's at link time.
// What it includes must already have been included before those settings.

#include "blockkernels.h"

#include <array>
#include <cstdint>

#if defined(_MSC_VER) && !defined(__clang__)
#define BLOCKPLAN_INLINE __forceinline
#else
#define BLOCKPLAN_INLINE __attribute__((always_inline)) inline
#endif

namespace {

struct ByteClasses
{
    std::uint64_t quotes;
    std::uint64_t blanks;
    std::uint64_t commas;
    std::uint64_t crs;
    std::uint64_t lfs;
};

constexpr std::array<bool, 256> DelimiterBytes = [] {
    std::array<bool, 256> table{};
    table[','] = table['\r'] = table['\n'] = true;
    return table;
}();

// Bit i of the result is the parity of the bits 0 to i.
BLOCKPLAN_INLINE std::uint64_t runningParityByShifts(std::uint64_t bits)
{
    bits ^= bits << 1;
    bits ^= bits << 2;
    bits ^= bits << 4;
    bits ^= bits << 8;
    bits ^= bits << 16;
    return bits ^ bits << 32;
}

// Plans the edits of a block from its bytes' classes, the running parity of its quotes (bit i
// the parity of the quotes 0 to i) and the byte after it, and moves carry on past it. Quotes are
// taken to open and close in turn, by that parity, which the block checks: a quote inside an
// unquoted item is taken out of the parity. Returns 0, or, where the parity might misread the
// block (text after a closing quote), the bits of the bytes in doubt; then nothing is planned and
// carry stays.
template <std::uint64_t (*RunningParity)(std::uint64_t)>
BLOCKPLAN_INLINE std::uint64_t planBlock(const ByteClasses &bytes, char nextByte, BlockCarry &carry, BlockEdit &edit)
{
    const auto next = static_cast<unsigned char>(nextByte);
    const std::uint64_t nextQuoteOrDelimiter = (next == '"') | DelimiterBytes[next];
    const std::uint64_t nextLf = next == '\n';
    const std::uint64_t delimiters = bytes.commas | bytes.crs | bytes.lfs;
    std::uint64_t quotes = bytes.quotes; // those that open, close or double
    std::uint64_t quoteParity = RunningParity(quotes);
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
        quoteParity = RunningParity(quotes);
    }
}

// The planBlocks of BlockKernels, from a kernel file's ways to classify a block's bytes and to
// take the running parity of a mask.
template <ByteClasses (*Classify)(const char *), std::uint64_t (*RunningParity)(std::uint64_t)>
std::size_t planBlocks(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits, std::uint64_t &doubt)
{
    BlockCarry next = carry;
    std::size_t k = 0;
    for (; k != count; ++k, p += BlockSize) {
        doubt = planBlock<RunningParity>(Classify(p), p[BlockSize], next, edits[k]);
        if (doubt != 0)
            break;
    }
    carry = next;
    return k;
}

} // namespace
