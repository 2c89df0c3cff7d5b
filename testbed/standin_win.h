// What every stand-in does first, in the Windows layer: the log line, the wait and the
// failure that tests ask for through the environment (see standin_core.h).
#pragma once
#include <string>
#include <vector>

namespace tarvo::testbed {

// Appends "<cwd>\t<command line>" to the log file when one is named, sleeps when a wait is
// asked for, and returns whether this run must fail; `tool` is the name without ".exe".
// Standard output and error are switched to binary: lines end in "\n" alone.
bool StandinStart(const char* tool);

std::string CurrentDirectory();
std::vector<std::string> Arguments(int argc, char** argv);

}  // namespace tarvo::testbed
