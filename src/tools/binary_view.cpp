#include "tools/binary_view.h"

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "editor/byte_search.h"
#include "platform/text.h"

namespace tarvo::tools {
namespace {

std::uint32_t Load(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint32_t(p[i]) << (8 * i);
    return v;
}

// Three formats per representation: hexadecimal, octal and decimal base. The decimal longs
// carry a blank of their own, so that -2147483648 does not run into the value before it.
constexpr const char* kShortU[] = {"%4X ", "%5o ", "%5u "};
constexpr const char* kShortS[] = {"%4X ", "%5o ", "%6d "};
constexpr const char* kLongU[] = {"%8X ", "%15o ", "%11u "};
constexpr const char* kLongS[] = {"%8X ", "%15o ", "%11d "};
constexpr const char* kInversed[] = {"%11x ", "%11o ", "%11d "};

const char* FormatOf(Representation r, NumberBase base) {
    const int b = static_cast<int>(base);
    switch (r) {
    case Representation::UnsignedShort: return kShortU[b];
    case Representation::SignedShort: return kShortS[b];
    case Representation::UnsignedLong: return kLongU[b];
    case Representation::SignedLong: return kLongS[b];
    case Representation::BitInversed: return kInversed[b];
    default: return "";
    }
}

// A digit's value, or -1.
int DigitOf(char c, bool hex) {
    if (c >= '0' && c <= '9') return c - '0';
    if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Floating-point values are formatted with the exceptions masked: a signalling NaN or a
// denormal in the data must not stop the program.
template <class T>
std::string FormatFloating(const std::uint8_t* item) {
    T v;
    std::memcpy(&v, item, sizeof v);
    std::fenv_t saved;
    std::feholdexcept(&saved);
    std::string text = Printf("%16e ", static_cast<double>(v));
    std::fesetenv(&saved);
    return text;
}

}  // namespace

int ItemSize(Representation r) {
    switch (r) {
    case Representation::Hexa:
    case Representation::Decimal8: return 1;
    case Representation::UnsignedShort:
    case Representation::SignedShort: return 2;
    case Representation::Double: return 8;
    default: return 4;
    }
}

std::uint32_t ReverseBits(std::uint32_t v) {
    std::uint32_t r = 0;
    for (int i = 0; i < 32; ++i, v >>= 1) r = (r << 1) | (v & 1);
    return r;
}

std::string FormatItem(const std::uint8_t* item, Representation r, NumberBase base) {
    switch (r) {
    case Representation::Hexa: return Printf("%02x ", item[0]);
    case Representation::Decimal8: return Printf("%3u ", item[0]);
    case Representation::UnsignedShort: return Printf(FormatOf(r, base), Load(item, 2));
    case Representation::SignedShort: {
        std::uint32_t v = Load(item, 2);
        if (base == NumberBase::Decimal) return Printf(FormatOf(r, base), static_cast<int>(static_cast<std::int16_t>(v)));
        return Printf(FormatOf(r, base), v);
    }
    case Representation::UnsignedLong: return Printf(FormatOf(r, base), Load(item, 4));
    case Representation::SignedLong:
    case Representation::BitInversed: {
        std::uint32_t v = Load(item, 4);
        if (r == Representation::BitInversed) v = ReverseBits(v);
        if (base == NumberBase::Decimal) return Printf(FormatOf(r, base), static_cast<int>(static_cast<std::int32_t>(v)));
        return Printf(FormatOf(r, base), v);
    }
    case Representation::Float: return FormatFloating<float>(item);
    case Representation::Double: return FormatFloating<double>(item);
    }
    return {};
}

std::string FormatOffset(std::uint64_t offset, bool decimal) {
    return Printf(decimal ? "%llu" : "%llx", static_cast<unsigned long long>(offset));
}

int OffsetWidth(std::uint64_t fileSize, bool decimal) {
    std::uint64_t last = fileSize == 0 ? 0 : fileSize - 1;
    return std::max<int>(7, static_cast<int>(FormatOffset(last, decimal).size()));
}

Row FormatRow(std::uint64_t offset, binary::Bytes data, const ViewFormat& format) {
    Row row;
    row.offset = FormatOffset(offset, format.decimalOffsets);
    const std::size_t n = std::min<std::size_t>(data.size(), kBytesPerRow);
    const int size = ItemSize(format.representation);
    for (std::size_t at = 0; at + static_cast<std::size_t>(size) <= n; at += static_cast<std::size_t>(size)) {
        row.data += FormatItem(data.data() + at, format.representation, format.base);
        if (format.representation == Representation::Hexa && at == 7) row.data += ' ';
    }
    for (std::size_t i = 0; i < n; ++i) row.chars += data[i] < 32 || data[i] >= 128 ? '.' : static_cast<char>(data[i]);
    return row;
}

std::string RowText(const Row& row, int offsetWidth, const ViewFormat& format) {
    const std::uint8_t zero[8] = {};
    const int items = kBytesPerRow / ItemSize(format.representation);
    const std::size_t width = static_cast<std::size_t>(items) * FormatItem(zero, format.representation, format.base).size() +
                              (format.representation == Representation::Hexa ? 1 : 0);
    std::string text(row.offset.size() < static_cast<std::size_t>(offsetWidth) ? offsetWidth - row.offset.size() : 0, ' ');
    text += row.offset;
    text += "  ";
    text += row.data;
    if (row.data.size() < width) text.append(width - row.data.size(), ' ');
    text += ' ';
    text += row.chars;
    return text;
}

ScrollScale ScaleFor(std::uint64_t fileSize) {
    ScrollScale s;
    s.rows = (fileSize + kBytesPerRow - 1) / kBytesPerRow;
    constexpr std::uint64_t kLimit = std::numeric_limits<std::int32_t>::max();
    s.unit = s.rows <= kLimit ? 1 : (s.rows + kLimit - 1) / kLimit;
    return s;
}

int ScrollPosition(const ScrollScale& s, std::uint64_t row) { return static_cast<int>(row / s.unit); }

std::uint64_t RowAtPosition(const ScrollScale& s, int position) {
    std::uint64_t row = static_cast<std::uint64_t>(std::max(position, 0)) * s.unit;
    return s.rows == 0 ? 0 : std::min(row, s.rows - 1);
}

ValueProblem AddValue(std::string_view text, ValueKind kind, bool hex, std::vector<std::uint8_t>& pattern) {
    if (kind == ValueKind::Text) {
        if (text.empty()) return ValueProblem::Empty;
        pattern.insert(pattern.end(), text.begin(), text.end());
        return ValueProblem::None;
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return ValueProblem::Empty;
    bool negative = !hex && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty()) return ValueProblem::NotANumber;
    const int bits = kind == ValueKind::Bits8 ? 8 : kind == ValueKind::Bits16 ? 16 : 32;
    const std::uint64_t limit = (std::uint64_t{1} << bits) - 1;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = DigitOf(c, hex);
        if (digit < 0) return ValueProblem::NotANumber;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > limit + 1) return ValueProblem::OutOfRange;  // long before it could overflow
    }
    if (negative) {
        if (value > (limit + 1) / 2) return ValueProblem::OutOfRange;
        value = (limit + 1 - value) & limit;
    } else if (value > limit) {
        return ValueProblem::OutOfRange;
    }
    for (int i = 0; i < bits / 8; ++i) pattern.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return ValueProblem::None;
}

SearchResult FindPattern(platform::ReadHandle& file, std::uint64_t from, binary::Bytes pattern, std::uint64_t& found) {
    if (pattern.empty()) return SearchResult::Empty;
    const std::size_t m = pattern.size();
    // The scan looks for the pattern's rarest byte within itself (the 1 of "64 zeros and a 1"),
    // so a pattern made mostly of one byte does not stop at every byte of a file made of it.
    std::size_t counts[256] = {};
    for (std::uint8_t b : pattern) ++counts[b];
    std::size_t anchor = 0;
    for (std::size_t i = 1; i < m; ++i)
        if (counts[pattern[i]] < counts[pattern[anchor]]) anchor = i;
    const char key = static_cast<char>(pattern[anchor]);
    // Chunks overlap by the pattern's length less one, so a match across two is still found.
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const std::size_t capacity = kChunk + m;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[capacity]);
    if (!buffer) return SearchResult::NoMemory;
    for (std::uint64_t at = from; at < file.size && file.size - at >= m;) {
        std::int64_t got = platform::ReadAt(file, at, buffer.get(), capacity);
        if (got < 0) return SearchResult::ReadError;
        const std::size_t n = static_cast<std::size_t>(got);
        if (n < m) break;
        const char* begin = reinterpret_cast<const char*>(buffer.get());
        const char* end = begin + (n - m + 1 + anchor);
        for (const char* p = begin + anchor; p < end; ++p) {
            p = editor::FindByte(p, end, key);
            if (p == end) break;
            const char* start = p - anchor;
            if (std::memcmp(start, pattern.data(), m) == 0) {
                found = at + static_cast<std::uint64_t>(start - begin);
                return SearchResult::Found;
            }
        }
        at += n - m + 1;
    }
    return SearchResult::NotFound;
}

std::uint64_t NextSearchStart(std::uint64_t offset, bool lastWasMatch) { return lastWasMatch ? offset + 1 : offset; }

ChangeResult ApplyChange(const std::string& path, const ChangePlan& plan) {
    // A file changed since the view read it would be rebuilt from bytes the user never saw.
    if (!(platform::StampOf(path) == plan.seen)) return ChangeResult::ChangedOnDisk;
    platform::ReadHandle in;
    if (!platform::OpenForReading(path, in)) return ChangeResult::CannotRead;
    if (in.size != plan.seen.size) return ChangeResult::ChangedOnDisk;
    if (plan.offset > in.size) return ChangeResult::PastEnd;
    const std::uint64_t resume = in.size - plan.offset < plan.removed ? in.size : plan.offset + plan.removed;
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, path) != platform::ReplaceStatus::Ok) return ChangeResult::WriteFailed;
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::unique_ptr<char[]> piece(new (std::nothrow) char[kPiece]);
    if (!piece) return ChangeResult::NoMemory;
    // Copies [first, last) of the old file; a short read fails the whole change.
    auto copy = [&](std::uint64_t first, std::uint64_t last) {
        while (first < last) {
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, last - first));
            if (platform::ReadAt(in, first, piece.get(), want) != static_cast<std::int64_t>(want)) return ChangeResult::CannotRead;
            if (!platform::WriteReplace(out, piece.get(), want)) return ChangeResult::WriteFailed;
            first += want;
        }
        return ChangeResult::Done;
    };
    ChangeResult result = copy(0, plan.offset);
    if (result == ChangeResult::Done &&
        !platform::WriteReplace(out, reinterpret_cast<const char*>(plan.added.data()), plan.added.size()))
        result = ChangeResult::WriteFailed;
    if (result == ChangeResult::Done) result = copy(resume, in.size);
    // Our own handle goes before the move: Windows does not rename over an open file.
    platform::CloseReading(in);
    if (result != ChangeResult::Done) return result;
    switch (platform::FinishReplace(out, plan.backup ? platform::BackupName(path) : std::string())) {
    case platform::ReplaceStatus::Ok: return ChangeResult::Done;
    case platform::ReplaceStatus::CannotReplace: return ChangeResult::CannotReplace;
    default: return ChangeResult::WriteFailed;
    }
}

std::string BlockRange(std::uint64_t first, std::uint64_t last, bool decimal) {
    return FormatOffset(first, decimal) + " - " + FormatOffset(last, decimal);
}

std::string BlockBytes(binary::Bytes lastBytes) {
    std::string text;
    for (std::uint8_t b : lastBytes) text += Printf("%2X ", b);
    return text;
}

std::string BlockChars(binary::Bytes lastBytes) {
    std::string text;
    for (std::uint8_t b : lastBytes) text += b < 32 || b >= 127 ? std::string(" . ") : Printf("%2c ", b);
    return text;
}

bool ParseOffset(std::string_view text, bool hex, std::uint64_t& offset) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        hex = true;
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = DigitOf(c, hex);
        if (digit < 0) return false;
        const std::uint64_t radix = hex ? 16 : 10;
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(digit)) / radix) return false;
        value = value * radix + static_cast<std::uint64_t>(digit);
    }
    offset = value;
    return true;
}

}  // namespace tarvo::tools
