// Stepping on the real program of each machine, driven by scripted events: calls are run to a
// breakpoint of the step's own that a deeper activation passes, a step ends on another line,
// step into stops on the callee's first line and step out comes back, a loop inside a line runs
// to the other lines, run to cursor and set next statement.
#include <gtest/gtest.h>

#include "debugger/call_stack.h"
#include "debugger/debug_queries.h"
#include "debugger/engine.h"
#include "debugger/instructions.h"
#include "engine_fixture.h"

namespace tarvo::debugger {
namespace {

using namespace test_engine;

class Stepping : public EngineRun {
protected:
    std::uint64_t sp = 0xF000, fp = 0xF080;
    unsigned size = 4;
    // Stopped at main's first line, the registers of a plausible frame.
    void StopInMain() {
        Start();
        e.Handle(loader);
        const Breakpoint toMain = e.breakpoints.Records().front();
        DebugEvent at = Hit(toMain.address, kMain);
        ASSERT_TRUE(e.Handle(at).stop);
        size = e.target->pointerSize;
        MoveTo(Line(29).address);
    }
    void MoveTo(std::uint64_t ip) {
        Registers& r = p.threads[kMain];
        r.ip = ip, r.general[kSp] = sp, r.general[kBp] = fp;
    }
    Instruction Decode(std::uint64_t address) {
        std::uint8_t bytes[16] = {};
        p.Read(address, bytes, sizeof bytes);
        return DecodeInstruction(*e.target, Bytes(bytes), address);
    }
    // The call in a line of main whose target is the function (direct), or the first call
    // through memory. The line's code may come in several pieces.
    std::uint64_t CallIn(unsigned line, std::uint64_t target, bool throughMemory = false) {
        FunctionHit main = FindFunction(debugInfo(), "main");
        const Function& f = debugInfo().modules[main.module].Functions()[main.function];
        FunctionLines lines = LinesOfFunction(debugInfo(), main.module, f);
        for (std::size_t n = 0; n < lines.entries.size(); ++n) {
            if (lines.entries[n].line != line) continue;
            std::uint64_t end = n + 1 < lines.entries.size() ? lines.entries[n + 1].address : f.end;
            for (std::uint64_t a = lines.entries[n].address; a < end; ++a) {
                Instruction i = Decode(a);
                if (i.kind != InstructionKind::Call) continue;
                if (throughMemory ? i.memory && p.Byte(a) == 0xFF : !i.indirect && i.target == target) return a;
            }
        }
        ADD_FAILURE() << "no call in line " << line;
        return 0;
    }
    std::uint64_t StartOf(const char* name) {
        FunctionHit f = FindFunction(debugInfo(), name);
        EXPECT_TRUE(f) << name;
        return f ? debugInfo().modules[f.module].Functions()[f.function].start : 0;
    }
    Reply BreakAt(std::uint64_t address) {
        DebugEvent ev = Hit(address, kMain);
        p.threads[kMain].general[kSp] = sp, p.threads[kMain].general[kBp] = fp;
        return e.Handle(ev);
    }
    const Breakpoint* StepBreakpointAt(std::uint64_t address) {
        for (const Breakpoint& b : e.breakpoints.Records())
            if (b.address == address && (b.flags & kBreakStep)) return &b;
        return nullptr;
    }
    bool Tracing() { return p.threads[kMain].flags & kTraceFlag; }
};

TEST_P(Stepping, StepOverRunsACallToItsReturnPassesDeeperActivationsAndStopsOnTheNextLine) {
    StopInMain();
    StepStart s = e.StepOver();
    ASSERT_TRUE(s.ok) << s.problem;
    EXPECT_TRUE(s.resume);
    ASSERT_TRUE(e.step.Active());
    EXPECT_EQ(e.step.line, 29u);

    std::uint64_t call = CallIn(29, StartOf("util_sum"));
    MoveTo(call);
    EXPECT_FALSE(Step(kMain).stop);
    const Breakpoint* back = StepBreakpointAt(call + 5);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->flags & kBreakReturnCapture);
    EXPECT_EQ(back->stackPointer, sp);
    EXPECT_EQ(back->callTarget, StartOf("util_sum"));
    EXPECT_EQ(p.Byte(call + 5), kBreakInstruction);
    EXPECT_FALSE(Tracing());  // the call runs at full speed

    // A deeper activation (the callee recursing into main) passes; the breakpoint comes back.
    std::uint64_t outer = sp;
    sp = outer - 0x200;
    EXPECT_FALSE(BreakAt(call + 5).stop);
    EXPECT_NE(StepBreakpointAt(call + 5), nullptr);
    EXPECT_TRUE(Tracing());
    EXPECT_FALSE(Step(kMain).stop);
    EXPECT_EQ(p.Byte(call + 5), kBreakInstruction);
    EXPECT_FALSE(Tracing());

    // The real return: the result is collected and the step goes on along the line.
    sp = outer;
    p.threads[kMain].general[kAx] = 77;
    EXPECT_FALSE(BreakAt(call + 5).stop);
    ASSERT_FALSE(e.returned.empty());
    EXPECT_EQ(e.returned.back().function, StartOf("util_sum"));
    EXPECT_EQ(e.returned.back().value, 77u);
    EXPECT_EQ(StepBreakpointAt(call + 5), nullptr);
    EXPECT_NE(p.Byte(call + 5), kBreakInstruction);

    // A repeated entry of the same line does not end the step; the next line does.
    FunctionLines lines = LinesOfFunction(debugInfo(), e.step.module, e.step.function);
    for (const LineEntry& entry : lines.entries)
        if (entry.line == 29 && entry.address > call) {
            MoveTo(entry.address);
            EXPECT_FALSE(Step(kMain).stop) << "a row of the same line";
        }
    MoveTo(Line(30).address);
    Reply r = Step(kMain);
    EXPECT_TRUE(r.stop);
    EXPECT_TRUE(Has(r, Notice::ShowLine, "cv_main.c"));
    EXPECT_EQ(e.stoppedLine, 30u);
    EXPECT_FALSE(e.step.Active());
    EXPECT_FALSE(Tracing());
}

TEST_P(Stepping, StepIntoStopsOnTheCalleesFirstLineAndStepOutComesBackToTheCaller) {
    StopInMain();
    // Through the import table into a system DLL without lines: stepped over.
    ASSERT_TRUE(e.StepInto().ok);
    std::uint64_t import = CallIn(29, 0, true);
    MoveTo(import);
    EXPECT_FALSE(Step(kMain).stop);
    EXPECT_NE(StepBreakpointAt(import + Decode(import).length), nullptr) << "the call runs to its return";
    e.ClearStep();

    // The decision at the step's start: the call is the first instruction.
    std::uint64_t call = CallIn(29, StartOf("twice"));
    MoveTo(call);
    ASSERT_TRUE(e.StepInto().ok);
    FunctionHit twice = FindFunction(debugInfo(), "twice");
    const Function& callee = debugInfo().modules[twice.module].Functions()[twice.function];
    const Breakpoint* first = nullptr;
    for (const Breakpoint& b : e.breakpoints.Records())
        if ((b.flags & kBreakStep) && b.address > callee.start && b.address < callee.end) first = &b;
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->flags & kBreakReturnCapture);
    std::uint64_t firstLine = first->address;
    sp -= 0x40;
    Reply r = BreakAt(firstLine);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(e.stoppedLine, 12u);  // after the frame is set up
    EXPECT_TRUE(e.returned.empty());

    // Step out: to the return address of the frame, for this frame only.
    std::uint64_t returnTo = call + 5;
    fp = sp + 0x10;
    MoveTo(firstLine);
    p.written.clear();
    for (unsigned i = 0; i < size; ++i) p.written[fp + size + i] = static_cast<std::uint8_t>(returnTo >> (8 * i));
    ASSERT_TRUE(e.StepOut().ok);
    const Breakpoint* out = StepBreakpointAt(returnTo);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->stackPointer, fp + 2 * size);
    sp = fp + 2 * size - 0x100;  // a deeper activation returning to the same place
    EXPECT_FALSE(BreakAt(returnTo).stop);
    sp = fp + 2 * size;
    r = BreakAt(returnTo);
    EXPECT_FALSE(r.stop);  // in the middle of the call's line: on to the next
    EXPECT_EQ(e.step.line, 29u);
    MoveTo(Line(30).address);
    r = Step(kMain);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(e.stoppedLine, 30u);
}

TEST_P(Stepping, ALoopInsideALineRunsToTheOtherLinesAndAStopOnABreakpointLiftsIt) {
    StopInMain();
    LineHit line30 = Line(30);
    ASSERT_EQ(e.ToggleLine(line30.module, line30.file, 30).outcome, Toggle::Set);
    ASSERT_TRUE(e.StepOver().ok);
    std::uint64_t call = CallIn(29, StartOf("twice"));
    MoveTo(call - 1);
    e.step.mode = StepState::Tracing;
    EXPECT_FALSE(Step(kMain).stop);
    e.ClearStep();
    ASSERT_TRUE(e.StepOver().ok);
    e.step.last = call;  // as if the line had run that far: now it jumps back
    MoveTo(Line(29).address + 1);
    EXPECT_FALSE(Step(kMain).stop);
    EXPECT_EQ(e.step.mode, StepState::Running);
    EXPECT_NE(StepBreakpointAt(Line(30).address), nullptr);
    EXPECT_NE(StepBreakpointAt(Line(31).address), nullptr);
    EXPECT_EQ(StepBreakpointAt(Line(29).address + 1), nullptr);
    // The next line is reached: the step's breakpoints go; the user's stays, lifted for one step.
    Reply r = BreakAt(line30.address);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(e.stoppedLine, 30u);
    EXPECT_EQ(StepBreakpointAt(Line(31).address), nullptr);
    EXPECT_NE(p.Byte(Line(31).address), kBreakInstruction);
    EXPECT_NE(p.Byte(line30.address), kBreakInstruction);
    EXPECT_TRUE(Tracing());
}

TEST_P(Stepping, RunToCursorAndSetNextStatement) {
    StopInMain();
    StepStart s = e.RunToCursor("cv_main.c", 30);
    ASSERT_TRUE(s.ok);
    EXPECT_TRUE(s.resume);
    EXPECT_NE(StepBreakpointAt(Line(30).address), nullptr);
    EXPECT_FALSE(Tracing());
    Reply r = BreakAt(Line(30).address);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(StepBreakpointAt(Line(30).address), nullptr);

    EXPECT_EQ(e.SetNextStatement("cv_main.c", 32).problem, "Impossible to jump outside the current function");
    EXPECT_EQ(e.SetNextStatement("cv_util.c", 5).problem, "Impossible to jump outside the current function");
    s = e.SetNextStatement("cv_main.c", 26);
    ASSERT_TRUE(s.ok) << s.problem;
    EXPECT_FALSE(s.resume);
    EXPECT_EQ(s.line, 26u);
    EXPECT_EQ(p.threads[kMain].ip, Line(26).address);

    // Stopped at a breakpoint of the user's: a run to the cursor first steps off it, so that it
    // is written back (a loop's breakpoint stops again).
    LineHit line26 = Line(26);
    ASSERT_EQ(e.ToggleLine(line26.module, line26.file, 26).outcome, Toggle::Set);
    ASSERT_TRUE(BreakAt(line26.address).stop);
    ASSERT_TRUE(e.RunToCursor("cv_main.c", 30).resume);
    EXPECT_TRUE(Tracing());
    EXPECT_NE(p.Byte(line26.address), kBreakInstruction);
    EXPECT_FALSE(Step(kMain).stop);
    EXPECT_EQ(p.Byte(line26.address), kBreakInstruction);
    EXPECT_FALSE(Tracing());
}

INSTANTIATE_TEST_SUITE_P(Machines, Stepping, ::testing::Values("x86_64", "i686"));

}  // namespace
}  // namespace tarvo::debugger
