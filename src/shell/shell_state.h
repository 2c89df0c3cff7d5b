// The shell's program-wide state: start-up options, the command key table as the user's
// bindings changed it, the most-recently-used files and the dispatcher's hooks.
#pragma once
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/dispatch.h"
#include "shell/key_table.h"

namespace tarvo::shell {

struct ShellState {
    StartupOptions options;
    std::string startDirectory;
    // Set when the saved current directory was missing at start-up: reopened files must lie in
    // it (start-up step 14).
    std::string requiredDirectory;
    // A copy of kDefaultCommandKeys (with its end row); stored key bindings change it.
    std::vector<CommandKey> commandKeys;
    std::vector<std::string> recentFiles;  // newest first
    bool helpUsed = false;                 // the exit sequence closes the help system
    DispatchHooks dispatch{};
};

ShellState& shell();
// Back to the start: default options and key table, no hooks (for tests).
void ResetShellState();

}  // namespace tarvo::shell
