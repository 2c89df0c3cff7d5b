// The build in the background: make on a thread of its own, its end reported to the window
// thread, which shows the results.
#pragma once
#include "project/build.h"

namespace tarvo::project {

// Make or Link; while a build runs, Make asks it to stop.
void StartBuild(BuildKind kind);

// Stops a running build and waits for its thread: the program is ending (a program left
// running would hold the build's files, or never start at all).
void EndBuild();

}  // namespace tarvo::project
