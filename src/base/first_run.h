// First run: when the compiler system's key Software\vex is missing, the program finds the
// compiler root (it is installed in <root>\bin) and creates the compiler system's keys.
#pragma once
#include <string>

namespace tarvo::base {

// What the core cannot find out itself. The Win32 layer installs the real ones at start-up;
// tests script them.
struct FirstRunHooks {
    // The process command line, program name first (GetCommandLine).
    std::string (*commandLine)();
    // Letter of the current drive, for a root path given without one.
    char (*currentDrive)();
    // The directory dialog with that title; false when cancelled.
    bool (*askDirectory)(const char* title, std::string& directory);
};

// The installed hooks; before anything is installed: an empty command line, drive C and a
// dialog that is always cancelled.
const FirstRunHooks& firstRunHooks();
void setFirstRunHooks(const FirstRunHooks& hooks);

// The directory the program's command line names the root as: the program's directory, less a
// trailing "\bin", with the current drive put in front of a path that has none.
std::string RootFromCommandLine(const std::string& commandLine, char currentDrive);

// Finds the root (from the command line, else by asking), checks it holds include\windows.h
// and writes Software\vex\Compiler includepath and Software\vex\vexlnk libpath. Failures, a
// cancelled dialog among them, are reported; false when the root was not found or a key could
// not be written.
bool RunFirstRun(std::string& root);

}  // namespace tarvo::base
