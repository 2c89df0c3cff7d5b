#include "shell/startup_win.h"

#include "base/app_win.h"
#include "base/key_accelerators_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "cms/cms_state.h"
#include "editor/document_windows_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/files_win.h"
#include "platform/process_win.h"
#include "platform/ui_win.h"
#include "shell/banner_win.h"
#include "shell/commands_win.h"
#include "shell/editor_seam_win.h"
#include "shell/frame_win.h"
#include "shell/message_list_win.h"
#include "shell/output_bar_win.h"
#include "shell/project_seam_win.h"
#include "shell/session_settings.h"
#include "shell/shared_area_win.h"
#include "shell/shell_messages.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"
#include "shell/window_classes_win.h"

namespace tarvo::shell {
namespace {

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

}  // namespace

bool StartWindowLayer(HINSTANCE instance) {
    base::App& a = base::app();
    ShellState& sh = shell();
    a.instance = instance;
    a.outputBarHeight = 7 * GetSystemMetrics(SM_CYDLGFRAME);
    platform::InstallWin32Ui();
    platform::InstallWin32Process();
    platform::InstallWin32Files();
    InstallDispatchHooks();
    InstallEditorSeam();
    InstallProjectSeam();

    // Classes, menus and fonts, then the settings, which the windows are made from.
    a.frameBrush = CreateFrameBrush();
    ClassProcedures procedures{FrameProc, editor::DocumentWindowProc, OutputBarProc, SmallPopupProc};
    if (!RegisterWindowClasses(instance, procedures, a.frameBrush)) return false;
    LoadMenusFontsAndPictures();
    ReadStartupSettings();
    base::FollowKeyTable();  // the stored bindings reach the frame's accelerators too
    cms::InitCmsState(base::settings().currentDir.empty() ? sh.startDirectory : base::settings().currentDir,
                      sh.options.saveAtExit, base::settings().project.userName);

    // The frame and its parts. The saved directory becomes current before the editor font and
    // the menus, which may name files relative to it.
    if (!CreateFrame()) return false;
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
    CreateMessageList();
    SetWindowTextA(a.frame, FrameTitle(base::settings().currentProject).c_str());
    LayoutFrame();
    BuildUtilitiesMenu();
    BuildHelpMenu();
    UpdateRecentFilesMenu();
    DrawMenuBar(a.frame);
    return true;
}

void HandleMessage(MSG& msg) {
    base::App& a = base::app();
    if (a.client && TranslateMDISysAccel(a.client, &msg)) return;
    if (a.accelerators && a.frame && TranslateAcceleratorA(a.frame, a.accelerators, &msg)) return;
    // In an editor window the key table has these keys, and a user's macro may take them.
    if (a.frameKeys && a.frame && !editor::DocumentOf(GetFocus()) &&
        TranslateAcceleratorA(a.frame, a.frameKeys, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void ReleaseWindowLayer() {
    base::App& a = base::app();
    for (HFONT font : {a.fixedFont, a.fixedFontSmall, a.proportionalFont, a.proportionalFontSmall})
        if (font) DeleteObject(font);
    if (a.editorFont && a.editorFont != a.fixedFont) DeleteObject(a.editorFont);
    if (a.frameBrush) DeleteObject(a.frameBrush);
    if (a.debuggerLine) DeleteObject(a.debuggerLine);
    if (a.breakpoint) DeleteObject(a.breakpoint);
    if (a.madeAccelerators) DestroyAcceleratorTable(a.madeAccelerators);
    if (a.madeFrameKeys) DestroyAcceleratorTable(a.madeFrameKeys);
    a.accelerators = a.frameKeys = a.madeAccelerators = a.madeFrameKeys = nullptr;
    CloseSharedArea();
}

}  // namespace tarvo::shell
