// Compiled into both Windows builds only for the layout checks of its header.
#include "debugger/context_layout_win.h"
