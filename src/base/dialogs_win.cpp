#include "base/dialogs_win.h"

#include <functional>

#include "resource_ids.h"
#include "base/app_win.h"

namespace tarvo::base {
namespace {

// One dialog procedure serves every dialog here: each says how it fills itself, what OK
// returns, and what its other buttons do.
struct DialogSpec {
    std::function<void(HWND)> init;
    std::function<INT_PTR(HWND)> ok;                     // the result of OK (IDCANCEL: stay open)
    std::function<bool(HWND, WPARAM)> command = nullptr;  // other controls; true when handled
};

INT_PTR CALLBACK SpecProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* spec = reinterpret_cast<DialogSpec*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        spec = reinterpret_cast<DialogSpec*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        if (spec->init) spec->init(dialog);
        return TRUE;
    case WM_COMMAND:
        if (!spec) break;
        if (spec->command && spec->command(dialog, wParam)) return TRUE;
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, spec->ok ? spec->ok(dialog) : IDOK);
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

INT_PTR RunDialog(int id, DialogSpec& spec) {
    return DialogBoxParamA(app().instance, MAKEINTRESOURCEA(id), app().frame, SpecProc,
                           reinterpret_cast<LPARAM>(&spec));
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

INT_PTR CALLBACK BannerProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    ShowVersion(dialog);
    return TRUE;
}

}  // namespace

bool PromptDialog(const std::string& title, const std::string& label, std::string& text) {
    DialogSpec spec{[&](HWND dialog) {
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
    return RunDialog(IDD_PROMPT, spec) == IDOK;
}

int ListDialog(const std::string& title, const std::string& label,
               const std::vector<std::string>& items, ListMode mode) {
    int chosen = -1;
    auto accept = [&](HWND dialog) -> INT_PTR {
        chosen = mode == ListMode::Choose ? Selection(dialog, IDC_LIST) : 0;
        return IDOK;
    };
    DialogSpec spec{[&](HWND dialog) {
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
    return RunDialog(IDD_LIST, spec) == IDOK ? chosen : -1;
}

SaveChoice SaveModifiedDialog(const std::vector<std::string>& names) {
    DialogSpec spec{[&](HWND dialog) { FillList(GetDlgItem(dialog, IDC_LIST), names); }, nullptr,
                    [](HWND dialog, WPARAM wParam) {
                        if (LOWORD(wParam) != IDC_DONT_SAVE) return false;
                        EndDialog(dialog, IDC_DONT_SAVE);
                        return true;
                    }};
    INT_PTR answer = RunDialog(IDD_SAVE_MODIFIED, spec);
    if (answer == IDOK) return SaveChoice::Save;
    if (answer == IDC_DONT_SAVE) return SaveChoice::DontSave;
    return SaveChoice::Cancel;
}

bool DispositionDialog(const std::vector<std::string>& names, int& left, int& right) {
    DialogSpec spec{[&](HWND dialog) {
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
    return RunDialog(IDD_DISPOSITION, spec) == IDOK && left >= 0 && right >= 0;
}

void AboutDialog() {
    DialogSpec spec{ShowVersion, nullptr};
    RunDialog(IDD_ABOUT, spec);
}

HWND ShowBanner() {
    HWND banner = CreateDialogParamA(app().instance, MAKEINTRESOURCEA(IDD_BANNER), nullptr, BannerProc, 0);
    if (banner) {
        ShowWindow(banner, SW_SHOWNOACTIVATE);
        UpdateWindow(banner);
    }
    return banner;
}

void CloseBanner(HWND banner) {
    if (banner) DestroyWindow(banner);
}

std::string VersionText() { return "Version " TARVO_VERSION; }

}  // namespace tarvo::base
