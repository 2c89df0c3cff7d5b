#include "debugger/debugger_windows_win.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "debugger/call_stack.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/debugger_views.h"
#include "debugger/debugger_win.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "editor/editor_paint_win.h"
#include "editor/editor_window_win.h"
#include "editor/selection.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resource_ids.h"

namespace tarvo::debugger {
namespace {

// Call-stack entries reached by command: 400 + n stays clear of the CPU window's 500.
constexpr int kCommandFrames = CMD_CPU_WINDOW - CMD_FIRST_CALL_STACK_ENTRY;
constexpr UINT kRadixDecimal = 1, kRadixHex = 2, kEditWatches = 3;  // the watch window's menu
constexpr const char* kViewClass = "TarvoDebugView";
constexpr const char* kTipClass = "TarvoValueTip";

enum View { kStack, kLocals, kWatch, kNearby, kDump, kViewCount };
constexpr unsigned kTitles[kViewCount] = {kMsgCallStackTitle, kMsgLocalsTitle, kMsgWatchTitle, kMsgNearbyTitle,
                                          kMsgStackDumpTitle};

struct WindowsState {
    HWND views[kViewCount] = {};
    HWND tip = nullptr;
    std::string tipText;
    std::vector<Frame> frames;
    int chosen = -1;  // the frame chosen in the call stack window; -1: the stop's own
    LocalsView locals;
    std::vector<Watch> watches;     // newest first
    std::vector<HTREEITEM> items;   // their tree items, in the same order
    std::vector<std::shared_ptr<Value>> openable;  // tree nodes that open: lParam n + 1
    std::vector<std::string> keptWatches;  // from the run before, added again at the next stop
    std::vector<std::string> history;      // of the Evaluate dialog, newest first
    int radix = 10;
    UINT_PTR timer = 0;
    unsigned period = 0;
    TipClock clock;
};

WindowsState& state() {
    static WindowsState s;
    return s;
}

void Status(const std::string& text) {
    if (platform::ui().statusText) platform::ui().statusText(text.c_str());
}

HWND Child(HWND window) { return GetDlgItem(window, IDC_DEBUG_VIEW); }
HWND ViewControl(View v) { return state().views[v] ? Child(state().views[v]) : nullptr; }

// --- where the windows look ------------------------------------------------------------------

// The frame of the stop the windows show: the first whose function has debug information (a
// stop in a library shows its nearest caller with source).
int StopFrame() {
    const std::vector<Frame>& frames = state().frames;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].function >= 0) return static_cast<int>(i);
    return -1;
}

int ShownFrame() {
    WindowsState& w = state();
    return w.chosen >= 0 && w.chosen < static_cast<int>(w.frames.size()) ? w.chosen : StopFrame();
}

// The context of a frame: its module and function made current, its frame pointer; the
// registers of the stop only for the innermost frame (an outer frame's register locals are lost).
EvalContext ContextOfFrame(int index) {
    Engine& e = engineState();
    DebugInfo& info = debugInfo();
    EvalContext ctx;
    ctx.info = &info;
    ctx.read = e.process.read;
    ctx.radix = state().radix;
    ctx.registers = index <= 0 ? &e.context : nullptr;
    ctx.framePointer = e.context.Fp();
    if (index >= 0 && index < static_cast<int>(state().frames.size())) {
        const Frame& f = state().frames[static_cast<std::size_t>(index)];
        info.currentModule = f.module;
        info.currentFunction = f.function;
        if (index > 0) ctx.framePointer = f.framePointer;
    } else {
        Context where;
        CurrentContext(info, ModuleOfAddress(info, e.context.ip), e.context.ip, where);
    }
    return ctx;
}

const Function* FunctionOfFrame(const Frame& f) {
    const DebugInfo& info = debugInfo();
    if (f.module <= 0 || f.module >= static_cast<int>(info.modules.size()) || f.function < 0) return nullptr;
    const std::vector<Function>& functions = info.modules[static_cast<std::size_t>(f.module)].Functions();
    return f.function < static_cast<int>(functions.size()) ? &functions[static_cast<std::size_t>(f.function)] : nullptr;
}

void WalkFrames() {
    Engine& e = engineState();
    WindowsState& w = state();
    w.frames.clear();
    if (e.target) w.frames = WalkStack(debugInfo(), *e.target, e.context, e.process.read, e.StackBaseOf(e.eventThread), w.radix);
}

// --- the lists -------------------------------------------------------------------------------

void FillList(HWND list, const std::vector<std::string>& rows, const std::vector<LPARAM>& data = {}) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows[i].c_str()));
        if (at >= 0 && i < data.size()) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), data[i]);
    }
}

void RefreshStack() {
    HWND list = ViewControl(kStack);
    if (!list) return;
    std::vector<std::string> rows;
    std::vector<LPARAM> data;
    const std::vector<Frame>& frames = state().frames;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        rows.push_back(frames[i].text), data.push_back(static_cast<LPARAM>(i));
        for (const std::string& a : frames[i].arguments) rows.push_back(a), data.push_back(static_cast<LPARAM>(i));
    }
    FillList(list, rows, data);
}

void RefreshLocalsWindow() {
    HWND list = ViewControl(kLocals);
    if (!list || !ProgramStopped()) return;
    int index = ShownFrame();
    EvalContext ctx = ContextOfFrame(index);
    std::vector<std::string> lines;
    int module = 0, function = -1;
    if (index >= 0) {
        const Frame& f = state().frames[static_cast<std::size_t>(index)];
        module = f.module, function = f.function;
        if (const Function* fn = FunctionOfFrame(f)) lines = LocalsText(ctx, module, *fn, f.address);
    }
    LocalsChange c = RefreshLocals(state().locals, module, function, std::move(lines));
    if (c.cleared) SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const std::vector<std::string>& shown = state().locals.lines;
    for (std::size_t i : c.rewritten) {
        WPARAM at = static_cast<WPARAM>(i);
        if (static_cast<LRESULT>(i) < SendMessageA(list, LB_GETCOUNT, 0, 0)) SendMessageA(list, LB_DELETESTRING, at, 0);
        SendMessageA(list, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(shown[i].c_str()));
    }
    while (SendMessageA(list, LB_GETCOUNT, 0, 0) > static_cast<LRESULT>(c.count))
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(c.count), 0);
    if (c.selected >= 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(c.selected), 0);
}

std::string SourceLine(const std::string& file, unsigned number) {
    editor::Document* doc = file.empty() ? nullptr : editor::FindDocument(SourcePathOf(file), false);
    editor::Line* line = doc ? editor::LineAtNumber(*doc, static_cast<long>(number)) : nullptr;
    return line ? std::string(editor::LineText(*line)) : std::string();
}

void RefreshNearby() {
    HWND list = ViewControl(kNearby);
    if (!list || !ProgramStopped()) return;
    int index = StopFrame();
    std::vector<std::string> rows;
    if (index >= 0) {
        EvalContext ctx = ContextOfFrame(index);
        const Frame& f = state().frames[static_cast<std::size_t>(index)];
        if (const Function* fn = FunctionOfFrame(f)) {
            FunctionLines lines = LinesOfFunction(debugInfo(), f.module, *fn);
            std::string file = f.file;
            rows = NearbyVariablesText(ctx, lines, f.line, [&](unsigned n) { return SourceLine(file, n); },
                                       engineState().returned);
        }
    }
    FillList(list, rows);
}

// The raw words from the stack pointer, the frame pointer's marked.
void RefreshDump() {
    HWND list = ViewControl(kDump);
    Engine& e = engineState();
    if (!list || !ProgramStopped() || !e.target) return;
    FillList(list, TextLines(StackDumpText(*e.target, e.context, e.process.read, state().radix)));
}

// --- the watch window ------------------------------------------------------------------------

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, HTREEITEM after, const std::string& text, LPARAM data, bool opens) {
    TVINSERTSTRUCTA in{};
    in.hParent = parent;
    in.hInsertAfter = after;
    in.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    in.item.pszText = const_cast<char*>(text.c_str());
    in.item.lParam = data;
    in.item.cChildren = opens ? 1 : 0;
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in)));
}

void InsertChildren(HWND tree, HTREEITEM parent, const ValueNode& node) {
    WindowsState& w = state();
    for (const ValueNode& child : node.children) {
        LPARAM data = 0;
        if (child.more) w.openable.push_back(child.more), data = static_cast<LPARAM>(w.openable.size());
        InsertItem(tree, parent, TVI_LAST, NodeLine(child), data, child.more != nullptr);
    }
}

void DeleteChildren(HWND tree, HTREEITEM item) {
    while (HTREEITEM c = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))))
        SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(c));
}

// A watch's item written from its value: its text and, for a user type, its members.
void WriteWatchItem(HWND tree, const EvalContext& ctx, std::size_t n) {
    WindowsState& w = state();
    std::string text;
    ValueNode node;
    bool expanded = WatchItem(ctx, w.watches[n], text, node);
    HTREEITEM item = w.items[n];
    DeleteChildren(tree, item);
    TVITEMA t{};
    t.mask = TVIF_TEXT | TVIF_CHILDREN;
    t.hItem = item;
    t.pszText = const_cast<char*>(text.c_str());
    t.cChildren = expanded && !node.children.empty() ? 1 : 0;
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&t));
    if (expanded) InsertChildren(tree, item, node);
}

void FillWatchTree() {
    HWND tree = ViewControl(kWatch);
    WindowsState& w = state();
    w.items.clear();
    if (!tree) return;
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    w.openable.clear();
    if (!ProgramStopped()) return;
    EvalContext ctx = ContextOfFrame(StopFrame());
    for (std::size_t n = 0; n < w.watches.size(); ++n) {
        w.items.push_back(InsertItem(tree, TVI_ROOT, TVI_LAST, w.watches[n].expression, 0, false));
        WriteWatchItem(tree, ctx, n);
    }
}

// Adds a watch and its item in front; a failure is reported when asked for.
void AddWatchItem(const EvalContext& ctx, const std::string& expression, bool report) {
    WindowsState& w = state();
    WatchAddResult r = AddWatch(w.watches, ctx, expression);
    HWND tree = ViewControl(kWatch);
    if (r.replaced && r.removedAt < w.items.size()) {
        if (tree) SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(w.items[r.removedAt]));
        w.items.erase(w.items.begin() + static_cast<std::ptrdiff_t>(r.removedAt));
    }
    if (r.outcome == WatchAdd::Added) {
        w.items.insert(w.items.begin(), tree ? InsertItem(tree, TVI_ROOT, TVI_FIRST, expression, 0, false) : nullptr);
        if (tree) WriteWatchItem(tree, ctx, 0);
        return;
    }
    if (!report) return;
    if (r.outcome == WatchAdd::Failed) base::ErrorBox(Printf(base::GetString(kMsgEvaluationFailed), expression.c_str()));
    if (r.outcome == WatchAdd::Register) base::ErrorBoxId(kMsgRegisterWatch);
}

void RefreshWatchWindow() {
    WindowsState& w = state();
    if (!ProgramStopped()) return;
    EvalContext ctx = ContextOfFrame(StopFrame());
    if (!w.keptWatches.empty()) {
        std::vector<std::string> kept = std::move(w.keptWatches);
        w.keptWatches.clear();
        for (auto it = kept.rbegin(); it != kept.rend(); ++it) AddWatchItem(ctx, *it, false);
    }
    std::vector<WatchState> states = RefreshWatches(w.watches, ctx);
    HWND tree = ViewControl(kWatch);
    if (!tree || w.items.size() != w.watches.size()) return;
    for (std::size_t n = 0; n < states.size(); ++n)
        if (states[n] != WatchState::Unchanged) WriteWatchItem(tree, ctx, n);
}

// A node that opens gets its members when first opened.
void OpenNode(HWND tree, const NMTREEVIEWA& nm) {
    WindowsState& w = state();
    LPARAM data = nm.itemNew.lParam;
    if (nm.action != TVE_EXPAND || data <= 0 || data > static_cast<LPARAM>(w.openable.size()) || !ProgramStopped()) return;
    if (SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(nm.itemNew.hItem))) return;
    EvalContext ctx = ContextOfFrame(StopFrame());
    std::shared_ptr<Value> value = w.openable[static_cast<std::size_t>(data - 1)];
    ValueNode node;
    FormatTree(ctx.Source(), *value, node);
    InsertChildren(tree, nm.itemNew.hItem, node);
}

void WatchDialog();
void ShowView(View v);

void WatchMenu(HWND window, int x, int y) {
    HMENU menu = CreatePopupMenu();
    int radix = state().radix;
    AppendMenuA(menu, MF_STRING | (radix == 10 ? MF_CHECKED : 0), kRadixDecimal, base::GetString(kMsgRadixDecimal));
    AppendMenuA(menu, MF_STRING | (radix == 16 ? MF_CHECKED : 0), kRadixHex, base::GetString(kMsgRadixHex));
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kEditWatches, base::GetString(kMsgEditWatches));
    if (x == -1 && y == -1) {
        RECT r;
        GetWindowRect(window, &r);
        x = r.left + 10, y = r.top + 10;
    }
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, window, nullptr);
    DestroyMenu(menu);
    if (chosen == kEditWatches) WatchDialog();
    else if (chosen == kRadixDecimal || chosen == kRadixHex) {
        state().radix = chosen == kRadixHex ? 16 : 10;
        FillWatchTree();
        state().locals = LocalsView{};  // every line again in the new radix
        if (HWND list = ViewControl(kLocals)) SendMessageA(list, LB_RESETCONTENT, 0, 0);
        if (ProgramStopped()) WalkFrames(), RefreshStack(), RefreshLocalsWindow(), RefreshNearby(), RefreshDump();
    }
}

// --- choosing a frame ------------------------------------------------------------------------

void ChooseFrame(int index) {
    WindowsState& w = state();
    if (!ProgramStopped() || index < 0 || index >= static_cast<int>(w.frames.size())) return;
    w.chosen = index;
    const Frame& f = w.frames[static_cast<std::size_t>(index)];
    if (f.line && !f.file.empty() && editor::OpenFileWindow(SourcePathOf(f.file))) {
        editor::GoToLine(static_cast<long>(f.line));
        editor::RefreshEditorWindows();
    }
    RefreshLocalsWindow();
}

// --- the tool windows ------------------------------------------------------------------------

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowsState& w = state();
    switch (message) {
    case WM_SIZE:
        MoveWindow(Child(window), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_COMMAND:
        if (window == w.views[kStack] && LOWORD(wParam) == IDC_DEBUG_VIEW && HIWORD(wParam) == LBN_SELCHANGE) {
            HWND list = Child(window);
            LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
            if (at >= 0) ChooseFrame(static_cast<int>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(at), 0)));
        }
        return 0;
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (window != w.views[kWatch] || hdr->idFrom != IDC_DEBUG_VIEW) break;
        if (hdr->code == TVN_ITEMEXPANDINGA) OpenNode(hdr->hwndFrom, *reinterpret_cast<const NMTREEVIEWA*>(lParam));
        if (hdr->code == TVN_KEYDOWN && reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey == VK_INSERT) WatchDialog();
        return 0;
    }
    case WM_CONTEXTMENU:
        if (window == w.views[kWatch]) WatchMenu(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_DESTROY:
        // The watches stay; their items are made again when the window is.
        if (window == w.views[kWatch]) w.items.clear(), w.openable.clear();
        for (HWND& v : w.views)
            if (v == window) v = nullptr;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        const std::string& text = state().tipText;
        TextOutA(dc, 2, 1, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, old);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered) return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    base::RegisterWindowClass({.name = kViewClass, .procedure = ViewProc});
    base::RegisterWindowClass({.name = kTipClass, .procedure = TipProc, .style = CS_SAVEBITS, .background = nullptr});
    registered = true;
}

// A tool window of the frame, one below the other at its right edge, on the screen.
HWND CreateView(View v) {
    RegisterClasses();
    RECT frame{0, 0, 800, 600};
    if (base::app().frame) GetWindowRect(base::app().frame, &frame);
    const int width = 340, height = 150;
    int x = std::max<int>(0, std::min<int>(frame.right - width / 2, GetSystemMetrics(SM_CXSCREEN) - width));
    int y = frame.top + 40 + static_cast<int>(v) * (height + 4);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kViewClass, base::GetString(kTitles[v]), WS_OVERLAPPEDWINDOW, x, y, width,
                                  height, base::app().frame, nullptr, base::app().instance, nullptr);
    if (!window) return nullptr;
    bool tree = v == kWatch;
    DWORD style = WS_CHILD | WS_VISIBLE |
                  (tree ? TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS
                        : WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    HWND child = CreateWindowExA(0, tree ? WC_TREEVIEWA : "LISTBOX", "", style, 0, 0, 0, 0, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DEBUG_VIEW)), base::app().instance, nullptr);
    if (!tree) {
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
        SendMessageA(child, LB_SETHORIZONTALEXTENT, 2000, 0);
    }
    RECT r;
    GetClientRect(window, &r);
    MoveWindow(child, 0, 0, r.right, r.bottom, FALSE);
    return window;
}

void ShowView(View v) {
    WindowsState& w = state();
    bool created = false;
    if (!w.views[v]) {
        w.views[v] = CreateView(v);
        created = w.views[v] != nullptr;
    }
    if (!w.views[v]) return;
    if (created && ProgramStopped()) {
        if (v == kStack) RefreshStack();
        if (v == kLocals) RefreshLocalsWindow();
        if (v == kNearby) RefreshNearby();
        if (v == kDump) RefreshDump();
        if (v == kWatch) FillWatchTree();
    }
    SetWindowPos(w.views[v], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// --- the dialogs -----------------------------------------------------------------------------

void WatchDialog() {
    WindowsState& w = state();
    std::vector<std::string> list;
    for (const Watch& watch : w.watches) list.push_back(watch.expression);
    auto show = [&](HWND dialog) {
        HWND box = GetDlgItem(dialog, IDC_WATCH_LIST);
        SendMessageA(box, LB_RESETCONTENT, 0, 0);
        for (const std::string& e : list) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
    };
    base::DialogPlan plan{
        [&](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_WATCH_ENTRY, EM_LIMITTEXT, kWatchEntryLimit, 0);
            show(dialog);
        },
        [&](HWND) -> INT_PTR { return IDOK; },
        [&](HWND dialog, WPARAM wParam) {
            switch (LOWORD(wParam)) {
            case IDC_WATCH_ADD:
                if (AddToWatchList(list, base::ItemText(dialog, IDC_WATCH_ENTRY))) show(dialog);
                SetDlgItemTextA(dialog, IDC_WATCH_ENTRY, "");
                return true;
            case IDC_WATCH_DELETE: {
                LRESULT at = SendDlgItemMessageA(dialog, IDC_WATCH_LIST, LB_GETCURSEL, 0, 0);
                if (at >= 0 && at < static_cast<LRESULT>(list.size())) list.erase(list.begin() + at), show(dialog);
                return true;
            }
            default: return false;
            }
        }};
    if (base::RunDialog(IDD_WATCHES, plan) != IDOK) return;
    // The window is emptied and every listed expression watched again, oldest first.
    w.watches.clear();
    ShowView(kWatch);
    FillWatchTree();
    if (!ProgramStopped()) {
        w.keptWatches = list;
        return;
    }
    EvalContext ctx = ContextOfFrame(StopFrame());
    // Each goes in front: the list's first is added last, so the order stays.
    for (auto e = list.rbegin(); e != list.rend(); ++e) AddWatchItem(ctx, *e, true);
}

void EvaluateDialog() {
    if (!ProgramStopped()) {
        Status(base::GetString(kMsgProgramRunning));
        return;
    }
    WindowsState& w = state();
    auto fillHistory = [&](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_EV_EXPRESSION);
        std::string text = base::ItemText(dialog, IDC_EV_EXPRESSION);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const std::string& e : w.history) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
        SetWindowTextA(combo, text.c_str());
    };
    base::DialogPlan plan{
        [&](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_EV_EXPRESSION, CB_LIMITTEXT, kHistoryTextLimit, 0);
            fillHistory(dialog);
            if (!w.history.empty()) SetDlgItemTextA(dialog, IDC_EV_EXPRESSION, w.history.front().c_str());
        },
        [&](HWND dialog) -> INT_PTR {
            std::string text = base::ItemText(dialog, IDC_EV_EXPRESSION);
            RememberExpression(w.history, text);
            fillHistory(dialog);
            EvaluateAnswer a = EvaluateExpressionText(StoppedEvalContext(), text);
            HWND list = GetDlgItem(dialog, IDC_EV_RESULT);
            FillList(list, a.lines);
            if (!a.ok) Status(a.status);
            return base::kStayOpen;
        }};
    base::RunDialog(IDD_EVALUATE, plan);
}

void ShowValueOfWord() {
    if (!ProgramStopped()) {
        Status(base::GetString(kMsgProgramRunning));
        return;
    }
    std::string word = editor::WordAtCursor();
    if (word.empty()) {
        Status(base::GetString(kMsgNoWordAtCursor));
        return;
    }
    NameValue v = ValueOfName(StoppedEvalContext(), word);
    if (v.kind == NameValue::Value)
        base::ListDialog(Printf(base::GetString(kMsgValueOf), word.c_str()), "", v.lines, base::ListMode::Show);
    else Status(v.status);
}

// --- value tips ------------------------------------------------------------------------------

void CALLBACK TipTimer(HWND, UINT, UINT_PTR, DWORD);

void SetTipPeriod(unsigned ms) {
    WindowsState& w = state();
    if (w.timer && w.period == ms) return;
    if (w.timer) KillTimer(nullptr, w.timer);
    w.timer = SetTimer(nullptr, 0, ms, TipTimer);
    w.period = ms;
}

// The word under the mouse in the editor window, when the mouse lies in its client area.
bool WordUnderMouse(HWND editorWindow, POINT screen, std::string& word) {
    POINT p = screen;
    ScreenToClient(editorWindow, &p);
    RECT r;
    GetClientRect(editorWindow, &r);
    if (!PtInRect(&r, p) || WindowFromPoint(screen) != editorWindow) return false;
    editor::View* view = editor::ViewOf(editorWindow);
    if (!view) return false;
    editor::SyncWindow(editorWindow, false);  // the rows must be those of the text as it is now
    int row = 0;
    long column = 0;
    // The column of the character under the point, not the caret place nearest to it.
    editor::RowAndColumnAt(editorWindow, p.x - editor::EditorMetrics().charWidth / 2, p.y, row, column);
    editor::Place place = editor::PlaceAt(*view, row, column);
    if (!place.line || place.line == view->document->lines) return false;
    word = WordAt(editor::LineText(*place.line), static_cast<std::size_t>(place.column));
    return true;
}

bool ShowTip(POINT screen, const std::string& text) {
    WindowsState& w = state();
    RegisterClasses();
    if (!w.tip)
        w.tip = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTipClass, "", WS_POPUP | WS_BORDER, 0, 0, 0, 0, base::app().frame,
                                nullptr, base::app().instance, nullptr);
    if (!w.tip) return false;
    w.tipText = text;
    SetWindowTextA(w.tip, text.c_str());
    HDC dc = GetDC(w.tip);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(w.tip, dc);
    SetWindowPos(w.tip, HWND_TOPMOST, screen.x, screen.y + 10, size.cx + 5, size.cy + 3, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(w.tip, nullptr, TRUE);
    return true;
}

void CALLBACK TipTimer(HWND, UINT, UINT_PTR, DWORD) {
    POINT mouse{};
    GetCursorPos(&mouse);
    TickValueTip(mouse.x, mouse.y);
}

}  // namespace

void TickValueTip(int x, int y) {
    WindowsState& w = state();
    HWND active = editor::ActiveDocumentWindow();
    editor::EditorWindow* ew = active ? editor::WindowState(active) : nullptr;
    POINT mouse{x, y};
    std::string word;
    bool eligible = ProgramStopped() && ew && !ew->dragging && WordUnderMouse(active, mouse, word);
    TipTick t = TickTip(w.clock, mouse.x, mouse.y, eligible);
    if (t.hide) HideValueTip();
    if (t.show) {
        std::string text = word.empty() ? std::string() : TipText(StoppedEvalContext(), word);
        if (text.empty() || !ShowTip(mouse, text)) w.clock.shown = false, t.nextMs = kTipIdleMs;
    }
    SetTipPeriod(t.nextMs);
}

EvalContext StoppedEvalContext() { return ContextOfFrame(ShownFrame()); }

void HideValueTip() {
    WindowsState& w = state();
    if (w.tip && IsWindowVisible(w.tip)) ShowWindow(w.tip, SW_HIDE);
    w.clock.shown = false;
}

void RefreshDebuggerWindows() {
    WindowsState& w = state();
    w.chosen = -1;
    if (!w.timer) SetTipPeriod(kTipIdleMs);
    if (!ProgramStopped()) return;
    WalkFrames();
    RefreshStack();
    RefreshLocalsWindow();
    RefreshWatchWindow();
    RefreshNearby();
    RefreshDump();
    // The stop is theirs to show: the windows come in front of the frame, which keeps the focus.
    for (HWND v : w.views)
        if (v && IsWindowVisible(v)) SetWindowPos(v, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DebuggerWindowsRunning() {
    HideValueTip();
    state().chosen = -1;
}

void CloseDebuggerWindows() {
    WindowsState& w = state();
    if (w.timer) KillTimer(nullptr, w.timer);
    w.timer = 0, w.period = 0;
    if (w.tip) DestroyWindow(w.tip);
    w.tip = nullptr;
    for (HWND& v : w.views)
        if (v) DestroyWindow(v), v = nullptr;
    for (const Watch& watch : w.watches) w.keptWatches.push_back(watch.expression);
    w.watches.clear(), w.items.clear(), w.openable.clear(), w.frames.clear();
    w.locals = LocalsView{};
    w.chosen = -1;
    w.clock = TipClock{};
}

bool RunDebuggerWindowCommand(int id) {
    if (id >= CMD_FIRST_CALL_STACK_ENTRY && id < CMD_FIRST_CALL_STACK_ENTRY + kCommandFrames) {
        ChooseFrame(id - CMD_FIRST_CALL_STACK_ENTRY);
        return true;
    }
    switch (id) {
    case CMD_STACK_WINDOW:
        if (!DebuggingActive()) return true;
        ShowView(kStack), ShowView(kLocals), ShowView(kNearby);
        return true;
    case CMD_WATCHES:
        if (DebuggingActive()) ShowView(kWatch);
        return true;
    case CMD_CPU_WINDOW:
        if (DebuggingActive()) ShowView(kDump);
        return true;
    case CMD_EVALUATE:
        if (DebuggingActive()) EvaluateDialog();
        return true;
    case CMD_SHOW_VALUE:
        if (DebuggingActive()) ShowValueOfWord();
        return true;
    default: return false;
    }
}

}  // namespace tarvo::debugger
