// The keyboard dialog of the configuration's Workspace page: the command key table's bindings,
// one changed or reset at a time.
#pragma once
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

// Edits `rows` (the key table as the settings keep it); false when cancelled, leaving them.
bool KeyBindingsDialog(std::vector<base::KeyRow>& rows);

}  // namespace tarvo::project
