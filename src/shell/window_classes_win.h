// The window classes of the program, registered once at start-up.
#pragma once
#include <windows.h>

namespace tarvo::shell {

struct ClassProcedures {
    WNDPROC frame;
    WNDPROC document;
    WNDPROC outputBar;
    WNDPROC popup;
};

// Registers every class that has its window procedure; false when any registration fails (the
// program then ends).
// frameBrush is the frame's background brush, chosen from the display's colour depth.
bool RegisterWindowClasses(HINSTANCE instance, const ClassProcedures& procedures,
                           HBRUSH frameBrush);

// The frame's background: the menu colour on displays with fewer than 255 colours, else light
// grey. The caller owns the brush.
HBRUSH CreateFrameBrush();

}  // namespace tarvo::shell
