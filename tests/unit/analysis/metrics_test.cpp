// Function metrics: a function counted by hand, the edges of the counting rules, the derived
// values (the level of the metric, density without a level), the series of a file and the
// plot's geometry and clicks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "analysis/metrics.h"
#include "editor/keywords.h"
#include "scan_test_util.h"

namespace tarvo::analysis {
namespace {

using test::Text;

// A record over lines first..last as the scanner would give it.
Function Span(const std::string& name, long first, long last) {
    Function f;
    f.name = name;
    f.startLine = f.startNumber = first;
    f.endLine = f.endNumber = last;
    return f;
}

Metrics Of(const std::string& source, long first, long last) {
    Text t(source);
    std::optional<Metrics> m = Measure(t.lines, Span("f", first, last));
    EXPECT_TRUE(m.has_value());
    return m.value_or(Metrics{});
}

const char* kSum =
    "/* Sum of\n"                      // 9 characters, comment
    "   squares */\n"                  // 13, comment
    "static int sum(int *v, int n)\n"  // 29
    "{\n"                              // 1
    "\tint i, s = 0;\t// total\n"      // 23, and the 8 of its comment again
    "\tfor (i = 0; i < n; i++)\n"      // 24
    "\t\ts += v[i] * v[i];\n"          // 19
    "\treturn s;\n"                    // 10
    "}\n";                             // 1

TEST(Metrics, AFunctionCountedByHand) {
    Text t(kSum);
    FunctionRecords found = FindCFunctions(t.lines);
    ASSERT_EQ(found.size(), 1u);
    std::optional<Metrics> measured = Measure(t.lines, found[0]);
    ASSERT_TRUE(measured);
    const Metrics& m = *measured;
    EXPECT_EQ(m.name, "sum");
    EXPECT_EQ(m.lines, 9);
    EXPECT_EQ(m.characters, 22 + 107 + 8);
    EXPECT_EQ(m.commentCharacters, 22 + 8);
    // static int int int int for return; ( * ) = ( = < ++ ) += [ ] * [ ]
    EXPECT_EQ(m.totalOperators, 7 + 15);
    EXPECT_EQ(m.controlOperators, 2);
    // sum v n | i s 0 | i 0 i n i | s v i v i | s
    EXPECT_EQ(m.totalOperands, 17);
    EXPECT_EQ(m.references, 15);
    EXPECT_EQ(m.operands, (std::vector<std::string>{"sum", "v", "n", "i", "s"}));
    EXPECT_EQ(m.statements, 5);
    EXPECT_EQ(m.maxDepth, 1);
    EXPECT_EQ(m.gotos, 0);
    EXPECT_EQ(m.operators[15], 2);  // (
    EXPECT_EQ(m.operators[34], 2);  // * before an identifier: a pointer, even in v[i] * v[i]
    EXPECT_EQ(m.operators[31], 2);  // =
    EXPECT_EQ(m.operators[3], 1);   // +=
    EXPECT_EQ(m.operators[4], 1);   // ++
    EXPECT_EQ(m.DistinctOperators(), 9);
    EXPECT_DOUBLE_EQ(m.length, 39);
    EXPECT_DOUBLE_EQ(m.volume, 39 * std::log2(9 + 5));
    EXPECT_DOUBLE_EQ(m.level, (2.0 / 9) * (5.0 / 17));  // not 2 / total operands
    EXPECT_DOUBLE_EQ(m.commentPercentage, 30.0 / 137 * 100);

}

TEST(Metrics, CountsWithoutOperandsOrBracesAndWithoutALevel) {
    // No operand: counts, but none of the derived values.
    Metrics none = Of("{\n\treturn;\n}\n", 1, 3);
    EXPECT_EQ(none.totalOperators, 1);
    EXPECT_EQ(none.controlOperators, 1);
    EXPECT_EQ(none.statements, 1);
    EXPECT_EQ(none.length, 0);
    EXPECT_EQ(none.volume, 0);
    EXPECT_EQ(none.commentPercentage, 0);
    EXPECT_EQ(none.level, 0);
    // No brace at all.
    EXPECT_EQ(Of("x = y;\n", 1, 1).maxDepth, -1);
    EXPECT_EQ(Of("{ { {} } {} }\n", 1, 1).maxDepth, 3);
    // A constant alone: no operator kind, no identifier. Level 0 shows density 0, and the empty
    // vocabulary gives no volume rather than an infinite one.
    Metrics constant = Of("{ return 1; }\n", 1, 1);
    EXPECT_EQ(constant.totalOperands, 1);
    EXPECT_EQ(constant.level, 0);
    EXPECT_EQ(constant.Density(), 0);
    EXPECT_EQ(constant.volume, 0);
    EXPECT_EQ(AnalysisTexts(constant)[kFieldDensity], "0");
    // Operators but only constants as operands: a level of 0 again, density 0.
    Metrics sum = Of("{ return 1 + 2 - 3; }\n", 1, 1);
    EXPECT_EQ(sum.DistinctOperators(), 2);
    EXPECT_EQ(sum.level, 0);
    EXPECT_EQ(sum.Density(), 0);
    EXPECT_GT(sum.volume, 0);
    // Lines out of the text: no record.
    Text t("int a;\n");
    EXPECT_FALSE(Measure(t.lines, Span("g", 4, 6)));
    Text empty("");
    EXPECT_FALSE(Measure(empty.lines, Span("g", 1, 1)));
}

TEST(Metrics, CommentsCountTwiceAndSpanLines) {
    // Every line a comment: the percentage stays below 100.
    Metrics all = Of("/* a */\n/* bc */\n", 1, 2);
    EXPECT_EQ(all.characters, 7 + 8 + 7 + 8);
    EXPECT_EQ(all.commentCharacters, 15);
    EXPECT_EQ(all.length, 0);  // no operand: nothing derived
    Metrics commented = Of("{ x; /* a */ }\n", 1, 1);
    EXPECT_DOUBLE_EQ(commented.commentPercentage, 7.0 / (14 + 7) * 100);
    // A block comment over three lines: they count as lines, and its text once as a comment;
    // what follows it on its last line is read.
    Metrics spanning = Of("{ a;\n/* one\ntwo { ; } \n*/ b; }\n", 1, 4);
    EXPECT_EQ(spanning.lines, 4);
    EXPECT_EQ(spanning.totalOperands, 2);
    EXPECT_EQ(spanning.statements, 2);
    EXPECT_EQ(spanning.maxDepth, 1);
    const long comment = 6 + 1 + 10 + 1 + 2;  // "/* one" "two { ; } " "*/" with line ends
    EXPECT_EQ(spanning.commentCharacters, comment);
    EXPECT_EQ(spanning.characters, 4 + 6 + comment);  // the first line whole, then the comment
    // Braces, quotes and semicolons inside strings and character constants do not count.
    Metrics quoted = Of("{ s = \"a;{\\\"}\"; c = ';'; d = '\\n'; }\n", 1, 1);
    EXPECT_EQ(quoted.totalOperands, 6);
    EXPECT_EQ(quoted.statements, 3);
    EXPECT_EQ(quoted.maxDepth, 1);
    EXPECT_EQ(quoted.operands, (std::vector<std::string>{"s", "c", "d"}));
}

TEST(Metrics, ControlKeywordsAreTheRuleOverTheKeywordList) {
    std::string control;
    for (const std::string& k : editor::CKeywords())
        if (IsControlKeyword(k)) control += k + " ";
    // const and float are control keywords on purpose; class is the list's C++ word.
    for (const char* k : {"break", "case", "const", "continue", "default", "do", "else", "float", "for", "goto",
                          "if", "return", "switch", "while"})
        EXPECT_NE(control.find(std::string(k) + " "), std::string::npos) << k;
    for (const char* k : {"char", "double", "int", "enum", "extern", "register", "static", "sizeof"})
        EXPECT_FALSE(IsControlKeyword(k)) << k;
    Metrics m = Of("{ goto out; out: if (a) return; else while (b) break; }\n", 1, 1);
    EXPECT_EQ(m.gotos, 1);
    EXPECT_EQ(m.controlOperators, 6);
    EXPECT_EQ(m.totalOperands, 4);  // out out a b
}

TEST(Metrics, NumbersMembersDirectivesAndStars) {
    // 0x1FL, 12.5, 017, 0.25f and 1e10 are one operand each.
    Metrics numbers = Of("{ a = 0x1FL + 12.5 + 017 + 0.25f + 1e10; }\n", 1, 1);
    EXPECT_EQ(numbers.totalOperands, 6);
    EXPECT_EQ(numbers.operands, std::vector<std::string>{"a"});
    EXPECT_EQ(numbers.operators[2], 4);   // +
    EXPECT_EQ(numbers.operators[20], 0);  // no '.' taken from a constant
    // Member names after . and -> are not operands; _x is an identifier.
    Metrics members = Of("{ p->next.x = _x; }\n", 1, 1);
    EXPECT_EQ(members.operands, (std::vector<std::string>{"p", "_x"}));
    EXPECT_EQ(members.operators[7], 1);
    EXPECT_EQ(members.operators[20], 1);
    // '#' is an operator and its directive word is skipped.
    Metrics directive = Of("#ifdef DEBUG\n", 1, 1);
    EXPECT_EQ(directive.operators[37], 1);
    EXPECT_EQ(directive.operands, std::vector<std::string>{"DEBUG"});
    // The longest token: += before +, << before <, and the three meanings of '*'.
    Metrics ops = Of("{ a += b << 2; c *= 3; d = 4 * 5; e = *(f); g = h ? i : j; }\n", 1, 1);
    EXPECT_EQ(ops.operators[3], 1);
    EXPECT_EQ(ops.operators[2], 0);
    EXPECT_EQ(ops.operators[22], 1);
    EXPECT_EQ(ops.operators[33], 1);
    EXPECT_EQ(ops.operators[32], 1);
    EXPECT_EQ(ops.operators[34], 1);
    EXPECT_EQ(ops.operators[35], 1);
    EXPECT_EQ(ops.operators[31], 3);
}

TEST(Metrics, TheDefinitionAndTheCommentBlockBeforeIt) {
    Text t("int x;\n"
           "// first\n"
           "/* second\n"
           " * more */\n"
           "static unsigned long\n"
           "count(void)\n"
           "{\n"
           "}\n"
           "int y; /* trailing */\n"
           "int g(void) {}\n");
    FunctionRecords found = FindCFunctions(t.lines);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(DefinitionStart(t.lines, found[0]), 5);
    EXPECT_EQ(CommentBlockStart(t.lines, 5), 2);
    EXPECT_EQ(Measure(t.lines, found[0])->lines, 7);
    // A comment behind code is not a block before a function.
    EXPECT_EQ(DefinitionStart(t.lines, found[1]), 10);
    EXPECT_EQ(CommentBlockStart(t.lines, 10), 10);
    EXPECT_EQ(CommentBlockStart(t.lines, 1), 1);
}

TEST(Metrics, PlotGeometryAndClicks) {
    PlotLayout p = LayOutPlot({1, 3, 2}, 220, 100);
    EXPECT_EQ(p.spacing, 50);
    EXPECT_EQ(p.baseline, 70);
    EXPECT_EQ(p.plotHeight, 50);
    ASSERT_EQ(p.bars.size(), 3u);
    EXPECT_EQ(p.bars[0].x, 70);
    EXPECT_EQ(p.bars[2].x, 170);
    EXPECT_EQ(p.bars[0].top, 70);  // the minimum: height 0
    EXPECT_EQ(p.bars[1].top, 20);  // the maximum: the whole plot height
    EXPECT_EQ(p.bars[2].top, 45);
    EXPECT_EQ(p.axisLeft, 20);
    EXPECT_EQ(p.axisRight, 170);
    EXPECT_EQ(p.axisTop, 20);
    // The first line not 3 or more pixels left of the click.
    EXPECT_EQ(BarAt(p, 10), 0);
    EXPECT_EQ(BarAt(p, 72), 0);
    EXPECT_EQ(BarAt(p, 73), 1);
    EXPECT_EQ(BarAt(p, 172), 2);
    EXPECT_EQ(BarAt(p, 173), -1);
    // All values the same: every line has height 0.
    for (const PlotBar& b : LayOutPlot({4, 4, 4, 4}, 300, 200).bars) EXPECT_EQ(b.top, 140);
    // A window narrower than the margin draws everything at the margin rather than backwards.
    EXPECT_EQ(LayOutPlot({1, 2}, 10, 50).spacing, 0);
}

}  // namespace
}  // namespace tarvo::analysis
