// The frame's command dispatcher: every command id, from a menu, an accelerator, an editor key,
// the shared command area or the debug thread, goes through Dispatch. What it needs from the
// windows comes through DispatchHooks, which the Win32 layer fills and tests script.
#pragma once
#include <cstdint>

#include "base/commands.h"

namespace tarvo::shell {

using CommandParam = std::intptr_t;
using CommandResult = std::intptr_t;

struct CommandHandler {
    std::uint16_t id;  // 0 ends a handler table
    CommandResult (*run)(int id, CommandParam param);
};
// The handler of the id in a table, or null.
const CommandHandler* FindHandler(const CommandHandler* table, int id);

// Any member may be left null: a null query answers false or 0, a null action does nothing.
struct DispatchHooks {
    bool (*debuggingActive)();
    bool (*resourceEditorActive)();
    CommandResult (*sendToResourceEditor)(int id, CommandParam param);
    // The editor's action log (an action of kind 273), from which Undo works.
    void (*logCommand)(int id, CommandParam param);
    bool (*anyEditorOpen)();
    int (*callStackEntries)();
    // The runner of each owner's commands (indexed by base::Owner); false when it does not
    // know the id. A command whose owner has no runner (a part not built yet) is ignored.
    bool (*runners[base::kOwnerCount])(int id, CommandParam param, CommandResult& result);
    CommandResult (*sharedArea)(int id, CommandParam param);  // 3500 to 3600
    CommandResult (*showCallStackEntry)(int entry);           // 400 + entry while debugging
    CommandResult (*defaultProcessing)(int id, CommandParam param);
};

// Runs a command through the hooks in shell().dispatch, in this order: debugger key
// substitution while debugging; the resource editor's commands to it while it is active; the
// action log; commands that need a document (base/commands.h) are ignored while no editor
// window is open; the runner of the command's owner; the shared command area (not while
// debugging); call-stack entries (while debugging); default processing. Ignored: result 0.
CommandResult Dispatch(int id, CommandParam param);

}  // namespace tarvo::shell
