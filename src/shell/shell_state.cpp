#include "shell/shell_state.h"

#include "base/key_table.h"

namespace tarvo::shell {

ShellState& shell() {
    static ShellState state;
    return state;
}

bool DebuggingActive() {
    const DispatchHooks& hooks = shell().dispatch;
    return hooks.debuggingActive && hooks.debuggingActive();
}

void ResetShellState() {
    shell() = ShellState{};
    base::ResetCommandKeys();
}

CommandParam QueueNamedFile(const std::string& name) {
    ShellState& s = shell();
    CommandParam ticket = s.nextTicket++;
    s.namedFiles[ticket] = name;
    return ticket;
}

bool TakeNamedFile(CommandParam ticket, std::string& name) {
    auto& queued = shell().namedFiles;
    auto at = queued.find(ticket);
    if (at == queued.end()) return false;
    name = at->second;
    queued.erase(at);
    return true;
}

}  // namespace tarvo::shell
