// What the scroll bars, the mouse wheel and a drag past the window's edge do to the current
// view. The window side turns its messages into these requests and draws the result.
#pragma once
#include <cstdint>

#include "editor/screen.h"

namespace tarvo::editor {

enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, Top, Bottom, Thumb, None };

// The vertical bar on the current view of `window`: a line step scrolls the text by the
// settings' sub-scroll lines, a page moves the cursor a page, Top and Bottom go to the ends,
// the thumb goes to the line its position stands for (`bar` as last set) and centres it. Each
// is logged as a scroll, so Undo puts the cursor back; one that moved nothing is not.
void ScrollVertically(std::uintptr_t window, ScrollRequest request, long thumb, const ScrollBar& bar);
// The horizontal bar: the first display column shown after the request (a page is half the
// `columns` shown, never below column 0).
long ScrolledLeftColumn(long left, ScrollRequest request, long columns, long thumb);
// The mouse wheel: three rows per notch of 120, towards the end for a negative delta.
void ScrollByWheel(std::uintptr_t window, int delta);

// The left button pressed on a place of the current view of `window`: logged as a click, so
// Undo puts the cursor back. With Shift the selection is extended from its anchor (or from the
// cursor) to the place; else the cursor goes there and anchors the selection a drag may make.
void PressAt(std::uintptr_t window, Line* line, long column, bool extend);
// The drag ended: a selection of nothing is no selection.
void DragEnded();
// Dragging with the mouse above the window (-1), below it (1) or inside it (0).
int DragDirection(int y, int height);
// A tick of the drag timer: the cursor one line towards the mouse, at its display column.
bool DragStep(int direction, long displayColumn);

}  // namespace tarvo::editor
