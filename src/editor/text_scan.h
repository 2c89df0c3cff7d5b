// Searching the text of many lines at once. The lines of a loaded file lie back to back in the
// document's load block, so a literal is looked for in the whole stretch of memory in one
// search instead of line by line; only the line it is found in is then looked at.
#pragma once
#include <cstddef>
#include <string_view>

#include "editor/document.h"
#include "editor/regex.h"

namespace tarvo::editor {

// The first line from `line` on (in `line` itself from `column` on) whose text holds the
// needle, not going as far as `stop`; `stop` when none does before it, the sentinel when none
// does at all. An empty needle gives `line`. `at` receives the needle's column in the line found.
Line* NextLineHolding(const Document& doc, Line* line, std::size_t column, const RegexNeedle& needle, const Line* stop,
                      std::size_t* at = nullptr);

// The same for a pattern kept as a row of pieces (Regex::pieceLoop), not anchored, whose first
// piece is taken at least once: the first line where a match may begin, at or after `column`
// in `line`; `at` receives the column of the first place in it where one may begin. Lines
// passed over hold no match; the line found may still hold none. `length` receives the length
// of the match at `at` when that place is sure to be the match (see FindRowStart), else npos;
// it holds for the line found only when it ends within the line.
Line* NextLineWithRowStart(const Document& doc, Line* line, std::size_t column, const Regex& re, const Line* stop,
                           std::size_t* at = nullptr, std::size_t* length = nullptr);

// The first line from `line` on, not going as far as `stop`, whose text begins with `literal`
// (or ends with it); `stop`, or the sentinel, when none does.
Line* NextLineWithEdge(const Document& doc, Line* line, std::string_view literal, bool atStart, const Line* stop);

// The literal every match of the program holds, null when there is none to look for.
const RegexNeedle* RequiredLiteral(const Regex& re);

}  // namespace tarvo::editor
