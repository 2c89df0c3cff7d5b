// The Find and "Search and replace" dialogs, Find Next and Find Previous, and the question
// asked for each replacement.
#pragma once

namespace tarvo::editor {

bool FindDialog();
// Without a search text they open the Find dialog.
bool FindNextCommand();
bool FindPreviousCommand();
bool ReplaceDialog();

// Fills the search state's seam: the replacement question and minimised windows.
void InstallSearchUi();

}  // namespace tarvo::editor
