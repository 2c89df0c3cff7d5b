// Changes to the text of the current document at the current view's cursor. Each returns true
// on success and shows its own message on failure ("File is read only" in the status line for
// a read-only document, "No more memory left" when an allocation fails).
#pragma once
#include <string>
#include <string_view>

#include "editor/document.h"

namespace tarvo::editor {

// False (with the status-line message) when the document may not be changed.
bool CanEdit(Document& doc);
// Sets Modified, clears AutoSaved and FunctionsCurrent, asks every view for a repaint and
// tells the listeners.
void MarkChanged(Document& doc, bool oneLine);

bool InsertCharacters(long count, char c);
// Inserts characters without line breaks at the cursor, which moves after them.
bool InsertRun(std::string_view text);
bool SplitLine();
bool JoinLines();
// Deletes count characters from the cursor, a line end counting one; with save, each goes to
// the cut buffer (LF for a line end). `deleted` receives how many went.
bool DeleteForward(long count, bool save, long* deleted = nullptr);
// Moves back count characters and deletes them; nothing at all when the start of the
// document comes first.
bool DeleteBackward(long count);
// Where DeleteBackward(count) starts deleting, and how many characters it deletes; false when
// the start of the document comes first. From after the last line the first step only reaches
// the end of the last line and takes nothing.
bool BackwardExtent(long count, Line*& line, long& column, long& deleting);
// Count line breaks: overtype moves down, one break with automatic indentation indents.
// `indented` receives the number of indentation characters inserted.
bool Newline(long count, long* indented = nullptr);
bool IndentingNewline(long* indented = nullptr);

struct TypedCharacter {
    long column = 0;     // where the characters went in
    std::string removed; // blanks the closing-brace rule took away from there
};
// The typing rules: overtype, the closing brace, then Insert characters.
bool TypeCharacter(char c, long count, TypedCharacter* typed = nullptr);

// LF as a line break (without indentation), everything else as it is.
bool InsertString(std::string_view text);
// Inserts text, breaking a line that grows beyond width - 5 characters after its last blank
// before the cursor.
bool InsertWrappedText(std::string_view text, long width);

// The control rule for one line of C: 1 after '{' or "case ...:", 2 after a condition of
// if/for/while/do or after else, otherwise 0.
int ControlRule(std::string_view line);

// Whole document: leading white space to tabs (and blanks), or to blanks.
bool SpacesToTabs();
bool TabsToSpaces();

}  // namespace tarvo::editor
