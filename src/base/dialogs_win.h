// The program's small dialogs.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tarvo::base {

// One dialog procedure serves every dialog of the program built from a template: each says how
// it fills itself, what OK returns, and what its other buttons do.
inline constexpr INT_PTR kStayOpen = -1;  // OK's answer when the dialog must stay open
struct DialogPlan {
    std::function<void(HWND)> init;
    std::function<INT_PTR(HWND)> ok;  // the dialog's result, or kStayOpen
    std::function<bool(HWND, WPARAM)> command = nullptr;  // other controls; true when handled
    bool initFocuses = false;  // init puts the focus itself (else the first control gets it)
};
// Runs a modal dialog of the program's resources, owned by the frame; its result.
INT_PTR RunDialog(int id, DialogPlan& plan);

// A dialog control's text, and a check box read or set.
std::string ItemText(HWND dialog, int id);
bool Checked(HWND dialog, int id);
void Check(HWND dialog, int id, bool on);

// A one-line prompt; false when cancelled. text holds the initial and the entered text.
bool PromptDialog(const std::string& title, const std::string& label, std::string& text);
// A list dialog. Show: only OK, result 0. Confirm: OK (0) or Cancel (-1). Choose: the chosen
// index, or -1 when cancelled.
enum class ListMode { Show, Confirm, Choose };
int ListDialog(const std::string& title, const std::string& label,
               const std::vector<std::string>& items, ListMode mode);

// The common file dialog, owned by the frame. Open asks for existing files (several when
// `several`), Save for one name and confirms replacing a file. `names` holds the initial name
// (Save) and receives the full names chosen; false when cancelled.
enum class FileDialog { Open, Save };
// A title and file types (a message id, see FileDialogFilter) may be given.
bool AskFileNames(FileDialog kind, bool several, std::vector<std::string>& names, const char* title = nullptr,
                  unsigned typesId = 0);

enum class SaveChoice { Save, DontSave, Cancel };
SaveChoice SaveModifiedDialog(const std::vector<std::string>& names);

// Two windows chosen among the names; false when cancelled.
bool DispositionDialog(const std::vector<std::string>& names, int& left, int& right);

void AboutDialog();

// The program's version text, e.g. "Version 0.1.0".
std::string VersionText();

}  // namespace tarvo::base
