#include "shell/dialogs_win.h"

#include "resource_ids.h"
#include "shell/app_win.h"

namespace tarvo::shell {
namespace {

struct ListRequest {
    const std::string* title;
    const std::string* label;
    const std::vector<std::string>* items;
    ListMode mode;
    int chosen = -1;
};

struct PromptRequest {
    const std::string* title;
    const std::string* label;
    std::string* text;
};

struct DispositionRequest {
    const std::vector<std::string>* names;
    int left = -1, right = -1;
};

void FillList(HWND list, const std::vector<std::string>& items) {
    for (const std::string& item : items)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<PromptRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        request = reinterpret_cast<PromptRequest*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetWindowTextA(dialog, request->title->c_str());
        SetDlgItemTextA(dialog, IDC_TEXT, request->label->c_str());
        SetDlgItemTextA(dialog, IDC_EDIT, request->text->c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            HWND edit = GetDlgItem(dialog, IDC_EDIT);
            std::string text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
            GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
            text.resize(text.size() - 1);
            *request->text = text;
            EndDialog(dialog, IDOK);
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

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<ListRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        request = reinterpret_cast<ListRequest*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetWindowTextA(dialog, request->title->c_str());
        SetDlgItemTextA(dialog, IDC_TEXT, request->label->c_str());
        FillList(GetDlgItem(dialog, IDC_LIST), *request->items);
        if (request->mode == ListMode::Choose) SendDlgItemMessageA(dialog, IDC_LIST, LB_SETCURSEL, 0, 0);
        if (request->mode == ListMode::Show) ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == IDC_LIST && HIWORD(wParam) == LBN_DBLCLK &&
                                       request->mode == ListMode::Choose)) {
            request->chosen = request->mode == ListMode::Choose
                                  ? static_cast<int>(SendDlgItemMessageA(dialog, IDC_LIST, LB_GETCURSEL, 0, 0))
                                  : 0;
            EndDialog(dialog, IDOK);
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

INT_PTR CALLBACK SaveModifiedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillList(GetDlgItem(dialog, IDC_LIST), *reinterpret_cast<std::vector<std::string>*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_DONT_SAVE:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK DispositionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<DispositionRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        request = reinterpret_cast<DispositionRequest*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        FillList(GetDlgItem(dialog, IDC_LEFT), *request->names);
        FillList(GetDlgItem(dialog, IDC_RIGHT), *request->names);
        SendDlgItemMessageA(dialog, IDC_LEFT, LB_SETCURSEL, 0, 0);
        SendDlgItemMessageA(dialog, IDC_RIGHT, LB_SETCURSEL, request->names->size() > 1 ? 1 : 0, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            request->left = static_cast<int>(SendDlgItemMessageA(dialog, IDC_LEFT, LB_GETCURSEL, 0, 0));
            request->right = static_cast<int>(SendDlgItemMessageA(dialog, IDC_RIGHT, LB_GETCURSEL, 0, 0));
            EndDialog(dialog, IDOK);
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

INT_PTR CALLBACK VersionTextProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_VERSION, VersionText().c_str());
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool PromptDialog(const std::string& title, const std::string& label, std::string& text) {
    PromptRequest request{&title, &label, &text};
    return DialogBoxParamA(app().instance, MAKEINTRESOURCEA(IDD_PROMPT), app().frame, PromptProc,
                           reinterpret_cast<LPARAM>(&request)) == IDOK;
}

int ListDialog(const std::string& title, const std::string& label,
               const std::vector<std::string>& items, ListMode mode) {
    ListRequest request{&title, &label, &items, mode};
    if (DialogBoxParamA(app().instance, MAKEINTRESOURCEA(IDD_LIST), app().frame, ListProc,
                        reinterpret_cast<LPARAM>(&request)) != IDOK)
        return -1;
    return request.chosen;
}

SaveChoice SaveModifiedDialog(const std::vector<std::string>& names) {
    INT_PTR answer = DialogBoxParamA(app().instance, MAKEINTRESOURCEA(IDD_SAVE_MODIFIED), app().frame,
                                     SaveModifiedProc,
                                     reinterpret_cast<LPARAM>(const_cast<std::vector<std::string>*>(&names)));
    if (answer == IDOK) return SaveChoice::Save;
    if (answer == IDC_DONT_SAVE) return SaveChoice::DontSave;
    return SaveChoice::Cancel;
}

bool DispositionDialog(const std::vector<std::string>& names, int& left, int& right) {
    DispositionRequest request{&names};
    if (DialogBoxParamA(app().instance, MAKEINTRESOURCEA(IDD_DISPOSITION), app().frame,
                        DispositionProc, reinterpret_cast<LPARAM>(&request)) != IDOK)
        return false;
    left = request.left;
    right = request.right;
    return left >= 0 && right >= 0;
}

void AboutDialog() {
    DialogBoxParamA(app().instance, MAKEINTRESOURCEA(IDD_ABOUT), app().frame, VersionTextProc, 0);
}

HWND ShowBanner() {
    HWND banner = CreateDialogParamA(app().instance, MAKEINTRESOURCEA(IDD_BANNER), nullptr,
                                     VersionTextProc, 0);
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

}  // namespace tarvo::shell
