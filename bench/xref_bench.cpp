// The cross-reference scan of one C file of 540,000 lines beside `cscope -b` building its
// database of the same file (goal: at most 3 times cscope's time). The file is the zlib
// examples shipped with zlib1g-dev, repeated with their names made distinct per copy so that
// every copy adds functions, calls and globals of its own; when the examples are missing a
// generated program of the same shape is used. Each time is the median of three runs of
// processor time; ours includes reading the file and splitting its lines, as cscope's does.
//
//   tarvo_xref_bench [directory]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "analysis/cross_reference.h"

namespace {

namespace fs = std::filesystem;
constexpr long kLines = 540000;

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string ExampleText() {
    std::string all;
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator("/usr/share/doc/zlib1g-dev/examples", ec))
        if (e.path().extension() == ".c") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        all += s.str() + "\n";
    }
    if (!all.empty()) return all;
    for (int f = 0; f < 40; ++f) {
        all += "static int counter" + std::to_string(f) + ";\nint fn" + std::to_string(f) + "(int a)\n{\n";
        for (int k = 0; k < 10; ++k) all += "    if (a > " + std::to_string(k) + ") a += fn" + std::to_string((f + k) % 40) + "(a - 1);\n";
        all += "    return a + counter" + std::to_string(f) + ";\n}\n\n";
    }
    return all;
}

// Copies of the text until it has kLines lines; in copy n every identifier that a function
// defines gets the suffix _n, so the copies do not merge.
std::string BigFile() {
    std::string base = ExampleText();
    std::string out;
    long lines = 0, baseLines = static_cast<long>(std::count(base.begin(), base.end(), '\n'));
    std::regex word("\\b(main|local|[a-z]+_[a-z_]+)\\b");
    for (int copy = 0; lines < kLines; ++copy) {
        std::string renamed = std::regex_replace(base, word, "$1_" + std::to_string(copy));
        out += renamed;
        lines += baseLines;
    }
    return out;
}

template <typename F>
double Median(F run) {
    std::vector<double> t;
    for (int i = 0; i < 3; ++i) t.push_back(run());
    std::sort(t.begin(), t.end());
    return t[1];
}

}  // namespace

int main(int argc, char** argv) {
    fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "tarvo_xref_bench";
    fs::create_directories(dir);
    fs::path file = dir / "big.c";
    std::string text = BigFile();
    std::ofstream(file, std::ios::binary) << text;
    std::printf("file: %s, %ld lines, %zu bytes\n", file.c_str(), static_cast<long>(std::count(text.begin(), text.end(), '\n')),
                text.size());
    std::size_t functions = 0, calls = 0, globals = 0;
    double ours = Median([&] {
        double start = CpuSeconds(RUSAGE_SELF);
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        std::string bytes = s.str();
        tarvo::analysis::Lines lines;
        for (std::size_t at = 0; at < bytes.size();) {
            std::size_t end = bytes.find('\n', at);
            if (end == std::string::npos) end = bytes.size();
            std::size_t stop = end > at && bytes[end - 1] == '\r' ? end - 1 : end;
            lines.emplace_back(bytes.data() + at, stop - at);
            at = end + 1;
        }
        tarvo::analysis::CrossReference x = tarvo::analysis::ScanCrossReference({{file.string(), lines}});
        functions = x.functions.size();
        globals = x.globals.size();
        calls = 0;
        for (const auto& f : x.functions) calls += f.calls.size();
        return CpuSeconds(RUSAGE_SELF) - start;
    });
    std::string command = "cd '" + dir.string() + "' && cscope -b -k -u -f db big.c";
    double cscope = Median([&] {
        double start = CpuSeconds(RUSAGE_CHILDREN);
        if (std::system(command.c_str()) != 0) std::printf("cscope failed\n");
        return CpuSeconds(RUSAGE_CHILDREN) - start;
    });
    std::printf("scan: %zu functions, %zu unique calls, %zu globals\n", functions, calls, globals);
    std::printf("cross-reference scan %.3f s, cscope -b %.3f s: %.2f x (goal at most 3)\n", ours, cscope,
                cscope > 0 ? ours / cscope : 0.0);
    fs::remove_all(dir);
    return 0;
}
