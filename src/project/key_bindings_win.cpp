#include "project/key_bindings_win.h"

#include <windows.h>

#include "base/dialogs_win.h"
#include "base/key_accelerators_win.h"
#include "base/key_bindings.h"
#include "base/messages.h"
#include "editor/typing.h"
#include "platform/text.h"
#include "resource_ids.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgKeyTaken = 6250;        // "%s is the key of \"%s\" already..."
constexpr unsigned kMsgKeyNeedsCtrlOrAlt = 6251;
constexpr unsigned kMsgChooseCommand = 6252;
constexpr unsigned kMsgNoKey = 6254;
constexpr unsigned kMsgKeyOfMacro = 6257;     // "%s types a text macro..."

struct Editing {
    std::vector<base::KeyRow> rows;
    const std::vector<base::Macro>& macros;
    std::vector<base::Accelerator> fixed = base::FixedAccelerators();
};

void fillList(HWND dialog, const Editing& e, LRESULT selected) {
    HWND list = GetDlgItem(dialog, IDC_WS_KEYS);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < e.rows.size() && e.rows[i].command; ++i) {
        const base::KeyRow& r = e.rows[i];
        std::string key = r.key ? base::KeyText(r.key, r.modifiers) : base::GetString(kMsgNoKey);
        std::string text = (r.modifiers & base::kKeyChanged ? "* " : "") + key + "\t" + base::CommandKeyName(r.command);
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// The table row of the list's selection, or -1.
long selectedRow(HWND dialog) {
    LRESULT at = SendDlgItemMessageA(dialog, IDC_WS_KEYS, LB_GETCURSEL, 0, 0);
    if (at == LB_ERR) return -1;
    return static_cast<long>(SendDlgItemMessageA(dialog, IDC_WS_KEYS, LB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

// The key boxes show the selected row's key.
void showKey(HWND dialog, const Editing& e) {
    long row = selectedRow(dialog);
    if (row < 0) return;
    const base::KeyRow& r = e.rows[static_cast<size_t>(row)];
    std::span<const int> keys = base::ChoosableKeys();
    LRESULT choice = -1;
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == r.key) choice = static_cast<LRESULT>(i);
    SendDlgItemMessageA(dialog, IDC_KEY_CHOICE, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
    base::Check(dialog, IDC_KEY_CTRL, r.modifiers & base::kModCtrl);
    base::Check(dialog, IDC_KEY_ALT, r.modifiers & base::kModAlt);
    base::Check(dialog, IDC_KEY_SHIFT, r.modifiers & base::kModShift);
}

void assign(HWND dialog, Editing& e) {
    long row = selectedRow(dialog);
    LRESULT choice = SendDlgItemMessageA(dialog, IDC_KEY_CHOICE, CB_GETCURSEL, 0, 0);
    std::span<const int> keys = base::ChoosableKeys();
    if (row < 0 || choice < 0 || static_cast<size_t>(choice) >= keys.size()) {
        base::ErrorBoxId(kMsgChooseCommand);
        return;
    }
    int key = keys[static_cast<size_t>(choice)];
    int mods = (base::Checked(dialog, IDC_KEY_CTRL) ? base::kModCtrl : 0) |
               (base::Checked(dialog, IDC_KEY_ALT) ? base::kModAlt : 0) |
               (base::Checked(dialog, IDC_KEY_SHIFT) ? base::kModShift : 0);
    base::KeyCheck check = base::CheckNewKey(e.rows, static_cast<size_t>(row), key, mods, e.fixed);
    if (check.refusal == base::KeyRefusal::NeedsCtrlOrAlt) {
        base::ErrorBoxId(kMsgKeyNeedsCtrlOrAlt);
        return;
    }
    if (check.refusal == base::KeyRefusal::Taken) {
        base::ErrorBox(Printf(base::GetString(kMsgKeyTaken), base::KeyText(key, mods).c_str(),
                              base::CommandKeyName(check.command).c_str()));
        return;
    }
    bool macro = false;
    for (const base::Macro& m : e.macros)
        macro |= mods == base::kModCtrl && key >= 'A' && key <= 'Z' && editor::MacroKeyIs(m.key, static_cast<char>(key));
    if (macro) {
        base::ErrorBox(Printf(base::GetString(kMsgKeyOfMacro), base::KeyText(key, mods).c_str()));
        return;
    }
    base::BindKey(e.rows, static_cast<size_t>(row), key, mods);
    fillList(dialog, e, SendDlgItemMessageA(dialog, IDC_WS_KEYS, LB_GETCURSEL, 0, 0));
}

}  // namespace

bool KeyBindingsDialog(std::vector<base::KeyRow>& rows, const std::vector<base::Macro>& macros) {
    Editing e{rows, macros};
    base::DialogPlan plan{
        [&](HWND dialog) {
            int stops[] = {80};
            SendDlgItemMessageA(dialog, IDC_WS_KEYS, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops));
            for (int key : base::ChoosableKeys())
                SendDlgItemMessageA(dialog, IDC_KEY_CHOICE, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(base::KeyText(key, 0).c_str()));
            fillList(dialog, e, 0);
            showKey(dialog, e);
        },
        [&](HWND) -> INT_PTR { return IDOK; },
        [&](HWND dialog, WPARAM wParam) {
            int id = LOWORD(wParam), code = HIWORD(wParam);
            if (id == IDC_WS_KEYS && code == LBN_SELCHANGE) showKey(dialog, e);
            else if (id == IDC_KEY_ASSIGN && code == BN_CLICKED) assign(dialog, e);
            else if (id == IDC_KEY_RESET && code == BN_CLICKED) {
                long row = selectedRow(dialog);
                if (row < 0) return true;
                base::ResetKey(e.rows, static_cast<size_t>(row));
                fillList(dialog, e, SendDlgItemMessageA(dialog, IDC_WS_KEYS, LB_GETCURSEL, 0, 0));
                showKey(dialog, e);
            } else return false;
            return true;
        }};
    if (base::RunDialog(IDD_KEY_BINDINGS, plan) != IDOK) return false;
    rows = e.rows;
    return true;
}

}  // namespace tarvo::project
