// What every stand-in does first, in the Windows layer: the log line, the wait and the
// failure that tests ask for through the environment (see standin_core.h).
#pragma once
#include <string>
#include <vector>

#include "bridge_win.h"

namespace tarvo::testbed {

// Appends "<cwd>\t<command line>" to the log file when one is named, sleeps when a wait is
// asked for, and returns whether this run must fail; `tool` is the name without ".exe".
// Standard output and error are switched to binary: lines end in "\n" alone.
bool StandinStart(const char* tool);

std::string CurrentDirectory();

// Each tool targets the machine of its own build.
#ifdef _WIN64
inline constexpr bool kWideBuild = true;
#else
inline constexpr bool kWideBuild = false;
#endif

// Runs a Linux program (argv in Linux paths) in the Linux twin of the current directory.
LinuxRun RunLinuxHere(const std::vector<std::string>& argv);
std::vector<std::string> Arguments(int argc, char** argv);

}  // namespace tarvo::testbed
