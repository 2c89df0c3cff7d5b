// What it costs a stand-in to run a Linux tool under Wine, in milliseconds a call:
//   spawn        ntdll's __wine_unix_spawnvp of /bin/true, waited (the floor)
//   bridge       the stand-ins' bridge: /bin/sh, a working directory, output in scratch files
//   file bridge  the other way: CreateProcess of "/bin/sh -c ..." (Wine gives no handle)
//                and polling for a file that holds the exit code
//   clang        clang-14 -c of a one-line source through the bridge
//   vex.exe      the whole stand-in started through CreateProcess on the same source
// Run: cmake --build <windows build> --target tarvo_bridge_bench && <build>/wine-run.sh
//      <build>/tarvo_bridge_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bridge_win.h"

using namespace tarvo::testbed;

namespace {

double Now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / f.QuadPart;
}

template <typename Step>
void Measure(const char* name, int times, Step step) {
    step();  // warm
    double start = Now();
    for (int i = 0; i < times; ++i) step();
    std::printf("%-12s %7.1f ms a call (%d calls)\n", name, (Now() - start) / times, times);
}

void WaitForProcess(std::string commandLine, const std::string& directory) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                        &startup, &process))
        return;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

}  // namespace

int main() {
    using SpawnFunction = LONG(CDECL*)(char* const argv[], int wait);
    auto spawn = reinterpret_cast<SpawnFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) {
        std::printf("not under Wine\n");
        return 1;
    }
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string work = std::string(dir) + "tarvo_bridge_bench";
    CreateDirectoryA(work.c_str(), nullptr);
    std::string unixWork = UnixPath(work);
    WriteWholeFile(work + "\\one.c", "int one(void) { return 1; }\n");

    Measure("spawn", 100, [&] {
        char program[] = "/bin/true";
        char* argv[] = {program, nullptr};
        spawn(argv, 1);
    });
    Measure("bridge", 100, [&] { RunLinux({"/bin/true"}, unixWork); });
    std::string done = work + "\\rc", doneUnix = UnixPath(done);
    Measure("file bridge", 50, [&] {
        DeleteFileA(done.c_str());
        std::string line = "/bin/sh -c \"cd '" + unixWork + "' && /bin/true >out 2>err; echo $? >'" + doneUnix +
                           ".tmp' && mv '" + doneUnix + ".tmp' '" + doneUnix + "'\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        while (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(1);
    });
    Measure("clang", 10, [&] {
        RunLinux({"/usr/bin/clang-14", "--target=x86_64-w64-windows-gnu", "-c", "one.c", "-o", "one.obj"}, unixWork);
    });
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string vex = std::string(self);
    vex = vex.substr(0, vex.find_last_of('\\')) + "\\root\\bin\\vex.exe";
    Measure("vex.exe", 10, [&] { WaitForProcess("\"" + vex + "\" -c one.c", work); });
    return 0;
}
