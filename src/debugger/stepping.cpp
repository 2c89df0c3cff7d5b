// Stepping by source lines: step into, step over, step out, run to cursor, set next statement.
// A step traces single instructions only where it must; calls, repeated string instructions
// and loops within a line run at full speed to breakpoints of the step's own. Each such
// breakpoint records the stack pointer of its frame, so a deeper activation (recursion)
// passing it is not taken for the one the step waits for.
#include <algorithm>

#include "base/messages.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/engine.h"
#include "debugger/engine_internal.h"
#include "debugger/instructions.h"

namespace tarvo::debugger {
namespace {

constexpr std::size_t kLongestInstruction = 16;

// A function of the program that has line entries.
struct Place {
    int module = 0;
    const Function* function = nullptr;
    FunctionLines lines;
    explicit operator bool() const { return function != nullptr; }
};

Place PlaceOf(const DebugInfo& info, std::uint64_t address) {
    Place p;
    int m = ModuleOfAddress(info, address);
    if (!m) return p;
    int f = FunctionOfAddress(info.modules[m], address);
    if (f < 0) return p;
    const Function& fn = info.modules[m].Functions()[static_cast<std::size_t>(f)];
    FunctionLines lines = LinesOfFunction(info, m, fn);
    if (lines.Empty()) return p;
    p.module = m, p.function = &fn, p.lines = std::move(lines);
    return p;
}

bool Inside(const Function& f, std::uint64_t address) { return address >= f.start && address < f.end; }

// The start of the line that holds the address: the last entry at or before it.
std::uint64_t StartOfLineAt(const FunctionLines& lines, std::uint64_t address) {
    std::uint64_t start = 0;
    for (const LineEntry& e : lines.entries)
        if (e.address <= address && e.address >= start) start = e.address;
    return start;
}

// Where a step into a function stops: its first line after the frame is set up.
std::uint64_t FirstLineAddress(const DebugInfo& info, const Function& f) {
    LineHit hit = LineOfAddress(info, f.debugStart ? f.debugStart : f.start);
    return hit.line && hit.address >= f.start && hit.address < f.end ? hit.address : f.start;
}

// Trace the next instruction, or run; a breakpoint waiting to be written back after this
// thread's next instruction always gets its single step.
void TraceOrRun(Engine& e, std::uint32_t thread, Registers& regs, bool trace) {
    if (trace || (e.rearm && e.rearmThread == thread)) regs.flags |= kTraceFlag;
    else regs.flags &= ~kTraceFlag;
}

bool PlaceStepBreakpoint(Engine& e, std::uint64_t address, std::uint32_t flags, std::uint64_t stackPointer,
                         std::uint64_t callTarget = 0) {
    Breakpoint b;
    b.address = address;
    LineHit hit = LineOfAddress(debugInfo(), address);
    b.line = hit.line, b.module = hit.module, b.file = hit.file;
    b.flags = kBreakTemporary | kBreakStep | flags;
    b.stackPointer = stackPointer;
    b.callTarget = callTarget;
    return e.breakpoints.Insert(e.Code(), b) != nullptr;
}

// The code at the address as the program has it: our patches taken out.
Instruction DecodeAt(Engine& e, std::uint64_t address) {
    std::uint8_t bytes[kLongestInstruction] = {};
    std::size_t n = kLongestInstruction;
    if (!e.process.read(address, bytes, n)) {
        // The code may end at a page that cannot be read: as many bytes as can be.
        n = 0;
        while (n < kLongestInstruction && e.process.read(address + n, &bytes[n], 1)) ++n;
    }
    e.breakpoints.Unpatch(address, std::span<std::uint8_t>(bytes, n));
    return DecodeInstruction(*e.target, Bytes(bytes, n), address);
}

// The frame's return address and the stack pointer right after the return; nothing when the
// frame cannot be read.
bool ReturnOfFrame(Engine& e, const Registers& regs, const Function& f, std::uint64_t& back, std::uint64_t& sp) {
    unsigned size = e.target->pointerSize;
    back = 0;
    std::uint64_t slot = regs.ip == f.start ? regs.Sp() : regs.Fp() + size;  // before the frame is set up: on top
    if (!slot || !e.process.read(slot, &back, size) || !back) return false;
    sp = slot + size;
    return true;
}

// A loop inside one line: the step runs to the function's other lines and to its return
// instead of tracing every round.
bool RunToOtherLines(Engine& e, const Registers& regs) {
    StepState& s = e.step;
    bool placed = false;
    for (const LineEntry& entry : s.lines.entries)
        if (entry.address != regs.ip && (entry.line != s.line || entry.address <= s.lineStart))
            placed |= PlaceStepBreakpoint(e, entry.address, 0, s.stackPointer);
    std::uint64_t back = 0, sp = 0;
    if (ReturnOfFrame(e, regs, s.function, back, sp)) placed |= PlaceStepBreakpoint(e, back, 0, sp);
    return placed;
}

Reply Continue(Engine& e, std::uint32_t thread, Registers& regs, bool trace) {
    Reply reply;
    e.step.mode = trace ? StepState::Tracing : StepState::Running;
    TraceOrRun(e, thread, regs, trace);
    if (!e.process.setRegisters(thread, regs)) {
        reply.notices.push_back(Say(Notice::Error, base::GetString(kMsgNoSingleStep)));
        e.ClearStep();
        Stop(reply);
        return reply;
    }
    e.context = regs;
    return reply;
}

// The instruction at the position: calls and repeated string instructions are run over (or,
// stepping into a function with lines, run to its first line); anything else is traced.
Reply InstructionDecision(Engine& e, std::uint32_t thread, Registers& regs) {
    const DebugInfo& info = debugInfo();
    Instruction ins = DecodeAt(e, regs.ip);
    std::uint64_t after = regs.ip + ins.length;
    if (ins.kind == InstructionKind::Call) {
        std::optional<std::uint64_t> target = CallTarget(*e.target, ins, regs, e.process.read);
        if (target && e.step.into) {
            Place callee = PlaceOf(info, *target);
            if (!callee)
                if (const Import* imp = ImportByThunk(info, *target); imp && imp->address) callee = PlaceOf(info, imp->address);
            if (callee && PlaceStepBreakpoint(e, FirstLineAddress(info, *callee.function), 0, 0))
                return Continue(e, thread, regs, false);
        }
        if (PlaceStepBreakpoint(e, after, kBreakReturnCapture, regs.Sp(), target.value_or(0)))
            return Continue(e, thread, regs, false);
    } else if (ins.kind == InstructionKind::RepeatedString) {
        if (PlaceStepBreakpoint(e, after, 0, regs.Sp())) return Continue(e, thread, regs, false);
    }
    return Continue(e, thread, regs, true);
}

// Makes the function that holds the address the one the step is in, from that address on.
void StepFrom(Engine& e, Place place, const Registers& regs) {
    StepState& s = e.step;
    s.module = place.module;
    s.function = *place.function;
    s.lines = std::move(place.lines);
    s.line = LineInFunction(s.lines, s.function, regs.ip);
    s.lineStart = StartOfLineAt(s.lines, regs.ip);
    s.stackPointer = regs.Sp();
    s.last = regs.ip;
}

// Stopped where there is no source: the step first runs back to the nearest caller that has.
bool RunToCallerWithSource(Engine& e, const Registers& regs) {
    StackSearch found = FindCurrentFunction(debugInfo(), *e.target, regs, e.process.read, e.StackBaseOf(e.eventThread));
    if (!found.found || found.address == regs.ip) return false;
    Place caller = PlaceOf(debugInfo(), found.address);
    if (!caller || !PlaceStepBreakpoint(e, found.address, kBreakStepOut, regs.Sp())) return false;
    e.step.function = *caller.function;
    e.step.mode = StepState::Running;
    return true;
}

// The stopped thread's registers for a step; false, with the problem said, when unreadable.
bool StepRegisters(Engine& e, Registers& regs, StepStart& result) {
    if (e.target && e.process.getRegisters(e.eventThread, regs)) return true;
    result.problem = base::GetString(kMsgNoSingleStep);
    return false;
}

// The program runs to the step's breakpoints.
StepStart RunNow(Engine& e, Registers& regs) {
    StepStart result;
    TraceOrRun(e, e.eventThread, regs, false);
    result.ok = result.resume = e.process.setRegisters(e.eventThread, regs);
    if (!result.ok) result.problem = base::GetString(kMsgNoSingleStep), e.ClearStep();
    return result;
}

}  // namespace

Reply StepBreakpoint(Engine& e, const DebugEvent& ev, Registers& regs, const Breakpoint& record) {
    Reply reply;
    // A deeper activation passes: the breakpoint stays, written back after this instruction.
    if (record.stackPointer && regs.Sp() < record.stackPointer) {
        regs.flags |= kTraceFlag;
        e.rearm = ev.address, e.rearmThread = ev.thread;
        e.process.setRegisters(ev.thread, regs);
        return reply;
    }
    if (record.flags & kBreakReturnCapture) {
        e.returned.push_back({record.callTarget, regs.Ax()});
        if (e.returned.size() > kReturnedLimit) e.returned.erase(e.returned.begin());
    }
    // The step's other breakpoints go: from here it decides afresh.
    StepState step = e.step;
    e.ClearStep();
    if (e.breakpoints.Patched(ev.address)) e.rearm = ev.address, e.rearmThread = ev.thread;
    if (!step.Active()) {  // run to cursor
        StopHere(e, ev.thread, regs, reply);
        return reply;
    }
    e.step = step;
    if (record.flags & kBreakStepOut) {
        // Back in the caller: on by lines from the middle of the call's line.
        Place caller = PlaceOf(debugInfo(), regs.ip);
        if (!caller) {
            e.ClearStep();
            return Continue(e, ev.thread, regs, false);
        }
        e.step.into = false;
        StepFrom(e, std::move(caller), regs);
        e.step.mode = StepState::Tracing;
        return e.StepDecision(ev.thread, regs, true);
    }
    e.step.mode = StepState::Tracing;
    return e.StepDecision(ev.thread, regs);
}

Reply Engine::StepDecision(std::uint32_t thread, Registers& regs, bool first) {
    Reply reply;
    std::uint64_t a = regs.ip;
    if (!first) {
        if (Inside(step.function, a)) {
            // A line start ends the step when it is another line, or the same line come round again.
            unsigned line = LineStartingAt(step.lines, a);
            if (line && (line != step.line || a <= step.lineStart)) {
                StopHere(*this, thread, regs, reply);
                return reply;
            }
            if (a <= step.last && RunToOtherLines(*this, regs)) return Continue(*this, thread, regs, false);
        } else if (PlaceOf(debugInfo(), a)) {
            StopHere(*this, thread, regs, reply);  // another function with source: entered or returned to
            return reply;
        } else {
            // Code without source (a library): it runs until it comes back to code with source.
            if (RunToCallerWithSource(*this, regs)) return Continue(*this, thread, regs, false);
            ClearStep();
            return Continue(*this, thread, regs, false);
        }
    }
    step.last = a;
    return InstructionDecision(*this, thread, regs);
}

StepStart Engine::BeginStep(bool into) {
    StepStart result;
    Registers regs;
    if (!StepRegisters(*this, regs, result)) return result;
    ClearStep();
    step.into = into;
    Place here = PlaceOf(debugInfo(), regs.ip);
    if (!here) {
        if (RunToCallerWithSource(*this, regs)) return RunNow(*this, regs);
        result.problem = base::GetString(kMsgNoSingleStep);
        ClearStep();
        return result;
    }
    StepFrom(*this, std::move(here), regs);
    step.mode = StepState::Tracing;
    Reply r = StepDecision(eventThread, regs, true);
    if (r.stop || !step.Active()) {
        result.problem = base::GetString(kMsgNoSingleStep);
        return result;
    }
    result.ok = result.resume = true;
    return result;
}

StepStart Engine::StepOut() {
    StepStart result;
    Registers regs;
    if (!StepRegisters(*this, regs, result)) return result;
    ClearStep();
    Place here = PlaceOf(debugInfo(), regs.ip);
    std::uint64_t back = 0, sp = 0;
    bool placed = here ? ReturnOfFrame(*this, regs, *here.function, back, sp) && PlaceStepBreakpoint(*this, back, kBreakStepOut, sp)
                       : RunToCallerWithSource(*this, regs);
    if (!placed) {
        ClearStep();
        result.problem = base::GetString(kMsgCannotEstablishThe);
        return result;
    }
    if (here) StepFrom(*this, std::move(here), regs);
    step.mode = StepState::Running;
    return RunNow(*this, regs);
}

StepStart Engine::RunToCursor(const std::string& file, unsigned line) {
    StepStart result;
    DebugInfo& info = debugInfo();
    FileHit where = FindSourceFile(info, file);
    LineHit hit = where.match == FileMatch::Found ? AddressOfLine(info, where.module, where.file, line) : LineHit{};
    Registers regs;
    if (!hit.line || !process.getRegisters(eventThread, regs)) {
        result.problem = base::GetString(kMsgCannotEstablishThe);
        return result;
    }
    result.ok = true;
    if (hit.address == regs.ip) return result;
    ClearStep();
    if (PlaceStepBreakpoint(*this, hit.address, 0, 0)) return RunNow(*this, regs);
    result.ok = false;
    result.problem = base::GetString(kMsgCannotEstablishThe);
    return result;
}

StepStart Engine::SetNextStatement(const std::string& file, unsigned line) {
    StepStart result;
    DebugInfo& info = debugInfo();
    Registers regs;
    Place here = process.getRegisters(eventThread, regs) ? PlaceOf(info, regs.ip) : Place{};
    FileHit where = FindSourceFile(info, file);
    const std::vector<LineEntry>& entries = here.lines.entries;
    bool sameFile = here && where.match == FileMatch::Found && where.module == here.lines.module && where.file == here.lines.file;
    // From the function's first line up to, not including, its last (the return).
    if (!sameFile || line < entries.front().line || line >= entries.back().line) {
        result.problem = base::GetString(kMsgJumpOutside);
        return result;
    }
    auto to = std::find_if(entries.begin(), entries.end(), [&](const LineEntry& e) { return e.line >= line; });
    Registers moved = regs;
    moved.ip = to->address;
    if (!process.setRegisters(eventThread, moved)) {
        result.problem = base::GetString(kMsgCannotEstablish);
        return result;
    }
    context = moved;
    ClearStep();
    result.ok = true;
    result.line = to->line;
    result.file = FileOf(info, here.lines.module, here.lines.file);
    stoppedFile = result.file, stoppedLine = result.line;
    return result;
}

void Engine::ClearStep() {
    std::vector<int> ids;
    for (const Breakpoint& b : breakpoints.Records())
        if (b.flags & kBreakStep) ids.push_back(b.id);
    for (int id : ids) RemoveBreakpoint(id);
    step = StepState{};
}

std::uint64_t Engine::StackBaseOf(std::uint32_t thread) const {
    if (!target) return 0;
    for (const ThreadEntry& t : threads) {
        if (t.id != thread) continue;
        // The thread block begins with the exception list, then the stack's base.
        std::uint64_t base = 0;
        if (t.localBase && process.read(t.localBase + target->pointerSize, &base, target->pointerSize)) return base;
    }
    return stackBase;
}

}  // namespace tarvo::debugger
