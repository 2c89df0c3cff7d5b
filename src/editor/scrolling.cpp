#include "editor/scrolling.h"

#include <algorithm>

#include "editor/cursor.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

constexpr int kWheelNotch = 120;
constexpr long kRowsPerNotch = 3;

// Logged before it acts; the record goes again when the scroll moved nothing.
template <class Move>
void LoggedScroll(std::uintptr_t window, Move move) {
    LogAction(window, kActionScroll, 0, 0);
    if (!move()) DropLastAction();
}

}  // namespace

void ScrollVertically(std::uintptr_t window, ScrollRequest request, long thumb, const ScrollBar& bar) {
    View* view = CurrentView();
    if (!view) return;
    View& v = *view;
    Document& d = *v.document;
    const long step = std::max(1L, base::settings().subScroll);
    switch (request) {
    case ScrollRequest::LineUp:
    case ScrollRequest::LineDown:
        LoggedScroll(window, [&] { return ScrollRows(v, request == ScrollRequest::LineUp ? -step : step, v.rows); });
        break;
    case ScrollRequest::PageUp:
    case ScrollRequest::PageDown:
    case ScrollRequest::Top:
    case ScrollRequest::Bottom:
        LoggedScroll(window, [&] {
            ClearSelection();
            switch (request) {
            case ScrollRequest::PageUp: return PageUp();
            case ScrollRequest::PageDown: return PageDown();
            case ScrollRequest::Top: return MoveToTop();
            default: return MoveToEnd();
            }
        });
        break;
    case ScrollRequest::Thumb: {
        long line = LineOfScrollPosition(thumb, bar, d.lineCount);
        if (d.lineCount == 0 || line == LineIndex(d, v.cursorLine)) break;
        LoggedScroll(window, [&] {
            ClearSelection();
            if (!GoToLine(line)) return false;
            CentreCursor();
            return true;
        });
        break;
    }
    case ScrollRequest::None:
        break;
    }
}

long ScrolledLeftColumn(long left, ScrollRequest request, long columns, long thumb) {
    const long page = std::max(1L, columns / 2);
    switch (request) {
    case ScrollRequest::LineUp: --left; break;
    case ScrollRequest::LineDown: ++left; break;
    case ScrollRequest::PageUp: left -= page; break;
    case ScrollRequest::PageDown: left += page; break;
    case ScrollRequest::Top: left = 0; break;
    case ScrollRequest::Thumb: left = thumb; break;
    default: break;
    }
    return std::max(0L, left);
}

void ScrollByWheel(std::uintptr_t window, int delta) {
    View* view = CurrentView();
    if (!view) return;
    long rows = -delta / kWheelNotch * kRowsPerNotch;
    if (rows == 0) return;
    LoggedScroll(window, [&] { return ScrollRows(*view, rows, view->rows); });
}

void PressAt(std::uintptr_t window, Line* line, long column, bool extend) {
    LogAction(window, kActionLeftClick, 0, 0);
    if (extend) StartSelection();
    else ClearSelection();
    SetCursorLine(line, column);
    if (!extend) StartSelection();
    CurrentView()->redraw |= kRedrawCursor;
}

void DragEnded() {
    View* v = CurrentView();
    if (v && v->anchorLine == v->cursorLine && v->anchorColumn == v->cursorColumn) ClearSelection();
}

int DragDirection(int y, int height) { return y < 0 ? -1 : y >= height ? 1 : 0; }

bool DragStep(int direction, long displayColumn) {
    if (direction == 0 || !CurrentView()) return false;
    if (!(direction < 0 ? MoveUp(1) : MoveDown(1))) return false;
    GoToDisplayColumn(displayColumn);
    return true;
}

}  // namespace tarvo::editor
