// The rules of the editor's file commands, apart from their dialogs: Read only, and (with the
// file names the dialogs gave) Save as and Rename.
#pragma once
#include <string>

#include "editor/document.h"

namespace tarvo::editor {

// Switches the current document between read only and changeable, saying so in the status
// line.
bool ToggleReadOnly();

}  // namespace tarvo::editor
