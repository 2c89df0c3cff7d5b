// The exit sequence, and its first steps as used by "close all windows".
#pragma once
#include <windows.h>

namespace tarvo::shell {

// The first part of the exit: the debugging run and the modified documents. False when the user cancels
// or a save fails; the program then goes on.
bool MayEndSession();

// The whole sequence for WM_CLOSE and WM_QUERYENDSESSION: true when the frame was destroyed.
bool RunExitSequence(HWND frame);

// The documents open now, with their windows, as the settings keep them.
void StoreOpenFiles();

}  // namespace tarvo::shell
