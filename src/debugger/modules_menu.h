// The menu of the program's source modules, as a model the window side turns into items.
#pragma once
#include <string>
#include <vector>

#include "debugger/debug_info.h"

namespace tarvo::debugger {

struct MenuItem {
    std::string text;  // module name in lower case, ".obj" shown as ".c"
    int command = 0;   // in the modules range of the command table
    bool newColumn = false;
};

inline constexpr int kItemsPerColumn = 18;

// One item per named module, in number order; modules past the command range get none.
std::vector<MenuItem> ModulesMenu(const DebugInfo& info);
// The module an item's command stands for; 0 for a command outside the range.
int ModuleOfMenuCommand(int command);

}  // namespace tarvo::debugger
