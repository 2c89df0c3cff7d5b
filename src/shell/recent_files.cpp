#include "shell/recent_files.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "base/command_ids.h"
#include "base/settings_numbered.h"

namespace tarvo::shell {
namespace {

constexpr base::NumberedList<std::string> kRecentFileList =
    base::TextList("RecentFiles", "RecentFile");

}  // namespace

void AddRecentFile(std::vector<std::string>& list, const std::string& name) {
    if (name.empty()) return;
    RemoveRecentFile(list, name);
    list.insert(list.begin(), name);
    if (list.size() > kRecentFileCount) list.resize(kRecentFileCount);
}

void RemoveRecentFile(std::vector<std::string>& list, const std::string& name) {
    std::erase_if(list, [&](const std::string& n) { return SameText(n, name); });
}

std::string RecentFileForCommand(const std::vector<std::string>& list, int command) {
    int index = command - CMD_RECENT_FILE_1;
    if (index < 0 || index >= kRecentFileMenuItems || static_cast<size_t>(index) >= list.size())
        return "";
    return list[static_cast<size_t>(index)];
}

void ReadRecentFiles(const base::SettingsKey& key, std::vector<std::string>& list) {
    std::vector<std::string> stored;
    // Only the ten newest are kept: the reading ends there.
    base::ReadNumbered(key, kRecentFileList.count, kRecentFileList.item,
                       [&](const std::string& name) {
                           stored.push_back(name);
                           return stored.size() < kRecentFileCount;
                       });
    list.clear();
    // Added oldest first, so the newest ends in front and duplicates collapse.
    for (auto it = stored.rbegin(); it != stored.rend(); ++it) AddRecentFile(list, *it);
}

bool WriteRecentFiles(base::SettingsKey& key, const std::vector<std::string>& list) {
    size_t count = std::min(list.size(), kRecentFileCount);
    std::vector<std::string> newest(list.begin(),
                                    list.begin() + static_cast<std::ptrdiff_t>(count));
    return base::WriteList(key, kRecentFileList, newest);
}

}  // namespace tarvo::shell
