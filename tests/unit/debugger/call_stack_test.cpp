// Where a stopped program is: line entries, the return-address test, the frame walk, the stack
// search, the stack dump, the locals and the nearby variables, on a built image and scripted
// memory, for both machines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "debugger/call_stack.h"
#include "scripted_ui.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

using test::ByteVec;
using test::Hex;
using namespace test::values_detail;

// Code offsets: main calls fact, which calls itself; each call ends its line, so the return
// address is where the next line starts. asm.obj's raw has no lines; gap lies in no function.
enum : std::uint32_t { kFactReturn = 0x60, kMainReturn = 0x20, kGap = 0xE0, kRaw = 0x100, kDllReturn = 0x10 };

void PutCall(ByteVec& text, std::uint32_t ret, std::uint32_t to) {
    for (int i = 0; i < 5; ++i) text[ret - 5 + i] = static_cast<std::uint8_t>(i ? (to - ret) >> (8 * i - 8) : 0xE8);
}

test::PeSpec StackSpec(bool is64) {
    std::int32_t w = is64 ? 8 : 4;
    test::CvTypes types;
    std::uint16_t intPtr = types.Add(0x0002, U16s({static_cast<std::uint16_t>(is64 ? 0x0C : 0x0A), 0x74}));
    std::uint16_t xyz = types.Add(0x0204, Cat({Member(0x74, 0, "x"), Member(0x74, 4, "y"), Member(0x74, 8, "z")}));
    std::uint16_t triple = types.Add(0x0005, Cat({U16s({3, xyz, 0, 0, 0}), test::NumericLeaf(12), Name("a_long_named_triple")}));
    test::CvSymbols m = test::AlignedSymbolWriter(), a = test::AlignedSymbolWriter();
    m.Proc(0x205, "main", 0x0, 1, 0x40);
    m.Proc(0x205, "fact", 0x40, 1, 0x60,
           {{"n", false, 2 * w, 0, 0x74}, {"count", false, -4, 0, 0x74}, {"name", false, 3 * w, 0, std::uint16_t(is64 ? 0x670 : 0x470)},
            {"flags", false, 4 * w, 0, 0x75}, {"p", false, 5 * w, 0, intPtr}, {"r", true, 0, std::uint16_t(is64 ? 0x148 : 17), 0x74},
            {"t", false, -16, 0, triple}});
    m.Proc(0x205, "twice", 0xA0, 1, 0x20);
    a.Proc(0x205, "raw", kRaw, 1, 0x40);
    test::CvFileLines file{"C:\\src\\stack.c", {{{1, 0x0, 0xE0}, {{0x0, 3}, {0x8, 4}, {0x10, 5}, {0x20, 6}, {0x40, 10}, {0x48, 11},
                                                 {0x50, 12}, {0x60, 13}, {0x70, 14}, {0xA4, 20}, {0xB0, 21}, {0xB0, 22}}}}};
    test::PeSpec spec;
    spec.is64 = is64;
    spec.imageBase = is64 ? 0x140000000ull : 0x400000;
    spec.codeView = test::CodeViewData({{0x120, 1, test::ModuleSubsection("stack.obj", {{1, 0x0, 0x100}})},
                                        {0x120, 2, test::ModuleSubsection("asm.obj", {{1, kRaw, 0x140}})},
                                        {0x125, 1, test::AlignedSymbols(m)}, {0x125, 2, test::AlignedSymbols(a)},
                                        {0x127, 1, test::SourceModule({file}, {{1, 0x0, 0x100}})}, {0x12B, 0, types.Build()}});
    std::string d = is64 ? "" : "_";
    spec.symbols = {{".text", 0, 1, 3}, {d + "main", 0, 1, 2}, {d + "fact", 0x40, 1, 2}, {d + "gap", kGap, 1, 2}};
    spec.text.assign(0x140, 0x90);
    PutCall(spec.text, kMainReturn, 0x40);
    PutCall(spec.text, kFactReturn, 0x40);
    return spec;
}

struct Stack : ::testing::TestWithParam<bool> {
    test::ScopedScriptedUi ui;
    DebugInfo info;
    test::FakeMemory mem;
    Registers regs;
    const Target* target = nullptr;
    std::uint64_t code = 0, dll = 0;
    unsigned w = 4;
    static constexpr std::uint64_t kBase = 0x80000, f1 = 0x7E00, f2 = 0x7E40, f3 = 0x7E80, fm = 0x7EC0;
    void SetUp() override {
        w = GetParam() ? 8 : 4;
        test::PeSpec spec = StackSpec(GetParam()), lib;  // lib: a DLL without debug information
        lib.is64 = GetParam(), lib.imageBase = GetParam() ? 0x180000000ull : 0x10000000;
        lib.text.assign(0x40, 0x90);
        PutCall(lib.text, kDllReturn, 0x30);
        code = spec.imageBase + 0x1000, dll = lib.imageBase + 0x1000;
        int added = 0;
        ASSERT_TRUE(OpenExecutable(info, test::SourceOf("stack.exe", test::BuildPe(spec)), false));
        ASSERT_TRUE(LoadDll(info, test::SourceOf("kern.dll", test::BuildPe(lib)), added));
        target = TargetOf(GetParam() ? kMachineAmd64 : kMachineI386);
        info.entryFunction = code;
        mem.Put(code, spec.text.data(), spec.text.size());
        mem.Put(dll, lib.text.data(), lib.text.size());
        regs.general[kSp] = f1 - 0x20, regs.general[kBp] = f1;
    }
    const Function& Fn(int module, int i) { return info.modules[module].Functions()[i]; }
    // A frame of fact(n): the caller's frame pointer, the return address, the arguments.
    void FactFrame(std::uint64_t fp, std::uint64_t callerFp, std::uint64_t ret, int n) {
        std::uint64_t text = (GetParam() ? 0x10000A000ull : 0xA000) + 0x10 * n;  // above 4 GB on amd64
        mem.Word(fp, callerFp, w), mem.Word(fp + w, ret, w), mem.Word(fp + 2 * w, n, 4), mem.Word(fp + 3 * w, text, w);
        mem.Word(fp + 4 * w, 3000000000u, 4), mem.Word(fp + 5 * w, 0x123456789ull, w), mem.Text(text, std::string(n, 'a'));
    }
    void Recursion() {
        FactFrame(f1, f2, code + kFactReturn, 1), FactFrame(f2, f3, code + kFactReturn, 2), FactFrame(f3, fm, code + kMainReturn, 3);
        mem.Word(fm, 0x7F00, w), mem.Word(fm + w, 0x7777, w);
        regs.ip = code + 0x48;
    }
    std::vector<Frame> Walk() { return WalkStack(info, *target, regs, mem.Reader(), kBase, 10); }
    StackSearch Search(std::uint64_t base) { return FindCurrentFunction(info, *target, regs, mem.Reader(), base); }
};

std::string Arg(const char* type, const char* name, const std::string& value) {
    char head[64];
    std::snprintf(head, sizeof head, "    %10s %s ", type, name);
    return head + value;
}

TEST_P(Stack, LinesOfAFunctionAndTheLineOfAnAddress) {
    const Function &fact = Fn(1, 1), &twice = Fn(1, 2);
    FunctionLines lines = LinesOfFunction(info, 1, fact), t = LinesOfFunction(info, 1, twice);
    ASSERT_EQ(lines.entries.size(), 5u);  // main's and twice's entries are not fact's
    EXPECT_EQ(LineInFunction(lines, fact, code + 0x5F), 12u);
    EXPECT_EQ(LineInFunction(lines, fact, code + 0x9F), 14u);  // the epilogue after the last entry
    EXPECT_EQ(LineInFunction(lines, fact, code + 0xA0) + LineInFunction(lines, fact, code + 0x3F), 0u);
    EXPECT_EQ(LineStartingAt(lines, code + 0x60) * 100 + LineStartingAt(lines, code + 0x58), 1300u);
    EXPECT_EQ(LineInFunction(t, twice, code + 0xA0), 0u);  // before its first entry
    EXPECT_EQ(LineStartingAt(t, code + 0xB0), 22u);        // of two entries at one address, the last
    EXPECT_EQ(LinesOfFunction(info, 2, Fn(2, 0)).file, -1);
}

TEST_P(Stack, EveryCallFormBeforeAReturnAddress) {
    const std::uint64_t W = 0x5000, wide = GetParam() ? ~0ull : 0xFFFFFFFFull;
    struct Case { ByteVec before; std::uint64_t target; };
    const Case cases[] = {
        {{0x90, 0x90, 0xE8, 0x00, 0x01, 0x00, 0x00}, W + 0x100},
        {{0xE8, 0x00, 0xA0, 0xFF, 0xFF}, (W - 0x6000) & wide},  // the page before the call is unreadable
        {{0xFF, 0xD3}, W}, {{0x41, 0xFF, 0xD3}, W}, {{0xFF, 0x56, 0x08}, W}, {{0xFF, 0x54, 0x24, 0x08}, W},
        {{0xFF, 0x96, 0, 1, 0, 0}, W}, {{0x48, 0xFF, 0x94, 0x24, 0, 1, 0, 0}, W},
        {{0xFF, 0x15, 0x00, 0x20, 0x40, 0x00}, GetParam() ? W + 0x402000 : 0x402000},  // RIP-relative on amd64
        {{0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90}, 0}, {{0x90, 0xFF, 0x54, 0x24}, 0},  // no SIB after ModRM 54
    };
    for (const Case& c : cases) {
        test::FakeMemory m;
        m.Put(W - c.before.size(), c.before.data(), c.before.size());
        ReturnTest r = TestReturnAddress(*target, W, m.Reader());
        EXPECT_EQ(r.isReturn, c.target != 0) << Hex(c.before[0]);
        EXPECT_EQ(r.target, c.target) << Hex(c.before[0]);
    }
    test::FakeMemory low;
    low.Put(0xFFD, ByteVec{0xFF, 0xD3}.data(), 2);
    EXPECT_FALSE(TestReturnAddress(*target, 0xFFF, low.Reader()).isReturn);  // too low for code
    EXPECT_FALSE(TestReturnAddress(*target, W, low.Reader()).isReturn);      // unreadable
}

TEST_P(Stack, RecursionShowsEachFrameWithItsOwnPointerArgumentsAndLocals) {
    Recursion();
    std::vector<Frame> frames = Walk();
    ASSERT_EQ(frames.size(), 4u);  // the entry function's frame is the last
    // A caller's line is its call's, not the line its return address starts.
    const char* texts[] = {"fact: C:\\src\\stack.c: 11", "fact: C:\\src\\stack.c: 12", "fact: C:\\src\\stack.c: 12", "main: C:\\src\\stack.c: 5"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(frames[i].text, texts[i]);
    EXPECT_EQ(frames[1].address, code + kFactReturn);
    EXPECT_EQ(frames[2].framePointer, f3);
    EXPECT_EQ(frames[1].arguments,
              (std::vector<std::string>{Arg("int", "n", "2"), Arg("char *", "name", Hex(GetParam() ? 0x10000A020ull : 0xA020) + " \"aa\""),
                                        Arg("unsigned int", "flags", "3000000000"),
                                        Arg("* int", "p", GetParam() ? "0x123456789" : "0x23456789")}));
    EXPECT_EQ(frames[2].arguments[0], Arg("int", "n", "3"));
    EXPECT_EQ(frames[3].arguments, std::vector<std::string>{"        (void)"});
    // Locals through the chosen frame's pointer, whatever the tables' current function.
    mem.Word(f2 - 16, 5, 4), mem.Word(f2 - 12, 6, 4), mem.Word(f2 - 8, 7, 4);
    regs.general[kAx] = 0xFFFFFFF6;
    info.currentModule = 1, info.currentFunction = 0;
    EvalContext ctx{&info, mem.Reader(), &regs, f2, 10};
    EXPECT_EQ(LocalsText(ctx, 1, Fn(1, 1), frames[1].address),
              (std::vector<std::string>{"n = 2", "count = <evaluation failed>", "name = " + frames[1].arguments[1].substr(20),
                                        "flags = 3000000000", "p = <evaluation failed>", "r = -10", "a_long_named_triple  t = { x: 5 y: 6 z: 7  }"}));
    EXPECT_EQ(info.currentFunction, 0);  // given back
    EXPECT_TRUE(LocalsText(ctx, 1, Fn(1, 1), code + 0x40).empty());  // before the debug start
    // The argument list ends at the first unreadable argument.
    mem.bytes.erase(f2 + 3 * w);
    EXPECT_EQ(Walk()[1].arguments, std::vector<std::string>{Arg("int", "n", "2")});
}

TEST_P(Stack, ADamagedChainEndsTheWalk) {
    regs.ip = code + 0x48;
    for (std::uint64_t next : {f1, f1 - 0x40, kBase + 0x10, kBase}) {  // itself, down, past the base
        FactFrame(f1, next, code + kFactReturn, 1);
        EXPECT_EQ(Walk().size(), 1u) << Hex(next);
    }
    mem.bytes.erase(f1);
    EXPECT_EQ(Walk().size(), 1u);
    for (std::uint64_t f = 0x10000; f < 0x10000 + 0x40 * (kMaxFrames + 10); f += 0x40) FactFrame(f, f + 0x40, code + kFactReturn, 1);
    regs.general[kBp] = 0x10000, regs.general[kSp] = 0x10000 - 0x20;
    EXPECT_EQ(Walk().size(), kMaxFrames);
}

TEST_P(Stack, FramesOutsideFunctionsAndModules) {
    regs.ip = code + kRaw + 4;
    mem.Word(f1, f2, w), mem.Word(f1 + w, dll + kDllReturn, w), mem.Word(f2, f3, w), mem.Word(f2 + w, code + kGap + 5, w);
    mem.Word(f3, fm, w), mem.Word(f3 + w, 0x5000, w), mem.Word(fm, 0x7F00, w), mem.Word(fm + w, code + kFactReturn, w);
    std::vector<Frame> frames = Walk();
    ASSERT_EQ(frames.size(), 4u);  // none after the frame outside every image
    EXPECT_EQ(frames[0].text, "raw: unknown line at " + Hex(code + kRaw + 4));
    EXPECT_EQ(frames[1].text, "kern.dll " + Hex(dll + kDllReturn));
    EXPECT_EQ(frames[2].text, "stack.obj: " + Hex(code + kGap + 5) + (GetParam() ? " gap" : " _gap"));
    EXPECT_EQ(frames[3].text, "unknown 0x5000");
}

TEST_P(Stack, TheSearchSkipsLibrariesAndFindsTheCallerWithSource) {
    const std::uint64_t sp = 0x7C00;
    regs.general[kSp] = sp, regs.ip = dll + 0x30;  // stopped in the DLL
    for (std::uint64_t a = sp; a < sp + 0x100; a += w) mem.Word(a, 0, w);
    // Data, a call inside the DLL, a word in the program after no call, then fact's call.
    mem.Word(sp, 0x1234, w), mem.Word(sp + w, dll + kDllReturn, w), mem.Word(sp + 2 * w, code + 0x30, w);
    mem.Word(sp + 3 * w, code + kFactReturn, w);
    StackSearch s = Search(sp + 0x100);
    ASSERT_TRUE(s.found);
    EXPECT_EQ(Fn(s.module, s.function).name, "fact");
    EXPECT_EQ(s.file + ":" + std::to_string(s.line), "C:\\src\\stack.c:12");
    EXPECT_EQ(s.address, code + kFactReturn);
    EXPECT_EQ(s.log, (std::vector<std::string>{" + Read 256 bytes of stack (7d00-7c00)", " + kern.dll " + Hex(dll + 0x30),
                                               " + CurrentFunction fact, line 12", "FindCurrentFunctionInStack returns 1"}));
    regs.ip = code + 0x70;  // stopped in the program: the instruction pointer's own line
    EXPECT_EQ(Search(sp + 0x100).line, 14u);
    regs.ip = code + kRaw;  // a function without lines ends the search
    s = Search(sp + 0x100);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.log, (std::vector<std::string>{s.log[0], "FindCurrentFunctionInStack can't build line number info",
                                               "FindCurrentFunctionInStack failed"}));
}

TEST_P(Stack, TheSearchReadsOnlyTheTopOfTheStack) {
    const std::uint64_t sp = 0x20000;
    regs.general[kSp] = sp, regs.ip = dll + 0x30;
    for (std::uint64_t a = sp; a < sp + 0x2000; a += w) mem.Word(a, a == sp + kStackSearchLimit ? code + kFactReturn : 0, w);
    StackSearch s = Search(sp + 0x2000);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.log.front(), " + Read 4096 bytes of stack (22000-20000)");
    mem.Word(sp + kStackSearchLimit - w, code + kFactReturn, w);
    EXPECT_TRUE(Search(sp + 0x2000).found);
    EXPECT_TRUE(Search(0x1000).found);  // another thread's base, below this stack: read anyway
    // Only the stack pointer's own page is readable.
    regs.general[kSp] = 0x7F800;
    for (std::uint64_t a = 0x7F800; a < 0x80000; a += w) mem.Word(a, a == 0x7FF00 ? code + kFactReturn : 0, w);
    s = Search(0);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.log.front(), " + Read 2048 bytes of stack (0-7f800)");
    regs.general[kSp] = 0x300;
    EXPECT_EQ(Search(0x1000).error, "Error reading the stack (esp is 768)\nProbably stack overflow");
    regs.general[kSp] = 0x500000;
    s = Search(0x501000);
    EXPECT_EQ(s.log, std::vector<std::string>{"Impossible to read the stack from the application\n.Unable to continue"});
    EXPECT_EQ(s.error, s.log[0]);
}

TEST_P(Stack, StackDumpMarksTheFramePointer) {
    regs.general[kSp] = 0x7000, regs.general[kBp] = 0x7000 + 2 * w;
    for (unsigned i = 0; i < 20; ++i) mem.Word(0x7000 + i * w, i == 0 ? ~0ull : i, w);
    std::string dump = StackDumpText(*target, regs, mem.Reader(), 10);
    std::string head = "[0] -1\n[" + std::to_string(w) + "] 1\n<--ebp-->\n[" + std::to_string(2 * w) + "] 2\n";
    EXPECT_EQ(dump.substr(0, head.size()), head);
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 16);  // 15 words
    EXPECT_EQ(StackDumpText(*target, regs, mem.Reader(), 16).substr(0, 7 + 2 * w), "[0] 0x" + std::string(2 * w, 'f') + "\n");
    mem.bytes.erase(0x7000 + 3 * w);
    EXPECT_EQ(StackDumpText(*target, regs, mem.Reader(), 10), head);
}

TEST_P(Stack, NearbyVariablesAndReturnedValues) {
    Recursion();
    mem.Word(f1 - 16, 5, 4), mem.Word(f1 - 12, 6, 4), mem.Word(f1 - 8, 7, 4);
    info.currentModule = 1, info.currentFunction = 1;
    EvalContext ctx{&info, mem.Reader(), &regs, f1, 10};
    FunctionLines lines = LinesOfFunction(info, 1, Fn(1, 1));
    auto source = [](unsigned line) -> std::string {
        const char* text[] = {"n;", "flags;", "x = t; /* n */", "if (n) return;", "p;", "flags;"};
        return line >= 9 && line <= 14 ? text[line - 9] : "name;";
    };
    const ReturnedValue returned[] = {{code, 0xFFFFFFFFFFFFFFFEull}, {0x1234, 5}};
    std::string minus2 = GetParam() ? "fffffffffffffffe" : "fffffffe";
    // Lines 11 to 14; t's value is cut after the piece that grew past 40 characters; p cannot be
    // followed, so its address is shown.
    EXPECT_EQ(NearbyVariablesText(ctx, lines, 12, source, returned),
              (std::vector<std::string>{"a_long_named_triple  t = { x: 5 y: 6 z: 7", "       }", "n = 1",
                                        "* int p = " + Hex(f1 + 5 * w), "flags = 3000000000", "main() returns -2 (0x" + minus2 + ")", "0x1234() returns 5 (0x5)"}));
    // On the first entry, the line before it.
    EXPECT_EQ(NearbyVariablesText(ctx, lines, 10, source, {})[0], "n = 1");
    EXPECT_TRUE(NearbyVariablesText(ctx, lines, 99, source, {}).empty());  // a line without code
}

INSTANTIATE_TEST_SUITE_P(Machines, Stack, ::testing::Bool());

}  // namespace
}  // namespace tarvo::debugger
