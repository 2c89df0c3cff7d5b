// Cursor movement in the current view. Moves ask for a cursor repaint and keep the goal
// column (the display column vertical moves aim for) except the vertical ones.
#pragma once
#include <string>

#include "editor/document.h"

namespace tarvo::editor {

// A place in the text: 1-based line number and character index.
struct Position {
    long line = 0;
    long column = 0;
    bool operator==(const Position&) const = default;
};

Position CursorPosition();
// Puts the cursor at a line number (clamped to the document; past the end is the sentinel)
// and character index (clamped to the line).
void SetCursor(Position at);
void SetCursorLine(Line* line, long column);
// Sets the goal column from the cursor.
void KeepGoalColumn();

// Each returns false when it could not move at all.
bool MoveLeft(long count);   // crossing line starts
bool MoveRight(long count);  // crossing line ends, not beyond the end of the last line
bool MoveUp(long count);
bool MoveDown(long count);
bool MoveToTop();
bool MoveToEnd();
bool MoveToLineStart();
bool MoveToLineEnd();
bool GoToLine(long number);
bool GoToDisplayColumn(long column);
bool WordLeft();
bool WordRight();
bool PageUp();
bool PageDown();
// The cursor line becomes the middle row of the window.
void CentreCursor();

// The word around the cursor: its start and end on the cursor line; false when the cursor is
// not in or just after a word.
bool WordAtCursor(long& start, long& end);
std::string WordAtCursor();

}  // namespace tarvo::editor
