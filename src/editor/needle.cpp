// Finding a literal quickly. A search over a large file spends its time looking for the literal
// every match must hold, so the literal is found the way the fastest tools do: the two rarest of
// its characters (by how often they occur in ordinary source text) are looked for together,
// sixteen places at a time where the machine has the instructions for it, and only the places
// where both stand at the right distance are compared whole.
#include <cstdint>
#include <cstring>

#include "editor/byte_search.h"
#include "editor/regex.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo::editor {
namespace {

// How common a character is in program text and prose: higher is more common. Letters follow
// their frequency in English, the blank, tab and the punctuation of C are common; capitals,
// rare letters and bytes outside printable ASCII are rare.
int Commonness(unsigned char c) {
    static constexpr std::string_view kByRank =
        " etaoinsrhldcum\t;()fpgwyb,=.*_\"01{}vk[]/->+<&2345'6789#!:xjqz|%?\\@^`~$";
    if (c >= 'A' && c <= 'Z') return c == 'Q' || c == 'Z' || c == 'X' || c == 'J' ? 5 : 20;
    std::size_t at = kByRank.find(static_cast<char>(c));
    if (at != std::string_view::npos && c != 0) return 200 - static_cast<int>(at);
    if (c == '\r' || c == '\n') return 150;
    return 1;
}

// Two words of `size` bytes each from both ends of n characters (n at least `size`), which
// between them cover all n: equal exactly when the n characters are.
template <class Word>
inline bool SameEnds(const char* a, const char* b, std::size_t n) {
    Word a1, a2, b1, b2;
    std::memcpy(&a1, a, sizeof(Word));
    std::memcpy(&b1, b, sizeof(Word));
    std::memcpy(&a2, a + n - sizeof(Word), sizeof(Word));
    std::memcpy(&b2, b + n - sizeof(Word), sizeof(Word));
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
}

// Whether n characters agree; short literals are compared here rather than through a call, a
// word or two at a time.
inline bool Same(const char* a, const char* b, std::size_t n) {
    if (n > 16) return std::memcmp(a, b, n) == 0;
    if (n >= 8) return SameEnds<std::uint64_t>(a, b, n);
    if (n >= 4) return SameEnds<std::uint32_t>(a, b, n);
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

void RegexNeedle::Set(std::string_view literal) {
    text = literal;
    rare = second = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (Commonness(static_cast<unsigned char>(text[i])) < Commonness(static_cast<unsigned char>(text[rare]))) rare = i;
    second = rare == 0 && text.size() > 1 ? 1 : 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != rare && Commonness(static_cast<unsigned char>(text[i])) < Commonness(static_cast<unsigned char>(text[second])))
            second = i;
}

std::size_t RegexNeedle::Find(std::string_view haystack, std::size_t from) const {
    const std::size_t n = text.size();
    if (from > haystack.size()) return std::string_view::npos;
    if (n == 0) return from;
    if (n > haystack.size() - from) return std::string_view::npos;
    const char* h = haystack.data();
    const char* t = text.data();
    const std::size_t last = haystack.size() - n;  // the last place a match can start
    std::size_t at = from;
    if (n == 1) {
        const char* hit = FindByte(h + at, h + last + 1, t[0]);
        return hit != h + last + 1 ? static_cast<std::size_t>(hit - h) : std::string_view::npos;
    }
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(t[rare]);
    const __m128i other = _mm_set1_epi8(t[second]);
    // Sixteen starts at a time; the loads stay inside the haystack since every start tried is
    // at most `last`.
    for (; at + 15 <= last; at += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + rare));
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + second));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, first), _mm_cmpeq_epi8(y, other))));
        while (mask) {
            unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            if (Same(h + at + bit, t, n)) return at + bit;
            mask &= mask - 1;
        }
    }
#endif
    while (at <= last) {
        const char* hit = FindByte(h + at + rare, h + last + rare + 1, t[rare]);
        if (hit == h + last + rare + 1) break;
        std::size_t start = static_cast<std::size_t>(hit - h) - rare;
        if (h[start + second] == t[second] && Same(h + start, t, n)) return start;
        at = start + 1;
    }
    return std::string_view::npos;
}

}  // namespace tarvo::editor
