// The build in the background: make on a thread of its own, its end reported to the window
// thread, which shows the results.
#pragma once
#include <string>

#include "project/build.h"

namespace tarvo::project {

// Make or Link; while a build runs, Make asks it to stop.
void StartBuild(BuildKind kind);

// Show results: the message file of the last build listed again.
void ShowLastResults();

// Rebuild all: the makefile's objects deleted, then Make.
void RebuildAll();

// The up-to-date check before debugging `program`: when make says the program is out of date
// and the user wants it rebuilt, the build runs first (the window thread keeps handling
// messages meanwhile). False when debugging should not start: the rebuild failed.
bool MayStartDebugging(const std::string& program);

// Exit while a build runs asks first; Yes stops the build. False: the program goes on.
bool MayExitWhileBuilding();

// Stops a running build and waits for its thread: the program is ending (a program left
// running would hold the build's files, or never start at all).
void EndBuild();

}  // namespace tarvo::project
