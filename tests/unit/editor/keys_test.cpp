// Keys in an editor window: the key table's bindings, the cursor and editing keys with their
// undo records, the selection commands, bookmarks, and the texts of the title and status line.
#include "editor/bookmarks.h"
#include "editor/keys.h"
#include "editor/status.h"
#include "editor_test_util.h"
#include "base/command_ids.h"

namespace tarvo::editor::test {
namespace {

namespace vk = base::vk;
using base::kDefaultCommandKeys;
constexpr int Ctrl = base::kModCtrl, Alt = base::kModAlt, Shift = base::kModShift;

class Keys : public EditorTest {
protected:
    KeyResult Press(int key, int held = 0, long count = 1) {
        return KeyDown(1, key, held, count, kDefaultCommandKeys, false);
    }
    Position Anchor() {
        View& v = *CurrentView();
        return v.anchorLine ? Position{LineIndex(*v.document, v.anchorLine), v.anchorColumn} : Position{};
    }
};

TEST_F(Keys, CursorKeysMoveLogAndDropWhatDidNotMove) {
    Open("abc\n\tdef\nghi\n");
    auto& log = actionLog().records;
    EXPECT_TRUE(Press(vk::Left).handled);  // start of the document: nothing to log
    EXPECT_TRUE(log.empty());
    Press(vk::Right, 0, 5);  // crosses the line end
    EXPECT_EQ(CursorPosition(), (Position{2, 1}));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.back().kind, kActionKey);
    Press(vk::End);
    EXPECT_EQ(CursorPosition(), (Position{2, 4}));
    Press(vk::End);  // already there
    EXPECT_EQ(log.size(), 2u);
    Press(vk::Down);
    EXPECT_EQ(CursorPosition(), (Position{3, 3}));  // the goal column: display column 7
    Press(vk::Home);
    Press(vk::Home);  // at column 0: nothing logged
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(CursorAfter(Undo()), "3:3");
    Press(vk::Insert);
    EXPECT_TRUE(CurrentView()->overtype);
    EXPECT_TRUE(CurrentView()->redraw & kRedrawOvertype);
    Press(vk::Insert);
    EXPECT_FALSE(CurrentView()->overtype);
    // Esc is a command; modifier keys alone do nothing.
    EXPECT_EQ(Press(key::Escape).command, CMD_ESCAPE);
    EXPECT_FALSE(Press(key::Control, Ctrl).handled);
}

TEST_F(Keys, LeftWithASelectionLandsOnTheAnchor) {
    Open("abcdef\nxyz\n");
    SetCursor({1, 2});
    EXPECT_TRUE(RunSelectionCommand(CMD_EXTEND_LINE_DOWN));  // Shift+Down
    EXPECT_TRUE(RunSelectionCommand(CMD_EXTEND_CHAR_RIGHT));  // Shift+Right
    EXPECT_EQ(Anchor(), (Position{1, 2}));
    EXPECT_EQ(CursorPosition(), (Position{2, 3}));
    Press(vk::Left);
    EXPECT_EQ(CursorPosition(), (Position{1, 2}));  // not one further
    EXPECT_FALSE(HasSelection());
    // Right clears a selection and moves on from the cursor.
    RunSelectionCommand(CMD_EXTEND_WORD_RIGHT);  // Ctrl+Shift+Right: a word
    EXPECT_EQ(CursorPosition(), (Position{1, 6}));
    Press(vk::Right);
    EXPECT_FALSE(HasSelection());
    EXPECT_EQ(CursorPosition(), (Position{2, 0}));
}

TEST_F(Keys, SelectionCommandsKeepOrStartTheAnchor) {
    Document& doc = Open("one two\nthree\n");
    SetCursor({1, 4});
    RunSelectionCommand(CMD_EXTEND_TO_LINE_START);  // Shift+Home
    EXPECT_EQ(SelectionText(), "one ");
    RunSelectionCommand(CMD_EXTEND_TO_LINE_END);  // Shift+End: back past the anchor
    EXPECT_EQ(SelectionText(), "two");
    for (int i = 0; i < 3; ++i) RunSelectionCommand(CMD_EXTEND_CHAR_LEFT);  // Shift+Left
    EXPECT_FALSE(HasSelection());  // back at the anchor: nothing selected
    RunSelectionCommand(CMD_EXTEND_TO_END);  // Ctrl+Shift+End
    EXPECT_EQ(SelectionText(), "two\nthree");
    RunSelectionCommand(CMD_WORD_RIGHT);  // Ctrl+Right without Shift drops it
    EXPECT_FALSE(HasSelection());
    RunSelectionCommand(CMD_SELECT_ALL);
    EXPECT_EQ(SelectionText(), TextOf(doc));
    SetCursor({2, 2});
    RunSelectionCommand(CMD_SELECT_WORD);
    EXPECT_EQ(SelectionText(), "three");
    // Delete cuts it into the cut buffer; not in a read-only text.
    doc.flags |= kReadOnly;
    Press(vk::Delete);
    EXPECT_EQ(TextOf(doc), "one two\nthree");
    doc.flags &= static_cast<std::uint16_t>(~kReadOnly);
    Press(vk::Delete);
    EXPECT_EQ(TextOf(doc), "one two\n");
    EXPECT_EQ(editor().cutBuffer, "three");
}

TEST_F(Keys, CtrlUpAndDownScrollTheTextNotTheCursor) {
    Document& doc = Open(NumberedLines(60, "l"));
    View& v = *CurrentView();
    v.rows = 20;
    SetCursor({10, 0});
    Press(vk::Down, Ctrl, 3);
    EXPECT_EQ(LineIndex(doc, v.topLine), 4);
    EXPECT_EQ(CursorPosition().line, 10);
    EXPECT_EQ(CursorAfter(Undo()), "10:0");  // a scroll: the cursor goes back where it was
    Press(vk::Next);  // Page Down: rows - 2 lines, the cursor keeps its row
    EXPECT_EQ(CursorPosition().line, 28);
    EXPECT_EQ(LineIndex(doc, v.topLine), 22);
}

// A user's own Ctrl+letter macro is typed instead of the rows added to the classic table
// (Ctrl+Z, Ctrl+Y, Ctrl+F, ...), but the classic rows (Ctrl+S, Ctrl+X, ...) stay commands.
TEST_F(Keys, OwnMacrosWinOverTheAddedRowsOnly) {
    Open("text\n");
    const int added[] = {'Z', 'Y', 'F', 'H', 'O', 'N', 'A'};
    const int classic[] = {'S', 'X', 'C', 'V', 'G'};
    for (int letter : added) EXPECT_NE(Press(letter, Ctrl).command, 0) << char(letter);
    for (int letter : added) base::settings().macros.push_back({std::string("Ctrl+") + char(letter), 0, "m"});
    for (int letter : classic) base::settings().macros.push_back({std::string(1, char(letter)), 0, "m"});
    for (int letter : added) {
        KeyResult r = Press(letter, Ctrl);
        EXPECT_EQ(r.command, 0) << char(letter);
        EXPECT_FALSE(r.handled) << char(letter);  // the character message then types the macro
    }
    EXPECT_EQ(Press('Z', Ctrl | Shift).command, 0);
    for (auto [letter, command] : {std::pair{'S', CMD_SAVE}, {'X', CMD_CUT}, {'C', CMD_COPY}, {'V', CMD_PASTE}, {'G', CMD_GO_TO_LINE}})
        EXPECT_EQ(Press(letter, Ctrl).command, command) << letter;
    // F1 is an added row, but no letter: no macro takes it.
    EXPECT_EQ(Press(vk::F1).command, CMD_CONTEXT_HELP);
    // A binding the user moved to another key goes with the row: a macro of the new key wins.
    std::vector<base::CommandKey> rows(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    base::settings().macros = {{"Ctrl+Q", 0, "q"}};
    rows[base::kFirstAddedKeyRow].key = 'Q';
    EXPECT_EQ(KeyDown(1, 'Q', Ctrl, 1, rows, false).command, 0);
    EXPECT_EQ(KeyDown(1, 'Z', Ctrl, 1, rows, false).command, 0);  // unbound now
    base::settings().macros.clear();
    EXPECT_EQ(KeyDown(1, 'Q', Ctrl, 1, rows, false).command, CMD_UNDO);
}

TEST_F(Keys, BookmarksFollowTheirLinesAndCycle) {
    Document& doc = Open("a\nb\nc\nd\n");
    for (long line : {2, 4}) {
        SetCursor({line, 0});
        EXPECT_TRUE(ToggleBookmark());
    }
    SetCursor({3, 0});
    EXPECT_EQ(CursorAfter(GoToNextBookmark()), "4:0");
    EXPECT_EQ(CursorAfter(GoToNextBookmark()), "2:0");  // wraps to the first
    // Line 2 goes: its bookmark moves to the line that takes its place.
    Select({2, 0}, {3, 0});
    DeleteSelection();
    EXPECT_EQ(TextOf(doc), "a\nc\nd");
    std::vector<std::string> labels = BookmarkLabels();
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_NE(labels[0].find("(2): c"), std::string::npos) << labels[0];
    SetCursor({3, 0});
    EXPECT_FALSE(ToggleBookmark());  // removes it
    EXPECT_EQ(bookmarks().marks.size(), 1u);
    ASSERT_TRUE(ReloadDocument(doc));
    EXPECT_TRUE(bookmarks().marks.empty());
}

TEST_F(Keys, TitleAndStatusTexts) {
    Document& doc = Open("\tx\n");
    doc.name = "C:\\src\\a.c";
    EXPECT_EQ(WindowTitle(doc), "C:\\src\\a.c");
    doc.flags |= kModified;
    EXPECT_EQ(WindowTitle(doc), "* C:\\src\\a.c");
    doc.flags |= kReadOnly;
    EXPECT_EQ(WindowTitle(doc), "* C:\\src\\a.c [read only]");
    SetCursor({1, 1});
    EXPECT_EQ(CursorPositionText(*CurrentView()), "Line 1  Col 5");
    EXPECT_EQ(ParseLineNumber(" 12 ", 40), 12);
    EXPECT_EQ(ParseLineNumber("40", 40), 40);
    for (const char* refused : {"41", "0", "1e3", "", "99999999999999999999"}) EXPECT_EQ(ParseLineNumber(refused, 40), 0) << refused;
}

}  // namespace
}  // namespace tarvo::editor::test
