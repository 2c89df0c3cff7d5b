// The Win32 clipboard behind the clipboard seam.
#pragma once
#include <windows.h>

namespace tarvo::platform {

// Installs the system clipboard; `owner` (the frame window) owns what the program puts there.
void InstallWin32Clipboard(HWND owner);

}  // namespace tarvo::platform
