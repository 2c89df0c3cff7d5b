// The Win32 implementation of the walk's file calls (see WalkOps): native listing and reading,
// without the C library's layers in between.
#pragma once

namespace tarvo::platform {

void InstallWin32Files();

}  // namespace tarvo::platform
