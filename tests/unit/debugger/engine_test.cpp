// The debug engine's core driven by scripted event sequences over a real program of each
// machine (built as the stand-ins build, with CodeView): the run to main, the loader
// breakpoint and the saved breakpoints, user breakpoints and their re-arming step, the
// program's own exceptions, other threads, the exit, the kill, and the patches of one address.
#include <gtest/gtest.h>

#include <map>

#include "debugger/debug_queries.h"
#include "debugger/engine.h"
#include "platform/text.h"

#include "engine_fixture.h"

namespace tarvo::debugger {
namespace {

using namespace test_engine;

TEST_P(EngineRun, RunsToMainStopsAtASavedBreakpointRearmsItAndFinishes) {
    Start({{"cv_main.c", 25}, {"elsewhere.c", 3}});
    // The run to main is the engine's own breakpoint, already in the code.
    ASSERT_EQ(e.breakpoints.Records().size(), 1u);
    const Breakpoint toMain = e.breakpoints.Records().front();
    EXPECT_EQ(toMain.flags, kBreakTemporary);
    EXPECT_EQ(p.Byte(toMain.address), kBreakInstruction);

    // The loader's breakpoint sets the saved ones; one whose file is no part of the program stays
    // waiting in the list, and the user hears of it.
    Reply r = e.Handle(loader);
    EXPECT_FALSE(r.stop);
    EXPECT_EQ(e.firstBreak, 1);
    EXPECT_TRUE(Has(r, Notice::MarkBreak, "cv_main.c"));
    EXPECT_TRUE(Has(r, Notice::Status, "Not all breakpoints could be restored"));
    ASSERT_EQ(e.pending.size(), 1u);
    EXPECT_EQ(e.pending[0].file, "elsewhere.c");
    LineHit line25 = Line(25);
    ASSERT_EQ(line25.line, 25u);
    std::uint8_t original25 = 0;
    ASSERT_TRUE(p.Read(line25.address, &original25, 1) && original25 == kBreakInstruction);
    original25 = static_cast<std::uint8_t>(p.image[*RvaToOffset(p.headers, Bytes(p.image), line25.address - base, 1)]);

    // main's first line: stopped there, the byte back, the record gone, the instruction pointer back.
    DebugEvent atMain = Hit(toMain.address, kMain);
    r = e.Handle(atMain);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(r.status, kContinueHandled);
    EXPECT_TRUE(Has(r, Notice::ShowLine, "cv_main.c"));
    EXPECT_EQ(e.stoppedLine, toMain.line);
    EXPECT_EQ(p.threads[kMain].ip, toMain.address);
    EXPECT_NE(p.Byte(toMain.address), kBreakInstruction);
    EXPECT_EQ(e.breakpoints.FindId(toMain.id), nullptr);
    EXPECT_EQ(e.PrepareResume(), kContinueHandled);

    // The user's breakpoint: stopped, lifted for one step, then armed again.
    DebugEvent at25 = Hit(line25.address, kMain);
    r = e.Handle(at25);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(p.Byte(line25.address), original25);
    EXPECT_TRUE(p.threads[kMain].flags & kTraceFlag);
    EXPECT_EQ(e.PrepareResume(), kContinueHandled);
    p.threads[kMain].ip += 3;
    r = Step(kMain);
    EXPECT_FALSE(r.stop);
    EXPECT_EQ(p.Byte(line25.address), kBreakInstruction);
    EXPECT_FALSE(p.threads[kMain].flags & kTraceFlag);

    DebugEvent exit;
    exit.kind = EventKind::ProcessEnd, exit.process = kProcess, exit.thread = kMain, exit.exitCode = 46;
    r = e.Handle(exit);
    EXPECT_TRUE(r.ended);
    EXPECT_TRUE(Has(r, Notice::Finished, "Finished. Return code 46"));
    EXPECT_EQ(e.saved.size(), 2u);  // the project's list is never shortened by a run
}

TEST_P(EngineRun, TheProgramsOwnExceptionsGoBackToIt) {
    Start();
    e.Handle(loader);
    // A first-chance fault is the program's to handle.
    DebugEvent fault = Hit(base + 0x1010, kMain, kExceptionAccessViolation);
    fault.parameters = {1, 0};
    Reply r = e.Handle(fault);
    EXPECT_FALSE(r.stop);
    EXPECT_EQ(r.status, kContinueNotHandled);
    // A second-chance one stops with its report; Go passes it on, so the program ends.
    fault.firstChance = false;
    r = e.Handle(fault);
    EXPECT_TRUE(r.stop);
    EXPECT_TRUE(Has(r, Notice::Exception, "Access Violation - Second Chance"));
    EXPECT_TRUE(Has(r, Notice::Exception, "  1 0x1 1"));
    // Logged, then the search of the stack for the nearest source (this stack cannot be read).
    const std::deque<std::string>& log = e.log.Lines();
    std::string logged = "Exception: Access Violation at address 0x" +
                         Printf("%llx", static_cast<unsigned long long>(base + 0x1010)) + " - Second Chance";
    EXPECT_NE(std::find(log.begin(), log.end(), logged), log.end());
    EXPECT_EQ(log.back(), ".Unable to continue");
    EXPECT_TRUE(Has(r, Notice::Status, "Impossible to read the stack from the application"));
    EXPECT_EQ(e.PrepareResume(), kContinueNotHandled);
    // A raised exception of the program's own (a C++ throw) stops at its first chance, and
    // returns to the program's handlers, not as if handled.
    DebugEvent thrown = Hit(base + 0x1020, kMain, 0xE06D7363);
    r = e.Handle(thrown);
    EXPECT_TRUE(r.stop);
    EXPECT_TRUE(Has(r, Notice::Exception, "Unknown (code -529697949)"));
    EXPECT_EQ(e.PrepareResume(), kContinueNotHandled);
    EXPECT_EQ(e.PrepareResume(), kContinueHandled);  // only once
}

TEST_P(EngineRun, ABreakpointInAnotherThreadMovesThatThreadOnly) {
    Start();
    e.Handle(loader);
    LineHit line = Line(29);
    ASSERT_EQ(e.ToggleLine(line.module, line.file, 29).outcome, Toggle::Set);
    p.threads[kMain].ip = 0x1234;
    DebugEvent created;
    created.kind = EventKind::ThreadStart, created.process = kProcess, created.thread = kOther;
    e.Handle(created);
    DebugEvent hit = Hit(line.address, kOther);
    Reply r = e.Handle(hit);
    EXPECT_TRUE(r.stop);
    EXPECT_EQ(p.threads[kOther].ip, line.address);
    EXPECT_TRUE(p.threads[kOther].flags & kTraceFlag);
    EXPECT_EQ(p.threads[kMain].ip, 0x1234u);
    EXPECT_FALSE(p.threads[kMain].flags & kTraceFlag);
    // The main thread's step does not re-arm the other thread's breakpoint.
    EXPECT_FALSE(Step(kMain).stop);
    EXPECT_NE(p.Byte(line.address), kBreakInstruction);
    EXPECT_FALSE(Step(kOther).stop);
    EXPECT_EQ(p.Byte(line.address), kBreakInstruction);
}

TEST_P(EngineRun, PassCountsForeignBreakpointsAndChildProcesses) {
    Start();
    e.Handle(loader);
    LineHit line = Line(28);
    ASSERT_EQ(e.ToggleLine(line.module, line.file, 28).outcome, Toggle::Set);
    Breakpoint* b = e.breakpoints.Find(line.address);
    b->flags |= kBreakPassCount, b->passCount = 2;
    for (int pass = 0; pass < 2; ++pass) {
        DebugEvent hit = Hit(line.address, kMain);
        EXPECT_FALSE(e.Handle(hit).stop) << pass;
        EXPECT_FALSE(Step(kMain).stop);
    }
    DebugEvent hit = Hit(line.address, kMain);
    EXPECT_TRUE(e.Handle(hit).stop);
    // Toggling the same line again takes it out and puts the program's byte back.
    EXPECT_EQ(e.ToggleLine(line.module, line.file, 28).outcome, Toggle::Removed);
    EXPECT_NE(p.Byte(line.address), kBreakInstruction);

    // A breakpoint instruction of the program's own stops with a report.
    DebugEvent own = Hit(base + 0x1001, kMain);
    Reply r = e.Handle(own);
    EXPECT_TRUE(r.stop);
    EXPECT_TRUE(Has(r, Notice::Status, "Breakpoint found in code:\n + Address 0x"));
    // A child's creation is logged and its loader breakpoint passes.
    DebugEvent child = Created();
    child.process = kProcess + 1;
    EXPECT_FALSE(e.Handle(child).stop);
    EXPECT_EQ(e.log.Lines().back().rfind("Create Process. hProcess 0x", 0), 0u);
    DebugEvent childLoader = Hit(0x7f0000, kMain);
    EXPECT_FALSE(e.Handle(childLoader).stop);
    EXPECT_TRUE(e.Handle(childLoader).stop);  // only the first
}

TEST_P(EngineRun, TheKillRestoresTheCodeAndCallsTheProgramsExit) {
    Start();
    e.Handle(loader);
    LineHit line = Line(30);
    ASSERT_EQ(e.ToggleLine(line.module, line.file, 30).outcome, Toggle::Set);
    p.threads[kMain].flags |= kTraceFlag;
    p.threads[kMain].dr7 = 0x1;
    // The C runtime's exit first (it runs the program's exit handlers), else ExitProcess; only
    // one whose import slot gave an address.
    const Import* exit = FindImport(debugInfo(), "msvcrt.dll", "exit");
    if (!exit || !exit->address) exit = FindImport(debugInfo(), "kernel32.dll", "ExitProcess");
    ASSERT_TRUE(exit);
    KillPlan plan = e.PrepareKill();
    EXPECT_NE(p.Byte(line.address), kBreakInstruction);
    EXPECT_TRUE(e.breakpoints.Records().empty());
    const Registers& regs = p.threads[kMain];
    EXPECT_FALSE(regs.flags & kTraceFlag);
    EXPECT_EQ(regs.dr7, 0u);
    ASSERT_TRUE(exit->address);
    EXPECT_FALSE(plan.terminate);
    EXPECT_EQ(regs.ip, exit->address);
    EXPECT_LT(regs.Sp(), 0x10000u - 0x200);
    EXPECT_EQ(p.Byte(regs.Sp()), 0);  // the return address: nowhere
    // Without a trusted exit function the process is terminated.
    for (auto& image : debugInfo().images)
        for (Import& imp : image->imports) imp.address = 0;
    EXPECT_TRUE(e.PrepareKill().terminate);
}

// A data breakpoint fires at the step after the write: reported with old and new value, its
// slot cleared; a stale status bit never reports a second time.
TEST_P(EngineRun, ADataBreakpointFiresOnceAndIsCleared) {
    Start();
    e.Handle(loader);
    SymbolHit counter = FindSymbol(debugInfo(), "global_counter");
    ASSERT_TRUE(counter);
    std::uint64_t watched = counter.entry->value;
    std::uint32_t before = 0;
    ASSERT_TRUE(p.Read(watched, &before, 4));
    DataSlot slot;
    slot.address = watched, slot.size = 4, slot.access = 1, slot.enabled = true;
    std::string problem;
    ASSERT_TRUE(e.SetDataSlot(1, slot, problem)) << problem;
    EXPECT_EQ(p.threads[kMain].dr[1], watched);
    EXPECT_TRUE(p.threads[kMain].dr7 & 0x4);
    // Go arms the registers after one step.
    e.PrepareResume();
    EXPECT_TRUE(p.threads[kMain].flags & kTraceFlag);
    EXPECT_FALSE(Step(kMain).stop);
    std::uint32_t after = before + 7;
    e.process.write(watched, &after, 4);
    p.threads[kMain].dr6 = 0x2;
    Reply r = Step(kMain);
    EXPECT_TRUE(r.stop);
    EXPECT_TRUE(Has(r, Notice::Status, "Data breakpoint 2 (at address 0x")) << r.notices[0].text;
    EXPECT_TRUE(Has(r, Notice::Status, Printf("New value: %u", after)));
    EXPECT_EQ(p.threads[kMain].dr6 & 0xF, 0u);
    EXPECT_EQ(p.threads[kMain].dr[1], 0u);
    EXPECT_FALSE(p.threads[kMain].dr7 & 0x4);
    EXPECT_FALSE(Step(kMain).stop);
    // An unaligned address is refused and the slot stays as it was.
    slot.address = watched + 1;
    EXPECT_FALSE(e.SetDataSlot(0, slot, problem));
    EXPECT_NE(problem.find("multiple of 4"), std::string::npos) << problem;
    EXPECT_EQ(e.slots[0].address, 0u);
}

// An attach to a program that kept the context of its failure puts it back there, but only a
// context whose instruction pointer lies in the program and whose stack is below its base.
TEST_P(EngineRun, AnAttachTakesTheProgramsSavedContextOnlyWhenItIsSound) {
    e.attaching = true;
    Start();
    ASSERT_TRUE(e.target);
    Image& exe = *debugInfo().images[0];
    const std::uint64_t holder = 0x5000, context = 0x6000, stack = 0x5100;
    auto add = [&](const char* name, std::uint64_t address) {
        CoffSymbol c;
        c.name = name;
        c.address = address;
        exe.coff.push_back(c);
    };
    add("__CurrentContext", holder);
    add("__InitialStack", stack);
    bool wide = e.target->pointerSize == 8;
    std::vector<std::uint8_t> blob(wide ? ContextSize(*e.target) : kI386SavedContextSize);
    Registers saved;
    saved.ip = base + p.headers.entryPoint;
    saved.general[kSp] = 0x3000;
    saved.general[kAx] = 77;
    saved.dr7 = 0x55;  // the thread keeps its own debug registers
    std::vector<std::uint8_t> full(ContextSize(*e.target));
    ASSERT_TRUE(EncodeContext(*e.target, saved, full));
    std::copy(full.begin(), full.begin() + static_cast<long>(blob.size()), blob.begin());
    auto put = [&](std::uint64_t at, const void* data, std::size_t n) { e.process.write(at, data, n); };
    put(holder, &context, e.target->pointerSize);
    std::uint64_t stackBase = 0x4000;
    put(stack, &stackBase, e.target->pointerSize);
    put(context, blob.data(), blob.size());
    Reply r = e.Handle(loader);
    EXPECT_FALSE(r.stop);
    EXPECT_EQ(p.threads[kMain].ip, saved.ip);
    EXPECT_EQ(p.threads[kMain].Ax(), 77u);
    EXPECT_EQ(p.threads[kMain].dr7, 0u);
    EXPECT_EQ(e.stackBase, 0x4000u);

    // A context pointing outside the program is refused, and the thread is left as it was.
    e.firstBreak = 0;
    saved.ip = 0x10;
    ASSERT_TRUE(EncodeContext(*e.target, saved, full));
    put(context, full.data(), blob.size());
    p.threads[kMain].ip = 0x1234;
    e.Handle(loader);
    EXPECT_EQ(p.threads[kMain].ip, 0x1234u);
    EXPECT_NE(e.log.Lines().back().find("is not used"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Machines, EngineRun, ::testing::Values("x86_64", "i686"));

// The patches of one address: a second record finds 0xCC there and keeps no byte of its own; the
// program's byte goes back only with the last record, and a 0xCC of the program survives.
TEST(Breakpoints, OnePatchPerAddressWithACount) {
    std::map<std::uint64_t, std::uint8_t> memory{{0x100, 0x55}, {0x200, 0xCC}};
    CodeAccess code{[&](std::uint64_t a, std::uint8_t& b) {
                        if (!memory.count(a)) return false;
                        b = memory[a];
                        return true;
                    },
                    [&](std::uint64_t a, std::uint8_t b) {
                        memory[a] = b;
                        return true;
                    }};
    BreakpointTable t;
    Breakpoint* user = t.Insert(code, {0, 3, 0x100, 1, 0, 0, kBreakUser});
    ASSERT_TRUE(user);
    int userId = user->id;
    Breakpoint* temporary = t.Insert(code, {0, 3, 0x100, 1, 0, 0, kBreakTemporary});
    int tempId = temporary->id;
    EXPECT_EQ(memory[0x100], kBreakInstruction);
    EXPECT_TRUE(t.Remove(code, userId));
    EXPECT_EQ(memory[0x100], kBreakInstruction);
    EXPECT_TRUE(t.Remove(code, tempId));
    EXPECT_EQ(memory[0x100], 0x55);
    EXPECT_FALSE(t.Remove(code, tempId));

    ASSERT_TRUE(t.Insert(code, {0, 0, 0x200, 0, -1, 0, kBreakUser}));
    t.Clear(&code);
    EXPECT_EQ(memory[0x200], 0xCC);
    EXPECT_FALSE(t.Insert(code, {0, 0, 0x300, 0, -1, 0, kBreakUser}));  // unreadable
    EXPECT_TRUE(t.Records().empty());

    // Lifted for a step: removing the last record then writes nothing more.
    Breakpoint* b = t.Insert(code, {0, 0, 0x100, 0, -1, 0, kBreakUser});
    ASSERT_TRUE(t.Lift(code, 0x100));
    EXPECT_EQ(memory[0x100], 0x55);
    memory[0x100] = 0x90;  // the program changed its code meanwhile
    EXPECT_TRUE(t.Remove(code, b->id));
    EXPECT_EQ(memory[0x100], 0x90);

    // A DLL goes: its patches are dropped unwritten, the user's records returned.
    t.Insert(code, {0, 7, 0x100, 2, 0, 0, kBreakUser});
    t.Insert(code, {0, 0, 0x100, 2, 0, 0, kBreakTemporary});
    std::vector<Breakpoint> users = t.DropRange(0x80, 0x180);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].line, 7u);
    EXPECT_FALSE(t.Patched(0x100));
    EXPECT_EQ(memory[0x100], kBreakInstruction);  // nothing written into the gone code
}

TEST(EventLog, KeepsAboutThreeHundredLines) {
    EventLog log;
    for (int i = 0; i < 1000; ++i) log.Add(Printf("line %d", i));
    EXPECT_LE(log.Lines().size(), 301u);
    EXPECT_EQ(log.Lines().back(), "line 999");
    log.Add("a\n + b");
    EXPECT_EQ(log.Lines().back(), " + b");
    EXPECT_EQ(ExceptionName(0xC0000094), "Divide By Zero");
    EXPECT_EQ(ExceptionName(0x1234), "Unknown (code 4660)");
}

}  // namespace
}  // namespace tarvo::debugger
