// Where a stopped program is: line entries, the return-address test, the frame walk, the stack
// search, the stack dump, the locals and the nearby variables, on built images and scripted
// memory, for both machines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "debugger/call_stack.h"
#include "debugger/debug_queries.h"
#include "scripted_ui.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

using test::ByteVec;
using test::Hex;
using namespace test::values_detail;

// Code offsets of the stack image: main calls fact, which calls itself; the call of each is the
// last instruction of its line, so the return address is where the next line starts.
enum : std::uint32_t {
    kMain = 0x0, kMainReturn = 0x20, kFact = 0x40, kFactReturn = 0x60, kFactEnd = 0xA0,
    kTwice = 0xA0, kGap = 0xE0, kRaw = 0x100, kDllReturn = 0x10,
};

test::PeSpec StackSpec(bool is64) {
    std::int32_t w = is64 ? 8 : 4;
    test::CvTypes types;
    std::uint16_t intPtr = types.Add(0x0002, U16s({static_cast<std::uint16_t>(is64 ? 0x0C : 0x0A), 0x74}));
    std::uint16_t xy = types.Add(0x0204, Cat({Member(0x74, 0, "x"), Member(0x74, 4, "y")}));
    std::uint16_t pair = types.Add(0x0005, Cat({U16s({2, xy, 0, 0, 0}), test::NumericLeaf(8), Name("pair")}));
    std::uint16_t charPtr = is64 ? 0x670 : 0x470, reg = is64 ? 0x148 : 17;
    test::CvSymbols m = test::AlignedSymbolWriter();
    m.Proc(0x205, "main", kMain, 1, 0x40);
    m.Proc(0x205, "fact", kFact, 1, kFactEnd - kFact,
           {{"n", false, 2 * w, 0, 0x74}, {"count", false, -4, 0, 0x74}, {"name", false, 3 * w, 0, charPtr},
            {"flags", false, 4 * w, 0, 0x75}, {"p", false, 5 * w, 0, intPtr}, {"r", true, 0, reg, 0x74},
            {"pt", false, -16, 0, pair}});
    m.Proc(0x205, "twice", kTwice, 1, 0x20);
    test::CvSymbols a = test::AlignedSymbolWriter();
    a.Proc(0x205, "raw", kRaw, 1, 0x40);
    test::CvFileLines file{"C:\\src\\stack.c",
                           {{{1, 0x0, 0xE0},
                             {{0x0, 3}, {0x8, 4}, {0x10, 5}, {0x20, 6}, {0x40, 10}, {0x48, 11}, {0x50, 12}, {0x60, 13},
                              {0x70, 14}, {0xA4, 20}, {0xB0, 21}, {0xB0, 22}}}}};
    test::PeSpec spec;
    spec.is64 = is64;
    spec.imageBase = is64 ? 0x140000000ull : 0x400000;
    spec.codeView = test::CodeViewData({
        {0x120, 1, test::ModuleSubsection("stack.obj", {{1, 0x0, 0x100}})},
        {0x120, 2, test::ModuleSubsection("asm.obj", {{1, 0x100, 0x140}})},
        {0x125, 1, test::AlignedSymbols(m)},
        {0x125, 2, test::AlignedSymbols(a)},
        {0x127, 1, test::SourceModule({file}, {{1, 0x0, 0x100}})},
        {0x12B, 0, types.Build()},
    });
    std::string d = is64 ? "" : "_";
    spec.symbols = {{".text", 0, 1, 3}, {d + "main", kMain, 1, 2}, {d + "fact", kFact, 1, 2}, {d + "gap", kGap, 1, 2}};
    spec.text.assign(0x140, 0x90);
    auto call = [&](std::uint32_t ret, std::uint32_t to) {
        spec.text[ret - 5] = 0xE8;
        test::ByteWriter disp;
        disp.U32(to - ret);
        std::copy(disp.b.begin(), disp.b.end(), spec.text.begin() + ret - 4);
    };
    call(kMainReturn, kFact);
    call(kFactReturn, kFact);
    return spec;
}

// A DLL without debug information whose code calls itself once.
test::PeSpec DllSpec(bool is64) {
    test::PeSpec spec;
    spec.is64 = is64;
    spec.imageBase = is64 ? 0x180000000ull : 0x10000000;
    spec.text.assign(0x40, 0x90);
    spec.text[kDllReturn - 5] = 0xE8;
    spec.text[kDllReturn - 4] = 0x20;  // to 0x30
    std::fill(spec.text.begin() + kDllReturn - 3, spec.text.begin() + kDllReturn, 0);
    return spec;
}

std::string Arg(const char* type, const char* name, const std::string& value) {
    char head[64];
    std::snprintf(head, sizeof head, "    %10s %s ", type, name);
    return head + value;
}

struct Stack : ::testing::TestWithParam<bool> {
    test::ScopedScriptedUi ui;
    DebugInfo info;
    test::FakeMemory mem;
    Registers regs;
    const Target* target = nullptr;
    std::uint64_t code = 0, dll = 0;
    unsigned w = 4;
    static constexpr std::uint64_t kBase = 0x80000;  // the stack base
    void SetUp() override {
        bool is64 = GetParam();
        w = is64 ? 8 : 4;
        test::PeSpec spec = StackSpec(is64), dllSpec = DllSpec(is64);
        code = spec.imageBase + 0x1000;
        dll = dllSpec.imageBase + 0x1000;
        ASSERT_TRUE(OpenExecutable(info, test::SourceOf("stack.exe", test::BuildPe(spec)), false));
        int added = 0;
        ASSERT_TRUE(LoadDll(info, test::SourceOf("kern.dll", test::BuildPe(dllSpec)), added));
        target = TargetOf(is64 ? kMachineAmd64 : kMachineI386);
        info.entryFunction = code + kMain;
        mem.Put(code, spec.text.data(), spec.text.size());
        mem.Put(dll, dllSpec.text.data(), dllSpec.text.size());
    }
    const Function& Fn(int module, const char* name) {
        for (const Function& f : info.modules[module].Functions())
            if (f.name == name) return f;
        throw std::runtime_error(name);
    }
    // A frame of fact: its caller's frame pointer, return address and arguments.
    void FactFrame(std::uint64_t fp, std::uint64_t callerFp, std::uint64_t ret, int n) {
        mem.Word(fp, callerFp, w), mem.Word(fp + w, ret, w);
        mem.Word(fp + 2 * w, static_cast<std::uint32_t>(n), 4);
        std::uint64_t text = GetParam() ? 0x10000A000ull + 0x10 * n : 0xA000 + 0x10 * n;  // above 4 GB on amd64
        mem.Word(fp + 3 * w, text, w);
        mem.Text(text, std::string(n, 'a'));
        mem.Word(fp + 4 * w, 3000000000u, 4);
        mem.Word(fp + 5 * w, 0x123456789ull, w);
    }
    std::vector<Frame> Walk() { return WalkStack(info, *target, regs, mem.Reader(), kBase, 10); }
};

TEST_P(Stack, LinesOfAFunctionAndTheLineOfAnAddress) {
    const Function& fact = Fn(1, "fact");
    FunctionLines lines = LinesOfFunction(info, 1, fact);
    EXPECT_EQ(lines.file, 0);
    std::vector<unsigned> got;
    for (const LineEntry& e : lines.entries) got.push_back(e.line);
    EXPECT_EQ(got, (std::vector<unsigned>{10, 11, 12, 13, 14}));  // main's and twice's are not fact's
    EXPECT_EQ(LineInFunction(lines, fact, code + 0x58), 12u);
    EXPECT_EQ(LineInFunction(lines, fact, code + 0x70), 14u);
    EXPECT_EQ(LineInFunction(lines, fact, code + 0x9F), 14u);  // the epilogue after the last entry
    EXPECT_EQ(LineInFunction(lines, fact, code + kFactEnd), 0u);
    EXPECT_EQ(LineInFunction(lines, fact, code + 0x3F), 0u);
    EXPECT_EQ(LineStartingAt(lines, code + 0x60), 13u);
    EXPECT_EQ(LineStartingAt(lines, code + 0x58), 0u);

    const Function& twice = Fn(1, "twice");
    FunctionLines t = LinesOfFunction(info, 1, twice);
    EXPECT_EQ(LineInFunction(t, twice, code + kTwice), 0u);  // before its first entry
    EXPECT_EQ(LineStartingAt(t, code + 0xB0), 22u);          // of two entries at one address, the last
    EXPECT_EQ(LineInFunction(t, twice, code + 0xB4), 22u);
    FunctionLines none = LinesOfFunction(info, 2, Fn(2, "raw"));
    EXPECT_TRUE(none.Empty());
    EXPECT_EQ(none.file, -1);
}

TEST_P(Stack, EveryCallFormBeforeAReturnAddress) {
    bool is64 = GetParam();
    auto test = [&](std::uint64_t w, const ByteVec& before) {
        test::FakeMemory m;
        m.Put(w - before.size(), before.data(), before.size());
        return TestReturnAddress(*target, w, m.Reader());
    };
    const std::uint64_t W = 0x5000;
    ReturnTest r = test(W, {0x90, 0x90, 0xE8, 0x00, 0x01, 0x00, 0x00});
    EXPECT_TRUE(r.isReturn);
    EXPECT_EQ(r.target, W + 0x100);
    // Only the five bytes of the call are readable: the page before is not.
    EXPECT_EQ(test(W, {0xE8, 0x00, 0xA0, 0xFF, 0xFF}).target, is64 ? 0xFFFFFFFFFFFFF000ull : 0xFFFFF000ull);
    EXPECT_EQ(test(W, {0xFF, 0xD3}).target, W);                                       // call ebx
    EXPECT_EQ(test(W, {0x41, 0xFF, 0xD3}).target, W);                                 // call r11
    EXPECT_EQ(test(W, {0xFF, 0x56, 0x08}).target, W);                                 // call [esi+8]
    EXPECT_EQ(test(W, {0xFF, 0x54, 0x24, 0x08}).target, W);                           // call [esp+8]
    EXPECT_EQ(test(W, {0xFF, 0x96, 0x00, 0x01, 0x00, 0x00}).target, W);               // call [esi+256]
    EXPECT_EQ(test(W, {0x48, 0xFF, 0x94, 0x24, 0x00, 0x01, 0x00, 0x00}).target, W);   // call [rsp+256]
    r = test(W, {0xFF, 0x15, 0x00, 0x20, 0x40, 0x00});
    EXPECT_TRUE(r.isReturn);
    EXPECT_EQ(r.target, is64 ? W + 0x402000 : 0x402000u);  // RIP-relative on amd64, absolute on i386
    EXPECT_FALSE(test(W, {0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90}).isReturn);
    EXPECT_FALSE(test(W, {0x90, 0xFF, 0x54, 0x24}).isReturn);  // ModRM asks for a SIB that is not there
    EXPECT_FALSE(test(0xFFF, {0xFF, 0xD3}).isReturn);           // too low for code
    EXPECT_FALSE(TestReturnAddress(*target, W, test::FakeMemory().Reader()).isReturn);  // unreadable
}

TEST_P(Stack, RecursionWalksEachFrameWithItsOwnPointerAndArguments) {
    const std::uint64_t f1 = 0x7E00, f2 = 0x7E40, f3 = 0x7E80, fm = 0x7EC0;
    FactFrame(f1, f2, code + kFactReturn, 1);
    FactFrame(f2, f3, code + kFactReturn, 2);
    FactFrame(f3, fm, code + kMainReturn, 3);
    mem.Word(fm, 0x7F00, w), mem.Word(fm + w, 0x7777, w);
    regs.ip = code + 0x48;
    regs.general[kBp] = f1, regs.general[kSp] = f1 - 0x20;
    std::vector<Frame> frames = Walk();
    ASSERT_EQ(frames.size(), 4u);  // the entry function's frame is the last
    EXPECT_EQ(frames[0].text, "fact: C:\\src\\stack.c: 11");
    // The call is the last instruction of line 12: the return address starts line 13.
    EXPECT_EQ(frames[1].text, "fact: C:\\src\\stack.c: 12");
    EXPECT_EQ(frames[2].text, "fact: C:\\src\\stack.c: 12");
    EXPECT_EQ(frames[3].text, "main: C:\\src\\stack.c: 5");
    EXPECT_EQ(frames[1].address, code + kFactReturn);
    EXPECT_EQ(frames[3].line, 5u);
    const std::uint64_t fps[] = {f1, f2, f3, fm};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(frames[i].framePointer, fps[i]);
    std::string text = Hex(GetParam() ? 0x10000A020ull : 0xA020);
    EXPECT_EQ(frames[1].arguments,
              (std::vector<std::string>{Arg("int", "n", "2"), Arg("char *", "name", text + " \"aa\""),
                                        Arg("unsigned int", "flags", "3000000000"),
                                        Arg("* int", "p", GetParam() ? "0x123456789" : "0x23456789")}));
    EXPECT_EQ(frames[0].arguments[0], Arg("int", "n", "1"));
    EXPECT_EQ(frames[2].arguments[0], Arg("int", "n", "3"));
    EXPECT_EQ(frames[3].arguments, (std::vector<std::string>{"        (void)"}));
    // The argument list ends at the first unreadable argument.
    mem.bytes.erase(f2 + 3 * w);
    EXPECT_EQ(Walk()[1].arguments, (std::vector<std::string>{Arg("int", "n", "2")}));
}

TEST_P(Stack, LocalsOfTheChosenFrame) {
    const std::uint64_t f1 = 0x7E00, f2 = 0x7E40, f3 = 0x7E80;
    FactFrame(f1, f2, code + kFactReturn, 1);
    FactFrame(f2, f3, code + kFactReturn, 2);
    FactFrame(f3, 0x7EC0, code + kMainReturn, 3);
    mem.Word(f2 - 16, 5, 4), mem.Word(f2 - 12, 6, 4);  // pt in the middle frame
    regs.ip = code + 0x48;
    regs.general[kBp] = f1, regs.general[kSp] = f1 - 0x20, regs.general[kAx] = 0xFFFFFFF6;
    std::vector<Frame> frames = Walk();
    ASSERT_EQ(frames.size(), 4u);
    const Function& fact = Fn(1, "fact");
    info.currentModule = 1, info.currentFunction = 0;  // main is the tables' current function
    EvalContext ctx{&info, mem.Reader(), &regs, 0, 10};
    for (int i = 0; i < 3; ++i) {
        ctx.framePointer = frames[i].framePointer;
        std::vector<std::string> lines = LocalsText(ctx, 1, fact, frames[i].address);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[0], "n = " + std::to_string(i + 1));
        EXPECT_EQ(lines[1], "count = <evaluation failed>");  // below the frame: never written
        EXPECT_EQ(lines[5], "r = -10");
        if (i == 1) {
            EXPECT_EQ(lines[6], "pair  pt = { x: 5 y: 6  }");  // its line breaks made blanks
        }
    }
    EXPECT_EQ(info.currentFunction, 0);  // given back
    EXPECT_TRUE(LocalsText(ctx, 1, fact, code + kFact).empty());  // before the debug start
}

TEST_P(Stack, ADamagedChainEndsTheWalk) {
    const std::uint64_t fp = 0x7E00;
    regs.ip = code + 0x48;
    regs.general[kBp] = fp, regs.general[kSp] = fp - 0x20;
    for (std::uint64_t next : {fp, fp - 0x40, kBase + 0x10, kBase}) {  // itself, down, past the base
        FactFrame(fp, next, code + kFactReturn, 1);
        EXPECT_EQ(Walk().size(), 1u) << Hex(next);
    }
    mem.bytes.erase(fp);  // unreadable
    EXPECT_EQ(Walk().size(), 1u);
    // A long chain that never reaches the entry function stops at the cap.
    for (std::uint64_t f = 0x10000, i = 0; i < kMaxFrames + 10; ++i, f += 0x40) FactFrame(f, f + 0x40, code + kFactReturn, 1);
    regs.general[kBp] = 0x10000, regs.general[kSp] = 0x10000 - 0x20;
    EXPECT_EQ(Walk().size(), kMaxFrames);
}

TEST_P(Stack, FramesOutsideFunctionsAndModules) {
    const std::uint64_t f1 = 0x7E00, f2 = 0x7E40, f3 = 0x7E80;
    regs.general[kBp] = f1, regs.general[kSp] = f1 - 0x20;
    regs.ip = code + kRaw + 4;
    mem.Word(f1, f2, w), mem.Word(f1 + w, dll + kDllReturn, w);
    mem.Word(f2, f3, w), mem.Word(f2 + w, code + kGap + 5, w);
    mem.Word(f3, 0x7F00, w), mem.Word(f3 + w, 0x5000, w);
    std::vector<Frame> frames = Walk();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].text, "raw: unknown line at " + Hex(code + kRaw + 4));
    EXPECT_EQ(frames[1].text, "kern.dll " + Hex(dll + kDllReturn));
    EXPECT_EQ(frames[2].text, "stack.obj: " + Hex(code + kGap + 5) + (GetParam() ? " gap" : " _gap"));
    EXPECT_EQ(frames[3].text, "unknown 0x5000");  // and the walk ends there
}

TEST_P(Stack, TheSearchSkipsLibrariesAndFindsTheCallerWithSource) {
    const std::uint64_t sp = 0x7C00;
    regs.general[kSp] = sp;
    regs.ip = dll + 0x30;                        // stopped in the DLL
    for (std::uint64_t a = sp; a < sp + 0x100; a += w) mem.Word(a, 0, w);
    mem.Word(sp, 0x1234, w);                     // data
    mem.Word(sp + w, dll + kDllReturn, w);       // a call inside the DLL
    mem.Word(sp + 2 * w, code + 0x30, w);        // in the program, but no call before it
    mem.Word(sp + 3 * w, code + kFactReturn, w);
    StackSearch s = FindCurrentFunction(info, *target, regs, mem.Reader(), sp + 0x100);
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.module, 1);
    EXPECT_EQ(info.modules[1].Functions()[s.function].name, "fact");
    EXPECT_EQ(s.line, 12u);
    EXPECT_EQ(s.file, "C:\\src\\stack.c");
    EXPECT_EQ(s.address, code + kFactReturn);
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.log, (std::vector<std::string>{" + Read 256 bytes of stack (" + Hex(sp + 0x100).substr(2) + "-7c00)",
                                               " + kern.dll " + Hex(dll + 0x30), " + CurrentFunction fact, line 12",
                                               "FindCurrentFunctionInStack returns 1"}));
    // Stopped in the program itself: the instruction pointer's own line.
    regs.ip = code + 0x70;
    EXPECT_EQ(FindCurrentFunction(info, *target, regs, mem.Reader(), sp + 0x100).line, 14u);
    // A function of the program without lines ends the search.
    regs.ip = code + kRaw;
    s = FindCurrentFunction(info, *target, regs, mem.Reader(), sp + 0x100);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.log.back(), "FindCurrentFunctionInStack failed");
    EXPECT_EQ(s.log[1], "FindCurrentFunctionInStack can't build line number info");
}

TEST_P(Stack, TheSearchReadsOnlyTheTopOfTheStack) {
    const std::uint64_t sp = 0x20000;
    regs.general[kSp] = sp;
    regs.ip = dll + 0x30;
    for (std::uint64_t a = sp; a < sp + 0x2000; a += w) mem.Word(a, 0, w);
    mem.Word(sp + kStackSearchLimit, code + kFactReturn, w);  // just beyond the top 4096 bytes
    StackSearch s = FindCurrentFunction(info, *target, regs, mem.Reader(), sp + 0x2000);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.log.front().substr(0, 23), " + Read 4096 bytes of s");
    mem.Word(sp + kStackSearchLimit - w, code + kFactReturn, w);
    EXPECT_TRUE(FindCurrentFunction(info, *target, regs, mem.Reader(), sp + 0x2000).found);
    // The base of another thread's stack lies below this one: the top is read anyway.
    EXPECT_TRUE(FindCurrentFunction(info, *target, regs, mem.Reader(), 0x1000).found);
    // Only the stack pointer's page can be read.
    mem.bytes.clear();
    regs.general[kSp] = 0x7F800;
    mem.Word(0x7FF00, code + kFactReturn, w);
    for (std::uint64_t a = 0x7F800; a < 0x80000; a += w) mem.Word(a, a == 0x7FF00 ? code + kFactReturn : 0, w);
    mem.Put(code, StackSpec(GetParam()).text.data(), 0x100);
    s = FindCurrentFunction(info, *target, regs, mem.Reader(), 0);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.log.front(), " + Read 2048 bytes of stack (0-7f800)");
}

TEST_P(Stack, AnUnreadableStackIsReported) {
    regs.general[kSp] = 0x300;
    StackSearch s = FindCurrentFunction(info, *target, regs, mem.Reader(), 0x1000);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.error, "Error reading the stack (esp is 768)\nProbably stack overflow");
    regs.general[kSp] = 0x500000;
    s = FindCurrentFunction(info, *target, regs, mem.Reader(), 0x501000);
    EXPECT_EQ(s.error, "Impossible to read the stack from the application\n.Unable to continue");
    EXPECT_EQ(s.log, std::vector<std::string>{s.error});
}

TEST_P(Stack, StackDumpMarksTheFramePointer) {
    regs.general[kSp] = 0x7000, regs.general[kBp] = 0x7000 + 2 * w;
    for (unsigned i = 0; i < 20; ++i) mem.Word(0x7000 + i * w, i == 0 ? ~0ull : i, w);
    std::string dump = StackDumpText(*target, regs, mem.Reader(), 10);
    std::string wb = std::to_string(w), w2 = std::to_string(2 * w);
    EXPECT_EQ(dump.substr(0, dump.find("[" + std::to_string(3 * w) + "]")), "[0] -1\n[" + wb + "] 1\n<--ebp-->\n[" + w2 + "] 2\n");
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 16);
    EXPECT_EQ(StackDumpText(*target, regs, mem.Reader(), 16).substr(0, 7 + 2 * w), "[0] 0x" + std::string(2 * w, 'f') + "\n");
    mem.bytes.erase(0x7000 + 3 * w);
    EXPECT_EQ(StackDumpText(*target, regs, mem.Reader(), 10), "[0] -1\n[" + wb + "] 1\n<--ebp-->\n[" + w2 + "] 2\n");
}

INSTANTIATE_TEST_SUITE_P(Machines, Stack, ::testing::Bool());

// The nearby variables, on the image whose types cover every kind of value.
struct Nearby : ::testing::TestWithParam<bool>, test::ValueRun {
    test::ScopedScriptedUi ui;
    Registers regs;
    EvalContext ctx;
    static constexpr std::uint64_t kFrame = 0x7F000, kNode = 0x9000;
    void SetUp() override {
        ASSERT_TRUE(Open(GetParam()));
        info.currentModule = 1, info.currentFunction = 0;
        ctx = {&info, mem.Reader(), &regs, kFrame, 10};
        mem.Word(kFrame - 4, 77, 4);
        mem.Word(kFrame - 16, kNode, ptr);
        mem.Word(kNode, 10, 4);
        for (int i = 0; i < 30; ++i) mem.Word(kFrame - 200 + 4 * i, i, 4);
        mem.Word(data + test::kGIndex, 2, 4);
        mem.Word(data + test::kGBig, 5, 8);
        mem.Word(data + test::kGOuter + 8 + ptr, 7, 4);
    }
};

TEST_P(Nearby, LinesAroundTheCurrentOneAndReturnedValues) {
    FunctionLines lines;
    lines.module = 1, lines.file = 0;
    for (unsigned i = 0; i < 6; ++i) lines.entries.push_back({code + 8 * i, 10 + i});
    auto source = [](unsigned line) -> std::string {
        switch (line) {
        case 9: return "g_big;";
        case 10: return "LIMIT;";
        case 11: return "count = count + 1;";
        case 12: return "p->x = g_index; /* p */";
        case 13: return "if (p) return;";
        case 14: return "x = arr[g_index];";
        default: return "g_outer; g_number;";
        }
    };
    const ReturnedValue returned[] = {{code, 0xFFFFFFFFFFFFFFFEull}, {0x1234, 5}};
    std::vector<std::string> out = NearbyVariablesText(ctx, lines, 12, source, returned);
    std::string wide = GetParam() ? "fffffffffffffffe" : "fffffffe";
    EXPECT_EQ(out, (std::vector<std::string>{"count = 77", "p->x = 10", "g_index = 2", "* point  p = { ... } 0x9000",
                                             "arr[g_index] = 2", "main() returns -2 (0x" + wide + ")",
                                             "0x1234() returns 5 (0x5)"}));
    // On the first entry the line before it is taken too.
    out = NearbyVariablesText(ctx, lines, 10, source, {});
    EXPECT_EQ(out, (std::vector<std::string>{"g_big = 5", "LIMIT = 42", "count = 77", "p->x = 10", "g_index = 2"}));
    // A value of several lines is cut where a piece has grown past 40 characters.
    mem.Word(data + test::kGNumber, 0x41424344, 4);
    out = NearbyVariablesText(ctx, lines, 15, source, {});
    EXPECT_EQ(out, (std::vector<std::string>{"g_index = 2", "arr[g_index] = 2",
                                             "outer  g_outer = { where: " + Hex(data + test::kGOuter) + " tone: LIGHT", "       }",
                                             "number  g_number = { i: 1094861636 f: 12.141422271728516",
                                             "      bytes: " + Hex(data + test::kGNumber) + "  }"}));
    EXPECT_TRUE(NearbyVariablesText(ctx, lines, 99, source, {}).empty());  // a line without code
}

INSTANTIATE_TEST_SUITE_P(Machines, Nearby, ::testing::Bool());

}  // namespace
}  // namespace tarvo::debugger
