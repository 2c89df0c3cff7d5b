#include "debugger/debug_queries.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/messages.h"
#include "debugger/debug_messages.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

constexpr unsigned kFarthestLine = 70000;  // farther than any 16-bit line number

// Index of the last entry at or below the address, or -1.
long LastAtOrBelow(const LineSegment& seg, std::uint64_t address) {
    std::size_t n = seg.Count();
    if (seg.Ascending()) {
        std::size_t lo = 0, hi = n;  // the first entry above the address lies in [lo, hi]
        while (lo < hi) {
            std::size_t mid = lo + (hi - lo) / 2;
            if (seg.Address(mid) <= address) lo = mid + 1;
            else hi = mid;
        }
        return static_cast<long>(lo) - 1;
    }
    long best = -1;
    std::uint64_t bestAddress = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t a = seg.Address(i);
        if (a <= address && (best < 0 || a > bestAddress)) best = static_cast<long>(i), bestAddress = a;
    }
    return best;
}

char Fold(char c) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c == '/' ? '\\' : c;
}

bool SamePath(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

// True when the longer path ends with the shorter one at a separator.
bool PathEndsWith(std::string_view a, std::string_view b) {
    if (a.size() < b.size()) std::swap(a, b);
    if (b.empty() || !SamePath(a.substr(a.size() - b.size()), b)) return false;
    return a.size() == b.size() || Fold(a[a.size() - b.size() - 1]) == '\\';
}

std::string_view BaseName(std::string_view path) {
    std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view WithoutCallPrefix(std::string_view name) {
    if (name.starts_with('_')) name.remove_prefix(1);
    std::size_t at = name.find('@');
    return at == std::string_view::npos ? name : name.substr(0, at);
}

int ImageOfModule(const DebugInfo& info, int module) {
    return module > 0 && module < static_cast<int>(info.modules.size()) ? info.modules[module].image : 0;
}

}  // namespace

Range Module::Span() const {
    Range r;
    if (segments.empty()) return r;
    r = segments.front();
    for (const Range& s : segments) r = {std::min(r.start, s.start), std::max(r.end, s.end)};
    return r;
}

bool LineSegment::Ascending() const {
    if (ascending_ < 0) {
        ascending_ = 1;
        for (std::size_t i = 1, n = Count(); i < n && ascending_; ++i)
            if (Address(i) < Address(i - 1)) ascending_ = 0;
    }
    return ascending_ != 0;
}

int ModuleOfAddress(const DebugInfo& info, std::uint64_t address) {
    for (std::size_t m = 1; m < info.modules.size(); ++m)
        for (const Range& r : info.modules[m].segments)
            if (r.Holds(address)) return static_cast<int>(m);
    return 0;
}

int FunctionOfAddress(const Module& m, std::uint64_t address) {
    const std::vector<Function>& functions = m.Functions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const Function& f = functions[i];
        if (f.start == address || (f.start <= address && address < f.end)) return static_cast<int>(i);
    }
    return -1;
}

bool CurrentContext(DebugInfo& info, int module, std::uint64_t address, Context& out) {
    out = Context{};
    out.module = module;
    if (module > 0 && module < static_cast<int>(info.modules.size()))
        out.function = FunctionOfAddress(info.modules[module], address);
    if (out.function < 0) {
        int image = ImageOfAddress(info, address);
        auto f = image >= 0 ? CoffFunctionAt(*info.images[image], address) : std::nullopt;
        if (!f) return false;
        out.substitute = *f;
    }
    info.currentModule = module;
    info.currentFunction = out.function;
    return true;
}

LineHit LineOfAddress(const DebugInfo& info, std::uint64_t address) {
    LineHit best;
    for (std::size_t m = 1; m < info.modules.size(); ++m) {
        const Module& mod = info.modules[m];
        for (std::size_t f = 0; f < mod.files.size(); ++f)
            for (const LineSegment& seg : mod.files[f].segments) {
                if (!seg.range.Holds(address)) continue;
                long i = LastAtOrBelow(seg, address);
                // Code of one file inside another's range (a header's inline code): the
                // nearest entry below the address wins.
                if (i >= 0 && (best.line == 0 || seg.Address(i) > best.address))
                    best = {static_cast<int>(m), static_cast<int>(f), seg.Line(i), seg.Address(i)};
            }
        if (best.line) return best;
    }
    return best;
}

LineHit AddressOfLine(const DebugInfo& info, int module, int file, unsigned line) {
    LineHit hit{module, file, 0, 0};
    if (module <= 0 || module >= static_cast<int>(info.modules.size())) return hit;
    const Module& m = info.modules[module];
    if (file < 0 || file >= static_cast<int>(m.files.size())) return hit;
    unsigned bestDistance = kFarthestLine;
    for (const LineSegment& seg : m.files[file].segments)
        for (std::size_t i = 0, n = seg.Count(); i < n; ++i) {
            unsigned entry = seg.Line(i);
            unsigned d = entry > line ? entry - line : line - entry;
            if (d < bestDistance) {
                bestDistance = d;
                hit.line = entry;
                hit.address = seg.Address(i);
            }
            if (d == 0) break;
        }
    return hit;
}

FileHit FindSourceFile(const DebugInfo& info, std::string_view name) {
    // Levels of likeness: 3 the same path, 2 one path ends with the other, 1 the same name.
    FileHit hit;
    int bestLevel = 0;
    std::string_view bestPath;
    for (std::size_t m = 1; m < info.modules.size(); ++m)
        for (std::size_t f = 0; f < info.modules[m].files.size(); ++f) {
            std::string_view path = info.modules[m].files[f].name;
            int level = SamePath(path, name) ? 3 : PathEndsWith(path, name) ? 2 : SamePath(BaseName(path), BaseName(name)) ? 1 : 0;
            if (level == 0 || level < bestLevel) continue;
            if (level > bestLevel) {
                bestLevel = level;
                bestPath = path;
                hit = {FileMatch::Found, static_cast<int>(m), static_cast<int>(f)};
            } else if (!SamePath(path, bestPath)) {
                hit.match = FileMatch::Ambiguous;  // the same file in two modules is no ambiguity
            }
        }
    if (hit.match == FileMatch::Ambiguous)
        base::ErrorBox(Printf(base::GetString(kMsgAmbiguousFile), std::string(name).c_str()));
    return hit;
}

SymbolHit FindSymbol(const DebugInfo& info, std::string_view name) {
    int current = info.currentModule;
    int image = ImageOfModule(info, current);
    if (current > 0 && current < static_cast<int>(info.modules.size()))
        if (const NameEntry* e = info.modules[current].Statics().Find(name)) return {e, image};
    if (image < static_cast<int>(info.images.size()))
        if (const NameEntry* e = info.images[image]->Statics().Find(name)) return {e, image};
    if (image > 0) {
        const NameEntry* e = info.images[image]->Globals().Find(name);
        return {e, image};
    }
    for (int i = 0, n = static_cast<int>(info.images.size()); i < n; ++i) {
        int which = i == 0 ? 0 : n - i;  // the executable, then the newest DLL first
        if (const NameEntry* e = info.images[which]->Globals().Find(name)) return {e, which};
    }
    return {};
}

std::optional<TypeRef> TypeOfName(const DebugInfo& info, std::string_view name) {
    SymbolHit hit = FindSymbol(info, name);
    if (!hit) return std::nullopt;
    return TypeRef{hit.image, hit.entry->type};
}

std::optional<long> FindConstant(const DebugInfo& info, std::string_view name) {
    int current = info.currentModule;
    if (current <= 0 || current >= static_cast<int>(info.modules.size())) return std::nullopt;
    const NameEntry* e = info.modules[current].Constants().Find(name);
    if (!e) return std::nullopt;
    return AtoL(std::string(e->text));
}

FunctionHit FindFunction(const DebugInfo& info, std::string_view name) {
    for (std::size_t m = 1; m < info.modules.size(); ++m) {
        const std::vector<Function>& functions = info.modules[m].Functions();
        for (std::size_t f = 0; f < functions.size(); ++f)
            if (WithoutCallPrefix(functions[f].name) == name) return {static_cast<int>(m), static_cast<int>(f)};
    }
    return {};
}

SymbolHit FindStatic(const DebugInfo& info, std::string_view name) {
    for (std::size_t m = 1; m < info.modules.size(); ++m)
        if (const NameEntry* e = info.modules[m].Statics().Find(name)) return {e, info.modules[m].image};
    for (std::size_t i = 0; i < info.images.size(); ++i)
        if (const NameEntry* e = info.images[i]->Statics().Find(name)) return {e, static_cast<int>(i)};
    return {};
}

std::string_view FunctionNameAt(const DebugInfo& info, std::uint64_t address) {
    if (int m = ModuleOfAddress(info, address)) {
        int f = FunctionOfAddress(info.modules[m], address);
        if (f >= 0) return info.modules[m].Functions()[f].name;
    }
    const Import* imp = ImportByThunk(info, address);
    return imp ? imp->function : std::string_view{};
}

namespace {
template <class Pred>
const Import* FirstImport(const DebugInfo& info, Pred pred) {
    for (const auto& image : info.images)
        for (const Import& imp : image->imports)
            if (pred(imp)) return &imp;
    return nullptr;
}
}  // namespace

const Import* ImportByThunk(const DebugInfo& info, std::uint64_t a) {
    return a ? FirstImport(info, [a](const Import& i) { return i.thunk == a; }) : nullptr;
}
const Import* ImportByAddress(const DebugInfo& info, std::uint64_t a) {
    return a ? FirstImport(info, [a](const Import& i) { return i.address == a; }) : nullptr;
}
const Import* ImportBySlot(const DebugInfo& info, std::uint64_t a) {
    return FirstImport(info, [a](const Import& i) { return i.slot == a; });
}
const Import* FindImport(const DebugInfo& info, std::string_view dll, std::string_view function) {
    return FirstImport(info, [&](const Import& i) { return SamePath(i.dll, dll) && i.function == function; });
}

std::optional<std::uint64_t> CoffSymbolAddress(const Image& image, std::string_view name) {
    for (const CoffSymbol& c : image.coff)
        if (c.name == name && c.address) return c.address;  // absolute and undefined symbols have no address
    return std::nullopt;
}

namespace {
bool IsCodeSymbol(const Image& image, const CoffSymbol& c) {
    const Section* s = SectionNumber(image.headers, c.section > 0 ? c.section : 0);
    return s && s->IsCode() && c.address && !c.name.empty() && !c.name.starts_with('.');
}
}  // namespace

std::optional<Function> CoffFunctionAt(const Image& image, std::uint64_t address) {
    const CoffSymbol* best = nullptr;
    std::uint64_t end = 0;
    for (const CoffSymbol& c : image.coff) {
        if (!IsCodeSymbol(image, c)) continue;
        if (c.address <= address && (!best || c.address > best->address)) best = &c;
    }
    if (!best) return std::nullopt;
    const Section* s = SectionNumber(image.headers, best->section);
    end = image.loadBase + s->virtualAddress + std::max(s->virtualSize, s->rawSize);
    for (const CoffSymbol& c : image.coff)
        if (IsCodeSymbol(image, c) && c.address > best->address && c.address < end) end = c.address;
    if (address >= end) return std::nullopt;
    Function f;
    f.name = best->name;
    f.start = f.debugStart = best->address;
    f.end = f.debugEnd = end;
    return f;
}

std::vector<std::string> CoffFunctionNames(const Image& image) {
    std::vector<std::string> names;
    for (const CoffSymbol& c : image.coff)
        if (IsCodeSymbol(image, c)) names.emplace_back(UndecoratedName(*image.target, c.name));
    return names;
}

int ImageOfAddress(const DebugInfo& info, std::uint64_t address) {
    for (std::size_t i = 0; i < info.images.size(); ++i) {
        const Image& img = *info.images[i];
        if (address >= img.loadBase && address < img.loadBase + img.headers.sizeOfImage) return static_cast<int>(i);
    }
    return -1;
}

bool FindEntryFunction(DebugInfo& info) {
    if (info.images.empty()) return false;
    const Image& exe = *info.images[0];
    std::optional<std::uint64_t> address;
    const char* found = nullptr;
    for (const char* const* n = exe.target->entryNames; *n && !address; ++n) {
        if (const NameEntry* e = exe.Globals().Find(*n)) address = e->value;
        else address = CoffSymbolAddress(exe, *n);
        if (address) found = *n;
    }
    if (!address) {
        base::ErrorBoxId(kMsgNoEntryFunction);
        info.images[0]->coff.clear();
        return false;
    }
    info.entryFunction = *address;
    info.kind = IsFortranEntry(found) ? ProgramKind::Fortran : ProgramKind::C;
    int m = ModuleOfAddress(info, *address);
    if (!m) m = ModuleOfAddress(info, exe.Entry());
    // Without CodeView there are no modules to look for: the run goes on without source.
    if (!m && exe.codeView) {
        base::ErrorBoxId(kMsgNoEntryModule);
        return false;
    }
    info.mainModule = m;
    if (m) {
        LineHit line = LineOfAddress(info, *address);
        if (line.module == m) info.modules[m].currentFile = line.file;
    }
    return true;
}

}  // namespace tarvo::debugger
