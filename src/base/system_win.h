// The system libraries the program needs only now and then (the common dialogs, the shell,
// COM's allocator), loaded on first use: loading them all at start-up would slow it down for
// calls that most sessions never make. Each call fails as its own does when the library or the
// entry point is missing.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

namespace tarvo::base {

BOOL OpenFileDialog(OPENFILENAMEA* dialog);
BOOL SaveFileDialog(OPENFILENAMEA* dialog);
UINT DroppedFile(HDROP drop, UINT index, char* name, UINT size);
void DropFinished(HDROP drop);
HINSTANCE ShellOpen(HWND owner, const char* file, const char* directory);
PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOA* browse);
BOOL PathFromIdList(PCIDLIST_ABSOLUTE list, char* path);
void FreeIdList(PIDLIST_ABSOLUTE list);

}  // namespace tarvo::base
