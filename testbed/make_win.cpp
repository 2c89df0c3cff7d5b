// make.exe, the compiler system's make (GNU make cannot read these makefiles: a drive letter's
// colon in a target, names in double quotes):
//
//   make [-q] [-f <makefile>] [<target> ...]
//
// reads "makefile" (or the one named) and makes the targets named, or the first one. Commands
// run in the makefile's directory through CreateProcess, which looks for the program in make's
// own directory, the current one, the system's and then PATH; a program that is not found is
// tried as a command of cmd.exe (del, copy ...). Commands are echoed on stdout; make's own
// messages go to stderr. Exit status: 0 done; a failing command's own exit code; with -q, 199
// when something would be made and 0 when all is current; 2 for make's own failures (no
// makefile, a bad line, a file no rule makes); 1 when TARVO_TOOL_FAIL asks.
#include <windows.h>

#include <cstdio>

#include "bridge_win.h"
#include "make_core.h"
#include "standin_win.h"

using namespace tarvo::testbed;

namespace {

std::optional<std::string> EnvironmentValue(const std::string& name) {
    char value[32768];
    DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    if (n == 0 || n >= sizeof value) return std::nullopt;
    return std::string(value, n);
}

std::optional<long long> FileTime(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

// Starts a command line with make's own standard handles and waits for it; -1 when it cannot
// be started at all.
int Start(std::string line, DWORD& error) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        error = GetLastError();
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

int RunCommand(const std::string& command) {
    std::fflush(stdout);
    DWORD error = 0;
    int code = Start(command, error);
    if (code == -1 && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) code = Start("cmd.exe /c " + command, error);
    if (code == -1) {
        std::fprintf(stderr, "make: cannot run %s (system error %lu)\n", command.c_str(), error);
        return 1;
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("make")) {
        std::fprintf(stderr, "make: failing as TARVO_TOOL_FAIL asks\n");
        return 1;
    }
    MakeCommand command = ParseMakeArguments(Arguments(argc, argv));
    if (!command.problem.empty()) {
        std::fprintf(stderr, "make: %s\nmake: usage: make [-q] [-f makefile] [target ...]\n", command.problem.c_str());
        return kMakeFailed;
    }
    // Commands and relative names belong to the makefile's directory.
    std::string path = command.makefile;
    std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) {
        std::string directory = path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
        if (!SetCurrentDirectoryA(directory.c_str())) {
            std::fprintf(stderr, "make: cannot enter %s\n", directory.c_str());
            return kMakeFailed;
        }
        path = path.substr(slash + 1);
    }
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "make: no makefile %s in %s\n", path.c_str(), CurrentDirectory().c_str());
        return kMakeFailed;
    }
    Makefile makefile = ParseMakefile(ReadWholeFile(path), EnvironmentValue);
    if (!makefile.problem.empty()) {
        std::fprintf(stderr, "make: %s: %s\n", path.c_str(), makefile.problem.c_str());
        return kMakeFailed;
    }
    MakeHooks hooks;
    hooks.fileTime = FileTime;
    hooks.run = RunCommand;
    hooks.message = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    hooks.echo = [](const std::string& line) { std::printf("%s\n", line.c_str()); };
    hooks.environment = EnvironmentValue;
    if (command.goals.empty()) command.goals.push_back("");
    for (const std::string& goal : command.goals)
        if (int status = RunMake(makefile, goal, command.question, hooks)) return status;
    return 0;
}
