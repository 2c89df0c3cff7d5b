// A test of the running program's debugger on a program built by the stand-in toolchain.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "build_fixture_win.h"
#include "debugger/debugger_win.h"
#include "debugger/engine.h"
#include "editor/editor_window_win.h"

namespace tarvo::test {

constexpr DWORD kRunMs = 20000;

class DebuggingTest : public ProjectBuildTest {
protected:
    // The project "demo" of one source, built.
    void BuildDemo(const char* program) {
        CreateDemo({{"demo.c", program}});
        std::vector<std::string> rows = Make();
        ASSERT_TRUE(Succeeded(rows)) << ::testing::PrintToString(rows);
    }
    void TearDown() override {
        debugger::StopDebugging();
        ProjectBuildTest::TearDown();
    }
    // The list or tree of a debugger window, by its title.
    static HWND View(const char* title) {
        HWND window = FindWindowA("TarvoDebugView", title);
        return window ? GetWindow(window, GW_CHILD) : nullptr;
    }
    static std::vector<std::string> Rows(HWND list) {
        std::vector<std::string> rows;
        LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            std::string row(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row.data()));
            rows.push_back(row.c_str());
        }
        return rows;
    }
    static bool Holds(const std::vector<std::string>& rows, const std::string& row) {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    }
    static bool Stopped() { return debugger::ProgramStopped(); }
    // The run's event log, for a failure's message (read while the program is stopped).
    static std::string Log() {
        std::string text;
        for (const std::string& line : debugger::engineState().log.Lines()) text += line + "\n";
        return text;
    }
    static bool Ended() { return !debugger::DebuggingActive(); }
    // Starts (or goes on) and waits for the next stop.
    void RunToStop(unsigned command) {
        Command(command);
        ASSERT_TRUE(WaitUntil(Stopped, kRunMs)) << "no stop; status: " << Status();
        std::fflush(stdout);
        Sync();
    }
    void RunToEnd() {
        Command(CMD_DEBUG_EXECUTE);
        ASSERT_TRUE(WaitUntil(Ended, kRunMs)) << "no end; status: " << Status();
    }
    static bool MarkedCurrent(long line) {
        editor::Document* doc = editor::CurrentDocument();
        editor::Line* l = doc ? editor::LineAtNumber(*doc, line) : nullptr;
        return l && (l->marks & editor::kMarkDebugB);
    }
    static bool Marked(long line) {
        editor::Document* doc = editor::CurrentDocument();
        editor::Line* l = doc ? editor::LineAtNumber(*doc, line) : nullptr;
        return l && (l->marks & editor::kMarkBreakpoint);
    }
};

}  // namespace tarvo::test
