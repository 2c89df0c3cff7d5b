#include "editor/screen.h"

#include <algorithm>

#include "editor/comments.h"

namespace tarvo::editor {
namespace {

Line* FirstShown(const Document& d, Line* top) {
    if (d.lineCount == 0) return d.lines;
    return top && top != d.lines ? top : d.lines->next;
}

long DisplayColumnOf(const Document& d, const Line* line, long column) {
    if (line == d.lines) return 0;
    return DisplayColumn(*line, static_cast<std::size_t>(std::clamp<long>(column, 0, line->length)));
}

// The selection of a view as line numbers and display columns, first place first.
struct Selection {
    bool any = false;
    long firstLine = 0, firstColumn = 0, lastLine = 0, lastColumn = 0;
};

Selection SelectionOf(const View& v) {
    Selection s;
    if (!v.anchorLine) return s;
    const Document& d = *v.document;
    long anchor = LineIndex(d, v.anchorLine), cursor = LineIndex(d, v.cursorLine);
    long anchorColumn = DisplayColumnOf(d, v.anchorLine, v.anchorColumn);
    long cursorColumn = DisplayColumnOf(d, v.cursorLine, v.cursorColumn);
    if (anchor == 0 || cursor == 0) return s;  // not places of this document
    bool anchorFirst = anchor < cursor || (anchor == cursor && anchorColumn < cursorColumn);
    s.firstLine = anchorFirst ? anchor : cursor;
    s.firstColumn = anchorFirst ? anchorColumn : cursorColumn;
    s.lastLine = anchorFirst ? cursor : anchor;
    s.lastColumn = anchorFirst ? cursorColumn : anchorColumn;
    s.any = s.firstLine != s.lastLine || s.firstColumn != s.lastColumn;
    return s;
}

void FillScreenRow(Document& d, const Line* line, const RowStyle& style, ScreenRow& row) {
    row = ScreenRow{};
    row.line = line;
    if (!line || line == d.lines) return;
    std::vector<long> columns;
    std::string_view text = LineText(*line);
    row.text = FillRow(text, TabWidth(), &columns);
    row.marks = line->marks;
    std::optional<LineComments> comments;
    if (style.colouring && style.language) comments = CommentsOfLine(d, line);
    row.runs = ColourRow(text, columns, line->marks, comments ? &*comments : nullptr, style);
}

}  // namespace

DisplayState& display() {
    static DisplayState state;
    return state;
}

Screen& ScreenOf(const View& view) { return display().screens[&view]; }
void ForgetScreen(const View& view) { display().screens.erase(&view); }
void InvalidateScreen(const View& view) { ScreenOf(view).valid = false; }

int KeepCursorInView(View& v, int rows, bool* recentred) {
    Document& d = *v.document;
    rows = std::max(rows, 1);
    if (recentred) *recentred = false;
    v.topLine = FirstShown(d, v.topLine);
    Line* line = v.topLine;
    for (int r = 0; r < rows; ++r) {
        if (line == v.cursorLine) {
            v.cursorRow = r;
            return 0;
        }
        if (line == d.lines) break;
        line = line->next;
    }
    if (line == v.cursorLine && v.topLine != d.lines) {  // just below the last row
        v.topLine = v.topLine->next;
        v.cursorRow = rows - 1;
        return 1;
    }
    if (v.topLine->prev == v.cursorLine && v.cursorLine != d.lines) {  // just above the first row
        v.topLine = v.cursorLine;
        v.cursorRow = 0;
        return -1;
    }
    line = v.cursorLine;
    int row = 0;
    while (row < rows / 2 && line->prev != d.lines) {
        line = line->prev;
        ++row;
    }
    v.topLine = line;
    v.cursorRow = row;
    if (recentred) *recentred = true;
    return 0;
}

bool FollowCursorSideways(View& v, long columns) {
    columns = std::max(columns, 1L);
    long at = DisplayColumnOf(*v.document, v.cursorLine, v.cursorColumn);
    long left = v.leftColumn;
    if (at < left) left = std::max(0L, at - columns / 4);
    else if (at >= left + columns) left = at - columns * 3 / 4;
    if (left == v.leftColumn) return false;
    v.leftColumn = left;
    return true;
}

ScreenUpdate UpdateScreen(View& v, const ScreenGeometry& g, bool follow) {
    Document& d = *v.document;
    Screen& screen = ScreenOf(v);
    ScreenUpdate update;
    int visible = std::max(g.visibleRows, 1);
    bool moved = v.cursorLine != screen.cursorLine || v.cursorColumn != screen.cursorColumn;
    if (follow) {
        KeepCursorInView(v, g.fullRows);
        if (moved || !screen.valid) FollowCursorSideways(v, g.columns);
    } else {
        v.topLine = FirstShown(d, v.topLine);
    }
    update.all = !screen.valid || (v.redraw & kRedrawAll) || screen.leftColumn != v.leftColumn ||
                 static_cast<int>(screen.rows.size()) != visible || screen.fullRows != g.fullRows;
    update.caretShape = (v.redraw & kRedrawOvertype) != 0;

    RowStyle style;
    style.language = d.language;
    style.colouring = d.language != nullptr;
    style.marginMarks = display().options.marginMarks;
    Selection selection = SelectionOf(v);
    long topNumber = selection.any ? LineIndex(d, v.topLine) : 0;

    std::vector<ScreenRow> rows(static_cast<std::size_t>(visible));
    const Line* line = v.topLine;
    int cursorRow = -1;
    for (int r = 0; r < visible; ++r) {
        ScreenRow& row = rows[static_cast<std::size_t>(r)];
        FillScreenRow(d, line, style, row);
        if (line && line == v.cursorLine) cursorRow = r;
        if (selection.any && line) {
            long n = topNumber + r;
            if (n >= selection.firstLine && n <= selection.lastLine) {
                row.selectStart = n == selection.firstLine ? selection.firstColumn : 0;
                row.selectEnd = n == selection.lastLine ? selection.lastColumn : kToEdge;
                if (row.selectStart >= row.selectEnd) row.selectStart = row.selectEnd = 0;
            }
        }
        line = line && line != d.lines ? line->next : nullptr;
    }

    if (!update.all && screen.valid) {
        // A picture that moved by a few rows is scrolled, not drawn again.
        const Line* newTop = rows[0].line;
        const Line* oldTop = screen.rows.empty() ? nullptr : screen.rows[0].line;
        for (int k = 1; k < visible && newTop && newTop != d.lines; ++k)
            if (screen.rows[static_cast<std::size_t>(k)].line == newTop) {
                update.shift = k;
                break;
            }
        for (int k = 1; update.shift == 0 && k < visible && oldTop && oldTop != d.lines; ++k)
            if (rows[static_cast<std::size_t>(k)].line == oldTop) update.shift = -k;
        std::vector<ScreenRow> old(static_cast<std::size_t>(visible));
        for (int r = 0; r < visible; ++r) {
            int from = r + update.shift;
            if (from >= 0 && from < visible) old[static_cast<std::size_t>(r)] = std::move(screen.rows[static_cast<std::size_t>(from)]);
        }
        for (int r = 0; r < visible; ++r) {
            int from = r + update.shift;
            // The old partial row was only partly drawn: where it moves up to it is drawn again.
            bool vacated = from < 0 || from >= visible || (update.shift > 0 && from == visible - 1 && visible > g.fullRows);
            if (vacated || !(old[static_cast<std::size_t>(r)] == rows[static_cast<std::size_t>(r)])) update.dirty.push_back(r);
        }
    }
    screen.rows = std::move(rows);
    screen.leftColumn = v.leftColumn;
    screen.fullRows = g.fullRows;
    screen.cursorLine = v.cursorLine;
    screen.cursorColumn = v.cursorColumn;
    screen.valid = true;

    if (cursorRow >= 0) v.cursorRow = cursorRow;
    long at = DisplayColumnOf(d, v.cursorLine, v.cursorColumn);
    update.caretRow = cursorRow;
    update.caretColumn = at - v.leftColumn;
    update.caretShown = cursorRow >= 0 && cursorRow < visible && update.caretColumn >= 0 && update.caretColumn <= g.columns;
    v.redraw = 0;
    return update;
}

bool ScrollRows(View& v, long rows, int windowRows) {
    Document& d = *v.document;
    if (d.lineCount == 0 || rows == 0) return false;
    windowRows = std::max(windowRows, 1);
    Line* top = FirstShown(d, v.topLine);
    long moved = 0;
    // The last line may go up to the top row, but no further.
    for (; rows > 0 && top->next != d.lines; --rows, ++moved) top = top->next;
    for (; rows < 0 && top->prev != d.lines; ++rows, --moved) top = top->prev;
    if (moved == 0) return false;
    v.topLine = top;
    // Where the cursor is now, counted from the new top; it is pulled onto the edge rows.
    Line* line = top;
    int row = 0;
    bool inside = false;
    for (; row < windowRows; ++row) {
        if (line == v.cursorLine) {
            inside = true;
            break;
        }
        if (line == d.lines) break;
        line = line->next;
    }
    if (!inside) {
        Line* target = top;
        if (moved < 0) {  // the cursor fell below the window: onto the last row
            for (int r = 1; r < windowRows && target->next != d.lines; ++r) target = target->next;
        }
        long goal = v.goalColumn;
        v.cursorLine = target;
        v.cursorColumn = static_cast<long>(IndexAtDisplayColumn(LineText(*target), goal));
        v.goalColumn = goal;
        v.anchorLine = nullptr;
    }
    return true;
}

Place PlaceAt(View& v, int row, long displayColumn) {
    Document& d = *v.document;
    Screen& screen = ScreenOf(v);
    if (d.lineCount == 0) return {d.lines, 0};
    const Line* line = row >= 0 && row < static_cast<int>(screen.rows.size()) ? screen.rows[static_cast<std::size_t>(row)].line : nullptr;
    if (row < 0) line = FirstShown(d, v.topLine);
    if (!line || line == d.lines) {
        Line* last = d.lines->prev;
        return {last, static_cast<long>(last->length)};
    }
    Line* l = const_cast<Line*>(line);
    return {l, static_cast<long>(IndexAtDisplayColumn(LineText(*l), std::max(0L, displayColumn)))};
}

ScrollBar VerticalScrollBar(long lineCount, int rows, long cursorLine) {
    ScrollBar bar;
    if (lineCount < rows || lineCount == 0) return bar;
    bar.scale = lineCount > 32765 ? 10 : 1;
    bar.minimum = 1;
    bar.maximum = lineCount / bar.scale + 1;
    bar.position = std::clamp(cursorLine / bar.scale, bar.minimum, bar.maximum);
    return bar;
}

long LineOfScrollPosition(long position, const ScrollBar& bar, long lineCount) {
    return std::clamp(position * bar.scale, 1L, std::max(lineCount, 1L));
}

}  // namespace tarvo::editor
