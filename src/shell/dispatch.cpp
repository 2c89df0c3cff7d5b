#include "shell/dispatch.h"

#include "base/key_table.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

bool ask(bool (*query)()) { return query && query(); }

bool inSharedArea(int id) { return id >= CMD_FIRST_SHARED_AREA && id <= CMD_LAST_SHARED_AREA; }

}  // namespace

const CommandHandler* FindHandler(const CommandHandler* table, int id) {
    if (!table) return nullptr;
    for (const CommandHandler* h = table; h->id != 0; ++h)
        if (h->id == id) return h;
    return nullptr;
}

CommandResult Dispatch(int id, CommandParam param) {
    const DispatchHooks& hooks = shell().dispatch;
    bool debugging = DebuggingActive();

    if (debugging) id = base::DebuggerKeySubstitute(id);

    if (base::SentToResourceEditor(id) && ask(hooks.resourceEditorActive))
        return hooks.sendToResourceEditor ? hooks.sendToResourceEditor(id, param) : 0;

    if (hooks.logCommand) hooks.logCommand(id, param);

    if (base::NeedsDocument(id) && !ask(hooks.anyEditorOpen)) return 0;

    base::Owner owner = base::OwnerOf(id);
    if (owner != base::Owner::None && !inSharedArea(id)) {
        auto run = hooks.runners[static_cast<int>(owner)];
        if (!run) return 0;  // a part not built yet: nothing for the MDI child either
        CommandResult result = 0;
        if (run(id, param, result)) return result;
    }

    if (!debugging && inSharedArea(id)) return hooks.sharedArea ? hooks.sharedArea(id, param) : 0;

    if (debugging && id >= CMD_FIRST_CALL_STACK_ENTRY && hooks.callStackEntries &&
        id - CMD_FIRST_CALL_STACK_ENTRY < hooks.callStackEntries())
        return hooks.showCallStackEntry ? hooks.showCallStackEntry(id - CMD_FIRST_CALL_STACK_ENTRY)
                                        : 0;

    return hooks.defaultProcessing ? hooks.defaultProcessing(id, param) : 0;
}

}  // namespace tarvo::shell
