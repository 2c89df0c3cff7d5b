// The frame's accelerator tables follow the command key table: a key the user moved to another
// command (or gave a command) reaches the frame's accelerators at once.
#pragma once
#include <string>
#include <vector>

#include "base/key_bindings.h"

namespace tarvo::base {

// Rebuilds both of the frame's tables from their resources and the key table in use, and
// gives the main menu's items the keys they now have.
void FollowKeyTable();
// A menu item's text as FollowKeyTable leaves it (for texts set again later).
std::string MenuTextWithKeys(const std::string& text, int command);
// The frame's accelerators that follow no key-table row: no binding may take their keys.
std::vector<Accelerator> FixedAccelerators();

}  // namespace tarvo::base
