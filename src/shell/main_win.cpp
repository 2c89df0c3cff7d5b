// Entry point: start-up in its fixed order, the message loop, and the clean-up after it.
#include <windows.h>

#include <exception>

#include "editor/autosave.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "platform/files.h"
#include "platform/registry_win.h"
#include "platform/settings_backend.h"
#include "base/app_win.h"
#include "debugger/debugger_win.h"
#include "shell/banner_win.h"
#include "shell/command_line.h"
#include "shell/commands_win.h"
#include "base/dialogs_win.h"
#include "shell/editor_seam_win.h"
#include "editor/document_windows_win.h"
#include "shell/first_run_win.h"
#include "project/build_win.h"
#include "shell/project_seam_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "shell/shared_area_win.h"
#include "shell/shell_messages.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"
#include "shell/startup_win.h"

namespace tarvo::shell {

namespace {

// The files and the executable named on the command line. Their names are relative to the
// directory the program was started in, not to the saved directory that is current by now.
int OpenCommandLineFiles() {
    OpenPlan plan = SecondPass(shell().options);
    const std::string start = shell().startDirectory;
    auto list = [&start](const std::string& directory) {
        return platform::ListDirectory(platform::FullPath(directory.empty() ? "." : directory, start));
    };
    int opened = 0;
    std::string lastOpened;
    for (const std::string& pattern : plan.patterns)
        for (const std::string& file : ExpandPattern(pattern, list)) {
            std::string path = platform::FullPath(file, start);
            if (OpenAndRemember(path)) {
                ++opened;
                lastOpened = path;
            }
        }
    if (plan.debug) {
        std::string exe = platform::FullPath(plan.executable, start);
        std::string directory = platform::DirectoryOf(exe);
        if (!directory.empty()) SetCurrentDirectoryA(directory.c_str());
        base::app().debuggeeExecutable = exe;
        base::app().debuggeeArguments = plan.arguments;
    }
    if (opened > 0) {
        std::string directory = platform::DirectoryOf(lastOpened);
        base::settings().currentDir = directory;
        shell().startDirectory = directory;
        SetCurrentDirectoryA(directory.c_str());
    }
    return opened;
}

void PrepareEnvironment() {
    char buffer[32768] = "";
    DWORD length = GetEnvironmentVariableA("PATH", buffer, sizeof buffer);
    std::string path = length < sizeof buffer ? std::string(buffer, length) : std::string();
    if (std::optional<std::string> prepared = PreparedPath(path, base::settings().compilerRoot))
        SetEnvironmentVariableA("PATH", prepared->c_str());
}

}  // namespace

int Run(HINSTANCE instance, int show) {
    base::App& a = base::app();
    ShellState& sh = shell();
    // The command line and the start directory first: options decide what the rest does.
    std::string tail = CommandTail(GetCommandLineA());
    bool another = FindWindowA(base::GetString(kFrameClass), nullptr) != nullptr;
    sh.options = InitialOptions(tail, another);
    char start[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof start, start);
    sh.startDirectory = start;
    CreateSharedArea();
    if (!sh.options.tail.empty()) FirstPass(sh.options);

    platform::setSettingsBackend(platform::RegistryBackend());
    InstallWin32FirstRunHooks();
    if (!StartWindowLayer(instance)) return 0;

    // The command line's files, or those of the last exit; no reload offers meanwhile.
    a.loadingDocuments = true;
    int opened = sh.options.attach ? 0 : OpenCommandLineFiles();
    if (CommandLineTakesOver(sh.options, opened)) {
        base::settings().statusBar = base::Rect{};
        if (HWND active = editor::ActiveDocumentWindow())
            SendMessageA(a.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
    } else if (!sh.options.anotherInstance) {
        if (sh.options.reopen) ReopenLastFiles();
        if (!base::settings().currentFile.empty()) OpenAndRemember(base::settings().currentFile);
    }
    a.loadingDocuments = false;

    // Show the frame; windows left with no room (a minimised frame) are tiled.
    if (!sh.options.attach) ShowWindow(a.frame, base::settings().frameZoomed ? SW_SHOWMAXIMIZED : show);
    SendMessageA(a.client, WM_MDIICONARRANGE, 0, 0);
    RECT area{};
    if (GetClientRect(a.client, &area) && IsRectEmpty(&area)) SendMessageA(a.client, WM_MDITILE, 0, 0);
    base::settings().saveAtExit = sh.options.saveAtExit;
    PrepareEnvironment();
    CloseBanner(a.banner);
    a.banner = nullptr;
    if (sh.options.attach) {
        sh.options.reopen = false;
        base::settings().saveAtExit = false;
        debugger::Attach(sh.options.attachPid, sh.options.hasAttachEvent ? sh.options.attachEvent : 0);
    }
    UpdateWindow(a.frame);
    SetForegroundWindow(a.frame);
    StartEditor((base::settings().editorFlags & base::kEditorAutoSave) && !sh.options.attach && !sh.options.anotherInstance);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) HandleMessage(msg);
    project::EndBuild();
    if (base::settings().editorFlags & base::kEditorAutoSave) editor::StopAutosave();
    ReleaseWindowLayer();
    return 0;
}

}  // namespace tarvo::shell

// The program reads its command line itself; the C runtime must not expand wild cards in it
// (under Wine that expansion corrupts the heap when a pattern matches nothing).
extern "C" int _dowildcard;
int _dowildcard = 0;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    try {
        return tarvo::shell::Run(instance, show);
    } catch (const std::exception& failure) {
        // A fault of ours: say what it was instead of vanishing.
        MessageBoxA(nullptr, failure.what(), "tarvo", MB_ICONHAND | MB_SETFOREGROUND);
        return 1;
    }
}
