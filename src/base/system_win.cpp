#include "base/system_win.h"

namespace tarvo::base {
namespace {

// The entry point of a library, the library loaded on the first call; null when missing.
template <typename Function>
Function* Entry(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

BOOL OpenFileDialog(OPENFILENAMEA* dialog) {
    static auto* f = Entry<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    return f ? f(dialog) : FALSE;
}

BOOL SaveFileDialog(OPENFILENAMEA* dialog) {
    static auto* f = Entry<decltype(GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
    return f ? f(dialog) : FALSE;
}

UINT DroppedFile(HDROP drop, UINT index, char* name, UINT size) {
    static auto* f = Entry<decltype(DragQueryFileA)>("shell32.dll", "DragQueryFileA");
    return f ? f(drop, index, name, size) : 0;
}

void DropFinished(HDROP drop) {
    static auto* f = Entry<decltype(DragFinish)>("shell32.dll", "DragFinish");
    if (f) f(drop);
}

HINSTANCE ShellOpen(HWND owner, const char* file, const char* directory) {
    static auto* f = Entry<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    return f ? f(owner, "open", file, nullptr, directory, SW_SHOWNORMAL) : nullptr;
}

PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOA* browse) {
    static auto* f = Entry<decltype(SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    return f ? f(browse) : nullptr;
}

BOOL PathFromIdList(PCIDLIST_ABSOLUTE list, char* path) {
    static auto* f = Entry<decltype(SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    return f ? f(list, path) : FALSE;
}

void FreeIdList(PIDLIST_ABSOLUTE list) {
    static auto* f = Entry<decltype(CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
    if (f && list) f(list);
}

}  // namespace tarvo::base
