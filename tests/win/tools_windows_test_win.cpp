// The call tree window and the help generation as a user meets them: the tree of a real
// program's main beside cflow's, recursion shown once and marked, the two refusals; the help
// dialog with the help compiler stand-in (its command line, its strict check passing, a forced
// failure shown) and a user's own topics file kept when the user says No.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "bridge_win.h"
#include "editor/cursor.h"
#include "program_win.h"
#include "resource_ids.h"
#include "tools/call_tree_win.h"

namespace tarvo::test {
namespace {

constexpr char kZpipe[] = "/usr/share/doc/zlib1g-dev/examples/zpipe.c";

class ToolWindows : public ProgramTest {
protected:
    void TearDown() override {
        if (HWND tree = tools::TreeWindow()) DestroyWindow(tree);
        SetEnvironmentVariableA("TARVO_TOOL_FAIL", nullptr);
        SetEnvironmentVariableA("TARVO_TOOL_LOG", nullptr);
        ProgramTest::TearDown();
    }
    // Opens the text and puts the cursor inside the first occurrence of `word`.
    HWND OpenAt(const std::string& name, const std::string& text, const std::string& word) {
        HWND editor = Open(name, text);
        PlaceAt(text, word);
        return editor;
    }
    static void PlaceAt(const std::string& text, const std::string& word) {
        std::size_t at = text.find(word);
        long line = 1 + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
        std::size_t lineStart = text.rfind('\n', at);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        editor::GoToLine(line);
        editor::GoToDisplayColumn(static_cast<long>(at - lineStart) + 1);
    }
    static std::string TreeDump() {
        std::string text;
        SendMessageA(tools::TreeWindow(), tools::kTreeTextMessage, 0, reinterpret_cast<LPARAM>(&text));
        return text;
    }
    // "depth\tlabel" a line, as the dump and cflow both give it.
    static std::string Shape(const std::string& dump) {
        std::string out;
        std::istringstream in(dump);
        for (std::string line; std::getline(in, line);) {
            std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
            out += line.substr(0, b) + "\n";
        }
        return out;
    }
    static std::string Cflow(const std::string& root) {
        testbed::LinuxRun r = testbed::RunLinux(
            {"/usr/bin/cflow", "-b", "-i", "_", "--omit-arguments", "--main=" + root, kZpipe}, "/tmp");
        std::string out;
        std::istringstream in(r.output);
        for (std::string line; std::getline(in, line);) {
            std::size_t indent = line.find_first_not_of(' '), paren = line.find("()");
            if (indent == std::string::npos || paren == std::string::npos) continue;
            out += std::to_string(indent / 4) + "\t" + line.substr(indent, paren - indent) + "\n";
        }
        return out;
    }
};

TEST_F(ToolWindows, TheTreeOfMainIsCflowsTreeAndNodesAreChosenByAClick) {
    std::string source = ReadTextFile("Z:" + std::string(kZpipe));
    ASSERT_FALSE(source.empty()) << "zlib1g-dev is installed by scripts/setup.sh";
    OpenAt("zpipe.c", source, "main(");
    Command(CMD_CALL_TREE);
    HWND tree = tools::TreeWindow();
    ASSERT_NE(tree, nullptr) << BoxTexts().size();
    EXPECT_EQ(ClassOf(tree), "FunctionTree");
    char title[32];
    GetWindowTextA(tree, title, sizeof title);
    EXPECT_STREQ(title, "Tree");
    std::string theirs = Cflow("main");
    ASSERT_FALSE(theirs.empty());
    EXPECT_EQ(Shape(TreeDump()), theirs);
    // A click on the second node's box chooses it (flag 64), a second click lets it go.
    std::istringstream rows(TreeDump());
    std::string root, second;
    std::getline(rows, root);
    std::getline(rows, second);
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(second.substr(second.rfind('\t') + 1).c_str(), "%d,%d", &x, &y), 2);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 3, y + 3));
    std::istringstream after(TreeDump());
    std::getline(after, root);
    std::getline(after, second);
    EXPECT_NE(second.find("\t64\t"), std::string::npos) << second;
    Sync();
    RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ULONGLONG start = GetTickCount64();
    WaitUntil([start] { return GetTickCount64() - start > 200; });
    EXPECT_TRUE(Screenshot(dir + "\\call_tree.bmp"));
}

TEST_F(ToolWindows, RecursionIsShownOnceAndTheRefusalsAreSaid) {
    std::string text =
        "int fact(int n) { return n ? n * fact(n - 1) : 1; }\n"
        "int leaf(void) { return 0; }\n"
        "int main(void) { return fact(3) + leaf() + printf(\"\"); }\n";
    OpenAt("r.c", text, "fact(");
    Command(CMD_CALL_TREE);
    ASSERT_NE(tools::TreeWindow(), nullptr);
    std::string dump = TreeDump();
    EXPECT_EQ(Shape(dump), "0\tfact\n1\tfact\n");
    EXPECT_NE(dump.find("1\tfact\t4\t"), std::string::npos) << dump;  // marked, not expanded
    EXPECT_EQ(Status(), "Circularity in the function tree.");
    PlaceAt(text, "leaf(void");
    Command(CMD_CALL_TREE);
    PlaceAt(text, "printf");
    Command(CMD_CALL_TREE);
    // The callers of fact: fact itself (marked) and main.
    PlaceAt(text, "fact(");
    Command(CMD_CALLERS_TREE);
    EXPECT_EQ(Shape(TreeDump()), "0\tfact\n1\tfact\n1\tmain\n");
    std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Function calls no other function");
    EXPECT_EQ(boxes[1], "Function not found");

    // Symbol usage (Ctrl+F8) lists the lines that use the word; choosing one goes to it.
    PlaceAt(text, "leaf(void");
    EXPECT_EQ(Command(CMD_SYMBOL_USAGE), 1);
    EXPECT_EQ(ListedMessages(), (std::vector<std::string>{"Usage of leaf: 2 hits.", "int leaf(void) { return 0; }",
                                                         "int main(void) { return fact(3) + leaf() + printf(\"\"); }"}));
    HWND list = base::app().messageList;
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    SendMessageA(base::app().frame, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(editor::CursorLineNumber(), 3);
}

class HelpGenerationWindows : public ToolWindows {
protected:
    void SetUp() override {
        ToolWindows::SetUp();
        log = dir + "\\tools.log";
        SetEnvironmentVariableA("TARVO_TOOL_LOG", log.c_str());
        Open("one.c", "/* One. */\r\nint counter;\r\nint helper(void) { return counter; }\r\n");
        Open("two.c", "int twice(void) { return helper() * 2; }\r\n");
        Open("b{race}.c", "int main(void) { return twice() + printf(\"{\\\\}\"); }\r\n");
    }
    // The dialog filled: every open file, the help file in the test's folder.
    DialogStep FillIn() {
        return [this](HWND dialog) {
            Press(dialog, IDC_HELP_ADD_ALL);
            SetDlgItemTextA(dialog, IDC_HELP_NAME, (dir + "\\out.hlp").c_str());
            SetDlgItemTextA(dialog, IDC_HELP_TITLE, "Three files");
            Press(dialog, IDOK);
        };
    }
    std::string log;
};

TEST_F(HelpGenerationWindows, ThreeFilesMakeAHelpFileThatTheCompilerAccepts) {
    AnswerDialogs({FillIn()});
    EXPECT_EQ(Command(CMD_HELP_GENERATION), 1) << (BoxTexts().empty() ? "" : BoxTexts().back());
    EXPECT_EQ(ReadTextFile(dir + "\\out.HPJ"),
              "[CONFIG]\r\nBrowseButtons()\r\nCreateButton(\"BGroup\",\"&Up\",\"\")\r\n"
              "[OPTIONS]\r\nCONTENTS=main_index\r\nTITLE=Three files\r\n"
              "ERRORLOG=out.msg\r\n[FILES]\r\nout.RTF\r\n");
    std::string logged = ReadTextFile(log);
    EXPECT_NE(logged.find("hcrtf.exe"), std::string::npos) << logged;
    EXPECT_NE(logged.find(" -xh out.HPJ"), std::string::npos) << logged;
    EXPECT_EQ(logged.substr(0, logged.find('\t')), dir);  // run in the output folder
    std::string help = ReadTextFile(dir + "\\out.hlp");
    EXPECT_EQ(help.rfind("TARVO HELP DUMP 1\nTITLE Three files\n", 0), 0u) << help.substr(0, 200);
    EXPECT_NE(help.find("TEXT Line 1 - 1 "), std::string::npos);
    EXPECT_NE(ReadTextFile(dir + "\\out.msg").find("0 error(s)"), std::string::npos);
    // unrtf reads the paths and the braces back as they are.
    std::string rtf = testbed::UnixPath(dir + "\\out.RTF");
    testbed::LinuxRun text = testbed::RunLinux({"/usr/bin/unrtf", "--text", rtf}, "/tmp");
    EXPECT_NE(text.output.find("\\b{race}.c, "), std::string::npos) << text.output.substr(0, 600);
    EXPECT_NE(text.output.find("Line 1 - 1 " + dir + "\\b{race}.c"), std::string::npos);
}

TEST_F(HelpGenerationWindows, AFailingCompilerIsReportedAndAForeignFileKeptOnNo) {
    SetEnvironmentVariableA("TARVO_TOOL_FAIL", "hcrtf");
    AnswerDialogs({FillIn()});
    EXPECT_EQ(Command(CMD_HELP_GENERATION), 0);
    std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("The help compiler failed (exit code 1)", 0), 0u) << boxes[0];
    EXPECT_EQ(GetFileAttributesA((dir + "\\out.hlp").c_str()), INVALID_FILE_ATTRIBUTES);

    SetEnvironmentVariableA("TARVO_TOOL_FAIL", nullptr);
    const std::string mine = "{\\rtf1\\ansi My own notes, not generated.}\r\n";
    WriteTextFile(dir + "\\out.RTF", mine);
    shown->answers = {IDNO};
    AnswerDialogs({FillIn()});
    EXPECT_EQ(Command(CMD_HELP_GENERATION), 0);
    EXPECT_EQ(ReadTextFile(dir + "\\out.RTF"), mine);
    boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].find("out.RTF exists and was not written by the help generation"), std::string::npos) << boxes[1];
}

}  // namespace
}  // namespace tarvo::test
