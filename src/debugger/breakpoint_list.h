// What the breakpoint dialogs read and show, apart from the windows: the entry field's text,
// the rows of the project's list, the functions of a source file, a data breakpoint's address.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::debugger {

// "file line" (the last word a line number) or a function name.
struct EntryText {
    std::string file;
    long line = 0;
    std::string function;
};
bool ParseEntryText(const std::string& text, EntryText& out);

// A saved breakpoint as the list shows it: "{%s %d }" in lower case.
std::string SavedRow(const base::Breakpoint& b);
// Its place in the list, or -1.
int FindSaved(const std::vector<base::Breakpoint>& saved, const std::string& file, long line);

// The functions of a C source file, each with its first line; none when it cannot be read.
struct SourceFunction {
    std::string name;
    long line = 0;
};
std::vector<SourceFunction> FunctionsOfSource(const std::string& path);

// "0x..." or "0X..." read as a hexadecimal address; false for anything else.
bool ParseHexAddress(const std::string& text, std::uint64_t& address);
// A pass count: an unsigned decimal number; false for anything else.
bool ParseCount(const std::string& text, unsigned& count);

}  // namespace tarvo::debugger
