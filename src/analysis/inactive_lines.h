// Inactive conditional code: the lines that the cross-reference tool reports as excluded by
// the preprocessor are marked (Line mark 0x08) so the display greys them.
#pragma once
#include <string>
#include <string_view>

#include "editor/document.h"

namespace tarvo::analysis {

// The cross-reference tool, in the root's bin directory.
inline constexpr const char* kInactiveCodeTool = "xrefgen.exe";
// Its command line: root, the project's preprocessor options, the output and the source.
std::string InactiveCodeCommand(const std::string& root, const std::string& options, const std::string& output,
                                const std::string& source);

void ClearInactiveMarks(editor::Document& doc);
// Reads the tool's output: each line starts with a decimal line number (read as atoi does).
// That line is marked, and when it ends with a backslash so are the continuation lines after
// it, the line after the last one included. Returns the number of lines marked.
long MarkInactiveLines(editor::Document& doc, std::string_view toolOutput);

}  // namespace tarvo::analysis
