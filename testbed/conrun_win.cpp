// conrun.exe, which runs a console program for the IDE:
//
//   conrun <program> [<arguments>]
//
// starts the rest of its command line as it stands and waits for the program to end. When
// conrun's console is its own (the IDE started it without one), it asks for a key before the
// window closes, so that the program's output can be read. Exit status: the program's own;
// 1 with a message when it cannot be started or when TARVO_TOOL_FAIL asks for a failure;
// 3 no program given.
#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/command_line.h"
#include "standin_win.h"

using namespace tarvo::testbed;

namespace {

// Only a console that nobody else shares disappears with us.
bool OwnConsole() {
    DWORD mode, processes[4];
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) && GetConsoleProcessList(processes, 4) == 1;
}

}  // namespace

int main() {
    if (StandinStart("conrun")) {
        std::fprintf(stderr, "conrun: failing as TARVO_TOOL_FAIL asks\n");
        return 1;
    }
    std::string command = tarvo::shell::CommandTail(GetCommandLineA());
    if (command.empty()) {
        std::fprintf(stderr, "conrun: usage: conrun <program> [<arguments>]\n");
        return 3;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "conrun: cannot start %s (system error %lu)\n", command.c_str(), GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (OwnConsole()) {
        std::printf("\n%s ended with exit code %lu. Press Enter to close this window.", command.c_str(), code);
        std::fflush(stdout);
        std::getchar();
    }
    return static_cast<int>(code);
}
