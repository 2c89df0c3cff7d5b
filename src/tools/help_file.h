// Help file generation: from a set of C files, the topics file (rich text in the dialect the
// Windows help compiler reads: one topic per function, global, structure and file, an index
// topic per kind and a main index) and the help project file; then the help compiler's run.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "analysis/cross_reference.h"
#include "tools/tools_messages.h"

namespace tarvo::tools {

// Source text for the topics file: backslashes and braces escaped, tabs as blanks to the next
// multiple of 4 columns (counted from `column`, which is updated), line ends as "\par" and a
// line break, characters of 128 and above as "\'xx". Every inserted text goes through it.
std::string RtfText(std::string_view text);
void AppendRtfText(std::string& out, std::string_view text, std::size_t& column);

// A context string for `raw` that the help compiler accepts (letters, digits, '_' and '.'):
// every other character becomes '.' and two hexadecimal digits, '.' included, so that two
// names never map to one; kept unique within `used`.
std::string ContextString(std::string_view raw, std::unordered_set<std::string>& used);

// Called between topics with the file, the kind and the name; false cancels the generation.
using HelpProgress = std::function<bool(const std::string& file, const char* kind, const std::string& name)>;

// The topics file for the scanned files. `helpBase` is the help file's name without its
// directory and extension (the jumps name "<helpBase>.hlp"). Empty when cancelled.
std::string HelpTopics(const analysis::CrossReference& xref, const std::string& helpBase, const HelpProgress& progress,
                       bool& cancelled);

// The help project file, naming the topics file and the error log "<helpBase>.msg".
std::string HelpProject(const std::string& helpBase, const std::string& title);

// Whether a file's first bytes show that the help generation wrote it.
bool WrittenByHelpGeneration(std::string_view start);

// The names of the output files beside the help file "<dir>\<base>.hlp".
struct HelpNames {
    std::string directory;  // empty: the current one
    std::string base;       // without directory and extension
    std::string Rtf() const;
    std::string Project() const;
    std::string Log() const;
    std::string Help() const;
};
// False (with nothing set) when the name has no base or holds characters no file name may.
bool HelpNamesOf(const std::string& helpFile, HelpNames& names);
// A title fits in the project file's one line.
bool ValidHelpTitle(std::string_view title);

}  // namespace tarvo::tools
