// The breakpoint dialogs. Edit breakpoints works on records, never on the texts it shows:
// outside a run on a copy of the project's list, during a run on the engine's records (the
// program held still meanwhile). The data-breakpoint dialog sets the four debug-register slots.
#include <windows.h>

#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "debugger/breakpoint_list.h"
#include "debugger/breakpoint_marks.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/debugger_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resource_ids.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;

void Status(const std::string& text) {
    if (platform::ui().statusText) platform::ui().statusText(text.c_str());
}

void AddRow(HWND list, const std::string& text, LPARAM data) {
    LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), data);
}

LPARAM SelectedData(HWND list, int* index = nullptr) {
    LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index) *index = static_cast<int>(at);
    return at < 0 ? -1 : SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(at), 0);
}

std::string ComboText(HWND combo) {
    LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (at < 0) return {};
    std::string text(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0)) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.data()));
    return text.c_str();
}

// --- outside a run: the project's list ---------------------------------------------------------

struct SavedEditor {
    std::vector<base::Breakpoint> working;
    std::vector<SourceFunction> functions;

    void ShowList(HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_BP_LIST);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        for (std::size_t i = 0; i < working.size(); ++i) AddRow(list, SavedRow(working[i]), static_cast<LPARAM>(i));
    }
    void ShowFunctions(HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_BP_FUNCTIONS);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        functions = FunctionsOfSource(ComboText(GetDlgItem(dialog, IDC_BP_SOURCES)));
        for (std::size_t i = 0; i < functions.size(); ++i) AddRow(list, functions[i].name, static_cast<LPARAM>(i));
    }
    void Init(HWND dialog) {
        working = base::settings().project.breakpoints;
        HWND sources = GetDlgItem(dialog, IDC_BP_SOURCES);
        const base::ProjectSettings& p = base::settings().project;
        for (const base::ProjectFile& f : p.files) {
            std::string path = f.name.find_first_of("\\:") == std::string::npos && !p.projectPath.empty()
                                   ? p.projectPath + "\\" + f.name
                                   : f.name;
            SendMessageA(sources, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        }
        SendMessageA(sources, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(dialog, IDC_BP_INFO, base::GetString(kMsgSelectFunction));
        ShowFunctions(dialog);
        ShowList(dialog);
    }
    void Set(HWND dialog) {
        EntryText entry;
        if (!ParseEntryText(base::ItemText(dialog, IDC_BP_ENTRY), entry) || entry.line == 0) {
            base::ErrorBoxId(kMsgCannotEstablish);
            return;
        }
        int at = FindSaved(working, entry.file, entry.line);
        if (at >= 0) {
            if (base::Confirm(Printf(base::GetString(kMsgEraseBreakpoint), entry.file.c_str(), static_cast<int>(entry.line))))
                working.erase(working.begin() + at);
        } else {
            working.push_back({entry.file, entry.line});
            Status(Printf(base::GetString(kMsgBreakpointAt), entry.file.c_str(), static_cast<int>(entry.line)));
        }
        ShowList(dialog);
    }
    bool Command(HWND dialog, WPARAM wParam) {
        switch (LOWORD(wParam)) {
        case IDC_BP_SOURCES:
            if (HIWORD(wParam) == CBN_SELCHANGE) ShowFunctions(dialog);
            return true;
        case IDC_BP_FUNCTIONS:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                LPARAM i = SelectedData(GetDlgItem(dialog, IDC_BP_FUNCTIONS));
                if (i >= 0 && i < static_cast<LPARAM>(functions.size())) {
                    std::string file = ComboText(GetDlgItem(dialog, IDC_BP_SOURCES));
                    SetDlgItemTextA(dialog, IDC_BP_ENTRY, Printf("%s %ld", file.c_str(), functions[static_cast<std::size_t>(i)].line).c_str());
                }
            }
            return true;
        case IDC_BP_SET: Set(dialog); return true;
        case IDC_BP_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK) base::ErrorBoxId(kMsgPropertiesOnlyActive);
            return true;
        case IDC_BP_DELETE: {
            LPARAM i = SelectedData(GetDlgItem(dialog, IDC_BP_LIST));
            if (i >= 0 && i < static_cast<LPARAM>(working.size())) working.erase(working.begin() + i);
            ShowList(dialog);
            return true;
        }
        case IDC_BP_DELETE_ALL:
            working.clear();
            ShowList(dialog);
            return true;
        default: return false;
        }
    }
    void Apply() {
        base::settings().project.breakpoints = working;
        RemarkBreakpoints();
    }
};

// --- during a run: the engine's records ------------------------------------------------------

struct RunEditor {
    Engine& e = engineState();
    std::vector<std::string> functions;

    void ShowList(HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_BP_LIST);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        std::vector<std::string> rows = e.BreakpointList();
        std::vector<int> ids = e.BreakpointIds();
        for (std::size_t i = 0; i < rows.size() && i < ids.size(); ++i) AddRow(list, rows[i], ids[i]);
    }
    void ShowFunctions(HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_BP_FUNCTIONS);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        LRESULT image = SendDlgItemMessageA(dialog, IDC_BP_SOURCES, CB_GETCURSEL, 0, 0);
        const DebugInfo& info = debugInfo();
        if (image < 0 || image >= static_cast<LRESULT>(info.images.size())) return;
        functions = CoffFunctionNames(*info.images[static_cast<std::size_t>(image)]);
        for (std::size_t i = 0; i < functions.size(); ++i) AddRow(list, functions[i], static_cast<LPARAM>(i));
    }
    void Init(HWND dialog) {
        HWND sources = GetDlgItem(dialog, IDC_BP_SOURCES);
        for (const auto& image : debugInfo().images) {
            std::string name = platform::BaseName(image->name);
            SendMessageA(sources, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
        SendMessageA(sources, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(dialog, IDC_BP_INFO, base::GetString(kMsgSelectFunction));
        ShowFunctions(dialog);
        ShowList(dialog);
    }
    std::string SelectedFunction(HWND dialog) {
        LPARAM i = SelectedData(GetDlgItem(dialog, IDC_BP_FUNCTIONS));
        return i >= 0 && i < static_cast<LPARAM>(functions.size()) ? functions[static_cast<std::size_t>(i)] : std::string();
    }
    void FunctionChosen(HWND dialog) {
        std::string name = SelectedFunction(dialog);
        FunctionHit f = FindFunction(debugInfo(), name);
        if (!f) {
            SetDlgItemTextA(dialog, IDC_BP_ENTRY, name.c_str());
            return;
        }
        const Function& fn = debugInfo().modules[f.module].Functions()[f.function];
        LineHit hit = LineOfAddress(debugInfo(), fn.debugStart ? fn.debugStart : fn.start);
        std::string info = Printf(base::GetString(kMsgFunctionAddress), static_cast<ull>(fn.start));
        std::string file = hit.line ? std::string(debugInfo().modules[hit.module].files[hit.file].name) : std::string();
        if (!file.empty()) info += " " + platform::BaseName(file) + Printf(" %u", hit.line);
        SetDlgItemTextA(dialog, IDC_BP_INFO, info.c_str());
        SetDlgItemTextA(dialog, IDC_BP_ENTRY,
                        file.empty() ? name.c_str() : Printf("%s %u", platform::BaseName(file).c_str(), hit.line).c_str());
    }
    void Set(HWND dialog) {
        EntryText entry;
        if (!ParseEntryText(base::ItemText(dialog, IDC_BP_ENTRY), entry)) {
            base::ErrorBoxId(kMsgCannotEstablish);
            return;
        }
        if (!entry.function.empty()) {
            if (!e.BreakOnFunction(entry.function)) base::ErrorBoxId(kMsgCannotEstablish);
            ShowList(dialog);
            return;
        }
        // A line that has a breakpoint already asks before it goes.
        FileHit where = FindSourceFile(debugInfo(), entry.file);
        if (where.match == FileMatch::Found) {
            LineHit hit = AddressOfLine(debugInfo(), where.module, where.file, static_cast<unsigned>(entry.line));
            for (const Breakpoint& b : e.breakpoints.Records())
                if ((b.flags & kBreakUser) && hit.line && b.module == where.module && b.line == hit.line &&
                    !base::Confirm(Printf(base::GetString(kMsgEraseBreakpoint), entry.file.c_str(), static_cast<int>(hit.line))))
                    return;
        }
        ToggleResult r = e.ToggleFromEditor(entry.file, static_cast<unsigned>(entry.line), false);
        switch (r.outcome) {
        case Toggle::Set:
            Status(Printf(base::GetString(kMsgBreakpointAt), entry.file.c_str(), static_cast<int>(r.line)));
            break;
        case Toggle::NoCode: base::ErrorBox(Printf(base::GetString(kMsgNoCodeAtLine), static_cast<int>(entry.line))); break;
        case Toggle::NotModule: base::ErrorBox(Printf(base::GetString(kMsgNotAModule), entry.file.c_str())); break;
        case Toggle::Failed: base::ErrorBoxId(kMsgCannotEstablish); break;
        default: break;
        }
        ShowList(dialog);
    }
    void Properties(HWND dialog) {
        Breakpoint* b = e.breakpoints.FindId(static_cast<int>(SelectedData(GetDlgItem(dialog, IDC_BP_LIST))));
        if (!b) return;
        std::string text = (b->flags & kBreakPassCount) ? std::to_string(b->passCount) : std::string("0");
        if (!base::PromptDialog(base::GetString(kMsgPropertiesTitle), base::GetString(kMsgPassCount), text)) return;
        unsigned count = 0;
        if (!ParseCount(text, count)) {
            base::ErrorBoxId(kMsgIncorrectCount);
            return;
        }
        b->passCount = count;
        if (count < 1) b->flags &= ~kBreakPassCount;
        else b->flags |= kBreakPassCount;
    }
    bool Command(HWND dialog, WPARAM wParam) {
        switch (LOWORD(wParam)) {
        case IDC_BP_SOURCES:
            if (HIWORD(wParam) == CBN_SELCHANGE) ShowFunctions(dialog);
            return true;
        case IDC_BP_FUNCTIONS:
            if (HIWORD(wParam) == LBN_SELCHANGE) FunctionChosen(dialog);
            if (HIWORD(wParam) == LBN_DBLCLK) {
                if (!e.BreakOnFunction(SelectedFunction(dialog))) base::ErrorBoxId(kMsgCannotEstablish);
                ShowList(dialog);
            }
            return true;
        case IDC_BP_SET: Set(dialog); return true;
        case IDC_BP_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK) Properties(dialog);
            return true;
        case IDC_BP_DELETE:
            e.RemoveBreakpoint(static_cast<int>(SelectedData(GetDlgItem(dialog, IDC_BP_LIST))));
            ShowList(dialog);
            return true;
        case IDC_BP_DELETE_ALL:
            for (int id : e.BreakpointIds()) e.RemoveBreakpoint(id);
            ShowList(dialog);
            return true;
        default: return false;
        }
    }
    void Apply() {
        std::vector<base::Breakpoint>& saved = base::settings().project.breakpoints;
        saved.clear();
        for (const SavedBreakpoint& b : e.UserLines()) saved.push_back({b.file, static_cast<long>(b.line)});
        e.pending.clear();
        for (const base::Breakpoint& b : saved)
            if (FindSourceFile(debugInfo(), b.file).match != FileMatch::Found)
                e.pending.push_back({b.file, static_cast<unsigned>(b.line)});
        RemarkBreakpoints();
    }
};

template <class Editor>
void RunEditDialog(Editor& editor) {
    base::DialogPlan plan{
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_BP_ENTRY_LABEL, base::GetString(kMsgNewBreakpoint));
            editor.Init(dialog);
        },
        [&](HWND) -> INT_PTR {
            editor.Apply();
            return IDOK;
        },
        [&](HWND dialog, WPARAM wParam) { return editor.Command(dialog, wParam); }};
    base::RunDialog(IDD_BREAKPOINTS, plan);
}

const char* const kAccessNames[] = {"Write", "Read/Write"};
constexpr unsigned kAccessCodes[] = {1, 3};

}  // namespace

void EditBreakpointsDialog() {
    if (!DebuggingActive()) {
        SyncSavedBreakpoints(base::settings().project.breakpoints);
        SavedEditor editor;
        RunEditDialog(editor);
        return;
    }
    bool held = false;
    if (!HoldProgram(held)) return;
    {
        RunEditor editor;
        RunEditDialog(editor);
    }
    ReleaseProgram(held);
}

void DataBreakpointsDialog() {
    if (!DebuggingActive()) {
        base::ErrorBoxId(kMsgDataBreakNeedsRun);
        return;
    }
    bool held = false;
    if (!HoldProgram(held)) return;
    Engine& e = engineState();
    const Target* target = e.target ? e.target : TargetOf(kMachineAmd64);
    std::vector<unsigned> sizes{1, 2, 4};
    if (target->pointerSize == 8) sizes.push_back(8);
    base::DialogPlan plan{
        [&](HWND dialog) {
            for (int n = 0; n < kDataSlots; ++n) {
                const DataSlot& slot = e.slots[n];
                HWND size = GetDlgItem(dialog, IDC_DB_SIZE + n), access = GetDlgItem(dialog, IDC_DB_ACCESS + n);
                for (unsigned s : sizes) SendMessageA(size, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(s).c_str()));
                for (const char* a : kAccessNames) SendMessageA(access, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(a));
                std::size_t sizeAt = 2;
                for (std::size_t i = 0; i < sizes.size(); ++i)
                    if (sizes[i] == slot.size) sizeAt = i;
                SendMessageA(size, CB_SETCURSEL, sizeAt, 0);
                SendMessageA(access, CB_SETCURSEL, slot.access == 1 ? 0 : slot.address ? 1 : 0, 0);
                if (slot.address)
                    SetDlgItemTextA(dialog, IDC_DB_ADDRESS + n,
                                    (slot.expression.empty() ? Printf("0x%llx", static_cast<ull>(slot.address)) : slot.expression).c_str());
                base::Check(dialog, IDC_DB_ENABLED + n, slot.address && slot.enabled);
            }
        },
        [&](HWND dialog) -> INT_PTR {
            for (int n = 0; n < kDataSlots; ++n) {
                std::string text = base::ItemText(dialog, IDC_DB_ADDRESS + n);
                DataSlot slot;
                if (!text.empty()) {
                    LRESULT sizeAt = SendDlgItemMessageA(dialog, IDC_DB_SIZE + n, CB_GETCURSEL, 0, 0);
                    LRESULT accessAt = SendDlgItemMessageA(dialog, IDC_DB_ACCESS + n, CB_GETCURSEL, 0, 0);
                    slot.size = sizes[static_cast<std::size_t>(std::max<LRESULT>(0, sizeAt))];
                    slot.access = kAccessCodes[accessAt == 1 ? 1 : 0];
                    slot.enabled = base::Checked(dialog, IDC_DB_ENABLED + n);
                    if (!ParseHexAddress(text, slot.address)) {
                        // A name of the program: its address.
                        SymbolHit hit = FindSymbol(debugInfo(), text);
                        if (!hit) {
                            base::ErrorBox(base::GetString(kMsgIncorrectExpression) + ("\"" + text + "\""));
                            continue;
                        }
                        slot.address = hit.entry->value;
                        slot.expression = text;
                    }
                }
                std::string problem;
                if (!e.SetDataSlot(n, slot, problem) && !problem.empty()) base::ErrorBox(problem);
            }
            return IDOK;
        }};
    base::RunDialog(IDD_DATA_BREAKPOINTS, plan);
    ReleaseProgram(held);
}

}  // namespace tarvo::debugger
