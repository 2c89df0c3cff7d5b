// What the debugger's windows show: the locals list rewritten line by line, the watches and
// their change rule, the Evaluate dialog's answers and history, Show value of, and the value
// tip's word and clock.
#include <gtest/gtest.h>

#include "debugger/debugger_views.h"
#include "scripted_ui.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<std::size_t>;

TEST(LocalsWindow, OnlyChangedLinesAreRewrittenAndANewFunctionStartsAfresh) {
    LocalsView view;
    LocalsChange c = RefreshLocals(view, 1, 0, {"i = 0", "total = 0"});
    EXPECT_FALSE(c.cleared);
    EXPECT_EQ(c.rewritten, (Rows{0, 1}));
    EXPECT_EQ(c.selected, 1);
    // The next stop in the same function: only what changed, and that is selected.
    c = RefreshLocals(view, 1, 0, {"i = 1", "total = 0"});
    EXPECT_EQ(c.rewritten, (Rows{0}));
    EXPECT_EQ(c.selected, 0);
    c = RefreshLocals(view, 1, 0, {"i = 1", "total = 0"});
    EXPECT_TRUE(c.rewritten.empty());
    EXPECT_EQ(c.selected, -1);
    EXPECT_EQ(c.count, 2u);
    // Another function (same index, other module): emptied first, even with equal texts.
    c = RefreshLocals(view, 2, 0, {"i = 1", "p = { x: 1\ny: 2 }"});
    EXPECT_TRUE(c.cleared);
    EXPECT_EQ(c.rewritten, (Rows{0, 1}));
    EXPECT_EQ(view.lines, (Lines{"i = 1", "p = { x: 1 y: 2 }"}));
    // Before the function's debug start there is nothing to show.
    c = RefreshLocals(view, 2, 0, {});
    EXPECT_TRUE(c.cleared);
    EXPECT_EQ(c.count, 0u);
    EXPECT_TRUE(view.lines.empty());
}

struct Views : ::testing::TestWithParam<bool>, test::ValueRun {
    test::ScopedScriptedUi ui;
    Registers regs;
    EvalContext ctx;
    static constexpr std::uint64_t kFrame = 0x7F000, kNode = 0x9000, kOther = 0x9100;
    void SetUp() override {
        ASSERT_TRUE(Open(GetParam()));
        info.currentModule = 1;
        info.currentFunction = 0;
        ctx = {&info, mem.Reader(), &regs, kFrame, 10};
        mem.Word(kFrame - 4, 77, 4);                       // count
        mem.Word(kFrame - 16, kNode, ptr);                 // p
        mem.Word(kNode, 10, 4), mem.Word(kNode + 8, 0, ptr);
        mem.Word(kOther, 10, 4), mem.Word(kOther + 8, 0, ptr);
        mem.Word(data + test::kGPoint, 1, 4), mem.Word(data + test::kGPoint + 4, 2, 4);
        mem.Word(data + test::kGPoint + 8, 0, ptr);
        for (int i = 0; i < 30; ++i) mem.Word(data + test::kGInts + 4 * i, 100 + i, 4);
        mem.Word(data + test::kGIndex, 2, 4);
    }
    std::vector<std::string> Expressions(const std::vector<Watch>& watches) {
        std::vector<std::string> out;
        for (const Watch& w : watches) out.push_back(w.expression);
        return out;
    }
};

TEST_P(Views, WatchesAreAddedNewestFirstAndRefusedWhenTheyCannotBeWatched) {
    std::vector<Watch> watches;
    EXPECT_EQ(AddWatch(watches, ctx, "g_point.y").outcome, WatchAdd::Added);
    EXPECT_EQ(AddWatch(watches, ctx, "p->x").outcome, WatchAdd::Added);
    EXPECT_EQ(Expressions(watches), (Lines{"p->x", "g_point.y"}));
    EXPECT_EQ(watches[1].address, data + test::kGPoint + 4);
    EXPECT_EQ(watches[1].bytes, (std::vector<std::uint8_t>{2, 0, 0, 0}));
    // Watched again: the old entry goes, the new one comes in front.
    WatchAddResult again = AddWatch(watches, ctx, "g_point.y");
    EXPECT_TRUE(again.replaced);
    EXPECT_EQ(again.removedAt, 1u);
    EXPECT_EQ(Expressions(watches), (Lines{"g_point.y", "p->x"}));
    // A register local, a constant, a failure and bytes that cannot be read are not watched.
    EXPECT_EQ(AddWatch(watches, ctx, "r").outcome, WatchAdd::Register);
    EXPECT_EQ(AddWatch(watches, ctx, "LIMIT").outcome, WatchAdd::Empty);
    WatchAddResult failed = AddWatch(watches, ctx, "g_point.z");
    EXPECT_EQ(failed.outcome, WatchAdd::Failed);
    EXPECT_EQ(failed.error, "g_point has no member z");
    mem.Word(kFrame - 16, 0x5000, ptr);
    EXPECT_EQ(AddWatch(watches, ctx, "p->x").outcome, WatchAdd::Unreadable);
    EXPECT_EQ(Expressions(watches), (Lines{"g_point.y"}));  // the old p->x went all the same
}

TEST_P(Views, AWatchChangesWhenItsBytesOrItsAddressChange) {
    std::vector<Watch> watches;
    AddWatch(watches, ctx, "p->x");
    AddWatch(watches, ctx, "g_point.y");
    using S = std::vector<WatchState>;
    EXPECT_EQ(RefreshWatches(watches, ctx), (S{WatchState::Unchanged, WatchState::Unchanged}));
    mem.Word(data + test::kGPoint + 4, 3, 4);
    EXPECT_EQ(RefreshWatches(watches, ctx), (S{WatchState::Changed, WatchState::Unchanged}));
    EXPECT_EQ(watches[0].bytes[0], 3);
    EXPECT_EQ(RefreshWatches(watches, ctx), (S{WatchState::Unchanged, WatchState::Unchanged}));
    // Equal bytes at another address: the pointer moved.
    mem.Word(kFrame - 16, kOther, ptr);
    EXPECT_EQ(RefreshWatches(watches, ctx), (S{WatchState::Unchanged, WatchState::Changed}));
    EXPECT_EQ(watches[1].address, kOther);
    // A watch that fails shows so, and shows its value again once it evaluates.
    mem.bytes.erase(kFrame - 16);
    EXPECT_EQ(RefreshWatches(watches, ctx)[1], WatchState::Failed);
    std::string text;
    ValueNode tree;
    EXPECT_FALSE(WatchItem(ctx, watches[1], text, tree));
    EXPECT_EQ(text, "p->x = <evaluation failed>");
    mem.Word(kFrame - 16, kOther, ptr);
    EXPECT_EQ(RefreshWatches(watches, ctx)[1], WatchState::Changed);
    EXPECT_EQ(RefreshWatches(watches, ctx)[1], WatchState::Unchanged);
}

TEST_P(Views, EvaluateAnswersWithLinesOrAStatusMessage) {
    EvaluateAnswer a = EvaluateExpressionText(ctx, "g_ints[g_index + 1] = 7;");
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.lines, (Lines{"g_ints[g_index+1] = 103"}));
    a = EvaluateExpressionText(ctx, "g_point");
    EXPECT_EQ(a.lines, (Lines{"point  g_point = { x: 1", "y: 2", "next: NULL", " }"}));
    a = EvaluateExpressionText(ctx, "g_ints[g_index/0]");
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.status.rfind("Error evaluating\n", 0), 0u) << a.status;
    EXPECT_NE(a.status.find("Division by zero"), std::string::npos) << a.status;
    a = EvaluateExpressionText(ctx, "1 + 2");
    EXPECT_EQ(a.status, "Incorrect expression\n1 + 2");
    EXPECT_TRUE(a.lines.empty());
}

TEST_P(Views, ShowValueOfANameAFunctionOrNothing) {
    NameValue v = ValueOfName(ctx, "g_index");
    EXPECT_EQ(v.kind, NameValue::Value);
    EXPECT_EQ(v.lines, (Lines{"g_index = 2"}));
    v = ValueOfName(ctx, "main");
    EXPECT_EQ(v.kind, NameValue::Procedure);
    EXPECT_EQ(v.status, "Procedure main, address " + test::Hex(code) + "\nModule vals.obj");
    v = ValueOfName(ctx, "nothing");
    EXPECT_EQ(v.kind, NameValue::NotFound);
    EXPECT_EQ(v.status, "Symbol 'nothing' not found");
    EXPECT_EQ(TipText(ctx, "count"), "count = 77");
    EXPECT_EQ(TipText(ctx, "g_point"), "point  g_point = { x: 1 y: 2 next: NULL  }");  // one line
    EXPECT_EQ(TipText(ctx, "nothing"), "");
}

INSTANTIATE_TEST_SUITE_P(BothMachines, Views, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "x64" : "x86"; });

TEST(EvaluateHistory, NewTextsGoInFrontCutTo512) {
    std::vector<std::string> history;
    RememberExpression(history, "a");
    RememberExpression(history, "b");
    RememberExpression(history, "a");  // known: stays where it is
    RememberExpression(history, "");
    EXPECT_EQ(history, (Lines{"b", "a"}));
    RememberExpression(history, std::string(600, 'x'));
    EXPECT_EQ(history.front().size(), 512u);
    std::vector<std::string> list;
    EXPECT_TRUE(AddToWatchList(list, "p->x"));
    EXPECT_FALSE(AddToWatchList(list, "p->x"));
    EXPECT_FALSE(AddToWatchList(list, "  "));
    EXPECT_TRUE(AddToWatchList(list, std::string(200, 'y')));
    EXPECT_EQ(list.back().size(), 128u);
}

TEST(ValueTip, TheWordUnderTheMouse) {
    EXPECT_EQ(WordAt("\ttotal += where.x;", 3), "total");
    EXPECT_EQ(WordAt("\ttotal += where.x;", 1), "total");
    EXPECT_EQ(WordAt("\ttotal += where.x;", 6), "");   // the blank after it
    EXPECT_EQ(WordAt("\ttotal += where.x;", 16), "x");
    EXPECT_EQ(WordAt("a[12]", 3), "");                 // a number is no name
    EXPECT_EQ(WordAt("abc", 3), "");
}

}  // namespace
}  // namespace tarvo::debugger
