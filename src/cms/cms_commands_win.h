// The version store's commands: check-in and check-out, several files, releases, the
// preferences and the login, with their dialogs.
#pragma once
#include <cstdint>

namespace tarvo::cms {

bool RunVersionCommand(int id, std::intptr_t param, std::intptr_t& result);

}  // namespace tarvo::cms
