#include "analysis/analysis_commands_win.h"

#include "analysis/compare_commands_win.h"
#include "analysis/function_list.h"
#include "analysis/inactive_code.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "editor/cursor.h"
#include "editor/editor_commands_win.h"
#include "editor/selection.h"
#include "editor/window_messages.h"
#include "platform/text.h"

namespace tarvo::analysis {
namespace {

bool FunctionsListCommand(int) {
    editor::Document& d = *editor::CurrentDocument();
    FunctionChoices choices = FunctionChoicesOf(d);
    if (choices.items.empty()) {
        base::InfoBox(Printf(base::GetString(editor::kMsgNoFunctions), d.name.c_str()));
        return false;
    }
    int chosen = base::ListDialog(base::GetString(editor::kMsgFunctionsTitle),
                                  base::GetString(editor::kMsgFunctionsLabel), choices.items,
                                  base::ListMode::Choose);
    if (chosen < 0) return false;
    editor::ClearSelection();
    editor::GoToLine(choices.lines[static_cast<std::size_t>(chosen)]);
    editor::CentreCursor();
    return true;
}

}  // namespace

bool RunAnalysisCommand(int id, std::intptr_t, std::intptr_t& result) {
    switch (id) {
    case CMD_FUNCTIONS_LIST: return editor::RunOnActiveWindow(id, FunctionsListCommand, result);
    case CMD_INACTIVE_CODE:
        return editor::RunOnActiveWindow(id, [](int) { return ShowInactiveCode(); }, result);
    default: return RunCompareCommand(id, result);
    }
}

}  // namespace tarvo::analysis
