// Releases: named sets of (file, revision) pairs kept in the project's settings, saved from
// the heads of the project's repository files and got back file by file.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/settings.h"
#include "cms/checkin.h"

namespace tarvo::cms {

// A file of the release dialog with the revision it will be saved at.
struct ReleaseLine {
    std::string file, revision;
    bool changed = false;  // another revision than the head was chosen
};
// "%-30s %s", and " *" after a changed revision.
std::string ReleaseLineText(const ReleaseLine& line);

// The head revision read from the start of a repository file only. False with the message
// when the file is not one.
bool QuickHead(const std::string& cmsPath, std::string& head, std::string& message);
// The lines of the release dialog: each file that has a repository file, at its head.
std::vector<ReleaseLine> ReleaseLines(const std::string& cmsDirectory, const std::vector<std::string>& files);

// The release record of the dialog's OK; false (the dialog stays) after "Release name
// required" or a No to the default description.
bool MakeRelease(const std::string& name, const std::string& description, const std::vector<ReleaseLine>& lines,
                 const std::string& user, const std::string& date, const std::function<bool(const std::string&)>& ask,
                 base::Release& release);

// An entry's file and revision: split at its last comma, so a name may hold commas and blanks.
bool SplitEntry(const std::string& entry, std::string& file, std::string& revision);

// Gets every file of the release at its revision; a failure asks whether to go on. The count of
// files got.
int GetRelease(const CmsContext& context, const base::Release& release, unsigned getFlags = kGetNoAsk);

}  // namespace tarvo::cms
