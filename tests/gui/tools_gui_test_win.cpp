// Grep and Strings as a user meets them: the grep dialog fills the output list, a double click
// on a hit opens its file, the flags are stored at exit and the current directory is left
// alone; Strings asks before replacing a resource script of the user's, No changes nothing,
// and one Undo gives the source back exactly.
#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "harness_win.h"
#include "resource_ids.h"

namespace tarvo::gui {
namespace {

const char kMain[] = "Software\\vex\\Tarvo";
constexpr int kMessageListId = 0x7E01;

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { Kill(tarvo); }
    HWND List() { return GetDlgItem(tarvo.frame, kMessageListId); }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        HWND list = List();
        int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[1024] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= 1024) continue;
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            char narrow[2048] = {};
            WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
            rows.push_back(narrow);
        }
        return rows;
    }
    Running tarvo;
    std::string dir;
};

TEST_F(ToolsTest, GrepFillsTheListADoubleClickOpensTheHitAndTheFlagsAreStored) {
    std::string tree = dir + "\\tree";
    CreateDirectoryA(tree.c_str(), nullptr);
    CreateDirectoryA((tree + "\\sub").c_str(), nullptr);
    WriteTextFile(tree + "\\a.c", "int alpha;\r\nprint(x); int beta;\r\n");
    WriteTextFile(tree + "\\sub\\b.h", "/* none */\r\n\r\n  int gamma;\r\n");
    WriteTextFile(tree + "\\c.txt", "int delta;\r\n");
    ASSERT_TRUE(Start(tarvo, "", dir));
    PostMessageA(tarvo.frame, WM_COMMAND, CMD_GREP, 0);
    HWND dialog = WaitForBox(tarvo);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog), "Global Regular Expression Print (GREP)");
    char masks[64] = {};
    GetDlgItemTextA(dialog, IDC_GREP_MASKS, masks, sizeof masks);
    EXPECT_STREQ(masks, "*.c *.h");
    SetDlgItemTextA(dialog, IDC_GREP_EXPRESSION, "int");
    SetDlgItemTextA(dialog, IDC_GREP_DIRECTORY, tree.c_str());
    SendDlgItemMessageA(dialog, IDC_GREP_WHOLE_WORDS, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(dialog, IDC_GREP_IGNORE_CASE, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(dialog, IDC_GREP_SUBDIRECTORIES, BM_SETCHECK, BST_CHECKED, 0);
    Answer(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return Rows().size() == 4; }, 15000)) << Rows().size();
    std::vector<std::string> rows = Rows();
    EXPECT_EQ(rows[0], "Searching for 'int' in '*.c *.h': 3 hits.");
    // The hits keep their full paths; only files of the project directory are shown without it.
    std::string lower = tree;
    CharLowerA(lower.data());
    EXPECT_EQ(rows[2], "[" + lower + "\\a.c:2] print(x); int beta;");
    EXPECT_EQ(rows[3], "[" + lower + "\\sub\\b.h:3] int gamma;");

    SendMessageA(List(), LB_SETCURSEL, 3, 0);
    SendMessageA(tarvo.frame, WM_COMMAND, MAKEWPARAM(kMessageListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(List()));
    ASSERT_TRUE(WaitUntil([&] { return MdiChildren(tarvo.frame).size() == 1; }));
    std::string title = Text(MdiChildren(tarvo.frame)[0]);
    CharLowerA(title.data());
    EXPECT_NE(title.find("sub\\b.h"), std::string::npos) << title;

    DWORD exitCode = 1;
    ASSERT_TRUE(Close(tarvo, &exitCode));
    std::string flags, current;
    ASSERT_TRUE(GetValue(kMain, "Grep", flags));
    EXPECT_EQ(flags, "138");  // case-sensitive, subdirectories, whole words
    ASSERT_TRUE(GetValue(kMain, "CurrentDir", current));
    EXPECT_NE(_stricmp(current.c_str(), tree.c_str()), 0);
}

TEST_F(ToolsTest, StringsAsksAboutAUserScriptNoChangesNothingAndOneUndoRestores) {
    const std::string source = "#include <stdio.h>\r\nint main(void)\r\n{\r\n\tputs(\"hello\");\r\n\treturn 0;\r\n}\r\n";
    const std::string script = "#include \"prog.h\"\r\nICON1 ICON \"prog.ico\"\r\n";
    WriteTextFile(dir + "\\prog.c", source);
    WriteTextFile(dir + "\\prog.rc", script);
    ASSERT_TRUE(Start(tarvo, "prog.c", dir));
    ASSERT_EQ(MdiChildren(tarvo.frame).size(), 1u);
    const std::string title = Text(MdiChildren(tarvo.frame)[0]);

    PostMessageA(tarvo.frame, WM_COMMAND, CMD_STRING_TABLE, 0);
    HWND dialog = WaitForBox(tarvo);
    ASSERT_NE(dialog, nullptr);
    SendDlgItemMessageA(dialog, IDC_STR_ARRAY, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(dialog, IDC_STR_RESOURCE, BM_SETCHECK, BST_CHECKED, 0);
    Answer(dialog, IDOK);
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        question = WaitForBox(tarvo, 200);
        return question && question != dialog && BoxText(question).find("prog.rc") != std::string::npos;
    }));
    Answer(question, IDNO);
    Settle(tarvo);
    EXPECT_EQ(ReadTextFile(dir + "\\prog.rc"), script);
    EXPECT_EQ(Text(MdiChildren(tarvo.frame)[0]), title);  // not marked as changed

    // The array form: the table is written, the source rebuilt, and one Undo takes it back.
    PostMessageA(tarvo.frame, WM_COMMAND, CMD_STRING_TABLE, 0);
    dialog = WaitForBox(tarvo);
    ASSERT_NE(dialog, nullptr);
    SendDlgItemMessageA(dialog, IDC_STR_RESOURCE, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(dialog, IDC_STR_ARRAY, BM_SETCHECK, BST_CHECKED, 0);
    Answer(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !ReadTextFile(dir + "\\prog_str.c").empty(); }));
    Settle(tarvo);
    Command(tarvo.frame, CMD_SAVE);
    EXPECT_NE(ReadTextFile(dir + "\\prog.c").find("puts(StringTable[0]); // <hello>"), std::string::npos);
    Command(tarvo.frame, CMD_UNDO);
    Command(tarvo.frame, CMD_SAVE);
    EXPECT_EQ(ReadTextFile(dir + "\\prog.c"), source);
    EXPECT_EQ(ReadTextFile(dir + "\\prog.rc"), script);
}

}  // namespace
}  // namespace tarvo::gui
