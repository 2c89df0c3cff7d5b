// The part of the start-up that makes the window layer: the seams it installs, the window
// classes, menus, fonts and pictures, the settings, and the frame with its parts. The program
// calls it between reading its command line and opening its files; the in-process window
// tests call it too, so both run the same start-up.
#pragma once
#include <windows.h>

namespace tarvo::shell {

// Message id of the frame's class name ("clMDIFrame").
inline constexpr unsigned kFrameClass = 3969;

// Everything up to a frame ready for documents, in its fixed order; shell().options (banner,
// another instance) and the installed settings backend decide the details. False when a
// window class or the frame cannot be made.
bool StartWindowLayer(HINSTANCE instance);

// Hands one message of the queue to the program: the MDI and accelerator keys first, then
// translation and dispatch, as the message loop does.
void HandleMessage(MSG& msg);

// After the message loop: the fonts, brushes, pictures and the shared area go.
void ReleaseWindowLayer();

}  // namespace tarvo::shell
