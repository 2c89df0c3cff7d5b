// The object file cross reference: per module (an object file, or one member of a library) its
// code, data and bss sizes, sections, public and extern symbols and source name; the links of
// each extern to every module that defines it and of each public to every module that uses
// it; totals and Find. Links are sparse lists through one name hash, so the work grows with the
// symbols, not with the square of the modules.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "binary/bytes.h"
#include "binary/machine.h"

namespace tarvo::tools {

using ModuleIndex = std::uint32_t;

struct XrefPublic {
    std::string name;
    std::uint64_t size = 0;          // a common's size, else the value of an auxiliary record
    bool common = false;             // may be defined by several modules, the linker keeps one
    std::vector<ModuleIndex> users;  // the other modules that refer to it, ascending
};

struct XrefExtern {
    std::string name;
    std::vector<ModuleIndex> definers;  // every module that defines it, ascending
};

struct XrefSection {
    std::string name;
    std::uint64_t size = 0;  // summed over the sections of this name
};

struct XrefModule {
    std::string file;       // the object's path, or "library(member)"
    std::string source;     // the source file named in the object, else `file`
    std::size_t member = 0;  // position in its library (0 for a plain object)
    const binary::Machine* machine = nullptr;
    std::uint64_t code = 0, data = 0, bss = 0;
    std::vector<XrefSection> sections;
    std::vector<XrefPublic> publics;
    std::vector<XrefExtern> externs;
    std::vector<ModuleIndex> uses;    // modules whose publics this one uses, ascending
    std::vector<ModuleIndex> usedBy;  // modules that use this one's publics, ascending
};

// A file that gave no module, and why (a message id, with the detail it formats).
struct XrefSkip {
    std::string file;
    unsigned reason = 0;
    std::string detail;
};

struct XrefModel {
    std::vector<XrefModule> modules;
    std::vector<XrefSkip> skipped;
};

// Reads one object, library member or library from its bytes: modules are added, or the
// file is recorded as skipped. `name` is what the modules are called.
void AddBytes(XrefModel& model, const std::string& name, binary::Bytes bytes);
// The same for a file on disk.
void AddFile(XrefModel& model, const std::string& path);
// Links every extern to its definers and every public to its users. Once, after the adds.
void Link(XrefModel& model);

// Reads the files and links them. Skipped files are named, with their reasons, in one message
// at the end; a lack of memory shows the out-of-memory box and gives false (and no model).
bool BuildXref(const std::vector<std::string>& paths, XrefModel& model);

// The "*.obj" files of a directory, sorted.
std::vector<std::string> ObjectFilesIn(const std::string& directory);

struct XrefTotals {
    std::uint64_t data = 0, bss = 0, code = 0, other = 0;
};
XrefTotals Totals(const XrefModel& model);

// What Find shows for a name as written in C: the modules that define it and those that use
// it (each machine's decoration is tried, then the name as given).
struct XrefFound {
    std::vector<ModuleIndex> definers, users;
};
XrefFound Find(const XrefModel& model, std::string_view name);

// The texts of the dialog.
std::string ModuleText(const XrefModule& m);           // name and sizes, lower-cased
std::string SymbolCountText(const XrefModule& m);      // "%zu Symbols"
std::string ExternText(const XrefModel& model, const XrefExtern& e);
std::string PublicText(const XrefModel& model, const XrefPublic& p);
std::string FindText(const XrefModel& model, std::string_view name, const XrefFound& found);
std::string TotalsText(const XrefTotals& t);
std::string SkippedText(const std::vector<XrefSkip>& skipped);
// The publics of a module that no other module refers to.
std::vector<const XrefPublic*> Unreferenced(const XrefModule& m);

}  // namespace tarvo::tools
