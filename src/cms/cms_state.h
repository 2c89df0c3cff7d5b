// The version store's program-wide state, as far as start-up sets it.
#pragma once
#include <string>

namespace tarvo::cms {

struct CmsState {
    std::string directory;  // default repository directory: "CMS" below the current directory
    std::string userName;   // the stored user name, when settings are saved at exit
};

CmsState& cms();
// Start-up: the defaults from the current-directory setting and the stored user name.
void InitCmsState(const std::string& currentDirectory, bool saveAtExit,
                  const std::string& storedUserName);

}  // namespace tarvo::cms
