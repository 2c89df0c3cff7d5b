// Entry point: brings up the settings and the frame, runs the message loop, and writes the
// settings back at exit.
#include <windows.h>

#include "platform/registry_win.h"
#include "platform/settings_backend.h"
#include "platform/ui_win.h"
#include "resource_ids.h"
#include "shell/messages.h"

namespace {

using tarvo::shell::GetString;

constexpr UINT kSetStatusText = 8037;
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
    int outputBarHeight = 0;
};

Shell& shell() {
    static Shell s;
    return s;
}

LRESULT CALLBACK OutputBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSetStatusText) {
        SetWindowTextA(window, reinterpret_cast<const char*>(lParam));
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        char text[512];
        GetWindowTextA(window, text, sizeof text);
        RECT area;
        GetClientRect(window, &area);
        area.left += 4;
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(dc, text, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
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

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Shell& s = shell();
    switch (message) {
    case WM_CREATE: {
        CLIENTCREATESTRUCT create{};
        HMENU menu = GetMenu(window);
        create.hWindowMenu = menu ? GetSubMenu(menu, 2) : nullptr;
        create.idFirstChild = kFirstChildId;
        s.client = CreateWindowExA(WS_EX_CLIENTEDGE, "mdiclient", nullptr,
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
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        s.client = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefFrameProcA(window, s.client, message, wParam, lParam);
}

bool RegisterClasses() {
    Shell& s = shell();
    WNDCLASSA frame{};
    frame.style = CS_DBLCLKS | CS_OWNDC;
    frame.lpfnWndProc = FrameProc;
    frame.cbWndExtra = 40;
    frame.hInstance = s.instance;
    frame.hIcon = LoadIconA(s.instance, "DOCICON");
    frame.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame.hbrBackground = CreateSolidBrush(RGB(224, 224, 224));
    frame.lpszMenuName = GetString(kMenuName);
    frame.lpszClassName = GetString(kFrameClass);
    WNDCLASSA output{};
    output.style = CS_DBLCLKS | CS_OWNDC;
    output.lpfnWndProc = OutputBarProc;
    output.cbWndExtra = 40;
    output.hInstance = s.instance;
    output.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    output.lpszClassName = "TarvoOutput";
    return RegisterClassA(&frame) && RegisterClassA(&output);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    Shell& s = shell();
    s.instance = instance;
    tarvo::platform::InstallWin32Ui();
    tarvo::platform::setSettingsBackend(tarvo::platform::RegistryBackend());
    s.outputBarHeight = 7 * GetSystemMetrics(SM_CYDLGFRAME);

    if (!RegisterClasses()) return 0;
    HMENU menu = LoadMenuA(instance, GetString(kMenuName));
    HACCEL accelerators = LoadAcceleratorsA(instance, GetString(kAcceleratorsName));
    s.frame = CreateWindowExA(0, GetString(kFrameClass), "tarvo",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, nullptr);
    if (!s.frame) return 0;
    tarvo::platform::SetUiFrame(s.frame);
    s.outputBar = CreateWindowExA(WS_EX_STATICEDGE, "TarvoOutput", "",
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, s.frame,
                                  nullptr, instance, nullptr);
    tarvo::platform::SetUiOutputBar(s.outputBar);
    ShowWindow(s.frame, show);
    UpdateWindow(s.frame);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (s.client && TranslateMDISysAccel(s.client, &msg)) continue;
        if (accelerators && TranslateAcceleratorA(s.frame, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
