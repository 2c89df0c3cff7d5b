// The Win32 side of the first run: the process command line, the current drive and the
// directory dialog.
#pragma once

namespace tarvo::shell {

void InstallWin32FirstRunHooks();

}  // namespace tarvo::shell
