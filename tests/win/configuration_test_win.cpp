// The configuration sheet, utilities and Eiffel projects as a user meets them: the pages a
// sheet has, the compiler page's boxes, OK with its makefile question, the librarian, a
// refused message file; utilities added, run by their keys and deleted; and an Eiffel build
// through the compiler's stand-ins.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/key_table.h"
#include "base/key_bindings.h"
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

constexpr int kVersionsTab = 3, kCompilerTab = 4, kLinkerTab = 7, kWorkspaceTab = 9, kUtilitiesTabWithoutProject = 6;

// The keyboard dialog's list row of a command's first key-table row, chosen as a click does.
void ChooseCommand(HWND keys, int command) {
    HWND list = GetDlgItem(keys, IDC_WS_KEYS);
    size_t row = 0;
    while (base::kDefaultCommandKeys[row].command != command) ++row;
    for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i)
        if (static_cast<size_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == row)
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageA(keys, WM_COMMAND, MAKEWPARAM(IDC_WS_KEYS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// A new key in the dialog's boxes, then Assign.
void AssignKey(HWND keys, int key, bool ctrl, bool alt, bool shift) {
    std::span<const int> choosable = base::ChoosableKeys();
    WPARAM at = static_cast<WPARAM>(std::find(choosable.begin(), choosable.end(), key) - choosable.begin());
    SendDlgItemMessageA(keys, IDC_KEY_CHOICE, CB_SETCURSEL, at, 0);
    CheckDlgButton(keys, IDC_KEY_CTRL, ctrl ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(keys, IDC_KEY_ALT, alt ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(keys, IDC_KEY_SHIFT, shift ? BST_CHECKED : BST_UNCHECKED);
    Press(keys, IDC_KEY_ASSIGN);
}

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

// Undo leaves Alt+Backspace (a frame accelerator) for Ctrl+Shift+Backspace, and the end of the
// text moves from Ctrl+End to Ctrl+Down (an editor binding): the old keys do nothing at once,
// the new ones work, and the changed rows are stored with the project's settings.
TEST_F(Configuration, KeysRebound) {
    UseProject(project::kKindConsole | 0x08);
    HWND editor = Open("keys.c", "one\r\ntwo\r\nthree\r\n");
    base::settings().macros = {{"Q", 0, "quoted"}};
    AnswerDialogs({[&](HWND sheet) {
                       Press(ShowPage(sheet, kWorkspaceTab), IDC_WS_KEYBOARD);  // the next step's
                       PropSheet_PressButton(sheet, PSBTN_OK);
                   },
                   [&](HWND keys) {
                       ChooseCommand(keys, CMD_END);
                       AssignKey(keys, 'S', true, false, false);  // Save's: refused
                       AssignKey(keys, 'Q', true, false, false);  // the macro's: refused
                       AssignKey(keys, VK_DOWN, true, false, false);
                       ChooseCommand(keys, CMD_UNDO);
                       AssignKey(keys, VK_BACK, true, false, true);
                       ChooseCommand(keys, CMD_SAVE);
                       AssignKey(keys, 'W', true, false, false);
                       Press(keys, IDC_KEY_RESET);  // Save keeps Ctrl+S
                       Press(keys, IDOK);
                   }});
    Command(CMD_CONFIGURATION);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "Ctrl+S is the key of \"Save the current file\" already.\n"
                              "Give that command another key or reset it first.",
                              "Ctrl+Q types a text macro: delete the macro on the Macros page first"}));
    std::string accelerators;
    platform::settingsBackend().readValue(base::kMainKey, "Accelerators", accelerators);
    EXPECT_EQ(accelerators, "2");
    char menuText[64] = "";
    GetMenuStringA(base::app().mainMenu, CMD_END, menuText, sizeof menuText, MF_BYCOMMAND);
    EXPECT_STREQ(menuText, "&End\tCtrl+Down");

    SetFocus(editor);
    Type(editor, "x");
    Chord({VK_MENU, VK_BACK});
    EXPECT_EQ(DocumentText(editor), "xone\ntwo\nthree");
    Chord({VK_CONTROL, VK_SHIFT, VK_BACK});
    EXPECT_EQ(DocumentText(editor), "one\ntwo\nthree");
    Chord({VK_CONTROL, VK_END});
    EXPECT_EQ(Query(editor, kQueryCursorLine), 1);
    Chord({VK_CONTROL, VK_DOWN});
    EXPECT_EQ(Query(editor, kQueryCursorLine), Query(editor, kQueryLineCount));
    Type(editor, "y");
    Chord({VK_CONTROL, 'S'});  // reset: Save's own key
    EXPECT_FALSE(Modified(editor));
}

// The version store's preferences and the Fortran directories are written with the project.
TEST_F(Configuration, VersionsAndFortranPagesAreStored) {
    UseProject(project::kKindConsole | 0x08);
    base::settings().project.projectFlags |= base::kProjectFortran;
    base::settings().project.cmsDirectory.clear();
    AnswerDialogs({[&](HWND sheet) {
        HWND page = ShowPage(sheet, kVersionsTab);
        Click(page, IDC_VER_USE);
        EXPECT_EQ(Text(GetDlgItem(page, IDC_VER_DIRECTORY)), dir + "\\CMS");
        for (int id : {IDC_CMS_PUT_LOCK, IDC_CMS_GET_OVERWRITE, IDC_CMS_READ_ONLY, IDC_CMS_CASE, IDC_CMS_LOCKS_IGNORE})
            Click(page, id);
        for (const char* user : {"Ann Lee", "bob", " BOB "}) {
            SetDlgItemTextA(page, IDC_VER_NEW_USER, user);
            Press(page, IDC_VER_ADD_USER);
        }
        SendDlgItemMessageA(page, IDC_VER_USERS, LB_SETCURSEL, 0, 0);
        Press(page, IDC_VER_REMOVE_USER);
        SetDlgItemTextA(page, IDC_VER_NEW_USER, "carol");
        Press(page, IDC_VER_ADD_USER);
        HWND fortran = ShowPage(sheet, TabCount(sheet) - 1);
        EXPECT_EQ(TabTitle(sheet, TabCount(sheet) - 1), "Fortran");
        SetDlgItemTextA(fortran, IDC_FOR_INCLUDES, "c:\\f77 inc;d:\\lib");
        PropSheet_PressButton(sheet, PSBTN_OK);
    }});
    shown->answers = {platform::kAnswerNo};  // no new makefile now
    Command(CMD_CONFIGURATION);
    std::vector<std::string> boxes = BoxTexts();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "BOB is listed already"), boxes.end());
    const std::pair<const char*, std::string> stored[] = {
        {"CmsDirectory", dir + "\\CMS"}, {"PutOptions", "36"}, {"GetOptions", "32"}, {"FileOptions", "1"},
        {"LockOptions", "0"}, {"UsersOptions", "0"}, {"UserCount", "2"}, {"User1", "bob"}, {"User2", "carol"},
        {"FortranIncludes", "c:\\f77 inc;d:\\lib"}};
    for (const auto& [name, value] : stored) EXPECT_EQ(Stored(name), value) << name;
    EXPECT_TRUE(std::stol(Stored("ProjectFlags")) & base::kProjectUsesCms);
}

// A new Eiffel project gets the one-page Eiffel sheet instead of the compiler-system steps:
// Finish stores its values; Cancel ends the creation with nothing stored.
TEST_F(Configuration, EiffelProjectsAreCreatedWithTheEiffelSheet) {
    WriteTextFile(dir + "\\hello.e", "class HELLO\r\n");
    auto create = [&](const char* name, DialogStep onSheet, bool chooseFiles) {
        std::vector<DialogStep> steps{[=](HWND prompt) {
                                          SetDlgItemTextA(prompt, IDC_EDIT, name);
                                          Press(prompt, IDOK);
                                      },
                                      [&](HWND definition) {
                                          SetDlgItemTextA(definition, IDC_PROJECT_PATH, dir.c_str());
                                          CheckDlgButton(definition, IDC_PROJECT_EIFFEL, BST_CHECKED);
                                          Press(definition, IDOK);
                                      },
                                      onSheet};
        if (chooseFiles) steps.push_back([](HWND files) { ChooseInFileDialog(files, "\"hello.e\""); });
        AnswerDialogs(steps);
        Command(CMD_PROJECT_CREATE);
    };
    bool finishOffered = false;
    create("hello", [&](HWND sheet) {
        EXPECT_EQ(Text(sheet), "Small Eiffel configuration");
        EXPECT_EQ(TabCount(sheet), 1);
        HWND finish = GetDlgItem(sheet, 0x3025);  // the wizard's Finish button
        finishOffered = IsWindowVisible(finish) && IsWindowEnabled(finish);
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_EI_OPTION + 6), static_cast<UINT>(BST_CHECKED));  // all_check
        SetDlgItemTextA(page, IDC_EI_ROOT_CLASS, "hello");
        Click(page, IDC_EI_OPTION + 0);   // boost
        Click(page, IDC_EI_OPTION + 10);  // verbose
        PropSheet_PressButton(sheet, PSBTN_FINISH);
    }, true);
    EXPECT_TRUE(finishOffered);
    ASSERT_EQ(base::settings().currentProject, "hello");
    const base::ProjectSettings& p = base::settings().project;
    EXPECT_TRUE(p.projectFlags & base::kProjectEiffel);
    EXPECT_EQ(p.eiffelFlags, 0x1 | 0x400 | 0x10000);
    auto stored = [](const std::string& project, const char* name) {
        std::string text;
        platform::settingsBackend().readValue(std::string(base::kMainKey) + "\\" + project, name, text);
        return text;
    };
    EXPECT_EQ(stored("hello", "EiffelRootClass"), "hello");
    EXPECT_EQ(stored("hello", "EiffelFlags"), std::to_string(0x1 | 0x400 | 0x10000));
    EXPECT_FALSE(platform::FileExists(p.makeDir + "\\Makefile"));  // built by the Eiffel compiler

    shown->answers = {platform::kAnswerYes};  // the output directory exists: use it
    create("other", [](HWND sheet) {
        SetDlgItemTextA(PropSheet_GetCurrentPageHwnd(sheet), IDC_EI_ROOT_CLASS, "other");
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    }, false);
    EXPECT_EQ(base::settings().currentProject, "hello");
    EXPECT_EQ(base::settings().project.eiffelRootClass, "hello");
    EXPECT_FALSE(platform::settingsBackend().keyExists(std::string(base::kMainKey) + "\\other"));
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
