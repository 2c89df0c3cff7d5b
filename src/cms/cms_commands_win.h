// The version store's commands: check-in and check-out, several files, releases, the
// preferences and the login, with their dialogs.
#pragma once
#include <cstdint>
#include <string>

namespace tarvo::cms {

struct CmsContext;

bool RunVersionCommand(int id, std::intptr_t param, std::intptr_t& result);

// Shared with the administration commands: the context of an operation for the current
// project (false after a message), the current document's name when it lies in the project,
// and the operation's lines shown in the output window.
bool MakeCmsContext(CmsContext& context);
std::string CurrentCmsFile(const CmsContext& context);
void FlushCmsOutput();

// The administration, queries, log viewer, revision comparison and function history.
bool RunAdminCommand(int id);

}  // namespace tarvo::cms
