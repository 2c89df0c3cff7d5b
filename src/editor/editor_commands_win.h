// The editor's commands as the frame dispatches them: files, editing, moving, bookmarks,
// search and replace.
#pragma once
#include <cstdint>

namespace tarvo::editor {

// Runs an editor command on the active editor window; false when the id is not one of the
// editor's. `result` is the command's result for the dispatcher.
bool RunEditorCommand(int id, std::intptr_t param, std::intptr_t& result);

// Runs a command on the active editor window's view (made current), then brings the windows up
// to date; result 1 when it did something. Nothing runs without an active editor window.
bool RunOnActiveWindow(int id, bool (*run)(int id), std::intptr_t& result);

}  // namespace tarvo::editor
