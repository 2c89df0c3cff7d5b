// Small file helpers of the Windows benchmarks.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/startup_win.h"

namespace tarvo::bench {

// A path of the build tree (Linux form, from the build) as Windows sees it under Wine.
inline std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path[0] == '\\' ? "Z:" + path : path;
}

inline void Write(const std::string& path, const std::string& text) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

// Runs the program's message loop until the condition holds.
inline void PumpUntil(bool (*done)()) {
    MSG msg;
    while (!done()) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) tarvo::shell::HandleMessage(msg);
        else MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace tarvo::bench
