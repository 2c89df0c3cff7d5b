// The selection of the current view (a stream of characters between the anchor and the
// cursor), the cut buffer, and its exchange with the system clipboard.
#pragma once
#include <string>

#include "editor/cursor.h"

namespace tarvo::editor {

struct Extent {
    Line* line = nullptr;  // where the selection starts
    long column = 0;
    Position start;
    long count = 0;  // characters covered, a line end counting one
};

bool HasSelection();
void ClearSelection();
// Starts a selection at the cursor unless one exists.
void StartSelection();
// False when nothing is selected; false with the error "Internal error" when the anchor is not
// a place in the document.
bool SelectionExtent(Extent& extent);
std::string SelectionText();
// Deletes the selected characters; the cursor goes to where they started.
bool DeleteSelection();

// The characters from a place on, lines joined by LF.
std::string TextAt(const Document& doc, Line* line, long column, long count);
// Characters from one place to a later one, a line end counting one.
long CharactersBetween(const Document& doc, Line* from, long fromColumn, Line* to, long toColumn);

// The selection into the cut buffer and onto the clipboard (line ends as CR LF).
bool Copy();
// Copy, then the selection is deleted (a read-only document only copies).
bool Cut();
// The selection goes into the cut buffer and out of the text; the clipboard is left alone
// (typing over a selection must not lose what the user copied elsewhere).
bool DeleteSelectionToCutBuffer();
// The clipboard's text (without CR) replaces the cut buffer, and then the selection, if any;
// returns the number of characters inserted.
long Paste();
// Inserts text at the cursor (LF splits the line) and counts the characters it put in, line
// ends included: what Undo takes out again for a paste or an insertion.
long InsertCounted(std::string_view text);
// Writes the cut buffer to a file, each line ended with CR LF.
bool CopyToFile(const std::string& path);

}  // namespace tarvo::editor
