// The one-line output bar along the bottom of the frame, and the small text pop-up.
#pragma once
#include <windows.h>

namespace tarvo::shell {

// Private message: wParam unused, lParam the text to show (copied).
inline constexpr UINT kSetStatusText = 8037;

LRESULT CALLBACK OutputBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SmallPopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarvo::shell
