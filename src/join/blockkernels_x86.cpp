// The kernels on x86-64 with SSE2, which every such processor has, and the choice of the fastest.
#include "blockkernels.h"

#ifdef QUILLMERE_BLOCKKERNELS_X86_64

#include <array>
#include <bit>
#include <cstdint>

#include <emmintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

#include "blockplan.h"

namespace {

// Sixteen bytes a step.
const char *findDelimiter(const char *p, const char *end)
{
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
    while (p != end && !DelimiterBytes[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

BLOCKPLAN_INLINE ByteClasses classify(const char *p)
{
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

constexpr auto planBlocksSse2 = planBlocks<classify, runningParityByShifts>;

BlockKernels fastest()
{
    const ProcessorFeatures features = processorFeatures();
    return {findDelimiter, features.wideCompares ? planBlocksAvx2 : planBlocksSse2,
            features.byteShuffles ? writeBlocksSsse3 : portableBlockKernels().writeBlocks};
}

} // namespace

const BlockKernels &baselineBlockKernels()
{
    static const BlockKernels kernels{findDelimiter, planBlocksSse2, portableBlockKernels().writeBlocks};
    return kernels;
}

const BlockKernels &fastestBlockKernels()
{
    static const BlockKernels kernels = fastest();
    return kernels;
}

#endif // QUILLMERE_BLOCKKERNELS_X86_64
