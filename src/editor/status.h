// Texts an editor window shows about its document: the title with the marks of a modified or
// read-only document, and the cursor position for the status line.
#pragma once
#include <string>
#include <string_view>

#include "editor/document.h"

namespace tarvo::editor {

// "* name" when modified, "name [read only]" when read-only.
std::string WindowTitle(const Document& doc);
// "Line n  Col c", both counted from 1; the column is the display column.
std::string CursorPositionText(const View& view);

// A line number typed by the user: digits with optional blanks around them, from 1 to
// `lineCount`; 0 for anything else.
long ParseLineNumber(std::string_view text, long lineCount);

}  // namespace tarvo::editor
