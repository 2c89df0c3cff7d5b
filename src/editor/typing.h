// The editor window's character message and the Delete key, with their undo records, and the
// text macros bound to Ctrl+letter.
#pragma once
#include <cstdint>
#include <string>

#include "base/settings.h"

namespace tarvo::editor {

// A character typed in a window `count` times (the message's repeat count); ctrl when Ctrl
// was held. Returns true when something happened.
bool HandleCharacter(std::uintptr_t window, unsigned char c, long count, bool ctrl);
// The Delete key: the selection goes into the cut buffer (not onto the clipboard), or count
// characters forward go.
bool KeyDelete(std::uintptr_t window, long count);
// A macro's key is its letter, alone or after a modifier name ("A", "Ctrl+A").
bool MacroKeyIs(const std::string& key, char letter);
// The user's text macro of a letter (either case), or null.
const base::Macro* FindMacro(char letter);
// Inserts the macro of a letter (either case) at the cursor; the cursor returns to where it
// was and moves the macro's offset forward. Returns the number of characters inserted, -1
// when no macro has that letter.
long InsertMacro(char letter);

}  // namespace tarvo::editor
