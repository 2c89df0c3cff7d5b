// The side-by-side viewer in the program's own window layer: the time from asking for the
// viewer on two 100,000-line files until both panes have painted (files read, compared, window
// made and painted), beside the comparison alone; then a move to the next change, painted.
// Two pairs: one line in 100 changed, and one in 10.
// Usage: tarvo_compare_viewer_bench_win [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock_win.h"
#include "analysis/compare_files.h"
#include "analysis/compare_view.h"
#include "analysis/compare_viewer_win.h"
#include "bench_files_win.h"
#include "bench_project_win.h"
#include "resource_ids.h"

namespace {

using namespace tarvo;

constexpr int kLines = 100000;

// A C-like file, and a copy with every `every`-th line edited, inserted after or left out in
// turn, so the changes are scattered through the whole file.
void MakePair(const std::string& a, const std::string& b, int every) {
    std::string first, second;
    for (int i = 0; i < kLines; ++i) {
        std::string line = "\tvalue" + std::to_string(i % 977) + " = table[" + std::to_string(i) + "] + offset;\r\n";
        first += line;
        if (i % every != 0) {
            second += line;
            continue;
        }
        switch ((i / every) % 3) {
        case 0: second += "\tchanged(" + std::to_string(i) + ");\r\n"; break;
        case 1: second += line + "\tinserted(" + std::to_string(i) + ");\r\n"; break;
        default: break;  // left out
        }
    }
    bench::Write(a, first);
    bench::Write(b, second);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string dir = bench::WindowsPath(TARVO_BUILD_DIR) + "\\compare-bench";
    if (!bench::StartWithProject(dir)) return 1;
    for (int every : {100, 10}) {
        std::string a = dir + "\\first.c", b = dir + "\\second.c";
        MakePair(a, b, every);
        std::vector<double> opens, compares, nexts;
        std::size_t changes = 0;
        for (int r = 0; r < runs; ++r) {
            double t0 = Now();
            HWND window = analysis::OpenComparisonWindow({a, b, "first.c", "second.c", {}, false, {}});
            GdiFlush();
            opens.push_back(Now() - t0);
            if (!window) {
                std::printf("no viewer opened\n");
                return 1;
            }
            Pump();
            for (int n = 0; n < 20; ++n) {
                double t1 = Now();
                SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CMP_NEXT, BN_CLICKED), 0);
                RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                GdiFlush();
                nexts.push_back(Now() - t1);
            }
            DestroyWindow(window);
            Pump();
            // The comparison alone: the files read and compared, no window.
            double t2 = Now();
            std::string x, y;
            analysis::ReadTextFile(a, x);
            analysis::ReadTextFile(b, y);
            analysis::ComparedTexts texts;
            analysis::LoadComparison(texts, std::move(x), std::move(y));
            compares.push_back(Now() - t2);
            changes = texts.changes.size();
        }
        std::printf("two %d-line files, one line in %d changed (%zu changes):\n", kLines, every, changes);
        std::printf("  viewer open to first paint: %.0f ms (median of %d)\n", Median(opens) * 1000, runs);
        std::printf("  of which reading and comparing: %.0f ms\n", Median(compares) * 1000);
        std::printf("  next change, painted: %.2f ms (median of %zu)\n", Median(nexts) * 1000, nexts.size());
    }
    return 0;
}
