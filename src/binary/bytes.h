// Bounds-checked little-endian reads from a byte span. Every read of a binary file (images,
// objects, archives) goes through these, so a short or corrupt file can only fail a read, never
// run past the data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarvo::binary {

using Bytes = std::span<const std::uint8_t>;

// True when [offset, offset + size) lies inside the span (without overflow).
inline bool Fits(Bytes b, std::uint64_t offset, std::uint64_t size) {
    return offset <= b.size() && size <= b.size() - offset;
}

// A part of the span; empty when it does not fit.
inline Bytes Slice(Bytes b, std::uint64_t offset, std::uint64_t size) {
    return Fits(b, offset, size) ? b.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size))
                                 : Bytes{};
}

// Reads that fail leave `out` alone and return false.
template <class T>
bool Read(Bytes b, std::uint64_t offset, T& out) {
    if (!Fits(b, offset, sizeof(T))) return false;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= std::uint64_t(b[offset + i]) << (8 * i);
    out = static_cast<T>(v);
    return true;
}

// The value, or 0 when it does not fit: for fields whose absence the caller checks separately.
template <class T>
T Get(Bytes b, std::uint64_t offset) {
    T v{};
    Read(b, offset, v);
    return v;
}

// A counted name (length byte, then the characters); false when it does not fit.
inline bool ReadCountedName(Bytes b, std::uint64_t offset, std::string_view& out) {
    std::uint8_t n = 0;
    if (!Read(b, offset, n) || !Fits(b, offset + 1, n)) return false;
    out = std::string_view(reinterpret_cast<const char*>(b.data() + offset + 1), n);
    return true;
}

// A zero-terminated text of at most `limit` bytes; false when no terminator comes in time.
inline bool ReadZeroName(Bytes b, std::uint64_t offset, std::size_t limit, std::string_view& out) {
    if (offset >= b.size()) return false;
    std::size_t n = 0;
    while (offset + n < b.size() && n < limit && b[offset + n] != 0) ++n;
    if (offset + n >= b.size() || b[offset + n] != 0) return false;
    out = std::string_view(reinterpret_cast<const char*>(b.data() + offset), n);
    return true;
}

}  // namespace tarvo::binary
