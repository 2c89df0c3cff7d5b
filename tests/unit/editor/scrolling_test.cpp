// The scroll bars, the wheel and the drag timer on the current view: how far each moves, and
// that each is undone as one cursor move (or not logged when it moved nothing).
#include "editor/scrolling.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

class Scrolling : public EditorTest {
protected:
    Document& Lines(long count) {
        Document& doc = Open(NumberedLines(count));
        CurrentView()->rows = 10;
        return doc;
    }
    long Top() { return LineIndex(*CurrentDocument(), CurrentView()->topLine); }
    std::size_t Logged() { return actionLog().records.size(); }
};

TEST_F(Scrolling, TheVerticalBarMovesByStepsPagesAndTheThumb) {
    base::settings().subScroll = 3;
    Document& doc = Lines(100);
    const ScrollBar none;
    ScrollVertically(1, ScrollRequest::LineUp, 0, none);  // at the top already
    EXPECT_EQ(Logged(), 0u);
    ScrollVertically(1, ScrollRequest::LineDown, 0, none);
    EXPECT_EQ(Top(), 4);
    EXPECT_EQ(CursorPosition().line, 4);  // kept inside the window
    ASSERT_TRUE(Undo());
    EXPECT_EQ(CursorPosition().line, 1);
    ScrollVertically(1, ScrollRequest::PageDown, 0, none);
    EXPECT_EQ(CursorPosition().line, 9);  // rows - 2
    ScrollVertically(1, ScrollRequest::Bottom, 0, none);
    EXPECT_EQ(CursorPosition().line, 100);
    ScrollVertically(1, ScrollRequest::Bottom, 0, none);  // there already
    EXPECT_EQ(Logged(), 2u);
    ScrollVertically(1, ScrollRequest::Top, 0, none);
    EXPECT_EQ(CursorPosition(), (Position{1, 0}));
    ScrollVertically(1, ScrollRequest::None, 0, none);
    EXPECT_EQ(Logged(), 3u);
    // The thumb goes to the line its position stands for, centred.
    ScrollBar bar = VerticalScrollBar(doc.lineCount, 10, 1);
    ScrollVertically(1, ScrollRequest::Thumb, 50, bar);
    EXPECT_EQ(CursorPosition().line, 50);
    EXPECT_EQ(Top(), 45);
    ScrollVertically(1, ScrollRequest::Thumb, 50, bar);  // already on it
    EXPECT_EQ(Logged(), 4u);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(CursorPosition().line, 1);
}

TEST_F(Scrolling, TheHorizontalBarNeverGoesLeftOfTheFirstColumn) {
    using enum ScrollRequest;
    // The left column, the request, the window's columns, the thumb; the new left column.
    const std::tuple<long, ScrollRequest, long, long, long> cases[] = {
        {5, LineUp, 80, 0, 4},  {0, LineUp, 80, 0, 0},  {5, LineDown, 80, 0, 6},   {50, PageUp, 80, 0, 10},
        {30, PageUp, 80, 0, 0}, {0, PageDown, 1, 0, 1},  // a page is at least one
        {70, Top, 80, 0, 0},    {70, Thumb, 80, 12, 12}, {70, Bottom, 80, 12, 70}};
    for (auto [left, request, columns, thumb, column] : cases)
        EXPECT_EQ(ScrolledLeftColumn(left, request, columns, thumb), column) << left << " " << static_cast<int>(request);
}

TEST_F(Scrolling, TheWheelAndTheDragTimer) {
    Lines(100);
    ScrollByWheel(1, -120);
    EXPECT_EQ(Top(), 4);
    ScrollByWheel(1, 240);
    EXPECT_EQ(Top(), 1);
    ScrollByWheel(1, 60);  // less than a notch
    ScrollByWheel(1, 120);  // at the top already
    EXPECT_EQ(Logged(), 2u);

    for (auto [y, direction] : {std::pair{-1, -1}, {0, 0}, {199, 0}, {200, 1}}) EXPECT_EQ(DragDirection(y, 200), direction) << y;
    SetCursor({1, 1});
    EXPECT_FALSE(DragStep(-1, 0));
    EXPECT_EQ(CursorAfter(DragStep(1, 5)), "2:1");  // the column as far as the line goes
    EXPECT_FALSE(DragStep(0, 0));
}

// A click places the cursor and anchors a drag; a drag of nothing leaves no selection; with
// Shift the selection runs from its anchor; each click is one Undo step back.
TEST_F(Scrolling, PressesOfTheMouse) {
    Document& doc = Open("line 1\nline 2\nline 3\nline 4\n");
    Line* third = LineAtNumber(doc, 3);
    PressAt(1, third, 2, false);
    EXPECT_EQ(CursorPosition(), (Position{3, 2}));
    DragEnded();
    EXPECT_FALSE(HasSelection());
    PressAt(1, LineAtNumber(doc, 1), 0, false);
    PressAt(1, third, 4, true);
    EXPECT_EQ(SelectionText(), "line 1\nline 2\nline");
    PressAt(1, LineAtNumber(doc, 4), 1, true);  // extends from the same anchor
    EXPECT_EQ(CurrentView()->anchorLine, doc.lines->next);
    EXPECT_EQ(Logged(), 4u);
    EXPECT_TRUE(Undo());
    EXPECT_EQ(CursorPosition(), (Position{3, 4}));
}

}  // namespace
}  // namespace tarvo::editor::test
