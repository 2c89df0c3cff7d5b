// The editor's dialogs as a user meets them: Go to line, the function list, Find with its
// errors, F3 and Cancel, Replace asked match by match and undone at once, naming the untitled
// buffer on saving, and Save without a document.
#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "editor/document_windows_win.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

class EditorDialogs : public ProgramTest {
protected:
    // One of the direction buttons of Find and Replace, or none (0).
    static void Direction(HWND dialog, int chosen) {
        for (int id : {IDC_FORWARDS, IDC_BACKWARDS, IDC_WRAP}) CheckDlgButton(dialog, id, id == chosen);
    }
    // The Replace dialog filled in and confirmed.
    static DialogStep ReplaceWith(const std::string& text, const std::string& replacement) {
        return [=](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, text.c_str());
            SetDlgItemTextA(dialog, IDC_REPLACE_TEXT, replacement.c_str());
            Direction(dialog, IDC_FORWARDS);
            Press(dialog, IDOK);
        };
    }
};

TEST_F(EditorDialogs, GoToLineRefusesWhatIsNotALineNumber) {
    HWND editor = Open("g.c", "a\r\nb\r\nc\r\nd\r\n");
    Key(editor, VK_DOWN);
    AnswerDialogs({[](HWND prompt) {
        EXPECT_EQ(Text(prompt), "Go to line");
        SetDlgItemTextA(prompt, IDC_EDIT, "3x");
        Press(prompt, IDOK);
    }});
    Chord({VK_CONTROL, 'G'});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Incorrect line number: 3x"});
    EXPECT_EQ(Query(editor, kQueryCursorLine), 2);  // nothing moved
    AnswerDialogs({[](HWND prompt) {
        SetDlgItemTextA(prompt, IDC_EDIT, " 4 ");
        Press(prompt, IDOK);
    }});
    Command(CMD_GO_TO_LINE);
    EXPECT_EQ(Query(editor, kQueryCursorLine), 4);
}

TEST_F(EditorDialogs, F12ListsTheFunctionsAndGoesToTheChosenOne) {
    HWND editor = Open("fn.c",
                       "int one(void)\r\n{\r\n\treturn 1;\r\n}\r\n\r\n"
                       "static int two(int x)\r\n{\r\n\treturn x;\r\n}\r\n\r\n"
                       "void three(char *s)\r\n{\r\n}\r\n");
    AnswerDialogs({[](HWND list) {
        EXPECT_EQ(SendDlgItemMessageA(list, IDC_LIST, LB_GETCOUNT, 0, 0), 3);
        SendDlgItemMessageA(list, IDC_LIST, LB_SETCURSEL, 2, 0);
        Press(list, IDOK);
    }});
    Key(editor, VK_F12);
    EXPECT_EQ(Query(editor, kQueryCursorLine), 11);
}

TEST_F(EditorDialogs, ACancelledFindChangesNothingAFoundPatternIsSelectedAndF3FindsTheNext) {
    HWND editor = Open("f.c", "int alpha;\r\nint beta2;\r\nchar gamma33;\r\n");
    Key(editor, VK_DOWN);
    AnswerDialogs({[](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, "beta");
        Press(dialog, IDCANCEL);
    }});
    Command(CMD_FIND);
    EXPECT_EQ(Query(editor, kQueryCursorLine), 2);
    EXPECT_EQ(Query(editor, kQueryAnchorLine), 0);
    Command(CMD_UNDO);  // the cancelled Find left nothing to undo; Down is undone
    EXPECT_EQ(Query(editor, kQueryCursorLine), 1);

    AnswerDialogs({[&](HWND dialog) {
        EXPECT_EQ(Text(dialog), "Find");
        // Both faults of the form keep the dialog open with their message.
        SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, "");
        Press(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, "[a-z]+[0-9]+");
        CheckDlgButton(dialog, IDC_REGEX, BST_CHECKED);
        Direction(dialog, 0);  // none chosen (the settings start without a direction)
        Press(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        Direction(dialog, IDC_FORWARDS);
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Screenshot(dir + "\\find_dialog.bmp");
        Press(dialog, IDOK);
    }});
    Command(CMD_FIND);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Empty search string?", "Direction ?"}));
    EXPECT_EQ(Query(editor, kQueryAnchorLine), 2);
    EXPECT_EQ(Query(editor, kQueryAnchorColumn), 4);
    EXPECT_EQ(Query(editor, kQueryCursorColumn), 9);  // "beta2" selected
    Key(editor, VK_F3);
    EXPECT_EQ(Query(editor, kQueryAnchorLine), 3);
    EXPECT_EQ(Query(editor, kQueryAnchorColumn), 5);
    EXPECT_EQ(Query(editor, kQueryCursorColumn), 12);  // "gamma33"
    Key(editor, VK_F3);
    EXPECT_EQ(BoxTexts().back(), "String not found");
    EXPECT_EQ(Query(editor, kQueryCursorLine), 3);  // nothing moved
}

TEST_F(EditorDialogs, ReplaceAsksForEachMatchAndOneUndoTakesItBack) {
    HWND editor = Open("r.c", "x = x + x;\r\nint x;\r\n");
    // Confirmation is ticked whenever the dialog opens: a question per match.
    std::string seen;
    auto answer = [&seen](int button) -> DialogStep {
        return [&seen, button](HWND question) {
            char text[256] = "";
            GetDlgItemTextA(question, IDC_QUESTION, text, sizeof text);
            seen += std::string(text) + "|";
            Press(question, button);
        };
    };
    AnswerDialogs({[](HWND dialog) {
                       EXPECT_EQ(Text(dialog), "Search and replace");
                       ReplaceWith("x", "yy")(dialog);
                   },
                   answer(IDYES), answer(IDNO), answer(IDYES), answer(IDCANCEL)});
    Command(CMD_REPLACE);
    EXPECT_EQ(seen, "Replace this occurrence?|Replace this occurrence?|Replace this occurrence?|"
                    "Replace this occurrence?|");
    EXPECT_EQ(DocumentText(editor), "yy = x + yy;\nint x;");  // the fourth was cancelled
    Command(CMD_UNDO);
    EXPECT_EQ(DocumentText(editor), "x = x + x;\nint x;");
    // "All" replaces this match and every later one without asking.
    Command(CMD_TOP);
    AnswerDialogs({ReplaceWith("x", "z"), answer(IDC_REPLACE_ALL)});
    Command(CMD_REPLACE);
    EXPECT_EQ(DocumentText(editor), "z = z + z;\nint z;");
    EXPECT_EQ(Status(), "4 substitutions");
}

// The untitled buffer is saved under the name chosen in the file dialog and its window then
// shows that file.
TEST_F(EditorDialogs, SavingTheUntitledBufferAsksForAName) {
    Command(CMD_NEW);
    HWND untitled = editor::ActiveDocumentWindow();
    EXPECT_EQ(Text(untitled), "untitled");
    Type(untitled, "int made;\n");
    std::string target = dir + "\\made.c";
    AnswerDialogs({[&](HWND dialog) { ChooseInFileDialog(dialog, target); }});
    Command(CMD_SAVE);
    EXPECT_EQ(ReadTextFile(target), "int made;\r\n\r\n");
    ASSERT_EQ(editor::DocumentWindows().size(), 1u);
    HWND saved = editor::ActiveDocumentWindow();
    EXPECT_EQ(Text(saved), target);
    EXPECT_EQ(DocumentText(saved), "int made;\n");
}

// Open without a document is the GUI test of Ctrl+O at the frame.
TEST_F(EditorDialogs, SaveWithoutADocumentIsIgnored) {
    Command(CMD_SAVE);  // a dialog here would be cancelled and reported as unexpected
    EXPECT_TRUE(shown->boxes.empty());
}

}  // namespace
}  // namespace tarvo::test
