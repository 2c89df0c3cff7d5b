// The settings at the two ends of a run: read whole at start-up (with the built-in languages and
// key bindings they change, and the recent files), written at exit when save-at-exit is on.
#pragma once

namespace tarvo::shell {

// Start-up: the built-in defaults, then everything stored. Without a usable main key (the
// first run was cancelled) the defaults stay and the compiler root is empty.
void ReadStartupSettings();

// Exit: the editor's current find options and key bindings go into the settings, which are
// written with the recent files. False when nothing or not everything was written.
bool WriteExitSettings();

}  // namespace tarvo::shell
