// The editor window ("clMDIDocument"): one view of a document, drawn with syntax colours,
// driven by the keyboard and the mouse.
#pragma once
#include <windows.h>

namespace tarvo::editor {

struct Document;

// The window procedure; the shell's document windows hand every message to it.
// lParam of WM_CREATE: the MDI creation record whose lParam is the Document to show.
LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Brings every editor window's picture, caret, scroll bars, title and the status line up to
// date after a command, and paints at once.
void RefreshEditorWindows();

// Queries for tests and benchmarks (another process sends them): wParam picks the value,
// lParam is a line number where one is needed. The numbers are those of the window's view.
inline constexpr UINT kMsgEditorQuery = WM_APP + 0x140;
enum EditorQuery : WPARAM {
    kQueryCursorLine = 0,
    kQueryCursorColumn = 1,  // character index
    kQueryTopLine = 2,
    kQueryLineCount = 3,
    kQueryAnchorLine = 4,    // 0: no selection
    kQueryAnchorColumn = 5,
    kQueryFlags = 6,         // the document's flags
    kQueryLeftColumn = 7,
    kQueryLineMarks = 8,     // marks of line lParam
    kQueryRows = 9,
    kQueryOvertype = 10,
    kQueryLineLength = 11,   // length of line lParam, -1 past the end
    kQueryLineChar = 12,     // character LOWORD(lParam) of line HIWORD(lParam), -1 past its end
    kQueryScreenRowLength = 13,  // length of the text shown on screen row lParam, -1 below
    kQueryScreenRowChar = 14,    // character LOWORD(lParam) of screen row HIWORD(lParam)
};

}  // namespace tarvo::editor
