#include "editor/search_form.h"
#include "editor/search_state.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

using SearchForms = EditorTest;

TEST_F(SearchForms, OpenWithTheLastOptionsAndAShortSelection) {
    Open("alpha beta\ngamma\n");
    SearchState& s = searchState();
    SetSearchText("old");
    s.flags = kFindRegex | kFindIgnoreCase | kFindBackwards;
    SearchForm f = FormFromState(false);
    EXPECT_EQ(f.text, "old");
    EXPECT_TRUE(f.regex);
    EXPECT_FALSE(f.matchCase);
    EXPECT_EQ(f.direction, SearchDirection::Backwards);
    // A selection within one line becomes the text; one across lines does not.
    SetCursor({1, 6});
    CurrentView()->anchorLine = CurrentView()->cursorLine;
    CurrentView()->anchorColumn = 10;
    EXPECT_EQ(FormFromState(false).text, "beta");
    SetCursor({2, 2});
    EXPECT_EQ(FormFromState(true).text, "old");
    s.flags = kFindWrap | kFindBackwards;  // wrap wins
    EXPECT_EQ(FormFromState(false).direction, SearchDirection::Wrap);
}

TEST_F(SearchForms, FaultsKeepTheDialogOpenWithTheirMessage) {
    SearchForm f;
    f.direction = SearchDirection::Forwards;
    EXPECT_FALSE(Acceptable(f));
    f.text = "x";
    f.direction = SearchDirection::None;
    EXPECT_FALSE(Acceptable(f));
    f.direction = SearchDirection::Forwards;
    f.regex = true;
    f.text = "a[";
    EXPECT_FALSE(Acceptable(f));
    EXPECT_EQ(Boxes(), "Empty search string?|Direction ?|Missing ] in regular expression|");
    f.text = "a[b]";
    EXPECT_TRUE(Acceptable(f));
    f.replacement = "c";
    f.confirm = false;
    ReplaceRequest r = ReplaceRequestOf(f);
    EXPECT_EQ(r.text, "a[b]");
    EXPECT_EQ(r.replacement, "c");
    EXPECT_TRUE(r.regex);
    EXPECT_FALSE(r.confirm);
}

}  // namespace
}  // namespace tarvo::editor::test
