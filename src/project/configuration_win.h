// The configuration sheet (its pages edit a copy of the settings, taken over on OK), the
// compiler-system steps of project creation and the file processor dialog.
#pragma once
#include <optional>
#include <string>

#include "base/settings.h"

namespace tarvo::project {

// The configuration command: the sheet, then the settings written and a makefile offered.
void ConfigurationCommand();

// The compiler, linker and debugger steps of a new project, editing `made`; false when the
// user cancels.
bool CompilerSystemSteps(base::ProjectSettings& made);

// The one-page "Small Eiffel configuration" sheet, the step of a new Eiffel project instead
// of the compiler-system steps: it edits `made` and is true when finished, false (and `made`
// unchanged) when cancelled.
bool EiffelSheet(base::ProjectSettings& made);

// Asks how a file the makefile cannot handle is made; nothing when cancelled.
std::optional<base::FileProcessor> FileProcessorDialog(const std::string& file);

}  // namespace tarvo::project
