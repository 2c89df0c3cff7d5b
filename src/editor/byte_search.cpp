#include "editor/byte_search.h"

#include <cstring>

#if defined(_WIN32) && (defined(__i386__) || defined(__x86_64__))
#define TARVO_BYTES_SSE2 1
#include <emmintrin.h>
#endif

namespace tarvo::editor {
namespace {

#ifdef TARVO_BYTES_SSE2
// The 32-bit compiler does not assume SSE2, so the function asks for it and the caller checks
// the processor first.
__attribute__((target("sse2"))) const char* FindByteSse2(const char* p, const char* end, char c) {
    const __m128i wanted = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        if (mask) return p + __builtin_ctz(mask);
    }
    for (; p < end; ++p)
        if (*p == c) return p;
    return end;
}

// Byte counters of sixteen lanes, added up into two sums before they can overflow.
__attribute__((target("sse2"))) std::size_t CountByteSse2(const char* p, const char* end, char c) {
    const __m128i wanted = _mm_set1_epi8(c);
    const __m128i zero = _mm_setzero_si128();
    __m128i sums = zero;
    while (end - p >= 16) {
        __m128i counters = zero;
        for (int k = 0; k < 255 && end - p >= 16; ++k, p += 16)
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), wanted));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(counters, zero));
    }
    std::size_t count = static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                        static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    for (; p < end; ++p) count += *p == c;
    return count;
}
#endif

}  // namespace

const char* FindByte(const char* from, const char* end, char c) {
    if (from >= end) return end;
#ifdef TARVO_BYTES_SSE2
    if (__builtin_cpu_supports("sse2")) return FindByteSse2(from, end, c);
#endif
    const void* hit = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return hit ? static_cast<const char*>(hit) : end;
}

std::size_t CountByte(const char* from, const char* end, char c) {
#ifdef TARVO_BYTES_SSE2
    if (from < end && __builtin_cpu_supports("sse2")) return CountByteSse2(from, end, c);
#endif
    std::size_t count = 0;  // a plain loop: where the compiler may, it compares many bytes at once
    for (const char* p = from; p < end; ++p) count += *p == c;
    return count;
}

}  // namespace tarvo::editor
