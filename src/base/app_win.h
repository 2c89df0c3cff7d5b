// The program's Win32 state: module, windows, menus, fonts and the start-up flags that later
// operations read. One record, reachable through app().
#pragma once
#include <windows.h>

#include <string>

namespace tarvo::base {

// Private window messages of the frame.
inline constexpr UINT kMsgLayout = 8029;
inline constexpr UINT kMsgOfferReload = 10024;
inline constexpr UINT kMsgAttachDebugger = 10524;
inline constexpr UINT kMsgToEditor = 4194;
inline constexpr UINT kMsgModuleMenuFirst = 4024;
inline constexpr UINT kMsgModuleMenuLast = 5024;
inline constexpr int kFirstMdiChildId = 1350;
// Posted by the GUI tests and the benchmarks: when the frame gets it, everything posted before
// has been handled; the frame paints what is pending and sets its property kSyncProperty to
// wParam.
inline constexpr UINT kMsgSync = WM_APP + 0x150;
inline constexpr const char* kSyncProperty = "TarvoSync";

struct App {
    HINSTANCE instance = nullptr;
    HWND frame = nullptr;
    HWND client = nullptr;
    HWND outputBar = nullptr;
    HWND messageList = nullptr;  // the build's messages, under the output bar's line while shown
    HWND popup = nullptr;
    HWND banner = nullptr;
    HMENU mainMenu = nullptr;
    HMENU fileMenu = nullptr, menu3 = nullptr, menu5 = nullptr, windowMenu = nullptr;
    HACCEL accelerators = nullptr;
    HACCEL frameKeys = nullptr;  // only while no editor window has the focus
    // The two tables as the key table binds them (FollowKeyTable made them; destroyed when it
    // makes new ones). The resource tables are the built-in bindings.
    HACCEL madeAccelerators = nullptr, madeFrameKeys = nullptr;
    HBRUSH frameBrush = nullptr;
    HFONT fixedFont = nullptr, fixedFontSmall = nullptr;
    HFONT proportionalFont = nullptr, proportionalFontSmall = nullptr;
    HFONT editorFont = nullptr;
    HCURSOR handCursor = nullptr;
    HBITMAP debuggerLine = nullptr, breakpoint = nullptr;
    int screenWidth = 0, screenHeight = 0;
    int outputBarHeight = 0;
    int messageListHeight = 0;
    bool loadingDocuments = false;  // no reload offers while the start-up opens documents
    unsigned long attachedPid = 0;  // recorded by message 10524 for the debugger
    std::string debuggeeArguments;  // arguments after an executable on the command line
    std::string debuggeeExecutable;
};

App& app();

// A window class of the program's own windows. The defaults suit a plain view window: the
// arrow cursor and the window colour.
struct WindowClass {
    const char* name = nullptr;
    WNDPROC procedure = nullptr;
    UINT style = 0;
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    LPCSTR cursor = IDC_ARROW;  // a system cursor
    HICON icon = nullptr;
};

// Registers the class in the program's module unless it is there already; false when it could
// not be registered.
bool RegisterWindowClass(const WindowClass& wanted);

}  // namespace tarvo::base
