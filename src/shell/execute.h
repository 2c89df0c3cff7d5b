// The Execute command's start of a program: a console program runs under the compiler
// system's console runner, which keeps its window open until a key is pressed.
#pragma once
#include <string>

namespace tarvo::shell {

inline constexpr unsigned long kProgramKindTimeoutMs = 10000;

// Starts the command line ("program arguments", the program maybe quoted), shown. False after
// a message.
bool ExecuteProgram(const std::string& root, const std::string& commandLine);

}  // namespace tarvo::shell
