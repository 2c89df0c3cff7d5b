#include "analysis/compare_viewer_win.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "analysis/analysis_messages.h"
#include "analysis/compare_files.h"
#include "analysis/compare_view.h"
#include "base/app_win.h"
#include "base/messages.h"
#include "editor/document_windows_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resource_ids.h"

namespace tarvo::analysis {
namespace {

constexpr const char* kSideClass = "TarvoCompareSide";
constexpr int kTabWidth = 8;
constexpr int kCaptionHeight = 20, kButtonRow = 32;

// Background colours: lines of other changes, of the current change, per side.
constexpr COLORREF kPlain = RGB(255, 255, 255);
constexpr COLORREF kChanged[2] = {RGB(255, 228, 228), RGB(226, 246, 226)};
constexpr COLORREF kCurrent[2] = {RGB(255, 176, 176), RGB(160, 224, 160)};
constexpr COLORREF kNumbers = RGB(128, 128, 128);

struct CompareWindow {
    ComparedTexts texts;
    ChangeCursor cursor;
    bool merge = false;
    MergeChoices choices;
    std::string output;
    HWND side[2]{}, caption[2]{};
    HWND position = nullptr, previous = nullptr, next = nullptr, left = nullptr, right = nullptr, useText = nullptr;
    long top[2]{}, column[2]{};
    int lineHeight = 16, charWidth = 8;
    const TextLines& Lines(int s) const { return s == 0 ? texts.first : texts.second; }
};

CompareWindow* StateOf(HWND window) {
    return reinterpret_cast<CompareWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HFONT Font() {
    HFONT font = base::app().editorFont ? base::app().editorFont : base::app().fixedFont;
    return font ? font : static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
}

int SideOf(HWND side) { return GetDlgCtrlID(side) == IDC_CMP_FIRST_SIDE ? 0 : 1; }

int VisibleRows(const CompareWindow& w, HWND side) {
    RECT r;
    GetClientRect(side, &r);
    return std::max(1, static_cast<int>(r.bottom / w.lineHeight));
}

std::string Expanded(std::string_view line) {
    std::string out;
    for (char c : line) {
        if (c == '\n') break;
        if (c == '\t')
            out.append(static_cast<std::size_t>(kTabWidth - static_cast<int>(out.size() % kTabWidth)), ' ');
        else
            out += c;
    }
    return out;
}

void UpdateScrollBars(CompareWindow& w, int s) {
    long count = static_cast<long>(w.Lines(s).size());
    int rows = VisibleRows(w, w.side[s]);
    w.top[s] = std::clamp<long>(w.top[s], 0, std::max<long>(0, count - rows));
    SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, static_cast<int>(std::max<long>(0, count - 1)),
                  static_cast<UINT>(rows), static_cast<int>(w.top[s]), 0};
    SetScrollInfo(w.side[s], SB_VERT, &si, TRUE);
    SCROLLINFO sh{sizeof sh, SIF_ALL | SIF_DISABLENOSCROLL, 0, 255, 40, static_cast<int>(w.column[s]), 0};
    SetScrollInfo(w.side[s], SB_HORZ, &sh, TRUE);
}

void PaintSide(HWND side) {
    CompareWindow* w = StateOf(GetParent(side));
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(side, &ps);
    if (!w) {
        EndPaint(side, &ps);
        return;
    }
    int s = SideOf(side);
    const TextLines& lines = w->Lines(s);
    RECT client;
    GetClientRect(side, &client);
    HGDIOBJ oldFont = SelectObject(dc, Font());
    const Change* current = w->texts.changes.empty() ? nullptr : &w->texts.changes[static_cast<std::size_t>(w->cursor.current)];
    int firstRow = ps.rcPaint.top / w->lineHeight, lastRow = (ps.rcPaint.bottom + w->lineHeight - 1) / w->lineHeight;
    const char* numberFormat = lines.size() >= 100000 ? "%7ld  " : "%5ld  ";
    int gutter = (lines.size() >= 100000 ? 9 : 7) * w->charWidth;
    for (int row = firstRow; row < lastRow; ++row) {
        long line = w->top[s] + row;
        RECT r{0, row * w->lineHeight, client.right, (row + 1) * w->lineHeight};
        COLORREF back = kPlain;
        std::string number, text;
        if (line < static_cast<long>(lines.size())) {
            long change = ChangeOfLine(w->texts.changes, line, s == 0);
            if (change >= 0) back = change == w->cursor.current ? kCurrent[s] : kChanged[s];
            number = Printf(numberFormat, line + 1);
            text = Expanded(lines[static_cast<std::size_t>(line)]);
            text.erase(0, std::min<std::size_t>(text.size(), static_cast<std::size_t>(w->column[s])));
        }
        SetBkColor(dc, kPlain);
        SetTextColor(dc, kNumbers);
        RECT numbers{0, r.top, gutter, r.bottom};
        ExtTextOutA(dc, 0, r.top, ETO_OPAQUE, &numbers, number.c_str(), static_cast<UINT>(number.size()), nullptr);
        SetBkColor(dc, back);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT body{gutter, r.top, r.right, r.bottom};
        ExtTextOutA(dc, gutter, r.top, ETO_OPAQUE | ETO_CLIPPED, &body, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    // A change with no lines on this side: a bar where its lines would go.
    if (current && (s == 0 ? current->deleted : current->inserted) == 0) {
        long at = (s == 0 ? current->first : current->second) - w->top[s];
        int y = static_cast<int>(at) * w->lineHeight;
        if (y >= 0 && y <= client.bottom) {
            RECT bar{gutter, std::max(0, y - 1), client.right, y + 2};
            HBRUSH brush = CreateSolidBrush(kCurrent[1 - s]);
            FillRect(dc, &bar, brush);
            DeleteObject(brush);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(side, &ps);
}

void Scroll(HWND side, long top, long column) {
    CompareWindow* w = StateOf(GetParent(side));
    int s = SideOf(side);
    w->top[s] = top;
    w->column[s] = std::clamp<long>(column, 0, 255);
    UpdateScrollBars(*w, s);
    InvalidateRect(side, nullptr, FALSE);
}

long ScrollTarget(HWND side, int bar, WPARAM request, long now, int page) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(side, bar, &si);
    switch (LOWORD(request)) {
    case SB_LINEUP: return now - 1;
    case SB_LINEDOWN: return now + 1;
    case SB_PAGEUP: return now - page;
    case SB_PAGEDOWN: return now + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return si.nTrackPos;
    case SB_TOP: return 0;
    case SB_BOTTOM: return si.nMax;
    default: return now;
    }
}

LRESULT CALLBACK SideProc(HWND side, UINT message, WPARAM wParam, LPARAM lParam) {
    CompareWindow* w = StateOf(GetParent(side));
    switch (message) {
    case WM_PAINT: PaintSide(side); return 0;
    case WM_ERASEBKGND: return 1;  // every row paints its own background
    case WM_SIZE:
        if (w) UpdateScrollBars(*w, SideOf(side));
        return 0;
    case WM_VSCROLL:
        if (w) {
            int s = SideOf(side);
            Scroll(side, ScrollTarget(side, SB_VERT, wParam, w->top[s], VisibleRows(*w, side) - 1), w->column[s]);
        }
        return 0;
    case WM_HSCROLL:
        if (w) {
            int s = SideOf(side);
            Scroll(side, w->top[s], ScrollTarget(side, SB_HORZ, wParam, w->column[s], 20));
        }
        return 0;
    case WM_MOUSEWHEEL:
        if (w) {
            int s = SideOf(side);
            Scroll(side, w->top[s] - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3, w->column[s]);
        }
        return 0;
    case WM_LBUTTONDOWN: SetFocus(side); return 0;
    case WM_KEYDOWN: {
        static constexpr std::pair<WPARAM, WORD> kKeys[] = {{VK_UP, SB_LINEUP},     {VK_DOWN, SB_LINEDOWN},
                                                            {VK_PRIOR, SB_PAGEUP},  {VK_NEXT, SB_PAGEDOWN},
                                                            {VK_HOME, SB_TOP},      {VK_END, SB_BOTTOM}};
        for (auto [key, request] : kKeys)
            if (wParam == key) SendMessageA(side, WM_VSCROLL, request, 0);
        return 0;
    }
    }
    return DefWindowProcA(side, message, wParam, lParam);
}

// The current change in view on both sides, its captions, the position and the buttons.
void ShowCurrent(HWND window) {
    CompareWindow& w = *StateOf(window);
    const char* noText = base::GetString(kMsgNoText);
    if (!w.texts.changes.empty()) {
        const Change& c = w.texts.changes[static_cast<std::size_t>(w.cursor.current)];
        SetWindowTextA(w.caption[0], DeletedCaption(c, noText).c_str());
        SetWindowTextA(w.caption[1], InsertedCaption(c, noText).c_str());
        for (int s = 0; s < 2; ++s) {
            int rows = VisibleRows(w, w.side[s]);
            long start = s == 0 ? c.first : c.second, count = s == 0 ? c.deleted : c.inserted;
            // A change that fits goes a third down the pane; a longer one starts at its top.
            long above = count < rows * 2 / 3 ? rows / 3 : 1;
            w.top[s] = start - above;
            UpdateScrollBars(w, s);
            InvalidateRect(w.side[s], nullptr, FALSE);
        }
    }
    SetWindowTextA(w.position, PositionText(w.cursor).c_str());
    if (w.merge) {
        EnableWindow(w.left, !w.choices.finished);
        EnableWindow(w.right, !w.choices.finished);
    } else {
        EnableWindow(w.previous, w.cursor.CanPrevious());
        EnableWindow(w.next, w.cursor.CanNext());
    }
}

void Layout(HWND window) {
    CompareWindow* w = StateOf(window);
    if (!w) return;
    RECT r;
    GetClientRect(window, &r);
    int half = r.right / 2, bottom = std::max<int>(kCaptionHeight, r.bottom - kButtonRow);
    MoveWindow(w->caption[0], 4, 2, half - 8, kCaptionHeight - 4, TRUE);
    MoveWindow(w->caption[1], half + 4, 2, r.right - half - 8, kCaptionHeight - 4, TRUE);
    MoveWindow(w->side[0], 0, kCaptionHeight, half - 1, bottom - kCaptionHeight, TRUE);
    MoveWindow(w->side[1], half + 1, kCaptionHeight, r.right - half - 1, bottom - kCaptionHeight, TRUE);
    int y = bottom + 5, h = kButtonRow - 10;
    MoveWindow(w->position, 8, y + 3, 150, h, TRUE);
    if (w->merge) {
        MoveWindow(w->useText, half - 190, y + 3, 90, h, TRUE);
        MoveWindow(w->left, half - 95, y, 90, h, TRUE);
        MoveWindow(w->right, half + 5, y, 90, h, TRUE);
    } else {
        MoveWindow(w->previous, half - 65, y, 60, h, TRUE);
        MoveWindow(w->next, half + 5, y, 60, h, TRUE);
    }
}

// Writes the merge's result through a scratch file, or nothing when the user declines a copy.
void FinishMerge(HWND window) {
    CompareWindow& w = *StateOf(window);
    std::string text;
    bool copy = true;
    switch (OutcomeOf(w.choices)) {
    case MergeOutcome::Merged: text = MergedText(w.texts, w.choices.taken); break;
    case MergeOutcome::CopyOfFirst:
        copy = base::Confirm(CopyQuestion(w.texts.secondName, w.texts.firstName));
        text = w.texts.firstText;
        break;
    case MergeOutcome::CopyOfSecond:
        copy = base::Confirm(CopyQuestion(w.texts.firstName, w.texts.secondName));
        text = w.texts.secondText;
        break;
    }
    if (!copy) {  // the user's answer: no output, the output file as it was
        w.output.clear();
        DestroyWindow(window);
        return;
    }
    if (!WriteTextFile(w.output, text)) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), w.output.c_str()));
        return;
    }
    platform::ui().statusText(base::GetString(kMsgMergeFinished));
    std::string output = w.output;
    w.output.clear();  // written: closing the window is no early leave
    DestroyWindow(window);
    editor::OpenFileWindow(output);
}

void Command(HWND window, int id) {
    CompareWindow& w = *StateOf(window);
    switch (id) {
    case IDC_CMP_NEXT: w.cursor.Next(); break;
    case IDC_CMP_PREVIOUS: w.cursor.Previous(); break;
    case IDC_CMP_LEFT:
    case IDC_CMP_RIGHT:
        Choose(w.choices, id == IDC_CMP_RIGHT);
        w.cursor = w.choices.cursor;
        if (w.choices.finished) {
            ShowCurrent(window);
            FinishMerge(window);
            return;
        }
        break;
    default: return;
    }
    ShowCurrent(window);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int id) {
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), base::app().instance, nullptr);
    if (child && std::string_view(cls) != kSideClass)
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        auto* w = static_cast<CompareWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
        w->caption[0] = Child(window, "STATIC", "", SS_LEFTNOWORDWRAP, IDC_CMP_FIRST_CAPTION);
        w->caption[1] = Child(window, "STATIC", "", SS_LEFTNOWORDWRAP, IDC_CMP_SECOND_CAPTION);
        for (int s = 0; s < 2; ++s)
            w->side[s] = Child(window, kSideClass, "", WS_BORDER | WS_VSCROLL | WS_HSCROLL,
                               s == 0 ? IDC_CMP_FIRST_SIDE : IDC_CMP_SECOND_SIDE);
        w->position = Child(window, "STATIC", "", SS_LEFTNOWORDWRAP, IDC_CMP_POSITION);
        if (w->merge) {
            w->useText = Child(window, "STATIC", "Use text from", SS_RIGHT, IDC_CMP_USE_TEXT);
            w->left = Child(window, "BUTTON", "<< Left", BS_PUSHBUTTON | WS_TABSTOP, IDC_CMP_LEFT);
            w->right = Child(window, "BUTTON", "Right >>", BS_PUSHBUTTON | WS_TABSTOP, IDC_CMP_RIGHT);
        } else {
            w->previous = Child(window, "BUTTON", "<<", BS_PUSHBUTTON | WS_TABSTOP, IDC_CMP_PREVIOUS);
            w->next = Child(window, "BUTTON", ">>", BS_PUSHBUTTON | WS_TABSTOP, IDC_CMP_NEXT);
        }
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, Font());
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        w->lineHeight = std::max<int>(1, tm.tmHeight);
        w->charWidth = std::max<int>(1, tm.tmAveCharWidth);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        Layout(window);
        ShowCurrent(window);
        return 0;
    }
    case WM_SIZE:
        Layout(window);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) Command(window, LOWORD(wParam));
        return 0;
    case WM_DESTROY: {
        CompareWindow* w = StateOf(window);
        if (w && w->merge && !w->output.empty())
            platform::ui().statusText(Printf(base::GetString(kMsgMergeLeft), w->output.c_str()).c_str());
        return 0;
    }
    case WM_NCDESTROY:
        delete StateOf(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterClasses() {
    return base::RegisterWindowClass({.name = kComparisonClass,
                                      .procedure = WindowProc,
                                      .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)}) &&
           base::RegisterWindowClass({.name = kSideClass, .procedure = SideProc, .background = nullptr});
}

bool ReadForComparison(const std::string& path, std::string& text) {
    if (ReadTextFile(path, text)) return true;
    base::ErrorBox(Printf(base::GetString(kMsgCannotCompare), path.c_str()));
    return false;
}

}  // namespace

HWND OpenComparisonWindow(const ComparisonWindowRequest& request) {
    auto w = std::make_unique<CompareWindow>();
    std::string a, b;
    if (!ReadForComparison(request.firstPath, a) || !ReadForComparison(request.secondPath, b)) return nullptr;
    w->texts.firstName = request.firstName.empty() ? platform::BaseName(request.firstPath) : request.firstName;
    w->texts.secondName = request.secondName.empty() ? platform::BaseName(request.secondPath) : request.secondName;
    LoadComparison(w->texts, std::move(a), std::move(b), request.options);
    if (w->texts.changes.empty()) {
        base::InfoBox(base::GetString(kMsgFilesIdentical));
        return nullptr;
    }
    w->merge = request.merge;
    w->output = request.output;
    w->cursor.total = static_cast<long>(w->texts.changes.size());
    w->choices = StartMerge(w->texts.changes.size());
    if (!RegisterClasses()) return nullptr;
    std::string title = w->merge ? MergeTitle(w->texts.firstName, w->texts.secondName)
                                 : ViewerTitle(w->texts.firstName, w->texts.secondName);
    RECT frame{0, 0, 900, 640};
    if (base::app().frame) GetWindowRect(base::app().frame, &frame);
    int width = std::max<int>(600, (frame.right - frame.left) * 9 / 10);
    int height = std::max<int>(400, (frame.bottom - frame.top) * 8 / 10);
    CompareWindow* state = w.release();  // the window owns it from WM_CREATE on
    HWND window = CreateWindowExA(0, kComparisonClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                  frame.left + 30, frame.top + 40, width, height, base::app().frame, nullptr,
                                  base::app().instance, state);
    if (!window) {
        delete state;
        return nullptr;
    }
    ShowWindow(window, SW_SHOW);
    // Both panes painted before the call returns: the viewer is complete when it is seen.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return window;
}

bool ShowComparison(const std::string& firstPath, const std::string& secondPath,
                    const std::string& firstName, const std::string& secondName) {
    std::string a, b;
    if (!platform::FileExists(firstPath) || !platform::FileExists(secondPath)) {
        base::ErrorBox(Printf(base::GetString(kMsgCannotCompare),
                              (platform::FileExists(firstPath) ? secondPath : firstPath).c_str()));
        return false;
    }
    ComparisonWindowRequest request;
    request.firstPath = firstPath;
    request.secondPath = secondPath;
    request.firstName = firstName;
    request.secondName = secondName;
    if (OpenComparisonWindow(request)) return true;
    // No window: identical files (said so) or a failure (said so too).
    return ReadTextFile(firstPath, a) && ReadTextFile(secondPath, b);
}

}  // namespace tarvo::analysis
