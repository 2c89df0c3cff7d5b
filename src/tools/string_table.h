// The string table generator: the string literals of a C source's function bodies are moved
// into a string table (a resource script's STRINGTABLE, with an optional header of
// identifiers, or a C array), and each source line is rebuilt to refer to the table, the
// literal kept in a comment. Only literals whose replacement cannot change what the program
// does are taken; everything here works on texts, and the command in the program reads and
// writes the files and the document.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::tools {

inline constexpr std::uint16_t kStringsIdentifiers = 0x04;  // identifiers, and a header of #defines
inline constexpr std::uint16_t kStringsArray = 0x10;        // a C array, referred to as name[number]
inline constexpr std::uint16_t kStringsCall = 0x20;         // referred to as function(number or identifier)

// The first line of every file the generator writes.
inline constexpr std::string_view kStringTableMarker = "/* Tarvo String Table */";

struct StringOptions {
    std::uint16_t flags = kStringsArray;
    std::string prefix = "IDS_";
    std::string arrayName = "StringTable";
    std::string functionName = "LoadStringNumber";
    std::string arrayFile;  // the array form's output; empty: the default name
};

struct StringEntry {
    std::string text;        // between the quotes, escapes as written
    std::string identifier;  // prefix and five-digit number
    long number = 0;
    std::size_t line = 0;    // 0-based index of the line holding the literal
    std::size_t column = 0;  // of its opening quote
    std::size_t length = 0;  // of the literal with its quotes
};

struct TextPlace {
    std::size_t line = 0;
    std::size_t column = 0;
};

enum class CollectEnd { Ok, BadCharConstant, UnfinishedString };

struct Collected {
    std::vector<StringEntry> entries;
    // Just after the opening brace of each function body that holds an entry.
    std::vector<TextPlace> bodies;
    CollectEnd end = CollectEnd::Ok;
    long badLine = 0;  // 1-based, for the two failures
};

// The literals that can be moved. With `forResource`, literals whose characters a resource
// script cannot hold are left in place as well.
Collected CollectStrings(const std::vector<std::string_view>& lines, bool forResource);

// 0, or the message id of what is wrong with the options (a name that is not a C identifier).
unsigned CheckStringOptions(const StringOptions& options, std::string& badName);

// The folder and name of a document without its last extension: "C:\\my.dir\\prog.c" gives
// "C:\\my.dir\\prog".
std::string OutputBase(const std::string& documentPath);

// Identifiers and numbers from `first` on.
void NumberEntries(std::vector<StringEntry>& entries, long first, const std::string& prefix);

bool StartsWithMarker(std::string_view text);

// A C literal's characters as a resource script writes them, so that the string loaded equals
// the literal's value; false when the script cannot carry it: an escape whose value is not one
// byte, a byte code page 1252 has no character for, or more than 65535 characters.
bool ResourceText(std::string_view literal, std::string& out);

// The next free resource number after the entries of an existing table and its header.
long NextResourceNumber(std::string_view script, std::string_view header);
// The number of entries of an existing array file.
long ArrayEntryCount(std::string_view arrayFile);

// The new contents of the outputs; `existing` is the text of one of ours to extend, or empty
// to write a new one. False when an existing one has lost its closing line. `header` names the
// header of identifiers that the script includes (it names its strings by them), or is empty.
bool BuildResourceScript(std::string_view existing, const std::string& documentName,
                         const std::vector<StringEntry>& entries, const std::string& header, std::string& out);
std::string BuildResourceHeader(std::string_view existing, const std::string& documentName,
                                const std::vector<StringEntry>& entries);
bool BuildArrayFile(std::string_view existing, const std::string& arrayName, const std::string& documentName,
                    const std::vector<StringEntry>& entries, std::string& out);

// The lines that change, with their new texts, in ascending order.
struct RewrittenLine {
    std::size_t line = 0;
    std::string text;
};
std::vector<RewrittenLine> RewriteLines(const std::vector<std::string_view>& lines, const Collected& collected,
                                        const StringOptions& options);

}  // namespace tarvo::tools
