#include "shell/editor_seam_win.h"

#include <windows.h>
#include <shlobj.h>

#include "analysis/checks.h"
#include "analysis/function_list.h"
#include "editor/autosave.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/language.h"
#include "editor/search_dialogs_win.h"
#include "editor/search_state.h"
#include "editor/undo.h"
#include "platform/clipboard_win.h"
#include "base/app_win.h"
#include "shell/commands_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "platform/text.h"
#include "shell/dispatch.h"
#include "shell/shell_messages.h"
#include "editor/document_windows_win.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

void ActivateViewWindow(editor::View& view) {
    HWND window = reinterpret_cast<HWND>(view.window);
    if (window && base::app().client) SendMessageA(base::app().client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
}

void Busy(bool on) { SetCursor(LoadCursor(nullptr, on ? IDC_WAIT : IDC_ARROW)); }

bool ChooseRestore(const std::vector<std::string>& entries, const std::string& folders) {
    std::string label = folders.empty() ? base::GetString(kMsgRestoreLabel)
                                        : Printf(base::GetString(kMsgRestoreFoundIn), folders.c_str());
    return base::ListDialog(base::GetString(kMsgRestoreTitle), label, entries, base::ListMode::Confirm) == 0;
}

// The user's application-data folder, where autosave goes when the root cannot be written.
std::string UserDataFolder() {
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0])
        return {};
    return std::string(path) + "\\Tarvo";
}

void LogDispatchedCommand(int id, CommandParam) {
    HWND window = editor::ActiveDocumentWindow();
    editor::LogCommand(reinterpret_cast<std::uintptr_t>(window), static_cast<unsigned>(id));
}

}  // namespace

void InstallEditorSeam() {
    editor::EditorSeam& seam = editor::editor().seam;
    seam.activateView = ActivateViewWindow;
    seam.busy = Busy;
    seam.chooseRestore = ChooseRestore;
    seam.userDataFolder = UserDataFolder;
    seam.chooseLanguage = editor::ChooseLanguageForDocument;
    seam.checkBeforeSave = analysis::CheckBeforeSave;
    seam.debugging = DebuggingActive;
    editor::InstallSearchUi();
    shell().dispatch.logCommand = LogDispatchedCommand;
}

void StartEditor(bool startAutosave) {
    editor::LoadFindFlags();
    platform::InstallWin32Clipboard(base::app().frame);
    if (!startAutosave) return;
    std::vector<editor::Document*> restored;
    bool run = editor::StartAutosave(&restored);
    for (editor::Document* doc : restored) editor::OpenFileWindow(doc->name);
    if (run) SetTimer(base::app().frame, editor::kAutosaveTimerId, editor::kAutosavePeriodMs, nullptr);
}

}  // namespace tarvo::shell
