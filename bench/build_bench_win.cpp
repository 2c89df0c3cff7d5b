// A build through the program beside the same tools run by a batch file, and the message list
// filled from a 64 KB message file. The window layer runs in this process as the program's
// start-up makes it; F9 is the Make command, timed until the success line is listed.
// Usage: tarvo_build_bench_win [SOURCES] [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/settings.h"
#include "bench_files_win.h"
#include "bench_project_win.h"
#include "platform/process.h"
#include "project/build_win.h"
#include "project/makefile_generation.h"
#include "project/project_state.h"

namespace {

using tarvo::bench::PumpUntil;
using tarvo::bench::WindowsPath;
using tarvo::bench::Write;

std::string read(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

std::string lastRow() {
    HWND list = tarvo::base::app().messageList;
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (n < 1) return {};
    std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(n - 1), 0)) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(n - 1), reinterpret_cast<LPARAM>(text.data()));
    return text.c_str();
}

// The makefile's commands as a batch file: macros expanded, the compiles first, then the link.
std::string batchOf(const std::string& makefile) {
    std::vector<std::pair<std::string, std::string>> macros;
    std::vector<std::string> compiles, links;
    std::string target, pending;
    size_t start = 0;
    while (start < makefile.size()) {
        size_t end = makefile.find('\n', start);
        std::string line = makefile.substr(start, end - start);
        start = end == std::string::npos ? makefile.size() : end + 1;
        if (!pending.empty() || (line.find('=') != std::string::npos && line[0] != '\t' && line[0] != '#')) {
            bool more = !line.empty() && line.back() == '\\';
            if (more) line.pop_back();
            pending += (pending.empty() ? "" : " ") + line;
            if (more) continue;
            size_t eq = pending.find('=');
            macros.push_back({pending.substr(0, eq), pending.substr(eq + 1)});
            pending.clear();
        } else if (!line.empty() && line[0] == '\t') {
            std::string command = line.substr(1);
            for (int round = 0; round < 3; ++round)
                for (const auto& [name, value] : macros)
                    for (size_t at; (at = command.find("$(" + name + ")")) != std::string::npos;)
                        command.replace(at, name.size() + 3, value);
            if (target == "link") continue;
            (target.ends_with(".obj") || target.ends_with(".obj\"") ? compiles : links).push_back(command);
        } else if (!line.empty() && line[0] != '#') {
            target = line.substr(0, line.find(":\t") != std::string::npos ? line.find(":\t") : line.find(": "));
        }
    }
    std::string batch = "@echo off\r\n";
    for (const std::vector<std::string>* list : {&compiles, &links})
        for (const std::string& c : *list) batch += c + "\r\nif errorlevel 1 exit /b 1\r\n";
    return batch;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarvo;
    int files = argc > 1 ? std::atoi(argv[1]) : 20;
    int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    std::string dir = WindowsPath(TARVO_BUILD_DIR) + "\\build-bench";
    if (!bench::StartWithProject(dir)) return 1;
    base::Settings& s = base::settings();
    std::string calls;
    for (int f = 0; f < files; ++f) {
        std::string name = "s" + std::to_string(f) + ".c";
        std::string fn = "f" + std::to_string(f);
        if (f > 0) {
            Write(dir + "\\" + name, "#include <string.h>\nint " + fn + "(const char* s) { return (int)strlen(s) + " +
                                         std::to_string(f) + "; }\n");
            calls += "\tt += " + fn + "(\"x\");\n";
        }
        s.project.files.push_back({name, {}});
    }
    std::string decls;
    for (int f = 1; f < files; ++f) decls += "int f" + std::to_string(f) + "(const char*);\n";
    Write(dir + "\\s0.c", "#include <stdio.h>\n" + decls + "int main(void)\n{\n\tint t = 0;\n" + calls +
                              "\tprintf(\"%d\\n\", t);\n\treturn 0;\n}\n");
    if (!project::GenerateMakefile(s, {})) return 1;
    std::string batch = dir + "\\out\\direct.bat";
    Write(batch, batchOf(read(dir + "\\out\\Makefile")));

    auto clean = [&] {
        for (int f = 0; f < files; ++f) DeleteFileA((dir + "\\out\\s" + std::to_string(f) + ".obj").c_str());
        DeleteFileA((dir + "\\out\\bench.exe").c_str());
    };
    std::vector<double> through, direct;
    for (int r = 0; r < runs; ++r) {
        clean();
        DWORD t0 = GetTickCount();
        SendMessageA(base::app().frame, WM_COMMAND, CMD_MAKE, 0);
        PumpUntil([] { return project::projectRun().build == project::BuildState::Idle; });
        through.push_back((GetTickCount() - t0) / 1000.0);
        if (project::projectRun().returnCode != 0) {
            std::printf("the build failed: %s\n", lastRow().c_str());
            return 1;
        }
        clean();
        t0 = GetTickCount();
        platform::RunResult b = platform::RunAndWait({"cmd /c \"" + batch + "\"", dir + "\\out", false, 600000, {}});
        direct.push_back((GetTickCount() - t0) / 1000.0);
        if (b.status != platform::RunStatus::Finished || b.exitCode != 0) {
            std::printf("the batch file failed (%ld)\n", static_cast<long>(b.exitCode));
            return 1;
        }
    }
    std::sort(through.begin(), through.end());
    std::sort(direct.begin(), direct.end());
    double a = through[through.size() / 2], d = direct[direct.size() / 2];
    std::printf("%d sources: F9 to the success line %.2f s (median of %d), the same tools from a batch file %.2f s, "
                "ratio %.2f (goal at most 1.2)\n",
                files, a, runs, d, a / d);

    // A message file of 64 KB: read, parsed and listed by Show results.
    std::string messages;
    for (int i = 0; messages.size() + 80 < 65536; ++i)
        messages += "Warning " + dir + "\\s" + std::to_string(i % files) + ".c: " + std::to_string(i + 1) +
                    " a warning about something in this line, number " + std::to_string(i) + "\r\n";
    s.project.errorFile = dir + "\\out\\bench.err";
    Write(s.project.errorFile, messages);
    std::vector<double> shows;
    for (int r = 0; r < 5; ++r) {
        LARGE_INTEGER f0, t0, t1;
        QueryPerformanceFrequency(&f0);
        QueryPerformanceCounter(&t0);
        SendMessageA(base::app().frame, WM_COMMAND, CMD_SHOW_RESULTS, 0);
        QueryPerformanceCounter(&t1);
        shows.push_back(1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f0.QuadPart));
    }
    std::sort(shows.begin(), shows.end());
    std::printf("a %zu-byte message file parsed and listed: %.1f ms (median of 5; goal under 50 ms)\n",
                messages.size(), shows[2]);
    project::EndBuild();
    return 0;
}
