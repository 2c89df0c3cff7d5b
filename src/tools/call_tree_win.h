// The "Tree" window (class "FunctionTree"): the call tree of the function under the cursor,
// drawn as framed boxes joined by lines, scrolled, with nodes chosen by a click and shown
// inverted, and printed from its system menu.
#pragma once
#include <windows.h>

#include <string>

#include "tools/call_tree.h"

namespace tarvo::tools {

// Private message of the tree window: copies the tree as text (TreeText's format, chosen
// nodes flagged kChosen) into the std::string that lParam points at; returns the node count.
// For tests and tools in this process only.
inline constexpr UINT kTreeTextMessage = WM_APP + 0x2400;
inline constexpr char kTreeWindowClass[] = "FunctionTree";

// Builds the tree of the word under the cursor across the open files and shows it; the
// messages "Function not found" and "Function calls no other function" otherwise.
bool ShowCallTree(TreeDirection direction);

// The tree window, when one is open.
HWND TreeWindow();

}  // namespace tarvo::tools
