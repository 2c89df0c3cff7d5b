// Second-process checks for the Win32 tests.
#pragma once
#include <string>

namespace tarvo::test {

// Runs the named check in this process; 0 when it passed, else a non-zero code (and a line
// on stderr saying what differed).
int RunChild(const std::string& name, int argc, char** argv);

// Starts this test program as a child running the named check; its exit code, or -1.
int StartChild(const std::string& name, const std::string& arguments);

}  // namespace tarvo::test
