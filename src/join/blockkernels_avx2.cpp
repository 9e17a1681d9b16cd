// Block planning with 32-byte compares (AVX2) and the running parity by a carry-less multiply
// (PCLMUL), compiled for them: only processors that have them run it.
#include "blockkernels.h"

#ifdef QUILLMERE_BLOCKKERNELS_X86_64

#include <array>
#include <cstdint>

#include <immintrin.h>

// From here on, every function is compiled for these instruction sets; MSVC takes their
// intrinsics anywhere.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,bmi,pclmul"))), apply_to = function)
#elif defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("avx2,bmi,pclmul")
#endif

#include "blockplan.h"

namespace {

BLOCKPLAN_INLINE std::uint64_t bytesEqual(__m256i low, __m256i high, char c)
{
    const __m256i wanted = _mm256_set1_epi8(c);
    return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, wanted)))}
        | std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, wanted)))} << 32;
}

BLOCKPLAN_INLINE ByteClasses classify(const char *p)
{
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32));
    return {bytesEqual(low, high, '"'), bytesEqual(low, high, ' ') | bytesEqual(low, high, '\t'),
            bytesEqual(low, high, ','), bytesEqual(low, high, '\r'), bytesEqual(low, high, '\n')};
}

// A carry-less multiply by all ones is the running parity.
BLOCKPLAN_INLINE std::uint64_t runningParity(std::uint64_t bits)
{
    const __m128i product =
        _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(bits)), _mm_set1_epi8(-1), 0);
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(product));
}

} // namespace

std::size_t planBlocksAvx2(const char *p, std::size_t count, BlockCarry &carry, BlockEdit *edits, std::uint64_t &doubt)
{
    return planBlocks<classify, runningParity>(p, count, carry, edits, doubt);
}

#if defined(__clang__)
#pragma clang attribute pop
#elif defined(__GNUC__)
#pragma GCC pop_options
#endif

#endif // QUILLMERE_BLOCKKERNELS_X86_64
