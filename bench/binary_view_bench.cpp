// The binary editor's core on 100 MB files, each beside its peer in one run (medians of the
// rounds, after a warm run that fills the page cache):
//   - searching a random file for an absent 16-byte pattern, beside `grep -c -F` on the same
//     file and pattern (goal: at most 3 times grep);
//   - searching a file of zeros for 64 zero bytes and a one (goal: at most twice the random
//     search);
//   - a Change (3 bytes for 2 in the middle, with a backup) beside `cp` of the same file (goal:
//     at most 3 times cp), and the memory it took (goal: bounded, a few MB, not the file).
//
//   tarvo_binary_view_bench [rounds [megabytes]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/binary_view.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace tarvo;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The process's resident set, high-water mark, in kB (Linux).
long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double TimeCommand(const std::string& command, std::string* output = nullptr) {
    auto start = Clock::now();
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::string out;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    pclose(pipe);
    if (output) *output = out;
    return Seconds(start);
}

double TimeSearch(const std::string& path, const std::vector<std::uint8_t>& pattern, bool& found) {
    platform::ReadHandle h;
    if (!platform::OpenForReading(path, h)) return -1;
    std::uint64_t at = 0;
    auto start = Clock::now();
    tools::SearchResult r = tools::FindPattern(h, 0, pattern, at);
    double s = Seconds(start);
    found = r == tools::SearchResult::Found;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::size_t megabytes = argc > 2 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[2]))) : 100;
    const std::size_t size = megabytes << 20;
    const fs::path dir = fs::temp_directory_path() / "tarvo_binary_view_bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string random = (dir / "random.bin").string(), zeros = (dir / "zeros.bin").string();
    const std::string patternFile = (dir / "pattern").string();

    // Random bytes without a line end, so grep looks at the whole file as one line, as we do.
    // Written a megabyte at a time, so the memory figure below is that of the editor's work.
    std::mt19937_64 rng(7);
    {
        std::ofstream r(random, std::ios::binary), z(zeros, std::ios::binary);
        std::vector<char> piece(1 << 20);
        for (std::size_t done = 0; done < size; done += piece.size()) {
            for (char& b : piece) {
                b = static_cast<char>(rng());
                if (b == '\n') b = 'n';
            }
            r.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            std::fill(piece.begin(), piece.end(), 0);
            z.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        }
    }
    std::vector<std::uint8_t> absent(16);
    for (auto& b : absent) b = static_cast<std::uint8_t>('A' + rng() % 26);
    WriteFile(patternFile, absent);
    std::vector<std::uint8_t> zeroRun(64, 0);
    zeroRun.push_back(1);

    std::vector<double> ours, grep, zero, change, copy;
    bool found = false, anyFound = false;
    std::string grepCount;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms the page cache
        double s = TimeSearch(random, absent, found);
        anyFound |= found;
        double g = TimeCommand("grep -c -F -a -f " + patternFile + " " + random, &grepCount);
        double z = TimeSearch(zeros, zeroRun, found);
        anyFound |= found;
        tools::ChangePlan plan{size / 2 + static_cast<std::uint64_t>(round), 2, {1, 2, 3}, true, platform::StampOf(random)};
        auto start = Clock::now();
        tools::ChangeResult result = tools::ApplyChange(random, plan);
        double c = Seconds(start);
        if (result != tools::ChangeResult::Done) {
            std::fprintf(stderr, "the change failed (%d)\n", static_cast<int>(result));
            return 1;
        }
        double p = TimeCommand("cp " + random + " " + (dir / "copy.bin").string());
        if (round == 0) continue;
        ours.push_back(s), grep.push_back(g), zero.push_back(z), change.push_back(c), copy.push_back(p);
    }
    const double o = Median(ours), g = Median(grep), z = Median(zero), c = Median(change), p = Median(copy);
    std::printf("file: %zu MB, %d rounds (medians)\n", megabytes, rounds);
    std::printf("search, absent 16 bytes, random file: %.3f s   grep -c -F: %.3f s (count %s)   ratio %.2f (goal <= 3)\n", o, g,
                grepCount.empty() ? "?" : grepCount.substr(0, grepCount.find('\n')).c_str(), o / g);
    std::printf("search, 64 zeros and a one, zeros:    %.3f s   ratio to the random case %.2f (goal <= 2)\n", z, z / o);
    std::printf("change with backup: %.3f s   cp: %.3f s   ratio %.2f (goal <= 3)\n", c, p, c / p);
    std::printf("peak resident memory of this process: %ld kB (the file is %zu kB)\n", PeakKilobytes(), size >> 10);
    if (anyFound) std::printf("error: an absent pattern was found\n");
    fs::remove_all(dir);
    return anyFound ? 1 : 0;
}
