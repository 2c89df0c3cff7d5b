// What the rest of the debugger asks of the tables: by address, by line, by name.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "debugger/debug_info.h"

namespace tarvo::debugger {

// The first module (by number) one of whose code segments holds the address; 0 when none.
int ModuleOfAddress(const DebugInfo& info, std::uint64_t address);
// Index in the module's functions of the one that holds the address, or -1.
int FunctionOfAddress(const Module& m, std::uint64_t address);

// Makes them the current module and function. When no function record holds the address the
// COFF symbols give a substitute (kept in `substitute`); false when neither does.
struct Context {
    int module = 0;
    int function = -1;         // -1: the substitute is meant
    Function substitute;
};
bool CurrentContext(DebugInfo& info, int module, std::uint64_t address, Context& out);

// The line whose code holds the address: the last line-table entry at or below it, in a file
// segment that holds it. line 0 when none.
struct LineHit {
    int module = 0, file = -1;
    unsigned line = 0;
    std::uint64_t address = 0;  // where that line's code starts
};
LineHit LineOfAddress(const DebugInfo& info, std::uint64_t address);
// The line nearest to the wanted one that has code, in that file of the module only, and its
// address; line 0 when the file has no entries.
LineHit AddressOfLine(const DebugInfo& info, int module, int file, unsigned line);

// A source file by name: its full path first, then a path ending in the name, then its name
// with the extension. Names compare without case; both slashes separate.
enum class FileMatch { Found, NotFound, Ambiguous };
struct FileHit {
    FileMatch match = FileMatch::NotFound;
    int module = 0, file = -1;
};
FileHit FindSourceFile(const DebugInfo& info, std::string_view name);

// A name in the name tables: the current module's statics, the statics of its image, then,
// in a DLL, that DLL's globals only; otherwise the executable's globals and each DLL's, newest
// first.
struct SymbolHit {
    const NameEntry* entry = nullptr;
    int image = 0;
    explicit operator bool() const { return entry != nullptr; }
};
SymbolHit FindSymbol(const DebugInfo& info, std::string_view name);
// The type of a name found by FindSymbol, in its own image's table.
std::optional<TypeRef> TypeOfName(const DebugInfo& info, std::string_view name);
// A text constant of the current module, read as a decimal number.
std::optional<long> FindConstant(const DebugInfo& info, std::string_view name);
// A function of any module by its name as written in source (a leading "_" and anything from
// "@" on in the stored name are ignored).
struct FunctionHit {
    int module = 0, function = -1;
    explicit operator bool() const { return function >= 0; }
};
FunctionHit FindFunction(const DebugInfo& info, std::string_view name);
// The statics of every module in module order, then of each image.
SymbolHit FindStatic(const DebugInfo& info, std::string_view name);

// The name of the function at an address: its record's, else the import whose thunk it is.
std::string_view FunctionNameAt(const DebugInfo& info, std::uint64_t address);
const Import* ImportByThunk(const DebugInfo& info, std::uint64_t address);
const Import* ImportByAddress(const DebugInfo& info, std::uint64_t address);
const Import* ImportBySlot(const DebugInfo& info, std::uint64_t address);
const Import* FindImport(const DebugInfo& info, std::string_view dll, std::string_view function);

// COFF symbols of one image.
std::optional<std::uint64_t> CoffSymbolAddress(const Image& image, std::string_view name);
// The external code symbol whose code holds the address (the last at or below it) and the
// next one's address as its end.
std::optional<Function> CoffFunctionAt(const Image& image, std::uint64_t address);
// The functions of the code sections, as the program information window lists them.
std::vector<std::string> CoffFunctionNames(const Image& image);

// The image whose range holds the address, or -1.
int ImageOfAddress(const DebugInfo& info, std::uint64_t address);

// The entry function: the first of the target's entry names found, and the main module.
bool FindEntryFunction(DebugInfo& info);

}  // namespace tarvo::debugger
