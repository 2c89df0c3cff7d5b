// Key presses in an editor window: the keys bound to commands (the command key table), the
// cursor and editing keys, and the cursor and selection commands the table binds.
#pragma once
#include <cstdint>
#include <span>

#include "base/key_table.h"

namespace tarvo::editor {

// Virtual-key codes handled here besides those of the key table.
namespace key {
inline constexpr int Shift = 0x10, Control = 0x11, Menu = 0x12, Escape = 0x1B;
}


struct KeyResult {
    int command = 0;       // a command of the key table, for the frame to dispatch
    bool handled = false;  // the key did something itself
};

// The command a key runs (the debugger's table first while debugging). A user's own Ctrl+letter
// text macro wins over the rows added to the classic table (Ctrl+Z, Ctrl+Y, Ctrl+F, ...): the
// key then runs nothing and its character types the macro.
int KeyCommand(std::span<const base::CommandKey> keys, int key, int held, bool debugging);

// A key-down with the held modifiers (shell::kMod* bits) and the repeat count. A key the table
// binds gives its command (the debugger's table first while debugging); Esc gives 1280; the
// cursor keys, Insert and Delete act on the current view and log themselves for Undo.
KeyResult KeyDown(std::uintptr_t window, int key, int held, long count,
                  std::span<const base::CommandKey> keys, bool debugging);

// The cursor and selection commands of the key table (1115, 1153-1155, 1163-1165, 1171,
// 1172, 1188, 1199, 1207, 1208, 1211, 1212, 1272).
bool IsSelectionCommand(int command);
// Runs one on the current view; the extending ones keep or start the anchor. False when the
// cursor did not move.
bool RunSelectionCommand(int command);

}  // namespace tarvo::editor
