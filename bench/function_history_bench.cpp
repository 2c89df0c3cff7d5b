// The history of one function through a file of 1,000 revisions: a C file of 1,000 functions
// (about 10,000 lines), each revision changing a few of their bodies. Times the reading of the
// repository file and the trace (every revision rebuilt, the function found in each and
// compared), the median of three runs.
//   tarvo_function_history_bench [REVISIONS] [FUNCTIONS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "cms/function_history.h"
#include "cms/repository.h"
#include "platform/text.h"

namespace {

using tarvo::Printf;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string Body(int function, unsigned version) {
    return Printf("static int fn%d(int a, const char *s)\n{\n    int n = %u;\n    while (*s) {\n        n += *s++ * a;\n"
                  "    }\n    if (n > %d)\n        return n - %u;\n    return n;\n}\n",
                  function, version, function, version);
}

}  // namespace

int main(int argc, char** argv) {
    int revisions = argc > 1 ? std::atoi(argv[1]) : 1000;
    int functions = argc > 2 ? std::atoi(argv[2]) : 1000;
    std::mt19937 rng(5);
    std::vector<unsigned> versions(static_cast<std::size_t>(functions), 0);
    auto text = [&] {
        std::string out = "#include <stdio.h>\n\n";
        for (int f = 0; f < functions; ++f) out += Body(f, versions[static_cast<std::size_t>(f)]);
        return out;
    };
    auto made = Clock::now();
    tarvo::cms::Repository repo;
    std::string message, parent;
    int traced = functions / 2, changesOfTraced = 0;
    for (int r = 1; r <= revisions; ++r) {
        if (r > 1)
            for (int k = 0; k < 3; ++k) {
                std::size_t f = rng() % static_cast<unsigned>(functions);
                if (static_cast<int>(f) != traced) ++versions[f];  // the traced one changes on its own
            }
        if (r > 1 && r % 10 == 0) {
            ++versions[static_cast<std::size_t>(traced)];
            ++changesOfTraced;
        }
        std::string number = Printf("1.%d", r);
        tarvo::cms::NewRevision n{number, parent, "", "bench", "Exp", "log\n", text()};
        n.date = Printf("%d.%d.%d.%d.%d.%d", 2001 + r / 8000, 1 + r / 700 % 12, 1 + r / 24 % 28, r % 24, r % 60, (r * 7) % 60);
        if (!tarvo::cms::AddRevision(repo, n, message)) {
            std::printf("cannot build the history: %s\n", message.c_str());
            return 1;
        }
        parent = number;
    }
    std::string bytes = tarvo::cms::FormatRepository(repo);
    std::printf("history of %d revisions, %d functions (%zu lines), made in %.1f s; repository %zu bytes\n", revisions,
                functions, std::count(repo.deltas[repo.index[repo.head]].text.begin(),
                                      repo.deltas[repo.index[repo.head]].text.end(), '\n'),
                Seconds(made), bytes.size());
    double times[3], cpu[3];
    std::size_t listed = 0;
    for (int run = 0; run < 3; ++run) {
        double& t = times[run];
        auto start = Clock::now();
        std::clock_t cpuStart = std::clock();
        tarvo::cms::Repository read;
        tarvo::cms::Problems problems;
        tarvo::cms::FunctionHistory history;
        if (!tarvo::cms::ParseRepository(bytes, "bench", read, problems) ||
            !tarvo::cms::TraceFunction(read, Printf("fn%d", traced), "", history, message)) {
            std::printf("trace failed: %s\n", message.c_str());
            return 1;
        }
        t = Seconds(start);
        cpu[run] = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        listed = history.changes.size();
    }
    std::sort(times, times + 3);
    std::sort(cpu, cpu + 3);
    std::printf("fn%d: %zu revisions listed (expected %d: added, then changed %d times)\n", traced, listed,
                changesOfTraced + 1, changesOfTraced);
    // On a shared machine the processor time says what the wall clock cannot.
    std::printf("read and trace: %.3f s wall, %.3f s processor (medians of 3; goal under 1 s)\n", times[1], cpu[1]);
    return listed == static_cast<std::size_t>(changesOfTraced + 1) ? 0 : 1;
}
