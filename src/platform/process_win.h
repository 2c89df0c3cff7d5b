// The Win32 implementation of the process seam.
#pragma once

namespace tarvo::platform {

void InstallWin32Process();

}  // namespace tarvo::platform
