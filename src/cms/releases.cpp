#include "cms/releases.h"

#include <cstdio>

#include "base/messages.h"
#include "cms/cms_messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr size_t kHeadReach = 80;

}  // namespace

std::string ReleaseLineText(const ReleaseLine& line) {
    return Printf("%-30s %s", line.file.c_str(), line.revision.c_str()) + (line.changed ? " *" : "");
}

bool QuickHead(const std::string& cmsPath, std::string& head, std::string& message) {
    head.clear();
    const platform::FileOps& ops = platform::fileOps();
    std::FILE* f = ops.open(platform::HostPath(cmsPath).c_str(), "rb");
    if (!f) {
        message = Printf(base::GetString(kMsgBadSignature), cmsPath.c_str());
        return false;
    }
    std::string start(kSignature.size() + 1 + kHeadReach, '\0');
    start.resize(ops.read(start.data(), start.size(), f));
    ops.close(f);
    std::string expected(kSignature.substr(0, kSignature.size() - 1));
    if (start.rfind(expected, 0) != 0) {
        message = Printf(base::GetString(kMsgBadSignature), cmsPath.c_str());
        return false;
    }
    size_t at = expected.size();
    if (at < start.size() && start[at] == '\r') ++at;
    if (at < start.size() && start[at] == '\n') ++at;
    std::string rest = start.substr(at, kHeadReach);
    if (rest.rfind("Head", 0) != 0) {
        message = base::GetString(kMsgMissingSignature);
        return false;
    }
    size_t value = rest.find_first_not_of(" \t", 4);
    size_t semi = rest.find(';', value == std::string::npos ? rest.size() : value);
    if (value == std::string::npos || semi == std::string::npos) {
        message = base::GetString(kMsgMissingSignature);
        return false;
    }
    head = rest.substr(value, semi - value);
    return true;
}

std::vector<ReleaseLine> ReleaseLines(const std::string& cmsDirectory, const std::vector<std::string>& files) {
    std::vector<ReleaseLine> lines;
    for (const std::string& file : files) {
        std::string head, message;
        if (QuickHead(cmsDirectory + "\\" + platform::BaseName(file), head, message) && !head.empty())
            lines.push_back({platform::BaseName(file), head, false});
    }
    return lines;
}

bool MakeRelease(const std::string& name, const std::string& description, const std::vector<ReleaseLine>& lines,
                 const std::string& user, const std::string& date, const std::function<bool(const std::string&)>& ask,
                 base::Release& release) {
    if (name.find_first_not_of(" \t") == std::string::npos) {
        base::ErrorBoxId(kMsgReleaseNameRequired);
        return false;
    }
    std::string text = description;
    if (text.empty()) {
        if (!ask || !ask(base::GetString(kMsgReleaseUseDefault))) return false;
        text = Printf(base::GetString(kMsgReleaseDefault), name.c_str());
    }
    release = {name, user, text, date, {}};
    for (const ReleaseLine& line : lines) release.files.push_back(line.file + "," + line.revision);
    return true;
}

bool SplitEntry(const std::string& entry, std::string& file, std::string& revision) {
    size_t comma = entry.rfind(',');
    if (comma == std::string::npos || comma == 0 || comma + 1 == entry.size()) return false;
    file = entry.substr(0, comma);
    revision = entry.substr(comma + 1);
    return true;
}

int GetRelease(const CmsContext& c, const base::Release& release, unsigned getFlags) {
    int got = 0;
    for (const std::string& entry : release.files) {
        std::string file, revision;
        bool ok = SplitEntry(entry, file, revision) &&
                  Get(c, {file, revision, {}, {}, getFlags | kGetRevision});
        if (ok) {
            ++got;
            continue;
        }
        std::string question = Printf(base::GetString(kMsgErrorGetting), (file.empty() ? entry : file).c_str());
        if (!c.ask || !c.ask(question)) break;
    }
    return got;
}

}  // namespace tarvo::cms
