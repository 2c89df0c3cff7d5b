#include "base/dialogs_win.h"

#include <functional>

#include <commdlg.h>

#include "base/dialogs.h"
#include "base/system_win.h"
#include "base/messages.h"
#include "platform/text.h"
#include "platform/files.h"
#include "resource_ids.h"
#include "base/app_win.h"

namespace tarvo::base {
namespace {

constexpr unsigned kMsgVersionText = 4814;  // "Version %s"

INT_PTR CALLBACK PlanProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* plan = reinterpret_cast<DialogPlan*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        plan = reinterpret_cast<DialogPlan*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        if (plan->init) plan->init(dialog);
        return plan->initFocuses ? FALSE : TRUE;
    case WM_COMMAND:
        if (!plan) break;
        if (plan->command && plan->command(dialog, wParam)) return TRUE;
        if (LOWORD(wParam) == IDOK) {
            INT_PTR result = plan->ok ? plan->ok(dialog) : IDOK;
            if (result != kStayOpen) EndDialog(dialog, result);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void FillList(HWND list, const std::vector<std::string>& items) {
    for (const std::string& item : items)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void SetTitleAndLabel(HWND dialog, const std::string& title, const std::string& label) {
    SetWindowTextA(dialog, title.c_str());
    SetDlgItemTextA(dialog, IDC_TEXT, label.c_str());
}

int Selection(HWND dialog, int list) {
    return static_cast<int>(SendDlgItemMessageA(dialog, list, LB_GETCURSEL, 0, 0));
}

void ShowVersion(HWND dialog) { SetDlgItemTextA(dialog, IDC_VERSION, VersionText().c_str()); }

}  // namespace

INT_PTR RunDialog(int id, DialogPlan& plan) {
    // A dialog opened from another is owned by it: owned by the frame, its end would enable
    // the frame while the first one is still up.
    HWND owner = app().frame;
    if (HWND popup = owner ? GetLastActivePopup(owner) : nullptr; popup && popup != owner && IsWindowEnabled(popup))
        owner = popup;
    return DialogBoxParamA(app().instance, MAKEINTRESOURCEA(id), owner, PlanProc, reinterpret_cast<LPARAM>(&plan));
}

bool PromptDialog(const std::string& title, const std::string& label, std::string& text) {
    DialogPlan plan{[&](HWND dialog) {
                        SetTitleAndLabel(dialog, title, label);
                        SetDlgItemTextA(dialog, IDC_EDIT, text.c_str());
                    },
                    [&](HWND dialog) -> INT_PTR {
                        HWND edit = GetDlgItem(dialog, IDC_EDIT);
                        std::string entered(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
                        GetWindowTextA(edit, entered.data(), static_cast<int>(entered.size()));
                        entered.resize(entered.size() - 1);
                        text = entered;
                        return IDOK;
                    }};
    return RunDialog(IDD_PROMPT, plan) == IDOK;
}

int ListDialog(const std::string& title, const std::string& label,
               const std::vector<std::string>& items, ListMode mode) {
    int chosen = -1;
    auto accept = [&](HWND dialog) -> INT_PTR {
        chosen = mode == ListMode::Choose ? Selection(dialog, IDC_LIST) : 0;
        return IDOK;
    };
    DialogPlan plan{[&](HWND dialog) {
                        SetTitleAndLabel(dialog, title, label);
                        FillList(GetDlgItem(dialog, IDC_LIST), items);
                        if (mode == ListMode::Choose) SendDlgItemMessageA(dialog, IDC_LIST, LB_SETCURSEL, 0, 0);
                        if (mode == ListMode::Show) ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
                    },
                    accept,
                    [&](HWND dialog, WPARAM wParam) {
                        if (mode != ListMode::Choose || LOWORD(wParam) != IDC_LIST ||
                            HIWORD(wParam) != LBN_DBLCLK)
                            return false;
                        EndDialog(dialog, accept(dialog));
                        return true;
                    }};
    return RunDialog(IDD_LIST, plan) == IDOK ? chosen : -1;
}

bool AskFileNames(FileDialog kind, bool several, std::vector<std::string>& names, const char* title,
                  unsigned typesId) {
    std::string buffer(32768, '\0');
    if (!names.empty() && names.front().size() < buffer.size())
        buffer.replace(0, names.front().size(), names.front());
    std::string filter = FileDialogFilter(typesId);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = app().frame;
    dialog.lpstrFilter = filter.c_str();
    // Opening files starts with the C sources; a single name (Save as, Insert file) with all files.
    dialog.nFilterIndex = several || typesId ? 1 : 2;
    dialog.lpstrTitle = title;
    // Where the user works now (a project's directory just made current, say).
    std::string start = platform::CurrentDirectory();
    dialog.lpstrInitialDir = start.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY |
                   (kind == FileDialog::Save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST) |
                   (several ? OFN_ALLOWMULTISELECT : 0);
    if (!(kind == FileDialog::Save ? SaveFileDialog(&dialog) : OpenFileDialog(&dialog))) return false;
    names = SelectedFiles(buffer);
    for (std::string& name : names) name = platform::FullPath(name);
    return !names.empty();
}

SaveChoice SaveModifiedDialog(const std::vector<std::string>& names) {
    DialogPlan plan{[&](HWND dialog) { FillList(GetDlgItem(dialog, IDC_LIST), names); }, nullptr,
                    [](HWND dialog, WPARAM wParam) {
                        if (LOWORD(wParam) != IDC_DONT_SAVE) return false;
                        EndDialog(dialog, IDC_DONT_SAVE);
                        return true;
                    }};
    INT_PTR answer = RunDialog(IDD_SAVE_MODIFIED, plan);
    if (answer == IDOK) return SaveChoice::Save;
    if (answer == IDC_DONT_SAVE) return SaveChoice::DontSave;
    return SaveChoice::Cancel;
}

bool DispositionDialog(const std::vector<std::string>& names, int& left, int& right) {
    DialogPlan plan{[&](HWND dialog) {
                        FillList(GetDlgItem(dialog, IDC_LEFT), names);
                        FillList(GetDlgItem(dialog, IDC_RIGHT), names);
                        SendDlgItemMessageA(dialog, IDC_LEFT, LB_SETCURSEL, 0, 0);
                        SendDlgItemMessageA(dialog, IDC_RIGHT, LB_SETCURSEL, names.size() > 1 ? 1 : 0, 0);
                    },
                    [&](HWND dialog) -> INT_PTR {
                        left = Selection(dialog, IDC_LEFT);
                        right = Selection(dialog, IDC_RIGHT);
                        return IDOK;
                    }};
    return RunDialog(IDD_DISPOSITION, plan) == IDOK && left >= 0 && right >= 0;
}

void AboutDialog() {
    DialogPlan plan{ShowVersion, nullptr};
    RunDialog(IDD_ABOUT, plan);
}

std::string VersionText() { return Printf(GetString(kMsgVersionText), TARVO_VERSION); }

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(item)) + 1, '\0');
    GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

}  // namespace tarvo::base
