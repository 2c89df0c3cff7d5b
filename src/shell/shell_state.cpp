#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

ShellState freshState() {
    ShellState s;
    s.commandKeys.assign(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    return s;
}

}  // namespace

ShellState& shell() {
    static ShellState state = freshState();
    return state;
}

void ResetShellState() { shell() = freshState(); }

}  // namespace tarvo::shell
