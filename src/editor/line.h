// A line of a document: a node of the document's ring of lines, with a stable identity for as
// long as the line exists, so views, bookmarks, regions and breakpoints can hold it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/large_memory.h"

namespace tarvo::editor {

// Line marks.
inline constexpr std::uint8_t kMarkDebugA = 0x04;     // set by the debugger
inline constexpr std::uint8_t kMarkInactive = 0x08;   // inactive conditional code (grey)
inline constexpr std::uint8_t kMarkMessage = 0x10;    // a build message points here
inline constexpr std::uint8_t kMarkBreakpoint = 0x40;
inline constexpr std::uint8_t kMarkDebugB = 0x80;     // set by the debugger

// A document holds millions of these (one per line of a 100 MB file), so the record is kept
// small: it is packed (x86 reads the fields at any address), the capacity of a text of the
// line's own lives in front of that text, and the flag saying whether the line owns its text
// shares the length's word.
#pragma pack(push, 1)
struct Line {
    Line* next = nullptr;  // the sentinel's next is the first line
    Line* prev = nullptr;  // the sentinel's prev is the last line
    // `length` characters, no line end, not NUL-terminated. Unless `owned` they lie in the
    // document's load block; otherwise the line owns them (see line.cpp for the layout).
    char* text = nullptr;
    std::uint32_t length : 31 = 0;
    std::uint32_t owned : 1 = 0;
    std::uint8_t marks = 0;
    std::uint8_t comments = 0;  // the comment map's state of the line (comments.cpp)
};
#pragma pack(pop)
inline constexpr std::size_t kLongestLine = 0x7FFFFFFF;  // what `length` holds
// Eighteen bytes a line in the 32-bit program: a 100 MB file of short lines fits in twice its size.
static_assert(sizeof(void*) != 4 || sizeof(Line) <= 18, "a line record of the 32-bit program");

inline std::string_view LineText(const Line& line) { return {line.text, line.length}; }

// Lines are allocated in chunks and recycled through a free list: a 100 MB file has millions
// of lines, and one allocation each would cost more than reading the file. The pool owns
// every line made from it and the text they own.
struct LinePool {
    struct Chunk {
        platform::LargeBlock block;
        std::size_t used = 0;  // lines handed out of it
        std::size_t size = 0;  // lines it holds
    };
    std::vector<Chunk> chunks;
    Line* freeList = nullptr;

    LinePool() = default;
    LinePool(LinePool&& other) noexcept;
    LinePool& operator=(LinePool&& other) noexcept;
    ~LinePool();
};

// Throws std::bad_alloc like any allocation.
Line* NewLine(LinePool& pool);
void FreeLine(LinePool& pool, Line* line);

// Text changes; all may throw std::bad_alloc before changing anything. The text inserted
// must not lie in the line itself.
void ReserveText(Line& line, std::size_t length);
void SetText(Line& line, std::string_view text);
void InsertText(Line& line, std::size_t column, std::string_view text);
void InsertRepeated(Line& line, std::size_t column, std::size_t count, char c);
void EraseText(Line& line, std::size_t column, std::size_t count);  // never allocates
void TruncateText(Line& line, std::size_t length);                 // never allocates

// Display columns: a tab advances to the next multiple of the tab width.
int TabWidth();  // from the settings, at least 1
long DisplayColumn(std::string_view text, std::size_t index);
inline long DisplayColumn(const Line& line, std::size_t index) {
    return DisplayColumn(LineText(line), index);
}
// The character index whose display column is the largest not beyond `column`.
std::size_t IndexAtDisplayColumn(std::string_view text, long column);
// The text with each tab replaced by blanks up to the next tab stop.
std::string ExpandTabs(std::string_view text);
// Display width of the leading blanks and tabs.
long IndentWidth(std::string_view text);
std::size_t IndentLength(std::string_view text);  // their number of characters

// Letters, digits and underscore.
inline bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The word characters touching position `at` (a place between characters): [start, end),
// empty when none does.
struct WordSpan {
    std::size_t start = 0, end = 0;
};
inline WordSpan WordAround(std::string_view text, std::size_t at) {
    WordSpan w{std::min(at, text.size()), std::min(at, text.size())};
    while (w.start > 0 && IsWordChar(text[w.start - 1])) --w.start;
    while (w.end < text.size() && IsWordChar(text[w.end])) ++w.end;
    return w;
}

}  // namespace tarvo::editor
