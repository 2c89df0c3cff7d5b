#include "tools/call_tree_win.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "base/app_win.h"
#include "base/messages.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "tools/tools_messages.h"

namespace tarvo::tools {
namespace {

constexpr UINT kPrintCommand = 0x0100;  // in the window's system menu

struct TreeWindowState {
    HWND window = nullptr;
    CallTree tree;
    TreeSettings settings;
    analysis::CrossReference xref;  // owns its texts: the documents may change meanwhile
    int scrollX = 0, scrollY = 0;
};

TreeWindowState& state() {
    static TreeWindowState s;
    return s;
}

HFONT TreeFont() { return static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT)); }

void DrawTree(HDC dc, const CallTree& tree, const TreeSettings& s, int dx, int dy) {
    HGDIOBJ oldFont = SelectObject(dc, TreeFont());
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    const int h = static_cast<int>(s.nodeHeight);
    for (const TreeNode& n : tree.nodes) {
        int x = static_cast<int>(n.x) - dx, y = static_cast<int>(n.y) - dy;
        int w = static_cast<int>(tree.BoxWidth(n, s));
        for (int c = n.firstChild; c != kNone; c = tree.nodes[static_cast<std::size_t>(c)].rightSibling) {
            const TreeNode& child = tree.nodes[static_cast<std::size_t>(c)];
            int cx = static_cast<int>(child.x) - dx, cy = static_cast<int>(child.y) - dy + h / 2;
            int middle = x + w + (cx - x - w) / 2;
            MoveToEx(dc, x + w, y + h / 2, nullptr);
            LineTo(dc, middle, y + h / 2);
            LineTo(dc, middle, cy);
            LineTo(dc, cx, cy);
        }
        // Functions not expanded here (recursion, shown above) get a dotted frame.
        bool elsewhere = (n.flags & (kOnPath | kShownAbove)) != 0;
        HGDIOBJ oldPen = SelectObject(dc, elsewhere ? static_cast<HGDIOBJ>(dotted) : GetStockObject(BLACK_PEN));
        Rectangle(dc, x, y, x + w, y + h);
        SelectObject(dc, oldPen);
        TextOutA(dc, x + static_cast<int>(s.boxPadding), y + 2, n.label.c_str(), static_cast<int>(n.label.size()));
        if (n.flags & kOnPath) TextOutA(dc, x + w + 2, y + 2, "@", 1);
        if (n.flags & (kCutDepth | kCutSize)) TextOutA(dc, x + w + 2, y + 2, "...", 3);
        if (n.flags & kChosen) {
            RECT r{x + 1, y + 1, x + w - 1, y + h - 1};
            InvertRect(dc, &r);
        }
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    DeleteObject(dotted);
}

void UpdateScrollBars(HWND window) {
    TreeWindowState& st = state();
    RECT r;
    GetClientRect(window, &r);
    auto set = [&](int bar, double size, int page, int& pos) {
        int range = static_cast<int>(size);
        pos = std::max(0, std::min(pos, range - page));
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, range - 1), static_cast<UINT>(page), pos, 0};
        SetScrollInfo(window, bar, &si, TRUE);
    };
    set(SB_HORZ, st.tree.width, r.right, st.scrollX);
    set(SB_VERT, st.tree.height, r.bottom, st.scrollY);
}

void Scroll(HWND window, int bar, WPARAM wParam) {
    TreeWindowState& st = state();
    int& pos = bar == SB_HORZ ? st.scrollX : st.scrollY;
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window, bar, &si);
    int line = static_cast<int>(st.settings.nodeHeight);
    switch (LOWORD(wParam)) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    UpdateScrollBars(window);
    InvalidateRect(window, nullptr, TRUE);
}

// One page, the drawing scaled down to fit when it is larger.
void PrintTree(HWND window) {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = window;
    pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
    if (!PrintDlgA(&pd) || !pd.hDC) return;
    HDC dc = pd.hDC;
    std::string title = "Tree: " + (state().tree.nodes.empty() ? std::string() : state().tree.nodes[0].label);
    DOCINFOA doc{sizeof doc, title.c_str(), nullptr, nullptr, 0};
    if (StartDocA(dc, &doc) > 0 && StartPage(dc) > 0) {
        const CallTree& t = state().tree;
        HDC screen = GetDC(window);
        double dpi = static_cast<double>(GetDeviceCaps(dc, LOGPIXELSX)) / GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(window, screen);
        double fit = std::min(GetDeviceCaps(dc, HORZRES) / t.width, GetDeviceCaps(dc, VERTRES) / t.height);
        double scale = std::min(dpi, fit);
        SetMapMode(dc, MM_ISOTROPIC);
        SetWindowExtEx(dc, 1000, 1000, nullptr);
        SetViewportExtEx(dc, static_cast<int>(1000 * scale), static_cast<int>(1000 * scale), nullptr);
        DrawTree(dc, t, state().settings, 0, 0);
        EndPage(dc);
        EndDoc(dc);
    }
    DeleteDC(dc);
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
}

// Double click: the function's definition in its window.
void GoToDefinition(int node) {
    TreeWindowState& st = state();
    const analysis::XrefFunction* f = st.xref.Find(st.tree.nodes[static_cast<std::size_t>(node)].label);
    if (!f) return;
    if (!editor::OpenFileWindow(st.xref.files[f->file].name)) return;
    editor::GoToLine(f->firstLine);
    editor::CentreCursor();
}

LRESULT CALLBACK TreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TreeWindowState& st = state();
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        DrawTree(dc, st.tree, st.settings, st.scrollX, st.scrollY);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_SIZE: UpdateScrollBars(window); return 0;
    case WM_HSCROLL: Scroll(window, SB_HORZ, wParam); return 0;
    case WM_VSCROLL: Scroll(window, SB_VERT, wParam); return 0;
    case WM_MOUSEWHEEL:
        Scroll(window, SB_VERT, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int node = NodeAt(st.tree, st.settings, GET_X_LPARAM(lParam) + st.scrollX, GET_Y_LPARAM(lParam) + st.scrollY);
        if (node == kNone) return 0;
        if (message == WM_LBUTTONDBLCLK) {
            GoToDefinition(node);
            return 0;
        }
        st.tree.nodes[static_cast<std::size_t>(node)].flags ^= kChosen;
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kPrintCommand) {
            PrintTree(window);
            return 0;
        }
        break;
    case kTreeTextMessage:
        if (lParam) *reinterpret_cast<std::string*>(lParam) = TreeText(st.tree);
        return static_cast<LRESULT>(st.tree.nodes.size());
    case WM_DESTROY:
        st.window = nullptr;
        st.tree = CallTree{};
        st.xref = analysis::CrossReference{};
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateTreeWindow() {
    base::RegisterWindowClass({.name = kTreeWindowClass, .procedure = TreeProc, .style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW});
    HWND window = CreateWindowExA(0, kTreeWindowClass, base::GetString(kMsgTreeTitle),
                                  WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, CW_USEDEFAULT, CW_USEDEFAULT, 640, 440,
                                  base::app().frame, nullptr, base::app().instance, nullptr);
    if (window) {
        HMENU system = GetSystemMenu(window, FALSE);
        AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(system, MF_STRING, kPrintCommand, base::GetString(kMsgTreePrint));
    }
    return window;
}

}  // namespace

HWND TreeWindow() { return state().window; }

bool ShowCallTree(TreeDirection direction) {
    std::string name = editor::WordAtCursor();
    if (name.empty()) {
        base::ErrorBox(base::GetString(kMsgNoFunctionAtCursor));
        return false;
    }
    // The cross reference keeps copies of what it reports, so the window outlives edits.
    std::vector<analysis::SourceFile> files;
    for (const auto& doc : editor::editor().documents) {
        if (doc->flags & editor::kInternalBuffer) continue;
        analysis::SourceFile f{doc->name, analysis::LinesOf(*doc)};
        files.push_back(std::move(f));
    }
    analysis::CrossReference xref = analysis::ScanCrossReference(files);
    TreeWindowState& st = state();
    TreeSettings settings;
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, TreeFont());
    TEXTMETRICA tm;
    if (GetTextMetricsA(screen, &tm)) {
        settings.averageCharWidth = tm.tmAveCharWidth;
        settings.nodeHeight = std::max<double>(settings.nodeHeight, tm.tmHeight + 4);
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    CallTree tree;
    switch (BuildCallTree(xref, name, direction, settings, tree)) {
    case TreeResult::NotFound: base::InfoBox(base::GetString(kMsgFunctionNotFound)); return false;
    case TreeResult::NoCalls:
        base::InfoBox(base::GetString(direction == TreeDirection::Callees ? kMsgNoCalls : kMsgNoCallers));
        return false;
    case TreeResult::Built: break;
    }
    if (!st.window) st.window = CreateTreeWindow();
    if (!st.window) return false;
    st.tree = std::move(tree);
    st.settings = settings;
    st.xref = std::move(xref);
    st.scrollX = st.scrollY = 0;
    SetWindowTextA(st.window, base::GetString(direction == TreeDirection::Callees ? kMsgTreeTitle : kMsgCallersTitle));
    UpdateScrollBars(st.window);
    InvalidateRect(st.window, nullptr, TRUE);
    ShowWindow(st.window, SW_SHOW);
    SetForegroundWindow(st.window);
    if (st.tree.cycle) platform::ui().statusText(base::GetString(kMsgCircularity));
    if (st.tree.cut)
        platform::ui().statusText(Printf(base::GetString(kMsgTreeCut), settings.greatestDepth,
                                         static_cast<int>(settings.nodeLimit)).c_str());
    return true;
}

}  // namespace tarvo::tools
