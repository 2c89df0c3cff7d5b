// A test of the running program with a project "demo" made through its dialogs from sources
// in the test's folder, built by the compiler system's stand-ins.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/settings.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "platform/files.h"
#include "platform/process.h"
#include "program_win.h"
#include "project/project_state.h"
#include "resource_ids.h"

namespace tarvo::test {

constexpr DWORD kBuildTimeoutMs = 120000;

class ProjectBuildTest : public ProgramTest {
protected:
    void TearDown() override {
        for (const char* variable : {"TARVO_TOOL_WAIT", "TARVO_TOOL_LOG", "TARVO_TOOL_FAIL"})
            SetEnvironmentVariableA(variable, nullptr);
        ProgramTest::TearDown();
    }
    // A console (or Windows) project "demo" of these sources in the test's folder, made through the
    // program's dialogs; its makefile is written on the way.
    void CreateDemo(const std::vector<std::pair<std::string, std::string>>& sources, bool windows = false) {
        std::string names;
        for (const auto& [name, text] : sources) {
            WriteTextFile(dir + "\\" + name, text);
            names += "\"" + name + "\" ";
        }
        shown->answers = {platform::kAnswerNo};  // no skeleton generator
        AnswerDialogs({
            [](HWND prompt) {
                SetDlgItemTextA(prompt, IDC_EDIT, "demo");
                Press(prompt, IDOK);
            },
            [&](HWND definition) {
                SetDlgItemTextA(definition, IDC_PROJECT_PATH, dir.c_str());
                if (windows) CheckRadioButton(definition, IDC_KIND_WINDOWS, IDC_KIND_DLL, IDC_KIND_WINDOWS);
                Press(definition, IDOK);
            },
            FinishSteps,
            [=](HWND files) { ChooseInFileDialog(files, names); },
        });
        Command(CMD_PROJECT_CREATE);
        ASSERT_EQ(base::settings().currentProject, "demo");
        ASSERT_TRUE(platform::FileExists(dir + "\\vex\\Makefile"));
        // The sources change on disk in the tests: no window may ask to reload them.
        for (HWND window : editor::DocumentWindows())
            SendMessageA(base::app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
        shown->boxes.clear();
    }
    static bool Idle() { return project::projectRun().build == project::BuildState::Idle; }
    // F9, and the build's end.
    std::vector<std::string> Make() {
        Command(CMD_MAKE);
        EXPECT_TRUE(WaitUntil(Idle, kBuildTimeoutMs)) << "the build did not end";
        return ListedMessages();
    }
    static std::string MakeMenuText() {
        char text[64] = "";
        GetMenuStringA(GetMenu(base::app().frame), CMD_MAKE, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    static bool Succeeded(const std::vector<std::string>& rows) {
        return rows.size() == 2 && rows[0].rfind("demo.exe built successfully. (", 0) == 0 &&
               rows[1].find(", Return code: 0") != std::string::npos;
    }
    static long ExitCodeOf(const std::string& program) {
        platform::RunResult r = platform::RunAndWait({"\"" + program + "\"", DirectoryOf(program), false, 60000, {}});
        return r.status == platform::RunStatus::Finished ? static_cast<long>(r.exitCode) : -1000;
    }
    static std::string DirectoryOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
    static std::string ActiveName() {
        editor::Document* doc = editor::CurrentDocument();
        return doc ? doc->name : std::string();
    }
    static long CursorLine() { return editor::CursorLineNumber(); }
};

}  // namespace tarvo::test
