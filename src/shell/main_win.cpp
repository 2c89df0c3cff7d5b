// Entry point: start-up in its fixed order, the message loop, and the clean-up after it.
#include <windows.h>

#include <exception>

#include "cms/cms_state.h"
#include "editor/autosave.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/editor_window_win.h"
#include "platform/files.h"
#include "platform/registry_win.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "platform/ui_win.h"
#include "base/app_win.h"
#include "shell/banner_win.h"
#include "shell/command_line.h"
#include "shell/commands_win.h"
#include "base/dialogs_win.h"
#include "shell/editor_seam_win.h"
#include "editor/document_windows_win.h"
#include "shell/first_run_win.h"
#include "shell/frame_win.h"
#include "base/messages.h"
#include "shell/output_bar_win.h"
#include "shell/session_settings.h"
#include "base/settings.h"
#include "shell/shared_area_win.h"
#include "shell/shell_messages.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"
#include "shell/window_classes_win.h"

namespace tarvo::shell {

namespace {

constexpr unsigned kFrameClass = 3969;
constexpr unsigned kMenuName = 3978;
constexpr unsigned kAcceleratorsName = 3979;
constexpr unsigned kFrameKeysName = 3980;
constexpr int kToolsMenu = 6;

HFONT MakeFont(int height, int pitchAndFamily, const char* face, int weight = FW_NORMAL) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       static_cast<BYTE>(pitchAndFamily), face);
}

void LoadMenusFontsAndPictures() {
    base::App& a = base::app();
    a.mainMenu = LoadMenuA(a.instance, base::GetString(kMenuName));
    a.accelerators = LoadAcceleratorsA(a.instance, base::GetString(kAcceleratorsName));
    a.frameKeys = LoadAcceleratorsA(a.instance, base::GetString(kFrameKeysName));
    if (a.mainMenu) {
        a.fileMenu = GetSubMenu(a.mainMenu, 0);
        a.menu3 = GetSubMenu(a.mainMenu, 3);
        a.menu5 = GetSubMenu(a.mainMenu, 5);
        a.windowMenu = GetSubMenu(a.mainMenu, 8);
    }
    a.fixedFont = MakeFont(-13, FIXED_PITCH | FF_MODERN, "Courier New");
    a.fixedFontSmall = MakeFont(-11, FIXED_PITCH | FF_MODERN, "Courier New");
    a.proportionalFont = MakeFont(-13, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    a.proportionalFontSmall = MakeFont(-11, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    a.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    a.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    a.handCursor = LoadCursorA(a.instance, "HandCursor");
    a.debuggerLine = LoadBitmapA(a.instance, "DbgCur");
    a.breakpoint = LoadBitmapA(a.instance, "bkpt");
}

HWND CreateFrame() {
    base::App& a = base::app();
    base::Settings& s = base::settings();
    FramePlacement place =
        ChooseFramePlacement(s.frameX, s.frameY, s.frameCX, s.frameCY, shell().options.anotherInstance);
    int x = place.systemDefault ? CW_USEDEFAULT : static_cast<int>(place.x);
    int y = place.systemDefault ? CW_USEDEFAULT : static_cast<int>(place.y);
    int width = place.systemDefault ? CW_USEDEFAULT : static_cast<int>(place.width);
    int height = place.systemDefault ? CW_USEDEFAULT : static_cast<int>(place.height);
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (s.frameZoomed ? WS_MAXIMIZE : 0);
    return CreateWindowExA(0, base::GetString(kFrameClass), nullptr, style, x, y, width, height, nullptr,
                           a.mainMenu, a.instance, nullptr);
}

// The saved current directory, or the start directory when it is gone.
void EnterSavedDirectory() {
    const std::string& saved = base::settings().currentDir;
    if (saved.empty() || SetCurrentDirectoryA(saved.c_str())) return;
    shell().requiredDirectory = saved;
    base::ErrorBox(Printf(base::GetString(kMsgDirectoryMissing), saved.c_str()));
    SetCurrentDirectoryA(shell().startDirectory.c_str());
}

void CreateEditorFont() {
    base::Settings& s = base::settings();
    HFONT font = MakeFont(static_cast<int>(s.fontHeight), static_cast<int>(s.fontFamily),
                          s.fontName.c_str(), static_cast<int>(s.fontStyle));
    base::app().editorFont = font ? font : base::app().fixedFont;
}

void BuildUtilitiesMenu() {
    HMENU tools = GetSubMenu(base::app().mainMenu, kToolsMenu);
    if (!tools || base::settings().utilities.empty()) return;
    AppendMenuA(tools, MF_SEPARATOR, 0, nullptr);
    for (const base::Utility& u : base::settings().utilities)
        AppendMenuA(tools, MF_STRING, static_cast<UINT_PTR>(u.id), u.nickname.c_str());
}

void BuildHelpMenu() {
    HMENU menu = base::app().mainMenu;
    HMENU help = menu ? GetSubMenu(menu, GetMenuItemCount(menu) - 1) : nullptr;
    if (!help) return;
    std::vector<HelpMenuItem> items =
        HelpMenuItems(base::settings().compilerRoot, base::settings().winHelpDataBase,
                      [](const std::string& path) { return platform::FileExists(path); });
    if (!items.empty()) AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
    for (const HelpMenuItem& item : items)
        AppendMenuA(help, MF_STRING, static_cast<UINT_PTR>(item.command), item.label.c_str());
}

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
        std::string directory = DirectoryOf(exe);
        if (!directory.empty()) SetCurrentDirectoryA(directory.c_str());
        base::app().debuggeeExecutable = exe;
        base::app().debuggeeArguments = plan.arguments;
    }
    if (opened > 0) {
        std::string directory = DirectoryOf(lastOpened);
        base::settings().currentDir = directory;
        shell().startDirectory = directory;
        SetCurrentDirectoryA(directory.c_str());
    }
    return opened;
}

// The documents of the last exit, with their windows.
void ReopenLastFiles() {
    base::App& a = base::app();
    base::Settings& s = base::settings();
    if (s.projectActive() && s.project.frame.right > 0 && s.project.frame.bottom > 0 && !IsZoomed(a.frame))
        MoveWindow(a.frame, s.project.frame.left, s.project.frame.top, s.project.frame.right,
                   s.project.frame.bottom, TRUE);
    const std::vector<base::OpenFile>& saved = s.projectActive() ? s.project.openFiles : s.openFiles;
    std::vector<std::string> failed;
    HWND maximise = nullptr;
    bool iconic = false;
    for (const ReopenWindow& file : FilesToReopen(saved, shell().requiredDirectory)) {
        HWND window = OpenAndRemember(file.name);
        if (!window) {
            failed.push_back(file.name);
            continue;
        }
        editor::GoToLine(file.line > 0 ? file.line : 1);
        if (file.rect.right > file.rect.left && file.rect.bottom > file.rect.top)
            MoveWindow(window, file.rect.left, file.rect.top, file.rect.right - file.rect.left,
                       file.rect.bottom - file.rect.top, TRUE);
        if (file.iconic) {
            ShowWindow(window, SW_MINIMIZE);
            iconic = true;
        }
        if (file.maximised) maximise = window;
    }
    if (maximise) SendMessageA(a.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(maximise), 0);
    if (iconic) SendMessageA(a.client, WM_MDIICONARRANGE, 0, 0);
    if (failed.empty()) return;
    for (const std::string& name : failed)
        if (editor::CompareNames(name, s.currentFile) == 0) s.currentFile.clear();
    base::ListDialog(base::GetString(kMsgNotReopenedTitle), base::GetString(kMsgNotReopenedLabel), failed,
                     base::ListMode::Show);
}

void PrepareEnvironment() {
    char buffer[32768] = "";
    DWORD length = GetEnvironmentVariableA("PATH", buffer, sizeof buffer);
    std::string path = length < sizeof buffer ? std::string(buffer, length) : std::string();
    if (std::optional<std::string> prepared = PreparedPath(path, base::settings().compilerRoot))
        SetEnvironmentVariableA("PATH", prepared->c_str());
}

void ReleaseResources() {
    base::App& a = base::app();
    for (HFONT font : {a.fixedFont, a.fixedFontSmall, a.proportionalFont, a.proportionalFontSmall})
        if (font) DeleteObject(font);
    if (a.editorFont && a.editorFont != a.fixedFont) DeleteObject(a.editorFont);
    if (a.frameBrush) DeleteObject(a.frameBrush);
    if (a.debuggerLine) DeleteObject(a.debuggerLine);
    if (a.breakpoint) DeleteObject(a.breakpoint);
    CloseSharedArea();
}

}  // namespace

int Run(HINSTANCE instance, int show) {
    base::App& a = base::app();
    ShellState& sh = shell();
    // The command line and the start directory first: options decide what the rest does.
    std::string tail = CommandTail(GetCommandLineA());
    a.instance = instance;
    bool another = FindWindowA(base::GetString(kFrameClass), nullptr) != nullptr;
    a.outputBarHeight = 7 * GetSystemMetrics(SM_CYDLGFRAME);
    sh.options = InitialOptions(tail, another);
    char start[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof start, start);
    sh.startDirectory = start;
    CreateSharedArea();
    if (!sh.options.tail.empty()) FirstPass(sh.options);

    platform::InstallWin32Ui();
    platform::setSettingsBackend(platform::RegistryBackend());
    InstallWin32FirstRunHooks();
    InstallDispatchHooks();
    InstallEditorSeam();

    // Classes, menus and fonts, then the settings, which the windows are made from.
    a.frameBrush = CreateFrameBrush();
    ClassProcedures procedures{FrameProc, editor::DocumentWindowProc, OutputBarProc, SmallPopupProc};
    if (!RegisterWindowClasses(instance, procedures, a.frameBrush)) return 0;
    LoadMenusFontsAndPictures();
    ReadStartupSettings();
    cms::InitCmsState(base::settings().currentDir.empty() ? sh.startDirectory : base::settings().currentDir,
                      sh.options.saveAtExit, base::settings().project.userName);

    // The frame and its parts. The saved directory becomes current before the editor font and
    // the menus, which may name files relative to it.
    if (!CreateFrame()) return 0;
    platform::SetUiFrame(a.frame);
    a.popup = CreateWindowExA(0, "smallTextPopup", "", WS_POPUP | WS_BORDER, 0, 0, 200, 40,
                              a.frame, nullptr, instance, nullptr);
    if (a.popup) SendMessageA(a.popup, WM_SETFONT, reinterpret_cast<WPARAM>(a.proportionalFont), FALSE);
    if (sh.options.banner) a.banner = ShowBanner();
    if (base::settings().frameZoomed && !sh.options.anotherInstance) ShowWindow(a.frame, SW_SHOWMAXIMIZED);
    EnterSavedDirectory();
    CreateEditorFont();
    if (base::settings().outputWndHeight > 0) a.outputBarHeight = static_cast<int>(base::settings().outputWndHeight);
    a.outputBar = CreateWindowExA(WS_EX_STATICEDGE, "TarvoOutput", "",
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, a.frame,
                                  nullptr, instance, nullptr);
    if (a.outputBar) SendMessageA(a.outputBar, WM_SETFONT, reinterpret_cast<WPARAM>(a.proportionalFont), FALSE);
    platform::SetUiOutputBar(a.outputBar);
    SetWindowTextA(a.frame, FrameTitle(base::settings().currentProject).c_str());
    LayoutFrame();
    BuildUtilitiesMenu();
    BuildHelpMenu();
    UpdateRecentFilesMenu();
    DrawMenuBar(a.frame);

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
    }
    UpdateWindow(a.frame);
    SetForegroundWindow(a.frame);
    StartEditor((base::settings().editorFlags & 0x40) && !sh.options.attach && !sh.options.anotherInstance);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (a.client && TranslateMDISysAccel(a.client, &msg)) continue;
        if (a.accelerators && a.frame && TranslateAcceleratorA(a.frame, a.accelerators, &msg)) continue;
        // In an editor window the key table has these keys, and a user's macro may take them.
        if (a.frameKeys && a.frame && !editor::DocumentOf(GetFocus()) &&
            TranslateAcceleratorA(a.frame, a.frameKeys, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (base::settings().editorFlags & 0x40) editor::StopAutosave();
    ReleaseResources();
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
