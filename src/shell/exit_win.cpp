#include "shell/exit_win.h"

#include "debugger/breakpoint_marks.h"
#include "debugger/debugger_win.h"

#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "shell/dispatch.h"
#include "editor/document_windows_win.h"
#include "base/messages.h"
#include "shell/session_settings.h"
#include "base/settings.h"
#include "shell/document_rules.h"
#include "shell/shell_messages.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"
#include "base/command_ids.h"
#include "project/build_win.h"

namespace tarvo::shell {
namespace {

// Saves the buffer through Save as in its window; false when the user cancelled or it failed.
bool SaveBuffer(editor::Document& doc) {
    HWND window = editor::WindowOfDocument(doc.name);
    if (!window) window = editor::OpenUntitledWindow();
    if (!window) return false;
    SendMessageA(base::app().client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
    Dispatch(CMD_SAVE_AS, 0);
    return !(doc.flags & editor::kModified);
}

// The window's rectangle in the MDI client, with the iconic and maximised marks.
base::Rect SavedRectOf(HWND window, HWND maximised) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const RECT& r = placement.rcNormalPosition;
    return StoredWindowRect({r.left, r.top, r.right, r.bottom}, IsIconic(window), window == maximised);
}

}  // namespace

bool MayEndSession() {
    if (DebuggingActive()) {
        if (!base::ConfirmId(kMsgCloseDebugging)) return false;
        debugger::StopDebugging();
    }
    SaveQuestion question = DocumentsToSave();
    if (question.names.empty()) return true;
    switch (base::SaveModifiedDialog(question.names)) {
    case base::SaveChoice::Cancel: return false;
    case base::SaveChoice::DontSave: return true;
    case base::SaveChoice::Save: return editor::SaveAll() && (!question.buffer || SaveBuffer(*question.buffer));
    }
    return false;
}

void StoreOpenFiles() {
    base::Settings& s = base::settings();
    debugger::SyncSavedBreakpoints(s.project.breakpoints);  // marks moved by edits
    std::vector<base::OpenFile> files;
    HWND active = reinterpret_cast<HWND>(SendMessageA(base::app().client, WM_MDIGETACTIVE, 0, 0));
    HWND maximised = active && IsZoomed(active) ? active : nullptr;
    // The MDI client lists its children topmost first; the saved order restores bottom first.
    std::vector<HWND> windows = editor::DocumentWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        editor::Document* doc = editor::DocumentOf(*it);
        editor::View* view = editor::FindView(reinterpret_cast<std::uintptr_t>(*it));
        if (!doc || !view) continue;
        long line = editor::LineIndex(*doc, view->cursorLine);
        bool neverSave = (doc->flags & editor::kInternalBuffer) != 0;
        files.push_back({doc->name, line, SavedRectOf(*it, maximised), neverSave});
    }
    editor::Document* current = editor::DocumentOf(active);
    std::string currentFile = current && !(current->flags & editor::kInternalBuffer) ? current->name : "";
    if (s.projectActive()) {
        s.project.openFiles = files;
        s.project.currentFile = currentFile;
    } else {
        s.openFiles = files;
    }
    s.currentFile = currentFile;
}

bool RunExitSequence(HWND frame) {
    if (!project::MayExitWhileBuilding() || !MayEndSession()) return false;
    base::Settings& s = base::settings();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(frame, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        s.frameX = r.left;
        s.frameY = r.top;
        s.frameCX = r.right - r.left;
        s.frameCY = r.bottom - r.top;
    }
    s.frameZoomed = IsZoomed(frame) != FALSE;
    StoreOpenFiles();
    WriteExitSettings();
    if (shell().helpUsed) WinHelpA(frame, nullptr, HELP_QUIT, 0);
    DestroyWindow(frame);
    return true;
}

}  // namespace tarvo::shell
