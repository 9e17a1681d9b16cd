#pragma once

#include <cstddef>
#include <cstdint>

// The item reader's inner loops: finding the end of an unquoted item, and the block-wise path,
// which reads 64 bytes at a time as bit masks, one bit per byte, and turns them into edits of the
// block. Most of a file's output is its input with some bytes dropped (the quotes around an item,
// the first of a doubled quote, blanks before an item, the LF of a CR LF) and each comma or line
// end made a line end.
//
// Each instruction set that speeds them up has a file of its own; blockkernels_portable.cpp is
// plain C++ that every processor runs, and the tests run it on every machine.

constexpr std::ptrdiff_t BlockSize = 64;

/// One block's edits, a bit per byte.
struct BlockEdit
{
    std::uint64_t dropped;
    std::uint64_t lineEnds; ///< bytes that become a line end
};

/// What the bytes before a block mean for it, each as bit 0 (the first byte), or all bits for
/// insideQuotes.
struct BlockCarry
{
    std::uint64_t insideQuotes;
    std::uint64_t itemStart;    ///< the first byte is where an item starts, or in the blanks before it
    std::uint64_t afterClosing; ///< the byte before closed a quote (or began a doubled one)
    std::uint64_t lfOfCrLf;     ///< the first byte is the LF of a CR LF that the CR has ended
};

struct BlockKernels
{
    /// The first comma, CR or LF in [p, end), or end.
    const char *(*findDelimiter)(const char *p, const char *end);
    /**
     * Plans up to @p count blocks from @p p, each of whose next byte may be looked at, and moves
     * @p carry on past them. Returns how many: fewer where a block is in doubt, whose bytes in
     * doubt are then in @p doubt, and whose carry stays.
     */
    std::size_t (*planBlocks)(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits,
                              std::uint64_t &doubt);
    /// Writes the output of @p count planned blocks from @p blocks to @p out; returns where it ends.
    char *(*writeBlocks)(const char *blocks, const BlockEdit *edits, std::size_t count, char *out);
};

/// Plain C++ without vector instructions.
const BlockKernels &portableBlockKernels();

/// What every processor of this architecture runs: SSE2 on x86-64, elsewhere the portable code.
const BlockKernels &baselineBlockKernels();

/// The fastest that this processor runs, chosen at the first call.
const BlockKernels &fastestBlockKernels();

#if (defined(__x86_64__) || defined(_M_X64)) && !defined(_M_ARM64EC)
#define QUILLMERE_BLOCKKERNELS_X86_64 1
// Beyond SSE2, which every x86-64 processor has: each in a file compiled for its instruction
// set, called only where the processor says it has it.
std::size_t planBlocksAvx2(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits,
                           std::uint64_t &doubt);
char *writeBlocksSsse3(const char *blocks, const BlockEdit *edits, std::size_t count, char *out);
#endif
