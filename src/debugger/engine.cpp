#include "debugger/engine.h"

#include <algorithm>
#include <cstring>

#include "base/messages.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/engine_internal.h"
#include "debugger/wide_format.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;

constexpr std::size_t kLogLimit = 300, kLogDrop = 100;
constexpr std::size_t kNameLimit = 300;

struct ExceptionText {
    std::uint32_t code;
    const char* text;
};
constexpr ExceptionText kExceptionNames[] = {
    {0xC0000005, "Access Violation"},     {0x80000002, "Datatype Misalignment"},
    {0xC000008C, "Array Bound Exceeded"}, {0xC000008D, "FP Denormal Operand"},
    {0xC000008E, "FP Divide By Zero"},    {0xC000008F, "FP Inexact result"},
    {0xC0000090, "FP Invalid operation"}, {0xC0000091, "FP Overflow"},
    {0xC0000092, "FP Stack Check"},       {0xC0000093, "FP Underflow"},
    {0xC0000094, "Divide By Zero"},       {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"}, {0xC0000025, "In Page Error"},
    {0xC00000FD, "Stack overflow"},       {0x40010003, "Terminate Thread"},
    {0x40010004, "Terminate Process"},    {0x40010005, "Control+C"},
    {0x40010008, "Control+Break"},        {0x6B5, "RPC:Unknown Interface"},
    {0x6BA, "RPC:Server Unavailable"},    {0xC000001D, "Illegal instruction"},
};

std::string Text(unsigned id) { return base::GetString(id); }

}  // namespace

// --- shared with the stepping ---------------------------------------------------------------

Notice Say(Notice::Kind kind, std::string text, unsigned line, long number) {
    return Notice{kind, std::move(text), line, number};
}

// The source file a line hit names, as the debug information spells it.
std::string FileOf(const DebugInfo& info, int module, int file) {
    if (module <= 0 || module >= static_cast<int>(info.modules.size())) return {};
    const Module& m = info.modules[module];
    if (file < 0 || file >= static_cast<int>(m.files.size())) return {};
    return std::string(m.files[file].name);
}

// Where the program stopped, as the window thread is to show it.
void ShowPosition(Engine& e, std::uint64_t address, Reply& reply) {
    DebugInfo& info = debugInfo();
    LineHit hit = LineOfAddress(info, address);
    std::string file = FileOf(info, hit.module, hit.file);
    if (hit.line && !file.empty()) {
        info.currentModule = hit.module;
        e.stoppedFile = file, e.stoppedLine = hit.line;
        reply.notices.push_back(Say(Notice::ShowLine, file, hit.line));
        return;
    }
    e.stoppedFile.clear(), e.stoppedLine = 0;
    reply.notices.push_back(Say(Notice::NoSource, Printf(base::GetString(kMsgStoppedAt), static_cast<ull>(address))));
    // In a library: the nearest caller with source is where the user is.
    if (!e.target || e.context.ip != address) return;
    StackSearch found = FindCurrentFunction(info, *e.target, e.context, e.process.read, e.StackBaseOf(e.eventThread));
    for (const std::string& line : found.log) e.log.Add(line);
    if (!found.error.empty()) reply.notices.push_back(Say(Notice::Status, found.error));
    if (!found.found || found.file.empty()) return;
    info.currentModule = found.module;
    e.stoppedFile = found.file, e.stoppedLine = found.line;
    reply.notices.push_back(Say(Notice::ShowLine, found.file, found.line));
}

void Stop(Reply& reply) {
    reply.stop = true;
    reply.notices.push_back(Say(Notice::Stopped));
}

// The step ends here: no more tracing, the position shown, the program stopped.
void StopHere(Engine& e, std::uint32_t thread, Registers& regs, Reply& reply) {
    e.ClearStep();
    regs.flags &= ~kTraceFlag;
    // A breakpoint where the step stops would stop the program again, unmoved, when it goes on.
    if (e.breakpoints.Lift(e.Code(), regs.ip)) e.rearm = regs.ip, e.rearmThread = thread;
    if (e.rearm && e.rearmThread == thread) regs.flags |= kTraceFlag;
    e.process.setRegisters(thread, regs);
    e.context = regs;
    ShowPosition(e, regs.ip, reply);
    Stop(reply);
}

std::string ExceptionName(std::uint32_t code) {
    for (const ExceptionText& e : kExceptionNames)
        if (e.code == code) return e.text;
    return Printf(base::GetString(kMsgUnknownException), static_cast<int>(code));
}

void EventLog::Add(const std::string& text) {
    std::size_t from = 0;
    do {
        std::size_t end = text.find('\n', from);
        if (lines_.size() > kLogLimit)
            lines_.erase(lines_.begin(), lines_.begin() + static_cast<long>(kLogDrop));
        lines_.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
        from = end == std::string::npos ? end : end + 1;
    } while (from != std::string::npos && from < text.size());
}

CodeAccess Engine::Code() const {
    const ProcessAccess* p = &process;
    return CodeAccess{[p](std::uint64_t a, std::uint8_t& b) { return p->read(a, &b, 1); },
                      [p](std::uint64_t a, std::uint8_t b) { return p->writeCode(a, b); }};
}

std::string DllNameFromMemory(const ProcessAccess& process, std::uint64_t base, bool& ok) {
    ok = false;
    std::uint16_t mz = 0;
    if (!process.read(base, &mz, 2) || mz != 0x5A4D) return Printf(base::GetString(kMsgBadMz), mz);
    std::uint32_t header = 0, signature = 0;
    if (!process.read(base + 0x3C, &header, 4) || !process.read(base + header, &signature, 4) || signature != 0x4550)
        return Printf(base::GetString(kMsgBadPe), signature);
    std::uint16_t magic = 0;
    process.read(base + header + 24, &magic, 2);
    // The export directory is the first data directory, after the optional header's fixed part.
    std::uint64_t directory = base + header + 24 + (magic == 0x20B ? 112 : 96);
    std::uint32_t exports = 0, nameRva = 0;
    if (!process.read(directory, &exports, 4) || exports == 0 || !process.read(base + exports + 12, &nameRva, 4) ||
        nameRva == 0)
        return Text(kMsgEmptyName);
    char name[kNameLimit + 1] = {};
    std::size_t n = 0;
    while (n < kNameLimit && process.read(base + nameRva + n, &name[n], 1) && name[n]) ++n;
    if (n == 0) return Text(kMsgAccessDenied);
    ok = true;
    return std::string(name, n);
}

// --- breakpoints -------------------------------------------------------------------------

ToggleResult Engine::ToggleLine(int module, int file, unsigned line) {
    DebugInfo& info = debugInfo();
    ToggleResult result;
    LineHit hit = AddressOfLine(info, module, file, line);
    result.file = FileOf(info, module, file);
    result.line = hit.line;
    CodeAccess code = Code();
    bool removed = false;
    // Every non-temporary record at that line (or, when none, at its address) goes.
    std::vector<int> ids;
    for (const Breakpoint& b : breakpoints.Records())
        if (!(b.flags & kBreakTemporary) && b.module == module && hit.line && b.line == hit.line) ids.push_back(b.id);
    if (ids.empty() && hit.line)
        for (const Breakpoint& b : breakpoints.Records())
            if (!(b.flags & kBreakTemporary) && b.address == hit.address) ids.push_back(b.id);
    for (int id : ids) removed |= RemoveBreakpoint(id);
    if (removed) {
        result.outcome = Toggle::Removed;
        return result;
    }
    if (hit.line == 0) {
        result.outcome = Toggle::NoCode;
        return result;
    }
    Breakpoint record;
    record.line = hit.line;
    record.address = hit.address;
    record.module = ModuleOfAddress(info, hit.address);
    record.file = file;
    record.flags = kBreakUser;
    result.outcome = breakpoints.Insert(code, record) ? Toggle::Set : Toggle::Failed;
    return result;
}

ToggleResult Engine::ToggleFromEditor(const std::string& file, unsigned line, bool setOnly) {
    DebugInfo& info = debugInfo();
    FileHit where = FindSourceFile(info, file);
    if (where.match != FileMatch::Found) {
        // "name 0x..." from a breakpoint list names a function.
        std::string name = file.substr(0, file.find(' '));
        ToggleResult r;
        r.outcome = where.match == FileMatch::NotFound && !name.empty() && BreakOnFunction(name) ? Toggle::Set : Toggle::NotModule;
        return r;
    }
    if (setOnly) {
        LineHit hit = AddressOfLine(info, where.module, where.file, line);
        for (const Breakpoint& b : breakpoints.Records())
            if ((b.flags & kBreakUser) && hit.line && b.module == where.module && b.line == hit.line)
                return ToggleResult{Toggle::Kept, hit.line, FileOf(info, where.module, where.file)};
    }
    return ToggleLine(where.module, where.file, line);
}

bool Engine::BreakOnFunction(const std::string& wanted) {
    DebugInfo& info = debugInfo();
    std::string_view name = wanted;
    if (!name.empty() && name[0] == '_') name.remove_prefix(1);
    for (const auto& image : info.images)
        for (const Import& imp : image->imports)
            if (imp.function == name && imp.thunk) {
                Breakpoint b;
                b.address = imp.thunk;
                LineHit hit = LineOfAddress(info, b.address);
                b.line = hit.line, b.module = hit.module, b.file = hit.file;
                b.flags = kBreakNoSource | kBreakUser | kBreakFunction;
                return breakpoints.Insert(Code(), b) != nullptr;
            }
    FunctionHit f = FindFunction(info, name);
    if (!f) return false;
    const Function& fn = info.modules[f.module].Functions()[f.function];
    LineHit hit = LineOfAddress(info, fn.debugStart ? fn.debugStart : fn.start);
    std::uint64_t address = hit.line ? hit.address : fn.start;
    if (breakpoints.Find(address)) return true;
    Breakpoint b;
    b.address = address, b.line = hit.line, b.module = f.module, b.file = hit.file;
    b.flags = kBreakUser | kBreakFunction;
    return breakpoints.Insert(Code(), b) != nullptr;
}

bool Engine::BreakAtAddress(std::uint64_t address) {
    LineHit hit = LineOfAddress(debugInfo(), address);
    Breakpoint b;
    b.address = address, b.line = hit.line, b.module = hit.module, b.file = hit.file;
    b.flags = kBreakNoSource | kBreakUser;
    return breakpoints.Insert(Code(), b) != nullptr;
}

std::vector<std::string> Engine::BreakpointList() const {
    const DebugInfo& info = debugInfo();
    std::vector<std::string> rows;
    for (const Breakpoint& b : breakpoints.Records()) {
        if (!(b.flags & kBreakUser)) continue;
        if (const Import* imp = ImportByThunk(info, b.address)) {
            rows.push_back(Printf("_%s 0x%llx", std::string(imp->function).c_str(), static_cast<ull>(b.address)));
            continue;
        }
        std::string row = Printf("0x%llx", static_cast<ull>(b.address));
        std::string file = FileOf(info, b.module, b.file);
        if (!file.empty()) row += Printf(" {%s:%u }", platform::BaseName(file).c_str(), b.line);
        rows.push_back(Lower(row));
    }
    return rows;
}

std::vector<int> Engine::BreakpointIds() const {
    std::vector<int> ids;
    for (const Breakpoint& b : breakpoints.Records())
        if (b.flags & kBreakUser) ids.push_back(b.id);
    return ids;
}

bool Engine::RemoveBreakpoint(int id) {
    const Breakpoint* b = breakpoints.FindId(id);
    if (!b) return false;
    std::uint64_t address = b->address;
    bool removed = breakpoints.Remove(Code(), id);
    if (rearm && *rearm == address && !breakpoints.Patched(address)) rearm.reset();
    return removed;
}

std::vector<SavedBreakpoint> Engine::UserLines() const {
    const DebugInfo& info = debugInfo();
    std::vector<SavedBreakpoint> lines;
    for (auto it = breakpoints.Records().rbegin(); it != breakpoints.Records().rend(); ++it) {
        std::string file = FileOf(info, it->module, it->file);
        if ((it->flags & kBreakUser) && it->line && !file.empty()) lines.push_back({file, it->line});
    }
    lines.insert(lines.end(), pending.begin(), pending.end());
    return lines;
}

bool Engine::SetDataSlot(int slot, const DataSlot& data, std::string& problem) {
    if (slot < 0 || slot >= kDataSlots) return false;
    if (data.address && target) {
        problem = CheckDataSlot(*target, data.address, data.size);
        if (!problem.empty()) return false;
    }
    DataSlot next = data;
    if (next.address) {
        std::uint8_t bytes[8] = {};
        if (!process.read(next.address, bytes, next.size)) {
            problem = Printf(WidenIntegerConversions(base::GetString(kMsgIncorrectAddress)).c_str(), static_cast<ull>(next.address));
            next = DataSlot{};
        } else {
            next.oldValue = SlotValue(Bytes(bytes, next.size), next.size);
        }
    }
    Registers regs;
    if (!process.getRegisters(mainThread, regs)) return false;
    ApplyDataSlot(regs, slot, next);
    if (!process.setRegisters(mainThread, regs)) return false;
    slots[slot] = next;
    return problem.empty();
}

// --- the events -----------------------------------------------------------------------------

namespace {

// The user's saved breakpoints, each set once where its file is part of the program.
void RestoreSaved(Engine& e, Reply& reply, bool reportMissing) {
    std::vector<SavedBreakpoint> still;
    for (const SavedBreakpoint& s : e.pending) {
        // Quietly: a file that is no module of the program may come with a DLL.
        FileHit where = FindSourceFile(debugInfo(), s.file);
        if (where.match != FileMatch::Found) {
            still.push_back(s);
            continue;
        }
        ToggleResult r = e.ToggleLine(where.module, where.file, s.line);
        if (r.outcome == Toggle::Set || r.outcome == Toggle::Kept)
            reply.notices.push_back(Say(Notice::MarkBreak, s.file, r.line));
        else
            still.push_back(s);
    }
    // Those that wait stay in the project's list; only the user deletes them.
    if (reportMissing && !still.empty()) reply.notices.push_back(Say(Notice::Status, Text(kMsgNotAllRestored)));
    e.pending = std::move(still);
}

void LogException(Engine& e, const DebugEvent& ev) {
    if (ev.code == kExceptionBreakpoint || ev.code == kExceptionSingleStep) return;
    e.log.Add(Printf(base::GetString(kMsgLogException), ExceptionName(ev.code).c_str(), static_cast<ull>(ev.address)) +
              Text(ev.firstChance ? kMsgFirstChance : kMsgSecondChance));
}

std::string ExceptionReport(const DebugEvent& ev, const Registers& regs) {
    const DebugInfo& info = debugInfo();
    std::string text = ExceptionName(ev.code) + (ev.firstChance ? Text(kMsgFirstChance) : Text(kMsgSecondChance)) + "\n";
    text += Printf("IP 0x%llx  SP 0x%llx  FP 0x%llx  AX 0x%llx\n", static_cast<ull>(regs.ip), static_cast<ull>(regs.Sp()),
                   static_cast<ull>(regs.Fp()), static_cast<ull>(regs.Ax()));
    text += Printf("Flags 0x%x\n0x%llx\n", ev.exceptionFlags, static_cast<ull>(ev.address));
    int n = 1;
    for (std::uint64_t p : ev.parameters)
        text += Printf("%3d 0x%llX %lld\n", n++, static_cast<ull>(p), static_cast<long long>(p));
    int m = ModuleOfAddress(info, ev.address);
    int image = ImageOfAddress(info, ev.address);
    text += m ? std::string(info.modules[m].name)
              : image >= 0 ? platform::BaseName(info.images[image]->name) : std::string("unknown");
    return text;
}

// The report of a breakpoint instruction that none of ours explains.
std::string ForeignBreakReport(Engine& e, std::uint64_t address, const Registers& regs) {
    const DebugInfo& info = debugInfo();
    std::string text = Printf(base::GetString(kMsgBreakFound), static_cast<ull>(address));
    if (int m = ModuleOfAddress(info, address)) {
        text += Printf(base::GetString(kMsgBreakModule), m, std::string(info.modules[m].name).c_str());
    } else if (int image = ImageOfAddress(info, address); image > 0) {
        text += Printf(base::GetString(kMsgBreakDll), platform::BaseName(info.images[image]->name).c_str());
        std::uint8_t op = 0;
        e.process.read(address, &op, 1);
        if (const Import* imp = ImportByAddress(info, address)) {
            text += Printf(base::GetString(kMsgBreakFunction), std::string(imp->function).c_str());
        } else if (op == 0xC3 || op == 0xC2) {
            std::uint64_t back = 0;
            e.process.read(regs.Sp(), &back, e.target ? e.target->pointerSize : 4);
            text += Printf(base::GetString(kMsgBreakCaller), static_cast<ull>(back));
        }
    }
    return text;
}

// The address of a variable of the program's own, by its name in C.
std::optional<std::uint64_t> ProgramVariable(const Image& exe, const std::string& name) {
    if (auto at = CoffSymbolAddress(exe, name)) return at;
    return CoffSymbolAddress(exe, std::string(exe.target->decoration) + name);
}

// Completing an attach: a program that kept the context of its own failure (a pointer in
// __CurrentContext, its stack base in __InitialStack) is put back where it failed. The context
// comes from the program's memory, so it is used only when its instruction pointer lies in
// the program's code and its stack pointer below the stack base.
void CompleteAttach(Engine& e, Reply& reply) {
    DebugInfo& info = debugInfo();
    if (info.images.empty() || !e.target) return;
    const Image& exe = *info.images[0];
    std::optional<std::uint64_t> at = ProgramVariable(exe, "__CurrentContext");
    std::uint64_t pointer = 0;
    if (!at || !e.process.read(*at, &pointer, e.target->pointerSize) || pointer == 0) return;
    std::size_t size = e.target->pointerSize == 4 ? kI386SavedContextSize : ContextSize(*e.target);
    std::vector<std::uint8_t> blob(size);
    Registers saved, now;
    if (!e.process.read(pointer, blob.data(), size) || !e.process.getRegisters(e.mainThread, now)) return;
    bool decoded = e.target->pointerSize == 4 ? DecodeI386SavedContext(Bytes(blob), saved) : DecodeContext(*e.target, Bytes(blob), saved);
    std::uint64_t stackBase = 0;
    if (std::optional<std::uint64_t> initial = ProgramVariable(exe, "__InitialStack"))
        e.process.read(*initial, &stackBase, e.target->pointerSize);
    bool sound = decoded && ImageOfAddress(info, saved.ip) >= 0 && saved.Sp() != 0 && (!stackBase || saved.Sp() < stackBase);
    if (!sound) {
        e.log.Add(Printf(base::GetString(kMsgBadSavedContext), static_cast<ull>(saved.ip), static_cast<ull>(saved.Sp())));
        return;
    }
    // Control and integer registers only: the thread keeps its own segments and debug registers.
    Registers next = now;
    next.ip = saved.ip, next.flags = saved.flags;
    std::copy(std::begin(saved.general), std::end(saved.general), std::begin(next.general));
    if (!e.process.setRegisters(e.mainThread, next)) return;
    e.context = next;
    if (stackBase) e.stackBase = stackBase;
    ShowPosition(e, next.ip, reply);
}

// The loader's breakpoint, the user's, the engine's own, or one in the program's code.
Reply BreakpointReached(Engine& e, DebugEvent& ev) {
    Reply reply;
    DebugInfo& info = debugInfo();
    if (e.firstBreak == 0) {
        e.firstBreak = 1;
        ResolveImportAddresses(info, e.process.read);
        if (e.attaching) CompleteAttach(e, reply);
        if (!e.noDebugInfo) RestoreSaved(e, reply, true);
        return reply;
    }
    if (e.firstBreak == 1) e.firstBreak = 2;
    Registers regs;
    if (!e.process.getRegisters(ev.thread, regs)) {
        reply.notices.push_back(Say(Notice::Error, Printf(base::GetString(kMsgApiFailed), "GetThreadContext", 0)));
        Stop(reply);
        return reply;
    }
    e.context = regs;
    Breakpoint* b = e.breakpoints.Find(ev.address);
    if (!b) {
        if (e.skipForeignBreak) {
            e.skipForeignBreak = false;
            return reply;
        }
        if (e.breakRequested) {
            // Our own break into the running program: its position is the main thread's.
            e.breakRequested = false;
            Registers main;
            if (e.process.getRegisters(e.mainThread, main)) e.context = main, ShowPosition(e, main.ip, reply);
            Stop(reply);
            return reply;
        }
        // After an attach the system may break in once more on its own (measured under Wine):
        // a break nobody asked for at the system's break-in function is passed over.
        if (const Import* imp = ImportByAddress(info, ev.address); e.attaching && imp && imp->function == "DbgBreakPoint") {
            e.log.Add(ForeignBreakReport(e, ev.address, regs));
            return reply;
        }
        std::string report = ForeignBreakReport(e, ev.address, regs);
        e.log.Add(report);
        reply.notices.push_back(Say(Notice::Status, report));
        ShowPosition(e, ev.address, reply);
        Stop(reply);
        return reply;
    }
    CodeAccess code = e.Code();
    if (b->flags & kBreakImportThunk) {
        // The thunk's own jump, done here: the breakpoint stays in place.
        std::uint8_t bytes[8] = {};
        e.process.read(ev.address, bytes, sizeof bytes);
        e.breakpoints.Unpatch(ev.address, bytes);
        std::optional<std::uint64_t> slot = e.target ? e.target->thunkSlot(Bytes(bytes), ev.address, 0) : std::nullopt;
        std::uint64_t to = 0;
        if (slot && e.process.read(*slot, &to, e.target->pointerSize)) {
            regs.ip = e.target->pointerSize == 8 ? to : to & 0xFFFFFFFFu;
            e.process.setRegisters(ev.thread, regs);
            return reply;
        }
    }
    Breakpoint record = *b;
    e.breakpoints.Lift(code, ev.address);
    regs.ip = ev.address;
    if (record.flags & kBreakStep) return StepBreakpoint(e, ev, regs, record);
    if (!(record.flags & kBreakTemporary)) {
        regs.flags |= kTraceFlag;
        e.rearm = ev.address, e.rearmThread = ev.thread;
    } else {
        e.breakpoints.Remove(code, record.id);
        // Another record wants this address: it goes back after the step.
        if (e.breakpoints.Patched(ev.address)) regs.flags |= kTraceFlag, e.rearm = ev.address, e.rearmThread = ev.thread;
    }
    if (!e.process.setRegisters(ev.thread, regs)) {
        reply.notices.push_back(Say(Notice::Error, Text(kMsgCannotRestart)));
        Stop(reply);
        return reply;
    }
    e.context = regs;
    if (Breakpoint* live = e.breakpoints.FindId(record.id); live && (live->flags & kBreakPassCount) && live->passCount >= 1) {
        --live->passCount;
        return reply;
    }
    if (!(record.flags & kBreakNoLineShown)) ShowPosition(e, ev.address, reply);
    else reply.notices.push_back(Say(Notice::NoSource, Printf(base::GetString(kMsgStoppedAt), static_cast<ull>(ev.address))));
    if (int m = ModuleOfAddress(info, ev.address)) info.currentModule = m;
    Stop(reply);
    return reply;
}

Reply SingleStep(Engine& e, DebugEvent& ev) {
    Reply reply;
    Registers regs;
    if (!e.process.getRegisters(ev.thread, regs)) {
        reply.notices.push_back(Say(Notice::Error, Printf(base::GetString(kMsgApiFailed), "GetThreadContext", 0)));
        Stop(reply);
        return reply;
    }
    bool write = false;
    // The status bits are read and cleared at every step, so that none reports later at the
    // wrong place; a hit during the user's step is reported too.
    int fired = FiredDataSlot(regs.dr6, e.slots);
    if (regs.dr6 & 0xF) regs.dr6 &= ~std::uint64_t{0xF}, write = true;
    if (e.stepForData) {
        e.stepForData = false;
        ApplyDataSlots(regs, e.slots);
        write = true;
    }
    if (e.rearm && e.rearmThread == ev.thread) {
        e.breakpoints.Rearm(e.Code(), *e.rearm);
        e.rearm.reset();
    }
    if (fired >= 0) {
        DataSlot& slot = e.slots[fired];
        std::uint8_t bytes[8] = {};
        e.process.read(slot.address, bytes, slot.size);
        std::uint64_t now = SlotValue(Bytes(bytes, slot.size), slot.size);
        reply.notices.push_back(Say(Notice::Status, DataBreakReport(fired, slot, regs.ip, now)));
        ClearFiredDataSlot(regs, fired);
        StopHere(e, ev.thread, regs, reply);
        return reply;
    }
    if (e.step.mode != StepState::Tracing) {
        regs.flags &= ~kTraceFlag;
        e.process.setRegisters(ev.thread, regs);
        return reply;
    }
    if (write) e.process.setRegisters(ev.thread, regs);
    ++e.traced;
    return e.StepDecision(ev.thread, regs);
}

Reply OtherException(Engine& e, DebugEvent& ev) {
    Reply reply;
    Registers regs;
    e.process.getRegisters(ev.thread, regs);
    e.context = e.exceptionContext = regs;
    reply.notices.push_back(Say(Notice::Exception, ExceptionReport(ev, regs)));
    ShowPosition(e, ev.address, reply);
    // The program's own exception goes back to it: its handlers decide, and a second-chance
    // fault then ends the program instead of faulting again for ever.
    e.resumeStatus = kContinueNotHandled;
    Stop(reply);
    return reply;
}

Reply ProcessCreated(Engine& e, DebugEvent& ev) {
    Reply reply;
    DebugInfo& info = debugInfo();
    if (e.firstBreak != 0 || e.processId != 0) {
        e.children.insert(e.children.begin(), ev.process);
        e.skipForeignBreak = true;
        e.log.Add(Printf(base::GetString(kMsgLogChildProcess), static_cast<ull>(ev.processHandle)));
        return reply;
    }
    e.log.Add(Printf(base::GetString(kMsgLogProcess), static_cast<ull>(ev.processHandle), static_cast<ull>(ev.threadHandle),
                     "Base of image:0x", static_cast<ull>(ev.base), "Debug info file offset: ", ev.debugInfoOffset,
                     "Debug info size: ", ev.debugInfoSize, "Thread local base:0x", static_cast<ull>(ev.localBase),
                     "Start Address:0x", static_cast<ull>(ev.start), "Image name:0x", static_cast<ull>(ev.imageName),
                     "fUnicode: ", ev.unicode ? 1 : 0));
    e.processId = ev.process, e.mainThread = ev.thread;
    e.startAddress = ev.start, e.loadBase = ev.base;
    e.threads.insert(e.threads.begin(), ThreadEntry{ev.thread, ev.localBase, ev.start});
    e.firstBreak = 0;
    e.pending = e.saved;
    ResetDebugInfo();
    bool read = ev.image && OpenExecutable(info, std::move(*ev.image), e.attaching);
    if (read && !info.images.empty()) e.target = info.images[0]->target;
    if (!read || !info.images[0]->codeView) {
        e.noDebugInfo = true;
        Breakpoint b;
        b.address = ev.start;
        e.breakpoints.Insert(e.Code(), b);
        return reply;
    }
    if (e.attaching) return reply;
    if (!FindEntryFunction(info)) {
        reply.notices.push_back(Say(Notice::StopDebugging));
        reply.stop = true;
        return reply;
    }
    // Run to the entry function's first line: a breakpoint of the engine's own, gone when reached.
    LineHit hit = LineOfAddress(info, info.entryFunction);
    const Module& m = info.modules[info.mainModule];
    for (const Function& f : m.Functions())
        if (f.start == info.entryFunction && f.debugStart) hit = LineOfAddress(info, f.debugStart);
    Breakpoint b;
    b.address = hit.line ? hit.address : info.entryFunction;
    b.line = hit.line, b.module = hit.module, b.file = hit.file;
    b.flags = kBreakTemporary;
    if (!e.breakpoints.Insert(e.Code(), b))
        reply.notices.push_back(Say(Notice::Error, Text(kMsgCannotEstablishThe)));
    Registers regs;
    if (e.process.getRegisters(ev.thread, regs)) e.stackBase = regs.Sp();
    return reply;
}

void DllLoaded(Engine& e, DebugEvent& ev, Reply& reply) {
    std::string line = Text(kMsgLogLoadDll) + (ev.text.empty() ? Text(kMsgNoDllName) : ev.text) +
                       Printf(base::GetString(kMsgLogDllBase), static_cast<ull>(ev.base));
    int added = 0;
    if (ev.image) {
        if (ev.image->name.empty()) ev.image->name = ev.text;
        ev.image->loadBase = ev.base;
        LoadDll(debugInfo(), std::move(*ev.image), added);
    }
    if (added) line += Printf(base::GetString(kMsgLogDllModules), added);
    e.log.Add(line);
    if (e.firstBreak > 0 && !e.pending.empty() && added) RestoreSaved(e, reply, false);
}

void DllUnloaded(Engine& e, DebugEvent& ev) {
    e.log.Add(Printf(base::GetString(kMsgLogUnloadDll), static_cast<ull>(ev.base)));
    DebugInfo& info = debugInfo();
    for (std::size_t i = 1; i < info.images.size(); ++i) {
        Image& image = *info.images[i];
        if (image.loadBase != ev.base) continue;
        std::uint64_t end = image.loadBase + image.headers.sizeOfImage;
        // Its code is gone and another DLL may come at the same base: nothing is written.
        for (const Breakpoint& b : e.breakpoints.DropRange(image.loadBase, end)) {
            std::string file = FileOf(info, b.module, b.file);
            if (!file.empty() && b.line) e.pending.push_back({file, b.line});
        }
        for (int m = image.firstModule; m < image.firstModule + image.moduleCount; ++m)
            if (m > 0 && m < static_cast<int>(info.modules.size())) info.modules[m].segments.clear(), info.modules[m].files.clear();
        image.code = image.data = Range{};
        image.loadBase = 0;
    }
}

}  // namespace

Reply Engine::Handle(DebugEvent& ev) {
    Reply reply;
    eventThread = ev.thread;
    switch (ev.kind) {
    case EventKind::Exception:
        LogException(*this, ev);
        if (ev.code == kExceptionAccessViolation && ev.firstChance && !stopOnFirstChanceFaults) {
            reply.status = kContinueNotHandled;
            return reply;
        }
        if (ev.code == kExceptionBreakpoint) reply = BreakpointReached(*this, ev);
        else if (ev.code == kExceptionSingleStep) reply = SingleStep(*this, ev);
        else reply = OtherException(*this, ev);
        // Whatever stopped the program ends a step.
        if (reply.stop) ClearStep();
        if (reply.stop && ev.code != kExceptionBreakpoint && ev.code != kExceptionSingleStep) reply.status = kContinueNotHandled;
        return reply;
    case EventKind::ProcessStart:
        return ProcessCreated(*this, ev);
    case EventKind::ProcessEnd:
        log.Add(Printf(base::GetString(kMsgLogExitProcess), static_cast<int>(ev.exitCode)));
        if (ev.process == processId) {
            exited = true;
            exitCode = static_cast<std::int32_t>(ev.exitCode);
            reply.ended = true;
            reply.notices.push_back(Say(Notice::Finished, Printf(base::GetString(kMsgFinished), static_cast<int>(ev.exitCode)), 0,
                                        exitCode));
        }
        return reply;
    case EventKind::ThreadStart:
        log.Add(Printf(base::GetString(kMsgLogThread), static_cast<ull>(ev.threadHandle), static_cast<ull>(ev.localBase),
                       static_cast<ull>(ev.start)));
        threads.insert(threads.begin(), ThreadEntry{ev.thread, ev.localBase, ev.start});
        return reply;
    case EventKind::ThreadEnd:
        log.Add(Printf(base::GetString(kMsgLogThreadExit), ev.thread, static_cast<int>(ev.exitCode)));
        std::erase_if(threads, [&](const ThreadEntry& t) { return t.id == ev.thread; });
        return reply;
    case EventKind::DllLoad:
        DllLoaded(*this, ev, reply);
        return reply;
    case EventKind::DllUnload:
        DllUnloaded(*this, ev);
        return reply;
    case EventKind::DebugString: {
        std::string text = ev.text;
        while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
        log.Add(Text(kMsgLogDebugString) + "\n + \"" + text + "\"");
        // Shown by the window thread in the status line, one at a time, never as a box the
        // debug thread would wait on.
        if (text.compare(0, 4, "LDR:") != 0) reply.notices.push_back(Say(Notice::Status, text));
        return reply;
    }
    case EventKind::Rip:
        log.Add("RIP" + Printf("\n + %s%d\n + %s%d", "dwError: ", static_cast<int>(ev.ripError), "dwType: ",
                               static_cast<int>(ev.ripType)));
        return reply;
    case EventKind::Other:
        log.Add(Printf("Debug Event:Unknown [0x%x]", ev.rawKind));
        return reply;
    }
    return reply;
}

std::uint32_t Engine::PrepareResume() {
    std::uint32_t status = resumeStatus;
    resumeStatus = kContinueHandled;
    breakpoints.RemoveUnflagged(Code());
    bool anyData = std::any_of(std::begin(slots), std::end(slots), [](const DataSlot& s) { return s.address && s.enabled; });
    if (anyData) {
        Registers regs;
        if (process.getRegisters(eventThread, regs)) {
            regs.flags |= kTraceFlag;
            if (process.setRegisters(eventThread, regs)) stepForData = true;
        }
    }
    return status;
}

KillPlan Engine::PrepareKill() {
    KillPlan plan;
    CodeAccess code = Code();
    breakpoints.Clear(&code);
    rearm.reset();
    step = StepState{};
    stepForData = false;
    const DebugInfo& info = debugInfo();
    for (const ThreadEntry& t : threads) {
        Registers regs;
        if (!process.getRegisters(t.id, regs)) continue;
        regs.flags &= ~kTraceFlag;
        regs.dr7 = 0, regs.dr6 = 0;
        process.setRegisters(t.id, regs);
    }
    for (DataSlot& s : slots) s = DataSlot{};
    // The C runtime's exit runs the program's exit handlers; ExitProcess is next best. Only a
    // function whose address the program's own import slot holds is trusted.
    const Import* exit = nullptr;
    for (auto [dll, name] : {std::pair{"msvcrt.dll", "exit"}, std::pair{"kernel32.dll", "ExitProcess"}})
        if (!exit) {
            const Import* imp = FindImport(info, dll, name);
            if (imp && imp->address) exit = imp;
        }
    Registers regs;
    if (!exit || !target || !process.getRegisters(mainThread, regs)) return plan;
    // A call with exit code 0, on stack below whatever the thread was doing.
    unsigned size = target->pointerSize;
    std::uint64_t sp = (regs.Sp() - 0x200) & ~std::uint64_t{0xF};
    std::uint64_t zero = 0;
    if (size == 4) sp -= 8;  // the argument and the return address
    else sp -= 8, regs.general[kCx] = 0;  // the return address; the home area lies above it
    if (!process.write(sp, &zero, 8)) return plan;
    regs.general[kSp] = sp;
    regs.ip = exit->address;
    if (!process.setRegisters(mainThread, regs)) return plan;
    plan.terminate = false;
    plan.function = exit->address;
    return plan;
}

}  // namespace tarvo::debugger
