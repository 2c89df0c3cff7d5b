// The screen of a view: which line each row of its window shows and how, kept from one update
// to the next so that only rows that changed are drawn again. The update keeps the cursor in
// view (one-row scrolls when it steps just past an edge, re-centring otherwise) and follows it
// sideways; the window side scrolls and draws what the update reports.
#pragma once
#include <climits>
#include <string>
#include <unordered_map>
#include <vector>

#include "editor/document.h"
#include "editor/rows.h"

namespace tarvo::editor {

// A selection running on past the line's end is inverted up to the window's edge.
inline constexpr long kToEdge = LONG_MAX / 4;

struct ScreenRow {
    const Line* line = nullptr;  // null below the text; the sentinel is the place after the last line
    std::string text;            // tabs expanded
    std::vector<InkRun> runs;
    std::uint8_t marks = 0;
    long selectStart = 0;  // display columns shown inverted; equal: none
    long selectEnd = 0;
    bool operator==(const ScreenRow&) const = default;
};

struct Screen {
    std::vector<ScreenRow> rows;  // as last drawn: full rows and a partial one at the bottom
    long leftColumn = 0;
    const Line* cursorLine = nullptr;  // the cursor at the last update, to tell whether it moved
    long cursorColumn = -1;
    int fullRows = 0;
    bool valid = false;
};

struct ScreenGeometry {
    int fullRows = 1;     // rows wholly inside the window
    int visibleRows = 1;  // with a partly visible row at the bottom
    long columns = 1;     // characters across
};

struct ScreenUpdate {
    int shift = 0;           // rows the picture moves up (negative: down) before drawing
    bool all = false;        // every row is to be drawn
    std::vector<int> dirty;  // otherwise these rows
    int caretRow = 0;
    long caretColumn = 0;    // display column on the screen (leftColumn taken off)
    bool caretShown = false; // the cursor is inside the window
    bool caretShape = false; // overtype mode changed
};

struct DisplayOptions {
    bool marginMarks = false;  // breakpoints and debugger marks in a left margin
};

struct DisplayState {
    std::unordered_map<const View*, Screen> screens;
    DisplayOptions options;
};

DisplayState& display();
Screen& ScreenOf(const View& view);
void ForgetScreen(const View& view);

// The cursor's line into the window: nothing when it is shown already, one row when it stands
// just below or above the rows shown, otherwise the window is centred on it. Sets topLine and
// cursorRow; returns the rows the text moved up (negative: down), or 0 with `recentred` set.
int KeepCursorInView(View& view, int rows, bool* recentred = nullptr);
// leftColumn follows the cursor's display column; true when it changed.
bool FollowCursorSideways(View& view, long columns);

// Rebuilds the screen of a view and reports what to draw. `follow` keeps the cursor in view
// (the window's own view); other windows on the same document only redraw what changed.
ScreenUpdate UpdateScreen(View& view, const ScreenGeometry& geometry, bool follow);
// Every row is to be drawn at the next update.
void InvalidateScreen(const View& view);

// Scrolls the text of a view by `rows` (positive: towards the end) without moving the cursor,
// unless it would leave the window; then it stays on the edge row. True when anything moved.
bool ScrollRows(View& view, long rows, int windowRows);

// The place under a screen row and display column: below the text the end of the last line.
struct Place {
    Line* line = nullptr;
    long column = 0;
};
Place PlaceAt(View& view, int row, long displayColumn);

// The vertical scroll bar: with fewer lines than rows its range is 0 to 0 (hidden); otherwise
// 1 to lineCount / d + 1 with the position cursor line / d, where d is 10 above 32,765 lines.
struct ScrollBar {
    long minimum = 0;
    long maximum = 0;
    long position = 0;
    long scale = 1;  // d
};
ScrollBar VerticalScrollBar(long lineCount, int rows, long cursorLine);
// The line number a thumb position stands for.
long LineOfScrollPosition(long position, const ScrollBar& bar, long lineCount);

}  // namespace tarvo::editor
