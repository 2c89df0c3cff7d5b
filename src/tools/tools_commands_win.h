// The source tools' commands: the call tree, the callers tree, the help generation, grep and
// the string table.
#pragma once
#include <cstdint>

namespace tarvo::tools {

bool RunToolsCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::tools
