#include "cms/cms_commands_win.h"

#include <windows.h>

#include <algorithm>

#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "base/version_options_win.h"
#include "cms/checkin.h"
#include "cms/cms_messages.h"
#include "cms/cms_state.h"
#include "cms/releases.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/editor_window_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "resource_ids.h"

namespace tarvo::cms {
namespace {

constexpr unsigned kMsgNoProjectDefined = 3946;  // "No project defined"
constexpr size_t kUserNameLimit = 49;

using base::Check;
using base::Checked;
using base::ItemText;

// The blank-separated words of a text.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    for (size_t at = text.find_first_not_of(" \t"); at != std::string::npos; at = text.find_first_not_of(" \t", at)) {
        size_t end = text.find_first_of(" \t", at);
        out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return out;
}


std::string projectDirectory(const base::Settings& s) {
    return s.project.projectPath.empty() ? platform::CurrentDirectory() : s.project.projectPath;
}

std::string cmsDirectory(const base::Settings& s) {
    return s.project.cmsDirectory.empty() ? projectDirectory(s) + "\\CMS" : s.project.cmsDirectory;
}

// The user's name: the stored one, else the system's; asked for when locks are used and
// neither knows it.
std::string userName() {
    base::Settings& s = base::settings();
    if (!s.project.userName.empty()) return s.project.userName;
    if (!cms().userName.empty()) return cms().userName;
    char name[256] = "";
    DWORD size = sizeof name;
    if (GetUserNameA(name, &size) && name[0]) return std::string(name).substr(0, kUserNameLimit);
    if (!(s.project.lockOptions & 1)) return {};
    std::string asked;
    if (!base::PromptDialog(base::GetString(kMsgLoginTitle), base::GetString(kMsgYourName), asked)) return {};
    cms().userName = asked.substr(0, kUserNameLimit);
    return cms().userName;
}

// The lines of the running operation, shown in the output window when it ends.
std::vector<std::string>& output() {
    static std::vector<std::string> lines;
    return lines;
}

void flushOutput() {
    if (cmsSeam().showOutput && !output().empty()) cmsSeam().showOutput(output());
    output().clear();
}

bool makeContext(CmsContext& c) {
    base::Settings& s = base::settings();
    if (!s.projectActive()) {
        base::ErrorBoxId(kMsgNoProjectDefined);
        return false;
    }
    if (!(s.project.projectFlags & base::kProjectUsesCms)) {
        base::ErrorBox(Printf(base::GetString(kMsgNotVersioned), s.currentProject.c_str()));
        return false;
    }
    c.user = userName();
    if (c.user.empty()) return false;
    c.cmsDirectory = cmsDirectory(s);
    c.workingDirectory = projectDirectory(s);
    c.readOnly = s.project.fileOptions & 1;
    output().clear();
    c.show = [](const std::string& line) { output().push_back(line); };
    c.ask = [](const std::string& question) { return base::Confirm(question) != 0; };
    c.now = [] { return editor::DateStamp(editor::Now()); };
    return true;
}

// The file a command is about: the current document's name when it lies in the project.
std::string currentFile(const CmsContext& c) {
    editor::Document* doc = editor::CurrentDocument();
    if (!doc || (doc->flags & editor::kInternalBuffer)) return {};
    if (!SameText(platform::DirectoryOf(doc->name), c.workingDirectory)) return {};
    return platform::BaseName(doc->name);
}

// A modified open document is offered for saving, so that what is checked in is what the user sees.
bool savedFirst(const CmsContext& c, const std::string& file) {
    std::string path = c.workingDirectory + "\\" + file;
    editor::Document* doc = editor::FindDocument(path, false);
    if (!doc || !(doc->flags & editor::kModified)) return true;
    switch (base::AskYesNoCancel(Printf(base::GetString(kMsgSaveBeforePut), path.c_str()))) {
    case base::Answer::Yes: return editor::WriteFile(doc->name);
    case base::Answer::No: return true;
    case base::Answer::Cancel: return false;
    }
    return false;
}

// A document open on a file the store has just written shows the new text.
void reloadIfOpen(const std::string& path) {
    editor::Document* doc = editor::FindDocument(path, false);
    if (doc && !(doc->flags & editor::kModified) && editor::ReloadDocument(*doc)) editor::RefreshEditorWindows();
}

void put() {
    CmsContext c;
    if (!makeContext(c)) return;
    const base::ProjectSettings& p = base::settings().project;
    PutRequest r;
    base::DialogPlan plan{
        [&](HWND d) {
            SetDlgItemTextA(d, IDC_CMS_FILE, currentFile(c).c_str());
            Check(d, IDC_CMS_KEEP, p.putOptions & 4);
            Check(d, IDC_CMS_QUIET, p.putOptions & 8);
            Check(d, IDC_CMS_LOCK, p.putOptions & 32);
        },
        [&](HWND d) -> INT_PTR {
            r.file = ItemText(d, IDC_CMS_FILE);
            r.revision = ItemText(d, IDC_CMS_REVISION);
            r.symbol = ItemText(d, IDC_CMS_SYMBOL);
            r.log = LfLineEnds(ItemText(d, IDC_CMS_LOG));
            if (!r.log.empty() && !r.log.ends_with('\n')) r.log += '\n';
            r.flags = (Checked(d, IDC_CMS_KEEP) ? kPutKeep : 0) | (Checked(d, IDC_CMS_QUIET) ? kPutQuiet : 0) |
                      (Checked(d, IDC_CMS_LOCK) ? kPutLock : 0) | (Checked(d, IDC_CMS_KEYWORDS) ? kPutKeywords : 0);
            return IDOK;
        }};
    if (base::RunDialog(IDD_CMS_PUT, plan) != IDOK || !savedFirst(c, r.file)) return;
    bool stored = Put(c, r);
    flushOutput();
    // A working file the check-in removed leaves its window on a file that is gone.
    if (stored) reloadIfOpen(c.workingDirectory + "\\" + r.file);
}

void get(unsigned extra) {
    CmsContext c;
    if (!makeContext(c)) return;
    const base::ProjectSettings& p = base::settings().project;
    GetRequest r;
    base::DialogPlan plan{
        [&](HWND d) {
            SetDlgItemTextA(d, IDC_CMS_FILE, currentFile(c).c_str());
            Check(d, IDC_CMS_LOCK, (p.getOptions & 2) && !(extra & kGetUnlock));
            Check(d, IDC_CMS_UNLOCK, extra & kGetUnlock);
            Check(d, IDC_CMS_QUIET, p.getOptions & 8);
            Check(d, IDC_CMS_OVERWRITE, p.getOptions & 32);
        },
        [&](HWND d) -> INT_PTR {
            r.file = ItemText(d, IDC_CMS_FILE);
            r.revision = ItemText(d, IDC_CMS_REVISION);
            r.destination = ItemText(d, IDC_CMS_DESTINATION);
            r.filters = {ItemText(d, IDC_CMS_DATE), ItemText(d, IDC_CMS_AUTHOR), ItemText(d, IDC_CMS_STATE)};
            r.flags = (r.revision.empty() ? 0 : kGetRevision) | (Checked(d, IDC_CMS_LOCK) ? kGetLock : 0) |
                      (Checked(d, IDC_CMS_UNLOCK) ? kGetUnlock : 0) | (Checked(d, IDC_CMS_QUIET) ? kGetQuiet : 0) |
                      (Checked(d, IDC_CMS_OVERWRITE) ? kGetOverwrite : 0);
            return IDOK;
        }};
    if (base::RunDialog(IDD_CMS_GET, plan) != IDOK) return;
    bool got = Get(c, r);
    flushOutput();
    if (got) reloadIfOpen(r.destination.empty() ? c.workingDirectory + "\\" + r.file : r.destination);
}

void putFiles() {
    CmsContext c;
    if (!makeContext(c)) return;
    std::vector<std::string> names;
    if (!base::AskFileNames(base::FileDialog::Open, true, names)) return;
    std::string log;
    if (!base::PromptDialog(base::GetString(kMsgLogMessageTitle), base::GetString(kMsgLogMessageTitle), log)) return;
    std::vector<std::string> files;
    for (const std::string& name : names)
        if (savedFirst(c, platform::BaseName(name))) files.push_back(platform::BaseName(name));
    PutFiles(c, files, log.empty() ? log : log + "\n");
    flushOutput();
}

void getFiles() {
    CmsContext c;
    if (!makeContext(c)) return;
    std::string list;
    if (!base::PromptDialog(base::GetString(kMsgGetIntoTitle), base::GetString(kMsgFileLabel), list)) return;
    std::string folder = c.workingDirectory;
    if (!base::PromptDialog(base::GetString(kMsgGetIntoTitle), base::GetString(kMsgFolderLabel), folder)) return;
    int got = GetFiles(c, folder, words(list));
    output().push_back(Printf(base::GetString(kMsgFilesGot), got));
    flushOutput();
}

void needsUpdate() {
    CmsContext c;
    if (!makeContext(c)) return;
    std::vector<std::string> differ;
    for (const base::ProjectFile& f : base::settings().project.files) {
        int n = NeedsUpdate(c, platform::BaseName(f.name));
        if (n < 0) break;
        if (n > 0) differ.push_back(platform::BaseName(f.name));
    }
    if (differ.empty()) base::InfoBox(base::GetString(kMsgNothingToUpdate));
    else base::ListDialog(base::GetString(kMsgNeedsUpdateTitle), base::GetString(kMsgNeedsUpdateLabel), differ,
                          base::ListMode::Show);
}

void saveRelease() {
    CmsContext c;
    if (!makeContext(c)) return;
    base::Settings& s = base::settings();
    std::vector<std::string> files;
    for (const base::ProjectFile& f : s.project.files) files.push_back(f.name);
    std::vector<ReleaseLine> lines = ReleaseLines(c.cmsDirectory, files);
    base::Release release;
    auto fill = [&](HWND d) {
        SendDlgItemMessageA(d, IDC_LIST, LB_RESETCONTENT, 0, 0);
        for (const ReleaseLine& line : lines)
            SendDlgItemMessageA(d, IDC_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ReleaseLineText(line).c_str()));
    };
    auto chosen = [](HWND d) { return static_cast<int>(SendDlgItemMessageA(d, IDC_LIST, LB_GETCURSEL, 0, 0)); };
    base::DialogPlan plan{
        fill,
        [&](HWND d) -> INT_PTR {
            if (!MakeRelease(ItemText(d, IDC_CMS_NAME), LfLineEnds(ItemText(d, IDC_CMS_DESCRIPTION)), lines, c.user,
                             c.now(), c.ask, release))
                return base::kStayOpen;
            return IDOK;
        },
        [&](HWND d, WPARAM w) {
            int at = chosen(d);
            if (LOWORD(w) == IDC_LIST && HIWORD(w) == LBN_DBLCLK && at >= 0) {
                if (base::Confirm(Printf(base::GetString(kMsgExcludeFile), lines[static_cast<size_t>(at)].file.c_str())))
                    lines.erase(lines.begin() + at);
                fill(d);
                return true;
            }
            if (LOWORD(w) == IDC_CMS_CHANGE_REVISION && at >= 0) {
                ReleaseLine& line = lines[static_cast<size_t>(at)];
                std::string revision = line.revision;
                if (base::PromptDialog(Printf(base::GetString(kMsgRevisionOf), line.file.c_str()),
                                       base::GetString(kMsgRevisionLabel), revision) &&
                    !revision.empty() && revision != line.revision) {
                    line.revision = revision;
                    line.changed = true;
                }
                fill(d);
                return true;
            }
            return false;
        }};
    if (base::RunDialog(IDD_CMS_RELEASE, plan) != IDOK) return;
    s.project.releases.push_back(release);
    base::WriteReleases(s);
}

void getRelease() {
    CmsContext c;
    if (!makeContext(c)) return;
    const base::Settings& s = base::settings();
    if (s.project.releases.empty()) {
        base::ErrorBoxId(kMsgNoReleases);
        return;
    }
    std::vector<std::string> names;
    for (const base::Release& r : s.project.releases) names.push_back(r.name);
    int chosen = base::ListDialog(base::GetString(kMsgChooseRelease), base::GetString(kMsgReleaseLabel), names,
                                  base::ListMode::Choose);
    if (chosen < 0) return;
    int got = GetRelease(c, s.project.releases[static_cast<size_t>(chosen)], kGetOverwrite);
    output().push_back(Printf(base::GetString(kMsgFilesGot), got));
    flushOutput();
    for (const std::string& entry : s.project.releases[static_cast<size_t>(chosen)].files) {
        std::string file, revision;
        if (SplitEntry(entry, file, revision)) reloadIfOpen(c.workingDirectory + "\\" + file);
    }
}

void preferences() {
    base::Settings& s = base::settings();
    base::ProjectSettings& p = s.project;
    base::DialogPlan plan{
        [&](HWND d) {
            Check(d, IDC_CMS_USE, p.projectFlags & base::kProjectUsesCms);
            SetDlgItemTextA(d, IDC_CMS_DIRECTORY, p.cmsDirectory.c_str());
            base::ShowVersionOptions(d, p);
            std::string users;
            for (const std::string& u : p.users) users += (users.empty() ? "" : " ") + u;
            SetDlgItemTextA(d, IDC_CMS_USERS, users.c_str());
        },
        [&](HWND d) -> INT_PTR {
            bool use = Checked(d, IDC_CMS_USE);
            std::string directory = ItemText(d, IDC_CMS_DIRECTORY);
            if (use && !s.projectActive()) {
                base::ErrorBoxId(kMsgNeedProject);
                return base::kStayOpen;
            }
            if (use && directory.empty()) directory = projectDirectory(s) + "\\CMS";
            p.projectFlags = use ? p.projectFlags | base::kProjectUsesCms : p.projectFlags & ~base::kProjectUsesCms;
            p.cmsDirectory = directory;
            base::ReadVersionOptions(d, p);
            p.users = words(ItemText(d, IDC_CMS_USERS));
            return IDOK;
        },
        [&](HWND d, WPARAM w) {
            // Turning the store on fills in the usual directory.
            if (LOWORD(w) != IDC_CMS_USE || !Checked(d, IDC_CMS_USE)) return false;
            if (!s.projectActive()) {
                base::ErrorBoxId(kMsgNeedProject);
                Check(d, IDC_CMS_USE, false);
            } else if (ItemText(d, IDC_CMS_DIRECTORY).empty()) {
                SetDlgItemTextA(d, IDC_CMS_DIRECTORY, (projectDirectory(s) + "\\CMS").c_str());
            }
            return true;
        }};
    if (base::RunDialog(IDD_CMS_PREFERENCES, plan) != IDOK) return;
    if (s.projectActive()) {
        base::WriteSettings(s);
        base::WriteProjectLists(s);
    }
}

void login() {
    std::string name = cms().userName.empty() ? base::settings().project.userName : cms().userName;
    if (!base::PromptDialog(base::GetString(kMsgLoginTitle), base::GetString(kMsgYourName), name) || name.empty())
        return;
    cms().userName = name.substr(0, kUserNameLimit);
    base::settings().project.userName = cms().userName;
}

}  // namespace

bool MakeCmsContext(CmsContext& context) { return makeContext(context); }
std::string CurrentCmsFile(const CmsContext& context) { return currentFile(context); }
void FlushCmsOutput() { flushOutput(); }

bool RunVersionCommand(int id, std::intptr_t, std::intptr_t& result) {
    result = 0;
    switch (id) {
    case CMD_CMS_PUT: put(); return true;
    case CMD_CMS_GET: get(0); return true;
    case CMD_CMS_UNLOCK: get(kGetUnlock); return true;
    case CMD_CMS_PUT_FILES: putFiles(); return true;
    case CMD_CMS_GET_FILES: getFiles(); return true;
    case CMD_CMS_NEEDS_UPDATE: needsUpdate(); return true;
    case CMD_CMS_SAVE_RELEASE: saveRelease(); return true;
    case CMD_CMS_GET_RELEASE: getRelease(); return true;
    case CMD_CMS_PREFERENCES: preferences(); return true;
    case CMD_CMS_LOGIN: login(); return true;
    default: return RunAdminCommand(id);
    }
}

}  // namespace tarvo::cms
