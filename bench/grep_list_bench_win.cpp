// Grep's hits shown: the time from the end of a search to the last of its rows in the program's
// output list, painted (the list filled, its first page of rows made and drawn), for 170,000 hits
// of a tree of ordinary depth. Goal: under a second.
//
//   tarvo_grep_list_bench_win [hits [runs]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock_win.h"
#include "base/app_win.h"
#include "bench_project_win.h"
#include "tools/grep_session.h"
#include "tools/grep_win.h"

namespace {

using namespace tarvo;

// Hits as a search of a header tree gives them: a few hundred files in a few directories, lines
// of ordinary length with their indentation.
tools::GrepOutcome Outcome(std::size_t count) {
    tools::GrepOutcome outcome;
    outcome.hits.reserve(count);
    std::string path;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 400 == 0)
            path = "Z:\\usr\\include\\x86_64-linux-gnu\\sys" + std::to_string(i / 4000) + "\\header_" + std::to_string(i / 400) + ".h";
        outcome.hits.push_back({path, static_cast<long>(i % 400 * 7 + 1),
                                "    extern int function_" + std::to_string(i) + " (int __fd, const char *__buf, size_t __n);"});
    }
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t count = argc > 1 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) : 170000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::string dir = bench::WindowsPath(TARVO_BUILD_DIR) + "\\grep-list-bench";
    if (!bench::StartWithProject(dir)) return 1;
    ShowWindow(base::app().frame, SW_SHOW);
    const tools::GrepOutcome outcome = Outcome(count);
    const tools::GrepRequest request{"int", "*.c *.h", "Z:\\usr\\include", tools::kGrepSubdirectories};
    HWND list = base::app().messageList;
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        tools::GrepOutcome copy = outcome;  // the list keeps what it is given
        double t = Now();
        tools::ListOutcome(request, std::move(copy));
        RedrawWindow(base::app().frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        times.push_back(Now() - t);
    }
    const long rows = static_cast<long>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::sort(times.begin(), times.end());
    std::printf("%zu hits: search end to the last row listed and painted %.0f ms (median of %d; best %.0f ms), %ld rows\n",
                count, times[times.size() / 2] * 1000, runs, times.front() * 1000, rows);
    return rows == static_cast<long>(count) + 1 ? 0 : 1;
}
