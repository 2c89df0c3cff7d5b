// Finding a literal quickly. A search over a large file spends its time looking for the literal
// every match must hold, so the literal is found the way the fastest tools do: the two rarest of
// its characters (by how often they occur in ordinary source text) are looked for together,
// sixteen places at a time where the machine has the instructions for it, and only the places
// where both stand at the right distance are compared whole. A literal that ignores case is
// found the same way in the text as it stands, so the text is never copied in one case.
#include <cstdint>
#include <cstring>

#include "editor/byte_search.h"
#include "editor/regex.h"
#include "platform/text.h"

#if defined(__i386__) || defined(__x86_64__)
#define TARVO_NEEDLE_SSE2 1
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

bool IsLetter(char c) { return static_cast<unsigned char>((c | 0x20) - 'a') < 26; }

// Whether n characters agree with the upper-case text `t`, in either case.
inline bool SameFolded(const char* a, const char* t, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != t[i] && UpperChar(a[i]) != t[i]) return false;
    return true;
}

inline bool Equal(const RegexNeedle& needle, const char* at) {
    return needle.fold ? SameFolded(at, needle.text.data(), needle.text.size())
                       : Same(at, needle.text.data(), needle.text.size());
}

#ifdef TARVO_NEEDLE_SSE2
// Sixteen starts at a time from `at` while the loads stay inside the haystack (every start tried
// is at most `last`); `at` is left where this stopped. The 32-bit compiler does not assume SSE2,
// so the function asks for it and the caller checks the processor first. When folding, a
// letter's two cases differ only in the bit 0x20, which is set on both sides before comparing.
__attribute__((target("sse2"))) std::size_t FindSixteenAtATime(const RegexNeedle& needle, const char* h,
                                                               std::size_t& at, std::size_t last) {
    const char r = needle.text[needle.rare];
    const char s = needle.text[needle.second];
    const char rBit = needle.fold && IsLetter(r) ? 0x20 : 0;
    const char sBit = needle.fold && IsLetter(s) ? 0x20 : 0;
    const __m128i first = _mm_set1_epi8(static_cast<char>(r | rBit));
    const __m128i other = _mm_set1_epi8(static_cast<char>(s | sBit));
    const __m128i firstBit = _mm_set1_epi8(rBit);
    const __m128i otherBit = _mm_set1_epi8(sBit);
    for (; at + 15 <= last; at += 16) {
        __m128i x = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + needle.rare)), firstBit);
        __m128i y = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + at + needle.second)), otherBit);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, first), _mm_cmpeq_epi8(y, other))));
        while (mask) {
            unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            if (Equal(needle, h + at + bit)) return at + bit;
            mask &= mask - 1;
        }
    }
    return std::string_view::npos;
}
#endif

}  // namespace

void RegexNeedle::Set(std::string_view literal, bool foldCase) {
    fold = foldCase;
    text = fold ? Upper(literal) : std::string(literal);
    // Folded, a letter is as common as its lower case.
    auto common = [&](char c) {
        return Commonness(static_cast<unsigned char>(fold && IsLetter(c) ? c | 0x20 : c));
    };
    rare = second = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (common(text[i]) < common(text[rare])) rare = i;
    second = rare == 0 && text.size() > 1 ? 1 : 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != rare && common(text[i]) < common(text[second])) second = i;
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
    if (n == 1 && !(fold && IsLetter(t[0]))) {
        const char* hit = FindByte(h + at, h + last + 1, t[0]);
        return hit != h + last + 1 ? static_cast<std::size_t>(hit - h) : std::string_view::npos;
    }
#ifdef TARVO_NEEDLE_SSE2
#ifndef __SSE2__
    if (__builtin_cpu_supports("sse2"))
#endif
    {
        std::size_t found = FindSixteenAtATime(*this, h, at, last);
        if (found != std::string_view::npos) return found;
    }
#endif
    if (fold) {
        for (; at <= last; ++at)
            if (UpperChar(h[at + rare]) == t[rare] && SameFolded(h + at, t, n)) return at;
        return std::string_view::npos;
    }
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
