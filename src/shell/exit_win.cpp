#include "shell/exit_win.h"

#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/search_state.h"
#include "shell/app_win.h"
#include "shell/dialogs_win.h"
#include "shell/dispatch.h"
#include "shell/document_windows_win.h"
#include "shell/key_table.h"
#include "shell/messages.h"
#include "shell/recent_files.h"
#include "shell/settings.h"
#include "shell/settings_store.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

constexpr unsigned kCloseDebugging = 31;  // "This will close the debugging session"
constexpr int kSaveAs = 1104;

// The internal buffer has no file, but text typed into it must not go without a question.
bool UnsavedBufferText(const editor::Document& doc) {
    if (!(doc.flags & editor::kInternalBuffer) || !(doc.flags & editor::kModified)) return false;
    editor::TextCount count = editor::CountLinesAndCharacters(doc);
    return count.characters > 0 || count.lines > 1;
}

// Saves the buffer through Save as in its window; false when the user cancelled or it failed.
bool SaveBuffer(editor::Document& doc) {
    HWND window = WindowOfDocument(doc.name);
    if (!window) window = OpenUntitledWindow();
    if (!window) return false;
    SendMessageA(app().client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
    Dispatch(kSaveAs, 0);
    return !(doc.flags & editor::kModified);
}

bool DebuggingActive() {
    return shell().dispatch.debuggingActive && shell().dispatch.debuggingActive();
}

// The window's rectangle in the MDI client, with the iconic and maximised marks.
Rect SavedRectOf(HWND window, HWND maximised) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const RECT& r = placement.rcNormalPosition;
    Rect rect{r.left, r.top, r.right, r.bottom};
    if (IsIconic(window)) rect.left = -(rect.left == 0 ? 1 : rect.left);
    if (window == maximised) rect.right = -(rect.right == 0 ? 1 : rect.right);
    return rect;
}

}  // namespace

bool MayEndSession() {
    if (DebuggingActive()) {
        if (!ConfirmId(kCloseDebugging)) return false;
        // Stopping the run belongs to the debugger, which installs the hook.
    }
    std::vector<std::string> names;
    editor::Document* buffer = nullptr;
    for (const auto& doc : editor::editor().documents) {
        if (UnsavedBufferText(*doc)) buffer = doc.get();
        if ((doc->flags & editor::kModified) && (!(doc->flags & editor::kInternalBuffer) || buffer == doc.get()))
            names.push_back(doc->name);
    }
    if (names.empty()) return true;
    switch (SaveModifiedDialog(names)) {
    case SaveChoice::Cancel: return false;
    case SaveChoice::DontSave: return true;
    case SaveChoice::Save: return editor::SaveAll() && (!buffer || SaveBuffer(*buffer));
    }
    return false;
}

void StoreOpenFiles() {
    Settings& s = settings();
    std::vector<OpenFile> files;
    HWND active = reinterpret_cast<HWND>(SendMessageA(app().client, WM_MDIGETACTIVE, 0, 0));
    HWND maximised = active && IsZoomed(active) ? active : nullptr;
    // The MDI client lists its children topmost first; the saved order restores bottom first.
    std::vector<HWND> windows = DocumentWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        editor::Document* doc = DocumentOf(*it);
        editor::View* view = editor::FindView(reinterpret_cast<std::uintptr_t>(*it));
        if (!doc || !view) continue;
        long line = editor::LineIndex(*doc, view->cursorLine);
        bool neverSave = (doc->flags & editor::kInternalBuffer) != 0;
        files.push_back({doc->name, line, SavedRectOf(*it, maximised), neverSave});
    }
    editor::Document* current = DocumentOf(active);
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
    if (!MayEndSession()) return false;
    Settings& s = settings();
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
    s.keyRows = KeyRowsOf(shell().commandKeys);
    editor::SaveFindFlags();
    if (s.saveAtExit && WriteSettings(s)) {
        SettingsKey key;
        if (OpenMainKey(key)) {
            WriteRecentFiles(key, shell().recentFiles);
            CloseKey(key);
        }
    }
    if (shell().helpUsed) WinHelpA(frame, nullptr, HELP_QUIT, 0);
    DestroyWindow(frame);
    return true;
}

}  // namespace tarvo::shell
