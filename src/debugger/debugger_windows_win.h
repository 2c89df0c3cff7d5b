// The debugger's windows: call stack, locals, watch and nearby variables (tool windows of the
// frame, made when first shown and destroyed when debugging ends), the Evaluate and watch
// dialogs, Show value of, and the value tips in the editor.
#pragma once
#include <cstdint>

#include "debugger/expressions.h"

namespace tarvo::debugger {

// Each stop the user is to see, after its position is shown: the frame chosen before is
// forgotten, the windows read the program again.
void RefreshDebuggerWindows();
// The program runs again: the tip goes, the chosen frame is forgotten.
void DebuggerWindowsRunning();
// Debugging ended: the windows and the tip go; the watch expressions are kept for the next run.
void CloseDebuggerWindows();
void HideValueTip();
// One tick of the value tip's timer with the mouse at that screen point: the tip shown over the
// word the mouse rests on, or hidden when it moved. The timer calls it with the mouse's place;
// so may a test, to be sure of each tick and of the place.
void TickValueTip(int x, int y);

// CPU (500: the stack dump), Stack (510: call stack, locals, nearby variables), Watchs (3010), Evaluate (3009), Show value
// of (3005), and call-stack entry n (400 + n); false for any other id.
bool RunDebuggerWindowCommand(int id);

// What evaluations in the stopped program use: the frame chosen in the call stack window, else
// the stop's own. Only while the program is stopped.
EvalContext StoppedEvalContext();

}  // namespace tarvo::debugger
