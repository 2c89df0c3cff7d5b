// The frame window's procedure.
#pragma once
#include <windows.h>

namespace tarvo::shell {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Output bar along the bottom with its height, the MDI client above it.
void LayoutFrame();

}  // namespace tarvo::shell
