#include "shell/row_list_win.h"

#include <algorithm>
#include <utility>

#include "base/app_win.h"

namespace tarvo::shell {
namespace {

constexpr char kClassName[] = "TarvoRowList";
// A row is drawn up to this many characters: wider than any screen, and a line of a megabyte
// costs no more to draw than a short one.
constexpr int kDrawnCharacters = 2048;
// LB_GETTEXT gives a row's first characters up to this many. The system converts the message
// between its narrow and wide forms for a caller of the other form (and for every caller in
// another process) through a buffer of 512 characters under Wine, which a longer row would
// overrun. The program itself reads its rows directly.
constexpr std::size_t kAnsweredCharacters = 511;

struct RowList {
    std::vector<std::string> rows;  // unless they are made:
    std::size_t madeCount = 0;
    std::function<std::string(std::size_t)> made;
    int top = 0;        // the first row in view
    int selected = -1;  // LB_ERR: none
    HFONT font = nullptr;
    int rowHeight = 16;
    int wheel = 0;  // wheel turns not yet a whole row
};

RowList* StateOf(HWND window) { return reinterpret_cast<RowList*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

int Count(const RowList& s) { return static_cast<int>(s.made ? s.madeCount : s.rows.size()); }

std::string Text(const RowList& s, std::size_t row) { return s.made ? s.made(row) : s.rows[row]; }

// Rows added one by one to made rows: the made ones become texts first.
void KeepTexts(RowList& s) {
    if (!s.made) return;
    std::vector<std::string> texts;
    texts.reserve(s.madeCount);
    for (std::size_t i = 0; i < s.madeCount; ++i) texts.push_back(s.made(i));
    s.made = nullptr;
    s.madeCount = 0;
    s.rows = std::move(texts);
}

// Whole rows that fit; at least one, so paging always moves.
int InView(HWND window, const RowList& s) {
    RECT client;
    GetClientRect(window, &client);
    return std::max(1, static_cast<int>(client.bottom - client.top) / s.rowHeight);
}

void MeasureFont(HWND window, RowList& s) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, s.font ? static_cast<HGDIOBJ>(s.font) : GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(dc, &metrics) && metrics.tmHeight > 0) s.rowHeight = static_cast<int>(metrics.tmHeight);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

void ShowScrollPosition(HWND window, const RowList& s) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, Count(s) - 1);
    info.nPage = static_cast<UINT>(InView(window, s));
    info.nPos = s.top;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void ScrollTo(HWND window, RowList& s, int top) {
    top = std::clamp(top, 0, std::max(0, Count(s) - InView(window, s)));
    if (top == s.top) return;
    s.top = top;
    ShowScrollPosition(window, s);
    InvalidateRect(window, nullptr, FALSE);
}

void Notify(HWND window, WORD code) {
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code), reinterpret_cast<LPARAM>(window));
}

// Selects the row (or none, -1) and brings it into view; a change the user made is told.
void Select(HWND window, RowList& s, int row, bool byUser) {
    if (row >= Count(s)) row = Count(s) - 1;
    if (row < -1) row = -1;
    const bool changed = row != s.selected;
    s.selected = row;
    if (row >= 0) {
        const int inView = InView(window, s);
        if (row < s.top) ScrollTo(window, s, row);
        else if (row >= s.top + inView) ScrollTo(window, s, row - inView + 1);
    }
    InvalidateRect(window, nullptr, FALSE);
    if (changed && byUser) Notify(window, LBN_SELCHANGE);
}

int RowAt(const RowList& s, LPARAM point) {
    const int y = static_cast<short>(HIWORD(point));
    const int row = s.top + (y < 0 ? -1 : y / s.rowHeight);
    return row >= 0 && row < Count(s) ? row : -1;
}

void Paint(HWND window, RowList& s) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HGDIOBJ old = SelectObject(dc, s.font ? static_cast<HGDIOBJ>(s.font) : GetStockObject(SYSTEM_FONT));
    RECT client;
    GetClientRect(window, &client);
    const bool focused = GetFocus() == window;
    const int first = s.top + std::max(0, static_cast<int>(paint.rcPaint.top) / s.rowHeight);
    const int end = std::min(Count(s), s.top + (static_cast<int>(paint.rcPaint.bottom) + s.rowHeight - 1) / s.rowHeight);
    int y = (first - s.top) * s.rowHeight;
    for (int row = first; row < end; ++row, y += s.rowHeight) {
        RECT box{client.left, y, client.right, y + s.rowHeight};
        const bool chosen = row == s.selected;
        SetBkColor(dc, GetSysColor(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::string text = Text(s, static_cast<std::size_t>(row));
        ExtTextOutA(dc, box.left + 2, y, ETO_OPAQUE | ETO_CLIPPED, &box, text.data(),
                    static_cast<UINT>(std::min<std::size_t>(text.size(), kDrawnCharacters)), nullptr);
        if (chosen && focused) DrawFocusRect(dc, &box);
    }
    RECT below{client.left, std::max(y, static_cast<int>(paint.rcPaint.top)), client.right, client.bottom};
    if (below.top < below.bottom) FillRect(dc, &below, GetSysColorBrush(COLOR_WINDOW));
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

void Scroll(HWND window, RowList& s, WORD how) {
    const int page = InView(window, s);
    switch (how) {
    case SB_LINEUP: ScrollTo(window, s, s.top - 1); break;
    case SB_LINEDOWN: ScrollTo(window, s, s.top + 1); break;
    case SB_PAGEUP: ScrollTo(window, s, s.top - page); break;
    case SB_PAGEDOWN: ScrollTo(window, s, s.top + page); break;
    case SB_TOP: ScrollTo(window, s, 0); break;
    case SB_BOTTOM: ScrollTo(window, s, Count(s)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};  // the 32-bit position: a list may have more than 65,535 rows
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(window, SB_VERT, &info)) ScrollTo(window, s, info.nTrackPos);
        break;
    }
    default: break;
    }
}

void Key(HWND window, RowList& s, WPARAM key) {
    const int at = s.selected;
    const int page = InView(window, s);
    if (GetWindowLongA(window, GWL_STYLE) & LBS_WANTKEYBOARDINPUT) {
        LRESULT answer = SendMessageA(GetParent(window), WM_VKEYTOITEM, MAKEWPARAM(key, std::max(at, 0)),
                                      reinterpret_cast<LPARAM>(window));
        if (answer == -2) return;
        if (answer >= 0) return Select(window, s, static_cast<int>(answer), true);
    }
    if (Count(s) == 0) return;
    switch (key) {
    case VK_UP: Select(window, s, std::max(0, at - 1), true); break;
    case VK_DOWN: Select(window, s, at + 1, true); break;
    case VK_PRIOR: Select(window, s, std::max(0, at - page), true); break;
    case VK_NEXT: Select(window, s, at + page, true); break;
    case VK_HOME: Select(window, s, 0, true); break;
    case VK_END: Select(window, s, Count(s) - 1, true); break;
    default: break;
    }
}

LRESULT CALLBACK RowListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RowList* s = StateOf(window);
    if (!s) {
        if (message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
        s = new RowList;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
        MeasureFont(window, *s);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete s;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        MeasureFont(window, *s);
        ShowScrollPosition(window, *s);
        if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s->font);
    case WM_ERASEBKGND:
        return 1;  // every pixel is painted
    case WM_PAINT:
        Paint(window, *s);
        return 0;
    case WM_SIZE:
        ShowScrollPosition(window, *s);
        ScrollTo(window, *s, s->top);  // a taller window may show rows above
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_VSCROLL:
        Scroll(window, *s, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL: {
        s->wheel += GET_WHEEL_DELTA_WPARAM(wParam);
        const int rows = s->wheel / WHEEL_DELTA * 3;
        s->wheel %= WHEEL_DELTA;
        ScrollTo(window, *s, s->top - rows);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, nullptr, FALSE);  // the focus mark
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN: {
        SetFocus(window);
        const int row = RowAt(*s, lParam);
        if (row >= 0) Select(window, *s, row, true);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        const int row = RowAt(*s, lParam);
        if (row < 0) return 0;
        Select(window, *s, row, true);
        Notify(window, LBN_DBLCLK);
        return 0;
    }
    case WM_KEYDOWN:
        Key(window, *s, wParam);
        return 0;
    case LB_RESETCONTENT:
        SetRows(window, {});
        return 0;
    case LB_ADDSTRING:
        if (!lParam) return LB_ERR;
        KeepTexts(*s);
        s->rows.emplace_back(reinterpret_cast<const char*>(lParam));
        ShowScrollPosition(window, *s);
        InvalidateRect(window, nullptr, FALSE);
        return Count(*s) - 1;
    case LB_GETCOUNT:
        return Count(*s);
    case LB_GETTEXTLEN:
        if (wParam >= static_cast<std::size_t>(Count(*s))) return LB_ERR;
        return static_cast<LRESULT>(std::min(Text(*s, wParam).size(), kAnsweredCharacters));
    case LB_GETTEXT: {
        if (wParam >= static_cast<std::size_t>(Count(*s)) || !lParam) return LB_ERR;
        const std::string text = Text(*s, wParam);
        const std::size_t n = std::min(text.size(), kAnsweredCharacters);
        std::copy_n(text.begin(), n, reinterpret_cast<char*>(lParam));
        reinterpret_cast<char*>(lParam)[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case LB_SETCURSEL:
        Select(window, *s, static_cast<int>(wParam), false);
        return s->selected >= 0 ? s->selected : LB_ERR;
    case LB_GETCURSEL:
        return s->selected >= 0 ? s->selected : LB_ERR;
    case LB_GETTOPINDEX:
        return s->top;
    case LB_SETTOPINDEX:
        if (static_cast<int>(wParam) >= Count(*s) && wParam != 0) return LB_ERR;
        ScrollTo(window, *s, static_cast<int>(wParam));
        return 0;
    case LB_GETITEMHEIGHT:
        return s->rowHeight;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateRowList(HWND parent, int id, DWORD style, DWORD exStyle) {
    base::RegisterWindowClass({.name = kClassName, .procedure = RowListProc, .style = CS_DBLCLKS, .cursor = IDC_ARROW});
    return CreateWindowExA(exStyle, kClassName, "", WS_CHILD | WS_VSCROLL | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), base::app().instance, nullptr);
}

namespace {

void Replaced(HWND list, RowList* s) {
    s->top = 0;
    s->selected = -1;
    ShowScrollPosition(list, *s);
    InvalidateRect(list, nullptr, FALSE);
}

}  // namespace

void SetRows(HWND list, std::vector<std::string> rows) {
    RowList* s = StateOf(list);
    if (!s) return;
    s->made = nullptr;
    s->madeCount = 0;
    s->rows = std::move(rows);
    Replaced(list, s);
}

void SetRowMaker(HWND list, std::size_t count, std::function<std::string(std::size_t)> row) {
    RowList* s = StateOf(list);
    if (!s) return;
    s->rows.clear();
    s->rows.shrink_to_fit();
    s->madeCount = count;
    s->made = std::move(row);
    Replaced(list, s);
}

const std::vector<std::string>& Rows(HWND list) {
    static const std::vector<std::string> none;
    const RowList* s = list ? StateOf(list) : nullptr;
    return s ? s->rows : none;
}

}  // namespace tarvo::shell
