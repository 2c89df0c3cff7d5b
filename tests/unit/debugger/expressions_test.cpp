// The expression scanner, the picking of expressions from source text, and the evaluator on a
// stopped program (locals through the frame pointer and registers, statics, globals, constants).
#include <gtest/gtest.h>

#include "../testbed/codeview_images.h"
#include "debugger/expressions.h"
#include "scripted_ui.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

std::vector<std::string> Texts(const std::vector<Expression>& e) {
    std::vector<std::string> out;
    for (const Expression& x : e) out.push_back(x.text);
    return out;
}

TEST(ExpressionScanner, CTokensCommentsAndOperators) {
    std::vector<Token> t = ScanTokens("p->next /* skip */ a++ -- != && ... 12 0x1F 1.5e+3 'a' \"s\\\"x\" [i] // rest");
    std::vector<int> kinds;
    for (const Token& k : t) kinds.push_back(k.kind);
    std::vector<int> expected = {kTokIdentifier, kTokArrow, kTokIdentifier, kTokIdentifier, kTokIncrement, kTokDecrement,
                                 kTokNotEqual, kTokAndAnd, kTokEllipsis, kTokInteger, kTokInteger, kTokReal,
                                 kTokCharConstant, kTokString, '[', kTokIdentifier, ']'};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(t[11].text, "1.5e+3");
    EXPECT_EQ(t[13].text, "\"s\\\"x\"");
    // Unterminated constants and comments end with the text.
    EXPECT_EQ(ScanTokens("'abc").size(), 1u);
    EXPECT_EQ(ScanTokens("x /* open").size(), 1u);
    EXPECT_TRUE(ScanTokens("").empty());
}

using test::Hex;

struct Expressions : ::testing::TestWithParam<bool>, test::ValueRun {
    test::ScopedScriptedUi ui;
    Registers regs;
    EvalContext ctx;
    static constexpr std::uint64_t kFrame = 0x7F000, kNode = 0x9000;
    void SetUp() override {
        ASSERT_TRUE(Open(GetParam()));
        info.currentModule = 1;
        info.currentFunction = 0;
        regs.general[kAx] = 0xFFFFFFFF00001234ull;
        ctx = {&info, mem.Reader(), &regs, kFrame, 10};
        mem.Word(kFrame - 4, 77, 4);                                           // count
        mem.Word(kFrame - 16, kNode, ptr);                                     // p
        mem.Word(kNode, 10, 4), mem.Word(kNode + 8, kNode + 0x40, ptr);        // p->x, p->next
        mem.Word(kNode + 0x40, 20, 4), mem.Word(kNode + 0x48, 0, ptr);         // p->next->x
        for (int i = 0; i < 30; ++i) mem.Word(data + test::kGInts + 4 * i, 100 + i, 4);
        mem.Word(data + test::kGIndex, 2, 4);
        mem.Word(data + test::kSCount, 5, 4);
        mem.Word(data + test::kGPoint, 1, 4), mem.Word(data + test::kGPoint + 4, 2, 4);
        mem.Word(data + test::kGName, 0xA000, ptr);
        mem.Text(0xA000, "hello");
        mem.Word(data + test::kGConst, kNode, ptr);
    }
    std::string Text(const std::string& e) { return EvaluateToText(ctx, e, 1024).text; }
    std::string Error(const std::string& e) {
        Evaluation r = Evaluate(ctx, e);
        EXPECT_FALSE(r.ok) << e;
        return r.error;
    }
};

TEST_P(Expressions, PickingFromSourceText) {
    EXPECT_EQ(Texts(PickExpressions(info, "x = f(y[k]);", 10)), (std::vector<std::string>{"x", "k", "y[k]"}));
    EXPECT_EQ(Texts(PickExpressions(info, "p->next->val + a[i+1] + p->next->val", 10)),
              (std::vector<std::string>{"p->next->val", "i", "a[i+1]"}));
    // A type name is not a value, unless a ";" follows it.
    EXPECT_EQ(Texts(PickExpressions(info, "point q; point;", 10)), (std::vector<std::string>{"q", "point"}));
    EXPECT_EQ(Texts(PickExpressions(info, "a[i] b c", 1)), (std::vector<std::string>{"a[i]"}));
    EXPECT_EQ(Texts(PickExpressions(info, "a[i, j] m[2", 10)), (std::vector<std::string>{"i", "j", "a[ij]", "m"}));
    std::string longOne = "a";
    for (int i = 0; i < 30; ++i) longOne += ".b";
    EXPECT_TRUE(PickExpressions(info, longOne + " c", 10).empty());  // grows past 49 tokens: scanning stops
}

TEST_P(Expressions, NamesInTheirOrder) {
    EXPECT_EQ(Text("count"), "count = 77");
    Evaluation r = Evaluate(ctx, "r");
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.value.hasAddress);
    EXPECT_TRUE(r.value.inRegister);
    EXPECT_EQ(Text("r"), "r = 4660");  // the register's low 32 bits as unsigned int
    EXPECT_EQ(Text("half"), "half = 4660");
    EXPECT_EQ(Error("odd"), "Register 1023 is not known on this machine");
    EXPECT_EQ(Text("s_count"), "s_count = 5");
    EXPECT_EQ(Text("g_index"), "g_index = 2");
    EXPECT_EQ(Text("LIMIT"), "LIMIT = 42");
    EXPECT_EQ(Text("main"), "main = function at " + Hex(code));
    EXPECT_EQ(Error("nosuch"), "Symbol 'nosuch' not found");
    // Outside any function no local is found.
    info.currentFunction = -1;
    EXPECT_EQ(Error("count"), "Symbol 'count' not found");
    ctx.radix = 16;
    EXPECT_EQ(Text("g_index"), "g_index = 0x2");
}

TEST_P(Expressions, MembersAndPointers) {
    EXPECT_EQ(Text("g_point.y"), "g_point.y = 2");
    EXPECT_EQ(Text("p->x"), "p->x = 10");
    EXPECT_EQ(Text("p->next->x"), "p->next->x = 20");
    EXPECT_EQ(Text("g_const->x"), "g_const->x = 10");  // through a const
    EXPECT_EQ(Error("p.next"), "p is not a structure or union");
    EXPECT_EQ(Error("g_point->x"), "g_point is not a pointer to a structure or union");
    EXPECT_EQ(Error("g_point.z"), "g_point has no member z");
    EXPECT_EQ(Text("p->next->next->x"), "p->next->next->x = NULL");  // through a null pointer
    // A structure with an unreadable member shows its address instead.
    EXPECT_EQ(Text("g_point"), "point  g_point = " + Hex(data + test::kGPoint));
    mem.Word(data + test::kGPoint + 8, 0, ptr);
    EXPECT_EQ(Text("g_point"), "point  g_point = { x: 1\ny: 2\nnext: NULL\n }");
    mem.Word(kFrame - 16, 0x5000, ptr);
    EXPECT_EQ(Text("p->x"), "p->x = <bad address 0x5000>");
    mem.bytes.erase(kFrame - 16);
    EXPECT_EQ(Error("p->x"), "The pointer p cannot be read at " + Hex(kFrame - 16));
    EvalText cut = EvaluateToText(ctx, "g_point", 20);
    EXPECT_TRUE(cut.evaluated);
    EXPECT_EQ(cut.text, "point  g_point = { x");
}

TEST_P(Expressions, SubscriptsWithoutPrecedenceAndTheirFailures) {
    EXPECT_EQ(Text("g_ints[g_index+1]"), "g_ints[g_index+1] = 103");
    EXPECT_EQ(Text("g_ints[2*g_index]"), "g_ints[2*g_index] = 104");
    EXPECT_EQ(Text("g_ints[g_index+1*2]"), "g_ints[g_index+1*2] = 106");  // (2+1)*2
    EXPECT_EQ(Text("g_ints[g_ints[0]-99]"), "g_ints[g_ints[0]-99] = 101");
    EXPECT_EQ(Text("g_ints[0x1D]"), "g_ints[0x1D] = 129");
    EXPECT_EQ(Text("g_ints[-1+1]"), "g_ints[-1+1] = 100");
    EXPECT_EQ(Text("arr[1]").substr(0, 9), "arr[1] = ");
    EXPECT_EQ(Text("g_name[1]"), "g_name[1] = 101 'e'");  // one byte at the pointer + 1
    EXPECT_EQ(Text("p[1].x"), "p[1].x = <bad address " + Hex(kNode + 8 + ptr) + ">");
    EXPECT_EQ(Error("g_ints[g_index/0]"), "Division by zero in g_ints[g_index/0]");
    EXPECT_EQ(Error("g_ints[1/(0)]"), "Unexpected '(' in g_ints[1/(0)]");
    EXPECT_EQ(Error("g_ints[g_point]"), "The index g_point is not an integer");
    EXPECT_EQ(Error("g_point[1]"), "g_point cannot be indexed");
    EXPECT_EQ(Error("g_ints[1"), "Missing ']' in g_ints[1");
    EXPECT_EQ(Error("g_ints[1 2]"), "Unexpected '2' in g_ints[12]");
    EXPECT_EQ(Error("g_ints 1"), "Unexpected '1' in g_ints1");
    EXPECT_EQ(Error("12"), "Unexpected '12' in 12");
    EXPECT_EQ(Error(""), "Incorrect expression\n");
    EXPECT_EQ(Error("r[0]"), "r cannot be indexed");
    std::string many = "g_ints";
    for (int i = 0; i < 17; ++i) many += "[0]";
    EXPECT_EQ(Error(many), "More than 49 parts in " + many);
    // A huge index wraps like the machine's own arithmetic instead of failing the IDE.
    mem.Word(data + test::kGIndex, 0xFFFFFFFF, 4);  // -1
    EXPECT_TRUE(Evaluate(ctx, "g_ints[0x7FFFFFFFFFFFFFFF*4]").ok);
    EXPECT_TRUE(Evaluate(ctx, "g_ints[0x8000000000000000/g_index]").ok);
}

INSTANTIATE_TEST_SUITE_P(BothMachines, Expressions, ::testing::Bool(),
                         [](const auto& p) { return p.param ? std::string("x64") : std::string("i386"); });

// The types the compiler wrote for cv_main.c and cv_util.c, as the linker stand-in converted them.
struct RealTypes : ::testing::TestWithParam<const char*> {
    test::ScopedScriptedUi ui;
    DebugInfo info;
    test::FakeMemory mem;
    EvalContext ctx;
    void SetUp() override {
        const testbed::test::ConvertedProgram& program = testbed::test::CodeViewSample(GetParam());
        if (!program.skip.empty()) GTEST_SKIP() << program.skip;
        ASSERT_EQ(program.problem, "");
        ASSERT_TRUE(OpenExecutable(info, test::SourceOf("cv_sample.exe", program.image), false));
        ctx = {&info, mem.Reader(), nullptr, 0, 10};
    }
    std::uint64_t Address(const std::string& e) {
        Evaluation r = Evaluate(ctx, e);
        EXPECT_TRUE(r.ok) << e << ": " << r.error;
        return r.value.address;
    }
};

TEST_P(RealTypes, StructuresUnionsEnumsAndBitFieldsOfARealProgram) {
    std::uint64_t record = Address("records[1]");
    EXPECT_GT(record, Address("records[0]"));
    mem.Text(Address("records[1].name"), "abc");
    mem.Word(Address("records[1].where.x"), 4, 4);
    mem.Word(Address("records[1].shade"), 7, 4);
    // ready 1, level 5, rest 100, sign -3, as the compiler lays them out.
    mem.Word(Address("records[1].bits"), 1 | (5 << 1) | (100 << 4) | (0xDu << 16), 4);
    float f = 0.5f;
    mem.Put(Address("records[1].value"), &f, 4);
    EXPECT_EQ(EvaluateToText(ctx, "records[1].where.x", 200).text, "records[1].where.x = 4");
    EXPECT_EQ(EvaluateToText(ctx, "records[1].shade", 200).text, "enum 'shade' records[1].shade = SHADE_LIGHT");
    EXPECT_EQ(EvaluateToText(ctx, "records[1].bits", 200).text,
              "flags  records[1].bits = { ready: 1\nlevel: 5\nrest: 100\nsign: -3\n }");
    EXPECT_EQ(EvaluateToText(ctx, "records[1].name", 200).text, "char[12] records[1].name = [0..3] = \"abc\"");
    EXPECT_EQ(EvaluateToText(ctx, "records[1].value.f", 200).text, "records[1].value.f = 0.5");
    EXPECT_EQ(Evaluate(ctx, "records[1].where.next->next").error, "The pointer records[1].where.next cannot be read at " +
                                                                       Hex(Address("records[1].where.next")));
    EXPECT_EQ(TypeText(info, Evaluate(ctx, "records").value.type), "record [3]");
}

INSTANTIATE_TEST_SUITE_P(CrossCompiled, RealTypes, ::testing::Values("i686", "x86_64"),
                         [](const auto& p) { return std::string(p.param); });

}  // namespace
}  // namespace tarvo::debugger
