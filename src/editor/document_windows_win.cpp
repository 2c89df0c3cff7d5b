#include "editor/document_windows_win.h"

#include <algorithm>

#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/editor_window_win.h"
#include "base/app_win.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

constexpr unsigned kDocumentClass = 3970;  // "clMDIDocument"

// A new window on the document; the editor window takes the document from lParam.
HWND CreateWindowFor(Document* doc) {
    MDICREATESTRUCTA create{};
    create.szClass = base::GetString(kDocumentClass);
    create.szTitle = doc->name.c_str();
    create.hOwner = base::app().instance;
    // Cascaded places of our own: Wine's default placement of MDI children (CW_USEDEFAULT)
    // crashes in 64-bit programs.
    RECT area{};
    GetClientRect(base::app().client, &area);
    int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    int n = static_cast<int>(DocumentWindows().size() % 8);
    create.x = create.y = n * step;
    create.cx = std::max(200, static_cast<int>((area.right - area.left) * 3 / 4));
    create.cy = std::max(120, static_cast<int>((area.bottom - area.top) * 3 / 4));
    create.style = WS_VSCROLL | WS_HSCROLL;
    create.lParam = reinterpret_cast<LPARAM>(doc);
    return reinterpret_cast<HWND>(SendMessageA(base::app().client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

HWND OpenWindowFor(Document* doc) {
    if (HWND existing = WindowOfDocument(doc->name)) {
        SendMessageA(base::app().client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(existing), 0);
        return existing;
    }
    return CreateWindowFor(doc);
}

}  // namespace

LRESULT CALLBACK DocumentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return EditorWindowProc(window, message, wParam, lParam);
}

HWND OpenFileWindow(const std::string& path) {
    bool existed = false;
    Document* doc = OpenDocument(path, &existed);
    if (!doc) return nullptr;
    HWND window = OpenWindowFor(doc);
    // A freshly loaded file is shown from its first line.
    if (window && !existed) MoveToTop();
    return window;
}

HWND OpenAnotherWindow(Document* doc) { return doc ? CreateWindowFor(doc) : nullptr; }

HWND OpenUntitledWindow() {
    Document* doc = FindDocument("untitled", true);
    return doc ? OpenWindowFor(doc) : nullptr;
}

std::vector<HWND> DocumentWindows() {
    std::vector<HWND> windows;
    if (!base::app().client) return windows;
    const char* className = base::GetString(kDocumentClass);
    for (HWND child = GetWindow(base::app().client, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, className) == 0 && !GetWindow(child, GW_OWNER)) windows.push_back(child);
    }
    return windows;
}

HWND ActiveDocumentWindow() {
    if (!base::app().client) return nullptr;
    HWND active = reinterpret_cast<HWND>(SendMessageA(base::app().client, WM_MDIGETACTIVE, 0, 0));
    return DocumentOf(active) ? active : nullptr;
}

Document* DocumentOf(HWND window) {
    if (!window) return nullptr;
    View* view = FindView(reinterpret_cast<std::uintptr_t>(window));
    return view ? view->document : nullptr;
}

bool AnyDocumentWindow() { return !DocumentWindows().empty(); }

HWND WindowOfDocument(const std::string& name) {
    for (HWND window : DocumentWindows())
        if (Document* doc = DocumentOf(window))
            if (CompareNames(doc->name, name) == 0) return window;
    return nullptr;
}

}  // namespace tarvo::editor
