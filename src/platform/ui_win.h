// The message-box seam on Win32: boxes owned by the frame window.
#pragma once
#include <windows.h>

namespace tarvo::platform {

// Installs the Win32 boxes; frame may be null until the frame exists.
void InstallWin32Ui();
void SetUiFrame(HWND frame);
// The output bar's window, which receives status texts (message 8037).
void SetUiOutputBar(HWND outputBar);

}  // namespace tarvo::platform
