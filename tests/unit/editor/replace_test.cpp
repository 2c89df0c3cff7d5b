// Search and replace: plain and regular-expression replacements, the confirmation answers,
// directions and wrapping, all windows, the closing messages, and one Undo for the whole.
#include <algorithm>
#include <deque>

#include "editor/edit.h"
#include "editor/replace.h"
#include "editor_test_util.h"

namespace tarvo::editor {
namespace {

std::deque<ReplaceAnswer>& Answers() {
    static std::deque<ReplaceAnswer> answers;
    return answers;
}

class Replacing : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Answers().clear();
        // The dialog's question, answered from the queue (Cancel when it runs dry).
        searchState().ui.confirmReplace = [](View&) {
            if (Answers().empty()) return ReplaceAnswer::Cancel;
            ReplaceAnswer a = Answers().front();
            Answers().pop_front();
            return a;
        };
    }
    void TearDown() override {
        searchState().ui = {};
        EditorTest::TearDown();
    }
    static ReplaceRequest Request(const std::string& from, const std::string& to, bool regex = false) {
        ReplaceRequest r;
        r.text = from;
        r.replacement = to;
        r.regex = regex;
        r.matchCase = true;
        r.confirm = false;
        return r;
    }
    std::string Status() const { return scripted.ui.status.empty() ? "" : scripted.ui.status.back(); }
};

// Every character of a loaded text replaced by another one, line by line in the load block: the
// text comes out as the same replacement made on the file's bytes, and Undo gives it back.
TEST_F(Replacing, AReplaceAllOverLinesInTheLoadBlock) {
    std::string text;
    for (int f = 0; f < 3000; ++f)
        text += "/* function " + std::to_string(f) + ": adds up a table of values */\r\nstatic int sum(const int *t)\r\n{\r\n}\r\n\r\n";
    Document& doc = Open(text);
    std::string expected = test::TextOf(doc), before = expected;
    std::replace(expected.begin(), expected.end(), 'e', 'E');
    SetCursor({1, 0});
    long count = 0;
    ASSERT_TRUE(Replace(Request("e", "E"), &count));
    EXPECT_EQ(count, static_cast<long>(std::count(before.begin(), before.end(), 'e')));
    EXPECT_TRUE(test::TextOf(doc) == expected);
    ASSERT_TRUE(Undo());
    EXPECT_TRUE(test::TextOf(doc) == before);
}

// One Replace All of more matches than the undo log holds records: the log keeps the command
// whole (older actions make room), so one Undo gives the whole text back.
TEST_F(Replacing, AReplaceAllLargerThanTheUndoLogIsUndoneWhole) {
    std::string text;
    for (int i = 0; i < 6000; ++i) text += "a cat, one cat\n";
    Document& doc = Open(text);
    const std::string before = test::TextOf(doc);
    InsertCharacters(1, '>');  // not logged; the typed character below is
    LogAction(1, kActionCharacter, 'q', 1);
    InsertCharacters(1, 'q');
    const std::string typed = test::TextOf(doc);
    SetCursor({1, 0});
    for (bool regex : {false, true}) {
        long count = 0;
        ASSERT_TRUE(Replace(Request("cat", regex ? "c" : "tiger", regex), &count));
        ASSERT_EQ(count, 12000);
        EXPECT_GT(actionLog().records.size(), kActionLogCapacity);
        ASSERT_TRUE(Undo()) << Boxes();
        EXPECT_EQ(test::TextOf(doc), typed) << (regex ? "pattern" : "plain");
        EXPECT_EQ(Boxes(), "");
    }
    // The typed character went to make room: the log holds whole commands only.
    EXPECT_FALSE(Undo());
    EXPECT_NE(test::TextOf(doc), before);
}

TEST_F(Replacing, ScanningResumesAfterTheInsertedText) {
    Document& doc = Open("x x\n");
    long count = 0;
    EXPECT_TRUE(test::Gives(Replace(Request("x", "xx", true), &count), doc, "xx xx"));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Status(), "2 substitutions");
    EXPECT_EQ(CursorPosition(), (Position{1, 0}));  // back where it started
    EXPECT_FALSE(CurrentView()->anchorLine);

    Document& plain = Open("x x\nx\n", "p.c", 2);
    EXPECT_TRUE(test::Gives(Replace(Request("x", "xx"), &count), plain, "xx xx\nxx"));
    EXPECT_EQ(count, 3);
}

TEST_F(Replacing, EmptyMatchesAndAnchorsEndTheWalk) {
    Document& doc = Open("ab\nxxx\n");
    EXPECT_TRUE(test::Gives(Replace(Request("x*", "-", true)), doc, "-a-b-\n-"));
    // '^' holds only at the start of a line, however the scan resumes in it.
    Document& other = Open("xxx\nyxx\n", "b.c", 2);
    EXPECT_TRUE(test::Gives(Replace(Request("^x", "y", true)), other, "yxx\nyxx"));
}

TEST_F(Replacing, ConfirmationAnswers) {
    Document& doc = Open("a a a a\na a\n");
    ReplaceRequest r = Request("a", "b");
    r.confirm = true;
    Answers() = {ReplaceAnswer::Yes, ReplaceAnswer::No, ReplaceAnswer::All};
    long count = 0;
    EXPECT_TRUE(test::Gives(Replace(r, &count), doc, "b a b b\nb b"));
    EXPECT_EQ(count, 5);
    EXPECT_TRUE(Answers().empty());  // no question after All

    Answers() = {ReplaceAnswer::No, ReplaceAnswer::Yes, ReplaceAnswer::Cancel};
    r.text = "b";
    r.replacement = "c";
    r.regex = true;
    SetCursor({1, 0});
    EXPECT_FALSE(Replace(r, &count));
    EXPECT_EQ(test::TextOf(doc), "b a c b\nb b");
    EXPECT_EQ(count, 1);
    // Cancelled: the match asked about stays selected.
    EXPECT_EQ(CurrentView()->anchorColumn, 6);
    EXPECT_EQ(CursorPosition(), (Position{1, 7}));
    // What was replaced before the cancel is still one command for Undo.
    EXPECT_TRUE(test::UndoGives(doc, "b a b b\nb b"));
}

TEST_F(Replacing, DirectionsAndWrap) {
    Document& doc = Open("a1 a2\na3\na4\n");
    SetCursor({2, 0});
    EXPECT_TRUE(test::Gives(Replace(Request("a", "b")), doc, "a1 a2\nb3\nb4"));  // forwards, no wrap: from the cursor on
    ReplaceRequest r = Request("b", "a");
    r.direction = SearchDirection::Backwards;
    SetCursor({3, 0});
    EXPECT_TRUE(test::Gives(Replace(r), doc, "a1 a2\na3\nb4"));
    EXPECT_EQ(CursorPosition(), (Position{3, 0}));
    // With wrap the walk goes on from the first line up to the line before the starting one.
    r = Request("a", "c");
    r.direction = SearchDirection::Wrap;
    SetCursor({2, 1});
    long count = 0;
    EXPECT_TRUE(test::Gives(Replace(r, &count), doc, "c1 c2\na3\nb4"));
    EXPECT_EQ(count, 2);
    // Backwards on the starting line moves the place it returns to.
    Document& line = Open("xx.xx\n", "l.c", 2);
    r = Request("x", "yy");
    r.direction = SearchDirection::Backwards;
    SetCursor({1, 4});
    EXPECT_TRUE(test::Gives(Replace(r), line, "yyyy.yyx"));
    EXPECT_EQ(CursorPosition(), (Position{1, 7}));
}

TEST_F(Replacing, AllWindowsEachTextOnce) {
    Document& a = Open("one two\n", "a.c", 1);
    Document& b = Open("two two\n", "b.c", 2);
    AddView(&b, 3);  // a second window on the same text
    Open("three\n", "c.c", 4);
    SetCurrentView(FindView(2));
    ReplaceRequest r = Request("two", "2");
    r.allWindows = true;
    long count = 0;
    EXPECT_TRUE(test::Gives(Replace(r, &count), a, "one 2"));
    EXPECT_EQ(test::TextOf(b), "2 2");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(CurrentView()->window, 2u);
    // Undo in each window takes back that window's replacements.
    EXPECT_TRUE(test::UndoGives(b, "two two"));
    EXPECT_EQ(test::TextOf(a), "one 2");
}

TEST_F(Replacing, NothingFoundRefusedAndReadOnly) {
    Document& doc = Open("abc\n");
    EXPECT_FALSE(Replace(Request("zzz", "y")));
    EXPECT_EQ(Boxes(), "String not found|");
    EXPECT_FALSE(Replace(Request("", "y")));
    ReplaceRequest r = Request("a", "b");
    r.direction = SearchDirection::None;
    EXPECT_FALSE(Replace(r));
    EXPECT_FALSE(Replace(Request("(a", "b", true)));
    EXPECT_EQ(Boxes(), "String not found|Empty search string?|Direction ?|Mismatched () in regular expression|");
    doc.flags |= kReadOnly;
    EXPECT_FALSE(Replace(Request("a", "b")));
    EXPECT_EQ(Status(), "File is read only");
    EXPECT_EQ(test::TextOf(doc), "abc");
    // Every match refused: reported as found, with nothing replaced.
    doc.flags &= static_cast<std::uint16_t>(~kReadOnly);
    ReplaceRequest ask = Request("b", "x");
    ask.confirm = true;
    Answers() = {ReplaceAnswer::No};
    EXPECT_FALSE(Replace(ask));
    EXPECT_EQ(Status(), "0 substitutions");
    EXPECT_FALSE(Undo());
}

}  // namespace
}  // namespace tarvo::editor
