// The "Obj Xref" dialogs and the "Relations" window.
#pragma once
#include <windows.h>

#include "tools/obj_xref.h"

namespace tarvo::tools {

// Chooses the files (the output directory's objects, more from a file dialog), reads them and
// shows the cross reference. False when cancelled or nothing could be read.
bool ObjXrefCommand();

// The relations of the model's modules drawn in a window of the frame; its handle.
HWND ShowRelations(const XrefModel& model);

}  // namespace tarvo::tools
