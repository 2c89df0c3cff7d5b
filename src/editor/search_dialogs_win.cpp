#include "editor/search_dialogs_win.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "editor/edit.h"
#include "editor/editor_window_win.h"
#include "editor/regex.h"
#include "editor/replace.h"
#include "editor/search.h"
#include "editor/search_form.h"
#include "editor/search_messages.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/window_messages.h"
#include "resource_ids.h"
#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::editor {
namespace {


using base::Check;
using base::Checked;
using base::ItemText;

void ShowForm(HWND dialog, const SearchForm& f) {
    SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, f.text.c_str());
    if (f.replace) SetDlgItemTextA(dialog, IDC_REPLACE_TEXT, f.replacement.c_str());
    Check(dialog, IDC_REGEX, f.regex);
    Check(dialog, IDC_MATCH_CASE, f.matchCase);
    Check(dialog, IDC_WHOLE_WORDS, f.wholeWords);
    Check(dialog, IDC_SCOPE_CURRENT, !f.allWindows);
    Check(dialog, IDC_SCOPE_ALL, f.allWindows);
    if (!f.replace) Check(dialog, IDC_ICONIZED, f.searchMinimised);
    Check(dialog, IDC_FORWARDS, f.direction == SearchDirection::Forwards);
    Check(dialog, IDC_BACKWARDS, f.direction == SearchDirection::Backwards);
    Check(dialog, IDC_WRAP, f.direction == SearchDirection::Wrap);
    if (f.replace) Check(dialog, IDC_CONFIRM, true);  // ticked whenever the dialog opens
    SendDlgItemMessageA(dialog, IDC_SEARCH_TEXT, EM_SETSEL, 0, -1);
}

SearchForm ReadForm(HWND dialog, bool replace) {
    SearchForm f;
    f.replace = replace;
    f.text = ItemText(dialog, IDC_SEARCH_TEXT);
    if (replace) f.replacement = ItemText(dialog, IDC_REPLACE_TEXT);
    f.regex = Checked(dialog, IDC_REGEX);
    f.matchCase = Checked(dialog, IDC_MATCH_CASE);
    f.wholeWords = Checked(dialog, IDC_WHOLE_WORDS);
    f.allWindows = Checked(dialog, IDC_SCOPE_ALL);
    f.searchMinimised = replace || Checked(dialog, IDC_ICONIZED);
    f.confirm = replace && Checked(dialog, IDC_CONFIRM);
    f.direction = Checked(dialog, IDC_WRAP) ? SearchDirection::Wrap
                  : Checked(dialog, IDC_BACKWARDS) ? SearchDirection::Backwards
                  : Checked(dialog, IDC_FORWARDS) ? SearchDirection::Forwards
                                                  : SearchDirection::None;
    return f;
}

bool RunForm(int dialogId, SearchForm& form) {
    base::DialogPlan plan{[&form](HWND dialog) {
                              ShowForm(dialog, form);
                              SetFocus(GetDlgItem(dialog, IDC_SEARCH_TEXT));
                          },
                          [&form](HWND dialog) -> INT_PTR {
                              SearchForm read = ReadForm(dialog, form.replace);
                              if (!Acceptable(read)) {
                                  SetFocus(GetDlgItem(dialog, IDC_SEARCH_TEXT));
                                  return base::kStayOpen;
                              }
                              form = read;
                              return IDOK;
                          }};
    plan.initFocuses = true;
    return base::RunDialog(dialogId, plan) == IDOK;
}

// A cancelled dialog leaves nothing for Undo to step over.
void DropCommandRecord(int command) {
    auto& records = actionLog().records;
    if (!records.empty() && records.back().kind == kActionCommand && records.back().param == command) records.pop_back();
}

// The question dialog keeps clear of the match it asks about.
INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        SetDlgItemTextA(dialog, IDC_QUESTION, base::GetString(kMsgReplaceThis));
        SetWindowTextA(dialog, base::GetString(kMsgReplaceTitle));
        POINT caret{};
        GetCaretPos(&caret);
        if (HWND owner = GetFocus()) ClientToScreen(owner, &caret);
        RECT box;
        GetWindowRect(dialog, &box);
        int height = box.bottom - box.top;
        int screen = GetSystemMetrics(SM_CYSCREEN);
        int y = caret.y < screen / 2 ? std::min<int>(caret.y + 3 * height / 2, screen - height) : std::max<int>(0, caret.y - 2 * height);
        SetWindowPos(dialog, nullptr, box.left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDYES:
        case IDNO:
        case IDC_REPLACE_ALL:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

ReplaceAnswer AskReplace(View&) {
    RefreshEditorWindows();  // the match is selected: let it be seen
    INT_PTR answer = DialogBoxParamA(base::app().instance, MAKEINTRESOURCEA(IDD_REPLACE_CONFIRM), base::app().frame,
                                     QuestionProc, 0);
    switch (answer) {
    case IDYES: return ReplaceAnswer::Yes;
    case IDNO: return ReplaceAnswer::No;
    case IDC_REPLACE_ALL: return ReplaceAnswer::All;
    default: return ReplaceAnswer::Cancel;
    }
}

bool IsMinimised(const View& view) { return view.window && IsIconic(reinterpret_cast<HWND>(view.window)); }

}  // namespace

void InstallSearchUi() {
    searchState().ui.confirmReplace = AskReplace;
    searchState().ui.isMinimised = IsMinimised;
}

bool FindDialog() {
    InstallSearchUi();
    SearchForm form = FormFromState(false);
    if (!RunForm(IDD_FIND, form)) {
        DropCommandRecord(CMD_FIND);
        return false;
    }
    return Find(FindRequestOf(form));
}

bool FindNextCommand() { return CanFindNext() ? FindNext() : FindDialog(); }
bool FindPreviousCommand() { return CanFindNext() ? FindPrevious() : FindDialog(); }

bool ReplaceDialog() {
    InstallSearchUi();
    Document* doc = CurrentDocument();
    if (!doc || !CanEdit(*doc)) return false;
    SearchForm form = FormFromState(true);
    if (!RunForm(IDD_REPLACE, form)) {
        DropCommandRecord(CMD_REPLACE);
        return false;
    }
    return Replace(ReplaceRequestOf(form));
}

}  // namespace tarvo::editor
