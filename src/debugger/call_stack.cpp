#include "debugger/call_stack.h"

#include <algorithm>
#include <utility>

#include "base/messages.h"
#include "debugger/cv_types.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/wide_format.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;
using ll = long long;

constexpr std::uint64_t kLowestReturn = 0x1000;  // no code lies below: a small number is data
constexpr std::uint64_t kLowStack = 0x400;       // a stack pointer this low ran out of stack
constexpr std::uint64_t kPage = 0x1000;
constexpr std::size_t kDumpWords = 15;
constexpr std::size_t kLocalText = 1024;
constexpr std::size_t kNearbyNames = 199;
constexpr std::size_t kNearbyText = 2047;
constexpr std::size_t kNearbyPiece = 40;  // a multi-line value is cut once a piece is longer

std::string Msg(unsigned id) { return WidenIntegerConversions(base::GetString(id)); }

std::uint64_t Masked(std::uint64_t v, unsigned size) { return size >= 8 ? v : v & ((std::uint64_t{1} << (8 * size)) - 1); }

ll Signed(std::uint64_t v, unsigned size) {
    if (size >= 8) return static_cast<ll>(v);
    std::uint64_t sign = std::uint64_t{1} << (8 * size - 1);
    return static_cast<ll>((Masked(v, size) ^ sign) - sign);
}

// A little-endian word of 1 to 8 bytes.
bool ReadWord(const MemoryReader& read, std::uint64_t address, unsigned size, std::uint64_t& out) {
    std::uint8_t b[8] = {};
    if (size == 0 || size > 8 || !read(address, b, size)) return false;
    out = 0;
    for (unsigned i = 0; i < size; ++i) out |= std::uint64_t{b[i]} << (8 * i);
    return true;
}

bool ValidModule(const DebugInfo& info, int module) {
    return module > 0 && module < static_cast<int>(info.modules.size());
}

// The line of a function's code at `address`; before the first entry, the first entry's line.
unsigned LineOrFirst(const FunctionLines& lines, const Function& function, std::uint64_t address) {
    unsigned line = LineInFunction(lines, function, address);
    return line || lines.Empty() ? line : lines.entries.front().line;
}

// One frame's text and arguments. A caller is looked up at its return address less one: the
// call instruction's own line, and its own function when the call was the function's last.
Frame DescribeFrame(const DebugInfo& info, const Target& target, std::uint64_t address, std::uint64_t fp, bool caller,
                    const MemoryReader& read, int radix) {
    Frame fr;
    fr.address = address;
    fr.framePointer = fp;
    std::uint64_t at = caller && address ? address - 1 : address;
    fr.module = ModuleOfAddress(info, at);
    if (!fr.module) {
        int image = ImageOfAddress(info, at);
        fr.text = image >= 0 ? Printf(Msg(kMsgFrameDll).c_str(), info.images[image]->name.c_str(), static_cast<ull>(address))
                             : Printf(Msg(kMsgFrameUnknown).c_str(), static_cast<ull>(address));
        return fr;
    }
    const Module& m = info.modules[fr.module];
    fr.function = FunctionOfAddress(m, at);
    if (fr.function < 0) {
        auto coff = m.owner ? CoffFunctionAt(*m.owner, at) : std::nullopt;
        std::string symbol(coff ? coff->name : std::string_view{});
        fr.text = Printf(Msg(kMsgFrameNoFunction).c_str(), std::string(m.name).c_str(), static_cast<ull>(address), symbol.c_str());
        return fr;
    }
    const Function& fn = m.Functions()[fr.function];
    std::string name(fn.name);
    FunctionLines lines = LinesOfFunction(info, fr.module, fn);
    fr.line = LineInFunction(lines, fn, at);
    if (lines.file >= 0) fr.file = m.files[lines.file].name;
    if (fr.line && !fr.file.empty())
        fr.text = Printf(Msg(kMsgFrameLine).c_str(), name.c_str(), fr.file.c_str(), static_cast<ll>(fr.line));
    else if (!caller)
        fr.text = Printf(Msg(kMsgFrameUnknownLine).c_str(), name.c_str(), static_cast<ull>(address));
    else
        fr.text = name;
    fr.arguments = FrameArguments(info, target, fr.module, fn, fp, read, radix);
    return fr;
}

// The search logs a call into a DLL it passes: the imported function's name, or the DLL's.
void LogDllCall(const DebugInfo& info, std::uint64_t target, std::vector<std::string>& log) {
    std::string name;
    if (const Import* slot = ImportBySlot(info, target); slot && slot->address) {
        name = slot->function;
        target = slot->address;
    } else if (int image = ImageOfAddress(info, target); image > 0) {
        const Import* imp = ImportByAddress(info, target);
        name = imp ? std::string(imp->function) : info.images[image]->name;
    } else {
        return;
    }
    log.push_back(Printf(Msg(kMsgLogDllCall).c_str(), name.c_str(), static_cast<ull>(target)));
}

// A value of several lines: the line breaks inside a piece of up to 40 characters become blanks,
// the later pieces are indented.
void AppendPieces(const std::string& text, std::vector<std::string>& out) {
    std::vector<std::string> pieces;
    std::string piece;
    std::size_t from = 0;
    for (bool first = true;; first = false) {
        std::size_t end = text.find('\n', from);
        std::string part = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (first) piece = part;
        else if (piece.size() > kNearbyPiece) pieces.push_back(std::exchange(piece, part));
        else piece += ' ' + part;
        if (end == std::string::npos) break;
        from = end + 1;
    }
    pieces.push_back(piece);
    for (std::size_t i = 0; i < pieces.size(); ++i)
        out.push_back(i == 0 ? pieces[i] : (i + 1 < pieces.size() ? "     " : "      ") + pieces[i]);
}

}  // namespace

FunctionLines LinesOfFunction(const DebugInfo& info, int module, const Function& function) {
    FunctionLines out;
    out.module = module;
    if (!ValidModule(info, module)) return out;
    const Module& m = info.modules[module];
    for (std::size_t f = 0; f < m.files.size(); ++f)
        for (const LineSegment& seg : m.files[f].segments) {
            if (seg.range.start >= function.end || seg.range.end <= function.start) continue;
            std::vector<LineEntry> run;
            std::size_t i = 0, n = seg.Count();
            while (i < n && seg.Address(i) < function.start) ++i;
            for (; i < n && seg.Address(i) < function.end; ++i) run.push_back({seg.Address(i), seg.Line(i)});
            // A header's inline code may lie inside the function: the file whose entries start
            // nearest to the function's start is the function's own.
            if (!run.empty() && (out.entries.empty() || run.front().address < out.entries.front().address)) {
                out.file = static_cast<int>(f);
                out.entries = std::move(run);
            }
        }
    return out;
}

unsigned LineInFunction(const FunctionLines& lines, const Function& function, std::uint64_t address) {
    if (address < function.start || address >= function.end) return 0;
    // The last entry at or below the address; of several at one address, the last in the table.
    const LineEntry* best = nullptr;
    for (const LineEntry& e : lines.entries)
        if (e.address <= address && (!best || e.address >= best->address)) best = &e;
    return best ? best->line : 0;
}

unsigned LineStartingAt(const FunctionLines& lines, std::uint64_t address) {
    unsigned line = 0;
    for (const LineEntry& e : lines.entries)
        if (e.address == address) line = e.line;
    return line;
}

ReturnTest TestReturnAddress(const Target& target, std::uint64_t word, const MemoryReader& read) {
    if (word < kLowestReturn) return {};
    // The longest call form: a prefix, FF, ModRM, SIB and a 32-bit displacement. The code may
    // begin just before W on a readable page: take as many bytes as can be read.
    constexpr unsigned kLongest = 8;
    std::uint8_t bytes[kLongest] = {};
    unsigned have = kLongest;
    while (have >= 2 && !read(word - have, bytes + kLongest - have, have)) --have;
    if (have < 2) return {};
    auto at = [&](unsigned back) { return back <= have ? int{bytes[kLongest - back]} : -1; };  // the byte at W - back
    auto disp32 = [&](unsigned back) {
        std::uint32_t v = 0;
        for (unsigned i = 0; i < 4; ++i) v |= std::uint32_t(bytes[kLongest - back + i]) << (8 * i);
        return static_cast<std::int64_t>(static_cast<std::int32_t>(v));
    };
    auto found = [&](std::uint64_t t) { return ReturnTest{true, Masked(t, target.pointerSize)}; };
    bool wide = target.pointerSize == 8;
    if (at(5) == 0xE8) return found(word + disp32(4));                                // call rel32
    if (at(2) == 0xFF && (at(1) & 0xF8) == 0xD0) return found(word);                 // call reg
    if (at(3) == 0xFF && (at(2) & 0xF8) == 0x50 && at(2) != 0x54) return found(word);  // call [reg + d8]
    if (at(4) == 0xFF && at(3) == 0x54) return found(word);                          // ... with SIB
    if (at(6) == 0xFF && at(5) == 0x15)                                               // call [slot]
        return found(wide ? word + disp32(4) : static_cast<std::uint64_t>(disp32(4)));
    if (at(6) == 0xFF && (at(5) & 0xF8) == 0x90 && at(5) != 0x94) return found(word);  // call [reg + d32]
    if (at(7) == 0xFF && at(6) == 0x94) return found(word);                          // ... with SIB
    return {};
}

std::vector<Frame> WalkStack(const DebugInfo& info, const Target& target, const Registers& regs,
                             const MemoryReader& read, std::uint64_t stackBase, int radix) {
    std::vector<Frame> frames;
    const unsigned size = target.pointerSize;
    std::uint64_t ip = regs.ip, fp = regs.Fp();
    bool caller = false;
    while (frames.size() < kMaxFrames) {
        frames.push_back(DescribeFrame(info, target, ip, fp, caller, read, radix));
        const Frame& fr = frames.back();
        if (!fr.module && ImageOfAddress(info, caller && ip ? ip - 1 : ip) < 0) break;  // outside modules and DLLs
        if (fr.function >= 0 && info.modules[fr.module].Functions()[fr.function].start == info.entryFunction) break;
        // A damaged chain must neither loop nor wander off: each frame lies above the one it was
        // called from, inside the stack.
        if (fp < regs.Sp() || (stackBase && fp >= stackBase)) break;
        std::uint64_t next = 0, ret = 0;
        if (!ReadWord(read, fp, size, next) || !ReadWord(read, fp + size, size, ret)) break;
        if (next <= fp || (stackBase && next >= stackBase) || ret == 0) break;
        ip = ret, fp = next, caller = true;
    }
    return frames;
}

std::vector<std::string> FrameArguments(const DebugInfo& info, const Target& target, int module,
                                        const Function& function, std::uint64_t framePointer,
                                        const MemoryReader& read, int radix) {
    std::vector<std::string> out;
    bool any = false;
    if (ValidModule(info, module)) {
        const Module& m = info.modules[module];
        ValueSource src{&info, read, radix};
        for (const Local& l : m.LocalsOf(function)) {
            if (l.inRegister || l.frameOffset <= 0) continue;
            any = true;
            TypeRef type{m.image, l.type};
            std::uint64_t address = framePointer + static_cast<std::uint64_t>(l.frameOffset);
            // Read with the type's own size: a pointer on the 64-bit machine is 8 bytes.
            std::uint64_t size = TypeSize(info, type), word = 0;
            unsigned width = size >= 1 && size <= 8 ? static_cast<unsigned>(size) : target.pointerSize;
            if (!ReadWord(read, address, width, word)) break;
            std::string typeName = TypeText(info, type), name(l.name);
            if (StripModifiers(info, type).index < kFirstRecordType) {
                Value v;
                v.name = name;
                v.type = type;
                v.address = address;
                v.size = size;
                v.value = word;
                v.local = &l;
                std::string text;
                FormatPrimitive(src, v, text);
                out.push_back(Printf(Msg(kMsgArgument).c_str(), typeName.c_str(), name.c_str(), text.c_str()));
            } else {
                out.push_back(Printf(Msg(kMsgArgumentWord).c_str(), typeName.c_str(), name.c_str(), static_cast<ull>(word)));
            }
        }
    }
    if (!any) out.push_back(Printf(Msg(kMsgNoArguments).c_str(), "(void)"));
    return out;
}

StackSearch FindCurrentFunction(const DebugInfo& info, const Target& target, const Registers& regs,
                                const MemoryReader& read, std::uint64_t stackBase) {
    StackSearch out;
    const unsigned w = target.pointerSize;
    const std::uint64_t sp = regs.Sp();
    // The base may belong to another thread, or be unknown after an attach: then the top of the
    // stack is read anyway, as far as it can be.
    std::uint64_t size = stackBase > sp ? std::min(stackBase - sp, kStackSearchLimit) : kStackSearchLimit;
    size -= size % w;
    std::vector<std::uint8_t> stack(size);
    if (size && !read(sp, stack.data(), size)) {
        size = std::min(size, kPage - sp % kPage);  // the stack pointer's own page
        size -= size % w;
        if (!size || !read(sp, stack.data(), size)) {
            out.error = sp < kLowStack ? Printf(Msg(kMsgStackOverflow).c_str(), static_cast<ll>(sp)) : Msg(kMsgStackUnreadable);
            out.log.push_back(out.error);
            return out;
        }
    }
    out.log.push_back(Printf(Msg(kMsgLogStackRead).c_str(), static_cast<ll>(size), static_cast<ull>(stackBase),
                             static_cast<ull>(sp)));
    std::vector<std::uint64_t> words{regs.ip};
    for (std::size_t i = 0; i + w <= size; i += w) {
        std::uint64_t v = 0;
        for (unsigned k = 0; k < w; ++k) v |= std::uint64_t{stack[i + k]} << (8 * k);
        words.push_back(v);
    }
    for (std::size_t i = 0; i < words.size() && !out.found; ++i) {
        const std::uint64_t word = words[i];
        const bool first = i == 0;
        std::uint64_t at = !first && word ? word - 1 : word;
        int m = word ? ModuleOfAddress(info, at) : 0;
        if (!m) {
            if (ReturnTest r = TestReturnAddress(target, word, read); r.isReturn) LogDllCall(info, r.target, out.log);
            continue;
        }
        if (!first && !TestReturnAddress(target, word, read).isReturn) continue;
        const Module& mod = info.modules[m];
        int f = FunctionOfAddress(mod, at);
        if (f < 0) continue;
        const Function& fn = mod.Functions()[f];
        FunctionLines lines = LinesOfFunction(info, m, fn);
        if (lines.Empty()) {
            out.log.push_back(Msg(kMsgLogNoLines));
            break;
        }
        out.found = true;
        out.module = m;
        out.function = f;
        out.address = word;
        out.file = mod.files[lines.file].name;
        out.line = LineOrFirst(lines, fn, at);
        out.log.push_back(Printf(Msg(kMsgLogCurrentFunction).c_str(), std::string(fn.name).c_str(), static_cast<ll>(out.line)));
    }
    out.log.push_back(out.found ? Printf(Msg(kMsgLogSearchFound).c_str(), static_cast<ll>(out.module)) : Msg(kMsgLogSearchFailed));
    return out;
}

std::string StackDumpText(const Target& target, const Registers& regs, const MemoryReader& read, int radix) {
    std::string out;
    const unsigned w = target.pointerSize;
    for (std::size_t i = 0; i < kDumpWords; ++i) {
        std::uint64_t address = regs.Sp() + i * w, word = 0;
        if (!ReadWord(read, address, w, word)) break;
        if (address == regs.Fp()) out += Msg(kMsgDumpFramePointer);
        ll offset = static_cast<ll>(i * w);
        out += radix == 16 ? Printf(Msg(kMsgDumpWordHex).c_str(), offset, static_cast<ull>(word))
                           : Printf(Msg(kMsgDumpWord).c_str(), offset, Signed(word, w));
    }
    return out;
}

std::vector<std::string> LocalsText(const EvalContext& ctx, int module, const Function& function,
                                    std::uint64_t instructionPointer) {
    std::vector<std::string> out;
    const DebugInfo& info = *ctx.info;
    if (!ValidModule(info, module)) return out;
    if (instructionPointer < (function.debugStart ? function.debugStart : function.start)) return out;
    const Module& m = info.modules[module];
    // The evaluator finds locals in the tables' current function; the window may show another
    // frame's function. The tables are the caller's own (not constant), and get theirs back.
    struct Current {
        DebugInfo& tables;
        int module, function;
        ~Current() { tables.currentModule = module, tables.currentFunction = function; }
    } saved{const_cast<DebugInfo&>(info), info.currentModule, info.currentFunction};
    saved.tables.currentModule = module;
    saved.tables.currentFunction = FunctionOfAddress(m, function.start);
    for (const Local& l : m.LocalsOf(function)) {
        std::string name(l.name);
        EvalText t = EvaluateToText(ctx, name, kLocalText);
        std::string line = t.evaluated && t.complete ? t.text : Printf(Msg(kMsgLocalFailed).c_str(), name.c_str());
        std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> NearbyVariablesText(const EvalContext& ctx, const FunctionLines& lines, unsigned currentLine,
                                             const std::function<std::string(unsigned line)>& sourceLine,
                                             std::span<const ReturnedValue> returned) {
    std::vector<std::string> out;
    const DebugInfo& info = *ctx.info;
    const auto& e = lines.entries;
    auto here = std::find_if(e.begin(), e.end(), [&](const LineEntry& x) { return x.line == currentLine; });
    if (here != e.end()) {
        std::size_t i = static_cast<std::size_t>(here - e.begin());
        std::vector<unsigned> taken;
        if (i > 0) taken.push_back(e[i - 1].line);
        else if (e[i].line > 2) taken.push_back(e[i].line - 1);
        for (std::size_t k = i; k < e.size() && k <= i + 2; ++k) taken.push_back(e[k].line);
        std::string text;
        for (unsigned line : taken) text += (text.empty() ? "" : " ") + sourceLine(line);
        for (const Expression& x : PickExpressions(info, text, kNearbyNames)) {
            EvalText r = EvaluateToText(ctx, x.text, kNearbyText);
            if (r.evaluated) AppendPieces(r.text, out);  // a keyword or a type is no variable
        }
    }
    unsigned size = info.images.empty() || !info.images[0]->target ? 4 : info.images[0]->target->pointerSize;
    for (const ReturnedValue& r : returned) {
        std::string name(FunctionNameAt(info, r.function));
        if (name.empty())
            if (const Import* imp = ImportByAddress(info, r.function)) name = imp->function;
        if (name.empty()) name = Printf("0x%llx", static_cast<ull>(r.function));
        out.push_back(Printf(Msg(kMsgReturned).c_str(), name.c_str(), Signed(r.value, size), static_cast<ull>(Masked(r.value, size))));
    }
    return out;
}

}  // namespace tarvo::debugger
