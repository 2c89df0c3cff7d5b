// Connects the source analysis to the documents: the check before saving, and the function
// lists kept in step with edits.
#pragma once
#include "editor/document.h"

namespace tarvo::analysis {

// Installs the hooks in editor().hooks. Line hooks installed before are kept and called first,
// so other parts of the editor can watch the same edits.
void InstallAnalysisHooks();

}  // namespace tarvo::analysis
