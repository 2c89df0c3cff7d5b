// The shell's own commands and the hooks through which the dispatcher reaches the windows.
#pragma once
#include <windows.h>

#include <string>

namespace tarvo::editor {
struct Document;
}

namespace tarvo::shell {

// Fills shell().dispatch with the program's hooks and handler table.
void InstallDispatchHooks();

// Shows the four newest recent files on the File menu (commands 1214 to 1217).
void UpdateRecentFilesMenu();
// Opens a file in a window and remembers it in the recent files; null on failure.
HWND OpenAndRemember(const std::string& path);

// Context help for a word (the editor calls it).
void ShowContextHelp(const std::string& word);

}  // namespace tarvo::shell
