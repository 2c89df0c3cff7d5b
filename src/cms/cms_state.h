// The version store's program-wide state, as far as start-up sets it.
#pragma once
#include <string>
#include <vector>

namespace tarvo::cms {

struct CmsState {
    std::string directory;  // default repository directory: "CMS" below the current directory
    std::string userName;   // the stored user name, when settings are saved at exit
};

CmsState& cms();

// What the window layer lends the version store: the output window for an operation's lines.
struct CmsSeam {
    void (*showOutput)(const std::vector<std::string>& lines) = nullptr;
};
CmsSeam& cmsSeam();
// Start-up: the defaults from the current-directory setting and the stored user name.
void InitCmsState(const std::string& currentDirectory, bool saveAtExit,
                  const std::string& storedUserName);

}  // namespace tarvo::cms
