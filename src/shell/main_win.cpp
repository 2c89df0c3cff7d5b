// Entry point: brings up the settings and the frame, runs the message loop, and writes the
// settings back at exit.
#include <windows.h>

#include "platform/registry_win.h"
#include "platform/settings_backend.h"
#include "platform/ui_win.h"
#include "resource_ids.h"
#include "shell/first_run_win.h"
#include "shell/messages.h"
#include "shell/output_bar_win.h"
#include "shell/settings.h"
#include "shell/window_classes_win.h"

namespace {

using tarvo::shell::GetString;

constexpr UINT kLayout = 8029;
constexpr unsigned kFrameClass = 3969;
constexpr unsigned kMenuName = 3978;
constexpr unsigned kAcceleratorsName = 3979;
constexpr int kFirstChildId = 1350;

struct Shell {
    HINSTANCE instance = nullptr;
    HWND frame = nullptr;
    HWND client = nullptr;
    HWND outputBar = nullptr;
    HBRUSH frameBrush = nullptr;
    int outputBarHeight = 0;
};

Shell& shell() {
    static Shell s;
    return s;
}

void Layout() {
    Shell& s = shell();
    RECT area;
    GetClientRect(s.frame, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    if (s.outputBar)
        MoveWindow(s.outputBar, 0, height - s.outputBarHeight, width, s.outputBarHeight, TRUE);
    if (s.client) MoveWindow(s.client, 0, 0, width, height - s.outputBarHeight, TRUE);
}

// The frame's normal (not maximised) rectangle and state go into the settings, which are then
// written when saving at exit is on.
void StoreFrameAndWriteSettings(HWND frame) {
    tarvo::shell::Settings& settings = tarvo::shell::settings();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(frame, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        settings.frameX = r.left;
        settings.frameY = r.top;
        settings.frameCX = r.right - r.left;
        settings.frameCY = r.bottom - r.top;
    }
    settings.frameZoomed = IsZoomed(frame) != FALSE;
    tarvo::shell::WriteSettings(settings);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Shell& s = shell();
    switch (message) {
    case WM_CREATE: {
        CLIENTCREATESTRUCT create{};
        HMENU menu = GetMenu(window);
        create.hWindowMenu = menu ? GetSubMenu(menu, 2) : nullptr;
        create.idFirstChild = kFirstChildId;
        s.client = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE, "mdiclient", nullptr,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                   0, 0, window, nullptr, s.instance, &create);
        PostMessageA(window, kLayout, 0, 0);
        return 0;
    }
    case WM_SIZE:
    case WM_MOVE:
    case kLayout:
        Layout();
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_QUIT:
            PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        case IDM_CASCADE:
            SendMessageA(s.client, WM_MDICASCADE, 0, 0);
            return 0;
        case IDM_TILE:
            SendMessageA(s.client, WM_MDITILE, 0, 0);
            return 0;
        case IDM_ARRANGE:
            SendMessageA(s.client, WM_MDIICONARRANGE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
        StoreFrameAndWriteSettings(window);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        s.client = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefFrameProcA(window, s.client, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    Shell& s = shell();
    s.instance = instance;
    tarvo::platform::InstallWin32Ui();
    tarvo::platform::setSettingsBackend(tarvo::platform::RegistryBackend());
    tarvo::shell::InstallWin32FirstRunHooks();
    s.outputBarHeight = 7 * GetSystemMetrics(SM_CYDLGFRAME);

    s.frameBrush = tarvo::shell::CreateFrameBrush();
    tarvo::shell::ClassProcedures procedures{FrameProc, DefMDIChildProcA,
                                             tarvo::shell::OutputBarProc,
                                             tarvo::shell::SmallPopupProc};
    if (!tarvo::shell::RegisterWindowClasses(instance, procedures, s.frameBrush)) return 0;
    HMENU menu = LoadMenuA(instance, GetString(kMenuName));
    HACCEL accelerators = LoadAcceleratorsA(instance, GetString(kAcceleratorsName));

    char startDirectory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof startDirectory, startDirectory);
    tarvo::shell::Settings& settings = tarvo::shell::settings();
    if (!tarvo::shell::ReadSettings(settings, {"", startDirectory})) settings.compilerRoot.clear();

    bool defaultPlace = settings.frameCX <= 0 || settings.frameCY <= 0;
    s.frame = CreateWindowExA(
        0, GetString(kFrameClass), nullptr, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
        defaultPlace ? CW_USEDEFAULT : static_cast<int>(settings.frameX),
        defaultPlace ? CW_USEDEFAULT : static_cast<int>(settings.frameY),
        defaultPlace ? CW_USEDEFAULT : static_cast<int>(settings.frameCX),
        defaultPlace ? CW_USEDEFAULT : static_cast<int>(settings.frameCY), nullptr, menu, instance,
        nullptr);
    if (!s.frame) return 0;
    tarvo::platform::SetUiFrame(s.frame);
    s.outputBar = CreateWindowExA(WS_EX_STATICEDGE, "TarvoOutput", "",
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, s.frame,
                                  nullptr, instance, nullptr);
    tarvo::platform::SetUiOutputBar(s.outputBar);
    SetWindowTextA(s.frame, "tarvo");
    ShowWindow(s.frame, settings.frameZoomed ? SW_SHOWMAXIMIZED : show);
    UpdateWindow(s.frame);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (s.client && TranslateMDISysAccel(s.client, &msg)) continue;
        if (accelerators && TranslateAcceleratorA(s.frame, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(s.frameBrush);
    return static_cast<int>(msg.wParam);
}
