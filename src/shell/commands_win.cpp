#include "shell/commands_win.h"


#include <cstring>

#include "analysis/analysis_commands_win.h"
#include "cms/cms_commands_win.h"
#include "cms/cms_state.h"
#include "debugger/breakpoint_marks.h"
#include "debugger/debugger_win.h"
#include "tools/tools_commands_win.h"
#include "project/build_win.h"
#include "project/project_commands_win.h"
#include "project/utilities_win.h"
#include "shell/execute.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/edit.h"
#include "editor/editor_commands_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "base/app_win.h"
#include "base/system_win.h"
#include "base/dialogs_win.h"
#include "shell/dispatch.h"
#include "shell/document_rules.h"
#include "shell/shell_messages.h"
#include "editor/document_windows_win.h"
#include "editor/editor_window_win.h"
#include "shell/exit_win.h"
#include "shell/message_list_win.h"
#include "base/messages.h"
#include "shell/recent_files.h"
#include "base/settings.h"
#include "shell/shared_area_win.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"
#include "tools/grep_session.h"

namespace tarvo::shell {

namespace {

constexpr int kRecentOnMenu = 4;

CommandResult Post(UINT message, HWND window) {
    if (window) PostMessageA(window, message, 0, 0);
    return 0;
}

CommandResult CmdNew(int, CommandParam) {
    editor::OpenUntitledWindow();
    return 0;
}

CommandResult CmdOpen(int, CommandParam) {
    std::vector<std::string> names;
    if (base::AskFileNames(base::FileDialog::Open, true, names))
        for (const std::string& name : names) OpenAndRemember(name);
    return 0;
}

CommandResult CmdQuit(int, CommandParam) { return Post(WM_CLOSE, base::app().frame); }

CommandResult CmdAbout(int, CommandParam) {
    base::AboutDialog();
    return 0;
}

CommandResult CmdClose(int, CommandParam) {
    HWND active = reinterpret_cast<HWND>(SendMessageA(base::app().client, WM_MDIGETACTIVE, 0, 0));
    return Post(WM_CLOSE, active);
}

// The parameter is a ticket of a name queued by this program; anything else opens nothing.
CommandResult CmdOpenNamed(int, CommandParam param) {
    std::string name;
    if (TakeNamedFile(param, name) && !name.empty()) OpenAndRemember(name);
    return 0;
}

CommandResult CmdExecute(int, CommandParam) {
    static std::string last;
    std::string command = last;
    if (!base::PromptDialog(base::GetString(kMsgExecuteTitle), base::GetString(kMsgExecuteLabel), command) ||
        command.empty())
        return 0;
    last = command;
    ExecuteProgram(base::settings().compilerRoot, command);
    return 0;
}

CommandResult CmdCloseAll(int, CommandParam) {
    if (!MayEndSession()) return 0;
    for (HWND window : editor::DocumentWindows()) SendMessageA(base::app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    return 0;
}

CommandResult CmdStatistics(int, CommandParam) {
    base::ListDialog(base::GetString(kMsgStatisticsTitle), base::GetString(kMsgStatisticsHeader),
                     StatisticsRows(), base::ListMode::Show);
    return 0;
}

CommandResult CmdMdi(int id, CommandParam) {
    UINT message = id == CMD_CASCADE ? WM_MDICASCADE : id == CMD_TILE ? WM_MDITILE : WM_MDIICONARRANGE;
    SendMessageA(base::app().client, message, 0, 0);
    return 0;
}

CommandResult CmdUtilities(int, CommandParam) {
    const std::vector<base::Utility>& utilities = base::settings().utilities;
    if (utilities.empty()) {
        base::InfoBox(base::GetString(kMsgNoUtilities));
        return 0;
    }
    std::vector<std::string> names;
    for (const base::Utility& u : utilities) names.push_back(u.nickname);
    int chosen = base::ListDialog(base::GetString(kMsgUtilitiesTitle), base::GetString(kMsgUtilitiesLabel),
                                  names, base::ListMode::Choose);
    if (chosen >= 0) PostMessageA(base::app().frame, WM_COMMAND, utilities[static_cast<size_t>(chosen)].id, 0);
    return 0;
}

CommandResult CmdRecent(int id, CommandParam) {
    std::string name = RecentFileForCommand(shell().recentFiles, id);
    if (!name.empty() && !OpenAndRemember(name)) {
        RemoveRecentFile(shell().recentFiles, name);
        UpdateRecentFilesMenu();
    }
    return 0;
}

// Two windows side by side, each half of the MDI area.
CommandResult CmdDisposition(int, CommandParam) {
    std::vector<HWND> windows = editor::DocumentWindows();
    if (windows.size() < 2) return 0;
    std::vector<std::string> names;
    for (HWND window : windows) {
        char title[512] = "";
        GetWindowTextA(window, title, sizeof title);
        names.emplace_back(title);
    }
    int left = 0, right = 1;
    if (!base::DispositionDialog(names, left, right) || left == right) return 0;
    RECT area;
    GetClientRect(base::app().client, &area);
    int half = (area.right - area.left) / 2, height = area.bottom - area.top;
    HWND leftWindow = windows[static_cast<size_t>(left)], rightWindow = windows[static_cast<size_t>(right)];
    for (HWND window : {leftWindow, rightWindow})
        if (IsZoomed(window) || IsIconic(window)) ShowWindow(window, SW_RESTORE);
    MoveWindow(leftWindow, 0, 0, half, height, TRUE);
    MoveWindow(rightWindow, half, 0, half, height, TRUE);
    return 0;
}

CommandResult CmdVersion(int, CommandParam) {
    base::InfoBox(Printf(base::GetString(kMsgVersionBox), base::VersionText().c_str(), __DATE__));
    return 0;
}

CommandResult CmdHelpIndex(int, CommandParam) {
    std::string file = Printf("%s\\bin\\tarvo.hlp", base::settings().compilerRoot.c_str());
    if (!platform::FileExists(file)) {
        base::FileNotFoundBox(file);
        return 0;
    }
    WinHelpA(base::app().frame, file.c_str(), HELP_FINDER, 0);
    shell().helpUsed = true;
    return 0;
}

CommandResult CmdDocumentation(int id, CommandParam) {
    std::string file = DocumentationFileFor(id, base::settings().compilerRoot, base::settings().winHelpDataBase);
    if (file.empty()) return 0;
    base::ShellOpen(base::app().frame, file.c_str(), shell().startDirectory.c_str());
    return 0;
}

// Help for the word at the cursor of the active editor window.
CommandResult CmdContextHelp(int, CommandParam) {
    std::string word = editor::WordAtCursor();
    if (!word.empty()) ShowContextHelp(word);
    return 0;
}

// Open the named file maximised; insert a function stub; the MDI client's size.
CommandResult SharedAreaCommand(int id, CommandParam) {
    std::string text = SharedAreaText();
    if (id == CMD_SHARED_OPEN_FILE) {
        if (HWND window = OpenAndRemember(text)) SendMessageA(base::app().client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window), 0);
        return 0;
    }
    if (id == CMD_SHARED_FUNCTION_STUB) {
        if (PlaceFunctionStub(reinterpret_cast<std::uintptr_t>(editor::ActiveDocumentWindow()), text))
            editor::RefreshEditorWindows();
        return 0;
    }
    if (id == CMD_SHARED_CLIENT_SIZE) {
        RECT area{};
        GetClientRect(base::app().client, &area);
        return (static_cast<CommandResult>(area.bottom - area.top) << 16) | ((area.right - area.left) & 0xFFFF);
    }
    return 0;
}

CommandResult CmdStepMessage(int id, CommandParam) {
    StepMessage(id == CMD_NEXT_MESSAGE ? 1 : -1);
    return 0;
}

// Commands of the shell; the documentation items and utilities are ranges, handled in RunShellCommand.
constexpr CommandHandler kHandlers[] = {
    {CMD_NEW, CmdNew},
    {CMD_OPEN, CmdOpen},
    {CMD_QUIT, CmdQuit},
    {CMD_ABOUT, CmdAbout},
    {CMD_CLOSE, CmdClose},
    {CMD_OPEN_NAMED_FILE, CmdOpenNamed},
    {CMD_EXECUTE, CmdExecute},
    {CMD_CLOSE_ALL, CmdCloseAll},
    {CMD_STATISTICS, CmdStatistics},
    {CMD_CASCADE, CmdMdi},
    {CMD_TILE, CmdMdi},
    {CMD_ARRANGE_ICONS, CmdMdi},
    {CMD_UTILITIES, CmdUtilities},
    {CMD_RECENT_FILE_1, CmdRecent},
    {CMD_RECENT_FILE_2, CmdRecent},
    {CMD_RECENT_FILE_3, CmdRecent},
    {CMD_RECENT_FILE_4, CmdRecent},
    {CMD_DISPOSITION, CmdDisposition},
    {CMD_VERSION, CmdVersion},
    {CMD_HELP_INDEX, CmdHelpIndex},
    {CMD_CONTEXT_HELP, CmdContextHelp},
    {CMD_NEXT_MESSAGE, CmdStepMessage},
    {CMD_PREVIOUS_MESSAGE, CmdStepMessage},
    {0, nullptr},
};

bool RunShellCommand(int id, CommandParam param, CommandResult& result) {
    if (const CommandHandler* h = FindHandler(kHandlers, id)) {
        result = h->run(id, param);
        return true;
    }
    if (!DocumentationFileFor(id, base::settings().compilerRoot, "x").empty()) {
        result = CmdDocumentation(id, param);
        return true;
    }
    result = 0;
    if (id < CMD_FIRST_UTILITY || id > CMD_LAST_UTILITY) return false;
    project::RunUtility(id, ExecuteProgram);
    return true;
}

bool AnyEditorOpen() { return editor::AnyDocumentWindow(); }

CommandResult DefaultProcessing(int id, CommandParam param) {
    return DefFrameProcA(base::app().frame, base::app().client, WM_COMMAND, static_cast<WPARAM>(id), param);
}

}  // namespace

void InstallDispatchHooks() {
    DispatchHooks& hooks = shell().dispatch;
    hooks = DispatchHooks{};
    hooks.anyEditorOpen = AnyEditorOpen;
    hooks.runners[static_cast<int>(base::Owner::Shell)] = RunShellCommand;
    hooks.runners[static_cast<int>(base::Owner::Editor)] = editor::RunEditorCommand;
    hooks.runners[static_cast<int>(base::Owner::Analysis)] = analysis::RunAnalysisCommand;
    hooks.runners[static_cast<int>(base::Owner::SourceTools)] = tools::RunToolsCommand;
    hooks.runners[static_cast<int>(base::Owner::Project)] = project::RunProjectCommand;
    hooks.runners[static_cast<int>(base::Owner::Build)] = [](int id, CommandParam param, CommandResult& result) {
        // While a program is being debugged no build may replace it (or delete its objects).
        if (debugger::DebuggingActive() && (id == CMD_MAKE || id == CMD_REBUILD_ALL || id == CMD_LINK)) {
            result = 0;
            return true;
        }
        return project::RunBuildCommand(id, param, result);
    };
    hooks.runners[static_cast<int>(base::Owner::Version)] = cms::RunVersionCommand;
    hooks.runners[static_cast<int>(base::Owner::Debugger)] = debugger::RunDebuggerCommand;
    tools::grepSession().showList = ShowTargetedRows;
    hooks.debuggingActive = debugger::DebuggingActive;
    debugger::debuggerSeam().mayStart = project::MayStartDebugging;
    editor::Listen(debugger::kBreakpointListener);
    cms::cmsSeam().showOutput = ShowMessages;
    hooks.sharedArea = SharedAreaCommand;
    hooks.defaultProcessing = DefaultProcessing;
}

HWND OpenAndRemember(const std::string& path) {
    HWND window = editor::OpenFileWindow(path);
    if (window) {
        if (editor::Document* doc = editor::DocumentOf(window)) {
            if (!(doc->flags & editor::kInternalBuffer)) AddRecentFile(shell().recentFiles, doc->name);
            MarkListedMessagesIn(doc->name);
            if (debugger::MarkSavedBreakpoints(*doc, base::settings().project.breakpoints)) editor::RefreshEditorWindows();
        }
        UpdateRecentFilesMenu();
    }
    return window;
}

void UpdateRecentFilesMenu() {
    HMENU file = base::app().fileMenu;
    if (!file) return;
    for (int i = 0; i < kRecentOnMenu; ++i) DeleteMenu(file, static_cast<UINT>(CMD_RECENT_FILE_1 + i), MF_BYCOMMAND);
    // The recent files stand above the last separator and Quit.
    int position = GetMenuItemCount(file) - 2;
    const std::vector<std::string>& recent = shell().recentFiles;
    for (int i = 0; i < kRecentOnMenu && i < static_cast<int>(recent.size()); ++i) {
        std::string text = Printf("&%d %s", i + 1, recent[static_cast<size_t>(i)].c_str());
        InsertMenuA(file, static_cast<UINT>(position + i), MF_BYPOSITION | MF_STRING,
                    static_cast<UINT_PTR>(CMD_RECENT_FILE_1 + i), text.c_str());
    }
}

void ShowContextHelp(const std::string& word) {
    const std::string& root = base::settings().compilerRoot;
    std::optional<std::string>& index = shell().helpIndex;
    if (!index) {  // read whole, once: a missing index is an empty one
        platform::FileContent content;
        bool read = platform::ReadWholeFile(HelpIndexPath(root), content) == platform::ReadStatus::Ok;
        index = read ? std::string(content.data.get(), content.size) : std::string();
    }
    ContextHelp choice = ChooseContextHelp(word, *index, root, base::settings().winHelpDataBase);
    if (choice.kind == ContextHelp::None) return;
    std::string file = choice.file;
    if (choice.askForFile) {
        if (!base::PromptDialog(base::GetString(kMsgHelpFileTitle), base::GetString(kMsgHelpFileLabel), file) ||
            file.empty())
            return;
        base::settings().winHelpDataBase = file;
    }
    WinHelpA(base::app().frame, file.c_str(), HELP_KEY, reinterpret_cast<ULONG_PTR>(word.c_str()));
    shell().helpUsed = true;
}

}  // namespace tarvo::shell
