// The configuration sheet, utilities and Eiffel projects as a user meets them: the pages a
// sheet has, the compiler page's boxes, OK with its makefile question, the librarian, a
// refused message file; utilities added, run by their keys and deleted; and an Eiffel build
// through the compiler's stand-ins.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/settings_store.h"
#include "build_fixture_win.h"
#include "platform/settings_backend.h"
#include "project/eiffel.h"
#include "project/project_kinds.h"

namespace tarvo::test {
namespace {

int TabCount(HWND sheet) { return TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)); }

std::string TabTitle(HWND sheet, int index) {
    char text[64] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TabCtrl_GetItem(PropSheet_GetTabControl(sheet), index, &item);
    return text;
}

HWND ShowPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

// A click as the user makes it: the box changes and its page hears of it.
void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }

constexpr int kCompilerTab = 4, kLinkerTab = 7, kUtilitiesTabWithoutProject = 6;

class Configuration : public ProjectBuildTest {
protected:
    std::string log;
    void SetUp() override {
        ProjectBuildTest::SetUp();
        log = dir + "\\tools.log";
        SetEnvironmentVariableA("TARVO_TOOL_LOG", log.c_str());
    }
    // A project record made by hand, for the tests that do not build.
    void UseProject(long compilerFlags) {
        base::Settings& s = base::settings();
        s.currentProject = "demo";
        s.projects = {"demo"};
        s.project.makeDir = s.project.sourcesDir = dir;
        s.project.compilerFlags = compilerFlags;
    }
    std::string Stored(const std::string& name) {
        std::string text;
        platform::settingsBackend().readValue(std::string(base::kMainKey) + "\\demo", name, text);
        return text;
    }
    // The utilities page's fields filled and Change/Add pressed.
    static void AddUtility(HWND page, const char* name, const std::string& program, const char* arguments) {
        SetDlgItemTextA(page, IDC_UT_NAME, name);
        SetDlgItemTextA(page, IDC_UT_PROGRAM, program.c_str());
        SetDlgItemTextA(page, IDC_UT_ARGS, arguments);
        Press(page, IDC_UT_CHANGE);
    }
    static std::string Tool(const char* name) { return std::string(TARVO_ROOT_DIR) + "\\bin\\" + name + ".exe"; }
    bool Logged(const std::string& part) {
        return WaitUntil([&] { return ReadTextFile(log).find(part) != std::string::npos; }, 30000);
    }
};

TEST_F(Configuration, PagesFollowTheProjectAndItsLanguages) {
    std::vector<int> counts;
    auto count = [&](HWND sheet) {
        counts.push_back(TabCount(sheet));
        EXPECT_EQ(Text(sheet), "Configuration of Tarvo");
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    };
    AnswerDialogs({count});
    Command(CMD_CONFIGURATION);
    UseProject(project::kKindConsole | 0x08);
    AnswerDialogs({count});
    Command(CMD_CONFIGURATION);
    WriteTextFile(dir + "\\calc.f", "      END\r\n");
    Open("calc.f", "      END\r\n");  // a Fortran source makes a Fortran project
    AnswerDialogs({count});
    Command(CMD_CONFIGURATION);
    EXPECT_EQ(counts, (std::vector<int>{7, 11, 12}));
}

TEST_F(Configuration, CompilerBoxesOkAndTheNewMakefile) {
    CreateDemo({{"a.c", "int main(void) { return 0; }\r\n"}});
    std::string before = ReadTextFile(dir + "\\vex\\Makefile");
    ASSERT_EQ(before.find(" -O "), std::string::npos) << before;
    bool disabled = false;
    AnswerDialogs({[&](HWND sheet) {
        HWND page = ShowPage(sheet, kCompilerTab);
        EXPECT_EQ(TabTitle(sheet, kCompilerTab), "Compiler");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_CC_G3)));
        Click(page, IDC_CC_DEBUG);  // cleared: no stack trace without debug information
        disabled = !IsWindowEnabled(GetDlgItem(page, IDC_CC_G3)) && !IsWindowEnabled(GetDlgItem(page, IDC_CC_G4));
        Click(page, IDC_CC_ELIMINATE);  // takes Optimize along
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_CC_OPTIMIZE), static_cast<UINT>(BST_CHECKED));
        PropSheet_PressButton(sheet, PSBTN_OK);
    }});
    shown->answers = {platform::kAnswerYes};
    Command(CMD_CONFIGURATION);
    EXPECT_TRUE(disabled);
    long flags = base::settings().project.compilerFlags;
    EXPECT_EQ(flags & (0x08 | 0x04 | 0x800000), 0x04 | 0x800000);
    EXPECT_EQ(Stored("CompilerFlags"), std::to_string(flags));
    std::vector<std::string> boxes = BoxTexts();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Project has changed. Rebuild the makefile?"), boxes.end());
    std::string after = ReadTextFile(dir + "\\vex\\Makefile");
    size_t cflags = after.find("CFLAGS=");
    ASSERT_NE(cflags, std::string::npos) << after;
    EXPECT_NE(after.substr(cflags, after.find('\n', cflags) - cflags).find(" -O "), std::string::npos) << after;
}

TEST_F(Configuration, LibrarianAndARefusedMessageFile) {
    UseProject(project::kKindLibrary | 0x08);
    bool stayed = false;
    AnswerDialogs({[&](HWND sheet) {
        EXPECT_EQ(TabTitle(sheet, kLinkerTab), "Librarian");
        HWND linker = ShowPage(sheet, kLinkerTab);
        for (int id : {IDC_LNK_MAP, IDC_LNK_NO_DEBUG, IDC_LNK_LIBS})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(linker, id))) << id;
        HWND compiler = ShowPage(sheet, kCompilerTab);
        SetDlgItemTextA(compiler, IDC_CC_ERROR_FILE, "out.EXE");
        PropSheet_PressButton(sheet, PSBTN_OK);
        stayed = IsWindow(sheet) && PropSheet_GetCurrentPageHwnd(sheet) == compiler;
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }});
    Command(CMD_CONFIGURATION);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Message file name out.exe incorrect"});
    EXPECT_EQ(base::settings().project.errorFile, "");  // Cancel: nothing changed
}

TEST_F(Configuration, UtilitiesRunByTheirKeysAndKeepTheirIds) {
    HWND editor = Open("notes.c", "int counter;\r\n");
    Key(editor, VK_RIGHT, 7);  // inside "counter", after "cou"
    AnswerDialogs({[&](HWND sheet) {
        HWND page = ShowPage(sheet, kUtilitiesTabWithoutProject);
        EXPECT_EQ(TabTitle(sheet, kUtilitiesTabWithoutProject), "Utilities");
        AddUtility(page, "ed", Tool("clean"), "$FILE$ $CURSOR$");
        AddUtility(page, "A", Tool("clean"), "a-ran");
        AddUtility(page, "B", Tool("clean"), "b-ran");
        SetDlgItemTextA(page, IDC_UT_NAME, "A");
        Press(page, IDC_UT_DELETE);
        AddUtility(page, "C", Tool("clean"), "c-ran");
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_UT_LIST, LB_GETCOUNT, 0, 0), 3);
        PropSheet_PressButton(sheet, PSBTN_OK);
    }});
    Command(CMD_CONFIGURATION);
    const std::vector<base::Utility>& list = base::settings().utilities;
    ASSERT_EQ(list.size(), 3u);
    std::vector<long> ids;
    for (const base::Utility& u : list) ids.push_back(u.id);
    std::sort(ids.begin(), ids.end());
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end()) == ids.end());  // no two alike
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Utility [A] erased"});

    SetFocus(editor);
    Chord({VK_SHIFT, VK_F1});  // "ed", the first added
    EXPECT_TRUE(Logged(dir + "\\notes.c  cou ")) << ReadTextFile(log);
    for (const base::Utility& u : list)
        if (u.nickname != "ed") Command(static_cast<unsigned>(u.id));
    EXPECT_TRUE(Logged("b-ran")) << ReadTextFile(log);
    EXPECT_TRUE(Logged("c-ran")) << ReadTextFile(log);
    EXPECT_EQ(ReadTextFile(log).find("a-ran"), std::string::npos);
}

TEST_F(Configuration, AskedArgumentsCancelledStartNothing) {
    base::settings().utilities = {{"ask", Tool("clean"), "$ASK$ asked", "", CMD_FIRST_UTILITY}};
    bool prompted = false;
    AnswerDialogs({[&](HWND prompt) {
        prompted = GetDlgItem(prompt, IDC_EDIT) != nullptr;
        Press(prompt, IDCANCEL);
    }});
    Command(CMD_FIRST_UTILITY);
    EXPECT_TRUE(prompted);
    Sleep(1000);  // time for a start that must not happen
    EXPECT_EQ(ReadTextFile(log).find("asked"), std::string::npos) << ReadTextFile(log);
}

TEST_F(Configuration, EiffelBuildAsksForTheRootClassAndLeadsToTheSource) {
    std::string path = std::string(TARVO_ROOT_DIR) + "\\bin;" + [] {
        char value[32768] = "";
        GetEnvironmentVariableA("PATH", value, sizeof value);
        return std::string(value);
    }();
    SetEnvironmentVariableA("PATH", path.c_str());
    WriteTextFile(dir + "\\hello.e",
                  "--error Line 5 (.\\hello.e) Unknown feature\r\nclass HELLO\r\ncreation make\r\nfeature\r\n"
                  "   make is do foo end\r\nend\r\n");
    base::Settings& s = base::settings();
    s.currentProject = "hello";
    s.projects = {"hello"};
    s.project = {};
    s.project.sourcesDir = dir;
    s.project.projectFlags = 8 | base::kProjectEiffel;
    AnswerDialogs({[](HWND prompt) {
        EXPECT_EQ(Text(prompt), "Small eiffel compiler");
        SetDlgItemTextA(prompt, IDC_EDIT, "hello");
        Press(prompt, IDOK);
    }});
    Command(CMD_MAKE);
    ASSERT_TRUE(WaitUntil(Idle, kBuildTimeoutMs));
    std::string command = "compile  -all_check  -g2 -no_strip  -wn -tarvo -DSE_TARVO -o " + dir + "\\hello.exe hello";
    EXPECT_TRUE(Logged(command)) << ReadTextFile(log);
    std::vector<std::string> rows = ListedMessages();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "Line 5 (.\\hello.e) Unknown feature");
    Command(CMD_PREVIOUS_MESSAGE);  // from the last row, selected after the build
    EXPECT_TRUE(_stricmp(ActiveName().c_str(), (dir + "\\hello.e").c_str()) == 0) << ActiveName();
    EXPECT_EQ(CursorLine(), 5);

    // Rebuild: the compiler's clean, then the compile again; without the error it builds.
    WriteTextFile(dir + "\\hello.e", "class HELLO\r\n");
    DeleteFileA(log.c_str());
    Command(CMD_REBUILD_ALL);
    ASSERT_TRUE(WaitUntil([] { return !Idle(); }, 10000));
    ASSERT_TRUE(WaitUntil(Idle, kBuildTimeoutMs));
    std::string logged = ReadTextFile(log);
    size_t clean = logged.find("clean hello.bat"), compile = logged.find(command);
    EXPECT_NE(clean, std::string::npos) << logged;
    EXPECT_NE(compile, std::string::npos) << logged;
    EXPECT_LT(clean, compile) << logged;
    EXPECT_TRUE(platform::FileExists(dir + "\\hello.exe"));
}

}  // namespace
}  // namespace tarvo::test
