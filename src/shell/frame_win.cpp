#include "shell/frame_win.h"

#include "base/system_win.h"

#include <string>

#include "editor/autosave.h"
#include "editor/document_io.h"
#include "base/app_win.h"
#include "shell/commands_win.h"
#include "shell/dispatch.h"
#include "editor/document_windows_win.h"
#include "shell/exit_win.h"
#include "shell/message_list_win.h"
#include "base/key_table.h"
#include "shell/output_bar_win.h"
#include "base/settings.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"

namespace tarvo::shell {
namespace {

void ShowStatus(const std::string& text) {
    if (base::app().outputBar)
        SendMessageA(base::app().outputBar, kSetStatusText, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void MenuSelect(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam), flags = HIWORD(wParam);
    if (flags == 0xFFFF && lParam == 0) {  // the menu closed
        ShowStatus("");
        return;
    }
    bool selectable = !(flags & (MF_POPUP | MF_GRAYED | MF_DISABLED | MF_SEPARATOR));
    ShowStatus(MenuItemStatus(static_cast<int>(id), selectable, editor::AnyDocumentWindow(), base::settings().utilities));
}

LRESULT MenuChar(WPARAM wParam) {
    int command = base::MenuCharCommand(base::commandKeys(), LOWORD(wParam));
    if (command == 0) return MAKELRESULT(0, MNC_IGNORE);
    PostMessageA(base::app().frame, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return MAKELRESULT(0, MNC_CLOSE);
}

// Dropped files open last one first.
void DropFiles(HDROP drop) {
    UINT count = base::DroppedFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = count; i-- > 0;) {
        char name[MAX_PATH + 1] = "";
        if (base::DroppedFile(drop, i, name, sizeof name)) OpenAndRemember(name);
    }
    base::DropFinished(drop);
}

void MinMaxInfo(MINMAXINFO* info) {
    int width = 8;
    if (HDC dc = GetDC(base::app().frame)) {
        HGDIOBJ old = SelectObject(dc, base::app().editorFont ? base::app().editorFont : base::app().fixedFont);
        TEXTMETRICA metrics;
        if (GetTextMetricsA(dc, &metrics)) width = metrics.tmAveCharWidth;
        SelectObject(dc, old);
        ReleaseDC(base::app().frame, dc);
    }
    info->ptMinTrackSize.x = info->ptMinTrackSize.y = 30 * width;
}

}  // namespace

void LayoutFrame() {
    base::App& a = base::app();
    if (!a.frame) return;
    RECT area;
    GetClientRect(a.frame, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    int bar = a.outputBar ? a.outputBarHeight : 0;
    int list = a.messageList && IsWindowVisible(a.messageList) ? a.messageListHeight : 0;
    if (a.outputBar) MoveWindow(a.outputBar, 0, height - bar - list, width, bar, TRUE);
    if (list) MoveWindow(a.messageList, 0, height - list, width, list, TRUE);
    if (a.client) MoveWindow(a.client, 0, 0, width, height - bar - list, TRUE);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    base::App& a = base::app();
    switch (message) {
    case WM_CREATE: {
        a.frame = window;
        CLIENTCREATESTRUCT create{};
        create.hWindowMenu = a.windowMenu;
        create.idFirstChild = base::kFirstMdiChildId;
        a.client = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE, "mdiclient", nullptr,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                   0, 0, 0, 0, window, nullptr, a.instance, &create);
        PostMessageA(window, base::kMsgLayout, 0, 0);
        // What DragAcceptFiles does, without loading the shell library at start-up.
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
        return 0;
    }
    case WM_SIZE:
    case WM_MOVE:
        LayoutFrame();
        break;  // DefFrameProc keeps the MDI client's maximised child in step
    case base::kMsgLayout:
        LayoutFrame();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !a.loadingDocuments)
            PostMessageA(window, base::kMsgOfferReload, 0, 0);
        break;
    case base::kMsgOfferReload:
        editor::CheckFilesOnDisk();
        return 0;
    case WM_GETMINMAXINFO:
        MinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_MENUSELECT:
        MenuSelect(wParam, lParam);
        return 0;
    case WM_MENUCHAR:
        return MenuChar(wParam);
    case WM_COMMAND:
        if (a.messageList && reinterpret_cast<HWND>(lParam) == a.messageList) {
            if (HIWORD(wParam) == LBN_DBLCLK) ChooseListedMessage();
            return 0;
        }
        return Dispatch(LOWORD(wParam), lParam);
    case WM_VKEYTOITEM:
        if (reinterpret_cast<HWND>(lParam) == a.messageList && LOWORD(wParam) == VK_RETURN) {
            ChooseListedMessage();
            return -2;
        }
        return -1;
    case WM_TIMER:
        if (wParam == editor::kAutosaveTimerId) {
            editor::AutosaveTick();
            return 0;
        }
        break;
    case WM_DROPFILES:
        DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CLOSE:
        RunExitSequence(window);
        return 0;
    case WM_QUERYENDSESSION:
        return RunExitSequence(window) ? TRUE : FALSE;
    case WM_DESTROY:
        a.client = nullptr;
        a.frame = nullptr;
        PostQuitMessage(0);
        return 0;
    case base::kMsgSync:
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SetPropA(window, base::kSyncProperty, reinterpret_cast<HANDLE>(wParam));
        return 0;
    case base::kMsgAttachDebugger:
        a.attachedPid = static_cast<unsigned long>(wParam);  // the debugger attaches to it
        return 0;
    case base::kMsgToEditor:
        if (HWND editorWindow = editor::ActiveDocumentWindow())
            return SendMessageA(editorWindow, message, wParam, lParam);
        return 0;
    default:
        if (message >= base::kMsgModuleMenuFirst && message <= base::kMsgModuleMenuLast) return 0;
        break;
    }
    return DefFrameProcA(window, a.client, message, wParam, lParam);
}

}  // namespace tarvo::shell
