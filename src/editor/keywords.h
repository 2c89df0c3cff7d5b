// Keyword tables (13 buckets under a small shift-and-xor hash) and the built-in keyword lists
// of C, the preprocessor, Pascal, Fortran and Eiffel.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/line.h"

namespace tarvo::editor {

inline constexpr int kKeywordBuckets = 13;

// h = (h << 2) XOR c over the word's characters (as signed 8-bit values), in 32 bits.
std::int32_t KeywordHash(std::string_view word);
// The absolute value of hash mod 13.
int KeywordBucket(std::int32_t hash);

struct KeywordTable {
    std::array<std::vector<std::string>, kKeywordBuckets> buckets;

    void Add(std::string_view word);  // a word already present is not added twice
    bool Contains(std::string_view word) const;
    std::size_t Count() const;
    bool Empty() const { return Count() == 0; }
};

// The C keywords are message-table texts, read from their first id up to the empty one.
inline constexpr unsigned kFirstCKeywordMessage = 996;
std::vector<std::string> CKeywords();
bool IsCKeyword(std::string_view word);
bool IsPreprocessorDirective(std::string_view word);

inline constexpr std::array<std::string_view, 13> kPreprocessorDirectives = {
    "assert", "define", "elif", "else", "endif", "if", "ifdef", "ifndef", "include", "line", "pragma", "undef", "error"};

inline constexpr std::array<std::string_view, 47> kPascalKeywords = {
    "repeat", "file",    "else",     "with",   "true",  "pointer",   "function",  "type",    "case",
    "while",  "var",     "implementation", "until", "unit", "if",    "external",  "end",     "const",
    "or",     "and",     "string",   "of",     "boolean", "to",      "then",      "uses",    "longint",
    "do",     "array",   "for",      "integer", "interface", "begin", "record",    "real",    "procedure",
    "function", "program", "nil",    "div",    "downto", "forward",  "label",     "shl",     "shr",
    "packed", "forward"};

inline constexpr std::array<std::string_view, 29> kFortranKeywords = {
    "if",      "do",     "continue", "parameter", "else",      "common",  "return",    "end",
    "subroutine", "go",  "to",       "data",      "dimension", "format",  "enddo",     "call",
    "endif",   "integer", "real",    "double",    "precision", "complex", "logical",   "character",
    ".gt.",    ".ne.",   ".le.",     "then",      "stop"};

inline constexpr std::array<std::string_view, 56> kEiffelKeywords = {
    "alias",    "all",      "and",      "as",       "check",    "class",    "creation", "current",
    "debug",    "deferred", "do",       "else",     "elseif",   "end",      "ensure",   "expanded",
    "export",   "external", "false",    "feature",  "from",     "frozen",   "if",       "implies",
    "indexing", "infix",    "inherit",  "inspect",  "invariant", "is",      "like",     "local",
    "loop",     "not",      "obsolete", "old",      "once",     "or",       "prefix",   "redefine",
    "rename",   "require",  "rescue",   "result",   "retry",    "select",   "separate", "strip",
    "then",     "true",     "undefine", "unique",   "until",    "variant",  "when",     "xor"};

}  // namespace tarvo::editor
