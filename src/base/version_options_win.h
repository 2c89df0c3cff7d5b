// The version store's options as check boxes, shared by the CMS preferences dialog and the
// configuration's Versions page (both have the IDC_CMS_ option controls).
#pragma once
#include <windows.h>

#include "base/settings.h"

namespace tarvo::base {

// Put, get and file options, the user-name comparison and the lock rule.
void ShowVersionOptions(HWND dialog, const ProjectSettings& p);
void ReadVersionOptions(HWND dialog, ProjectSettings& p);

}  // namespace tarvo::base
