// CodeView 4: the subsection directory and the module, symbol, source-line and type
// subsections (see codeview_format.md for the layout and for the 64-bit choices).
#include <algorithm>

#include "base/messages.h"
#include "debugger/codeview_records.h"
#include "debugger/debug_messages.h"
#include "debugger/reader_internal.h"
#include "platform/text.h"

namespace tarvo::debugger::detail {
namespace {

using namespace cv4;  // the kinds of subsections and records

constexpr std::uint16_t kSkippedKinds[] = {1, 4, 5, 6, 9, 0x200, 0x206, 0x207, 0x209, 0x400, 0x401, 0x402};
constexpr std::uint16_t kLongestUnknownRecord = 500;

struct DirEntry {
    std::uint16_t kind, module;
    Bytes data;
};

// Where the symbols of a walk go.
enum class SymbolSource { Module, Globals, Statics };

// One walk of a symbol subsection. The names walk (of every subsection of the image) makes
// the image's name tables and counts damage to the records themselves; the walk of one
// module's subsections makes its functions, locals, statics and constants and counts damage
// to those only, so that nothing is reported twice.
struct SymbolWalk {
    const Image& image;
    int& damaged;
    Bytes sub;  // the subsection
    SymbolSource source;
    int moduleNumber = 0;             // of a module's subsection
    ImageNames* names = nullptr;      // the names walk
    int* functions = nullptr;         // names walk: procedures of the module so far
    ModuleSymbols* module = nullptr;  // the module walk
};

NameEntry Entry(std::string_view name, std::uint16_t type, std::uint64_t value) {
    NameEntry e;
    e.name = name;
    e.type = type;
    e.value = value;
    return e;
}

Module* ModuleOf(ReadState& s, std::uint16_t index) {
    if (index == 0 || index > s.image.moduleCount) {
        if (!s.indexReported) base::ErrorBox(Printf(base::GetString(kMsgBadModuleIndex), int(index)));
        s.indexReported = true;
        return nullptr;
    }
    return &s.info.modules[s.image.firstModule + index - 1];
}

void AddData(SymbolWalk& w, std::uint16_t kind, Bytes rec) {
    std::uint32_t offset = Get<std::uint32_t>(rec, 4);
    std::uint16_t segment = Get<std::uint16_t>(rec, 8), type = Get<std::uint16_t>(rec, 10);
    bool modules = kind == kSymLocalData && w.source == SymbolSource::Module;
    if (modules != (w.module != nullptr)) return;  // the other walk's
    std::string_view name;
    auto address = SectionAddress(w.image, segment, offset);
    if (!ReadCountedName(rec, 12, name) || !address) {
        ++w.damaged;
        return;
    }
    NameEntry e = Entry(name, type, *address);
    if (modules) w.module->statics.Add(e);
    else if (kind != kSymLocalData) w.names->globals.Add(e);
    else w.names->statics.Add(e);
}

void AddConstant(SymbolWalk& w, Bytes rec) {
    if (Get<std::uint16_t>(rec, 6) != kLeafVarString || !w.module) return;  // numeric values are not kept;
                                                                           // constants are the module walk's
    std::uint16_t length = 0;
    std::string_view name;
    if (!Read(rec, 8, length) || !Fits(rec, 10, length) || !ReadCountedName(rec, 10 + length, name)) {
        ++w.damaged;
        return;
    }
    NameEntry e = Entry(name, Get<std::uint16_t>(rec, 4), 0);
    e.text = std::string_view(reinterpret_cast<const char*>(rec.data() + 10), length);
    w.module->constants.Add(e);
}

// The locals nested in a procedure, up to its end record.
void ReadLocals(SymbolWalk& w, std::uint64_t from, std::uint64_t to, Function& f) {
    f.firstLocal = static_cast<std::uint32_t>(w.module->locals.size());
    for (std::uint64_t at = from; at + 4 <= to;) {
        std::uint16_t length = Get<std::uint16_t>(w.sub, at);
        Bytes rec = Slice(w.sub, at, std::uint64_t(length) + 2);
        if (length < 2 || rec.empty()) {
            ++w.damaged;
            return;
        }
        std::uint16_t kind = Get<std::uint16_t>(rec, 2);
        Local l;
        bool ok = true;
        if (kind == kSymRegister) {
            l.type = Get<std::uint16_t>(rec, 4);
            l.reg = Get<std::uint16_t>(rec, 6);
            l.inRegister = true;
            ok = ReadCountedName(rec, 8, l.name);
        } else if (kind == kSymBpRel) {
            l.frameOffset = static_cast<std::int32_t>(Get<std::uint32_t>(rec, 4));
            l.type = Get<std::uint16_t>(rec, 8);
            ok = ReadCountedName(rec, 10, l.name);
        } else {
            at += rec.size();
            continue;
        }
        if (ok) {
            w.module->locals.push_back(l);
            ++f.localCount;
        }
        else ++w.damaged;
        at += rec.size();
    }
}

void AddProcedure(SymbolWalk& w, std::uint16_t kind, std::uint64_t at, Bytes rec) {
    Function f;
    f.kind = kind;
    std::uint32_t end = Get<std::uint32_t>(rec, 8), length = Get<std::uint32_t>(rec, 16);
    std::uint32_t debugStart = Get<std::uint32_t>(rec, 20), debugEnd = Get<std::uint32_t>(rec, 24);
    std::uint32_t offset = Get<std::uint32_t>(rec, 28);
    std::uint16_t segment = Get<std::uint16_t>(rec, 32);
    f.type = Get<std::uint16_t>(rec, 34);
    auto start = SectionAddress(w.image, segment, offset);
    if (!start || !ReadCountedName(rec, 37, f.name)) {
        if (w.names) ++w.damaged;
        return;
    }
    if (w.names) {
        NameEntry e = Entry(f.name, kind, *start);
        e.function = (*w.functions)++;
        e.module = w.moduleNumber;
        w.names->globals.Add(e);
        return;
    }
    f.start = *start;
    f.end = f.start + length;
    f.debugStart = f.start + std::min(debugStart, length);
    f.debugEnd = f.start + std::min(debugEnd, length);
    // The end offset must lie after the record, inside this subsection; else no locals.
    if (end > at && end <= w.sub.size()) ReadLocals(w, at + rec.size(), end, f);
    else ++w.damaged;
    w.module->functions.push_back(f);
}

void WalkSymbols(SymbolWalk& w, std::uint64_t from, std::uint64_t to) {
    for (std::uint64_t at = from; at + 4 <= to;) {
        std::uint16_t length = Get<std::uint16_t>(w.sub, at);
        Bytes rec = Slice(w.sub, at, std::uint64_t(length) + 2);
        if (length < 2 || rec.empty() || at + rec.size() > to) {
            if (w.names) ++w.damaged;
            return;
        }
        std::uint16_t kind = Get<std::uint16_t>(rec, 2);
        switch (kind) {
        case kSymConstant: AddConstant(w, rec); break;
        case kSymLocalData:
        case kSymGlobalData:
        case kSymPublic: AddData(w, kind, rec); break;
        case kSymLocalProc:
        case kSymGlobalProc:
            if (w.source == SymbolSource::Module) AddProcedure(w, kind, at, rec);
            break;
        default:
            if (length > kLongestUnknownRecord &&
                std::find(std::begin(kSkippedKinds), std::end(kSkippedKinds), kind) == std::end(kSkippedKinds))
                return;
        }
        at += rec.size();
    }
}

std::optional<Range> SegmentRange(const Image& image, std::uint16_t segment, std::uint32_t start, std::uint32_t end) {
    auto a = SectionAddress(image, segment, start), b = SectionAddress(image, segment, end);
    if (!a || !b || *b < *a) return std::nullopt;
    return Range{*a, *b};
}

void AddSegment(Module& m, Range r) {
    if (r.end > r.start && std::find_if(m.segments.begin(), m.segments.end(), [&](const Range& x) {
                               return x.start == r.start && x.end == r.end;
                           }) == m.segments.end())
        m.segments.push_back(r);
}

bool ReadModule(ReadState& s, Module& m, Bytes sub) {
    std::uint16_t count = Get<std::uint16_t>(sub, 4);
    std::uint64_t nameAt = 8 + 12ull * count;
    if (!ReadCountedName(sub, nameAt, m.name)) return false;
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint64_t d = 8 + 12ull * i;
        std::uint32_t offset = Get<std::uint32_t>(sub, d + 4), size = Get<std::uint32_t>(sub, d + 8);
        auto r = SegmentRange(s.image, Get<std::uint16_t>(sub, d), offset, offset + size);
        if (!r || offset + size < offset) return false;
        AddSegment(m, *r);
    }
    return true;
}

// One file of a source-module subsection; its line tables stay where they are.
bool ReadSourceFile(ReadState& s, Bytes sub, std::uint32_t at, SourceFile& file) {
    std::uint16_t count = 0;
    if (!Read(sub, at, count)) return false;
    std::uint64_t pairs = at + 4 + 4ull * count;
    if (!ReadCountedName(sub, pairs + 8ull * count, file.name)) return false;
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint32_t table = Get<std::uint32_t>(sub, at + 4 + 4ull * i);
        std::uint16_t segment = 0, entries = 0;
        if (!Read(sub, table, segment) || !Read(sub, std::uint64_t(table) + 2, entries)) return false;
        std::uint64_t offsets = std::uint64_t(table) + 4, numbers = offsets + 4ull * entries;
        if (!Fits(sub, offsets, 6ull * entries)) return false;
        auto range = SegmentRange(s.image, segment, Get<std::uint32_t>(sub, pairs + 8ull * i),
                                  Get<std::uint32_t>(sub, pairs + 8ull * i + 4));
        if (!range) return false;
        LineSegment seg;
        seg.range = *range;
        seg.base = range->start - Get<std::uint32_t>(sub, pairs + 8ull * i);
        seg.offsets = Slice(sub, offsets, 4ull * entries);
        seg.numbers = Slice(sub, numbers, 2ull * entries);
        file.segments.push_back(seg);
    }
    return true;
}

bool ReadSourceModule(ReadState& s, Module& m, Bytes sub) {
    std::uint16_t fileCount = 0, segCount = 0;
    if (!Read(sub, 0, fileCount) || !Read(sub, 2, segCount)) return false;
    std::uint64_t pairs = 4 + 4ull * fileCount, segNumbers = pairs + 8ull * segCount;
    if (!Fits(sub, segNumbers, 2ull * segCount)) return false;
    std::vector<SourceFile> files(fileCount);
    for (std::uint16_t f = 0; f < fileCount; ++f)
        if (!ReadSourceFile(s, sub, Get<std::uint32_t>(sub, 4 + 4ull * f), files[f])) return false;
    std::vector<Range> ranges;
    for (std::uint16_t i = 0; i < segCount; ++i) {
        auto r = SegmentRange(s.image, Get<std::uint16_t>(sub, segNumbers + 2ull * i), Get<std::uint32_t>(sub, pairs + 8ull * i),
                              Get<std::uint32_t>(sub, pairs + 8ull * i + 4));
        if (!r) return false;
        ranges.push_back(*r);
    }
    for (const Range& r : ranges) AddSegment(m, r);
    for (SourceFile& f : files) m.files.push_back(std::move(f));
    return true;
}

bool ReadTypes(ReadState& s, Bytes sub) {
    std::uint32_t count = 0;
    if (!Read(sub, 4, count) || !Fits(sub, 8, 4ull * count)) return false;
    TypeTable t;
    t.records = Slice(sub, 8 + 4ull * count, sub.size() - 8 - 4ull * count);
    t.offsets.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t offset = Get<std::uint32_t>(sub, 8 + 4ull * i);
        std::uint16_t length = 0;
        if (!Read(t.records, offset, length) || length < 2 || !Fits(t.records, offset, length + 2ull)) return false;
        t.offsets.push_back(offset);
    }
    s.image.types = std::move(t);
    return true;
}

bool ReadDirectory(Bytes cv, std::vector<DirEntry>& out) {
    std::uint32_t dirAt = 0, count = 0;
    std::uint16_t headerSize = 0, entrySize = 0;
    if (!Fits(cv, 0, 4) || !Read(cv, 4, dirAt) || !Read(cv, dirAt, headerSize) || !Read(cv, dirAt + 2ull, entrySize) ||
        !Read(cv, dirAt + 4ull, count))
        return false;
    if (headerSize < 8 || entrySize < 12 || !Fits(cv, std::uint64_t(dirAt) + headerSize, std::uint64_t(entrySize) * count))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint64_t e = std::uint64_t(dirAt) + headerSize + std::uint64_t(entrySize) * i;
        std::uint32_t offset = Get<std::uint32_t>(cv, e + 4), size = Get<std::uint32_t>(cv, e + 8);
        DirEntry d{Get<std::uint16_t>(cv, e), Get<std::uint16_t>(cv, e + 2), Slice(cv, offset, size)};
        if (d.data.size() != size) d.kind = 0;  // does not fit: skipped below as damaged
        out.push_back(d);
    }
    return true;
}

bool IsModuleKind(std::uint16_t kind) { return kind == kSubModule || kind == kSubAlignSym || kind == kSubSrcModule; }

}  // namespace

void ReadCodeView(ReadState& s, Bytes cv) {
    std::vector<DirEntry> dir;
    if (!ReadDirectory(cv, dir)) {
        base::ErrorBox(Printf(base::GetString(kMsgDamagedCodeView), s.image.name.c_str()));
        return;
    }
    s.image.codeView = true;
    // Every subsection that names a module counts, so no module number falls outside the table.
    int highest = 0;
    for (const DirEntry& d : dir)
        if (IsModuleKind(d.kind)) highest = std::max<int>(highest, d.module);
    s.image.firstModule = static_cast<int>(s.info.modules.size());
    s.image.moduleCount = highest;
    s.info.modules.resize(s.info.modules.size() + highest);
    for (int i = 0; i < highest; ++i) {
        Module& m = s.info.modules[s.image.firstModule + i];
        m.number = s.image.firstModule + i;
        m.image = s.imageNumber;
        m.owner = &s.image;
    }
    // The symbol subsections are only checked here and kept; their records are decoded on
    // first use (DecodeNames, DecodeModule).
    for (const DirEntry& d : dir) {
        bool ok = true;
        switch (d.kind) {
        case 0: ok = false; break;
        case kSubModule:
            if (Module* m = ModuleOf(s, d.module)) ok = ReadModule(s, *m, d.data);
            break;
        case kSubAlignSym:
            if (Module* m = ModuleOf(s, d.module)) {
                if (Get<std::uint32_t>(d.data, 0) != 1) ok = false;
                else s.image.symbolSubsections.push_back({d.kind, m->number, d.data});
            }
            break;
        case kSubSrcModule:
            if (Module* m = ModuleOf(s, d.module)) ok = ReadSourceModule(s, *m, d.data);
            break;
        case kSubGlobalSym:
        case kSubStaticSym: {
            std::uint32_t length = 0;
            if (!Read(d.data, 4, length) || !Fits(d.data, 16, length)) ok = false;
            else s.image.symbolSubsections.push_back({d.kind, 0, Slice(d.data, 0, 16ull + length)});
            break;
        }
        case kSubGlobalTypes: ok = ReadTypes(s, d.data); break;
        default: break;
        }
        if (!ok) ++s.damaged;
    }
}

ImageNames DecodeNames(const Image& image, int& damaged) {
    ImageNames out;
    std::vector<int> functions(static_cast<std::size_t>(image.moduleCount), 0);
    // Room for the global names at once: a symbol record takes at least this many bytes.
    constexpr std::size_t kSmallestNamedRecord = 40;
    std::size_t symbolBytes = 0;
    for (const SymbolSubsection& sub : image.symbolSubsections)
        if (sub.kind != kSubStaticSym) symbolBytes += sub.data.size();
    out.globals.Reserve(symbolBytes / kSmallestNamedRecord);
    for (const SymbolSubsection& sub : image.symbolSubsections) {
        SymbolWalk w{image, damaged, sub.data, SymbolSource::Module, sub.module, &out};
        if (sub.kind == kSubAlignSym) {
            w.functions = &functions[static_cast<std::size_t>(sub.module - image.firstModule)];
            WalkSymbols(w, 4, sub.data.size());
        } else {
            w.source = sub.kind == kSubGlobalSym ? SymbolSource::Globals : SymbolSource::Statics;
            WalkSymbols(w, 16, sub.data.size());
        }
    }
    return out;
}

ModuleSymbols DecodeModule(const Image& image, int number, int& damaged) {
    ModuleSymbols out;
    // A procedure with its end record takes at least this many bytes.
    constexpr std::size_t kSmallestProcedure = 44;
    for (const SymbolSubsection& sub : image.symbolSubsections) {
        if (sub.kind != kSubAlignSym || sub.module != number) continue;
        out.functions.reserve(out.functions.size() + sub.data.size() / kSmallestProcedure);
        SymbolWalk w{image, damaged, sub.data, SymbolSource::Module, number};
        w.module = &out;
        WalkSymbols(w, 4, sub.data.size());
    }
    return out;
}

}  // namespace tarvo::debugger::detail

namespace tarvo::debugger {
namespace {

void ReportDamage(const Image& image, int damaged) {
    if (damaged) base::ErrorBox(Printf(base::GetString(kMsgDamagedSubsections), image.name.c_str(), damaged));
}

const ModuleSymbols& NoSymbols() {
    static const ModuleSymbols none;
    return none;
}

}  // namespace

const ImageNames& Image::Names() const {
    if (!names_) {
        int damaged = 0;
        names_ = std::make_unique<ImageNames>(detail::DecodeNames(*this, damaged));
        ReportDamage(*this, damaged);
    }
    return *names_;
}

const ModuleSymbols& Image::SymbolsOf(int module) const {
    std::size_t at = static_cast<std::size_t>(module - firstModule);
    if (module < firstModule || at >= static_cast<std::size_t>(moduleCount)) return NoSymbols();
    Names();  // damage to the records themselves is reported by the names, before the module's own
    if (modules_.empty()) modules_.resize(static_cast<std::size_t>(moduleCount));
    if (!modules_[at]) {
        int damaged = 0;
        modules_[at] = std::make_unique<ModuleSymbols>(detail::DecodeModule(*this, module, damaged));
        ReportDamage(*this, damaged);
    }
    return *modules_[at];
}

const ModuleSymbols& Module::Symbols() const { return owner ? owner->SymbolsOf(number) : NoSymbols(); }

}  // namespace tarvo::debugger
