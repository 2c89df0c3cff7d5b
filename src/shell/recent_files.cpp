#include "shell/recent_files.h"

#include <algorithm>
#include <cctype>

#include "platform/text.h"
#include "base/command_ids.h"

namespace tarvo::shell {
namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

void AddRecentFile(std::vector<std::string>& list, const std::string& name) {
    if (name.empty()) return;
    RemoveRecentFile(list, name);
    list.insert(list.begin(), name);
    if (list.size() > kRecentFileCount) list.resize(kRecentFileCount);
}

void RemoveRecentFile(std::vector<std::string>& list, const std::string& name) {
    std::erase_if(list, [&](const std::string& n) { return sameName(n, name); });
}

std::string RecentFileForCommand(const std::vector<std::string>& list, int command) {
    int index = command - CMD_RECENT_FILE_1;
    if (index < 0 || index >= kRecentFileMenuItems || static_cast<size_t>(index) >= list.size())
        return "";
    return list[static_cast<size_t>(index)];
}

void ReadRecentFiles(const base::SettingsKey& key, std::vector<std::string>& list) {
    list.clear();
    long count = std::min<long>(base::ReadNumber(key, "RecentFiles", 0), kRecentFileCount);
    std::vector<std::string> stored;
    for (long n = 1; n <= count; ++n) {
        std::string name;
        if (!base::ReadText(key, Printf("RecentFile%ld", n), name)) break;
        stored.push_back(name);
    }
    // Added oldest first, so the newest ends in front and duplicates collapse.
    for (auto it = stored.rbegin(); it != stored.rend(); ++it) AddRecentFile(list, *it);
}

bool WriteRecentFiles(base::SettingsKey& key, const std::vector<std::string>& list) {
    size_t count = std::min(list.size(), kRecentFileCount);
    base::WriteNumber(key, "RecentFiles", static_cast<long>(count));
    for (size_t n = 0; n < count; ++n)
        base::WriteText(key, Printf("RecentFile%d", static_cast<int>(n + 1)), list[n]);
    return !key.failed;
}

}  // namespace tarvo::shell
