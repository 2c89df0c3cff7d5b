// The action log and Undo: every kind of record is inverted exactly.
#include <optional>

#include "base/command_ids.h"
#include "editor/edit.h"
#include "editor/replace.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

class UndoTest : public EditorTest {
protected:
    static constexpr unsigned kSeeds = 20;
    // What the replace command does: log each replacement, then make it.
    static void Replace(unsigned kind, long index, Position at, std::string_view from, std::string_view to) {
        LogReplacement(1, kind, index, at, from, to);
        SetCursor(at);
        DeleteForward(static_cast<long>(from.size()), false);
        InsertString(to);
    }
    // Random edits of one seed, then Undo to the start and Redo to the end, twice: each Undo
    // gives back the lines before the edit and puts the cursor where the edit began (a replace
    // command's where its first replacement was), each Redo the lines and the cursor after it.
    void Retrace(unsigned seed) {
        SCOPED_TRACE(seed);
        base::settings().editorFlags = base::kEditorAutoIndent;
        base::settings().macros = {{"K", 2, "k(\n\t);"}};
        Document& doc = Open("int main()\n{\n\treturn 0;\n}\n");
        doc.flags |= kCLanguage;
        std::srand(seed);
        auto random = [](long n) { return static_cast<long>(std::rand() % n); };
        std::vector<std::string> texts{TextOf(doc)};
        std::vector<long> counts{doc.lineCount};
        std::vector<std::optional<Position>> starts{{}};
        std::vector<Position> ends{CursorPosition()};
        for (int step = 0; step < 300; ++step) {
            LogAction(1, kActionLeftClick, 0, 0);  // the program logs every move of the cursor
            SetCursor({1 + random(doc.lineCount + 1), random(12)});
            const std::string before = TextOf(doc);
            std::optional<Position> start = CursorPosition();
            switch (random(12)) {
                case 0: HandleCharacter(1, static_cast<unsigned char>("ab\tz"[random(4)]), 1 + random(3), false); break;
                case 1: HandleCharacter(1, '\r', 1 + random(2), false); break;  // Enter, indenting
                case 2: HandleCharacter(1, 8, 1 + random(3), false); break;
                case 3: KeyDelete(1, 1 + random(3)); break;
                case 4: HandleCharacter(1, '}', 1, false); break;
                case 5:  // typing or Backspace over a selection
                    StartSelection();
                    MoveRight(1 + random(9));
                    start = CursorPosition();
                    HandleCharacter(1, static_cast<unsigned char>(random(2) ? 8 : 'A' + random(26)), 1, false);
                    break;
                case 6:
                    StartSelection();
                    MoveDown(1);
                    start = CursorPosition();
                    LogCommand(1, CMD_CUT);
                    Cut();
                    break;
                case 7:
                    LogCommand(1, CMD_PASTE);
                    Paste();
                    break;
                case 8: random(2) ? SpacesToTabs() : TabsToSpaces(); break;
                case 9:  // typing over characters, with the records of what it overwrote
                    CurrentView()->overtype = true;
                    HandleCharacter(1, 'O', 1 + random(3), false);
                    CurrentView()->overtype = false;
                    break;
                case 10: {  // a replace command, plain or by pattern
                    ReplaceRequest r;
                    r.regex = random(2);
                    r.text = r.regex ? "[a-e]+" : "a";
                    r.replacement = "xy";
                    r.confirm = false;
                    editor::Replace(r);
                    start.reset();
                    break;
                }
                default: HandleCharacter(1, 11, 1, true); break;  // Ctrl+K
            }
            ClearSelection();
            if (TextOf(doc) == before) continue;
            texts.push_back(TextOf(doc));
            counts.push_back(doc.lineCount);
            starts.push_back(start);
            ends.push_back(CursorPosition());
        }
        ASSERT_GT(texts.size(), 200u);
        // An action is a click and one or two steps (typing over a selection cuts it first); an
        // action that changed nothing may have left steps of its own.
        for (int round = 0; round < 2; ++round) {
            for (std::size_t i = texts.size() - 1; i > 0; --i) {
                for (int n = 0; TextOf(doc) != texts[i - 1]; ++n) {
                    ASSERT_LT(n, 20) << "undo to " << i - 1;
                    ASSERT_TRUE(Undo()) << i;
                }
                EXPECT_EQ(doc.lineCount, counts[i - 1]) << "undo to " << i - 1;
                if (starts[i]) {
                    EXPECT_EQ(CursorPosition(), *starts[i]) << "undo to " << i - 1;
                }
            }
            while (Undo()) ASSERT_EQ(TextOf(doc), texts[0]);
            for (std::size_t i = 1; i < texts.size(); ++i) {
                for (int n = 0; TextOf(doc) != texts[i]; ++n) {
                    ASSERT_LT(n, 20) << "redo to " << i;
                    ASSERT_TRUE(Redo()) << i;
                }
                EXPECT_EQ(doc.lineCount, counts[i]) << "redo to " << i;
                EXPECT_EQ(CursorPosition(), ends[i]) << "redo to " << i;
            }
            while (Redo()) ASSERT_EQ(TextOf(doc), texts.back());
        }
    }
};

// What the random retrace below does not meet: blanks before '}' come back as blanks, lone
// overtype records, and the Escape command.
TEST_F(UndoTest, BlanksBeforeABraceLoneRecordsAndTheEscapeCommand) {
    base::settings().editorFlags = base::kEditorAutoIndent;
    Document& doc = Open("{\n        \nabc\n");
    doc.flags |= kCLanguage;
    SetCursor({2, 8});
    EXPECT_TRUE(Gives(HandleCharacter(1, '}', 1, false), doc, "{\n    }\nabc"));
    EXPECT_TRUE(UndoGives(doc, "{\n        \nabc"));
    SetCursor({1, 1});
    LogAction(1, kActionOvertype, 13, 0);  // an overtype Enter only moved the cursor
    MoveDown(2);
    EXPECT_EQ(CursorAfter(Undo()), "1:1");
    LogAction(1, kActionOvertype, 'q', 0);  // a lone overtype record puts its character back
    EXPECT_TRUE(UndoGives(doc, "{q\n        \nabc"));
    MoveToLineEnd();
    InsertString("xyz");
    LogCommand(1, CMD_ESCAPE);
    SetCommandText(CMD_ESCAPE, "xyz");
    EXPECT_TRUE(UndoGives(doc, "{q\n        \nabc"));
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
    EXPECT_EQ(CursorAfter(Undo()), "1:300");
    EXPECT_TRUE(actionLog().records.empty());
}

// A replace command whose first record is missing is not undone; what came before it still
// is. (Whole commands undone at once: the replace tests and the random retrace.)
TEST_F(UndoTest, AReplaceCommandWithoutItsFirstRecordIsRefused) {
    Document& doc = Open("cat\n");
    SetCursor({1, 3});
    Type("!");
    Replace(kActionPlainReplace, 1, {1, 0}, "cat", "dog");
    ASSERT_FALSE(Undo());
    EXPECT_EQ(Boxes(), "Undo: internal error|");
    EXPECT_EQ(TextOf(doc), "dog!");
    EXPECT_TRUE(UndoGives(doc, "dog"));
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
    EXPECT_TRUE(UndoGives(doc, "abc"));
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

// After the last line typing, pasting or a macro starts a line of its own, and Backspace's
// first step only reaches the end of the last line: Undo and Redo give back exactly the lines.
TEST_F(UndoTest, EditsAfterTheLastLine) {
    base::settings().macros = {{"M", 0, "m\n"}};
    Document& doc = Open("ab\ncd\n");
    auto atEnd = [&] { SetCursor({doc.lineCount + 1, 0}); };
    auto undoRedo = [&](const char* what, long lines) {
        const std::string after = TextOf(doc);
        EXPECT_TRUE(UndoGives(doc, "ab\ncd")) << what;
        EXPECT_EQ(doc.lineCount, 2) << what;
        EXPECT_TRUE(RedoGives(doc, after)) << what;
        EXPECT_EQ(doc.lineCount, lines) << what;
        ASSERT_TRUE(Undo()) << what;
    };
    atEnd();
    Type("x");
    EXPECT_EQ(TextOf(doc), "ab\ncd\nx");
    undoRedo("typing", 3);
    platform::clipboard().setText("p\r\nq\r\n");
    atEnd();
    LogCommand(1, CMD_PASTE);
    ASSERT_EQ(Paste(), 4);
    EXPECT_EQ(TextOf(doc), "ab\ncd\np\nq\n");
    undoRedo("paste", 5);
    atEnd();
    ASSERT_TRUE(HandleCharacter(1, 13, 1, true));
    undoRedo("macro", 4);
    atEnd();
    EXPECT_TRUE(Gives(HandleCharacter(1, 8, 3, false), doc, "ab\n"));  // the end of "cd", then "d" and "c"
    EXPECT_EQ(doc.lineCount, 2);
    undoRedo("backspace", 2);
    atEnd();
    EXPECT_TRUE(Gives(HandleCharacter(1, 8, 1, false), doc, "ab\ncd"));  // only to the end of "cd"
    EXPECT_EQ(CursorPosition(), (Position{2, 2}));
    // An empty document gets its first line, and loses it again.
    Document& empty = Open("", "e.c", 2);
    Type("e");
    ASSERT_EQ(empty.lineCount, 1);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(empty.lineCount, 0);
    EXPECT_TRUE(RedoGives(empty, "e"));
    EXPECT_EQ(empty.lineCount, 1);
}

// Redo takes back the Undos until the next edit; the random retrace below checks each step.
TEST_F(UndoTest, RedoWorksUntilTheNextEdit) {
    Document& doc = Open("ab\n");
    EXPECT_FALSE(RedoCommand());  // nothing undone yet
    EXPECT_EQ(scripted.ui.status.back(), "Nothing to redo");
    MoveToLineEnd();
    Type("cd");
    ASSERT_TRUE(Undo());
    ASSERT_TRUE(Undo());
    // Moving the cursor is no edit: Redo still works from wherever the cursor is.
    SetCursor({1, 0});
    EXPECT_TRUE(RedoGives(doc, "abc"));
    // A new edit ends it.
    Type("!");
    EXPECT_FALSE(Redo());
    EXPECT_EQ(TextOf(doc), "abc!");  // typed where the Redo left the cursor
}

TEST_F(UndoTest, RedoBelongsToTheWindowsOfItsText) {
    Document& doc = Open("abc\n");
    View* first = CurrentView();
    View* second = AddView(&doc, 2);
    Document& other = Open("xyz\n", "b.c", 3);
    View* third = CurrentView();
    for (View* v : {first, third}) {
        SetCurrentView(v);
        Type("1");
        ASSERT_TRUE(Undo());
    }
    // An edit in another text leaves this one's Redo alone.
    Type("!");
    SetCurrentView(first);
    EXPECT_TRUE(RedoGives(doc, "1abc"));
    // Undone in one window of a text: the other window of that text does not redo it.
    ASSERT_TRUE(Undo());
    SetCurrentView(second);
    EXPECT_FALSE(Redo());
    // An edit of the text from any window ends its Redo.
    SetCursor({1, 3});
    Type("?");
    SetCurrentView(first);
    EXPECT_FALSE(Redo());
    EXPECT_EQ(TextOf(doc), "abc?");
    // A window that goes takes its steps along.
    SetCurrentView(third);
    ASSERT_TRUE(Undo());
    RemoveView(third);
    EXPECT_TRUE(actionLog().undone.empty());
    EXPECT_EQ(TextOf(other), "xyz");
    // Read only: nothing is redone.
    SetCurrentView(first);
    Type("+");
    ASSERT_TRUE(Undo());
    doc.flags |= kReadOnly;
    EXPECT_FALSE(Redo());
    doc.flags &= static_cast<std::uint16_t>(~kReadOnly);
    EXPECT_TRUE(RedoGives(doc, "+abc?"));
}

// Random edits of every kind, then Undo to the start and Redo to the end: every text on the
// way matches the one the edits left, both ways, twice over.
TEST_F(UndoTest, UndoAndRedoRetraceRandomEdits) {
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        ResetEditor();
        Retrace(seed);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace tarvo::editor::test
