// Inside the editor window: the windows' state, the font metrics and colours, and bringing a
// window's picture up to date from its screen (editor/screen.h).
#pragma once
#include <windows.h>

#include <string>
#include <unordered_map>

#include "editor/document.h"
#include "editor/screen.h"

namespace tarvo::editor {

struct EditorWindow {
    HWND window = nullptr;
    bool caret = false;          // created (the window has the focus)
    bool caretOvertype = false;  // the shape it was created with
    bool dragging = false;       // the left button is down
    int dragDirection = 0;       // the auto-scroll timer runs: -1 up, 1 down
    POINT mouse{};               // the last mouse position while dragging
    std::string title;           // as last set
    ScrollBar bar{-1, -1, -1, 1};  // as last set (none yet)
    long horizontalMax = -1;
    long horizontalPos = -1;
};

struct Metrics {
    HFONT font = nullptr;
    int charWidth = 8;
    int rowHeight = 16;
};

struct EditorWindowsState {
    std::unordered_map<HWND, EditorWindow> windows;
    Metrics metrics;
    HFONT metricsFont = nullptr;  // the font the metrics were taken from
    // One row is drawn off screen and then copied, so a row never flickers.
    HDC rowDC = nullptr;
    HBITMAP rowBitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    int rowWidth = 0, rowHeight = 0;
    HWND positionPane = nullptr;  // the cursor position at the right of the output bar
    std::string position;
};

EditorWindowsState& editorWindows();
EditorWindow* WindowState(HWND window);
View* ViewOf(HWND window);

// The editor font (the settings' font when it is fixed-pitch) and its cell size.
const Metrics& EditorMetrics();
int MarginWidth();

// Brings the screen of a window's view up to date and marks what must be drawn again; outside
// WM_PAINT a picture that only moved is scrolled. Also the caret, scroll bars, title and, for
// the current view, the status line.
void SyncWindow(HWND window, bool inPaint);
void PaintWindow(HWND window);
// The caret, as the focus and overtype mode want it.
void CreateEditorCaret(HWND window);
void DestroyEditorCaret(HWND window);
// The window's screen geometry from its client size.
ScreenGeometry GeometryOf(HWND window);
// A client point as a row and display column.
void RowAndColumnAt(HWND window, int x, int y, int& row, long& column);

void ReleaseEditorPaint();

}  // namespace tarvo::editor
