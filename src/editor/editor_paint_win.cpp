#include "editor/editor_paint_win.h"

#include <algorithm>

#include "editor/status.h"
#include "base/app_win.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

// Fixed colours (0x00BBGGRR).
constexpr COLORREF kInactiveColour = 0x808080;
constexpr COLORREF kBreakpointColour = 0x0000C0;
constexpr COLORREF kFortranMarkColour = 0xFF00FF;
constexpr COLORREF kLightMarkColour = 0xFFFF80;
constexpr COLORREF kDarkMarkColour = 0x800000;
constexpr COLORREF kContinuationColour = 0xC0C0C0;
constexpr COLORREF kMessageLineColour = 0xD8D8FF;  // a pale red under lines the build complained of
constexpr int kPositionPaneWidth = 170;

COLORREF Colour(long setting) { return static_cast<COLORREF>(setting) & 0xFFFFFF; }

COLORREF InkColour(Ink ink) {
    const base::Settings& s = base::settings();
    switch (ink) {
    case Ink::Text: return Colour(s.textColor);
    case Ink::Keyword: return Colour(s.keywordColor);
    case Ink::Comment: return Colour(s.commentColor);
    case Ink::Inactive: return kInactiveColour;
    case Ink::Breakpoint: return kBreakpointColour;
    case Ink::FortranMark: return kFortranMarkColour;
    }
    return Colour(s.textColor);
}

bool FixedPitch(HDC dc, HFONT font, TEXTMETRICA& metrics) {
    HGDIOBJ old = SelectObject(dc, font);
    bool ok = GetTextMetricsA(dc, &metrics) != 0;
    SelectObject(dc, old);
    // The bit is set for a variable-pitch font.
    return ok && !(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
}

void Fill(HDC dc, const RECT& area, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

// The off-screen picture, at least as large as the window: rows are drawn there and copied
// in one piece, so nothing flickers.
HDC RowBuffer(int width, int height) {
    EditorWindowsState& s = editorWindows();
    if (s.rowDC && s.rowWidth >= width && s.rowHeight >= height) return s.rowDC;
    ReleaseEditorPaint();
    HDC screen = GetDC(nullptr);
    s.rowDC = CreateCompatibleDC(screen);
    s.rowWidth = std::max({width, GetSystemMetrics(SM_CXSCREEN), s.rowWidth});
    s.rowHeight = std::max({height, GetSystemMetrics(SM_CYSCREEN), s.rowHeight});
    s.rowBitmap = CreateCompatibleBitmap(screen, s.rowWidth, s.rowHeight);
    s.oldBitmap = SelectObject(s.rowDC, s.rowBitmap);
    ReleaseDC(nullptr, screen);
    return s.rowDC;
}

// Draws row r into the off-screen picture at the row's own place.
void DrawRow(HDC dc, const Screen& screen, int r, int width) {
    const Metrics& m = EditorMetrics();
    const int cw = m.charWidth, rh = m.rowHeight, margin = MarginWidth();
    const int y = r * rh;
    RECT area{0, y, width, y + rh};
    Fill(dc, area, Colour(base::settings().backgroundColor));
    if (r < 0 || r >= static_cast<int>(screen.rows.size())) return;
    const ScreenRow& row = screen.rows[static_cast<std::size_t>(r)];
    if (row.marks & kMarkMessage) Fill(dc, RECT{margin, y, width, y + rh}, kMessageLineColour);
    const long left = screen.leftColumn;
    const long shown = (width - margin + cw - 1) / cw + 1;
    for (const InkRun& run : row.runs) {
        long from = std::max(run.start, left), to = std::min(run.end, left + shown);
        if (from >= to) continue;
        SetTextColor(dc, InkColour(run.ink));
        TextOutA(dc, margin + static_cast<int>(from - left) * cw, y, row.text.data() + from, static_cast<int>(to - from));
    }
    // A line running on past the right edge ends in a small box.
    long fullColumns = (width - margin) / cw;
    if (static_cast<long>(row.text.size()) > left + fullColumns && width > margin + 2 * cw)
        Fill(dc, RECT{width - 2 * cw, y + rh / 4, width - 1, y + rh - rh / 4}, kContinuationColour);
    if (margin > 0) {
        int mark = MarginMark(row.marks, display().options.marginMarks);
        if (mark) Fill(dc, RECT{0, y + 1, margin - 2, y + rh - 1}, mark == 1 ? kLightMarkColour : kDarkMarkColour);
    }
    if (row.selectEnd > row.selectStart) {
        long from = std::max(row.selectStart, left);
        int x0 = margin + static_cast<int>(std::min(from - left, shown)) * cw;
        int x1 = row.selectEnd >= kToEdge ? width : margin + static_cast<int>(std::clamp(row.selectEnd - left, 0L, shown)) * cw;
        if (x1 > x0) {
            RECT inverted{x0, y, std::min(x1, width), y + rh};
            InvertRect(dc, &inverted);
        }
    }
}

void SetScrollBars(HWND window, EditorWindow& w, View& v, const ScreenGeometry& g) {
    const Document& d = *v.document;
    ScrollBar bar = VerticalScrollBar(d.lineCount, g.fullRows, LineIndex(d, v.cursorLine));
    if (bar.minimum != w.bar.minimum || bar.maximum != w.bar.maximum) SetScrollRange(window, SB_VERT, bar.minimum, bar.maximum, FALSE);
    if (bar.position != w.bar.position || bar.maximum != w.bar.maximum) SetScrollPos(window, SB_VERT, bar.position, TRUE);
    w.bar = bar;
    // Sideways: as far as the longest row shown, or where the window stands.
    long longest = 0;
    for (const ScreenRow& row : ScreenOf(v).rows) longest = std::max(longest, static_cast<long>(row.text.size()));
    long maximum = std::max(longest - g.columns + 1, v.leftColumn);
    if (maximum != w.horizontalMax) SetScrollRange(window, SB_HORZ, 0, std::max(maximum, 0L), TRUE);
    if (v.leftColumn != w.horizontalPos || maximum != w.horizontalMax) SetScrollPos(window, SB_HORZ, static_cast<int>(v.leftColumn), TRUE);
    w.horizontalMax = maximum;
    w.horizontalPos = v.leftColumn;
}

void ShowPosition(const View& v) {
    EditorWindowsState& s = editorWindows();
    HWND bar = base::app().outputBar;
    if (!bar) return;
    RECT area;
    GetClientRect(bar, &area);
    RECT pane{area.right - kPositionPaneWidth, area.top, area.right - 4, area.bottom};
    if (!s.positionPane || !IsWindow(s.positionPane)) {
        s.positionPane = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE, pane.left,
                                         pane.top, pane.right - pane.left, pane.bottom - pane.top, bar, nullptr,
                                         base::app().instance, nullptr);
        SendMessageA(s.positionPane, WM_SETFONT, reinterpret_cast<WPARAM>(base::app().proportionalFont), FALSE);
        s.position.clear();
    } else {
        RECT now;
        GetWindowRect(s.positionPane, &now);
        MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&now), 2);
        if (now.left != pane.left || now.bottom != pane.bottom)
            MoveWindow(s.positionPane, pane.left, pane.top, pane.right - pane.left, pane.bottom - pane.top, TRUE);
    }
    std::string text = CursorPositionText(v);
    if (text != s.position) {
        s.position = text;
        SetWindowTextA(s.positionPane, text.c_str());
    }
}

}  // namespace

EditorWindowsState& editorWindows() {
    static EditorWindowsState state;
    return state;
}

EditorWindow* WindowState(HWND window) {
    auto& windows = editorWindows().windows;
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : &it->second;
}

View* ViewOf(HWND window) { return FindView(reinterpret_cast<std::uintptr_t>(window)); }

const Metrics& EditorMetrics() {
    EditorWindowsState& s = editorWindows();
    HFONT wanted = base::app().editorFont ? base::app().editorFont : base::app().fixedFont;
    if (s.metrics.font && s.metricsFont == wanted) return s.metrics;
    s.metricsFont = wanted;
    HDC dc = GetDC(nullptr);
    TEXTMETRICA tm{};
    // Columns are counted in cells, so the font must be fixed-pitch.
    HFONT font = nullptr;
    for (HFONT candidate : {wanted, base::app().fixedFont, static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT))})
        if (candidate && FixedPitch(dc, candidate, tm)) {
            font = candidate;
            break;
        }
    if (!font) {
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
        FixedPitch(dc, font, tm);
    }
    HGDIOBJ old = SelectObject(dc, font);
    SIZE cell{};
    GetTextExtentPoint32A(dc, "M", 1, &cell);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    s.metrics.font = font;
    s.metrics.charWidth = std::max(1, static_cast<int>(cell.cx ? cell.cx : tm.tmAveCharWidth));
    s.metrics.rowHeight = std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
    return s.metrics;
}

int MarginWidth() { return display().options.marginMarks ? EditorMetrics().charWidth : 0; }

ScreenGeometry GeometryOf(HWND window) {
    const Metrics& m = EditorMetrics();
    RECT area;
    GetClientRect(window, &area);
    int height = std::max(0, static_cast<int>(area.bottom - area.top));
    int width = std::max(0, static_cast<int>(area.right - area.left) - MarginWidth());
    ScreenGeometry g;
    g.fullRows = std::max(1, height / m.rowHeight);
    g.visibleRows = std::max(1, (height + m.rowHeight - 1) / m.rowHeight);
    g.columns = std::max(1, width / m.charWidth);
    return g;
}

void RowAndColumnAt(HWND window, int x, int y, int& row, long& column) {
    const Metrics& m = EditorMetrics();
    View* v = ViewOf(window);
    row = y < 0 ? -1 : y / m.rowHeight;
    long left = v ? v->leftColumn : 0;
    column = left + std::max(0, x - MarginWidth() + m.charWidth / 2) / m.charWidth;
}

void CreateEditorCaret(HWND window) {
    EditorWindow* w = WindowState(window);
    View* v = ViewOf(window);
    if (!w || !v) return;
    const Metrics& m = EditorMetrics();
    if (w->caret) DestroyCaret();
    // A whole cell in overtype mode, a third of one otherwise.
    int width = v->overtype ? m.charWidth : std::max(2, m.charWidth / 3);
    CreateCaret(window, nullptr, width, m.rowHeight);
    w->caret = true;
    w->caretOvertype = v->overtype;
    ShowCaret(window);
}

void DestroyEditorCaret(HWND window) {
    EditorWindow* w = WindowState(window);
    if (w && w->caret) {
        DestroyCaret();
        w->caret = false;
    }
}

void SyncWindow(HWND window, bool inPaint) {
    EditorWindow* w = WindowState(window);
    View* v = ViewOf(window);
    if (!w || !v || IsIconic(window)) return;
    const Metrics& m = EditorMetrics();
    ScreenGeometry g = GeometryOf(window);
    v->rows = g.fullRows;
    bool current = v == CurrentView();
    ScreenUpdate u = UpdateScreen(*v, g, current);
    RECT area;
    GetClientRect(window, &area);
    // A picture with parts still to be drawn is drawn whole rather than scrolled.
    bool pending = !inPaint && GetUpdateRect(window, nullptr, FALSE);
    if (u.all || (u.shift && (inPaint || pending))) {
        InvalidateRect(window, nullptr, FALSE);
    } else {
        if (u.shift) {
            HideCaret(window);
            ScrollWindowEx(window, 0, -u.shift * m.rowHeight, nullptr, nullptr, nullptr, nullptr, 0);
            ShowCaret(window);
        }
        for (int r : u.dirty) {
            RECT row{0, r * m.rowHeight, area.right, (r + 1) * m.rowHeight};
            InvalidateRect(window, &row, FALSE);
        }
    }
    if (GetFocus() == window) {
        if (!w->caret || w->caretOvertype != v->overtype) CreateEditorCaret(window);
        if (u.caretShown) SetCaretPos(MarginWidth() + static_cast<int>(u.caretColumn) * m.charWidth, u.caretRow * m.rowHeight);
        else SetCaretPos(-4 * m.charWidth, -4 * m.rowHeight);
    }
    SetScrollBars(window, *w, *v, g);
    std::string title = WindowTitle(*v->document);
    if (title != w->title) {
        w->title = title;
        SetWindowTextA(window, title.c_str());
    }
    if (current) ShowPosition(*v);
}

void PaintWindow(HWND window) {
    View* v = ViewOf(window);
    if (!v) {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return;
    }
    SyncWindow(window, true);
    const Metrics& m = EditorMetrics();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT area;
    GetClientRect(window, &area);
    const Screen& screen = ScreenOf(*v);
    int first = std::max(0, static_cast<int>(ps.rcPaint.top) / m.rowHeight);
    int last = (static_cast<int>(ps.rcPaint.bottom) + m.rowHeight - 1) / m.rowHeight;
    if (last > first) {
        HDC picture = RowBuffer(area.right, last * m.rowHeight);
        HGDIOBJ oldFont = SelectObject(picture, m.font);
        SetBkMode(picture, TRANSPARENT);
        SetTextAlign(picture, TA_LEFT | TA_TOP | TA_NOUPDATECP);
        for (int r = first; r < last; ++r) DrawRow(picture, screen, r, area.right);
        SelectObject(picture, oldFont);
        BitBlt(dc, 0, first * m.rowHeight, area.right, (last - first) * m.rowHeight, picture, 0, first * m.rowHeight, SRCCOPY);
    }
    EndPaint(window, &ps);
}

void ReleaseEditorPaint() {
    EditorWindowsState& s = editorWindows();
    if (s.rowDC) {
        SelectObject(s.rowDC, s.oldBitmap);
        DeleteDC(s.rowDC);
    }
    if (s.rowBitmap) DeleteObject(s.rowBitmap);
    s.rowDC = nullptr;
    s.rowBitmap = nullptr;
    s.oldBitmap = nullptr;
}

}  // namespace tarvo::editor
