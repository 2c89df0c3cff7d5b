// The MDI child windows that show documents ("clMDIDocument"), as the shell opens, lists and
// closes them. The window procedure is the editor's (editor/editor_window_win.h).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tarvo::editor {
struct Document;
}

namespace tarvo::editor {

LRESULT CALLBACK DocumentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Opens the file in a window, or activates the window that already shows it. Null when the
// file could not be loaded (the loader has said why).
HWND OpenFileWindow(const std::string& path);
// One more window on an open document (each window has a view of its own).
HWND OpenAnotherWindow(Document* doc);
// A window on the internal buffer "untitled".
HWND OpenUntitledWindow();

std::vector<HWND> DocumentWindows();
HWND ActiveDocumentWindow();
Document* DocumentOf(HWND window);
bool AnyDocumentWindow();
// The window showing the document with that name (compared without case), or null.
HWND WindowOfDocument(const std::string& name);

}  // namespace tarvo::editor
