#include "platform/clipboard_win.h"

#include <cstring>

#include "platform/clipboard.h"

namespace tarvo::platform {
namespace {

HWND& owner() {
    static HWND window = nullptr;
    return window;
}

bool winGetText(std::string& text) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(owner())) return false;
    bool ok = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
            // The block may be larger than its text; the text ends at its NUL.
            text.assign(chars, strnlen(chars, GlobalSize(data)));
            ok = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return ok;
}

bool winSetText(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block) return false;
    char* chars = static_cast<char*>(GlobalLock(block));
    if (!chars) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(chars, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboard(owner())) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    if (!ok) GlobalFree(block);  // the clipboard owns the block only when it took it
    CloseClipboard();
    return ok;
}

}  // namespace

void InstallWin32Clipboard(HWND window) {
    owner() = window;
    setClipboard({winGetText, winSetText});
}

}  // namespace tarvo::platform
