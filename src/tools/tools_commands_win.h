// The source tools' commands: the call tree, the callers tree, the help generation, grep, the
// string table and the object file cross reference.
#pragma once
#include <cstdint>

namespace tarvo::tools {

// True when the id is one of ours (then `result` holds the command's result).
bool RunToolsCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::tools
