// The action log and Undo: every kind of record is inverted exactly.
#include "editor/cursor.h"
#include "editor/edit.h"
#include "editor/selection.h"
#include "editor/typing.h"
#include "editor/undo.h"
#include "editor_test_util.h"
#include "base/command_ids.h"

namespace tarvo::editor::test {
namespace {

class UndoTest : public EditorTest {
protected:
    void Type(const std::string& text) {
        for (char c : text) HandleCharacter(CurrentView()->window, static_cast<unsigned char>(c), 1, false);
    }
};

TEST_F(UndoTest, TypedCharactersTabsAndEnter) {
    base::settings().editorFlags = base::kEditorAutoIndent;
    Document& doc = Open("\tab  cd\n");
    SetCursor({1, 3});
    ASSERT_TRUE(HandleCharacter(1, 'a', 3, false));
    EXPECT_EQ(TextOf(doc), "\tabaaa  cd");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "\tab  cd");
    EXPECT_EQ(CursorPosition(), (Position{1, 3}));
    ASSERT_TRUE(HandleCharacter(1, '\t', 2, false));
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "\tab  cd");
    // The moved text's own blanks survive the undo of the indenting Enter.
    ASSERT_TRUE(HandleCharacter(1, '\r', 1, false));
    EXPECT_EQ(TextOf(doc), "\tab\n    cd");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "\tab  cd");
    ASSERT_TRUE(HandleCharacter(1, '\r', 3, false));
    EXPECT_EQ(doc.lineCount, 4);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "\tab  cd");
    EXPECT_FALSE(Undo());  // nothing left
}

TEST_F(UndoTest, BackspaceAndDeleteGiveBackWhatTheyTook) {
    Document& doc = Open("abc\ndef\n");
    SetCursor({2, 1});
    ASSERT_TRUE(HandleCharacter(1, 8, 3, false));
    EXPECT_EQ(TextOf(doc), "abef");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "abc\ndef");
    EXPECT_EQ(CursorPosition(), (Position{2, 1}));
    SetCursor({1, 2});
    ASSERT_TRUE(KeyDelete(1, 4));
    EXPECT_EQ(TextOf(doc), "abf");
    ASSERT_TRUE(KeyDelete(1, 9));  // only one was left
    EXPECT_EQ(TextOf(doc), "ab");
    ASSERT_TRUE(Undo());
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "abc\ndef");
    EXPECT_EQ(CursorPosition(), (Position{1, 2}));
}

TEST_F(UndoTest, ClosingBraceAndOvertype) {
    base::settings().editorFlags = base::kEditorAutoIndent;
    Document& doc = Open("{\n        \nabc\n");
    doc.flags |= kCLanguage;
    SetCursor({2, 8});
    ASSERT_TRUE(HandleCharacter(1, '}', 1, false));
    EXPECT_EQ(TextOfLine(2), "    }");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOfLine(2), "        ");  // blanks come back as blanks
    EXPECT_EQ(CursorPosition(), (Position{2, 8}));

    CurrentView()->overtype = true;
    SetCursor({3, 0});
    ASSERT_TRUE(HandleCharacter(1, 'X', 2, false));
    EXPECT_EQ(TextOfLine(3), "XXc");
    ASSERT_TRUE(Undo());  // the typing and the characters it overwrote, at once
    EXPECT_EQ(TextOfLine(3), "abc");
    ASSERT_TRUE(HandleCharacter(1, '\r', 1, false));
    EXPECT_EQ(CursorPosition().line, 3);  // overtype Enter only moves (nothing below)
    SetCursor({1, 1});
    LogAction(1, kActionOvertype, 13, 0);
    MoveDown(2);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(CursorPosition(), (Position{1, 1}));
    // A lone overtype record puts its character back.
    LogAction(1, kActionOvertype, 'q', 0);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOfLine(1), "{q");
}

TEST_F(UndoTest, CursorRecordsRestoreTheWholePosition) {
    Open(std::string(400, 'x') + "\nshort\n");
    SetCursor({1, 300});
    for (unsigned kind : {kActionKey, kActionLeftClick, kActionScroll}) {
        LogAction(1, kind, kKeyDown, 1);
        MoveDown(1);
        ASSERT_TRUE(Undo());
        EXPECT_EQ(CursorPosition(), (Position{1, 300})) << kind;  // not column 300 & 255
    }
    LogCommand(1, CMD_TOP);  // Top
    MoveToEnd();
    LogCommand(1, CMD_COPY);  // Copy: nothing to invert, passed over
    ASSERT_TRUE(Undo());
    EXPECT_EQ(CursorPosition(), (Position{1, 300}));
    EXPECT_TRUE(actionLog().records.empty());
}

TEST_F(UndoTest, CutPasteMacroAndEscapeCommands) {
    Document& doc = Open("one two\nthree\n");
    SetCursor({1, 4});
    StartSelection();
    SetCursor({2, 2});  // cursor after the anchor
    ASSERT_TRUE(HandleCharacter(1, 8, 1, false));  // Backspace cuts the selection
    EXPECT_EQ(TextOf(doc), "one ree");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "one two\nthree");
    EXPECT_EQ(CursorPosition(), (Position{2, 2}));

    platform::clipboard().setText("A\r\nB");
    SetCursor({1, 0});
    StartSelection();
    SetCursor({1, 3});
    LogCommand(1, CMD_PASTE);
    ASSERT_EQ(Paste(), 3);
    EXPECT_EQ(TextOf(doc), "A\nB two\nthree");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "one two\nthree");

    base::settings().macros = {{"M", 0, "ab\ncd"}};
    ASSERT_TRUE(HandleCharacter(1, 13, 1, true));  // Ctrl+M
    EXPECT_EQ(TextOf(doc), "oneab\ncd two\nthree");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "one two\nthree");

    MoveToLineEnd();
    InsertString("xyz");
    LogCommand(1, CMD_ESCAPE);
    SetCommandText(CMD_ESCAPE, "xyz");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "one two\nthree");
}

TEST_F(UndoTest, ReplacementsAreUndoneAsOneCommand) {
    Document& doc = Open("a cat, a cat\ncat\n");
    // What the replace command does: log each replacement, then make it.
    auto replace = [&](unsigned kind, long index, Position at, std::string_view from, std::string_view to) {
        LogReplacement(1, kind, index, at, from, to);
        SetCursor(at);
        DeleteForward(static_cast<long>(from.size()), false);
        InsertString(to);
    };
    replace(kActionPlainReplace, 0, {1, 2}, "cat", "tiger");
    replace(kActionPlainReplace, 1, {1, 11}, "cat", "tiger");
    replace(kActionPlainReplace, 2, {2, 0}, "cat", "ox");
    EXPECT_EQ(TextOf(doc), "a tiger, a tiger\nox");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "a cat, a cat\ncat");

    replace(kActionPatternReplace, 0, {1, 2}, "cat", "c");
    replace(kActionPatternReplace, 1, {1, 7}, "cat", "cc");
    LogPatternReplaceEnd(1, 2);
    EXPECT_EQ(TextOf(doc), "a c, a cc\ncat");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "a cat, a cat\ncat");

    // A command whose first record is missing is not undone; what came before it still is.
    SetCursor({2, 3});
    Type("!");
    replace(kActionPlainReplace, 1, {2, 0}, "cat", "dog");
    ASSERT_FALSE(Undo());
    EXPECT_EQ(Boxes(), "Undo: internal error|");
    EXPECT_EQ(TextOf(doc), "a cat, a cat\ndog!");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "a cat, a cat\ndog");
    EXPECT_TRUE(actionLog().records.empty());
}

// Records beyond the log's size go oldest first, a whole group at a time; the newest group
// stays whole however large it is.
TEST_F(UndoTest, TheLogDropsWholeGroupsOnly) {
    Open("abcdefgh\n");
    ActionLog& log = actionLog();
    log.capacity = 4;
    auto replacement = [](long index) {
        LogReplacement(1, kActionPlainReplace, index, {1, 0}, "a", "b");
    };
    for (long i = 0; i < 3; ++i) replacement(i);
    LogAction(1, kActionOvertype, 'x', 0);
    LogAction(1, kActionOvertype, 'y', 0);
    AppendAction(MakeAction(1, kActionCharacter, 'z', 2));  // 6 records: the first group goes
    ASSERT_EQ(log.records.size(), 3u);
    EXPECT_EQ(log.records.front().kind, kActionOvertype);
    Type("q");
    Type("r");  // 5: the typing over x and y goes as one
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records.front().param, 'q');
    for (long i = 0; i < 6; ++i) replacement(i);  // one group of 6 in a log of 4
    ASSERT_EQ(log.records.size(), 6u);
    EXPECT_EQ(log.records.front().param, 0);
    LogPatternReplaceEnd(1, 0);  // ends no pattern group: a group of its own
    EXPECT_EQ(log.records.size(), 1u);
    EXPECT_TRUE(ContinuesGroup(MakeAction(1, kActionPatternReplace, 3, 0), MakeAction(1, kActionPatternReplaceEnd, 4, 0)));
    EXPECT_FALSE(ContinuesGroup(MakeAction(1, kActionPlainReplace, 3, 0), MakeAction(2, kActionPlainReplace, 4, 0)));
    EXPECT_FALSE(ContinuesGroup(MakeAction(1, kActionOvertype, 13, 0), MakeAction(1, kActionCharacter, 'a', 1)));
}

TEST_F(UndoTest, LineRestoreAfterConversion) {
    Document& doc = Open("    a\n\tb\n");
    ASSERT_TRUE(TabsToSpaces());
    EXPECT_EQ(TextOf(doc), "    a\n    b");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "    a\n\tb");
}

TEST_F(UndoTest, WindowsAndTheSizeOfTheLog) {
    Document& doc = Open("abc\n");
    View* first = CurrentView();
    Open("xyz\n", "b.c", 2);
    View* second = CurrentView();
    Type("2");
    SetCurrentView(first);
    Type("1");
    SetCurrentView(second);
    LogAction(2, kActionRightClick, 0, 0);
    SetCursor({1, 3});
    SetCurrentView(first);
    ASSERT_TRUE(Undo());  // the right click in the other window: back there
    EXPECT_EQ(CurrentView(), second);
    EXPECT_EQ(CursorPosition(), (Position{1, 1}));
    SetCurrentView(first);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(doc), "abc");
    EXPECT_FALSE(Undo());  // the other window's typing is not undone from here
    EXPECT_TRUE(actionLog().records.empty());

    SetCurrentView(second);
    Type("q");
    RemoveView(second);
    EXPECT_TRUE(actionLog().records.empty());  // a gone window's records go with it

    SetCurrentView(first);
    for (std::size_t i = 0; i < kActionLogCapacity + 5; ++i) Type("z");
    EXPECT_EQ(actionLog().records.size(), kActionLogCapacity);
    for (int i = 0; i < 9000; ++i) ASSERT_TRUE(Undo());
    EXPECT_EQ(doc.lines->next->length, 3u + 1005u);
}

}  // namespace
}  // namespace tarvo::editor::test
