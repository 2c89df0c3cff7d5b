#include "cms/cms_state.h"

#include "platform/text.h"

namespace tarvo::cms {

CmsState& cms() {
    static CmsState state;
    return state;
}

CmsSeam& cmsSeam() {
    static CmsSeam seam;
    return seam;
}

void InitCmsState(const std::string& currentDirectory, bool saveAtExit,
                  const std::string& storedUserName) {
    CmsState& s = cms();
    s = CmsState{};
    s.directory = Printf("%s\\CMS", currentDirectory.c_str());
    if (saveAtExit) s.userName = storedUserName;
}

}  // namespace tarvo::cms
