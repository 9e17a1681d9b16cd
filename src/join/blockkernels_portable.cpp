// The kernels in plain C++, for every processor.
#include "blockkernels.h"
#include "itemreader.h"

#include <array>
#include <cstdint>

#include "blockplan.h"

namespace {

const char *findDelimiter(const char *p, const char *end)
{
    while (p != end && !DelimiterBytes[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

BLOCKPLAN_INLINE ByteClasses classify(const char *p)
{
    ByteClasses classes{0, 0, 0, 0, 0};
    for (int i = 0; i < BlockSize; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << i;
        classes.quotes |= p[i] == '"' ? bit : 0;
        classes.blanks |= p[i] == ' ' || p[i] == '\t' ? bit : 0;
        classes.commas |= p[i] == ',' ? bit : 0;
        classes.crs |= p[i] == '\r' ? bit : 0;
        classes.lfs |= p[i] == '\n' ? bit : 0;
    }
    return classes;
}

// Byte by byte without a branch: a line end is written after every byte and kept only where the
// byte became one. Only the line end's last byte is written for every byte, so it must be two.
static_assert(sizeof ItemSink::LineEnd == 2);

char *writeBlocks(const char *blocks, const BlockEdit *edits, std::size_t count, char *out)
{
    for (std::size_t k = 0; k != count; ++k) {
        const char *p = blocks + static_cast<std::ptrdiff_t>(k) * BlockSize;
        const BlockEdit edit = edits[k];
        for (int i = 0; i < BlockSize; ++i) {
            const auto lineEnd = static_cast<unsigned>(edit.lineEnds >> i & 1);
            const auto dropped = static_cast<unsigned>(edit.dropped >> i & 1);
            out[0] = lineEnd != 0 ? ItemSink::LineEnd[0] : p[i];
            out[1] = ItemSink::LineEnd[1];
            out += 1 + lineEnd - dropped;
        }
    }
    return out;
}

constexpr BlockKernels Portable{findDelimiter, planBlocks<classify, runningParityByShifts>, writeBlocks};

} // namespace

const BlockKernels &portableBlockKernels()
{
    return Portable;
}

#ifndef QUILLMERE_BLOCKKERNELS_X86_64
const BlockKernels &baselineBlockKernels()
{
    return Portable;
}

const BlockKernels &fastestBlockKernels()
{
    return Portable;
}
#endif
