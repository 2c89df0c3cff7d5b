// The version store's administration and queries as commands: the administration dialog, the
// query and keyword list in the output window and a list, the log viewer with its filters, two
// revisions side by side, and the history of the function chosen in the function list.
#include <windows.h>

#include "analysis/compare_viewer_win.h"
#include "analysis/function_list.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "cms/admin.h"
#include "cms/cms_commands_win.h"
#include "cms/cms_messages.h"
#include "cms/function_history.h"
#include "cms/queries.h"
#include "cms/repository_store.h"
#include "editor/document.h"
#include "platform/files.h"
#include "platform/text.h"
#include "resource_ids.h"

namespace tarvo::cms {
namespace {

using base::Checked;
using base::ItemText;

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(" \t,;\r\n", at)) != std::string::npos) {
        std::size_t end = text.find_first_of(" \t,;\r\n", at);
        out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return out;
}

// "name:revision" binds, "name:" removes; false at the first entry of another form.
bool SymbolChanges(const std::string& text, bool replace, std::vector<SymbolChange>& out) {
    for (const std::string& word : Words(text)) {
        std::size_t colon = word.find(':');
        if (colon == 0 || colon == std::string::npos || word.find(':', colon + 1) != std::string::npos) {
            base::ErrorBox(Printf(base::GetString(kMsgBadSymbolChange), word.c_str()));
            return false;
        }
        out.push_back({word.substr(0, colon), word.substr(colon + 1), replace});
    }
    return true;
}

void administer() {
    CmsContext c;
    if (!MakeCmsContext(c)) return;
    AdminRequest r;
    base::DialogPlan plan{
        [&](HWND d) { SetDlgItemTextA(d, IDC_CMS_FILE, CurrentCmsFile(c).c_str()); },
        [&](HWND d) -> INT_PTR {
            r = {};
            r.file = ItemText(d, IDC_CMS_FILE);
            struct Flag {
                int id;
                unsigned flag;
            };
            for (Flag f : {Flag{IDC_ADMIN_SET_BRANCH, kAdminDefaultBranch}, Flag{IDC_ADMIN_LOCK, kAdminLock},
                           Flag{IDC_ADMIN_UNLOCK, kAdminUnlock}, Flag{IDC_ADMIN_SET_DESCRIPTION, kAdminDescription},
                           Flag{IDC_ADMIN_SET_ACCESS, kAdminAccess}, Flag{IDC_ADMIN_DO_DELETE, kAdminDelete},
                           Flag{IDC_ADMIN_SET_SYMBOLS, kAdminSymbols}})
                if (Checked(d, f.id)) r.flags |= f.flag;
            r.branch = ItemText(d, IDC_ADMIN_BRANCH);
            r.revision = ItemText(d, IDC_ADMIN_REVISION);
            r.remove = Words(ItemText(d, IDC_ADMIN_DELETE));
            r.access = Words(ItemText(d, IDC_ADMIN_ACCESS));
            r.description = LfLineEnds(ItemText(d, IDC_ADMIN_DESCRIPTION));
            if (!r.description.empty() && !r.description.ends_with('\n')) r.description += '\n';
            r.quiet = Checked(d, IDC_ADMIN_QUIET);
            if ((r.flags & kAdminSymbols) &&
                !SymbolChanges(ItemText(d, IDC_ADMIN_SYMBOLS), Checked(d, IDC_ADMIN_REPLACE), r.symbols))
                return base::kStayOpen;
            return IDOK;
        }};
    if (base::RunDialog(IDD_CMS_ADMIN, plan) != IDOK) return;
    Administer(c, r);
    FlushCmsOutput();
}

// The file a query is about: the current one, or as the user names it.
bool AskFile(const CmsContext& c, unsigned titleId, std::string& file) {
    file = CurrentCmsFile(c);
    return base::PromptDialog(Printf(base::GetString(titleId), file.c_str()), base::GetString(kMsgFileLabel), file) &&
           !file.empty();
}

void query() {
    CmsContext c;
    std::string file, locks;
    if (!MakeCmsContext(c) || !AskFile(c, kMsgQueryTitle, file)) return;
    Query(c, file, false, locks);
    FlushCmsOutput();
}

void keywords() {
    CmsContext c;
    std::string file, message;
    if (!MakeCmsContext(c) || !AskFile(c, kMsgKeywordsTitle, file)) return;
    std::string path = platform::IsAbsolutePath(file) ? file : c.workingDirectory + "\\" + file;
    std::vector<std::string> lines;
    if (!KeywordList(path, lines, message)) {
        base::ErrorBox(message);
        return;
    }
    base::ListDialog(Printf(base::GetString(kMsgKeywordsTitle), file.c_str()), "", lines, base::ListMode::Show);
}

void logViewer() {
    CmsContext c;
    if (!MakeCmsContext(c)) return;
    platform::FileContent content;
    std::string log;
    if (platform::ReadWholeFile(LogPath(c.cmsDirectory), content) == platform::ReadStatus::Ok)
        log.assign(content.data.get(), content.size);
    auto show = [&](HWND d) {
        LogFilter f;
        auto filter = [&](int id) {
            std::string text = ItemText(d, id);
            return text.empty() ? std::string("*") : text;
        };
        f.module = filter(IDC_LOG_MODULE);
        f.operation = filter(IDC_LOG_OPERATION);
        f.user = filter(IDC_LOG_USER);
        LRESULT month = SendDlgItemMessageA(d, IDC_LOG_MONTH, CB_GETCURSEL, 0, 0);
        f.month = month == CB_ERR ? 0 : static_cast<int>(month);
        LogView view = ViewLog(log, f);
        SetDlgItemTextA(d, IDC_LOG_HEADING, view.heading.c_str());
        SendDlgItemMessageA(d, IDC_LOG_LIST, LB_RESETCONTENT, 0, 0);
        for (const std::string& row : view.rows)
            SendDlgItemMessageA(d, IDC_LOG_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        SetDlgItemTextA(d, IDC_LOG_COUNT, CountLine(view).c_str());
    };
    base::DialogPlan plan{
        [&](HWND d) {
            for (int id : {IDC_LOG_MODULE, IDC_LOG_OPERATION, IDC_LOG_USER}) SetDlgItemTextA(d, id, "*");
            SendDlgItemMessageA(d, IDC_LOG_MONTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("*"));
            for (int m = 1; m <= 12; ++m)
                SendDlgItemMessageA(d, IDC_LOG_MONTH, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(std::string(MonthName(m)).c_str()));
            SendDlgItemMessageA(d, IDC_LOG_MONTH, CB_SETCURSEL, 0, 0);
            show(d);
        },
        [](HWND) -> INT_PTR { return IDOK; },
        [&](HWND d, WPARAM w) {
            if (LOWORD(w) != IDC_LOG_SHOW && !(LOWORD(w) == IDC_LOG_MONTH && HIWORD(w) == CBN_SELCHANGE)) return false;
            show(d);
            return true;
        }};
    base::RunDialog(IDD_CMS_LOG, plan);
}

// Two texts side by side, through scratch files that go when the viewer has read them.
void sideBySide(const std::string& first, const std::string& second, const std::string& firstName,
                const std::string& secondName) {
    std::string dir = platform::TempDirectory();
    std::string a = platform::UnusedFileName(dir, "fha"), b;
    if (!WriteScratch(a, first)) return;
    b = platform::UnusedFileName(dir, "fhb");
    if (WriteScratch(b, second)) analysis::ShowComparison(a, b, firstName, secondName);
    platform::RemoveFile(a);
    platform::RemoveFile(b);
}

void compareRevisions() {
    CmsContext c;
    if (!MakeCmsContext(c)) return;
    std::string file, first, second;
    base::DialogPlan plan{[&](HWND d) { SetDlgItemTextA(d, IDC_CMS_FILE, CurrentCmsFile(c).c_str()); },
                          [&](HWND d) -> INT_PTR {
                              file = ItemText(d, IDC_CMS_FILE);
                              first = ItemText(d, IDC_COMPARE_FIRST);
                              second = ItemText(d, IDC_COMPARE_SECOND);
                              return IDOK;
                          }};
    if (base::RunDialog(IDD_CMS_COMPARE, plan) != IDOK) return;
    // Only the second may be left empty: the first then stands for it.
    if (first.empty()) std::swap(first, second);
    ComparedSides sides;
    if (RevisionSides(c, file, first, second, platform::TempDirectory(), sides))
        analysis::ShowComparison(sides.firstPath, sides.secondPath, sides.firstName, sides.secondName);
    for (const std::string& path : sides.scratch) platform::RemoveFile(path);
}

std::string HistoryRow(const FunctionChange& change) {
    static const unsigned kKinds[] = {kMsgHistoryAdded, kMsgHistoryChanged, kMsgHistoryRemoved};
    DateFields t;
    std::string date = SplitDate(change.date, t) ? Printf("%2d %s %d %02d:%02d:%02d", t.day, std::string(MonthName(t.month)).c_str(),
                                                          t.year, t.hour, t.minute, t.second)
                                                 : change.date;
    std::string log = change.log.substr(0, change.log.find('\n'));
    return Printf("%-10s %-8s %-10s %-22s %s", change.revision.c_str(),
                  base::GetString(kKinds[static_cast<int>(change.kind)]), change.author.c_str(), date.c_str(),
                  log.c_str());
}

void functionHistory() {
    CmsContext c;
    if (!MakeCmsContext(c)) return;
    editor::Document* doc = editor::CurrentDocument();
    std::string file = CurrentCmsFile(c);
    if (!doc || file.empty()) {
        base::ErrorBoxId(kMsgIncorrectName);
        return;
    }
    analysis::FunctionChoices choices = analysis::FunctionChoicesOf(*doc);
    if (choices.items.empty()) {
        base::ErrorBox(Printf(base::GetString(kMsgNoFunctions), file.c_str()));
        return;
    }
    int chosen = base::ListDialog(base::GetString(kMsgChooseFunction), "", choices.items, base::ListMode::Choose);
    if (chosen < 0) return;
    const std::string name = analysis::FunctionsOf(*doc).functions[static_cast<std::size_t>(chosen)].name;
    std::string cmsPath;
    Repository repo;
    if (!ReadForQuery(c, file, cmsPath, repo)) return;
    FunctionHistory history;
    std::string message;
    if (!TraceFunction(repo, name, "", history, message)) {
        base::ErrorBox(message);
        return;
    }
    if (history.changes.empty()) {
        base::InfoBox(Printf(base::GetString(kMsgFunctionInNoRevision), name.c_str(), file.c_str()));
        return;
    }
    c.show(HeaderLine("history " + name + " " + file));
    for (const FunctionChange& change : history.changes)
        if (!change.previous.empty())
            c.show(Printf(base::GetString(kMsgDiffPair), change.previous.c_str(), change.revision.c_str()));
    FlushCmsOutput();
    base::DialogPlan plan{
        [&](HWND d) {
            SetWindowTextA(d, Printf(base::GetString(kMsgHistoryTitle), name.c_str(), file.c_str()).c_str());
            for (const FunctionChange& change : history.changes)
                SendDlgItemMessageA(d, IDC_HISTORY_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(HistoryRow(change).c_str()));
        },
        [](HWND) -> INT_PTR { return IDOK; },
        [&](HWND d, WPARAM w) {
            if (LOWORD(w) != IDC_HISTORY_COMPARE) return false;
            int picked[2] = {-1, -1};
            LRESULT count = SendDlgItemMessageA(d, IDC_HISTORY_LIST, LB_GETSELITEMS, 2, reinterpret_cast<LPARAM>(picked));
            std::string older, newer;
            if (count == 2) {
                older = history.changes[static_cast<std::size_t>(picked[0])].revision;
                newer = history.changes[static_cast<std::size_t>(picked[1])].revision;
            } else if (count == 1) {
                // One change: with the revision before it.
                older = history.changes[static_cast<std::size_t>(picked[0])].previous;
                newer = history.changes[static_cast<std::size_t>(picked[0])].revision;
            }
            if (older.empty() || newer.empty()) {
                base::InfoBox(base::GetString(kMsgChooseTwo));
                return true;
            }
            sideBySide(history.TextOf(older), history.TextOf(newer), name + " " + older, name + " " + newer);
            return true;
        }};
    base::RunDialog(IDD_CMS_HISTORY, plan);
}

}  // namespace

bool RunAdminCommand(int id) {
    switch (id) {
    case CMD_CMS_ADMIN: administer(); return true;
    case CMD_CMS_QUERY: query(); return true;
    case CMD_CMS_KEYWORDS: keywords(); return true;
    case CMD_CMS_LOG: logViewer(); return true;
    case CMD_CMS_COMPARE: compareRevisions(); return true;
    case CMD_CMS_FUNCTION_HISTORY: functionHistory(); return true;
    default: return false;
    }
}

}  // namespace tarvo::cms
