// Editor window benchmark, run against the real tarvo.exe under Wine (bench/editor_bench.sh):
//   1. keystroke to repaint: characters typed at the end of a 50,000-line C file, each sent
//      to the editor window and timed until the window procedure returns (the window paints
//      before it returns);
//   2. scrolling the same file from top to bottom a page at a time with Page Down;
//   3. opening a file of 100 MB: the time from the program's start until the window shows it,
//      beside the start with a small file, and the process's memory beside the file's size.
// Prints the figures; the exit status is 0 when the program could be driven.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "harness_win.h"
#include "base/command_ids.h"

namespace {

using namespace tarvo::gui;

constexpr UINT kQuery = WM_APP + 0x140;
constexpr WPARAM kCursorLine = 0, kLineCount = 3;
constexpr int kLines = 50000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result);
    return static_cast<LRESULT>(result);
}

// A C file of many small functions: comments, keywords, strings and indentation.
std::string SampleText() {
    std::string text;
    text.reserve(kLines * 32);
    int line = 0;
    for (int f = 0; line < kLines; ++f) {
        std::string n = std::to_string(f);
        const std::string block[] = {
            "/* Function " + n + ": adds up a table. */",
            "static int sum" + n + "(const int *table, int count)",
            "{",
            "\tint total = 0; // running sum",
            "\tfor (int i = 0; i < count; i++)",
            "\t\ttotal += table[i];",
            "\tprintf(\"sum " + n + " = %d\\n\", total);",
            "\treturn total;",
            "}",
            "",
        };
        for (const std::string& l : block) {
            if (line++ == kLines) break;
            text += l + "\r\n";
        }
    }
    return text;
}

struct Figures {
    double mean = 0, median = 0, p95 = 0, worst = 0;
};

// The processor time the program has used so far (user and kernel), in milliseconds: under a
// busy machine the time from start to shown grows with the load, this does not.
double ProcessorMilliseconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

Figures Summarise(std::vector<double> samples) {
    Figures f;
    if (samples.empty()) return f;
    std::sort(samples.begin(), samples.end());
    for (double s : samples) f.mean += s;
    f.mean /= static_cast<double>(samples.size());
    f.median = samples[samples.size() / 2];
    f.p95 = samples[samples.size() * 95 / 100];
    f.worst = samples.back();
    return f;
}

}  // namespace

int main() {
    ResetSettings();
    std::string dir = ScratchDir("editor_bench");
    std::string file = dir + "\\big.c";
    WriteTextFile(file, SampleText());
    Running tarvo;
    double started = Milliseconds();
    if (!Start(tarvo, "big.c", dir)) {
        std::fprintf(stderr, "tarvo.exe did not start\n");
        return 1;
    }
    Settle(tarvo);
    HWND client = MdiClient(tarvo.frame);
    HWND editor = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    long lines = static_cast<long>(Send(editor, kQuery, kLineCount, 0));
    const double startup = Milliseconds() - started;
    const double startupCpu = ProcessorMilliseconds(tarvo.process.hProcess);
    std::printf("start-up with the %ld-line file: %.0f ms (processor time %.0f ms)\n", lines, startup, startupCpu);
    if (lines != kLines) {
        std::fprintf(stderr, "the file has %ld lines, not %d\n", lines, kLines);
        Kill(tarvo);
        return 1;
    }

    // Typing at the end of the document.
    Send(tarvo.frame, WM_COMMAND, CMD_END, 0);  // End
    const std::string typed = "\tcount = count * 2 + sum0(table, 10); /* note */\r";
    std::vector<double> keystrokes;
    for (int round = 0; round < 12; ++round)
        for (char c : typed) {
            double t = Milliseconds();
            Send(editor, WM_CHAR, static_cast<unsigned char>(c), 1);
            keystrokes.push_back(Milliseconds() - t);
        }
    Figures k = Summarise(keystrokes);
    if (getenv("TARVO_BENCH_DETAIL"))
        for (std::size_t i = 0; i < keystrokes.size(); ++i)
            if (keystrokes[i] > 5) std::printf("  key %zu ('%c'): %.2f ms\n", i, typed[i % typed.size()], keystrokes[i]);
    std::printf("keystroke to repaint at the end of %d lines (%zu keys): mean %.2f ms, median %.2f ms, "
                "95%% %.2f ms, worst %.2f ms\n",
                kLines, keystrokes.size(), k.mean, k.median, k.p95, k.worst);

    // A page at a time from the top to the bottom.
    Send(tarvo.frame, WM_COMMAND, CMD_TOP, 0);  // Top
    long total = static_cast<long>(Send(editor, kQuery, kLineCount, 0));
    std::vector<double> pages;
    double t0 = Milliseconds();
    while (Send(editor, kQuery, kCursorLine, 0) < total && pages.size() < 100000) {
        double t = Milliseconds();
        Send(editor, WM_KEYDOWN, VK_NEXT, 1);
        pages.push_back(Milliseconds() - t);
    }
    double whole = Milliseconds() - t0;
    Figures p = Summarise(pages);
    std::printf("top to bottom with Page Down: %zu pages in %.0f ms; per page mean %.2f ms, median %.2f ms, "
                "95%% %.2f ms, worst %.2f ms\n",
                pages.size(), whole, p.mean, p.median, p.p95, p.worst);
    Kill(tarvo);

    // A file of 100 MB: the same text over and over.
    std::string big = dir + "\\huge.c";
    std::size_t bytes = 0;
    {
        std::string sample = SampleText();
        HANDLE out = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) return 1;
        while (bytes < (std::size_t{100} << 20)) {
            DWORD written = 0;
            if (!WriteFile(out, sample.data(), static_cast<DWORD>(sample.size()), &written, nullptr)) break;
            bytes += written;
        }
        CloseHandle(out);
    }
    Running huge;
    started = Milliseconds();
    if (!Start(huge, "huge.c", dir)) {
        std::fprintf(stderr, "tarvo.exe did not start with the big file\n");
        return 1;
    }
    Settle(huge, 60000);
    double opened = Milliseconds() - started;
    double openedCpu = ProcessorMilliseconds(huge.process.hProcess);
    HWND hugeEditor = reinterpret_cast<HWND>(SendMessageA(MdiClient(huge.frame), WM_MDIGETACTIVE, 0, 0));
    long hugeLines = static_cast<long>(Send(hugeEditor, kQuery, kLineCount, 0));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(huge.process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    double megabytes = static_cast<double>(bytes) / 1048576.0;
    std::printf("open a %.1f MB file (%ld lines): %.0f ms from start to shown, %.0f ms more than the start with "
                "the small file; processor time %.0f ms, %.0f ms more\n",
                megabytes, hugeLines, opened, opened - startup, openedCpu, openedCpu - startupCpu);
    // Wine leaves the private usage of another process at 0: the working set is the figure.
    std::printf("memory with it open: working set %.1f MB (%.2f x the file), peak %.1f MB (%.2f x), private %.1f MB\n",
                memory.WorkingSetSize / 1048576.0, memory.WorkingSetSize / 1048576.0 / megabytes,
                memory.PeakWorkingSetSize / 1048576.0, memory.PeakWorkingSetSize / 1048576.0 / megabytes,
                memory.PrivateUsage / 1048576.0);
    bool met = opened < 1000 && memory.PeakWorkingSetSize / 1048576.0 <= 2 * megabytes;
    std::printf("target (shown within 1 s of the start, peak working set at most 2 x the file): %s\n",
                met ? "met" : "NOT met");
    Kill(huge);
    DeleteFileA(big.c_str());
    return 0;
}
