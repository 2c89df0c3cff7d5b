// The editor window as a user types into it: indentation, the closing brace, Backspace, the
// clipboard keys, saving with Ctrl+S, Left over a selection, and Undo after each kind of edit.
#include <gtest/gtest.h>

#include "editor_gui_util_win.h"

namespace tarvo::gui {
namespace {

using namespace edit;

class EditorTyping : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { Kill(tarvo); }

    // Starts the program on one file holding `text`; returns its editor window.
    HWND Open(const std::string& name, const std::string& text) {
        file = dir + "\\" + name;
        WriteTextFile(file, text);
        if (!Start(tarvo, name, dir)) return nullptr;
        Settle(tarvo, 200);
        return ActiveEditor(tarvo.frame);
    }
    Running tarvo;
    std::string dir, file;
};

TEST_F(EditorTyping, TypingIndentsAfterAConditionAndTheClosingBraceGoesBack) {
    HWND editor = Open("t.c", "");
    ASSERT_NE(editor, nullptr);
    Type(editor, "int f(int x)\n{\nif (x)\nx = 1;\nreturn x;\n}\n");
    EXPECT_EQ(DocumentText(editor), "int f(int x)\n{\n\tif (x)\n\t\tx = 1;\n\treturn x;\n}\n");
    EXPECT_TRUE(Query(editor, kFlags) & kModified);
    EXPECT_EQ(Text(editor).rfind("* ", 0), 0u) << Text(editor);  // the title marks the change
    Command(tarvo.frame, 1103);
    EXPECT_EQ(ReadTextFile(file), "int f(int x)\r\n{\r\n\tif (x)\r\n\t\tx = 1;\r\n\treturn x;\r\n}\r\n\r\n");
    EXPECT_FALSE(Query(editor, kFlags) & kModified);
    EXPECT_EQ(Text(editor), file);
}

}  // namespace
}  // namespace tarvo::gui
