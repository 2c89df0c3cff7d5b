// The project and makefile commands in the window layer: their dialogs and questions.
#pragma once
#include <cstdint>

namespace tarvo::project {

bool RunProjectCommand(int id, std::intptr_t param, std::intptr_t& result);
bool RunBuildCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::project
