// The shell's small dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tarvo::shell {

// A one-line prompt; false when cancelled. text holds the initial and the entered text.
bool PromptDialog(const std::string& title, const std::string& label, std::string& text);
// A list; returns the chosen index, or -1 when cancelled. With selectable false the list is
// only shown (OK closes it) and the result is -1.
int ListDialog(const std::string& title, const std::string& label,
               const std::vector<std::string>& items, bool selectable);

enum class SaveChoice { Save, DontSave, Cancel };
SaveChoice SaveModifiedDialog(const std::vector<std::string>& names);

// Two windows chosen among the names; false when cancelled.
bool DispositionDialog(const std::vector<std::string>& names, int& left, int& right);

void AboutDialog();
HWND ShowBanner();
void CloseBanner(HWND banner);

// The program's version text, e.g. "Version 0.1.0".
std::string VersionText();

}  // namespace tarvo::shell
