// What the project subsystem asks of the windows: documents saved, recorded, closed and
// reopened, the frame's title.
#pragma once

namespace tarvo::shell {

// The documents of the last exit (or of the project just opened), with their windows.
void ReopenLastFiles();

void InstallProjectSeam();

}  // namespace tarvo::shell
