#include "editor/editor_commands_win.h"

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "analysis/function_list.h"
#include "editor/bookmarks.h"
#include "editor/cursor.h"
#include "editor/document_io.h"
#include "editor/edit.h"
#include "editor/editor_window_win.h"
#include "editor/inactive_code_win.h"
#include "editor/keys.h"
#include "editor/places.h"
#include "editor/screen.h"
#include "editor/search_dialogs_win.h"
#include "editor/selection.h"
#include "editor/status.h"
#include "editor/undo.h"
#include "editor/window_messages.h"
#include "editor/editor_messages.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "shell/app_win.h"
#include "shell/dialogs_win.h"
#include "shell/document_windows_win.h"
#include "shell/messages.h"

namespace tarvo::editor {
namespace {

void Status(const std::string& text) { platform::ui().statusText(text.c_str()); }

std::string FullPath(const std::string& name) {
    char full[MAX_PATH * 4] = "";
    DWORD length = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full) : name;
}

// The common file dialog; false when cancelled.
bool AskFileName(bool save, std::string& name) {
    std::string buffer(32768, '\0');
    if (name.size() < buffer.size()) buffer.replace(0, name.size(), name);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = shell::app().frame;
    dialog.lpstrFilter = "C sources (*.c;*.h)\0*.c;*.h\0All files (*.*)\0*.*\0";
    dialog.nFilterIndex = 2;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog))) return false;
    name = buffer.c_str();
    return !name.empty();
}

View& V() { return *CurrentView(); }
Document& D() { return *CurrentDocument(); }

// ---- files -----------------------------------------------------------------------------

// The internal buffer keeps its name: its text goes to a new document of that name, which
// takes its place in the window, and the buffer is emptied.
bool SaveBufferAs(const std::string& name) {
    Document& buffer = D();
    if (FindDocument(name, false)) {
        shell::InfoBox(shell::GetString(kMsgNameAlreadyUsed));
        return false;
    }
    if (!WriteDocumentToFile(name, buffer)) {
        shell::ErrorBox(Printf(shell::GetString(kMsgCannotOpenForWriting), name.c_str()));
        return false;
    }
    HWND old = shell::ActiveDocumentWindow();
    if (!shell::OpenFileWindow(name)) return false;  // written, but not read back: the buffer stays
    while (buffer.lines->next != buffer.lines) RemoveLine(buffer, buffer.lines->next);
    buffer.flags &= static_cast<std::uint16_t>(~kModified);
    RequestRedraw(buffer, kRedrawAll);
    if (old) SendMessageA(shell::app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(old), 0);
    return true;
}

bool SaveAs() {
    Document& d = D();
    bool buffer = (d.flags & kInternalBuffer) != 0;
    std::string name = buffer ? std::string() : d.name;
    if (!AskFileName(true, name)) return false;
    name = FullPath(name);
    if (buffer) return SaveBufferAs(name);
    if (CompareNames(name, d.name) != 0) {
        if (!RenameCurrentDocument(name)) return false;
        ChooseLanguage(d);
        d.comments.reset();
    }
    d.flags |= kModified;  // written even when unchanged
    return SaveCurrentDocument();
}

bool Save() {
    if (D().flags & kInternalBuffer) return SaveAs();
    return SaveCurrentDocument();
}

bool InsertFile() {
    std::string name;
    if (!CanEdit(D()) || !AskFileName(false, name)) return false;
    ClearSelection();
    return InsertFileAtCursor(FullPath(name));
}

bool Rename() {
    Document& d = D();
    if (d.flags & kInternalBuffer) {
        shell::ErrorBoxId(kMsgInternalBuffer);
        return false;
    }
    std::string name = d.name;
    if (!shell::PromptDialog(shell::GetString(kMsgRenameTitle), shell::GetString(kMsgRenameLabel), name)) return false;
    if (name.find_first_not_of(' ') == std::string::npos) return false;
    name = FullPath(name);
    if (name == d.name) return false;
    if (!RenameCurrentDocument(name)) return false;
    ChooseLanguage(d);
    d.comments.reset();
    RequestRedraw(d, kRedrawAll);
    return true;
}

bool ToggleReadOnly() {
    Document& d = D();
    d.flags ^= kReadOnly;
    Status(Printf(shell::GetString((d.flags & kReadOnly) ? kMsgNowReadOnly : kMsgNowWritable), d.name.c_str()));
    return true;
}

bool CopySelectionToFile() {
    if (HasSelection()) Copy();
    if (editor().cutBuffer.empty()) {
        shell::InfoBox(shell::GetString(kMsgEmptyCutBuffer));
        return false;
    }
    std::string name;
    if (!AskFileName(true, name)) return false;
    return CopyToFile(FullPath(name));
}

// ---- moving ----------------------------------------------------------------------------

bool GoToLineAsked() {
    Document& d = D();
    if (d.lineCount == 0) return false;
    std::string text = Printf("%ld", LineIndex(d, V().cursorLine));
    std::string label = Printf(shell::GetString(kMsgGoToLineLabel), d.lineCount);
    if (!shell::PromptDialog(shell::GetString(kMsgGoToLineTitle), label, text)) return false;
    long line = ParseLineNumber(text, d.lineCount);
    if (line == 0) {
        shell::ErrorBox(Printf(shell::GetString(kMsgBadLineNumber), text.c_str()));
        return false;
    }
    ClearSelection();
    return GoToLine(line);
}

bool Bookmark(int id) {
    if (id == 1142) {
        Status(shell::GetString(ToggleBookmark() ? kMsgBookmarkSet : kMsgBookmarkRemoved));
        return true;
    }
    if (bookmarks().marks.empty()) {
        Status(shell::GetString(kMsgNoBookmarks));
        return false;
    }
    ClearSelection();
    if (id == 1144 || bookmarks().marks.size() == 1) return id == 1144 ? GoToNextBookmark() : GoToBookmark(0);
    int chosen = shell::ListDialog(shell::GetString(kMsgBookmarksTitle), shell::GetString(kMsgBookmarksLabel),
                                   BookmarkLabels(), shell::ListMode::Choose);
    return chosen >= 0 && GoToBookmark(static_cast<std::size_t>(chosen));
}

bool FunctionsList() {
    Document& d = D();
    const FunctionList& list = analysis::FunctionsOf(d);
    if (list.functions.empty()) {
        shell::InfoBox(Printf(shell::GetString(kMsgNoFunctions), d.name.c_str()));
        return false;
    }
    std::vector<std::string> items;
    std::vector<long> lines;
    for (const analysis::Function& f : list.functions) {
        long line = f.startLine > 0 ? f.startLine : f.startNumber;
        items.push_back(Printf(shell::GetString(kMsgFunctionLine), f.name.c_str(), line));
        lines.push_back(line);
    }
    int chosen = shell::ListDialog(shell::GetString(kMsgFunctionsTitle), shell::GetString(kMsgFunctionsLabel), items,
                                   shell::ListMode::Choose);
    if (chosen < 0) return false;
    ClearSelection();
    GoToLine(lines[static_cast<std::size_t>(chosen)]);
    CentreCursor();
    return true;
}

bool UndoOnce() {
    if (Undo()) return true;
    Status(shell::GetString(kMsgNothingToUndo));
    return false;
}

// ---- the table -------------------------------------------------------------------------

struct EditorCommand {
    int id;
    bool (*run)(int id);
};

constexpr EditorCommand kCommands[] = {
    {1103, [](int) { return Save(); }},
    {kCommandSaveAs, [](int) { return SaveAs(); }},
    {kCommandReload, [](int) { return ReloadCurrentDocument(); }},
    {kCommandInsertFile, [](int) { return InsertFile(); }},
    {1110, [](int) { return UndoOnce(); }},
    {1111, [](int) { return Cut(); }},
    {1112, [](int) { return Copy(); }},
    {1113, [](int) { return Paste() > 0; }},
    {kCommandRename, [](int) { return Rename(); }},
    {1121, [](int) { ClearSelection(); return MoveToTop(); }},
    {1122, [](int) { ClearSelection(); return MoveToEnd(); }},
    {1123, [](int) { return GoToLineAsked(); }},
    {kCommandReadOnly, [](int) { return ToggleReadOnly(); }},
    {1135, [](int) { return FindNextCommand(); }},
    {1136, [](int) { return FindPreviousCommand(); }},
    {1137, [](int) { return FindDialog(); }},
    {1139, [](int) { return ReplaceDialog(); }},
    {1142, Bookmark},
    {1143, Bookmark},
    {1144, Bookmark},
    {kCommandSaveAll, [](int) { return SaveAll(); }},
    {kCommandFunctions, [](int) { return FunctionsList(); }},
    {kCommandCopyToFile, [](int) { return CopySelectionToFile(); }},
    {kCommandSpacesToTabs, [](int) { return SpacesToTabs(); }},
    {kCommandTabsToSpaces, [](int) { return TabsToSpaces(); }},
    {1191, [](int) { CentreCursor(); return true; }},
    {kCommandInactiveCode, [](int) { return ShowInactiveCode(); }},
    {kCommandAnotherWindow, [](int) { return shell::OpenAnotherWindow(CurrentDocument()) != nullptr; }},
    {kCommandEscape, [](int) { ClearSelection(); return true; }},
};

}  // namespace

bool RunEditorCommand(int id, std::intptr_t, std::intptr_t& result) {
    result = 0;
    bool selection = IsSelectionCommand(id);
    const EditorCommand* command = nullptr;
    for (const EditorCommand& c : kCommands)
        if (c.id == id) command = &c;
    if (!command && !selection) return false;
    // Commands act on the active window's view.
    HWND active = shell::ActiveDocumentWindow();
    View* view = active ? FindView(reinterpret_cast<std::uintptr_t>(active)) : nullptr;
    if (!view) return true;
    if (view != CurrentView()) SetCurrentView(view);
    bool done = selection ? RunSelectionCommand(id) : command->run(id);
    result = done ? 1 : 0;
    RefreshEditorWindows();
    return true;
}

}  // namespace tarvo::editor
