#include "editor/cursor.h"

#include <algorithm>

namespace tarvo::editor {
namespace {

View& V() { return *CurrentView(); }

// Puts the cursor at a line and character index; true when it moved.
bool Place(Line* line, long column) {
    View& v = V();
    column = line == v.document->lines ? 0 : std::clamp<long>(column, 0, line->length);
    bool moved = line != v.cursorLine || column != v.cursorColumn;
    v.cursorLine = line;
    v.cursorColumn = column;
    v.redraw |= kRedrawCursor;
    return moved;
}

long ColumnAtGoal(Line* line) {
    View& v = V();
    return line == v.document->lines ? 0 : static_cast<long>(IndexAtDisplayColumn(LineText(*line), v.goalColumn));
}

Line* StepLines(Line* line, long count, const Document& d) {
    for (; count > 0 && line->next != d.lines; --count) line = line->next;
    for (; count < 0 && line->prev != d.lines; ++count) line = line->prev;
    return line;
}

}  // namespace

void KeepGoalColumn() {
    View& v = V();
    v.goalColumn = v.cursorLine == v.document->lines ? 0 : DisplayColumn(*v.cursorLine, static_cast<std::size_t>(v.cursorColumn));
}

Position CursorPosition() {
    View& v = V();
    return {LineIndex(*v.document, v.cursorLine), v.cursorColumn};
}

void SetCursorLine(Line* line, long column) {
    Place(line, column);
    KeepGoalColumn();
}

void SetCursor(Position at) {
    Document& d = *V().document;
    Line* line = at.line > d.lineCount ? d.lines : LineAtNumber(d, std::max(1L, at.line));
    SetCursorLine(line ? line : d.lines, at.column);
}

bool MoveLeft(long count) {
    View& v = V();
    const Document& d = *v.document;
    Line* line = v.cursorLine;
    long column = v.cursorColumn;
    if (count < 1) return false;
    if (line == d.lines) {
        if (d.lines->prev == d.lines) return false;
        line = d.lines->prev;
        column = line->length;
        --count;
    }
    while (count > 0) {
        if (column >= count) {
            column -= count;
            break;
        }
        if (line->prev == d.lines) {
            column = 0;
            break;
        }
        count -= column + 1;
        line = line->prev;
        column = line->length;
    }
    bool moved = Place(line, column);
    KeepGoalColumn();
    return moved;
}

bool MoveRight(long count) {
    View& v = V();
    const Document& d = *v.document;
    Line* line = v.cursorLine;
    long column = v.cursorColumn;
    if (count < 1 || line == d.lines) return false;
    while (count > 0) {
        long available = static_cast<long>(line->length) - column;
        if (available >= count) {
            column += count;
            break;
        }
        if (line->next == d.lines) {
            column = line->length;
            break;
        }
        count -= available + 1;
        line = line->next;
        column = 0;
    }
    bool moved = Place(line, column);
    KeepGoalColumn();
    return moved;
}

bool MoveUp(long count) {
    View& v = V();
    const Document& d = *v.document;
    if (count < 1 || d.lineCount == 0) return false;
    Line* line = v.cursorLine;
    if (line == d.lines) {
        line = d.lines->prev;
        --count;
    }
    line = StepLines(line, -count, d);
    return Place(line, ColumnAtGoal(line));
}

bool MoveDown(long count) {
    View& v = V();
    const Document& d = *v.document;
    if (count < 1 || v.cursorLine == d.lines) return false;
    Line* line = StepLines(v.cursorLine, count, d);
    return Place(line, ColumnAtGoal(line));
}

bool MoveToTop() {
    bool moved = Place(V().document->lines->next, 0);
    KeepGoalColumn();
    return moved;
}

bool MoveToEnd() {
    Line* last = V().document->lines->prev;
    bool moved = Place(last, last->length);
    KeepGoalColumn();
    return moved;
}

bool MoveToLineStart() {
    bool moved = Place(V().cursorLine, 0);
    KeepGoalColumn();
    return moved;
}

bool MoveToLineEnd() {
    View& v = V();
    bool moved = Place(v.cursorLine, v.cursorLine == v.document->lines ? 0 : v.cursorLine->length);
    KeepGoalColumn();
    return moved;
}

bool GoToLine(long number) {
    const Document& d = *V().document;
    if (d.lineCount == 0) return false;
    Line* line = LineAtNumber(d, std::clamp(number, 1L, d.lineCount));
    bool moved = Place(line, 0);
    KeepGoalColumn();
    return moved;
}

bool GoToDisplayColumn(long column) {
    View& v = V();
    if (v.cursorLine == v.document->lines) return false;
    bool moved = Place(v.cursorLine, static_cast<long>(IndexAtDisplayColumn(LineText(*v.cursorLine), column)));
    KeepGoalColumn();
    return moved;
}

bool WordLeft() {
    View& v = V();
    const Document& d = *v.document;
    Line* line = v.cursorLine;
    if (line == d.lines) return MoveLeft(1);
    long column = v.cursorColumn;
    if (column == 0) {
        if (line->prev == d.lines) return false;
        return MoveLeft(1);
    }
    std::string_view text = LineText(*line);
    while (column > 0 && !IsWordChar(text[column - 1])) --column;
    while (column > 0 && IsWordChar(text[column - 1])) --column;
    bool moved = Place(line, column);
    KeepGoalColumn();
    return moved;
}

bool WordRight() {
    View& v = V();
    const Document& d = *v.document;
    Line* line = v.cursorLine;
    if (line == d.lines) return false;
    std::string_view text = LineText(*line);
    long column = v.cursorColumn;
    long length = static_cast<long>(text.size());
    if (column >= length) {
        if (line->next == d.lines) return false;
        return MoveRight(1);
    }
    while (column < length && IsWordChar(text[column])) ++column;
    while (column < length && !IsWordChar(text[column])) ++column;
    bool moved = Place(line, column);
    KeepGoalColumn();
    return moved;
}

namespace {

bool Page(long direction) {
    View& v = V();
    const Document& d = *v.document;
    if (d.lineCount == 0) return false;
    long step = std::max(v.rows - 2, 1) * direction;
    if (v.topLine == d.lines || !v.topLine) v.topLine = d.lines->next;
    v.topLine = StepLines(v.topLine, step, d);
    Line* line = v.cursorLine == d.lines ? d.lines->prev : v.cursorLine;
    line = StepLines(line, step, d);
    v.redraw |= kRedrawAll;
    return Place(line, ColumnAtGoal(line));
}

}  // namespace

bool PageUp() { return Page(-1); }
bool PageDown() { return Page(1); }

void CentreCursor() {
    View& v = V();
    const Document& d = *v.document;
    Line* line = v.cursorLine == d.lines ? d.lines->prev : v.cursorLine;
    int row = 0;
    for (; row < v.rows / 2 && line != d.lines && line->prev != d.lines; ++row) line = line->prev;
    v.topLine = line == d.lines ? d.lines->next : line;
    v.cursorRow = row;
    v.redraw |= kRedrawAll;
}

bool WordAtCursor(long& start, long& end) {
    View* v = CurrentView();
    if (!v || v->cursorLine == v->document->lines) return false;
    WordSpan w = WordAround(LineText(*v->cursorLine), static_cast<std::size_t>(std::max(0L, v->cursorColumn)));
    start = static_cast<long>(w.start), end = static_cast<long>(w.end);
    return start < end;
}

std::string WordAtCursor() {
    long start = 0, end = 0;
    if (!WordAtCursor(start, end)) return "";
    return std::string(LineText(*CurrentView()->cursorLine).substr(start, end - start));
}

}  // namespace tarvo::editor
