// What one screen row shows: the line's text with its tabs expanded, and the colour of each
// part (keywords, comments, preprocessor directives, Fortran continuation marks, inactive
// code, breakpoint lines).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/comments.h"
#include "editor/language.h"

namespace tarvo::editor {

// The colours a row is drawn in; the window side maps them to the settings' colours.
enum class Ink : std::uint8_t { Text, Keyword, Comment, Inactive, Breakpoint, FortranMark };

// Display columns [start, end) drawn in one colour.
struct InkRun {
    long start = 0;
    long end = 0;
    Ink ink = Ink::Text;
    bool operator==(const InkRun&) const = default;
};

// The line's text for display: each tab becomes blanks up to the next multiple of the tab
// width. `columns`, when given, receives the display column of every character and, last,
// the width of the whole line.
std::string FillRow(std::string_view line, long tabWidth, std::vector<long>* columns = nullptr);

struct RowStyle {
    const Language* language = nullptr;  // null: plain text
    bool colouring = true;               // keywords, comments and directives in their colours
    bool marginMarks = false;            // breakpoints shown in the margin, not by the row's colour
};

// The colour runs of a line, covering its whole display width; `columns` as FillRow gives it,
// `comments` the line's comment spans (character indexes) or null.
std::vector<InkRun> ColourRow(std::string_view line, const std::vector<long>& columns, std::uint8_t marks,
                              const LineComments* comments, const RowStyle& style);

// The margin mark of a line: 0 none, 1 the light mark (debugger mark 0x04, or a breakpoint
// when marks are shown in the margin), 2 the dark mark (debugger mark 0x80).
int MarginMark(std::uint8_t marks, bool marginMarks);

}  // namespace tarvo::editor
