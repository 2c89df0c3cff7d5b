#include "tools/tools_commands_win.h"

#include "base/command_ids.h"
#include "editor/editor_commands_win.h"
#include "tools/binary_view_win.h"
#include "tools/call_tree_win.h"
#include "tools/grep_win.h"
#include "tools/help_generation_win.h"
#include "tools/obj_xref_win.h"

namespace tarvo::tools {

bool RunToolsCommand(int id, std::intptr_t param, std::intptr_t& result) {
    switch (id) {
    case CMD_CALL_TREE:
        return editor::RunOnActiveWindow(id, [](int) { return ShowCallTree(TreeDirection::Callees); }, result);
    case CMD_CALLERS_TREE:
        return editor::RunOnActiveWindow(id, [](int) { return ShowCallTree(TreeDirection::Callers); }, result);
    case CMD_OBJ_XREF: result = ObjXrefCommand(); return true;
    case CMD_BINARY_EDITOR: result = BinaryEditorCommand(); return true;
    case CMD_HELP_GENERATION:
        result = HelpGenerationCommand();
        return true;
    default: return RunTextToolCommand(id, param, result);
    }
}

}  // namespace tarvo::tools
