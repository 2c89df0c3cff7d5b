// The binary editor's core: any file shown as rows of offset, data and characters in one of
// nine representations, byte patterns built from typed values and searched for, and the
// replacement of a block of bytes through a whole-file replacement. Files are reached through
// the file layer's bounded reads only, so a file of any size is never loaded whole.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "binary/bytes.h"
#include "platform/files.h"

namespace tarvo::tools {

inline constexpr int kBytesPerRow = 16;

enum class Representation {
    Hexa,           // 1 byte, "%02x "
    Decimal8,       // 1 byte, "%3u "
    UnsignedShort,  // 2 bytes
    SignedShort,
    UnsignedLong,   // 4 bytes
    SignedLong,
    BitInversed,    // 4 bytes, the 32 bits in reverse order
    Float,          // 4 bytes, "%16e "
    Double,         // 8 bytes, "%16e "
};
inline constexpr int kRepresentationCount = 9;

enum class NumberBase { Hexadecimal, Octal, Decimal };

struct ViewFormat {
    Representation representation = Representation::Hexa;
    NumberBase base = NumberBase::Hexadecimal;  // of the data
    bool decimalOffsets = false;
};

// Bytes an item of the representation takes.
int ItemSize(Representation r);
// One item (ItemSize bytes, little-endian) as the representation shows it.
std::string FormatItem(const std::uint8_t* item, Representation r, NumberBase base);
// The 32 bits in reverse order (bit 0 becomes bit 31).
std::uint32_t ReverseBits(std::uint32_t v);

// The offset column's width: that of the file's last offset, at least 7.
int OffsetWidth(std::uint64_t fileSize, bool decimal);
std::string FormatOffset(std::uint64_t offset, bool decimal);

// One row: up to 16 bytes at `offset`. Items the data does not fill (past the end of the file)
// are left blank; the characters show bytes below 32 or of 128 and above as '.'.
struct Row {
    std::string offset, data, chars;
};
Row FormatRow(std::uint64_t offset, binary::Bytes data, const ViewFormat& format);
// The row as one line: the offset right-aligned in `offsetWidth`, the data padded to a full
// row's width, then the characters.
std::string RowText(const Row& row, int offsetWidth, const ViewFormat& format);

// The scroll bar works in 32-bit positions; rows beyond that are scaled down.
struct ScrollScale {
    std::uint64_t rows = 0;  // rows in the file
    std::uint64_t unit = 1;  // rows per scroll position
};
ScrollScale ScaleFor(std::uint64_t fileSize);
int ScrollPosition(const ScrollScale& s, std::uint64_t row);
std::uint64_t RowAtPosition(const ScrollScale& s, int position);

// Search patterns are built from values of these kinds, little-endian.
enum class ValueKind { Bits8, Bits16, Bits32, Text };
enum class ValueProblem { None, Empty, NotANumber, OutOfRange };
// Appends the value's bytes; on a problem `pattern` stays as it was. Numbers are decimal
// (negative ones in two's complement) or, with `hex`, hexadecimal with or without "0x".
ValueProblem AddValue(std::string_view text, ValueKind kind, bool hex, std::vector<std::uint8_t>& pattern);

// The first occurrence of the pattern at or after `from`. Read failures are told apart from
// a miss.
enum class SearchResult { Found, NotFound, ReadError, Empty, NoMemory };
SearchResult FindPattern(platform::ReadHandle& file, std::uint64_t from, binary::Bytes pattern, std::uint64_t& found);
// Where Find next starts: after the last match, or at the offset when there was none.
std::uint64_t NextSearchStart(std::uint64_t offset, bool lastWasMatch);

// A block replacement: `removed` bytes at `offset` give way to `added`.
struct ChangePlan {
    std::uint64_t offset = 0;
    std::uint64_t removed = 0;
    std::vector<std::uint8_t> added;
    bool backup = false;
    platform::FileStamp seen;  // the file as the view read it
};
enum class ChangeResult { Done, ChangedOnDisk, PastEnd, CannotRead, WriteFailed, CannotReplace, NoMemory };
// Writes the bytes before the offset, the new bytes and the old bytes after the block under a
// scratch name and moves that over the file (the old one to its backup name when asked). Any
// failure leaves the file, and an older backup, as they were.
ChangeResult ApplyChange(const std::string& path, const ChangePlan& plan);

// The selected block: "first - last" in the offset base, and its last bytes (at most 200)
// listed as "%2X " and as characters.
std::string BlockRange(std::uint64_t first, std::uint64_t last, bool decimal);
std::string BlockBytes(binary::Bytes lastBytes);
std::string BlockChars(binary::Bytes lastBytes);

// An offset typed for Go to offset: decimal, or hexadecimal with "0x" or a trailing 'h'
// (or always with `hex`). False when it is not a number.
bool ParseOffset(std::string_view text, bool hex, std::uint64_t& offset);

}  // namespace tarvo::tools
