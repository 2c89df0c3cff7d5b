// Grep's core over real trees of C sources and headers beside GNU grep -rn and ripgrep -n on
// the same trees, masks and expressions, in one run: times (median of the rounds, after a warm
// run that fills the page cache) and whether the (file, line) sets agree with grep's.
//
//   tarvo_grep_bench [rounds [directory...]]
//
// The default trees are the system's and the cross compilers' headers (about 180 MB). Goal:
// at most 1.5 times grep -rn, with the same hits.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "tools/grep.h"

namespace {

using Clock = std::chrono::steady_clock;
using tarvo::tools::GrepRequest;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double ProcessorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The "file:line" pairs a tool printed ("file:line:text" rows).
std::set<std::string> Pairs(const std::string& output) {
    std::set<std::string> pairs;
    for (std::size_t at = 0; at < output.size();) {
        std::size_t end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        std::size_t colon = output.find(':', at);
        std::size_t second = colon < end ? output.find(':', colon + 1) : std::string::npos;
        if (second < end) pairs.insert(output.substr(at, second - at));
        at = end + 1;
    }
    return pairs;
}

struct ToolRun {
    double seconds = 0;
    double processor = 0;
    std::string output;
};

ToolRun RunTool(const std::string& command) {
    ToolRun run;
    auto start = Clock::now();
    double before = ProcessorSeconds(RUSAGE_CHILDREN);
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    static char buffer[1 << 16];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
    pclose(pipe);
    run.seconds = Seconds(start);
    run.processor = ProcessorSeconds(RUSAGE_CHILDREN) - before;
    return run;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<std::string> trees;
    for (int i = 2; i < argc; ++i) trees.push_back(argv[i]);
    if (trees.empty()) trees = {"/usr/include", "/usr/share/mingw-w64/include"};
    std::string dirs;
    for (const std::string& t : trees) dirs += " " + Quote(t);
    const bool haveRg = std::system("command -v rg >/dev/null 2>&1") == 0;

    struct Case {
        const char* name;
        std::string expression;
        std::uint16_t flags;
        const char* grepOptions;
        const char* rgOptions;
    };
    using namespace tarvo::tools;
    const std::uint16_t sub = kGrepSubdirectories;
    const Case cases[] = {
        {"plain", "pthread_mutex_lock", std::uint16_t(sub | kGrepCaseSensitive), "-F", "-F -s"},
        {"plain, frequent", "int", std::uint16_t(sub | kGrepCaseSensitive), "-F", "-F -s"},
        {"whole words", "size_t", std::uint16_t(sub | kGrepCaseSensitive | kGrepWholeWords), "-F -w", "-F -w -s"},
        {"ignore case", "mutex", std::uint16_t(sub), "-F -i", "-F -i"},
        {"regex", "str[a-z]*cpy", std::uint16_t(sub | kGrepCaseSensitive | kGrepRegex), "-E", "-s"},
        {"regex, no literal", "[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]", std::uint16_t(sub | kGrepCaseSensitive | kGrepRegex), "-E", "-s"},
    };
    std::printf("%-18s %21s %21s %21s %6s %8s %s\n", "case", "tarvo cpu/wall s", "grep -rn cpu/wall s",
                "rg -n -j1 cpu/wall s", "ratio", "hits", "same hits as grep");
    bool allSame = true;
    for (const Case& c : cases) {
        std::string grepCommand = "LC_ALL=C grep -rn " + std::string(c.grepOptions) +
                                  " --include='*.c' --include='*.h' -e " + Quote(c.expression) + dirs;
        std::string rgCommand = "rg -n --no-heading -uu -j1 -g '*.c' -g '*.h' " + std::string(c.rgOptions) + " -e " +
                                Quote(c.expression) + dirs;
        std::vector<double> ours, grep, rg, oursCpu, grepCpu, rgCpu;
        std::set<std::string> ourPairs, grepPairs;
        std::size_t hits = 0;
        for (int r = 0; r <= rounds; ++r) {  // round 0 warms the cache
            auto start = Clock::now();
            double cpu = ProcessorSeconds(RUSAGE_SELF);
            std::vector<GrepHit> all;
            for (const std::string& tree : trees) {
                GrepRequest request{c.expression, "*.c *.h", tree, c.flags};
                GrepMatcher matcher;
                if (CompileGrep(request, matcher) != 0) return 1;
                GrepOutcome outcome = RunGrep(request, matcher);
                for (GrepHit& h : outcome.hits) all.push_back(std::move(h));
            }
            double t = Seconds(start);
            cpu = ProcessorSeconds(RUSAGE_SELF) - cpu;
            ToolRun g = RunTool(grepCommand);
            ToolRun q = haveRg ? RunTool(rgCommand) : ToolRun{};
            if (r == 0) {
                hits = all.size();
                for (const GrepHit& h : all) {
                    std::string path = h.path;
                    std::replace(path.begin(), path.end(), '\\', '/');
                    ourPairs.insert(path + ":" + std::to_string(h.line));
                }
                grepPairs = Pairs(g.output);
                continue;
            }
            ours.push_back(t);
            oursCpu.push_back(cpu);
            grep.push_back(g.seconds);
            grepCpu.push_back(g.processor);
            rg.push_back(haveRg ? q.seconds : 0);
            rgCpu.push_back(haveRg ? q.processor : 0);
        }
        bool same = ourPairs == grepPairs;
        allSame = allSame && same;
        std::size_t onlyOurs = 0, onlyGrep = 0;
        for (const std::string& p : ourPairs) onlyOurs += !grepPairs.count(p);
        for (const std::string& p : grepPairs) onlyGrep += !ourPairs.count(p);
        std::printf("%-18s %10.3f/%10.3f %10.3f/%10.3f %10.3f/%10.3f %6.2f %8zu %s", c.name, Median(oursCpu), Median(ours),
                    Median(grepCpu), Median(grep), Median(rgCpu), Median(rg), Median(oursCpu) / Median(grepCpu), hits,
                    same ? "yes" : "NO");
        if (!same) std::printf(" (%zu only ours, %zu only grep's)", onlyOurs, onlyGrep);
        std::printf("\n");
    }
    return allSame ? 0 : 2;
}
