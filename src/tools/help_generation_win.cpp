#include "tools/help_generation_win.h"

#include <windows.h>

#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/document.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "tools/help_generation.h"

namespace tarvo::tools {
namespace {

std::string ItemText(HWND list, int i) {
    int n = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
    if (n < 0) return {};
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

bool Listed(HWND list, const std::string& text) {
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (ItemText(list, i) == text) return true;
    return false;
}

// Moves the selected (or, with all, every) item of one list to the other.
void Move(HWND dialog, int from, int to, bool all) {
    HWND source = GetDlgItem(dialog, from), target = GetDlgItem(dialog, to);
    int count = static_cast<int>(SendMessageA(source, LB_GETCOUNT, 0, 0));
    for (int i = count - 1; i >= 0; --i) {
        if (!all && SendMessageA(source, LB_GETSEL, static_cast<WPARAM>(i), 0) <= 0) continue;
        std::string text = ItemText(source, i);
        if (!Listed(target, text)) SendMessageA(target, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(source, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
    }
}

INT_PTR CALLBACK RequestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* request = reinterpret_cast<HelpRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        request = reinterpret_cast<HelpRequest*>(lParam);
        HWND open = GetDlgItem(dialog, IDC_HELP_OPEN_FILES);
        for (const auto& doc : editor::editor().documents)
            if (!(doc->flags & editor::kInternalBuffer))
                SendMessageA(open, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(doc->name.c_str()));
        SetDlgItemTextA(dialog, IDC_HELP_NAME, request->helpFile.c_str());
        SetDlgItemTextA(dialog, IDC_HELP_TITLE, request->title.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_HELP_ADD: Move(dialog, IDC_HELP_OPEN_FILES, IDC_HELP_CHOSEN, false); return TRUE;
        case IDC_HELP_REMOVE: Move(dialog, IDC_HELP_CHOSEN, IDC_HELP_OPEN_FILES, false); return TRUE;
        case IDC_HELP_ADD_ALL: Move(dialog, IDC_HELP_OPEN_FILES, IDC_HELP_CHOSEN, true); return TRUE;
        case IDOK: {
            HelpRequest r;
            HWND chosen = GetDlgItem(dialog, IDC_HELP_CHOSEN);
            int count = static_cast<int>(SendMessageA(chosen, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) r.files.push_back(ItemText(chosen, i));
            r.helpFile = base::ItemText(dialog, IDC_HELP_NAME);
            r.title = base::ItemText(dialog, IDC_HELP_TITLE);
            if (!CheckHelpRequest(r)) return TRUE;  // the dialog stays for a correction
            *request = std::move(r);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

struct Progress {
    HWND window = nullptr;
    bool cancelled = false;
};

Progress& progress() {
    static Progress p;
    return p;
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        progress().cancelled = true;
        return TRUE;
    }
    return FALSE;
}

// Shows the step and lets at most 40 waiting messages of the progress window through, so
// that it paints and Cancel can be pressed; the frame is disabled meanwhile, and the
// generation reads only its own copies of the texts.
bool Step(const std::string& file, const char* kind, const std::string& name) {
    Progress& p = progress();
    if (p.window) {
        SetDlgItemTextA(p.window, IDC_HELP_PROGRESS_TEXT,
                        Printf(base::GetString(kMsgHelpProgress), file.c_str(), kind, name.c_str()).c_str());
        MSG m;
        for (int n = 0; n < 40 && PeekMessageA(&m, p.window, 0, 0, PM_REMOVE); ++n) {
            if (!IsDialogMessageA(p.window, &m)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
        }
    }
    return !p.cancelled;
}

}  // namespace

bool HelpGenerationCommand() {
    HelpRequest request;
    HWND frame = base::app().frame;
    if (DialogBoxParamA(base::app().instance, MAKEINTRESOURCEA(IDD_HELP_GENERATION), frame, RequestProc,
                        reinterpret_cast<LPARAM>(&request)) != IDOK)
        return false;
    std::vector<HelpSource> sources;
    for (const std::string& name : request.files) {
        editor::Document* doc = editor::FindDocument(name, false);
        if (!doc) continue;
        HelpSource s{doc->name, {}};
        for (std::string_view l : analysis::LinesOf(*doc)) s.lines.emplace_back(l);
        sources.push_back(std::move(s));
    }
    Progress& p = progress();
    p = Progress{};
    p.window = CreateDialogParamA(base::app().instance, MAKEINTRESOURCEA(IDD_HELP_PROGRESS), frame, ProgressProc, 0);
    if (p.window) {
        SetWindowTextA(p.window, base::GetString(kMsgHelpProgressTitle));
        ShowWindow(p.window, SW_SHOW);
    }
    if (frame) EnableWindow(frame, FALSE);
    std::string compiler = HelpCompilerPath(base::settings().winHelpComp, base::settings().compilerRoot);
    bool ok = GenerateHelpFile(request, sources, compiler, Step);
    if (frame) EnableWindow(frame, TRUE);
    if (p.window) DestroyWindow(p.window);
    p.window = nullptr;
    return ok;
}

}  // namespace tarvo::tools
