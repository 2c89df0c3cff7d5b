// Drives a running tarvo.exe from scripts and GUI tests:
//   tarvoctl wait-frame SECONDS   exit 0 once a visible frame window exists, 1 on time-out
//   tarvoctl close SECONDS        ask the frame to close, exit 0 once it is gone
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kFrameClass[] = "clMDIFrame";

HWND frame() {
    HWND window = FindWindowA(kFrameClass, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

int waitFor(bool present, int seconds) {
    for (int tick = 0; tick < seconds * 10; ++tick) {
        if ((frame() != nullptr) == present) return 0;
        Sleep(100);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarvoctl wait-frame|close [SECONDS]\n");
        return 2;
    }
    int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    if (std::strcmp(argv[1], "wait-frame") == 0) return waitFor(true, seconds);
    if (std::strcmp(argv[1], "close") == 0) {
        HWND window = frame();
        if (!window) return 0;
        PostMessageA(window, WM_CLOSE, 0, 0);
        return waitFor(false, seconds);
    }
    std::fprintf(stderr, "tarvoctl: unknown command %s\n", argv[1]);
    return 2;
}
