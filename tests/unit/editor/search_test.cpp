// Find, Find Next and Find Previous: plain and regular-expression search, case, whole words,
// directions, wrapping at the start mark, all windows, and the flags.
#include "editor/edit.h"
#include "editor/search.h"
#include "editor/search_messages.h"
#include "editor_test_util.h"

namespace tarvo::editor {
namespace {

class Search : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        searchState().ui = {};
    }
    void TearDown() override {
        searchState().ui = {};
        EditorTest::TearDown();
    }
    // "line:start-end" of the selection, or "none".
    static std::string Selected() {
        View& v = *CurrentView();
        if (!v.anchorLine) return "none";
        return std::to_string(LineIndex(*v.document, v.anchorLine)) + ":" + std::to_string(v.anchorColumn) + "-" +
               std::to_string(v.cursorColumn);
    }
    // The selection after a search that found something; "not found" after one that did not.
    static std::string Found(bool found) { return found ? Selected() : "not found"; }
    static FindRequest Plain(const std::string& text, SearchDirection d = SearchDirection::Forwards) {
        FindRequest r;
        r.text = text;
        r.direction = d;
        return r;
    }
};

TEST_F(Search, CaseWholeWordsAndRegularExpressions) {
    Open("begin int\nxabc in ABC\n");
    EXPECT_EQ(Found(Find(Plain("ABC"))), "2:1-4");  // "Match case" off
    FindRequest regex = Plain("ABC");
    regex.regex = true;
    SetCursor({1, 0});
    EXPECT_EQ(Found(Find(regex)), "2:8-11");  // always case-sensitive: the upper-case one

    FindRequest word = Plain("in");
    word.wholeWords = true;
    SetCursor({1, 0});
    EXPECT_EQ(Found(Find(word)), "2:5-7");  // not inside "begin" or "int"
    EXPECT_FALSE(FindNext());
    EXPECT_EQ(Boxes(), "String not found|");

    long length = 0;
    EXPECT_EQ(SearchInLine("a in b in", 3, length), 4);  // the second "in", 4 after column 3
    EXPECT_EQ(length, 2);
    EXPECT_EQ(SearchInLine("a in b", 3, length), -1);

    FindRequest match = Plain("abc");
    match.matchCase = true;
    SetCursor({2, 2});
    EXPECT_FALSE(Find(match));  // the one at column 1 lies behind the cursor
}

TEST_F(Search, BackwardsAndBackAgain) {
    Open("one two one\ntwo one\n");
    SetCursor({2, 7});
    EXPECT_EQ(Found(Find(Plain("one", SearchDirection::Backwards))), "2:4-7");
    EXPECT_EQ(Found(FindPrevious()), "1:8-11");
    EXPECT_EQ(Found(FindPrevious()), "1:0-3");
    EXPECT_FALSE(FindPrevious());
    // Find Next goes forwards again after Find Previous.
    EXPECT_EQ(Found(FindNext()), "1:8-11");
    EXPECT_TRUE(searchState().flags & kFindForwards);

    // Backwards with a regular expression: the rightmost match before the cursor.
    FindRequest regex = Plain("t[a-z]+", SearchDirection::Backwards);
    regex.regex = true;
    SetCursor({2, 7});
    EXPECT_EQ(Found(Find(regex)), "2:0-3");
    EXPECT_EQ(Found(FindPrevious()), "1:4-7");
}

TEST_F(Search, WrapGoesRoundOnceToTheStartMark) {
    Open("target a target\nb\nc\n");
    SetCursor({1, 4});
    EXPECT_EQ(Found(Find(Plain("target"))), "1:9-15");
    EXPECT_FALSE(FindNext());  // no wrap: the end of the text ends the search
    FindRequest wrap = Plain("target", SearchDirection::Wrap);
    SetCursor({1, 4});
    EXPECT_EQ(Found(Find(wrap)), "1:9-15");
    EXPECT_EQ(Found(FindNext()), "1:0-6");  // round through the end, to the part before the start
    EXPECT_EQ(searchState().mark.line, CurrentDocument()->lines->next);
    // Nothing to find: the search goes round once and stops.
    scripted.ui.boxes.clear();
    EXPECT_FALSE(Find(Plain("absent", SearchDirection::Wrap)));
    EXPECT_EQ(Boxes(), "String not found|");
}

TEST_F(Search, RegularExpressionSteps) {
    Open("aaaa\nab\n");
    FindRequest r = Plain("aa");
    r.regex = true;
    EXPECT_EQ(Found(Find(r)), "1:0-2");
    EXPECT_EQ(Found(FindNext()), "1:2-4");  // straight after the last match, not a character further
    // Empty matches: each Find Next moves on.
    r.text = "x*";
    SetCursor({2, 0});
    EXPECT_EQ(Found(Find(r)), "2:0-0");
    EXPECT_EQ(Found(FindNext()), "2:1-1");
    EXPECT_EQ(Found(FindNext()), "2:2-2");
}

TEST_F(Search, RefusedRequests) {
    Open("abc\n");
    EXPECT_FALSE(Find(Plain("")));
    EXPECT_FALSE(Find(Plain("abc", SearchDirection::None)));
    FindRequest bad = Plain("a**");
    bad.regex = true;
    EXPECT_FALSE(Find(bad));
    EXPECT_EQ(Boxes(), "Empty search string?|Direction ?|Bad regular expression|");
    EXPECT_EQ(searchState().text, "");  // a refused pattern leaves no search text
    EXPECT_FALSE(CanFindNext());
    EXPECT_FALSE(FindNext());
    EXPECT_EQ(Selected(), "none");
}

TEST_F(Search, AllWindowsInWindowOrder) {
    Open("alpha beta\nbeta\n", "a.c", 1);
    Open("gamma\n", "b.c", 2);
    Open("delta beta\n", "c.c", 3);
    SetCurrentView(FindView(1));
    SetCursor({2, 0});
    FindRequest r = Plain("beta");
    r.allWindows = true;
    // The window and the selection after a search.
    auto where = [](bool found) { return std::to_string(CurrentView()->window) + " " + Found(found); };
    EXPECT_EQ(where(Find(r)), "1 2:0-4");
    EXPECT_EQ(where(FindNext()), "3 1:6-10");  // the next window holding it
    EXPECT_EQ(where(FindNext()), "1 1:6-10");  // on to the first window, from its first line
    // Round all windows back to the starting one, where the part before the mark is tried last.
    SetCursor({2, 4});
    r.text = "alpha";
    EXPECT_EQ(where(Find(r)), "1 1:0-5");
    // Minimised windows are skipped when asked.
    searchState().ui.isMinimised = [](const View& v) { return v.window == 3; };
    r.searchMinimised = false;
    SetCurrentView(FindView(2));
    SetCursor({1, 0});
    EXPECT_EQ(where(Find(r)), "1 1:0-5");
    r.text = "nowhere";
    scripted.ui.boxes.clear();
    EXPECT_FALSE(Find(r));
    EXPECT_EQ(Boxes(), "String not found|");
}

// Find Next over all windows steps past an empty match as the search of one window does.
TEST_F(Search, AllWindowsStepPastAnEmptyMatch) {
    Open("one\ntwo\n", "a.c", 1);
    Open("three\n", "b.c", 2);
    SetCurrentView(FindView(1));
    FindRequest r = Plain("^");
    r.regex = true;
    r.allWindows = true;
    auto where = [](bool found) { return std::to_string(CurrentView()->window) + " " + Found(found); };
    EXPECT_EQ(where(Find(r)), "1 1:0-0");
    EXPECT_EQ(where(FindNext()), "1 2:0-0");
    EXPECT_EQ(where(FindNext()), "2 1:0-0");
    EXPECT_EQ(where(FindNext()), "1 1:0-0");
}

// A pattern the engine gives up on is reported once, not also as "String not found".
TEST_F(Search, AGivenUpSearchHasOneMessage) {
    std::string line;
    for (int i = 0; i < 1050000; ++i) line += "ab";
    Open(line + "c\n");
    FindRequest r = Plain("(ab)*c");
    r.regex = true;
    scripted.ui.boxes.clear();
    EXPECT_FALSE(Find(r));
    EXPECT_EQ(Boxes(), "Regular expression too complex|");
}

TEST_F(Search, TheStartMarkLeavesADeletedLine) {
    Document& doc = Open("a\nb\nc\n");
    SetCursor({2, 0});
    Find(Plain("c"));
    Line* second = doc.lines->next->next;
    ASSERT_EQ(searchState().mark.line, second);
    SetCursor({1, 1});
    ASSERT_TRUE(JoinLines());
    EXPECT_EQ(searchState().mark.line, doc.lines->next);
    EXPECT_EQ(searchState().mark.column, 1);
}

}  // namespace
}  // namespace tarvo::editor
