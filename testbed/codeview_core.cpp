#include "codeview_core.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

#include "codeview_types_core.h"
#include "debugger/codeview_records.h"

namespace tarvo::testbed {
namespace {

using binary::Fits;
using binary::Get;
using binary::Read;
using binary::Slice;
namespace cv4 = debugger::cv4;
using namespace cv;

// What clang writes: subsections of .debug$S, symbol kinds and type leaves with 32-bit indices.
enum : std::uint32_t { kCvSignature = 4, kSubSymbols = 0xF1, kSubLines = 0xF2, kSubStrings = 0xF3, kSubChecksums = 0xF4 };
enum : std::uint16_t {
    S_END = 0x0006,
    S_FRAMEPROC = 0x1012,
    S_THUNK32 = 0x1102,
    S_BLOCK32 = 0x1103,
    S_WITH32 = 0x1104,
    S_REGISTER = 0x1106,
    S_CONSTANT = 0x1107,
    S_UDT = 0x1108,
    S_BPREL32 = 0x110B,
    S_LDATA32 = 0x110C,
    S_GDATA32 = 0x110D,
    S_LPROC32 = 0x110F,
    S_GPROC32 = 0x1110,
    S_REGREL32 = 0x1111,
    S_SEPCODE = 0x1132,
    S_LOCAL = 0x113E,
    S_DEFRANGE_REGISTER = 0x1141,
    S_DEFRANGE_FRAMEPOINTER_REL = 0x1142,
    S_DEFRANGE_FRAMEPOINTER_REL_FULL_SCOPE = 0x1144,
    S_DEFRANGE_REGISTER_REL = 0x1145,
    S_LPROC32_ID = 0x1146,
    S_GPROC32_ID = 0x1147,
    S_INLINESITE = 0x114D,
    S_INLINESITE_END = 0x114E,
    S_PROC_ID_END = 0x114F,
};
enum : std::uint16_t { kRelSection = 0x0A, kRelSecRel = 0x0B };  // the same numbers for both machines
constexpr std::uint32_t kLineNumberMask = 0xFFFFFF;
constexpr std::uint32_t kNoStepLine = 0xF00F00, kHiddenLine = 0xFEEFEE;
constexpr std::uint32_t kLongestLine = 0xFFFF;  // line numbers are 16 bits in CodeView 4

// ---- symbols and lines ----

struct OutLocal {
    bool inRegister = false;
    std::int32_t offset = 0;
    std::uint16_t reg = 0, type = 0;
    std::string_view name;
};
struct OutData {
    std::uint16_t kind = 0, segment = 0, type = 0;
    std::uint32_t offset = 0;
    std::string_view name;
};
struct OutConstant {
    std::uint16_t type = 0;
    Bytes value;
    std::string_view name;
};
struct OutProc {
    std::uint16_t kind = 0, segment = 0, type = 0;
    std::uint8_t flags = 0;
    std::uint32_t offset = 0, length = 0, debugStart = 0, debugEnd = 0;
    std::string_view name;
    std::vector<OutLocal> locals;
    std::vector<OutData> statics;
};
struct LineBlock {
    std::uint16_t segment = 0;
    std::uint32_t start = 0, size = 0;  // the function's code the block belongs to
    int file = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> rows;  // offset in the segment, line
};
struct OutModule {
    std::string name;
    std::vector<std::tuple<std::uint16_t, std::uint32_t, std::uint32_t>> code;  // segment, offset, size
    std::vector<OutProc> procs;
    std::vector<OutData> statics;
    std::vector<OutConstant> constants;
    std::vector<std::string> files;
    std::vector<LineBlock> blocks;
};

// Where the image put things: image sections (RVA, size) and the object's sections.
struct Placement {
    std::uint64_t imageBase = 0;
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>* sections = nullptr;
    std::vector<std::uint64_t> addresses;  // by object section
    // 1-based image section and the offset in it of an object section's byte; false for none.
    bool Locate(const CoffObject& o, std::uint32_t symbol, std::uint32_t& section, std::uint32_t& offset) const {
        if (symbol >= o.symbols.size()) return false;
        const CoffSymbol& s = o.symbols[symbol];
        return s.section > 0 && LocateIn(static_cast<std::size_t>(s.section - 1), s.value, section, offset);
    }
    bool LocateIn(std::size_t objectSection, std::uint32_t value, std::uint32_t& section, std::uint32_t& offset) const {
        if (objectSection >= addresses.size() || !addresses[objectSection]) return false;
        std::uint64_t rva = addresses[objectSection] - imageBase + value;
        for (std::size_t k = 0; k < sections->size(); ++k) {
            auto [start, size] = (*sections)[k];
            if (rva >= start && rva - start <= size) {
                section = static_cast<std::uint32_t>(k + 1);
                offset = static_cast<std::uint32_t>(rva - start);
                return true;
            }
        }
        return false;
    }
};

// A .debug$S section with its relocations applied; `bad` marks bytes whose target the image lacks.
struct Relocated {
    std::vector<std::uint8_t> bytes, bad;
    Bytes span() const { return Bytes(bytes); }
    bool Bad(std::uint64_t at, std::uint64_t size) const {
        return std::any_of(bad.begin() + std::min<std::uint64_t>(at, bad.size()),
                           bad.begin() + std::min<std::uint64_t>(at + size, bad.size()), [](std::uint8_t b) { return b; });
    }
};

Relocated Relocate(const CoffObject& o, const CoffSection& s, const Placement& p) {
    Relocated r{std::vector<std::uint8_t>(s.data.begin(), s.data.end()), std::vector<std::uint8_t>(s.data.size(), 0)};
    for (const CoffRelocation& rel : s.relocations) {
        std::size_t width = rel.type == kRelSection ? 2 : 4;
        if (!Fits(r.span(), rel.offset, width)) continue;
        std::uint32_t section = 0, offset = 0;
        bool known = rel.type == kRelSection || rel.type == kRelSecRel;
        if (!known || !p.Locate(o, rel.symbol, section, offset)) {
            std::fill_n(r.bad.begin() + rel.offset, width, 1);
            continue;
        }
        if (rel.type == kRelSection) {
            r.bytes[rel.offset] = static_cast<std::uint8_t>(section);
            r.bytes[rel.offset + 1] = static_cast<std::uint8_t>(section >> 8);
        } else {
            std::uint32_t v = Get<std::uint32_t>(r.span(), rel.offset) + offset;
            for (int k = 0; k < 4; ++k) r.bytes[rel.offset + k] = static_cast<std::uint8_t>(v >> (8 * k));
        }
    }
    return r;
}

struct ModuleReader {
    const CoffObject& object;
    ObjectTypes& types;
    const PathMapping& sourceName;
    OutModule& m;
    std::vector<OutData>& globals;
    std::vector<std::pair<std::uint16_t, std::string_view>>& udts;
    std::vector<std::string>& warnings;
    Bytes strings, checksums;
    std::unordered_map<std::uint32_t, int> fileOfChecksum;
    std::vector<std::unique_ptr<Relocated>> kept;  // names are read in place from these
    int leftOut = 0, longLines = 0;

    int File(std::uint32_t checksum) {
        if (auto it = fileOfChecksum.find(checksum); it != fileOfChecksum.end()) return it->second;
        std::string_view compiled = ZeroName(strings, Get<std::uint32_t>(checksums, checksum));
        std::string name = sourceName(std::string(compiled));
        if (name.empty()) name = std::string(compiled);
        auto at = std::find(m.files.begin(), m.files.end(), name);
        int n = static_cast<int>(at - m.files.begin());
        if (at == m.files.end()) m.files.push_back(name);
        fileOfChecksum.emplace(checksum, n);
        return n;
    }

    void Lines(const Relocated& r, std::uint64_t at, std::uint64_t end) {
        Bytes b = r.span();
        if (r.Bad(at, 8)) return;  // the function's code was discarded
        std::uint32_t start = Get<std::uint32_t>(b, at), size = Get<std::uint32_t>(b, at + 8);
        std::uint16_t segment = Get<std::uint16_t>(b, at + 4);  // the columns after the rows are not needed
        for (std::uint64_t f = at + 12; f + 12 <= end;) {
            std::uint32_t file = Get<std::uint32_t>(b, f), count = Get<std::uint32_t>(b, f + 4), bytes = Get<std::uint32_t>(b, f + 8);
            if (bytes < 12 || f + bytes > end || 8ull * count > bytes - 12) return;
            LineBlock block{segment, start, size, File(file), {}};
            for (std::uint32_t k = 0; k < count; ++k) {
                std::uint32_t offset = Get<std::uint32_t>(b, f + 12 + 8ull * k);
                std::uint32_t line = Get<std::uint32_t>(b, f + 16 + 8ull * k) & kLineNumberMask;
                if (line == 0 || line == kNoStepLine || line == kHiddenLine) continue;
                if (line > kLongestLine) {
                    ++longLines;
                    continue;
                }
                // Of rows at one address only the last holds code; a row of the same line adds nothing.
                if (!block.rows.empty() && block.rows.back().first == start + offset) block.rows.pop_back();
                if (!block.rows.empty() && block.rows.back().second == line) continue;
                block.rows.emplace_back(start + offset, line);
            }
            m.blocks.push_back(std::move(block));
            f += bytes;
        }
    }

    // The local that an S_LOCAL names takes its place from the first S_DEFRANGE after it.
    struct Pending {
        bool open = false, placed = false, parameter = false;
        OutLocal local;
    };

    void Symbols(const Relocated& r, std::uint64_t from, std::uint64_t to) {
        Bytes b = r.span();
        OutProc* proc = nullptr;
        int depth = 0, skipDepth = -1;  // inside a procedure whose code was discarded: skip to its end
        int localBase = 2, paramBase = 2;  // the frame registers from S_FRAMEPROC: 2 is the frame pointer
        Pending pending;
        auto finish = [&] {
            if (pending.open && proc) {
                if (pending.placed) proc->locals.push_back(pending.local);
                else ++leftOut;
            }
            pending = Pending{};
        };
        auto frameLocal = [&](std::int32_t offset) {
            if ((pending.parameter ? paramBase : localBase) != 2) return;
            pending.local.offset = offset;
            pending.placed = true;
        };
        std::uint16_t framePointer = object.machine == 0x8664 ? cv4::kRegRbp : cv4::kRegEbp;
        for (std::uint64_t at = from; at + 4 <= to;) {
            std::uint16_t length = Get<std::uint16_t>(b, at), kind = Get<std::uint16_t>(b, at + 2);
            if (length < 2 || at + 2 + length > to) return;
            Bytes d = Slice(b, at + 4, length - 2u);
            bool bad = r.Bad(at, length + 2u);
            at += 2ull + length;
            bool opens = kind == S_GPROC32 || kind == S_LPROC32 || kind == S_GPROC32_ID || kind == S_LPROC32_ID ||
                         kind == S_BLOCK32 || kind == S_THUNK32 || kind == S_WITH32 || kind == S_SEPCODE || kind == S_INLINESITE;
            bool closes = kind == S_END || kind == S_PROC_ID_END || kind == S_INLINESITE_END;
            if (closes) {
                finish();
                if (--depth <= skipDepth) skipDepth = -1;
                if (depth <= 0) proc = nullptr, depth = 0;
                continue;
            }
            if (skipDepth >= 0) {
                if (opens) ++depth;
                continue;
            }
            if (kind != S_DEFRANGE_FRAMEPOINTER_REL && kind != S_DEFRANGE_FRAMEPOINTER_REL_FULL_SCOPE &&
                kind != S_DEFRANGE_REGISTER_REL && kind != S_DEFRANGE_REGISTER)
                finish();
            switch (kind) {
            case S_GPROC32:
            case S_LPROC32:
            case S_GPROC32_ID:
            case S_LPROC32_ID: {
                if (bad || depth > 0) {
                    skipDepth = depth;
                    if (depth > 0) ++leftOut;
                    break;
                }
                OutProc p;
                p.kind = kind == S_GPROC32 || kind == S_GPROC32_ID ? cv4::kSymGlobalProc : cv4::kSymLocalProc;
                p.length = Get<std::uint32_t>(d, 12);
                std::uint32_t type = Get<std::uint32_t>(d, 24);
                p.type = kind == S_GPROC32_ID || kind == S_LPROC32_ID ? FunctionType(types, type) : MapType(types, type);
                p.offset = Get<std::uint32_t>(d, 28);
                p.segment = Get<std::uint16_t>(d, 32);
                p.flags = Get<std::uint8_t>(d, 34);
                p.name = ZeroName(d, 35);
                m.procs.push_back(std::move(p));
                proc = &m.procs.back();
                localBase = paramBase = 2;
                break;
            }
            case S_FRAMEPROC: {
                std::uint32_t flags = Get<std::uint32_t>(d, 22);
                localBase = (flags >> 14) & 3;
                paramBase = (flags >> 16) & 3;
                break;
            }
            case S_LOCAL:
                pending.open = true;
                pending.local.type = MapType(types, Get<std::uint32_t>(d, 0));
                pending.parameter = Get<std::uint16_t>(d, 4) & 1;
                pending.local.name = ZeroName(d, 6);
                break;
            case S_DEFRANGE_FRAMEPOINTER_REL:
            case S_DEFRANGE_FRAMEPOINTER_REL_FULL_SCOPE:
                if (pending.open && !pending.placed) frameLocal(static_cast<std::int32_t>(Get<std::uint32_t>(d, 0)));
                break;
            case S_DEFRANGE_REGISTER_REL:
                if (pending.open && !pending.placed && Get<std::uint16_t>(d, 0) == framePointer) {
                    pending.local.offset = static_cast<std::int32_t>(Get<std::uint32_t>(d, 4));
                    pending.placed = true;
                }
                break;
            case S_DEFRANGE_REGISTER:
                if (pending.open && !pending.placed) {
                    pending.local.inRegister = true;
                    pending.local.reg = Get<std::uint16_t>(d, 0);
                    pending.placed = true;
                }
                break;
            case S_BPREL32:
            case S_REGREL32:
            case S_REGISTER: {
                if (!proc) break;
                OutLocal l;
                if (kind == S_REGISTER) {
                    l.inRegister = true, l.type = MapType(types, Get<std::uint32_t>(d, 0)), l.reg = Get<std::uint16_t>(d, 4);
                    l.name = ZeroName(d, 6);
                } else if (kind == S_BPREL32) {
                    l.offset = static_cast<std::int32_t>(Get<std::uint32_t>(d, 0)), l.type = MapType(types, Get<std::uint32_t>(d, 4));
                    l.name = ZeroName(d, 8);
                } else {
                    if (Get<std::uint16_t>(d, 8) != framePointer) {
                        ++leftOut;
                        break;
                    }
                    l.offset = static_cast<std::int32_t>(Get<std::uint32_t>(d, 0)), l.type = MapType(types, Get<std::uint32_t>(d, 4));
                    l.name = ZeroName(d, 10);
                }
                proc->locals.push_back(l);
                break;
            }
            case S_LDATA32:
            case S_GDATA32: {
                if (bad) {
                    ++leftOut;
                    break;
                }
                OutData x{kind == S_GDATA32 ? cv4::kSymGlobalData : cv4::kSymLocalData, Get<std::uint16_t>(d, 8),
                          MapType(types, Get<std::uint32_t>(d, 0)), Get<std::uint32_t>(d, 4), ZeroName(d, 10)};
                if (kind == S_GDATA32) globals.push_back(x);
                else if (proc) {
                    // clang names a function's static "function::name"; the debugger looks it up
                    // by the name the source gives it.
                    if (x.name.size() > proc->name.size() + 2 && x.name.substr(0, proc->name.size()) == proc->name &&
                        x.name.substr(proc->name.size(), 2) == "::")
                        x.name.remove_prefix(proc->name.size() + 2);
                    proc->statics.push_back(x);
                }
                else m.statics.push_back(x);
                break;
            }
            case S_CONSTANT: {
                std::size_t n = NumericSize(d, 4);
                if (!n) break;
                m.constants.push_back({MapType(types, Get<std::uint32_t>(d, 0)), d.subspan(4, n), ZeroName(d, 4 + n)});
                break;
            }
            case S_UDT: udts.emplace_back(MapType(types, Get<std::uint32_t>(d, 0)), ZeroName(d, 4)); break;
            default: break;
            }
            if (opens) {
                ++depth;
                if (bad && skipDepth < 0) skipDepth = depth - 1;
            }
        }
        finish();
    }

    void Read(const Placement& p) {
        std::vector<std::unique_ptr<Relocated>> sections;
        for (const CoffSection& s : object.sections)
            if (s.name == ".debug$S" && Get<std::uint32_t>(s.data, 0) == kCvSignature)
                sections.push_back(std::make_unique<Relocated>(Relocate(object, s, p)));
        // The file names first: every line subsection refers to them.
        auto each = [&](const Relocated& r, auto f) {
            Bytes b = r.span();
            for (std::uint64_t at = 4; at + 8 <= b.size();) {
                std::uint32_t kind = Get<std::uint32_t>(b, at), size = Get<std::uint32_t>(b, at + 4);
                if (!Fits(b, at + 8, size)) return;
                f(kind, at + 8, at + 8 + size);
                at += 8ull + size;
                at = (at + 3) & ~std::uint64_t(3);
            }
        };
        for (auto& r : sections)
            each(*r, [&](std::uint32_t kind, std::uint64_t a, std::uint64_t e) {
                if (kind == kSubStrings) strings = Slice(r->span(), a, e - a);
                if (kind == kSubChecksums) checksums = Slice(r->span(), a, e - a);
            });
        for (auto& r : sections)
            each(*r, [&](std::uint32_t kind, std::uint64_t a, std::uint64_t e) {
                if (kind == kSubSymbols) Symbols(*r, a, e);
                else if (kind == kSubLines) Lines(*r, a, e);
            });
        kept = std::move(sections);
        // Procedures take their debug start and end from their lines: the first row after the
        // one at their start (the prologue's), and the last row (the epilogue's).
        for (OutProc& proc : m.procs) {
            std::vector<std::uint32_t> rows;
            for (const LineBlock& b : m.blocks)
                if (b.segment == proc.segment && b.start == proc.offset)
                    for (auto [offset, line] : b.rows) rows.push_back(offset - proc.offset);
            std::sort(rows.begin(), rows.end());
            auto after = std::upper_bound(rows.begin(), rows.end(), 0u);
            proc.debugStart = after == rows.end() ? 0 : *after;
            proc.debugEnd = !rows.empty() && rows.back() > proc.debugStart ? rows.back() : proc.length;
        }
        if (longLines)
            warnings.push_back(m.name + ": " + std::to_string(longLines) +
                               " line rows above line 65535 have no line information (CodeView 4 lines are 16 bits)");
    }
};

// ---- CodeView 4 subsections ----

template <class F>
void Record(Writer& w, F body) {
    std::size_t at = w.b.size();
    w.U16(0);
    body(w);
    w.Align4();
    w.Put16(at, w.b.size() - at - 2);
}

void DataRecord(Writer& w, const OutData& x) {
    Record(w, [&](Writer& r) { r.U16(x.kind), r.U32(x.offset), r.U16(x.segment), r.U16(x.type), r.Counted(x.name); });
}

std::vector<std::uint8_t> ModuleSubsection(const OutModule& m) {
    Writer w;
    w.U16(0), w.U16(0), w.U16(m.code.size()), w.U16(0x5643);  // style "CV"
    for (auto [segment, offset, size] : m.code) w.U16(segment), w.U16(0), w.U32(offset), w.U32(size);
    w.Counted(m.name);
    w.Align4();
    return std::move(w.b);
}

std::vector<std::uint8_t> SymbolSubsection(const OutModule& m, int& locals) {
    Writer w;
    w.U32(1);
    for (const OutData& x : m.statics) DataRecord(w, x);
    for (const OutConstant& c : m.constants)
        Record(w, [&](Writer& r) { r.U16(cv4::kSymConstant), r.U16(c.type), r.Bytes(c.value), r.Counted(c.name); });
    for (const OutProc& p : m.procs) {
        std::size_t start = w.b.size();
        Record(w, [&](Writer& r) {
            r.U16(p.kind), r.U32(0), r.U32(0), r.U32(0), r.U32(p.length), r.U32(p.debugStart), r.U32(p.debugEnd);
            r.U32(p.offset), r.U16(p.segment), r.U16(p.type), r.U8(p.flags), r.Counted(p.name);
        });
        for (const OutLocal& l : p.locals) {
            if (l.inRegister) Record(w, [&](Writer& r) { r.U16(cv4::kSymRegister), r.U16(l.type), r.U16(l.reg), r.Counted(l.name); });
            else Record(w, [&](Writer& r) { r.U16(cv4::kSymBpRel), r.U32(static_cast<std::uint32_t>(l.offset)), r.U16(l.type), r.Counted(l.name); });
            ++locals;
        }
        for (const OutData& x : p.statics) DataRecord(w, x);
        w.Put32(start + 8, w.b.size());  // the end record comes next
        Record(w, [&](Writer& r) { r.U16(cv4::kSymEnd); });
    }
    return std::move(w.b);
}

std::vector<std::uint8_t> SourceSubsection(const OutModule& m, int& lineCount) {
    // Per segment the code range of the module's lines; per file and segment its rows.
    std::map<std::uint16_t, std::pair<std::uint32_t, std::uint32_t>> segments;
    struct FileSegment {
        std::uint32_t start = ~0u, end = 0;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> rows;
    };
    std::vector<std::map<std::uint16_t, FileSegment>> files(m.files.size());
    for (const LineBlock& b : m.blocks) {
        if (b.rows.empty()) continue;
        auto [it, fresh] = segments.emplace(b.segment, std::make_pair(b.start, b.start + b.size));
        if (!fresh) it->second = {std::min(it->second.first, b.start), std::max(it->second.second, b.start + b.size)};
        FileSegment& fs = files[b.file][b.segment];
        fs.start = std::min(fs.start, b.start);
        fs.end = std::max(fs.end, b.start + b.size);
        fs.rows.insert(fs.rows.end(), b.rows.begin(), b.rows.end());
    }
    if (segments.empty()) return {};
    Writer w;
    std::vector<std::size_t> used;
    for (std::size_t f = 0; f < files.size(); ++f)
        if (!files[f].empty()) used.push_back(f);
    w.U16(used.size()), w.U16(segments.size());
    std::size_t fileOffsets = w.b.size();
    for (std::size_t k = 0; k < used.size(); ++k) w.U32(0);
    for (auto& [segment, range] : segments) w.U32(range.first), w.U32(range.second);
    for (auto& [segment, range] : segments) w.U16(segment);
    w.Align4();
    for (std::size_t k = 0; k < used.size(); ++k) {
        w.Put32(fileOffsets + 4 * k, w.b.size());
        // A line table holds at most 65535 rows: a longer one is split over several entries.
        std::vector<std::tuple<std::uint16_t, const FileSegment*, std::size_t, std::size_t>> tables;
        for (auto& [segment, fs] : files[used[k]]) {
            std::stable_sort(fs.rows.begin(), fs.rows.end(), [](auto& a, auto& b) { return a.first < b.first; });
            for (std::size_t from = 0; from < fs.rows.size(); from += 0xFFFF)
                tables.emplace_back(segment, &fs, from, std::min<std::size_t>(fs.rows.size(), from + 0xFFFF));
        }
        w.U16(tables.size()), w.U16(0);
        std::size_t tableOffsets = w.b.size();
        for (std::size_t t = 0; t < tables.size(); ++t) w.U32(0);
        for (auto& [segment, fs, from, to] : tables) w.U32(fs->start), w.U32(fs->end);
        w.Counted(m.files[used[k]]);
        w.Align4();
        for (std::size_t t = 0; t < tables.size(); ++t) {
            auto& [segment, fs, from, to] = tables[t];
            w.Put32(tableOffsets + 4 * t, w.b.size());
            w.U16(segment), w.U16(to - from);
            for (std::size_t r = from; r < to; ++r) w.U32(fs->rows[r].first);
            for (std::size_t r = from; r < to; ++r) w.U16(fs->rows[r].second);
            w.Align4();
            lineCount += static_cast<int>(to - from);
        }
    }
    return std::move(w.b);
}

std::vector<std::uint8_t> GlobalSubsection(const std::vector<OutData>& globals,
                                           const std::vector<std::pair<std::uint16_t, std::string_view>>& udts) {
    Writer w;
    for (int k = 0; k < 4; ++k) w.U32(0);
    for (const OutData& x : globals) DataRecord(w, x);
    for (auto& [type, name] : udts) Record(w, [&](Writer& r) { r.U16(cv4::kSymUdt), r.U16(type), r.Counted(name); });
    w.Put32(4, w.b.size() - 16);
    return std::move(w.b);
}

}  // namespace

std::vector<std::uint8_t> BuildCodeView(std::uint16_t machine, std::uint64_t imageBase,
                                        const std::vector<std::pair<std::uint32_t, std::uint32_t>>& sectionRvas,
                                        const std::vector<LinkedObject>& objects, const LinkMap& map,
                                        const PathMapping& sourceName, CodeViewReport& report) {
    TypeTable types;
    std::vector<OutModule> modules;
    std::vector<OutData> globals;
    std::vector<std::pair<std::uint16_t, std::string_view>> udts;
    std::vector<std::unique_ptr<ModuleReader>> readers;  // symbols are read in place in their bytes
    std::vector<std::unique_ptr<CoffObject>> coffs;
    std::vector<ObjectTypesPtr> objectTypes;
    int leftOut = 0, unknownTypes = 0;
    modules.reserve(objects.size());
    for (const LinkedObject& input : objects) {
        auto object = std::make_unique<CoffObject>();
        std::string problem;
        if (!ReadCoffObject(Bytes(input.bytes), *object, problem)) {
            report.warnings.push_back(input.module + ": " + problem + "; it has no debug information");
            continue;
        }
        if (object->machine != machine) continue;
        bool hasSymbols = std::any_of(object->sections.begin(), object->sections.end(),
                                      [](const CoffSection& s) { return s.name == ".debug$S"; });
        if (!hasSymbols) continue;
        auto placed = map.find(input.mapName);
        if (placed == map.end()) {
            if (input.fromLibrary) continue;
            report.warnings.push_back(input.module + ": the map file does not list it; it has no debug information");
            continue;
        }
        Placement p{imageBase, &sectionRvas, PlaceSections(*object, placed->second)};
        Bytes typeSection;
        for (const CoffSection& s : object->sections)
            if (s.name == ".debug$T") typeSection = s.data;
        objectTypes.push_back(ReadObjectTypes(types, typeSection));
        modules.emplace_back();
        OutModule& m = modules.back();
        m.name = input.module;
        for (std::size_t k = 0; k < object->sections.size(); ++k) {
            const CoffSection& s = object->sections[k];
            std::uint32_t section = 0, offset = 0;
            if (!s.IsCode() || !p.addresses[k] || !s.size) continue;
            if (p.LocateIn(k, 0, section, offset)) m.code.emplace_back(section, offset, s.size);
        }
        auto reader = std::make_unique<ModuleReader>(
            ModuleReader{*object, *objectTypes.back(), sourceName, m, globals, udts, report.warnings, {}, {}, {}, {}, 0, 0});
        reader->Read(p);
        leftOut += reader->leftOut;
        unknownTypes += UnknownTypes(*objectTypes.back());
        readers.push_back(std::move(reader));
        coffs.push_back(std::move(object));
    }
    if (modules.empty()) return {};
    if (leftOut) report.warnings.push_back(std::to_string(leftOut) + " symbols whose place CodeView 4 cannot express were left out");
    if (unknownTypes) report.warnings.push_back(std::to_string(unknownTypes) + " type records of kinds CodeView 4 lacks became \"no type\"");
    if (types.full) report.warnings.push_back("more types than 16-bit type indices can number: the rest became \"no type\"");
    // One user type of each name and type.
    std::sort(udts.begin(), udts.end());
    udts.erase(std::unique(udts.begin(), udts.end()), udts.end());

    // The data: signature, subsections, then the directory.
    struct Sub {
        std::uint16_t kind, module;
        std::vector<std::uint8_t> data;
    };
    std::vector<Sub> subs;
    for (std::size_t k = 0; k < modules.size(); ++k) subs.push_back({cv4::kSubModule, std::uint16_t(k + 1), ModuleSubsection(modules[k])});
    for (std::size_t k = 0; k < modules.size(); ++k) {
        const OutModule& m = modules[k];
        subs.push_back({cv4::kSubAlignSym, std::uint16_t(k + 1), SymbolSubsection(m, report.locals)});
        auto lines = SourceSubsection(m, report.lines);
        if (!lines.empty()) subs.push_back({cv4::kSubSrcModule, std::uint16_t(k + 1), std::move(lines)});
        report.functions += static_cast<int>(m.procs.size());
        report.data += static_cast<int>(m.statics.size());
        for (const OutProc& p : m.procs) report.data += static_cast<int>(p.statics.size());
    }
    subs.push_back({cv4::kSubGlobalSym, 0, GlobalSubsection(globals, udts)});
    subs.push_back({cv4::kSubGlobalTypes, 0, TypeSubsection(types)});
    report.modules = static_cast<int>(modules.size());
    report.data += static_cast<int>(globals.size());
    report.types = static_cast<int>(types.records.size());

    Writer w;
    w.b.insert(w.b.end(), std::begin(cv4::kSignature), std::end(cv4::kSignature));
    w.U32(0);
    std::vector<std::uint32_t> offsets;
    for (const Sub& s : subs) {
        offsets.push_back(static_cast<std::uint32_t>(w.b.size()));
        w.b.insert(w.b.end(), s.data.begin(), s.data.end());
        w.Align4();
    }
    w.Put32(4, w.b.size());
    w.U16(cv4::kDirectoryHeaderSize), w.U16(cv4::kDirectoryEntrySize), w.U32(subs.size()), w.U32(0), w.U32(0);
    for (std::size_t k = 0; k < subs.size(); ++k) w.U16(subs[k].kind), w.U16(subs[k].module), w.U32(offsets[k]), w.U32(subs[k].data.size());
    // The closing signature and the data's length, so the data can also be found from its end.
    w.b.insert(w.b.end(), std::begin(cv4::kSignature), std::end(cv4::kSignature));
    w.U32(w.b.size() + 4);
    return std::move(w.b);
}

}  // namespace tarvo::testbed
