// The comparison engine and the version store beside their GNU counterparts, each as a ratio
// measured in one run:
//   1. two files of 100,000 lines with 1% of the lines changed, against `diff -n`
//      (goal: no slower, and an edit script no longer);
//   2. two files of 100,000 lines drawn at random from 1,003 distinct ones, against `diff -n`;
//   3. rebuilding revision 1.1 (5,000 lines) of a 1,000-revision repository, against RCS
//      `co -p -r1.1` of the same history (goal: no slower).
// Each time is the median of three runs of processor time (user and system), ours in this process and the outside
// program's as its child, so that a loaded machine does not tilt the ratios; ours include
// reading the files, as the outside programs' do.
//
//   tarvo_compare_bench [directory]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <sys/resource.h>

#include "analysis/compare.h"
#include "analysis/compare_files.h"
#include "cms/repository.h"
#include "cms_history.h"
#include "platform/text.h"
#include "rcs_file.h"

namespace {

using tarvo::Printf;

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timer {
    int who;
    double start = CpuSeconds(who);
    explicit Timer(int w) : who(w) {}
    double Seconds() const { return CpuSeconds(who) - start; }
};

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The output size of a command and its time.
double RunTimed(const std::string& command, std::size_t& outputSize) {
    Timer timer(RUSAGE_CHILDREN);
    std::FILE* pipe = popen(command.c_str(), "r");
    char buffer[65536];
    outputSize = 0;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) outputSize += got;
    pclose(pipe);
    return timer.Seconds();
}

template <class Run>
double Median3(Run run) {
    double t[3] = {run(), run(), run()};
    std::sort(t, t + 3);
    return t[1];
}

void ComparePair(const char* title, const std::string& dir, const std::string& a, const std::string& b) {
    Write(dir + "/a", a);
    Write(dir + "/b", b);
    std::size_t theirSize = 0;
    double theirs = Median3([&] { return RunTimed("diff -n '" + dir + "/a' '" + dir + "/b'", theirSize); });
    std::string script;
    double ours = Median3([&] {
        Timer timer(RUSAGE_SELF);
        std::string ta, tb;
        tarvo::analysis::ReadTextFile(dir + "/a", ta);
        tarvo::analysis::ReadTextFile(dir + "/b", tb);
        script = tarvo::analysis::EditScript(tarvo::analysis::SplitLines(ta), tarvo::analysis::SplitLines(tb));
        return timer.Seconds();
    });
    std::printf("%-34s ours %.3f s, diff -n %.3f s, ratio %.2f; script %zu bytes vs %zu (%.3f)\n", title, ours, theirs,
                ours / theirs, script.size(), theirSize, static_cast<double>(script.size()) / theirSize);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "tarvo-compare-bench").string();
    std::filesystem::create_directories(dir);
    std::mt19937 rng(42);

    std::string a, b;
    for (int i = 0; i < 100000; ++i) {
        std::string line = Printf("line %d of a long file with some text %u\n", i, static_cast<unsigned>(rng() % 1000));
        a += line;
        int pick = static_cast<int>(rng() % 300);
        if (pick == 0) continue;                         // deleted
        if (pick == 1) b += "inserted " + line;          // inserted before
        b += pick == 2 ? "changed " + line : line;       // changed
    }
    ComparePair("100,000 lines, 1% changed", dir, a, b);

    std::vector<std::string> distinct;
    for (int i = 0; i < 1003; ++i) distinct.push_back(Printf("distinct line number %d\n", i));
    a.clear();
    b.clear();
    for (int i = 0; i < 100000; ++i) {
        a += distinct[rng() % distinct.size()];
        b += distinct[rng() % distinct.size()];
    }
    ComparePair("100,000 shuffled of 1,003 distinct", dir, a, b);

    tarvo::test::History h = tarvo::test::MakeHistory({1000, 0, false, 9, false, 5000});
    std::string bytes = tarvo::cms::FormatRepository(h.repo);
    Write(dir + "/repo", bytes);
    Write(dir + "/repo,v", tarvo::test::ToRcs(bytes));
    std::size_t coSize = 0;
    double theirs = Median3([&] { return RunTimed("co -q -kb -p -r1.1 '" + dir + "/repo,v'", coSize); });
    std::string text;
    bool ok = false;
    double ours = Median3([&] {
        Timer timer(RUSAGE_SELF);
        std::ifstream in(dir + "/repo", std::ios::binary);
        std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        tarvo::cms::Repository repo;
        tarvo::cms::Problems problems;
        std::string message;
        ok = tarvo::cms::ParseRepository(file, "repo", repo, problems) && tarvo::cms::Rebuild(repo, "1.1", text, message);
        return timer.Seconds();
    });
    std::printf("%-34s ours %.3f s, co -p %.3f s, ratio %.2f; %s (%zu bytes, co %zu)\n", "rebuild 1.1 of 1,000 revisions",
                ours, theirs, ours / theirs, ok && text == h.texts["1.1"] ? "same text" : "DIFFERENT", text.size(), coSize);
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
