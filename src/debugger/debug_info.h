// The debugger's tables of one debugging run: the executable and its DLLs, their modules
// (compilation units), functions, line tables, name tables, types and imports. Built by the
// reader (debug_reader.h), asked by the queries (debug_queries.h).
//
// Reading an image builds only what every run needs at once (modules, their code ranges and
// source files, types, imports, COFF symbols); line tables are read in place in the image's
// bytes. The symbols are decoded when first asked for: the image's name tables in one walk
// of its symbol records, a module's functions, locals, statics and constants when that module
// is asked. Damage met then is reported then. The accessors decode behind a const interface:
// the tables are only ever used by one thread at a time (the debug thread, or the windows
// while the debuggee is stopped).
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "binary/bytes.h"
#include "binary/pe_image.h"
#include "debugger/name_table.h"
#include "debugger/target.h"
#include "platform/files.h"

namespace tarvo::debugger {

struct Range {
    std::uint64_t start = 0, end = 0;  // end is one past the last byte
    bool Holds(std::uint64_t a) const { return a >= start && a < end; }
};

// The lines of one source file in one code segment, in the order of the debug data, read in
// place: the reader checked that both arrays lie inside their subsection.
struct LineSegment {
    Range range;
    std::uint64_t base = 0;  // address of offset 0 of the segment
    Bytes offsets;           // u32 per entry, from the segment's start
    Bytes numbers;           // u16 per entry
    std::size_t Count() const { return numbers.size() / 2; }
    std::uint64_t Address(std::size_t i) const { return base + Get<std::uint32_t>(offsets, 4 * i); }
    std::uint16_t Line(std::size_t i) const { return Get<std::uint16_t>(numbers, 2 * i); }
    // Addresses never go down: the lookups may search by halves. Found on first use.
    bool Ascending() const;

private:
    mutable std::int8_t ascending_ = -1;  // -1 not yet known
};

struct SourceFile {
    std::string_view name;
    std::vector<LineSegment> segments;
};

struct Local {
    std::string_view name;
    std::int32_t frameOffset = 0;  // from the frame pointer
    std::uint16_t reg = 0;         // CodeView register number
    std::uint16_t type = 0;
    bool inRegister = false;
};

struct Function {
    std::string_view name;
    std::uint16_t kind = 0;  // 0x204 local, 0x205 global procedure
    std::uint16_t type = 0;
    std::uint64_t start = 0, debugStart = 0, debugEnd = 0, end = 0;
    std::uint32_t firstLocal = 0, localCount = 0;  // in the module's list of locals
};

// What a module's symbol records hold.
struct ModuleSymbols {
    std::vector<Function> functions;
    std::vector<Local> locals;  // of all its functions, one run per function, in order
    NameTable statics;    // local data (kind 0x201)
    NameTable constants;  // text constants (kind 3)
};

struct Image;

struct Module {
    int number = 0;
    int image = 0;  // 0 the executable, else the DLL's image number
    const Image* owner = nullptr;  // null for the unused entry 0
    std::string_view name;
    std::vector<Range> segments;  // the module's code, per segment
    std::vector<SourceFile> files;
    int currentFile = -1;
    Range Span() const;  // first to last segment, for display only
    // The module's symbols, decoded on first use.
    const std::vector<Function>& Functions() const { return Symbols().functions; }
    const NameTable& Statics() const { return Symbols().statics; }
    const NameTable& Constants() const { return Symbols().constants; }
    std::span<const Local> LocalsOf(const Function& f) const {
        return std::span<const Local>(Symbols().locals).subspan(f.firstLocal, f.localCount);
    }
    const ModuleSymbols& Symbols() const;
};

// A type index together with the image whose type table it belongs to.
struct TypeRef {
    int image = 0;
    std::uint16_t index = 0;
};

struct TypeTable {
    Bytes records;                       // the subsection, records in place
    std::vector<std::uint32_t> offsets;  // record n at records[offsets[n]]
};

struct Import {
    std::string_view dll, function;
    std::uint64_t slot = 0;     // address of its import-address-table slot
    std::uint64_t address = 0;  // the function's own address once resolved, else 0
    std::uint64_t thunk = 0;    // the jump thunk in the image, when it has one
};

struct CoffSymbol {
    std::string_view name;
    std::uint32_t value = 0;
    std::int16_t section = 0;
    std::uint16_t type = 0;
    std::uint8_t storageClass = 0;
    std::uint64_t address = 0;  // for symbols of a section: absolute, else 0
};

struct DebugEntry {
    std::uint32_t type = 0, size = 0, address = 0, pointer = 0;
};

// A symbol subsection of the CodeView data, kept for the decoding on first use.
struct SymbolSubsection {
    std::uint16_t kind = 0;
    int module = 0;  // the module (number) its records belong to; 0 for the image's own
    Bytes data;
};

// The name tables of one image.
struct ImageNames {
    NameTable globals;
    NameTable statics;  // static symbols of the image, whatever module they came from
};

// One executable or DLL.
struct Image {
    std::string name;
    platform::FileContent content;  // the file, kept for the whole run: names are read in place
    Bytes bytes;
    PeHeaders headers;
    const Target* target = nullptr;
    std::uint64_t loadBase = 0;
    std::vector<DebugEntry> debugEntries;
    bool codeView = false;
    int firstModule = 0, moduleCount = 0;
    std::vector<SymbolSubsection> symbolSubsections;  // in directory order
    TypeTable types;
    std::vector<CoffSymbol> coff;  // in table order, auxiliary records left out
    std::vector<Import> imports;
    Range code, data;
    bool console = false;
    std::uint64_t Entry() const { return loadBase + headers.entryPoint; }
    // The symbols, decoded on first use: the name tables of the whole image, and each module's
    // own symbols (after the names). Damage met then is reported then.
    const ImageNames& Names() const;
    const NameTable& Globals() const { return Names().globals; }
    const NameTable& Statics() const { return Names().statics; }
    const ModuleSymbols& SymbolsOf(int module) const;

private:
    mutable std::unique_ptr<ImageNames> names_;
    mutable std::vector<std::unique_ptr<ModuleSymbols>> modules_;  // by module - firstModule
};

enum class ProgramKind { C, Fortran };

struct DebugInfo {
    std::vector<std::unique_ptr<Image>> images;  // the executable, then the DLLs in load order
    std::vector<Module> modules;                 // by number; entry 0 is never used
    int currentModule = 0;
    int currentFunction = -1;
    int mainModule = 0;
    std::uint64_t entryFunction = 0;
    ProgramKind kind = ProgramKind::C;
};

// The tables of the debugging run (reset at its start).
DebugInfo& debugInfo();
void ResetDebugInfo();

}  // namespace tarvo::debugger
