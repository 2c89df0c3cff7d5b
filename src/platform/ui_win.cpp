#include "platform/ui_win.h"

#include "platform/ui.h"

namespace tarvo::platform {
namespace {

constexpr UINT kSetStatusText = 8037;

struct Win32UiState {
    HWND frame = nullptr;
    HWND outputBar = nullptr;
};

Win32UiState& state() {
    static Win32UiState s;
    return s;
}

int win32Box(BoxOwner owner, const char* text, const char* title, unsigned style) {
    HWND ownerWindow = owner == BoxOwner::Frame ? state().frame : GetActiveWindow();
    // An error shown over a minimised frame would be invisible.
    if (owner == BoxOwner::Frame && ownerWindow && (style & MB_ICONHAND) && IsIconic(ownerWindow))
        ShowWindow(ownerWindow, SW_RESTORE);
    return MessageBoxA(ownerWindow, text, title, style);
}

void win32Status(const char* text) {
    if (state().outputBar)
        SendMessageA(state().outputBar, kSetStatusText, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

void InstallWin32Ui() { setUi({win32Box, win32Status}); }
void SetUiFrame(HWND frame) { state().frame = frame; }
void SetUiOutputBar(HWND outputBar) { state().outputBar = outputBar; }

}  // namespace tarvo::platform
