#include "shell/output_bar_win.h"

#include <string>

namespace tarvo::shell {
namespace {

// Both windows show their window text on one line.
void PaintText(HWND window, HFONT font, UINT format) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    RECT area;
    GetClientRect(window, &area);
    area.left += 4;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, text.c_str(), -1, &area, format | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

HFONT WindowFont(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

}  // namespace

LRESULT CALLBACK OutputBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kSetStatusText:
        SetWindowTextA(window, lParam ? reinterpret_cast<const char*>(lParam) : "");
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        SetPropA(window, "font", reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetPropA(window, "font"));
    case WM_PAINT:
        PaintText(window, WindowFont(window), DT_SINGLELINE | DT_VCENTER);
        return 0;
    case WM_DESTROY:
        RemovePropA(window, "font");
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SmallPopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        SetPropA(window, "font", reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetPropA(window, "font"));
    case WM_SETTEXT:
        InvalidateRect(window, nullptr, TRUE);
        break;
    case WM_PAINT:
        PaintText(window, WindowFont(window), DT_WORDBREAK);
        return 0;
    case WM_DESTROY:
        RemovePropA(window, "font");
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace tarvo::shell
