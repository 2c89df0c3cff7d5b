#include "child_win.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/registry_win.h"
#include "settings_sample.h"
#include "base/settings.h"
#include "base/command_ids.h"

namespace tarvo::test {
namespace {

// Reads the settings from the registry and compares them with the sample; argv[0] is the
// help file the sample was made with.
int ReadBackEverySetting(int argc, char** argv) {
    if (argc < 1) return 2;
    platform::setSettingsBackend(platform::RegistryBackend());
    base::Settings expected = EverySetting(argv[0]);
    base::Settings read;
    read.languages = {{"C Language", "C;H", "", "", "/*", "'\"", "", 1, 0, {"if"}, true}};
    read.keyRows = {{0, CMD_NEW, 0}, {0, CMD_SAVE, 0}};
    if (!base::ReadSettings(read, {"", "C:\\start"})) {
        std::fprintf(stderr, "child: the settings could not be read\n");
        return 3;
    }
    if (!(read.project == expected.project)) {
        std::fprintf(stderr, "child: the project settings differ\n");
        return 4;
    }
    if (!(read == expected)) {
        std::fprintf(stderr, "child: the main settings differ\n");
        return 5;
    }
    return 0;
}

}  // namespace

// Programs for the process seam's tests: one that says something on stderr and exits with a
// code, one that sleeps, and one that starts a sleeper (its id in a file) and sleeps too.
int ProcessChild(const std::string& name, int argc, char** argv) {
    if (name == "exit-with" && argc == 1) {
        std::fprintf(stderr, "said %s\n", argv[0]);
        return std::atoi(argv[0]);
    }
    if (name == "sleep" && argc == 1) {
        Sleep(static_cast<DWORD>(std::atoi(argv[0])));
        return 0;
    }
    if (name == "spawn-sleeper" && argc == 1) {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        std::string commandLine = "\"" + std::string(self) + "\" --child sleep 60000";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return 3;
        if (FILE* f = std::fopen(argv[0], "w")) {
            std::fprintf(f, "%lu", process.dwProcessId);
            std::fclose(f);
        }
        Sleep(60000);
        return 0;
    }
    return -1;
}

int RunChild(const std::string& name, int argc, char** argv) {
    if (name == "read-every-setting") return ReadBackEverySetting(argc, argv);
    if (int code = ProcessChild(name, argc, argv); code != -1) return code;
    std::fprintf(stderr, "child: unknown check %s\n", name.c_str());
    return 2;
}

int StartChild(const std::string& name, const std::string& arguments) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string commandLine = "\"" + std::string(self) + "\" --child " + name + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

}  // namespace tarvo::test
