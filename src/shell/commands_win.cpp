#include "shell/commands_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/edit.h"
#include "editor/editor_commands_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "shell/app_win.h"
#include "shell/dialogs_win.h"
#include "shell/dispatch.h"
#include "shell/document_windows_win.h"
#include "shell/exit_win.h"
#include "shell/messages.h"
#include "shell/recent_files.h"
#include "shell/settings.h"
#include "shell/shared_area_win.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"

namespace tarvo::shell {

bool (*goToFunction)(editor::Document& doc, const std::string& name) = nullptr;

namespace {

constexpr unsigned kImpossibleToExecute = 1157;
constexpr unsigned kNoUtilities = 1205;
constexpr int kFirstRecentCommand = 1214;
constexpr int kRecentOnMenu = 4;

CommandResult Post(UINT message, HWND window) {
    if (window) PostMessageA(window, message, 0, 0);
    return 0;
}

CommandResult CmdNew(int, CommandParam) {
    OpenUntitledWindow();
    return 0;
}

// The file-open dialog allows several files; they come as a folder and names.
CommandResult CmdOpen(int, CommandParam) {
    std::string buffer(32768, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = app().frame;
    dialog.lpstrFilter = "C sources (*.c;*.h)\0*.c;*.h\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return 0;
    std::string first = buffer.c_str();
    const char* next = buffer.c_str() + first.size() + 1;
    if (!*next) {
        OpenAndRemember(first);
        return 0;
    }
    for (; *next; next += std::strlen(next) + 1) OpenAndRemember(first + "\\" + next);
    return 0;
}

CommandResult CmdQuit(int, CommandParam) { return Post(WM_CLOSE, app().frame); }

CommandResult CmdAbout(int, CommandParam) {
    AboutDialog();
    return 0;
}

CommandResult CmdClose(int, CommandParam) {
    HWND active = reinterpret_cast<HWND>(SendMessageA(app().client, WM_MDIGETACTIVE, 0, 0));
    return Post(WM_CLOSE, active);
}

CommandResult CmdOpenNamed(int, CommandParam param) {
    const char* name = reinterpret_cast<const char*>(param);
    if (name && *name) OpenAndRemember(name);
    return 0;
}

CommandResult CmdExecute(int, CommandParam) {
    static std::string last;
    std::string command = last;
    if (!PromptDialog("Execute", "Command line:", command) || command.empty()) return 0;
    last = command;
    if (WinExec(command.c_str(), SW_SHOWNORMAL) < 32)
        ErrorBox(Printf(GetString(kImpossibleToExecute), command.c_str()));
    return 0;
}

CommandResult CmdCloseAll(int, CommandParam) {
    if (!MayEndSession()) return 0;
    for (HWND window : DocumentWindows()) SendMessageA(app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    return 0;
}

CommandResult CmdStatistics(int, CommandParam) {
    std::vector<std::string> rows;
    long long totalLines = 0, totalBytes = 0;
    for (const auto& doc : editor::editor().documents) {
        editor::TextCount count = editor::CountLinesAndCharacters(*doc);
        long long bytes = count.characters + 2LL * count.lines;  // as saved, with CR LF
        totalLines += count.lines;
        totalBytes += bytes;
        rows.push_back(Printf("%s\t%ld\t%lld", doc->name.c_str(), count.lines, bytes));
    }
    rows.push_back(Printf("Total\t%lld\t%lld", totalLines, totalBytes));
    ListDialog("Statistics", "File\tLines\tBytes", rows, ListMode::Show);
    return 0;
}

CommandResult CmdMdi(int id, CommandParam) {
    UINT message = id == 1131 ? WM_MDICASCADE : id == 1132 ? WM_MDITILE : WM_MDIICONARRANGE;
    SendMessageA(app().client, message, 0, 0);
    return 0;
}

CommandResult CmdUtilities(int, CommandParam) {
    const std::vector<Utility>& utilities = settings().utilities;
    if (utilities.empty()) {
        InfoBox(GetString(kNoUtilities));
        return 0;
    }
    std::vector<std::string> names;
    for (const Utility& u : utilities) names.push_back(u.nickname);
    int chosen = ListDialog("Utilities", "Run the utility:", names, ListMode::Choose);
    if (chosen >= 0) PostMessageA(app().frame, WM_COMMAND, utilities[static_cast<size_t>(chosen)].id, 0);
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
    std::vector<HWND> windows = DocumentWindows();
    if (windows.size() < 2) return 0;
    std::vector<std::string> names;
    for (HWND window : windows) {
        char title[512] = "";
        GetWindowTextA(window, title, sizeof title);
        names.emplace_back(title);
    }
    int left = 0, right = 1;
    if (!DispositionDialog(names, left, right) || left == right) return 0;
    RECT area;
    GetClientRect(app().client, &area);
    int half = (area.right - area.left) / 2, height = area.bottom - area.top;
    HWND leftWindow = windows[static_cast<size_t>(left)], rightWindow = windows[static_cast<size_t>(right)];
    for (HWND window : {leftWindow, rightWindow})
        if (IsZoomed(window) || IsIconic(window)) ShowWindow(window, SW_RESTORE);
    MoveWindow(leftWindow, 0, 0, half, height, TRUE);
    MoveWindow(rightWindow, half, 0, half, height, TRUE);
    return 0;
}

CommandResult CmdVersion(int, CommandParam) {
    InfoBox("Tarvo\n" + VersionText() + "\nBuilt " __DATE__);
    return 0;
}

CommandResult CmdHelpIndex(int, CommandParam) {
    std::string file = Printf("%s\\bin\\tarvo.hlp", settings().compilerRoot.c_str());
    if (!platform::FileExists(file)) {
        FileNotFoundBox(file);
        return 0;
    }
    WinHelpA(app().frame, file.c_str(), HELP_FINDER, 0);
    shell().helpUsed = true;
    return 0;
}

CommandResult CmdDocumentation(int id, CommandParam) {
    std::string file = DocumentationFileFor(id, settings().compilerRoot, settings().winHelpDataBase);
    if (file.empty()) return 0;
    ShellExecuteA(app().frame, "open", file.c_str(), nullptr, shell().startDirectory.c_str(), SW_SHOWNORMAL);
    return 0;
}

// 3501: open the named file maximised; 3502: a function stub; 3503: the MDI client's size.
CommandResult SharedAreaCommand(int id, CommandParam) {
    std::string text = SharedAreaText();
    if (id == 3501) {
        if (HWND window = OpenAndRemember(text)) SendMessageA(app().client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window), 0);
        return 0;
    }
    if (id == 3502) {
        FunctionStub stub;
        editor::Document* doc = editor::CurrentDocument();
        if (!doc || !ParseFunctionStub(text, stub)) return 0;
        if (goToFunction && goToFunction(*doc, stub.name)) return 0;
        for (const std::string& line : stub.lines) {
            editor::InsertString(line);
            editor::SplitLine();
        }
        doc->flags |= editor::kModified;
        editor::RequestRedraw(*doc, editor::kRedrawAll);
        if (HWND window = ActiveDocumentWindow()) InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    if (id == 3503) {
        RECT area{};
        GetClientRect(app().client, &area);
        return (static_cast<CommandResult>(area.bottom - area.top) << 16) | ((area.right - area.left) & 0xFFFF);
    }
    return 0;
}

// Commands of the shell; the documentation items and utilities are ranges, handled in builtIn.
constexpr CommandHandler kHandlers[] = {
    {1101, CmdNew},        {1102, CmdOpen},       {1106, CmdQuit},       {1107, CmdAbout},
    {1109, CmdClose},      {1117, CmdOpenNamed},  {1124, CmdExecute},    {1128, CmdCloseAll},
    {1130, CmdStatistics}, {1131, CmdMdi},        {1132, CmdMdi},        {1133, CmdMdi},
    {1152, CmdUtilities},  {1214, CmdRecent},     {1215, CmdRecent},     {1216, CmdRecent},
    {1217, CmdRecent},     {1254, CmdDisposition}, {1291, CmdVersion},   {14000, CmdHelpIndex},
    {0, nullptr},
};

bool BuiltIn(int id, CommandParam param, CommandResult& result) {
    if (!DocumentationFileFor(id, settings().compilerRoot, "x").empty()) {
        result = CmdDocumentation(id, param);
        return true;
    }
    // The editor's commands, and the function list it shows for the source tools.
    if (editor::RunEditorCommand(id, param, result)) return true;
    // Commands of the parts that are not in the program yet do nothing rather than reach the
    // MDI child, which does not know them.
    switch (OwnerOf(id)) {
    case CommandOwner::Editor:
    case CommandOwner::SourceTools:
    case CommandOwner::Browse:
    case CommandOwner::Project:
    case CommandOwner::Build:
    case CommandOwner::Debugger:
    case CommandOwner::Version:
        result = 0;
        return true;
    default:
        break;
    }
    if (id >= 1300 && id <= 1312) {  // utilities run with the utilities part
        result = 0;
        return true;
    }
    return false;
}

bool AnyEditorOpen() { return AnyDocumentWindow(); }

CommandResult DefaultProcessing(int id, CommandParam param) {
    return DefFrameProcA(app().frame, app().client, WM_COMMAND, static_cast<WPARAM>(id), param);
}

}  // namespace

void InstallDispatchHooks() {
    DispatchHooks& hooks = shell().dispatch;
    hooks = DispatchHooks{};
    hooks.anyEditorOpen = AnyEditorOpen;
    hooks.handlers = kHandlers;
    hooks.builtIn = BuiltIn;
    hooks.sharedArea = SharedAreaCommand;
    hooks.defaultProcessing = DefaultProcessing;
}

HWND OpenAndRemember(const std::string& path) {
    HWND window = OpenFileWindow(path);
    if (window) {
        if (editor::Document* doc = DocumentOf(window))
            if (!(doc->flags & editor::kInternalBuffer)) AddRecentFile(shell().recentFiles, doc->name);
        UpdateRecentFilesMenu();
    }
    return window;
}

void UpdateRecentFilesMenu() {
    HMENU file = app().fileMenu;
    if (!file) return;
    for (int i = 0; i < kRecentOnMenu; ++i) DeleteMenu(file, static_cast<UINT>(kFirstRecentCommand + i), MF_BYCOMMAND);
    // The recent files stand above the last separator and Quit.
    int position = GetMenuItemCount(file) - 2;
    const std::vector<std::string>& recent = shell().recentFiles;
    for (int i = 0; i < kRecentOnMenu && i < static_cast<int>(recent.size()); ++i) {
        std::string text = Printf("&%d %s", i + 1, recent[static_cast<size_t>(i)].c_str());
        InsertMenuA(file, static_cast<UINT>(position + i), MF_BYPOSITION | MF_STRING,
                    static_cast<UINT_PTR>(kFirstRecentCommand + i), text.c_str());
    }
}

void ShowContextHelp(const std::string& word) {
    static std::string indexText;
    static bool indexRead = false;
    const std::string& root = settings().compilerRoot;
    if (!indexRead) {
        std::ifstream in(platform::HostPath(HelpIndexPath(root)), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        indexText = text.str();
        indexRead = true;
    }
    ContextHelp choice = ChooseContextHelp(word, indexText, root, settings().winHelpDataBase);
    if (choice.kind == ContextHelp::None) return;
    std::string file = choice.file;
    if (choice.askForFile) {
        if (!PromptDialog("Win32 help file", "Name of the Win32 help file:", file) || file.empty()) return;
        settings().winHelpDataBase = file;
    }
    WinHelpA(app().frame, file.c_str(), HELP_KEY, reinterpret_cast<ULONG_PTR>(word.c_str()));
    shell().helpUsed = true;
}

}  // namespace tarvo::shell
