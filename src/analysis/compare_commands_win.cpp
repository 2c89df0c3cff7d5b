#include "analysis/compare_commands_win.h"

#include <algorithm>
#include <memory>

#include "analysis/analysis_messages.h"
#include "analysis/compare_files.h"
#include "analysis/compare_tools.h"
#include "analysis/compare_view.h"
#include "analysis/compare_viewer_win.h"
#include "analysis/normalise.h"
#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/document_io.h"
#include "editor/document_windows_win.h"
#include "editor/editor_commands_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resource_ids.h"

namespace tarvo::analysis {
namespace {

// What the Diff/Merge dialog was given; the names typed are kept for the next time.
struct DiffChoice {
    std::string first, second, output;
    bool spaces = false, ignoreCase = false, merge = false, patch = false, cSyntax = false, toFile = false;
    DiffName a, b;
    std::string outputPath;
    CompareOptions Options() const { return {spaces, ignoreCase}; }
};

struct CompareState {
    std::vector<std::string> firstHistory, secondHistory;
    DiffChoice last;
};

CompareState& compareState() {
    static CompareState state;
    return state;
}

constexpr std::size_t kHistoryLength = 10;

void Remember(std::vector<std::string>& history, const std::string& name) {
    std::erase_if(history, [&](const std::string& h) { return SameText(h, name); });
    history.insert(history.begin(), name);
    if (history.size() > kHistoryLength) history.resize(kHistoryLength);
}

std::string ProjectDirectory() {
    const base::Settings& s = base::settings();
    return s.projectActive() && !s.project.projectPath.empty() ? s.project.projectPath : platform::CurrentDirectory();
}

void Status(const std::string& text) { platform::ui().statusText(text.c_str()); }

void FillCombo(HWND dialog, int id, const std::vector<std::string>& history, const std::string& text) {
    for (const std::string& h : history) SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(h.c_str()));
    SetDlgItemTextA(dialog, id, text.c_str());
}

// The refusal of the dialog's entries: the message shown, or empty when they may go on.
bool Refuse(const std::string& text) {
    base::ErrorBox(text);
    return true;
}

bool Refused(DiffChoice& c) {
    std::string dir = ProjectDirectory();
    if (c.first.empty() || c.second.empty()) return Refuse(base::GetString(kMsgTwoNamesNeeded));
    c.a = ResolveDiffName(c.first, dir);
    c.b = ResolveDiffName(c.second, dir);
    c.outputPath = c.output.empty() ? std::string() : ResolveDiffName(c.output, dir).path;
    DiffRequestNames names{c.first, c.second, c.output, c.a.IsPattern(), c.b.IsPattern(), c.merge, c.patch, c.cSyntax, dir};
    if (unsigned refusal = CheckDiffRequest(names)) return Refuse(base::GetString(refusal));
    // Either side may be the directory: a directory beside a plain file is refused both ways.
    if (c.a.IsPattern() != c.b.IsPattern()) {
        const DiffName& d = c.a.IsPattern() ? c.a : c.b;
        const DiffName& f = c.a.IsPattern() ? c.b : c.a;
        return Refuse(Printf(base::GetString(kMsgDirectoryNotBoth), d.directory.c_str(), f.path.c_str()));
    }
    if (c.toFile && !c.patch && c.output.empty()) return Refuse(base::GetString(kMsgReportNameRequired));
    for (const DiffName* n : {&c.a, &c.b}) {
        if (n->IsPattern() && !platform::DirectoryExists(n->directory))
            return Refuse(Printf(base::GetString(kMsgNoFilesMatch), n->path.c_str()));
        if (!n->IsPattern() && !platform::FileExists(n->path)) {
            base::FileNotFoundBox(n->path);
            return true;
        }
    }
    return false;
}

bool AskDiffChoice(DiffChoice& choice) {
    CompareState& state = compareState();
    choice = state.last;
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        FillCombo(d, IDC_DIFF_FIRST, state.firstHistory, choice.first);
        FillCombo(d, IDC_DIFF_SECOND, state.secondHistory, choice.second);
        base::Check(d, IDC_DIFF_SPACES, choice.spaces);
        base::Check(d, IDC_DIFF_CASE, choice.ignoreCase);
        base::Check(d, IDC_DIFF_MERGE, choice.merge);
        base::Check(d, IDC_DIFF_PATCH, choice.patch);
        base::Check(d, IDC_DIFF_C_SYNTAX, choice.cSyntax);
        base::Check(d, IDC_DIFF_TO_FILE, choice.toFile);
        SetDlgItemTextA(d, IDC_DIFF_OUTPUT, choice.output.c_str());
    };
    plan.ok = [&](HWND d) -> INT_PTR {
        choice.first = base::ItemText(d, IDC_DIFF_FIRST);
        choice.second = base::ItemText(d, IDC_DIFF_SECOND);
        choice.output = base::ItemText(d, IDC_DIFF_OUTPUT);
        choice.spaces = base::Checked(d, IDC_DIFF_SPACES);
        choice.ignoreCase = base::Checked(d, IDC_DIFF_CASE);
        choice.merge = base::Checked(d, IDC_DIFF_MERGE);
        choice.patch = base::Checked(d, IDC_DIFF_PATCH);
        choice.cSyntax = base::Checked(d, IDC_DIFF_C_SYNTAX);
        choice.toFile = base::Checked(d, IDC_DIFF_TO_FILE);
        return Refused(choice) ? base::kStayOpen : IDOK;
    };
    if (base::RunDialog(IDD_DIFF_MERGE, plan) != IDOK) return false;
    Remember(state.firstHistory, choice.first);
    Remember(state.secondHistory, choice.second);
    state.last = choice;
    return true;
}

std::string ReportDate() {
    std::tm now = editor::Now();
    return Printf("%04d-%02d-%02d %02d:%02d", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min);
}

// The comparison of two files for a report; false after a message.
bool LoadFiles(ComparedTexts& texts, const std::string& first, const std::string& second, const CompareOptions& options) {
    std::string a, b;
    for (const std::string* path : {&first, &second}) {
        if (!ReadTextFile(*path, *path == first ? a : b)) {
            base::ErrorBox(Printf(base::GetString(kMsgCannotCompare), path->c_str()));
            return false;
        }
    }
    texts.firstName = platform::BaseName(first);
    texts.secondName = platform::BaseName(second);
    LoadComparison(texts, std::move(a), std::move(b), options);
    return true;
}

bool ReportFiles(const std::string& first, const std::string& second, const DiffChoice& c) {
    ComparedTexts texts;
    if (!LoadFiles(texts, first, second, c.Options())) return false;
    if (!WriteComparisonReport(c.outputPath, ComparisonReport(texts, ReportDate()))) return false;
    Status(Printf(base::GetString(kMsgReportWritten), c.outputPath.c_str()));
    return true;
}

bool PatchFiles(const DiffChoice& c) {
    int result = WritePatchFile(c.a.path, c.b.path, c.outputPath);
    if (result == kCompareCannotOpen) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), c.outputPath.c_str()));
        return false;
    }
    Status(Printf(base::GetString(kMsgPatchWritten), c.outputPath.c_str()));
    return true;
}

// The change dialog of a C comparison: each change's blocks, its place among the changes, and
// the functions and other places that hold changes.
struct ChangeDialog {
    ComparedTexts texts;
    ChangePlaces places;
    ChangeCursor cursor;
};

void ShowChange(HWND d, ChangeDialog& c) {
    const Change& change = c.texts.changes[static_cast<std::size_t>(c.cursor.current)];
    bool cut = false, cutToo = false;
    SetDlgItemTextA(d, IDC_CHG_FIRST_CAPTION, DeletedCaption(change, "").c_str());
    SetDlgItemTextA(d, IDC_CHG_SECOND_CAPTION, InsertedCaption(change, "").c_str());
    std::string left = change.deleted ? NumberedBlock(c.texts.first, change.first, change.deleted, cut) : "";
    std::string right = change.inserted ? NumberedBlock(c.texts.second, change.second, change.inserted, cutToo) : "";
    SetDlgItemTextA(d, IDC_CHG_FIRST_TEXT, left.c_str());
    SetDlgItemTextA(d, IDC_CHG_SECOND_TEXT, right.c_str());
    SetDlgItemTextA(d, IDC_CHG_POSITION, PositionText(c.cursor).c_str());
    EnableWindow(GetDlgItem(d, IDC_CHG_NEXT), c.cursor.CanNext());
    EnableWindow(GetDlgItem(d, IDC_CHG_PREVIOUS), c.cursor.CanPrevious());
    if (cut || cutToo) Status(base::GetString(kMsgTooManyLines));
}

FunctionRecords FunctionsOfText(const TextLines& lines) {
    Lines bare;
    bare.reserve(lines.size());
    for (std::string_view line : lines) {
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        bare.push_back(line);
    }
    return FindCFunctions(bare);
}

bool CSyntaxChanges(const DiffChoice& choice) {
    CompareRequest request{choice.a.path, choice.b.path, {}, kKeepChanges | kAssumeCSyntax, {}};
    int result = CompareFiles(request);
    if (result == kCompareCannotOpen) {
        base::ErrorBox(Printf(base::GetString(kMsgCannotCompare), choice.a.path.c_str()));
        return false;
    }
    if (result == kCompareSame) {
        base::InfoBox(base::GetString(kMsgFilesIdentical));
        return true;
    }
    ChangeDialog c;
    if (!LoadFiles(c.texts, choice.a.path, choice.b.path, {})) return false;
    c.texts.changes = std::move(request.changes);  // file line numbers, normalised counts
    c.places = PlaceChanges(c.texts.changes, FunctionsOfText(c.texts.first), FunctionsOfText(c.texts.second),
                            c.texts.firstName, c.texts.secondName);
    c.cursor.total = static_cast<long>(c.texts.changes.size());
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        SetDlgItemTextA(d, IDC_CHG_FIRST_NAME, c.texts.firstName.c_str());
        SetDlgItemTextA(d, IDC_CHG_SECOND_NAME, c.texts.secondName.c_str());
        for (const std::string& f : c.places.functions)
            SendDlgItemMessageA(d, IDC_CHG_FUNCTIONS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
        for (const std::string& o : c.places.outside)
            SendDlgItemMessageA(d, IDC_CHG_OUTSIDE, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(o.c_str()));
        ShowChange(d, c);
    };
    plan.ok = [](HWND) -> INT_PTR { return IDOK; };
    plan.command = [&](HWND d, WPARAM w) {
        int id = LOWORD(w);
        if (id == IDC_CHG_NEXT || id == IDC_CHG_PREVIOUS) {
            bool moved = id == IDC_CHG_NEXT ? c.cursor.Next() : c.cursor.Previous();
            if (!moved) Status(base::GetString(id == IDC_CHG_NEXT ? kMsgNoNextDiff : kMsgNoPreviousDiff));
            ShowChange(d, c);
            return true;
        }
        if ((id == IDC_CHG_FUNCTIONS || id == IDC_CHG_OUTSIDE) && HIWORD(w) == LBN_SELCHANGE) {
            LRESULT at = SendDlgItemMessageA(d, id, LB_GETCURSEL, 0, 0);
            const std::vector<long>& changes = id == IDC_CHG_FUNCTIONS ? c.places.functionChange : c.places.outsideChange;
            if (at >= 0 && at < static_cast<LRESULT>(changes.size())) {
                c.cursor.current = changes[static_cast<std::size_t>(at)];
                ShowChange(d, c);
            }
            return true;
        }
        return false;
    };
    base::RunDialog(IDD_DIFF_CHANGES, plan);
    return true;
}

// Each common file of two directories compared in turn; a failure asks whether to go on.
void CompareDirectoryFiles(const DiffChoice& choice, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::string first = choice.a.directory + "\\" + name, second = choice.b.directory + "\\" + name;
        bool done = false;
        if (choice.toFile) {
            ComparedTexts texts;
            std::string a, b;
            done = ReadTextFile(first, a) && ReadTextFile(second, b);
            if (done) {
                texts.firstName = first;
                texts.secondName = second;
                LoadComparison(texts, std::move(a), std::move(b), choice.Options());
                done = WriteComparisonReport(choice.outputPath, ComparisonReport(texts, ReportDate()));
            }
        } else {
            std::string a, b;
            done = ReadTextFile(first, a) && ReadTextFile(second, b);
            if (done) {
                ComparedTexts texts;
                LoadComparison(texts, std::move(a), std::move(b), choice.Options());
                // Identical files open nothing: only the differing ones get a viewer.
                if (!texts.changes.empty())
                    done = OpenComparisonWindow({first, second, {}, {}, choice.Options(), false, {}}) != nullptr;
            }
        }
        if (!done && !base::Confirm(Printf(base::GetString(kMsgDiffFailed), name.c_str()))) return;
    }
    if (choice.toFile) Status(Printf(base::GetString(kMsgReportWritten), choice.outputPath.c_str()));
}

void CompareDirectories(const DiffChoice& choice) {
    DirectoryPairing pairing = PairFiles(MatchingFiles(choice.a), MatchingFiles(choice.b));
    base::DialogPlan plan;
    auto fill = [](HWND d, int id, const std::vector<std::string>& names) {
        for (const std::string& n : names) SendDlgItemMessageA(d, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
    };
    plan.init = [&](HWND d) {
        // Each list names the directory its files are missing from.
        SetDlgItemTextA(d, IDC_DIR_ABSENT_FIRST_LABEL, Printf(base::GetString(kMsgAbsentIn), choice.b.directory.c_str()).c_str());
        SetDlgItemTextA(d, IDC_DIR_ABSENT_SECOND_LABEL, Printf(base::GetString(kMsgAbsentsIn), choice.a.directory.c_str()).c_str());
        fill(d, IDC_DIR_ABSENT_FIRST, pairing.onlyFirst);
        fill(d, IDC_DIR_ABSENT_SECOND, pairing.onlySecond);
        fill(d, IDC_DIR_BOTH, pairing.both);
        EnableWindow(GetDlgItem(d, IDC_DIR_DETAILS), !pairing.both.empty());
    };
    plan.ok = [](HWND) -> INT_PTR { return IDOK; };
    plan.command = [&](HWND d, WPARAM w) {
        if (LOWORD(w) != IDC_DIR_DETAILS) return false;
        EndDialog(d, IDC_DIR_DETAILS);
        return true;
    };
    if (base::RunDialog(IDD_DIRECTORY_DIFF, plan) == IDC_DIR_DETAILS) CompareDirectoryFiles(choice, pairing.both);
}

bool DiffMergeCommand() {
    DiffChoice c;
    if (!AskDiffChoice(c)) return false;
    if (c.a.IsPattern()) {
        CompareDirectories(c);
        return true;
    }
    if (c.patch) return PatchFiles(c);
    if (c.toFile) return ReportFiles(c.a.path, c.b.path, c);
    if (c.cSyntax) return CSyntaxChanges(c);
    ComparisonWindowRequest request{c.a.path, c.b.path, {}, {}, c.Options(), c.merge, c.outputPath};
    return OpenComparisonWindow(request) != nullptr;
}

bool ApplyPatchCommand() {
    std::string patch, source, result;
    base::DialogPlan plan;
    plan.ok = [&](HWND d) -> INT_PTR {
        std::string dir = ProjectDirectory();
        patch = base::ItemText(d, IDC_PATCH_FILE);
        source = base::ItemText(d, IDC_PATCH_SOURCE);
        result = base::ItemText(d, IDC_PATCH_RESULT);
        if (patch.empty() || source.empty() || result.empty()) {
            base::ErrorBox(base::GetString(kMsgPatchNamesNeeded));
            return base::kStayOpen;
        }
        patch = ResolveDiffName(patch, dir).path;
        source = ResolveDiffName(source, dir).path;
        result = ResolveDiffName(result, dir).path;
        for (const std::string* f : {&patch, &source})
            if (!platform::FileExists(*f)) {
                base::FileNotFoundBox(*f);
                return base::kStayOpen;
            }
        return IDOK;
    };
    if (base::RunDialog(IDD_APPLY_PATCH, plan) != IDOK) return false;
    if (!ApplyPatchFile(patch, source, result)) return false;
    Status(Printf(base::GetString(kMsgPatchApplied), source.c_str(), result.c_str()));
    return true;
}

// The document as edited beside its file on disk.
bool CompareWithDiskCommand(int) {
    HWND window = editor::ActiveDocumentWindow();
    editor::Document* doc = window ? editor::DocumentOf(window) : nullptr;
    if (!doc) return false;
    if (!platform::FileExists(doc->name)) {
        base::FileNotFoundBox(doc->name);
        return false;
    }
    std::string scratch = platform::UnusedFileName(platform::TempDirectory(), "tcmp");
    if (!editor::WriteDocumentToFile(scratch, *doc)) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), scratch.c_str()));
        return false;
    }
    std::string name = platform::BaseName(doc->name);
    bool shown = ShowComparison(doc->name, scratch, name, Printf(base::GetString(kMsgEditedName), name.c_str()));
    platform::RemoveFile(scratch);  // the viewer holds both texts
    return shown;
}

}  // namespace

bool RunCompareCommand(int id, std::intptr_t& result) {
    switch (id) {
    case CMD_DIFF_MERGE: result = DiffMergeCommand(); return true;
    case CMD_APPLY_PATCH: result = ApplyPatchCommand(); return true;
    case CMD_COMPARE_WITH_DISK: return editor::RunOnActiveWindow(id, CompareWithDiskCommand, result);
    default: return false;
    }
}

}  // namespace tarvo::analysis
