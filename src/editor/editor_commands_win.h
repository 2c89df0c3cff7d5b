// The editor's commands as the frame dispatches them: files, editing, moving, bookmarks,
// search and replace, the function list and the inactive code.
#pragma once
#include <cstdint>

namespace tarvo::editor {

// Command ids of ours for which the command list gives no number.
inline constexpr int kCommandSaveAs = 1104;
inline constexpr int kCommandReload = 1105;
inline constexpr int kCommandInsertFile = 1108;
inline constexpr int kCommandRename = 1120;
inline constexpr int kCommandReadOnly = 1126;
inline constexpr int kCommandSaveAll = 1167;
inline constexpr int kCommandFunctions = 1168;
inline constexpr int kCommandCopyToFile = 1170;
inline constexpr int kCommandSpacesToTabs = 1189;
inline constexpr int kCommandTabsToSpaces = 1190;
inline constexpr int kCommandInactiveCode = 1201;
inline constexpr int kCommandAnotherWindow = 1220;

// Runs an editor command on the active editor window; false when the id is not one of the
// editor's. `result` is the command's result for the dispatcher.
bool RunEditorCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::editor
