// The binary editor under Wine on a 100 MB file: from asking for the window to its first rows
// painted (goal: under 0.5 s), then, each beside its peer in the same run, a search for an
// absent pattern beside a plain read of the whole file, and a Change with a backup beside
// CopyFile of the same file.
// Usage: tarvo_binary_view_bench_win [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock_win.h"
#include "bench_files_win.h"
#include "bench_project_win.h"
#include "platform/files.h"
#include "tools/binary_view.h"
#include "tools/binary_view_win.h"

namespace {

using namespace tarvo;

constexpr std::size_t kSize = std::size_t{100} << 20;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Random bytes, a megabyte at a time.
void MakeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::vector<unsigned char> piece(1 << 20);
    unsigned state = 12345;
    for (std::size_t done = 0; done < kSize; done += piece.size()) {
        for (unsigned char& b : piece) b = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 16);
        std::fwrite(piece.data(), 1, piece.size(), f);
    }
    std::fclose(f);
}

double PlainRead(const std::string& path) {
    double t = Now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    static std::vector<char> piece(1 << 20);
    while (f && std::fread(piece.data(), 1, piece.size(), f) == piece.size()) {
    }
    if (f) std::fclose(f);
    return Now() - t;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string dir = bench::WindowsPath(TARVO_BUILD_DIR) + "\\binary-view-bench";
    if (!bench::StartWithProject(dir)) return 1;
    const std::string path = dir + "\\large.bin", copy = dir + "\\copy.bin";
    MakeFile(path);
    PlainRead(path);  // the page cache warm for every run alike
    std::vector<double> opens, searches, reads, changes, copies;
    const std::vector<std::uint8_t> absent = {'a', 'b', 's', 'e', 'n', 't', 0, 1, 2, 3, 'p', 'a', 't', 't', 'e', 'r'};
    for (int r = 0; r < runs; ++r) {
        double t0 = Now();
        HWND window = tools::OpenBinaryView(path);
        if (!window) {
            std::printf("no viewer opened\n");
            return 1;
        }
        UpdateWindow(window);
        GdiFlush();
        opens.push_back(Now() - t0);
        Pump();
        DestroyWindow(window);
        Pump();

        platform::ReadHandle h;
        platform::OpenForReading(path, h);
        std::uint64_t found = 0;
        double t1 = Now();
        if (tools::FindPattern(h, 0, absent, found) != tools::SearchResult::NotFound) std::printf("the absent pattern was found\n");
        searches.push_back(Now() - t1);
        platform::CloseReading(h);
        reads.push_back(PlainRead(path));

        tools::ChangePlan plan{kSize / 2, 2, {1, 2, 3}, true, platform::StampOf(path)};
        double t2 = Now();
        if (tools::ApplyChange(path, plan) != tools::ChangeResult::Done) std::printf("the change failed\n");
        changes.push_back(Now() - t2);
        double t3 = Now();
        CopyFileA(path.c_str(), copy.c_str(), FALSE);
        copies.push_back(Now() - t3);
    }
    std::printf("100 MB file, medians of %d runs:\n", runs);
    std::printf("  viewer open to its first rows painted: %.0f ms (goal < 500)\n", Median(opens) * 1000);
    std::printf("  search for an absent 16-byte pattern: %.0f ms   plain read of the file: %.0f ms\n", Median(searches) * 1000,
                Median(reads) * 1000);
    std::printf("  change with backup: %.0f ms   CopyFile: %.0f ms\n", Median(changes) * 1000, Median(copies) * 1000);
    DeleteFileA(path.c_str());
    DeleteFileA(copy.c_str());
    DeleteFileA(platform::BackupName(path).c_str());
    return 0;
}
