#include "tools/grep_win.h"

#include <windows.h>

#include <atomic>
#include <thread>
#include <utility>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/cursor.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resource_ids.h"
#include "tools/grep_messages.h"
#include "tools/grep_session.h"
#include "tools/string_table_win.h"

namespace tarvo::tools {
namespace {

using base::Check;
using base::Checked;
using base::ItemText;

std::string ProjectDirectory() {
    const base::Settings& s = base::settings();
    if (s.projectActive() && !s.project.projectPath.empty()) return s.project.projectPath;
    return platform::CurrentDirectory();
}

void FillCombo(HWND dialog, int id, const std::vector<std::string>& history, const std::string& text) {
    for (const std::string& item : history)
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SetDlgItemTextA(dialog, id, text.c_str());
}

void ShowFlags(HWND dialog, std::uint16_t flags) {
    Check(dialog, IDC_GREP_REGEX, flags & kGrepRegex);
    Check(dialog, IDC_GREP_IGNORE_CASE, !(flags & kGrepCaseSensitive));
    Check(dialog, IDC_GREP_WHOLE_WORDS, flags & kGrepWholeWords);
    Check(dialog, IDC_GREP_MULTIPLE, flags & kGrepMultipleWords);
    Check(dialog, IDC_GREP_SUBDIRECTORIES, flags & kGrepSubdirectories);
}

std::uint16_t ReadFlags(HWND dialog) {
    std::uint16_t flags = 0;
    if (Checked(dialog, IDC_GREP_REGEX)) flags |= kGrepRegex;
    if (!Checked(dialog, IDC_GREP_IGNORE_CASE)) flags |= kGrepCaseSensitive;
    if (Checked(dialog, IDC_GREP_WHOLE_WORDS)) flags |= kGrepWholeWords;
    if (Checked(dialog, IDC_GREP_MULTIPLE)) flags |= kGrepMultipleWords;
    if (Checked(dialog, IDC_GREP_SUBDIRECTORIES)) flags |= kGrepSubdirectories;
    return flags;
}

bool AskRequest(GrepRequest& request) {
    const GrepSession& session = grepSession();
    base::DialogPlan plan{
        [&](HWND dialog) {
            SetWindowTextA(dialog, base::GetString(kMsgGrepTitle));
            FillCombo(dialog, IDC_GREP_EXPRESSION, session.expressions, request.expression);
            FillCombo(dialog, IDC_GREP_DIRECTORY, session.directories, request.directory);
            SetDlgItemTextA(dialog, IDC_GREP_MASKS, request.masks.c_str());
            ShowFlags(dialog, request.flags);
            SetFocus(GetDlgItem(dialog, IDC_GREP_EXPRESSION));
        },
        [&](HWND dialog) -> INT_PTR {
            GrepRequest read{ItemText(dialog, IDC_GREP_EXPRESSION), ItemText(dialog, IDC_GREP_MASKS),
                             ItemText(dialog, IDC_GREP_DIRECTORY), ReadFlags(dialog)};
            if (unsigned missing = CheckForm(read)) {
                base::ErrorBoxId(missing);
                SetFocus(GetDlgItem(dialog, missing == kMsgGrepNoMasks ? IDC_GREP_MASKS : IDC_GREP_EXPRESSION));
                return base::kStayOpen;
            }
            read.directory = platform::FullPath(read.directory.empty() ? ProjectDirectory() : read.directory);
            if (!platform::DirectoryExists(read.directory)) {
                base::ErrorBox(Printf(base::GetString(kMsgGrepNoDirectory), read.directory.c_str()));
                SetFocus(GetDlgItem(dialog, IDC_GREP_DIRECTORY));
                return base::kStayOpen;
            }
            request = read;
            return IDOK;
        },
        [](HWND dialog, WPARAM wParam) {
            if (LOWORD(wParam) != IDC_GREP_MULTIPLE || HIWORD(wParam) != BN_CLICKED) return false;
            if (Checked(dialog, IDC_GREP_MULTIPLE)) ShowFlags(dialog, FlagsForMultiple(ReadFlags(dialog)));
            return true;
        }};
    plan.initFocuses = true;
    return base::RunDialog(IDD_GREP, plan) == IDOK;
}

// The search running in its thread, and the small window that waits for it.
struct Search {
    const GrepRequest* request = nullptr;
    const GrepMatcher* matcher = nullptr;
    GrepOutcome outcome;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
};

constexpr UINT_PTR kPollTimer = 1;

INT_PTR CALLBACK RunningProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        search = reinterpret_cast<Search*>(lParam);
        SetWindowTextA(dialog, base::GetString(kMsgGrepTitle));
        SetDlgItemTextA(dialog, IDC_GREP_PROGRESS,
                        Printf(base::GetString(kMsgGrepRunning), search->request->directory.c_str()).c_str());
        SetTimer(dialog, kPollTimer, 20, nullptr);
        return TRUE;
    case WM_TIMER:
        if (search && search->done.load()) {
            KillTimer(dialog, kPollTimer);
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && search) {
            search->stop = true;  // the thread ends at the next file; the timer then closes this
            EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void RunSearch(Search& search) {
    std::thread worker([&search] {
        search.outcome = RunGrep(*search.request, *search.matcher, &search.stop);
        search.done = true;
    });
    DialogBoxParamA(base::app().instance, MAKEINTRESOURCEA(IDD_GREP_RUNNING), base::app().frame, RunningProc,
                    reinterpret_cast<LPARAM>(&search));
    search.stop = true;  // the window could not be shown, or went: the thread must not outlive it
    worker.join();
}

}  // namespace

bool GrepCommand() {
    base::Settings& s = base::settings();
    GrepRequest request = FormToShow(grepSession(), s.grepFlags, editor::CurrentView() ? editor::WordAtCursor() : "",
                                     ProjectDirectory());
    if (!AskRequest(request)) return false;
    s.grepFlags = request.flags;
    KeepForm(grepSession(), request);
    GrepMatcher matcher;
    if (unsigned error = CompileGrep(request, matcher)) {
        base::ErrorBoxId(error);
        return false;
    }
    Search search;
    search.request = &request;
    search.matcher = &matcher;
    RunSearch(search);
    const GrepOutcome& outcome = search.outcome;
    switch (outcome.end) {
    case GrepEnd::NoDirectory:
        base::ErrorBox(Printf(base::GetString(kMsgGrepNoDirectory), request.directory.c_str()));
        return false;
    case GrepEnd::RegexFailed:
        // One message for the whole search; what was found before is not listed as a result.
        base::ErrorBox(Printf(base::GetString(kMsgGrepEngineFailed), base::GetString(outcome.error),
                              outcome.errorFile.c_str(), static_cast<int>(outcome.errorLine)));
        return false;
    case GrepEnd::Stopped:
        platform::ui().statusText(
            Printf(base::GetString(kMsgGrepStopped), static_cast<int>(outcome.hits.size())).c_str());
        break;
    case GrepEnd::Done:
        break;
    }
    const bool found = !outcome.hits.empty();
    ListOutcome(request, std::move(search.outcome));  // the list keeps the hits
    return found;
}

void ListOutcome(const GrepRequest& request, GrepOutcome outcome) {
    if (grepSession().showList) grepSession().showList(GrepRows(request, std::move(outcome), ProjectDirectory()));
}

bool SymbolUsageCommand() {
    const std::string word = editor::CurrentView() ? editor::WordAtCursor() : "";
    if (word.empty()) {
        base::ErrorBoxId(kMsgGrepEmptyExpression);
        return false;
    }
    std::vector<Usage> usages = UsagesInDocuments(word);
    const bool found = !usages.empty();
    if (grepSession().showList)
        grepSession().showList(UsageRows(word, std::move(usages), UsageForm::DocumentLines, ProjectDirectory()));
    return found;
}

bool RunTextToolCommand(int id, std::intptr_t, std::intptr_t& result) {
    switch (id) {
    case CMD_SYMBOL_USAGE:
        result = SymbolUsageCommand();
        return true;
    case CMD_GREP:
        result = GrepCommand();
        return true;
    case CMD_STRING_TABLE:
        result = StringTableCommand();
        return true;
    default:
        return false;
    }
}

}  // namespace tarvo::tools
