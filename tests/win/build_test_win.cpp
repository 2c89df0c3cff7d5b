// Builds as a user runs them: F9 on a project of several sources, the messages listed and
// leading to their lines, a missing import library found and added, a build stopped and
// started again, Rebuild all, Link, Show results, the up-to-date check before debugging, and
// the exit question while a build runs. The compiler system's own tools do the work.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "base/app_win.h"
#include "bridge_win.h"
#include "base/command_ids.h"
#include "base/settings.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "platform/files.h"
#include "platform/process.h"
#include "build_fixture_win.h"
#include "program_win.h"
#include "project/build_win.h"
#include "project/project_state.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

class Builds : public ProjectBuildTest {};

// Whether a Linux process runs with this command line.
bool LinuxProcessRuns(const std::string& commandLine) {
    testbed::LinuxRun r = testbed::RunLinux(
        {"/bin/sh", "-c", "for p in /proc/[0-9]*; do tr '\\0' ' ' <$p/cmdline 2>/dev/null; echo; done | grep -q \"^$0\"",
         commandLine},
        "/");
    return r.exitCode == 0;
}

const char* kHelper = "int helper(void)\r\n{\r\n\treturn 42;\r\n}\r\n";
const char* kMain =
    "#include <stdio.h>\r\n\r\nint helper(void);\r\n\r\nint main(void)\r\n{\r\n\treturn helper();\r\n}\r\n";

// A clean build lists exactly its two closing lines and makes a program that runs; then an
// error in b.c at line 7 is listed, marked, and leads there.
TEST_F(Builds, ACleanBuildRunsAndAnErrorLeadsToItsLine) {
    CreateDemo({{"a.c", kHelper}, {"b.c", kMain}});
    std::vector<std::string> rows = Make();
    EXPECT_TRUE(Succeeded(rows)) << ::testing::PrintToString(rows);
    EXPECT_EQ(project::projectRun().returnCode, 0);
    EXPECT_EQ(MakeMenuText(), "&Make\tF9");
    EXPECT_EQ(ExitCodeOf(dir + "\\vex\\demo.exe"), 42);

    WriteTextFile(dir + "\\b.c", std::string(kMain).replace(std::string(kMain).find("return helper();"), 16,
                                                            "return helper() + undeclared_thing;"));
    rows = Make();
    auto error = std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r.rfind("Error ", 0) == 0; });
    ASSERT_NE(error, rows.end()) << ::testing::PrintToString(rows);
    EXPECT_NE(error->find("b.c: 7 "), std::string::npos) << *error;
    EXPECT_NE(rows.back().find("Return code: "), std::string::npos);
    EXPECT_EQ(rows.back().find("Return code: 0"), std::string::npos);

    // Previous message (Ctrl+Shift+F4) from the last row goes back to the error: b.c opens at line 7, marked.
    Command(CMD_PREVIOUS_MESSAGE);
    EXPECT_TRUE(_stricmp(ActiveName().c_str(), (dir + "\\b.c").c_str()) == 0) << ActiveName();
    EXPECT_EQ(CursorLine(), 7);
    editor::Document* b = editor::CurrentDocument();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(editor::LineAtNumber(*b, 7)->marks & editor::kMarkMessage);
    EXPECT_FALSE(editor::LineAtNumber(*b, 6)->marks & editor::kMarkMessage);
    Sync();
    Screenshot(dir + "\\message_list.bmp");  // the list, and b.c with its line marked

    // A double click on the row does the same from anywhere.
    editor::GoToLine(1);
    HWND list = base::app().messageList;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(error - rows.begin()), 0);
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(CursorLine(), 7);
    Command(CMD_NEXT_MESSAGE);  // nothing after the error but the closing line
    EXPECT_EQ(Status(), "No more messages");
}

// timeGetTime without winmm: the index names the library, the dialog adds it, the makefile's
// LIBS line says so, and the next F9 links.
TEST_F(Builds, AMissingImportLibraryIsOfferedAndAdded) {
    CreateDemo({{"a.c", "#include <windows.h>\r\n\r\nint main(void)\r\n{\r\n\treturn timeGetTime() == 0;\r\n}\r\n"}});
    AnswerDialogs({[](HWND dialog) {
        EXPECT_EQ(Text(dialog), "Missing libraries");
        EXPECT_EQ(Text(GetDlgItem(dialog, IDC_TEXT)), "Following symbols were undefined");
        HWND list = GetDlgItem(dialog, IDC_LIST);
        char line[256] = "";
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
        EXPECT_EQ(std::string(line), "timeGetTime (winmm.dll) winmm.lib");
        EXPECT_EQ(Text(GetDlgItem(dialog, IDOK)), "Add libs");
        Press(dialog, IDOK);
    }});
    std::vector<std::string> rows = Make();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"The missing libraries habe been added. Restart Make"});
    EXPECT_EQ(base::settings().project.libraries, "winmm.lib");
    EXPECT_NE(ReadTextFile(dir + "\\vex\\Makefile").find("\nLIBS=winmm.lib\n"), std::string::npos);
    EXPECT_TRUE(Succeeded(Make())) << ::testing::PrintToString(ListedMessages());
}

// The window variant: a WinMain program with its resources builds and runs; then an error in
// the resource script opens the script at its line.
TEST_F(Builds, AWindowsProgramWithResourcesAndAResourceError) {
    CreateDemo({{"win.c", "#include <windows.h>\r\n\r\nint helper(void);\r\n\r\n"
                          "int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s)\r\n{\r\n"
                          "\tchar text[16];\r\n\treturn LoadStringA(i, 1, text, sizeof text) == 3 ? helper() : 1;\r\n}\r\n"},
                {"a.c", kHelper},
                {"app.rc", "#include <windows.h>\r\n\r\nSTRINGTABLE\r\nBEGIN\r\n  1 \"one\"\r\nEND\r\n"}},
               true);
    std::vector<std::string> rows = Make();
    ASSERT_TRUE(Succeeded(rows)) << ::testing::PrintToString(rows);
    EXPECT_EQ(ExitCodeOf(dir + "\\vex\\demo.exe"), 42);  // its string table was linked in

    WriteTextFile(dir + "\\app.rc", "#include <windows.h>\r\n\r\nSTRINGTABLE\r\nBEGIN\r\n  1 one two\r\nEND\r\n\r\n");
    rows = Make();
    auto error = std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r.find("app.rc(") != std::string::npos; });
    ASSERT_NE(error, rows.end()) << ::testing::PrintToString(rows);
    HWND list = base::app().messageList;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(error - rows.begin()), 0);
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_TRUE(_stricmp(ActiveName().c_str(), (dir + "\\app.rc").c_str()) == 0) << ActiveName();
    // A long row wraps at the list's width (which depends on the path of the test directory),
    // its continuation rows led by " + ": compared without blanks and pluses.
    std::string joined;
    for (auto row = error; row != rows.end(); ++row)
        for (char c : *row)
            if (c != ' ' && c != '+') joined += c;
    EXPECT_NE(joined.find("app.rc(5):errorsyntaxerror"), std::string::npos) << joined;
    EXPECT_EQ(CursorLine(), 5);
}

// F9 while a slowed build runs stops it (menu "Stop build" meanwhile), no success is claimed,
// and the next F9 builds.
TEST_F(Builds, F9StopsARunningBuildAndTheNextF9Builds) {
    CreateDemo({{"a.c", kHelper}, {"b.c", kMain}});
    // The stand-in waits in a Linux process, as its compiler works in one: both must end.
    unsigned long wait = 60000 + GetCurrentProcessId() % 1000;
    char sleeping[64];
    std::snprintf(sleeping, sizeof sleeping, "/bin/sleep %lu.%03lu", wait / 1000, wait % 1000);
    SetEnvironmentVariableA("TARVO_TOOL_WAIT", ("vex:" + std::to_string(wait)).c_str());
    Command(CMD_MAKE);
    EXPECT_EQ(MakeMenuText(), "Stop build");
    ASSERT_TRUE(WaitUntil([&] { return LinuxProcessRuns(sleeping); }, 30000));
    DWORD asked = GetTickCount();
    Command(CMD_MAKE);
    ASSERT_TRUE(WaitUntil(Idle, 30000));
    EXPECT_LT(GetTickCount() - asked, 30000u);
    std::vector<std::string> rows = ListedMessages();
    EXPECT_FALSE(Succeeded(rows)) << ::testing::PrintToString(rows);
    EXPECT_NE(project::projectRun().returnCode, 0);
    EXPECT_EQ(MakeMenuText(), "&Make\tF9");
    EXPECT_TRUE(WaitUntil([&] { return !LinuxProcessRuns(sleeping); }, 3000)) << sleeping << " runs on";
    SetEnvironmentVariableA("TARVO_TOOL_WAIT", nullptr);
    EXPECT_TRUE(Succeeded(Make())) << ::testing::PrintToString(ListedMessages());
}

// Rebuild all says how many objects went and compiles again; Link links without changing the
// make program; Show results lists the last results again.
TEST_F(Builds, RebuildAllLinkAndShowResults) {
    CreateDemo({{"a.c", kHelper}, {"b.c", kMain}});
    ASSERT_TRUE(Succeeded(Make()));
    std::string log = dir + "\\tools.log";
    SetEnvironmentVariableA("TARVO_TOOL_LOG", log.c_str());
    Command(CMD_REBUILD_ALL);
    EXPECT_EQ(ListedMessages(), std::vector<std::string>{"2 object files deleted"});
    EXPECT_FALSE(platform::FileExists(dir + "\\vex\\a.obj"));
    ASSERT_TRUE(WaitUntil([] { return project::projectRun().build != project::BuildState::Idle; }, 10000));
    ASSERT_TRUE(WaitUntil(Idle, kBuildTimeoutMs));
    EXPECT_TRUE(Succeeded(ListedMessages())) << ::testing::PrintToString(ListedMessages());
    std::string logged = ReadTextFile(log);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n') >= 3, true) << logged;  // make, vex twice, ...

    std::string makeName = base::settings().project.makeName;
    DeleteFileA((dir + "\\vex\\demo.exe").c_str());
    Command(CMD_LINK);
    ASSERT_TRUE(WaitUntil(Idle, kBuildTimeoutMs));
    EXPECT_TRUE(platform::FileExists(dir + "\\vex\\demo.exe"));
    EXPECT_EQ(base::settings().project.makeName, makeName);

    // Show results reads the message file again: one too big lists what came before.
    std::string big;
    for (int i = 0; big.size() < 70000; ++i) big += "Warning " + dir + "\\a.c: " + std::to_string(i + 1) + " line " + std::string(40, 'w') + "\r\n";
    // Wine may close the ended make's handle on the file a moment after its end.
    ASSERT_TRUE(WaitUntil([&] {
        WriteTextFile(dir + "\\vex\\demo.err", big);
        return ReadTextFile(dir + "\\vex\\demo.err") == big;
    }));
    shown->boxes.clear();
    Command(CMD_SHOW_RESULTS);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Message file " + dir + "\\vex\\demo.err too big"});
    std::vector<std::string> rows = ListedMessages();
    EXPECT_GT(rows.size(), 500u);
    EXPECT_EQ(rows.front().rfind("Warning ", 0), 0u);
    EXPECT_NE(rows.back().find("Return code: 0"), std::string::npos);
}

// Before debugging, an out-of-date program is offered a rebuild; the exit asks while a build runs.
TEST_F(Builds, UpToDateCheckAndExitDuringABuild) {
    CreateDemo({{"a.c", kHelper}, {"b.c", kMain}});
    ASSERT_TRUE(Succeeded(Make()));
    base::settings().editorFlags |= base::kEditorTestUpToDate;
    EXPECT_TRUE(project::MayStartDebugging("demo.exe"));
    EXPECT_TRUE(BoxTexts().empty());  // up to date: no question

    WriteTextFile(dir + "\\a.c", "int helper(void)\r\n{\r\n\treturn 7;\r\n}\r\n");
    ShiftFileTime(dir + "\\a.c", 5);  // newer than its object, without waiting
    shown->answers = {platform::kAnswerYes};
    EXPECT_TRUE(project::MayStartDebugging("demo.exe"));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"demo.exe is not up-to-date.\nRebuild?"});
    EXPECT_EQ(ExitCodeOf(dir + "\\vex\\demo.exe"), 7);

    SetEnvironmentVariableA("TARVO_TOOL_WAIT", "vex:60000");
    WriteTextFile(dir + "\\a.c", kHelper);
    Command(CMD_MAKE);
    shown->boxes.clear();
    shown->answers = {platform::kAnswerNo};
    EXPECT_FALSE(project::MayExitWhileBuilding());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"A build is running. Stop it and exit?"});
    EXPECT_FALSE(Idle());
    shown->answers = {platform::kAnswerYes};
    EXPECT_TRUE(project::MayExitWhileBuilding());
    EXPECT_TRUE(Idle());
}

}  // namespace
}  // namespace tarvo::test
