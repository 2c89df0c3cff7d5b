// The cross reference of a set of C files: per function the functions it calls (each once, in
// the order of their first call), its callers and the words it uses; per file its global
// variables and structures; per name the functions that use it. Built on the function finder,
// so a function is what the function list shows.
#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "analysis/char_source.h"

namespace tarvo::analysis {

// One file to scan: its name (for the records) and its lines, which must outlive the scan.
struct SourceFile {
    std::string name;
    Lines lines;
};

struct XrefFunction {
    std::string name;
    std::size_t file = 0;          // index into CrossReference::files
    long firstLine = 0;            // where the declaration starts (1-based)
    long lastLine = 0;             // the body's closing brace
    std::vector<std::string> declaration;  // the lines from the start up to the body's '{'
    std::vector<std::string> calls;        // each callee once, in the order of the first call
    std::vector<std::string> words;        // every other identifier of the header and body, once, sorted
};

struct XrefGlobal {
    std::string name;
    std::size_t file = 0;
    long line = 0;
    std::string declaration;  // the declaration's lines, joined by "\n"
};

struct XrefStructure {
    std::string name;
    std::size_t file = 0;
    long line = 0;
    long lastLine = 0;
    std::vector<std::string> definition;  // its lines, from "struct" to the closing brace
};

struct XrefFile {
    std::string name;
    long lineCount = 0;
    std::string leadingComment;           // the comment that opens the file, "" when none
    std::vector<std::size_t> functions;   // indexes into CrossReference::functions, in file order
    std::vector<std::size_t> globals;     // ... into globals
    std::vector<std::size_t> structures;  // ... into structures
};

using NameIndex = std::unordered_map<std::string, std::vector<std::size_t>>;

struct CrossReference {
    std::vector<XrefFile> files;
    std::vector<XrefFunction> functions;
    std::vector<XrefGlobal> globals;
    std::vector<XrefStructure> structures;
    NameIndex definitions;  // function name -> the functions of that name
    NameIndex callers;      // function name -> the functions calling it, each once, in scan order
    NameIndex users;        // identifier -> the functions whose header or body holds it

    // The first function of that name, or null.
    const XrefFunction* Find(const std::string& name) const;
    const std::vector<std::size_t>& CallersOf(const std::string& name) const;
    const std::vector<std::size_t>& UsersOf(const std::string& name) const;
};

CrossReference ScanCrossReference(const std::vector<SourceFile>& files);

// The globals of any scanned file that a function uses, without its callees and without
// NULL, TRUE and FALSE, in the order of the function's words.
std::vector<std::string> GlobalsUsedBy(const CrossReference& xref, const XrefFunction& f);

}  // namespace tarvo::analysis
