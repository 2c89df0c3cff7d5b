#include "shell/banner_win.h"

#include <string>

#include "base/app_win.h"
#include "base/dialogs_win.h"

namespace tarvo::shell {
namespace {

constexpr int kWidth = 260, kHeight = 72, kIconSize = 32, kMargin = 16;

LRESULT CALLBACK BannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const base::App& a = base::app();
    if (HICON icon = LoadIconA(a.instance, "DOCICON"))
        DrawIconEx(dc, kMargin, (kHeight - kIconSize) / 2, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    HGDIOBJ old = SelectObject(dc, a.proportionalFont ? a.proportionalFont : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    std::string text = "Tarvo\n" + base::VersionText();
    RECT area{2 * kMargin + kIconSize, 18, kWidth - kMargin, kHeight - 8};
    DrawTextA(dc, text.c_str(), -1, &area, DT_LEFT | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

HWND ShowBanner() {
    const base::App& a = base::app();
    if (!base::RegisterWindowClass(
            {.name = kBannerClass, .procedure = BannerProc, .background = GetSysColorBrush(COLOR_BTNFACE)}))
        return nullptr;
    int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND banner = CreateWindowExA(WS_EX_TOOLWINDOW, kBannerClass, "Tarvo", WS_POPUP | WS_BORDER, x, y, kWidth,
                                  kHeight, nullptr, nullptr, a.instance, nullptr);
    if (banner) {
        ShowWindow(banner, SW_SHOWNOACTIVATE);
        UpdateWindow(banner);
    }
    return banner;
}

void CloseBanner(HWND banner) {
    if (banner) DestroyWindow(banner);
}

}  // namespace tarvo::shell
