#include "editor/editor_window_win.h"

#include <windowsx.h>

#include <algorithm>

#include "editor/bookmarks.h"
#include "editor/comments.h"
#include "editor/cursor.h"
#include "editor/document_io.h"
#include "editor/editor_paint_win.h"
#include "editor/file_commands.h"
#include "editor/keys.h"
#include "editor/scrolling.h"
#include "editor/search_dialogs_win.h"
#include "editor/selection.h"
#include "editor/typing.h"
#include "editor/undo.h"
#include "editor/window_messages.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/app_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "base/key_table.h"
#include "base/command_ids.h"

namespace tarvo::editor {
namespace {

constexpr UINT_PTR kDragTimer = 0x2F01;
constexpr UINT kDragPeriodMs = 25;
constexpr UINT kMsgRefresh = WM_APP + 0x141;  // posted: bring the pictures up to date

std::uintptr_t Id(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

// The window's view becomes the current one: every editing operation works on that.
View* Own(HWND window) {
    View* v = ViewOf(window);
    if (v && v != CurrentView()) SetCurrentView(v);
    return v;
}

int HeldModifiers() {
    int held = 0;
    if (GetKeyState(VK_CONTROL) < 0) held |= base::kModCtrl;
    if (GetKeyState(VK_MENU) < 0) held |= base::kModAlt;
    if (GetKeyState(VK_SHIFT) < 0) held |= base::kModShift;
    return held;
}

bool Debugging() { return editor().seam.debugging && editor().seam.debugging(); }

// A key that ran a command must not also type its character (Ctrl+S would run a macro): the
// character the key made is taken out of the queue, and only that one.
void DropCharacter(HWND window, LPARAM keyData) {
    auto scanCode = [](LPARAM data) { return (static_cast<unsigned long>(data) >> 16) & 0xFF; };
    MSG msg;
    for (UINT kind : {WM_CHAR, WM_SYSCHAR})
        if (PeekMessageA(&msg, window, kind, kind, PM_NOREMOVE) && scanCode(msg.lParam) == scanCode(keyData)) {
            PeekMessageA(&msg, window, kind, kind, PM_REMOVE);
            return;
        }
}

void RunCommand(HWND window, int command, LPARAM keyData) {
    DropCharacter(window, keyData);
    HWND frame = base::app().frame;
    if (frame) SendMessageA(frame, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// The documents' text was replaced behind the windows' backs (a reload): draw again soon.
void OnTextReplaced(Document& doc) {
    for (auto& [window, w] : editorWindows().windows) {
        View* v = ViewOf(window);
        if (v && v->document == &doc) {
            InvalidateScreen(*v);
            PostMessageA(window, kMsgRefresh, 0, 0);
        }
    }
}

const DocumentListener kWindowListener = {.textReplaced = OnTextReplaced};


// ---- mouse -----------------------------------------------------------------------------

// The place of the text under a point of the window.
Place PlaceUnder(HWND window, View& v, int x, int y) {
    SyncWindow(window, false);  // the rows must be those of the text as it is now
    int row;
    long column;
    RowAndColumnAt(window, x, y, row, column);
    return PlaceAt(v, row, column);
}

void ButtonDown(HWND window, WPARAM keys, int x, int y) {
    View* v = Own(window);
    EditorWindow* w = WindowState(window);
    if (!v || !w) return;
    if (GetFocus() != window) SetFocus(window);
    Place p = PlaceUnder(window, *v, x, y);
    PressAt(Id(window), p.line, p.column, (keys & MK_SHIFT) != 0);
    w->dragging = true;
    w->dragDirection = 0;
    w->mouse = {x, y};
    SetCapture(window);
}

void EndDrag(HWND window, bool release) {
    EditorWindow* w = WindowState(window);
    if (!w || !w->dragging) return;
    w->dragging = false;
    if (w->dragDirection) KillTimer(window, kDragTimer);
    w->dragDirection = 0;
    if (release) ReleaseCapture();
    if (Own(window)) DragEnded();
}

// Above or below the window the timer scrolls; inside it the cursor follows the mouse.
void DragTo(HWND window, int x, int y) {
    EditorWindow* w = WindowState(window);
    View* v = Own(window);
    if (!w || !v || !w->dragging) return;
    w->mouse = {x, y};
    RECT area;
    GetClientRect(window, &area);
    int direction = DragDirection(y, area.bottom);
    if (direction != w->dragDirection) {
        if (direction) SetTimer(window, kDragTimer, kDragPeriodMs, nullptr);
        else KillTimer(window, kDragTimer);
        w->dragDirection = direction;
    }
    if (direction == 0) {
        Place p = PlaceUnder(window, *v, x, y);
        SetCursorLine(p.line, p.column);
    }
}

void DragTick(HWND window) {
    EditorWindow* w = WindowState(window);
    View* v = Own(window);
    if (!w || !v || !w->dragging || !w->dragDirection) return;
    int row;
    long column;
    RowAndColumnAt(window, w->mouse.x, 0, row, column);
    DragStep(w->dragDirection, column);
}

// ---- scrolling -------------------------------------------------------------------------

ScrollRequest RequestOf(int code) {
    switch (code) {
    case SB_LINEUP: return ScrollRequest::LineUp;
    case SB_LINEDOWN: return ScrollRequest::LineDown;
    case SB_PAGEUP: return ScrollRequest::PageUp;
    case SB_PAGEDOWN: return ScrollRequest::PageDown;
    case SB_TOP: return ScrollRequest::Top;
    case SB_BOTTOM: return ScrollRequest::Bottom;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return ScrollRequest::Thumb;
    default: return ScrollRequest::None;
    }
}

long ThumbPosition(HWND window, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, bar, &info);
    return info.nTrackPos;
}

void VerticalScroll(HWND window, int code) {
    EditorWindow* w = WindowState(window);
    if (!Own(window) || !w) return;
    ScrollRequest request = RequestOf(code);
    long thumb = request == ScrollRequest::Thumb ? ThumbPosition(window, SB_VERT) : 0;
    ScrollVertically(Id(window), request, thumb, w->bar);
}

void HorizontalScroll(HWND window, int code) {
    View* v = Own(window);
    if (!v) return;
    ScrollRequest request = RequestOf(code);
    long thumb = request == ScrollRequest::Thumb ? ThumbPosition(window, SB_HORZ) : 0;
    v->leftColumn = ScrolledLeftColumn(v->leftColumn, request, GeometryOf(window).columns, thumb);
}

// ---- keys ------------------------------------------------------------------------------

bool KeyMessage(HWND window, UINT message, WPARAM key, LPARAM data) {
    View* v = Own(window);
    if (!v) return false;
    int held = HeldModifiers();
    const auto& keys = base::commandKeys();
    if (message == WM_SYSKEYDOWN) {
        // With Alt only the table's bindings; the rest belongs to the menus.
        int command = base::EditorKeyCommand(keys, static_cast<int>(key), held, Debugging());
        if (!command) return false;
        RunCommand(window, command, data);
        return true;
    }
    KeyResult r = KeyDown(Id(window), static_cast<int>(key), held, LOWORD(data), keys, Debugging());
    if (r.command) {
        RunCommand(window, r.command, data);
        return true;
    }
    if (r.handled) RefreshEditorWindows();
    return r.handled;
}

// ---- closing ---------------------------------------------------------------------------

void Destroyed(HWND window) {
    KillTimer(window, kDragTimer);
    DestroyEditorCaret(window);
    if (View* v = ViewOf(window)) ViewClosed(*v);
    EditorWindowsState& s = editorWindows();
    s.windows.erase(window);
    if (s.windows.empty() && s.positionPane) {
        SetWindowTextA(s.positionPane, "");
        s.position.clear();
    }
}

LRESULT Query(HWND window, WPARAM what, LPARAM argument) {
    View* v = ViewOf(window);
    if (!v) return -1;
    const Document& d = *v->document;
    auto lineAt = [&](long n) { return LineAtNumber(d, n); };
    switch (what) {
    case kQueryCursorLine: return LineIndex(d, v->cursorLine);
    case kQueryCursorColumn: return v->cursorColumn;
    case kQueryTopLine: return v->topLine ? LineIndex(d, v->topLine) : 0;
    case kQueryLineCount: return d.lineCount;
    case kQueryAnchorLine: return v->anchorLine ? LineIndex(d, v->anchorLine) : 0;
    case kQueryAnchorColumn: return v->anchorColumn;
    case kQueryFlags: return d.flags;
    case kQueryLeftColumn: return v->leftColumn;
    case kQueryLineMarks: {
        Line* line = lineAt(static_cast<long>(argument));
        return line ? line->marks : -1;
    }
    case kQueryRows: return v->rows;
    case kQueryOvertype: return v->overtype;
    case kQueryLineLength: {
        Line* line = lineAt(static_cast<long>(argument));
        return line ? static_cast<LRESULT>(line->length) : -1;
    }
    case kQueryLineChar: {
        Line* line = lineAt(HIWORD(argument));
        unsigned column = LOWORD(argument);
        return line && column < line->length ? static_cast<unsigned char>(line->text[column]) : -1;
    }
    case kQueryScreenRowLength:
    case kQueryScreenRowChar: {
        const Screen& screen = ScreenOf(*v);
        long row = what == kQueryScreenRowLength ? static_cast<long>(argument) : HIWORD(argument);
        if (row < 0 || row >= static_cast<long>(screen.rows.size())) return -1;
        const std::string& text = screen.rows[static_cast<std::size_t>(row)].text;
        if (what == kQueryScreenRowLength) return static_cast<LRESULT>(text.size());
        unsigned column = LOWORD(argument);
        return column < text.size() ? static_cast<unsigned char>(text[column]) : -1;
    }
    default: return -1;
    }
}

}  // namespace

void RefreshEditorWindows() {
    std::vector<HWND> windows;
    for (auto& [window, w] : editorWindows().windows) windows.push_back(window);
    for (HWND window : windows) SyncWindow(window, false);
    for (HWND window : windows) UpdateWindow(window);
}

LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        Listen(kWindowListener);
        editorWindows().windows[window].window = window;
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* mdi = create ? static_cast<MDICREATESTRUCTA*>(create->lpCreateParams) : nullptr;
        if (auto* doc = mdi ? reinterpret_cast<Document*>(mdi->lParam) : nullptr) {
            View* view = AddView(doc, Id(window));
            ForgetScreen(*view);
            SetCurrentView(view);
        }
        break;
    }
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == window) {
            Own(window);
            PostMessageA(window, kMsgRefresh, 0, 0);
        }
        break;
    case WM_SETFOCUS:
        Own(window);
        CreateEditorCaret(window);
        RefreshEditorWindows();
        break;
    case WM_KILLFOCUS:
        DestroyEditorCaret(window);
        break;
    case WM_SIZE:
        if (View* v = ViewOf(window)) InvalidateScreen(*v);
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_ERASEBKGND:
        return 1;  // every row paints its own background
    case WM_PAINT:
        PaintWindow(window);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (KeyMessage(window, message, wParam, lParam)) return 0;
        break;
    case WM_CHAR:
        if (Own(window)) {
            bool ctrl = GetKeyState(VK_CONTROL) < 0;
            HandleCharacter(Id(window), static_cast<unsigned char>(wParam), std::max(1, static_cast<int>(LOWORD(lParam))), ctrl);
            RefreshEditorWindows();
        }
        return 0;
    case WM_LBUTTONDOWN:
        ButtonDown(window, wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        RefreshEditorWindows();
        return 0;
    case WM_MOUSEMOVE:
        if (EditorWindow* w = WindowState(window); w && w->dragging) {
            DragTo(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            RefreshEditorWindows();
        }
        return 0;
    case WM_LBUTTONUP:
        EndDrag(window, true);
        RefreshEditorWindows();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) EndDrag(window, false);
        break;
    case WM_LBUTTONDBLCLK:
        if (Own(window)) {
            LogAction(Id(window), kActionLeftClick, 0, 0);
            if (!RunSelectionCommand(CMD_SELECT_WORD)) DropLastAction();
            RefreshEditorWindows();
        }
        return 0;
    case WM_RBUTTONDOWN:
        if (View* v = Own(window)) {
            LogAction(Id(window), kActionRightClick, 0, 0);
            if (!HasSelection()) {
                Place p = PlaceUnder(window, *v, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                SetCursorLine(p.line, p.column);
            }
            RefreshEditorWindows();
        }
        return 0;
    case WM_TIMER:
        if (wParam == kDragTimer) {
            DragTick(window);
            RefreshEditorWindows();
            return 0;
        }
        break;
    case WM_VSCROLL:
        VerticalScroll(window, LOWORD(wParam));
        RefreshEditorWindows();
        return 0;
    case WM_HSCROLL:
        HorizontalScroll(window, LOWORD(wParam));
        RefreshEditorWindows();
        return 0;
    case WM_MOUSEWHEEL:
        if (Own(window)) {
            ScrollByWheel(Id(window), GET_WHEEL_DELTA_WPARAM(wParam));
            RefreshEditorWindows();
        }
        return 0;
    case kMsgRefresh:
        RefreshEditorWindows();
        return 0;
    case kMsgEditorQuery:
        return Query(window, wParam, lParam);
    case WM_CLOSE:
        if (View* v = ViewOf(window); v && !MayCloseView(*v)) return 0;
        break;
    case WM_DESTROY:
        Destroyed(window);
        break;
    default:
        break;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

}  // namespace tarvo::editor
