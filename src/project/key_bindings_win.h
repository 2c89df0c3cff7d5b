// The keyboard dialog of the configuration's Workspace page: the command key table's bindings,
// one changed or reset at a time.
#pragma once
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

// Edits `rows` (the key table as the settings keep it); false when cancelled, leaving them.
// Ctrl+letter keys of the text macros are refused too: such a binding would hide the macro.
bool KeyBindingsDialog(std::vector<base::KeyRow>& rows, const std::vector<base::Macro>& macros);

}  // namespace tarvo::project
