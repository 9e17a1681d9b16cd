// Writing planned blocks eight bytes at a time by one byte shuffle (SSSE3), compiled for it:
// only processors that have it run it.
#include "blockkernels.h"
#include "itemreader.h"

#ifdef QUILLMERE_BLOCKKERNELS_X86_64

#include <array>
#include <bit>
#include <cstdint>

#include <tmmintrin.h>

// A group's edits, a digit in base 3 for each byte (0 kept, 1 dropped, 2 made a line end),
// choose a pattern that picks the bytes kept from lanes 0 to 7, and the line end from lanes 8 and
// 9 where the group holds one; lanes past the output pick lane 0, as scratch. The group's output
// length comes with the digits: 16 bits each in DroppedCodes and LineEndCodes, added.
namespace {

static_assert(sizeof ItemSink::LineEnd == 2);

constexpr int GroupEdits = 6561; // 3 to the 8th

struct alignas(16) Shuffle
{
    std::array<std::uint8_t, 16> lanes;
};

constexpr std::array<Shuffle, GroupEdits> Shuffles = [] {
    std::array<Shuffle, GroupEdits> table{};
    for (int code = 0; code < GroupEdits; ++code) {
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
constexpr std::array<std::uint32_t, 256> DroppedCodes = groupCodes(1, -1, 8);
constexpr std::array<std::uint32_t, 256> LineEndCodes = groupCodes(2, 1, 0);

} // namespace

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("ssse3"))), apply_to = function)
#elif defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("ssse3")
#endif

char *writeBlocksSsse3(const char *blocks, const BlockEdit *edits, std::size_t count, char *out)
{
    const __m128i lineEnd =
        _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, ItemSink::LineEnd[0], ItemSink::LineEnd[1], 0, 0, 0, 0, 0, 0);
    for (std::size_t k = 0; k != count; ++k) {
        const char *p = blocks + static_cast<std::ptrdiff_t>(k) * BlockSize;
        std::uint64_t dropped = edits[k].dropped;
        std::uint64_t lineEnds = edits[k].lineEnds;
        for (int group = 0; group < BlockSize; group += 8) {
            const std::uint32_t code = DroppedCodes[dropped & 0xFF] + LineEndCodes[lineEnds & 0xFF];
            dropped >>= 8;
            lineEnds >>= 8;
            const __m128i bytes = _mm_or_si128(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p + group)), lineEnd);
            const __m128i lanes = _mm_load_si128(reinterpret_cast<const __m128i *>(Shuffles[code & 0xFFFF].lanes.data()));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi8(bytes, lanes));
            out += code >> 16;
        }
    }
    return out;
}

#if defined(__clang__)
#pragma clang attribute pop
#elif defined(__GNUC__)
#pragma GCC pop_options
#endif

#endif // QUILLMERE_BLOCKKERNELS_X86_64
