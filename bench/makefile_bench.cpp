// Makefile generation for a generated project of 1,000 sources with about 20 headers each:
// the composer's own time with the dependency lists given, beside `gcc -MM` of the same files
// run natively (what finding the dependencies costs a compiler). Usage:
//   tarvo_makefile_bench [FILES] [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/settings.h"
#include "project/makefile.h"
#include "project/project_kinds.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const int headers = 200, perFile = 20;
    fs::path dir = fs::temp_directory_path() / "tarvo-makefile-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "inc");
    for (int h = 0; h < headers; ++h)
        std::ofstream(dir / "inc" / ("h" + std::to_string(h) + ".h")) << "int h" << h << ";\n";
    tarvo::base::ProjectSettings p;
    p.sourcesDir = dir.string();
    p.includes = (dir / "inc").string();
    p.compilerFlags = tarvo::project::kKindConsole | tarvo::project::kFlagDebugInfo;
    std::map<std::string, std::vector<std::string>> deps;
    std::string sources;
    for (int f = 0; f < files; ++f) {
        std::string name = "s" + std::to_string(f) + ".c";
        std::ofstream out(dir / name);
        std::vector<std::string>& list = deps[dir.string() + "\\" + name];
        list.push_back((dir / name).string());
        for (int i = 0; i < perFile; ++i) {
            int h = (f * 7 + i * 13) % headers;
            out << "#include \"h" << h << ".h\"\n";
            list.push_back((dir / "inc" / ("h" + std::to_string(h) + ".h")).string());
        }
        out << "int f" << f << "(void) { return 0; }\n";
        p.files.push_back({name, {}});
        sources += " " + (dir / name).string();
    }
    tarvo::project::MakefileHooks hooks;
    hooks.scan = [&](const std::string&, const std::string& source, std::vector<std::string>& out) {
        out = deps[source];
        return true;
    };
    double best = 1e9;
    size_t size = 0;
    for (int r = 0; r < runs; ++r) {
        tarvo::base::ProjectSettings copy = p;
        tarvo::project::MakefileResult result;
        auto start = Clock::now();
        if (!tarvo::project::ComposeMakefile("bench", "c:\\vex", copy, hooks, result)) return 1;
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        size = result.text.size();
    }
    std::string gcc = "cd " + dir.string() + " && gcc -MM -Iinc" + sources + " > /dev/null";
    double gccBest = 1e9;
    for (int r = 0; r < runs; ++r) {
        auto start = Clock::now();
        if (std::system(gcc.c_str()) != 0) return 1;
        gccBest = std::min(gccBest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("%d sources, %d headers each: makefile of %zu bytes\n", files, perFile, size);
    std::printf("composer (lists given) %.4f s   gcc -MM %.4f s   ratio %.3f   (best of %d)\n", best, gccBest,
                best / gccBest, runs);
    fs::remove_all(dir);
    return 0;
}
