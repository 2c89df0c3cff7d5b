// The grep command in the program: its dialog, the search in a thread of its own while a small
// window offers to stop it, and the hits handed to the frame's output list.
#pragma once
#include <cstdint>

#include "tools/grep.h"

namespace tarvo::tools {

// The dialog, the search and the list; false when cancelled, refused or nothing was found.
bool GrepCommand();
// Symbol usage: the lines of the open documents holding the identifier at the cursor, listed.
bool SymbolUsageCommand();
// The output list filled with a search's outcome (the header and a row per hit); the list keeps it.
void ListOutcome(const GrepRequest& request, GrepOutcome outcome);

// Grep's and the string table's commands; false when the id is not one of them.
bool RunTextToolCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::tools
