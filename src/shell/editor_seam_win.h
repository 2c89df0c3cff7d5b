// Connects the editor core to the program's windows: activation, the wait cursor, the restore
// dialog, languages, the check before saving, the clipboard, and the dispatcher's action log.
#pragma once

namespace tarvo::shell {

void InstallEditorSeam();
// Once the frame is up: the clipboard, the files of an autosave of an earlier run (offered
// back in windows) and the autosave timer.
void StartEditor(bool startAutosave);

}  // namespace tarvo::shell
