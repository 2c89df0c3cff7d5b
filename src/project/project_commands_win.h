// The project and makefile commands in the window layer: their dialogs and questions.
#pragma once
#include <cstdint>

namespace tarvo::project {

bool RunProjectCommand(int id, std::intptr_t param, std::intptr_t& result);
bool RunBuildCommand(int id, std::intptr_t param, std::intptr_t& result);
// Writes the current project's makefile with the progress window; false after a message.
bool GenerateMakefileNow();

}  // namespace tarvo::project
