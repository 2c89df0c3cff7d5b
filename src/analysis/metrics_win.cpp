#include "analysis/metrics_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "analysis/analysis_messages.h"
#include "analysis/function_list.h"
#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "editor/cursor.h"
#include "editor/editor_window_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "resource_ids.h"

namespace tarvo::analysis {
namespace {

constexpr int kShownSeries = kSeriesDensity + 1;  // the level is computed but not offered
constexpr UINT kFirstSeriesItem = 2240;            // the plot's menu: one item per series
constexpr UINT_PTR kHighlightTimer = 1;
constexpr UINT kHighlightMilliseconds = 800;
constexpr INT_PTR kNextFunction = IDC_MX_NEXT;  // the dialog's result for "Next function"

struct Plot {
    HWND window = nullptr;
    HWND bar = nullptr;  // status bar: "name: value" of the clicked line
    FileMetrics metrics;
    int series = kSeriesLength;
    int highlighted = -1;
    PlotLayout layout;
};

struct MetricsWindows {
    std::vector<std::unique_ptr<Plot>> plots;
};

MetricsWindows& windows() {
    static MetricsWindows w;
    return w;
}

Plot* PlotOf(HWND window) {
    for (const std::unique_ptr<Plot>& p : windows().plots)
        if (p->window == window) return p.get();
    return nullptr;
}

// --- the analysis dialog ---------------------------------------------------------------------

// The function the cursor is in, else the next one below it, else the last one above it.
std::size_t FunctionNearCursor(const FunctionRecords& functions, long line) {
    for (std::size_t i = 0; i < functions.size(); ++i)
        if (functions[i].endLine >= line) return i;
    return functions.size() - 1;
}

// The dialog for one function; true when "Next function" was pressed.
bool AnalysisDialog(const Metrics& m, bool hasNext) {
    std::array<std::string, kFieldCount> texts = AnalysisTexts(m);
    base::DialogPlan plan{[&](HWND dialog) {
                              for (int f = 0; f < kFieldCount; ++f)
                                  SetDlgItemTextA(dialog, IDC_MX_FIRST + f, texts[static_cast<std::size_t>(f)].c_str());
                              HWND list = GetDlgItem(dialog, IDC_MX_IDENTIFIERS);
                              for (const std::string& o : m.operands)
                                  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(o.c_str()));
                              EnableWindow(GetDlgItem(dialog, IDC_MX_NEXT), hasNext);
                          },
                          [](HWND) -> INT_PTR { return IDOK; },
                          [](HWND dialog, WPARAM wParam) {
                              if (LOWORD(wParam) != IDC_MX_NEXT) return false;
                              EndDialog(dialog, kNextFunction);
                              return true;
                          }};
    return base::RunDialog(IDD_CODE_ANALYSIS, plan) == kNextFunction;
}

// --- the plot window -------------------------------------------------------------------------

std::string SeriesTitle(int series) { return base::GetString(kMsgFirstSeries + static_cast<unsigned>(series)); }

int BarHeight(HWND bar) {
    RECT r{};
    return bar && GetWindowRect(bar, &r) ? r.bottom - r.top : 0;
}

// The plot's area: the client area above the status bar.
void PlotArea(const Plot& p, int& width, int& height) {
    RECT r{};
    GetClientRect(p.window, &r);
    width = r.right;
    height = std::max(0, static_cast<int>(r.bottom) - BarHeight(p.bar));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void Paint(Plot& p, HDC dc) {
    int width = 0, height = 0;
    PlotArea(p, width, height);
    const std::vector<double>& values = p.metrics.values[static_cast<std::size_t>(p.series)];
    p.layout = LayOutPlot(values, width, height);
    const PlotLayout& l = p.layout;
    HPEN axis = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN bars = CreatePen(PS_SOLID, 2, RGB(0, 0, 160));
    HPEN red = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, axis);
    SetBkMode(dc, TRANSPARENT);
    Line(dc, l.axisLeft, l.baseline, l.axisLeft, l.axisTop);
    Line(dc, l.axisLeft, l.baseline, l.axisRight, l.baseline);
    for (std::size_t i = 0; i < l.bars.size(); ++i) {
        const PlotBar& b = l.bars[i];
        bool lit = static_cast<int>(i) == p.highlighted;
        SelectObject(dc, lit ? red : bars);
        Line(dc, b.x, lit ? l.baseline + 15 : l.baseline, b.x, b.top);
        if (!lit) {
            SelectObject(dc, axis);
            Line(dc, b.x, l.baseline, b.x, l.baseline + 3);
        }
    }
    SelectObject(dc, old);
    DeleteObject(axis), DeleteObject(bars), DeleteObject(red);

    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    auto text = [dc](int x, int y, const std::string& s) { TextOutA(dc, x, y, s.c_str(), static_cast<int>(s.size())); };
    text(20, 5, SeriesTitle(p.series));
    text(2, l.axisTop - tm.tmHeight - 2, Printf("%g", l.max));
    text(2, l.baseline + 5, Printf("%g", l.min));
    text(2, height - tm.tmHeight - 2, base::GetString(kMsgClickForInformation));
}

void ShowSeries(Plot& p, int series) {
    p.series = series;
    p.highlighted = -1;
    KillTimer(p.window, kHighlightTimer);
    SendMessageA(p.bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
    InvalidateRect(p.window, nullptr, TRUE);
}

void Click(Plot& p, int x) {
    int i = BarAt(p.layout, x);
    if (i < 0) return;
    const std::size_t at = static_cast<std::size_t>(i);
    std::string shown = Printf(base::GetString(kMsgBarValue), p.metrics.names[at].c_str(),
                               p.metrics.values[static_cast<std::size_t>(p.series)][at]);
    SendMessageA(p.bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    p.highlighted = i;
    InvalidateRect(p.window, nullptr, TRUE);
    SetTimer(p.window, kHighlightTimer, kHighlightMilliseconds, nullptr);
}

LRESULT CALLBACK PlotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Plot* p = PlotOf(window);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (p) Paint(*p, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_SIZE:
        if (p && p->bar) SendMessageA(p->bar, WM_SIZE, 0, 0);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_COMMAND:
        if (p && LOWORD(wParam) >= kFirstSeriesItem && LOWORD(wParam) < kFirstSeriesItem + kShownSeries) {
            ShowSeries(*p, LOWORD(wParam) - static_cast<int>(kFirstSeriesItem));
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        if (p) Click(*p, GET_X_LPARAM(lParam));
        return 0;
    case WM_TIMER:
        if (p && wParam == kHighlightTimer) {
            KillTimer(window, kHighlightTimer);
            p->highlighted = -1;
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    case WM_DESTROY: {
        std::vector<std::unique_ptr<Plot>>& plots = windows().plots;
        plots.erase(std::remove_if(plots.begin(), plots.end(), [window](const auto& q) { return q->window == window; }),
                    plots.end());
        return 0;
    }
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterPlotClass() {
    return base::RegisterWindowClass({.name = base::GetString(kMsgPlotClass),
                                      .procedure = PlotProc,
                                      .background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                                      .cursor = IDC_CROSS,
                                      .icon = LoadIconA(base::app().instance, "DOCICON")});
}

HMENU SeriesMenu() {
    HMENU menu = CreateMenu();
    for (int s = 0; s < kShownSeries; ++s)
        AppendMenuA(menu, MF_STRING, kFirstSeriesItem + static_cast<UINT>(s), SeriesTitle(s).c_str());
    return menu;
}

bool OpenPlot(FileMetrics metrics, const std::string& file) {
    if (!RegisterPlotClass()) return false;
    auto plot = std::make_unique<Plot>();
    plot->metrics = std::move(metrics);
    Plot& p = *plot;
    windows().plots.push_back(std::move(plot));
    std::string title = Printf(base::GetString(kMsgAnalysisOf), Lower(platform::BaseName(file)).c_str());
    p.window = CreateWindowExA(0, base::GetString(kMsgPlotClass), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 560, 360, base::app().frame, SeriesMenu(), base::app().instance, nullptr);
    if (!p.window) {
        windows().plots.pop_back();
        return false;
    }
    p.bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, p.window, nullptr,
                            base::app().instance, nullptr);
    ShowSeries(p, kSeriesLength);
    ShowWindow(p.window, SW_SHOWNORMAL);
    UpdateWindow(p.window);
    return true;
}

// A copy of the document's function list (the dialogs may outlive a rebuild); false, with the
// message, when it is empty.
bool FunctionsToMeasure(editor::Document& d, FunctionRecords& functions) {
    functions = FunctionsOf(d).functions;
    if (!functions.empty()) return true;
    base::InfoBox(base::GetString(kMsgNoFunctionsInFile));
    return false;
}

}  // namespace

bool ShowCodeAnalysis() {
    editor::Document& d = *editor::CurrentDocument();
    FunctionRecords functions;
    if (!FunctionsToMeasure(d, functions)) return false;
    const Lines lines = LinesOf(d);
    for (std::size_t i = FunctionNearCursor(functions, editor::CursorLineNumber());;) {
        std::optional<Metrics> m = Measure(lines, functions[i]);
        if (!m) {
            base::ErrorBox(Printf(base::GetString(kMsgNothingToMeasure), functions[i].name.c_str()));
            return false;
        }
        if (!AnalysisDialog(*m, i + 1 < functions.size())) return true;
        ++i;
        editor::GoToLine(functions[i].startLine);
        editor::CentreCursor();
        editor::RefreshEditorWindows();
    }
}

bool ShowAnalysisPlot() {
    editor::Document& d = *editor::CurrentDocument();
    FunctionRecords functions;
    if (!FunctionsToMeasure(d, functions)) return false;
    return OpenPlot(MeasureAll(LinesOf(d), functions), d.name);
}

bool DrawnPlot(HWND window, PlotDrawing& out) {
    const Plot* p = PlotOf(window);
    if (!p) return false;
    out.seriesTitle = SeriesTitle(p->series);
    out.names = p->metrics.names;
    out.values = p->metrics.values[static_cast<std::size_t>(p->series)];
    out.layout = p->layout;
    out.highlighted = p->highlighted;
    return true;
}

HWND LatestPlotWindow() { return windows().plots.empty() ? nullptr : windows().plots.back()->window; }

}  // namespace tarvo::analysis
