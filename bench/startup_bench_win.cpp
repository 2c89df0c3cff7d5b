// Start-up benchmark, run under Wine (bench/startup_bench.sh): the time from starting a
// program to its frame being visible and answering a message, for tarvo.exe beside a minimal
// Win32 window program, in alternating runs. Prints each one's median and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock_win.h"
#include "harness_win.h"

namespace {

using namespace tarvo::gui;

// A frame: visible, with a caption (the banner has none).
bool IsFrame(HWND window) {
    return IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// Milliseconds from CreateProcess to a visible frame that answers WM_NULL; negative on failure.
double TimeToFrame(const std::string& program, const std::string& folder) {
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    double start = Milliseconds();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return -1;
    HWND frame = nullptr;
    double elapsed = -1;
    while (Milliseconds() - start < 30000) {
        frame = FindTopLevel(process.dwProcessId, IsFrame);
        DWORD_PTR ignored;
        if (frame && SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored)) {
            elapsed = Milliseconds() - start;
            break;
        }
        Sleep(1);
    }
    if (frame) PostMessageA(frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::string dir = ScratchDir("startup_bench");
    std::string minimal = BuildRoot() + "\\..\\tarvo_minimal_window.exe";
    std::vector<double> tarvo, peer;
    // One of each first, unmeasured: the first start of any program fills the caches.
    ResetSettings();
    TimeToFrame(TarvoExe(), dir);
    TimeToFrame(minimal, dir);
    for (int i = 0; i < runs; ++i) {
        ResetSettings();  // every start reads the same settings and shows the banner
        double t = TimeToFrame(TarvoExe(), dir), m = TimeToFrame(minimal, dir);
        if (t < 0 || m < 0) {
            std::fprintf(stderr, "run %d: a program did not show its frame\n", i + 1);
            return 1;
        }
        tarvo.push_back(t);
        peer.push_back(m);
    }
    double t = Median(tarvo), m = Median(peer);
    std::printf("start-up to a frame that answers, median of %d runs: tarvo.exe %.0f ms, minimal window "
                "program %.0f ms, ratio %.2f\n",
                runs, t, m, t / m);
    return 0;
}
