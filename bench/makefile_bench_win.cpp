// Makefile generation under Wine, whole: a generated project of N sources (about 20 headers
// each) with every dependency scan run by the compiler system's vex.exe, beside the floor of N
// starts of a stand-in that does nothing but start. Usage: tarvo_makefile_bench_win [N]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/settings.h"
#include "bench_files_win.h"
#include "platform/process.h"
#include "platform/process_win.h"
#include "project/makefile_generation.h"
#include "project/project_kinds.h"

namespace {

using tarvo::bench::WindowsPath;
using tarvo::bench::Write;

}  // namespace

int main(int argc, char** argv) {
    int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int headers = 200, perFile = 20;
    tarvo::platform::InstallWin32Process();
    std::string dir = WindowsPath(TARVO_BUILD_DIR) + "\\makefile-bench";
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\inc").c_str(), nullptr);
    for (int h = 0; h < headers; ++h) Write(dir + "\\inc\\h" + std::to_string(h) + ".h", "int h;\n");
    tarvo::base::Settings s;
    s.saveAtExit = false;
    s.compilerRoot = WindowsPath(TARVO_ROOT_DIR);
    s.currentProject = "bench";
    s.project.projectPath = s.project.sourcesDir = dir;
    s.project.makeDir = dir + "\\out";
    s.project.makeName = "make";
    s.project.includes = s.compilerRoot + "\\include;" + dir + "\\inc";
    s.project.compilerFlags = tarvo::project::kKindConsole | tarvo::project::kFlagDebugInfo;
    CreateDirectoryA(s.project.makeDir.c_str(), nullptr);
    for (int f = 0; f < files; ++f) {
        std::string text;
        for (int i = 0; i < perFile; ++i) text += "#include \"h" + std::to_string((f * 7 + i * 13) % headers) + ".h\"\n";
        std::string name = "s" + std::to_string(f) + ".c";
        Write(dir + "\\" + name, text + "int f(void) { return 0; }\n");
        s.project.files.push_back({name, {}});
    }
    DWORD start = GetTickCount();
    if (!tarvo::project::GenerateMakefile(s, {})) return 1;
    double whole = (GetTickCount() - start) / 1000.0;
    size_t found = 0;
    for (const auto& f : s.project.files) found += f.dependencies.size();

    SetEnvironmentVariableA("TARVO_TOOL_FAIL", "vex");  // it starts, and stops at once
    std::string nothing = s.compilerRoot + "\\bin\\vex.exe -M -Fo" + dir + "\\none.d x.c";
    start = GetTickCount();
    for (int f = 0; f < files; ++f) tarvo::platform::RunAndWait({nothing, dir, false, 60000});
    double floor = (GetTickCount() - start) / 1000.0;
    std::printf("%d sources, %zu dependency lines found\n", files, found);
    std::printf("makefile generation %.2f s   %d starts of a stand-in doing nothing %.2f s   ratio %.2f\n",
                whole, files, floor, whole / floor);
    return 0;
}
