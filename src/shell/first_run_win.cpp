#include "shell/first_run_win.h"

#include <windows.h>
#include "base/system_win.h"

#include <string>

#include "base/first_run.h"

namespace tarvo::shell {
namespace {

std::string ProcessCommandLine() { return GetCommandLineA(); }

char CurrentDrive() {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory[1] == ':' ? directory[0] : 'C';
}

bool AskDirectory(const char* title, std::string& directory) {
    BROWSEINFOA browse{};
    browse.hwndOwner = GetActiveWindow();
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = base::BrowseForFolder(&browse);
    if (!chosen) return false;
    char path[MAX_PATH] = "";
    bool ok = base::PathFromIdList(chosen, path) != FALSE;
    base::FreeIdList(chosen);
    if (ok) directory = path;
    return ok && !directory.empty();
}

}  // namespace

void InstallWin32FirstRunHooks() {
    base::setFirstRunHooks({ProcessCommandLine, CurrentDrive, AskDirectory});
}

}  // namespace tarvo::shell
