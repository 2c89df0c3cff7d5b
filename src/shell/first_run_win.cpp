#include "shell/first_run_win.h"

#include <windows.h>
#include <shlobj.h>

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
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
    if (!chosen) return false;
    char path[MAX_PATH] = "";
    bool ok = SHGetPathFromIDListA(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (ok) directory = path;
    return ok && !directory.empty();
}

}  // namespace

void InstallWin32FirstRunHooks() {
    base::setFirstRunHooks({ProcessCommandLine, CurrentDrive, AskDirectory});
}

}  // namespace tarvo::shell
