// Show inactive code: the compiler system's cross-reference tool lists the lines that
// conditional compilation leaves out, and the editor greys them.
#pragma once
#include <string>

namespace tarvo::analysis {

// Marks the current document's inactive lines (mark 0x08); false, after a message, when the
// tool could not be run or gave nothing to read.
bool ShowInactiveCode();

}  // namespace tarvo::analysis
