#include "editor/editor_commands_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "editor/bookmarks.h"
#include "editor/cursor.h"
#include "editor/document_io.h"
#include "editor/edit.h"
#include "editor/editor_window_win.h"
#include "editor/file_commands.h"
#include "editor/keys.h"
#include "editor/places.h"
#include "editor/screen.h"
#include "editor/search_dialogs_win.h"
#include "editor/selection.h"
#include "editor/status.h"
#include "editor/undo.h"
#include "editor/window_messages.h"
#include "editor/editor_messages.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "editor/document_windows_win.h"
#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::editor {
namespace {

void Status(const std::string& text) { platform::ui().statusText(text.c_str()); }

// One name from the common file dialog, in full; false when cancelled.
bool AskFileName(bool save, std::string& name) {
    std::vector<std::string> names{name};
    if (!base::AskFileNames(save ? base::FileDialog::Save : base::FileDialog::Open, false, names)) return false;
    name = names.front();
    return true;
}

View& V() { return *CurrentView(); }
Document& D() { return *CurrentDocument(); }

// ---- files -----------------------------------------------------------------------------

// A window on the file the internal buffer's text went to takes the buffer's window's place.
bool ReplaceBufferWindow(const std::string& path) {
    HWND old = ActiveDocumentWindow();
    if (!OpenFileWindow(path)) return false;
    if (old) SendMessageA(base::app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(old), 0);
    return true;
}

bool SaveAs() {
    std::string name = SaveAsOffer(D());
    if (!AskFileName(true, name)) return false;
    return SaveCurrentDocumentAs(name, ReplaceBufferWindow);
}

bool Save() {
    if (D().flags & kInternalBuffer) return SaveAs();
    return SaveCurrentDocument();
}

bool InsertFile() {
    std::string name;
    if (!CanEdit(D()) || !AskFileName(false, name)) return false;
    ClearSelection();
    return InsertFileAtCursor(name);
}

bool Rename() {
    Document& d = D();
    if (!MayRename(d)) return false;
    std::string name = d.name;
    if (!base::PromptDialog(base::GetString(kMsgRenameTitle), base::GetString(kMsgRenameLabel), name)) return false;
    return RenameCurrentDocumentTo(name);
}

bool CopySelectionToFile() {
    if (HasSelection()) Copy();
    if (editor().cutBuffer.empty()) {
        base::InfoBox(base::GetString(kMsgEmptyCutBuffer));
        return false;
    }
    std::string name;
    if (!AskFileName(true, name)) return false;
    return CopyToFile(name);
}

// ---- moving ----------------------------------------------------------------------------

bool GoToLineAsked() {
    Document& d = D();
    if (d.lineCount == 0) return false;
    std::string text = Printf("%ld", LineIndex(d, V().cursorLine));
    std::string label = Printf(base::GetString(kMsgGoToLineLabel), d.lineCount);
    if (!base::PromptDialog(base::GetString(kMsgGoToLineTitle), label, text)) return false;
    long line = ParseLineNumber(text, d.lineCount);
    if (line == 0) {
        base::ErrorBox(Printf(base::GetString(kMsgBadLineNumber), text.c_str()));
        return false;
    }
    ClearSelection();
    return GoToLine(line);
}

bool Bookmark(int id) {
    if (id == CMD_SET_BOOKMARK) {
        Status(base::GetString(ToggleBookmark() ? kMsgBookmarkSet : kMsgBookmarkRemoved));
        return true;
    }
    if (bookmarks().marks.empty()) {
        Status(base::GetString(kMsgNoBookmarks));
        return false;
    }
    ClearSelection();
    if (id == CMD_NEXT_BOOKMARK || bookmarks().marks.size() == 1) return id == CMD_NEXT_BOOKMARK ? GoToNextBookmark() : GoToBookmark(0);
    int chosen = base::ListDialog(base::GetString(kMsgBookmarksTitle), base::GetString(kMsgBookmarksLabel),
                                   BookmarkLabels(), base::ListMode::Choose);
    return chosen >= 0 && GoToBookmark(static_cast<std::size_t>(chosen));
}

// ---- the table -------------------------------------------------------------------------

struct EditorCommand {
    int id;
    bool (*run)(int id);
};

constexpr EditorCommand kCommands[] = {
    {CMD_SAVE, [](int) { return Save(); }},
    {CMD_SAVE_AS, [](int) { return SaveAs(); }},
    {CMD_RELOAD, [](int) { return ReloadCurrentDocument(); }},
    {CMD_INSERT_FILE, [](int) { return InsertFile(); }},
    {CMD_UNDO, [](int) { return UndoCommand(); }},
    {CMD_REDO, [](int) { return RedoCommand(); }},
    {CMD_CUT, [](int) { return Cut(); }},
    {CMD_COPY, [](int) { return Copy(); }},
    {CMD_PASTE, [](int) { return Paste() > 0; }},
    {CMD_RENAME, [](int) { return Rename(); }},
    {CMD_TOP, [](int) { ClearSelection(); return MoveToTop(); }},
    {CMD_END, [](int) { ClearSelection(); return MoveToEnd(); }},
    {CMD_GO_TO_LINE, [](int) { return GoToLineAsked(); }},
    {CMD_READ_ONLY, [](int) { return ToggleReadOnly(); }},
    {CMD_FIND_NEXT, [](int) { return FindNextCommand(); }},
    {CMD_FIND_PREVIOUS, [](int) { return FindPreviousCommand(); }},
    {CMD_FIND, [](int) { return FindDialog(); }},
    {CMD_REPLACE, [](int) { return ReplaceDialog(); }},
    {CMD_SET_BOOKMARK, Bookmark},
    {CMD_GO_TO_BOOKMARK, Bookmark},
    {CMD_NEXT_BOOKMARK, Bookmark},
    {CMD_SAVE_ALL, [](int) { return SaveAll(); }},
    {CMD_COPY_TO_FILE, [](int) { return CopySelectionToFile(); }},
    {CMD_SPACES_TO_TABS, [](int) { return SpacesToTabs(); }},
    {CMD_TABS_TO_SPACES, [](int) { return TabsToSpaces(); }},
    {CMD_RECENTER, [](int) { CentreCursor(); return true; }},
    {CMD_NEW_WINDOW, [](int) { return OpenAnotherWindow(CurrentDocument()) != nullptr; }},
    {CMD_ESCAPE, [](int) { ClearSelection(); return true; }},
};

}  // namespace

bool RunOnActiveWindow(int id, bool (*run)(int id), std::intptr_t& result) {
    result = 0;
    HWND active = ActiveDocumentWindow();
    View* view = active ? FindView(reinterpret_cast<std::uintptr_t>(active)) : nullptr;
    if (!view) return true;
    if (view != CurrentView()) SetCurrentView(view);
    result = run(id) ? 1 : 0;
    RefreshEditorWindows();
    return true;
}

bool RunEditorCommand(int id, std::intptr_t, std::intptr_t& result) {
    if (IsSelectionCommand(id)) return RunOnActiveWindow(id, RunSelectionCommand, result);
    for (const EditorCommand& c : kCommands)
        if (c.id == id) return RunOnActiveWindow(id, c.run, result);
    return false;
}

}  // namespace tarvo::editor
