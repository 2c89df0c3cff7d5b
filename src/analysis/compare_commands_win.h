// The comparison commands as the frame dispatches them: the Diff/Merge dialog (two files or two
// directories; viewer, merge, report or patch script), applying a patch script, and the current
// document beside its file on disk.
#pragma once
#include <cstdint>

namespace tarvo::analysis {

// Runs the command; false when the id is not one of these.
bool RunCompareCommand(int id, std::intptr_t& result);

}  // namespace tarvo::analysis
