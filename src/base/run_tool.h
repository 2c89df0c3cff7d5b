// Running one of the compiler system's tools and waiting for it, with the failures told in
// the program's own words.
#pragma once
#include <string>

#include "platform/process.h"

namespace tarvo::base {

// True when the tool ran to its end (its exit code in exitCode). A tool that cannot start,
// does not end in time or whose exit code cannot be read is reported; a stopped one is not
// (the user asked for it).
bool RunTool(const platform::ProcessRequest& request, const std::string& toolName, long& exitCode);

// "<root>\bin\<tool>", quoted when it holds a blank: the start of every tool's command line.
std::string ToolCommand(const std::string& root, const char* tool);

}  // namespace tarvo::base
