// Utilities in the window layer: the Tools menu's items, the changes of the utilities page,
// and running one with its macros taken from the editor.
#pragma once
#include <string>

#include "base/settings.h"

namespace tarvo::project {

// The nickname is typed with at most this many characters.
inline constexpr int kUtilityNameTyped = 9;

// Change/Add and Delete of the utilities page, with the menu item; false after a message.
bool AddUtilityFromPage(const base::Utility& entered);
bool DeleteUtilityFromPage(const std::string& nickname);

// Runs the utility of this command id (none: nothing happens). `start` starts a command line
// ("program arguments") the way the Execute command does, console programs in their runner.
using StartProgram = bool (*)(const std::string& root, const std::string& commandLine);
void RunUtility(int id, StartProgram start);

}  // namespace tarvo::project
