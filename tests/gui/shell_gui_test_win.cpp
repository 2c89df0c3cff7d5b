// The whole program as a user meets it: the frame coming up and closing, the command line,
// the last session, another instance, the shared command area, the keys at the frame, the
// exit's save question, and the autosave files of a session that died.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/command_ids.h"
#include "harness_win.h"
#include "resource_ids.h"

namespace tarvo::gui {
namespace {

const char kMain[] = "Software\\vex\\Tarvo";

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        Kill(tarvo);
        Kill(second);
    }
    // The names of the files in the windows, without their folders, in lower case and sorted.
    std::string OpenNames() {
        std::vector<std::string> titles;
        for (HWND child : MdiChildren(tarvo.frame)) titles.push_back(Text(child));
        std::sort(titles.begin(), titles.end());
        std::string names;
        for (std::string& t : titles) names += (names.empty() ? "" : " ") + t.substr(t.rfind('\\') + 1);
        return CharLowerA(names.data()), names;
    }
    static void Store(const std::string& key, std::initializer_list<std::pair<const char*, std::string>> values) {
        for (const auto& [name, text] : values) SetValue(key, name, text);
    }
    std::string Stored(const std::string& name, const char* key = kMain) {
        std::string text;
        return GetValue(key, name, text) ? text : "<absent>";
    }
    Running tarvo, second;
    std::string dir;
};

// Names on the command line are relative to where the program is started, even when the last
// session ended in another directory (which becomes the current one at start-up): there the
// file would not be found.
TEST_F(ShellTest, RelativeNamesAreTakenFromTheStartDirectoryNotTheSavedOne) {
    std::string other = dir + "\\elsewhere";
    CreateDirectoryA(other.c_str(), nullptr);
    ASSERT_TRUE(Start(tarvo, "", other));
    ASSERT_TRUE(Close(tarvo));
    ASSERT_EQ(Stored("CurrentDir"), other);
    WriteTextFile(dir + "\\here.c", "int here;\r\n");
    ASSERT_TRUE(Launch(tarvo, "here.c", dir));
    ASSERT_TRUE(WaitForFrame(tarvo));
    EXPECT_EQ(WaitForBox(tarvo, 500), nullptr) << "a box: " << BoxText(WaitForBox(tarvo, 0));
    EXPECT_EQ(OpenNames(), "here.c");
}

TEST_F(ShellTest, FilesOnTheCommandLineOpenInWindowsNamedAfterThemAPatternMatchingNothingIsReported) {
    WriteTextFile(dir + "\\a.c", "int a;\r\n");
    WriteTextFile(dir + "\\b.c", "int b;\r\n");
    ASSERT_TRUE(Launch(tarvo, "a.c nothing*.zz b.c", dir));
    HWND box = WaitForBox(tarvo, 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "[nothing*.zz]: incorrect file name");
    Answer(box, IDOK);
    ASSERT_TRUE(WaitForFrame(tarvo));
    EXPECT_EQ(OpenNames(), "a.c b.c");
}

// Started minimised, the frame leaves the windows no room: they are tiled, so the one the
// command line maximised comes back as a window when the frame is restored.
TEST_F(ShellTest, AMinimisedStartTilesTheWindowsOfTheCommandLine) {
    WriteTextFile(dir + "\\a.c", "int a;\r\n");
    WriteTextFile(dir + "\\b.c", "int b;\r\n");
    ASSERT_TRUE(Launch(tarvo, "a.c b.c", dir, true));
    ASSERT_TRUE(WaitForFrame(tarvo));
    ASSERT_TRUE(Settle(tarvo));
    EXPECT_TRUE(IsIconic(tarvo.frame));
    ShowWindow(tarvo.frame, SW_RESTORE);
    ASSERT_TRUE(Settle(tarvo));
    std::vector<HWND> windows = MdiChildren(tarvo.frame);
    ASSERT_EQ(windows.size(), 2u);
    for (HWND window : windows) EXPECT_FALSE(IsZoomed(window));
}

// The start-up banner is up while the command line's files open; a box about a missing file
// stops the start-up there, so the dialogs present then tell whether there is a banner.
TEST_F(ShellTest, SlashWAnywhereInTheTailSuppressesTheBanner) {
    ASSERT_TRUE(Launch(tarvo, "nothing.zz", dir));
    HWND box = WaitForBox(tarvo, 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Banner(tarvo));
    Kill(tarvo);

    ASSERT_TRUE(Launch(tarvo, "sub/wx.zz", dir));  // "/w" inside a file name
    box = WaitForBox(tarvo, 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(Banner(tarvo));
}

TEST_F(ShellTest, AProjectTailReopensTheLastFilesAndSavesAtExitOtherTailsDoNeither) {
    WriteTextFile(dir + "\\m.c", "int main;\r\n");
    const std::string project = std::string(kMain) + "\\demo", opened = "\"" + dir + "\\m.c\" 1 0 0 300 200";
    Store(project, {{"Name", "demo"}, {"OpenFiles", "1"}, {"OpenFile1", opened}});
    ASSERT_TRUE(Start(tarvo, "/prj:demo", dir));
    EXPECT_EQ(OpenNames(), "m.c");
    ASSERT_TRUE(Close(tarvo));
    EXPECT_EQ(Stored("CurrentProject"), "demo");
    EXPECT_NE(Stored("FrameX"), "<absent>");

    DeleteKey(kMain);
    Store(project, {{"Name", "demo"}, {"OpenFiles", "1"}, {"OpenFile1", opened}});
    SetValue(kMain, "CurrentProject", "demo");
    ASSERT_TRUE(Start(tarvo, "-f", dir));
    EXPECT_EQ(OpenNames(), "");
    ASSERT_TRUE(Close(tarvo));
    EXPECT_EQ(Stored("FrameX"), "<absent>");
    EXPECT_EQ(Stored("Tabsize"), "<absent>");
}

TEST_F(ShellTest, WithAnotherInstanceRunningTheFrameTakesTheDefaultPlaceAndReopensNothing) {
    WriteTextFile(dir + "\\m.c", "int main;\r\n");
    Store(kMain, {{"FrameX", "40"}, {"FrameY", "30"}, {"FrameCX", "500"}, {"FrameCY", "400"}, {"OpenFiles", "1"},
                  {"OpenFile1", "\"" + dir + "\\m.c\" 1 0 0 300 200"}});
    ASSERT_TRUE(Start(tarvo, "", dir));
    RECT first;
    GetWindowRect(tarvo.frame, &first);
    EXPECT_EQ(first.left, 40);
    EXPECT_EQ(OpenNames(), "m.c");

    ASSERT_TRUE(Start(second, "", dir));
    ASSERT_NE(second.frame, tarvo.frame);
    RECT other;
    GetWindowRect(second.frame, &other);
    EXPECT_FALSE(other.left == 40 && other.top == 30 && other.right - other.left == 500);
    EXPECT_TRUE(MdiChildren(second.frame).empty());
}

// PATH as a program started by Execute sees it.
std::string PathSeenByChild(Running& tarvo, const std::string& dir) {
    std::string out = dir + "\\path.txt";
    DeleteFileA(out.c_str());
    PostMessageA(tarvo.frame, WM_COMMAND, CMD_EXECUTE, 0);
    HWND prompt = WaitForBox(tarvo);
    if (!prompt) return "<no prompt>";
    SetDlgItemTextA(prompt, 1002, ("cmd /c echo %PATH%> " + out).c_str());
    Answer(prompt, IDOK);
    std::string text;
    // The line is whole when its line end has come.
    WaitUntil([&] { return (text = ReadTextFile(out)).find('\n') != std::string::npos; }, 10000);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

// Whether it goes there when PATH holds the root already is the native test's (PreparedPath).
TEST_F(ShellTest, PathGetsTheRootsBinInFront) {
    std::string saved(32767, '\0');
    saved.resize(GetEnvironmentVariableA("PATH", saved.data(), static_cast<DWORD>(saved.size())));
    SetEnvironmentVariableA("PATH", "C:\\windows\\system32;C:\\windows");  // the program inherits it
    bool started = Start(tarvo, "", dir);
    SetEnvironmentVariableA("PATH", saved.c_str());
    ASSERT_TRUE(started);
    EXPECT_EQ(PathSeenByChild(tarvo, dir), BuildRoot() + "\\bin;C:\\windows\\system32;C:\\windows");
}

// With no document open, Ctrl+O still opens the file dialog and Ctrl+N a window.
TEST_F(ShellTest, CtrlOAndCtrlNWorkWithoutADocument) {
    ASSERT_TRUE(Start(tarvo, "", dir));
    ASSERT_TRUE(MdiChildren(tarvo.frame).empty());
    SetForegroundWindow(tarvo.frame);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == tarvo.frame; }, 2000));
    auto chord = [](WORD letter) {
        INPUT keys[4]{};
        for (INPUT& in : keys) in.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[3].ki.wVk = VK_CONTROL;
        keys[1].ki.wVk = keys[2].ki.wVk = letter;
        keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, keys, sizeof(INPUT));
    };
    chord('O');
    HWND open = WaitForBox(tarvo, 10000);
    ASSERT_NE(open, nullptr);  // the file-open dialog
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(open); }));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == tarvo.frame; }, 2000));
    chord('N');
    EXPECT_TRUE(WaitUntil([&] { return MdiChildren(tarvo.frame).size() == 1; }));
}

TEST_F(ShellTest, AMissingSavedDirectoryIsReportedAndTheStartDirectoryUsed) {
    Store(kMain, {{"CurrentDir", dir + "\\gone"}, {"OutputWndHeight", "37"}});
    ASSERT_TRUE(Launch(tarvo, "", dir));
    HWND box = WaitForBox(tarvo);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Directory " + dir + "\\gone doesn't exist");
    Answer(box, IDOK);
    ASSERT_TRUE(WaitForFrame(tarvo));
    RECT bar;
    GetClientRect(ChildOfClass(tarvo.frame, "TarvoOutput"), &bar);
    EXPECT_GE(bar.bottom, 33);  // the stored height, less the static edge
    EXPECT_LE(bar.bottom, 37);
}

// The shared command area gives the client's size and opens a file; the opened file is a
// recent file in the next session. (Its function stub is the autosave test's.)
TEST_F(ShellTest, SharedAreaCommandsAndRecentFilesAcrossSessions) {
    std::string file = dir + "\\r.c";
    WriteTextFile(file, "int r;\r\n");
    ASSERT_TRUE(Start(tarvo, "", dir));
    Settle(tarvo);  // the layout after start-up is posted
    LRESULT size = Command(tarvo.frame, CMD_SHARED_CLIENT_SIZE);
    RECT area;
    GetClientRect(MdiClient(tarvo.frame), &area);
    EXPECT_EQ(size, MAKELRESULT(area.right, area.bottom));
    ASSERT_TRUE(WriteSharedArea(file));
    Command(tarvo.frame, CMD_SHARED_OPEN_FILE);  // open the named file
    ASSERT_EQ(OpenNames(), "r.c");
    ASSERT_TRUE(Close(tarvo));
    EXPECT_EQ(Stored("RecentFile1"), file);

    Store(kMain, {{"OpenFiles", "0"}, {"CurrentFile", ""}});
    ASSERT_TRUE(Start(tarvo, "", dir));
    ASSERT_EQ(OpenNames(), "");
    Command(tarvo.frame, CMD_RECENT_FILE_1);
    EXPECT_EQ(OpenNames(), "r.c");
}

// A session that dies leaves its autosave files; the next start offers them back (the restore
// dialog is saved as a screenshot).
TEST_F(ShellTest, AutosavedChangesOfAKilledSessionAreRestoredAtTheNextStart) {
    std::string file = dir + "\\k.c";
    WriteTextFile(file, "int k;\r\n");
    SetValue(kMain, "EditorFlags", "111");  // the defaults and auto save
    ASSERT_TRUE(Start(tarvo, "", dir));
    ASSERT_TRUE(WriteSharedArea(file));
    Command(tarvo.frame, CMD_SHARED_OPEN_FILE);
    ASSERT_TRUE(WriteSharedArea("void kept(void);"));
    Command(tarvo.frame, CMD_SHARED_FUNCTION_STUB);
    SendMessageA(tarvo.frame, WM_TIMER, 53987, 0);  // the autosave tick
    Kill(tarvo);
    EXPECT_EQ(ReadTextFile(file), "int k;\r\n");

    ASSERT_TRUE(Launch(tarvo, "", dir));
    HWND restore = WaitForBox(tarvo);
    ASSERT_NE(restore, nullptr);
    Settle(tarvo);
    Screenshot(dir + "\\restore_dialog.bmp");
    char label[1024] = "";
    GetDlgItemTextA(restore, IDC_TEXT, label, sizeof label);
    EXPECT_NE(std::string(label).find("found in " + BuildRoot() + "\\tarvoautosave"), std::string::npos) << label;
    Answer(restore, IDOK);
    HWND told = WaitForBox(tarvo);
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(BoxText(told), "Autosaved files restored in the editor");
    Answer(told, IDOK);
    ASSERT_TRUE(WaitForFrame(tarvo));
    Settle(tarvo);
    EXPECT_EQ(OpenNames(), "k.c");
    // The restored text is the changed one: saving at exit writes it.
    PostMessageA(tarvo.frame, WM_CLOSE, 0, 0);
    HWND save = WaitForBox(tarvo);
    ASSERT_NE(save, nullptr);
    Answer(save, IDOK);
    ASSERT_EQ(WaitForSingleObject(tarvo.process.hProcess, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(ReadTextFile(file), "void kept(void)\r\n{\r\n}\r\nint k;\r\n");
}

// Text typed into the untitled buffer is offered for saving at exit like any modified file.
TEST_F(ShellTest, QuittingAsksAboutTextInTheUntitledBuffer) {
    ASSERT_TRUE(Start(tarvo, "", dir));
    Command(tarvo.frame, CMD_NEW);
    Settle(tarvo);
    std::vector<HWND> windows = MdiChildren(tarvo.frame);
    ASSERT_EQ(windows.size(), 1u);
    for (char c : std::string("keep me")) SendMessageA(windows[0], WM_CHAR, static_cast<unsigned char>(c), 1);
    PostMessageA(tarvo.frame, WM_CLOSE, 0, 0);
    HWND save = WaitForBox(tarvo);
    ASSERT_NE(save, nullptr);
    Answer(save, IDOK);  // Save: the buffer has no file, so Save as asks for a name
    HWND saveAs = WaitForBox(tarvo, 10000);
    ASSERT_NE(saveAs, nullptr);
    PostMessageA(saveAs, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    // Cancelling the name ends the exit: the program is still there, and asks again about
    // the text.
    Settle(tarvo);
    ASSERT_EQ(WaitForSingleObject(tarvo.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    PostMessageA(tarvo.frame, WM_CLOSE, 0, 0);
    save = WaitForBox(tarvo);
    ASSERT_NE(save, nullptr);
    Answer(save, IDC_DONT_SAVE);  // the user's choice ends the program
    EXPECT_EQ(WaitForSingleObject(tarvo.process.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
}

// The frame comes up with its parts, closes cleanly, stores its rectangle and the settings it
// read, and the next start puts it there.
TEST_F(ShellTest, ComesUpClosesCleanlyAndTheNextStartKeepsItsPlaceAndSettings) {
    Store(kMain, {{"Tabsize", "7"}, {"FindFlags", "5"}});
    ASSERT_TRUE(Start(tarvo, ""));
    ASSERT_TRUE(Settle(tarvo));  // the layout is posted
    EXPECT_EQ(Text(tarvo.frame), "tarvo");
    EXPECT_TRUE(HasMenuBar(tarvo.frame));
    EXPECT_TRUE(MdiChildren(tarvo.frame).empty());
    HWND output = ChildOfClass(tarvo.frame, "TarvoOutput");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(IsWindowVisible(output));
    // The output bar runs along the bottom, below the MDI area.
    RECT outputRect, clientRect;
    GetWindowRect(output, &outputRect);
    GetWindowRect(MdiClient(tarvo.frame), &clientRect);
    EXPECT_GE(outputRect.top, clientRect.bottom - 1);
    EXPECT_GT(outputRect.bottom - outputRect.top, 0);

    MoveWindow(tarvo.frame, 40, 30, 640, 480, TRUE);
    Settle(tarvo);
    DWORD exitCode = 1;
    ASSERT_TRUE(Close(tarvo, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Stored("FrameX") + " " + Stored("FrameCX") + " " + Stored("FrameCY"), "40 640 480");
    // Read at start-up and written back at exit; FindFlags through the search's own state.
    EXPECT_EQ(Stored("Tabsize") + " " + Stored("FindFlags") + " " + Stored("EditorFlags"), "7 5 47");

    ASSERT_TRUE(Start(tarvo, ""));
    RECT placed;
    GetWindowRect(tarvo.frame, &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);
    EXPECT_EQ(placed.right - placed.left, 640);
}

}  // namespace
}  // namespace tarvo::gui
