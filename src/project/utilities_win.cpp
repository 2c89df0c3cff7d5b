#include "project/utilities_win.h"

#include <windows.h>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "editor/selection.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "project/utilities.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgProgramArguments = 421;  // "Program arguments"

// The menu that holds the Utilities command; the utilities follow it after a separator.
HMENU utilitiesMenu() {
    HMENU bar = base::app().mainMenu;
    for (int i = 0, n = bar ? GetMenuItemCount(bar) : 0; i < n; ++i) {
        HMENU sub = GetSubMenu(bar, i);
        if (sub && GetMenuState(sub, CMD_UTILITIES, MF_BYCOMMAND) != static_cast<UINT>(-1)) return sub;
    }
    return nullptr;
}

void refreshMenu() {
    if (base::app().frame) DrawMenuBar(base::app().frame);
}

MacroContext editorContext(const base::Settings& s) {
    MacroContext c;
    if (editor::Document* doc = editor::CurrentDocument()) c.file = doc->name;
    HWND window = editor::ActiveDocumentWindow();
    c.window = reinterpret_cast<std::uintptr_t>(window);
    editor::View* view = editor::CurrentView();
    long start = 0, end = 0;
    if (view && editor::WordAtCursor(start, end)) {
        c.word = editor::WordAtCursor();
        c.cursorInWord = static_cast<size_t>(std::max(0L, view->cursorColumn - start));
    }
    if (view && editor::HasSelection()) {
        c.selection = editor::SelectionText();
        c.selectionLines = c.selection.find_first_of("\r\n") != std::string::npos;
    }
    if (s.projectActive()) c.exe = s.project.exe, c.makeDir = s.project.makeDir;
    c.currentDir = s.currentDir;
    return c;
}

// The program as SearchPath finds it (".exe" added when it has no extension), else as given.
std::string foundProgram(const std::string& program) {
    char found[MAX_PATH] = "";
    DWORD n = SearchPathA(nullptr, program.c_str(), ".exe", MAX_PATH, found, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(found) : program;
}

std::string trimmed(const std::string& text) {
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

bool AddUtilityFromPage(const base::Utility& entered) {
    std::vector<base::Utility>& list = base::settings().utilities;
    bool first = list.empty();
    long id = 0;
    if (ChangeOrAddUtility(list, entered, id) != UtilityEdit::Added) return true;
    if (HMENU menu = utilitiesMenu()) {
        if (first) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(id), entered.nickname.c_str());
        refreshMenu();
    }
    return true;
}

bool DeleteUtilityFromPage(const std::string& nickname) {
    std::vector<base::Utility>& list = base::settings().utilities;
    long id = 0;
    if (!DeleteUtility(list, nickname, id)) return false;
    if (HMENU menu = utilitiesMenu()) {
        DeleteMenu(menu, static_cast<UINT>(id), MF_BYCOMMAND);
        int last = GetMenuItemCount(menu) - 1;
        // The separator in front of the utilities goes with the last of them.
        if (list.empty() && last >= 0 && (GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION) & MF_SEPARATOR))
            DeleteMenu(menu, static_cast<UINT>(last), MF_BYPOSITION);
        refreshMenu();
    }
    return true;
}

void RunUtility(int id, StartProgram start) {
    const base::Settings& s = base::settings();
    const base::Utility* found = FindUtility(s.utilities, id);
    if (!found) return;
    base::Utility u = *found;  // the list may change while a question is open
    MacroContext c = editorContext(s);
    std::string program, arguments, directory;
    if (!ExpandMacros(u.program, c, program)) return;
    program = trimmed(program);
    c.askTitle = program;
    c.ask = [](const std::string& title, std::string& answer) {
        return base::PromptDialog(title, base::GetString(kMsgProgramArguments), answer);
    };
    if (!ExpandMacros(u.arguments, c, arguments)) return;
    c.ask = nullptr;
    if (!u.startDir.empty() && !ExpandMacros(u.startDir, c, directory)) return;
    directory = trimmed(directory);
    std::string previous = platform::CurrentDirectory();
    if (!directory.empty() && !platform::ChangeDirectory(directory)) {
        base::ErrorBox(Printf(base::GetString(6000), directory.c_str()));
        return;
    }
    std::string command = platform::QuoteArgument(foundProgram(program));
    if (!arguments.empty()) command += " " + arguments;
    start(s.compilerRoot, command);
    if (!directory.empty()) platform::ChangeDirectory(previous);
}

}  // namespace tarvo::project
