// The shell's program-wide state: start-up options, the most-recently-used files, the names
// queued for opening and the dispatcher's hooks.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/dispatch.h"

namespace tarvo::shell {

struct ShellState {
    StartupOptions options;
    std::string startDirectory;
    // Set when the saved current directory was missing at start-up: reopened files must lie in
    // it.
    std::string requiredDirectory;
    // Names waiting for CMD_OPEN_NAMED_FILE, by ticket (the command's parameter).
    std::map<CommandParam, std::string> namedFiles;
    CommandParam nextTicket = 1;
    std::vector<std::string> recentFiles;  // newest first
    bool helpUsed = false;                 // the exit sequence closes the help system
    std::optional<std::string> helpIndex;  // the context help's index file, once read
    DispatchHooks dispatch{};
};

ShellState& shell();
// Whether a debugging run is active, as the dispatcher's hook says.
bool DebuggingActive();

// Back to the start: default options and key table, no hooks (for tests).
void ResetShellState();

// CMD_OPEN_NAMED_FILE carries a ticket, never a pointer: the program queues a name and posts
// its ticket. A parameter that is no queued ticket (another program's message) names nothing.
CommandParam QueueNamedFile(const std::string& name);
bool TakeNamedFile(CommandParam ticket, std::string& name);

}  // namespace tarvo::shell
