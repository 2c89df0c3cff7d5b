#include "standin_win.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "standin_core.h"

namespace tarvo::testbed {
namespace {

std::string Environment(const char* name) {
    char value[32768];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

}  // namespace

std::string CurrentDirectory() {
    char dir[32768];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string();
}

LinuxRun RunLinuxHere(const std::vector<std::string>& argv) {
    std::string directory = UnixPath(CurrentDirectory());
    if (directory.empty()) {
        LinuxRun run;
        run.problem = "no Linux path for the current directory";
        return run;
    }
    return RunLinux(argv, directory);
}

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

bool StandinStart(const char* tool) {
    // Lines end in "\n" alone, as the IDE reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::string log = Environment(kToolLogVariable);
    if (!log.empty()) {
        std::string line = ToolLogLine(CurrentDirectory(), GetCommandLineA());
        // One write in append mode, so that lines of tools running side by side stay whole.
        std::FILE* f = std::fopen(log.c_str(), "ab");
        if (f) {
            std::fwrite(line.data(), 1, line.size(), f);
            std::fclose(f);
        } else {
            std::fprintf(stderr, "%s: cannot append to the log %s\n", tool, log.c_str());
        }
    }
    if (unsigned long wait = ToolWaitMilliseconds(Environment(kToolWaitVariable), tool)) {
        // Waited in a Linux process, as the tools' own work is: a stopped build must end it too.
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%lu.%03lu", wait / 1000, wait % 1000);
        if (!RunLinux({"/bin/sleep", seconds}, "/").problem.empty()) Sleep(wait);
    }
    return ToolListed(Environment(kToolFailVariable), tool);
}

}  // namespace tarvo::testbed
