// The commands of the source analysis as the frame dispatches them: the function list and the
// inactive code of the current document, and its function metrics.
#pragma once
#include <cstdint>

namespace tarvo::analysis {

// Runs the command on the active editor window; false when the id is not one of these.
bool RunAnalysisCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::analysis
