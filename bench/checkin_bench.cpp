// Check-in of the 1,001st revision of a file of 10,000 lines with 1,000 revisions, beside GNU
// RCS `ci` on the same history (its file made from ours). Wall-clock times, the median of three
// runs, each on a fresh copy of the history.
//   tarvo_checkin_bench [REVISIONS] [LINES]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "cms/checkin.h"
#include "cms/repository.h"
#include "cms_history.h"
#include "rcs_file.h"

namespace {

using Clock = std::chrono::steady_clock;

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

template <class Run>
double Median3(Run run) {
    double t[3] = {run(), run(), run()};
    std::sort(t, t + 3);
    return t[1];
}

}  // namespace

int main(int argc, char** argv) {
    int revisions = argc > 1 ? std::atoi(argv[1]) : 1000;
    int lines = argc > 2 ? std::atoi(argv[2]) : 10000;
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("tarvo-checkin-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "work" / "CMS");
    fs::create_directories(dir / "rcs");
    auto made = Clock::now();
    tarvo::test::History h = tarvo::test::MakeHistory({revisions, 0, false, 7, false, lines});
    std::string ours = tarvo::cms::FormatRepository(h.repo);
    std::string theirs = tarvo::test::ToRcs(ours);
    std::mt19937 rng(11);
    std::string working = tarvo::test::Mutate(h.texts[h.repo.head], rng, false);
    std::printf("history of %d revisions, %d lines at first, made in %.1f s; repository %zu bytes\n", revisions, lines,
                Seconds(made), ours.size());

    tarvo::cms::CmsContext c;
    c.cmsDirectory = (dir / "work" / "CMS").string();
    c.workingDirectory = (dir / "work").string();
    c.user = "bench";
    c.now = [] { return std::string("2099.1.1.0.0.0"); };
    double our = Median3([&] {
        Write((dir / "work" / "CMS" / "f.c").string(), ours);
        Write((dir / "work" / "f.c").string(), working);
        auto start = Clock::now();
        bool stored = tarvo::cms::Put(c, {"f.c", "", "", "", "bench\n", tarvo::cms::kPutKeep | tarvo::cms::kPutQuiet});
        double t = Seconds(start);
        if (!stored) std::printf("our check-in failed\n");
        return t;
    });
    double rcs = Median3([&] {
        Write((dir / "rcs" / "f.c,v").string(), theirs);
        Write((dir / "rcs" / "f.c").string(), tarvo::LfLineEnds(working));
        std::string command = "cd '" + (dir / "rcs").string() + "' && ci -q -f -u -mbench -d'2099/01/01 00:00:00' f.c";
        auto start = Clock::now();
        int status = std::system(command.c_str());
        double t = Seconds(start);
        if (status != 0) std::printf("ci failed (%d)\n", status);
        return t;
    });
    std::printf("check-in of revision %d: ours %.3f s, RCS ci %.3f s, ratio %.2f (goal at most 1)\n", revisions + 1, our,
                rcs, our / rcs);
    fs::remove_all(dir);
    return 0;
}
