// The object file cross reference of every library of the cross toolchain's i686 lib folder
// (about 80,000 members) beside `llvm-nm -A` (llvm-nm-14) listing the same files: time, and peak memory
// beside the input's size. Run by hand:
//   cmake --build <build> --target tarvo_obj_xref_bench && <build>/bench/tarvo_obj_xref_bench [lib dir]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/obj_xref.h"

extern char** environ;

using namespace tarvo;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Runs the program with its output to /dev/null; its peak memory in KB, or -1.
long RunQuiet(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? usage.ru_maxrss : -1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "/usr/i686-w64-mingw32/lib";
    std::vector<std::string> files;
    std::uintmax_t input = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        std::string p = e.path().string();
        if (e.is_regular_file() && (p.ends_with(".a") || p.ends_with(".o") || p.ends_with(".obj") || p.ends_with(".lib"))) {
            files.push_back(p);
            input += e.file_size();
        }
    }
    std::sort(files.begin(), files.end());

    auto start = Clock::now();
    tools::XrefModel model;
    if (!tools::BuildXref(files, model)) return 1;
    double ours = Seconds(start);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::size_t publics = 0, externs = 0, linked = 0;
    for (const tools::XrefModule& m : model.modules) {
        publics += m.publics.size();
        externs += m.externs.size();
        for (const tools::XrefExtern& e : m.externs) linked += !e.definers.empty();
    }

    std::vector<std::string> nm = {"llvm-nm-14", "-A"};
    nm.insert(nm.end(), files.begin(), files.end());
    start = Clock::now();
    long nmMemory = RunQuiet(nm);
    double theirs = Seconds(start);

    std::printf("%zu files, %.1f MB, %zu modules (%zu skipped files or members), %zu publics, %zu externs (%zu linked)\n",
                files.size(), input / 1e6, model.modules.size(), model.skipped.size(), publics, externs, linked);
    std::printf("cross reference: %.2f s, peak memory %.1f MB (%.2fx the input)\n", ours, after.ru_maxrss / 1e3,
                after.ru_maxrss * 1e3 / double(input));
    std::printf("llvm-nm -A:      %.2f s, peak memory %.1f MB\n", theirs, nmMemory / 1e3);
    std::printf("ratio: %.2fx llvm-nm's time (goal: at most 1)\n", ours / theirs);
    return 0;
}
