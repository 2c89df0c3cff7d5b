#include "shell/editor_hooks_win.h"

#include <windows.h>

#include "analysis/analysis_hooks.h"
#include "analysis/function_list.h"
#include "editor/autosave.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/language.h"
#include "editor/search_state.h"
#include "editor/undo.h"
#include "platform/clipboard_win.h"
#include "shell/app_win.h"
#include "shell/commands_win.h"
#include "shell/dialogs_win.h"
#include "shell/dispatch.h"
#include "shell/document_windows_win.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

void ActivateViewWindow(editor::View& view) {
    HWND window = reinterpret_cast<HWND>(view.window);
    if (window && app().client) SendMessageA(app().client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
}

void Busy(bool on) { SetCursor(LoadCursor(nullptr, on ? IDC_WAIT : IDC_ARROW)); }

bool ChooseRestore(const std::vector<std::string>& entries) {
    return ListDialog("Restore", "Files autosaved by an earlier session that did not end normally:",
                      entries, ListMode::Confirm) == 0;
}

// Command 3502: a function the document defines already is shown, not inserted again.
bool GoToDefinedFunction(editor::Document& doc, const std::string& name) {
    for (const analysis::Function& f : analysis::FunctionsOf(doc).functions)
        if (f.name == name) {
            editor::GoToLine(f.startLine > 0 ? f.startLine : f.startNumber);
            return true;
        }
    return false;
}

void LogDispatchedCommand(int id, CommandParam) {
    HWND window = ActiveDocumentWindow();
    editor::LogCommand(reinterpret_cast<std::uintptr_t>(window), static_cast<unsigned>(id));
}

}  // namespace

void InstallEditorHooks() {
    editor::EditorHooks& hooks = editor::editor().hooks;
    hooks.activateView = ActivateViewWindow;
    hooks.busy = Busy;
    hooks.chooseRestore = ChooseRestore;
    hooks.chooseLanguage = editor::ChooseLanguageForDocument;
    shell().dispatch.logCommand = LogDispatchedCommand;
    analysis::InstallAnalysisHooks();  // function lists kept in step, checks before saving
    editor::InstallSearchHooks();
    goToFunction = GoToDefinedFunction;
}

void StartEditor(bool startAutosave) {
    editor::LoadFindFlags();
    platform::InstallWin32Clipboard(app().frame);
    if (!startAutosave) return;
    std::vector<editor::Document*> restored;
    bool run = editor::StartAutosave(&restored);
    for (editor::Document* doc : restored) OpenFileWindow(doc->name);
    if (run) SetTimer(app().frame, editor::kAutosaveTimerId, editor::kAutosavePeriodMs, nullptr);
}

}  // namespace tarvo::shell
