// The debug-information reader on a generated image of 500 modules, 100,000 functions and
// 200,000 line entries: reading it beside one plain read of the file, the symbols decoded on
// first use (the name tables, then every module's), and 10,000
// line-of-address queries beside addr2line on the same program's DWARF twin (assembled with
// .loc directives by the cross assembler). Run by hand:
//   cmake --build <build> --target tarvo_debug_info_bench && <build>/bench/tarvo_debug_info_bench [dir]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "debugger/debug_queries.h"
#include "debugger/debug_reader.h"
#include "pe_builder.h"
#include "platform/files.h"

using namespace tarvo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kModules = 500, kFunctions = 200;  // functions per module
constexpr std::uint32_t kFunctionSize = 32;      // two line entries, 16 bytes apart
constexpr std::uint64_t kBase = 0x140000000ull;
constexpr int kQueries = 10000;

unsigned LineOf(int function, int half) { return 10 + 3 * function + half; }

test::ByteVec CodeViewImage() {
    std::vector<test::CvSubsection> subs;
    for (int m = 0; m < kModules; ++m) {
        std::uint32_t start = m * kFunctions * kFunctionSize, end = start + kFunctions * kFunctionSize;
        std::uint16_t index = static_cast<std::uint16_t>(m + 1);
        test::CvSymbols syms = test::AlignedSymbolWriter();
        test::CvFileLines file{"mod" + std::to_string(m) + ".c", {{{1, start, end}, {}}}};
        for (int f = 0; f < kFunctions; ++f) {
            std::uint32_t at = start + f * kFunctionSize;
            syms.Proc(0x205, "f_" + std::to_string(m) + "_" + std::to_string(f), at, 1, kFunctionSize,
                      {{"i", false, -4, 0, 0x74}});
            file.segments[0].entries.push_back({at, static_cast<std::uint16_t>(LineOf(f, 0))});
            file.segments[0].entries.push_back({at + 16, static_cast<std::uint16_t>(LineOf(f, 1))});
        }
        subs.push_back({0x120, index, test::ModuleSubsection("mod" + std::to_string(m) + ".obj", {{1, start, end}})});
        subs.push_back({0x125, index, test::AlignedSymbols(syms)});
        subs.push_back({0x127, index, test::SourceModule({file}, {{1, start, end}})});
    }
    test::PeSpec spec;
    spec.is64 = true;
    spec.imageBase = kBase;
    spec.textSize = kModules * kFunctions * kFunctionSize;
    spec.text.assign(spec.textSize, 0x90);
    spec.codeView = test::CodeViewData(subs);
    spec.symbols = {{"start", 0, 1, 2}};
    return test::BuildPe(spec);
}

// The same lines as assembler source, for the DWARF twin.
void WriteTwinSource(const std::string& path) {
    std::ofstream s(path);
    s << "\t.text\n\t.globl start\nstart:\n";
    for (int m = 0; m < kModules; ++m) s << "\t.file " << m + 1 << " \"mod" << m << ".c\"\n";
    for (int m = 0; m < kModules; ++m)
        for (int f = 0; f < kFunctions; ++f)
            for (int half = 0; half < 2; ++half)
                s << "\t.loc " << m + 1 << ' ' << LineOf(f, half) << "\n\tnop\n\t.skip 15, 0x90\n";
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "/tmp";
    std::string image = dir + "/tarvo_cv_bench.exe", twin = dir + "/tarvo_dwarf_twin.exe";
    if (!test::WriteBytes(image, CodeViewImage())) return 1;
    WriteTwinSource(dir + "/tarvo_dwarf_twin.s");
    std::string link = "x86_64-w64-mingw32-gcc-posix -nostdlib -Wl,-e,start -o " + twin + " " + dir + "/tarvo_dwarf_twin.s";
    if (std::system(link.c_str()) != 0) return 1;

    // Best of five: the file is in the page cache for both.
    double plain = 1e9, reading = 1e9;
    std::size_t size = 0;
    debugger::DebugInfo info;
    for (int round = 0; round < 5; ++round) {
        auto t = Clock::now();
        platform::FileContent content;
        platform::ReadWholeFile(image, content);
        plain = std::min(plain, Seconds(t));
        size = content.size;
        info = debugger::DebugInfo{};  // the last round's tables go before the clock starts
        t = Clock::now();
        debugger::ImageSource source;
        if (!debugger::ReadImageFile(image, 0, source) || !debugger::OpenExecutable(info, std::move(source), false)) return 1;
        reading = std::min(reading, Seconds(t));
    }
    std::size_t functions = 0, lines = 0;
    for (const auto& m : info.modules)
        for (const auto& f : m.files)
            for (const auto& s : f.segments) lines += s.Count();
    // The symbols are decoded on first use: the first name lookup makes the name tables, as
    // the search for the entry function does at the start of a run; each module's functions
    // and locals come when that module is first asked.
    auto t = Clock::now();
    bool found = debugger::FindSymbol(info, "f_0_0").entry != nullptr;
    double names = Seconds(t);
    t = Clock::now();
    for (const auto& m : info.modules) functions += m.Functions().size();
    double modules = Seconds(t);
    std::printf("image: %zu bytes, %zu modules, %zu functions, %zu line entries\n", size, info.modules.size() - 1,
                functions, lines);
    std::printf("plain read %.2f ms, debug information read %.2f ms (%.2fx)\n", plain * 1e3, reading * 1e3, reading / plain);
    std::printf("first name lookup (makes the name tables) %.2f ms%s; every module's symbols then %.2f ms\n", names * 1e3,
                found ? "" : ", NOT FOUND", modules * 1e3);

    std::mt19937 rng(7);
    std::vector<std::uint64_t> addresses;
    for (int i = 0; i < kQueries; ++i) addresses.push_back(kBase + 0x1000 + rng() % (kModules * kFunctions * kFunctionSize));
    t = Clock::now();
    std::vector<debugger::LineHit> hits;
    for (std::uint64_t a : addresses) hits.push_back(debugger::LineOfAddress(info, a));
    double ours = Seconds(t);
    {
        std::ofstream list(dir + "/tarvo_bench_addresses.txt");
        for (std::uint64_t a : addresses) list << std::hex << "0x" << a << "\n";
    }
    std::string query = "x86_64-w64-mingw32-addr2line -e " + twin + " < " + dir + "/tarvo_bench_addresses.txt > " + dir +
                        "/tarvo_bench_lines.txt";
    t = Clock::now();
    if (std::system(query.c_str()) != 0) return 1;
    double theirs = Seconds(t);
    std::ifstream answers(dir + "/tarvo_bench_lines.txt");
    int differ = 0, n = 0;
    for (std::string line; std::getline(answers, line) && n < kQueries; ++n) {
        std::string expected = "mod" + std::to_string(info.modules[hits[n].module].number - 1) + ".c:" + std::to_string(hits[n].line);
        if (line.size() < expected.size() || line.compare(line.size() - expected.size(), expected.size(), expected) != 0) ++differ;
    }
    std::printf("%d line-of-address queries: %.2f ms; addr2line on the DWARF twin: %.2f ms; %d answers differ\n", kQueries,
                ours * 1e3, theirs * 1e3, differ + (kQueries - n));
    return 0;
}
