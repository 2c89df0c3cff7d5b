// The most-recently-used files: ten names, newest first; the first four are the File menu's
// commands 1214 to 1217. Stored in the main key as "RecentFiles" (count) and "RecentFile%d"
// (names, from 1, newest first).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "base/settings_store.h"

namespace tarvo::shell {

inline constexpr std::size_t kRecentFileCount = 10;
inline constexpr int kRecentFileMenuItems = 4;

// Puts the name in front; an equal name (compared without case) moves there instead of
// appearing twice, and the list keeps its ten newest names. An empty name changes nothing.
void AddRecentFile(std::vector<std::string>& list, const std::string& name);
// Removes the name (compared without case), e.g. when it can no longer be opened.
void RemoveRecentFile(std::vector<std::string>& list, const std::string& name);
// The name of menu command 1214 to 1217, or empty.
std::string RecentFileForCommand(const std::vector<std::string>& list, int command);

// Reads the stored list (empty and duplicate names are dropped); a missing value ends it.
void ReadRecentFiles(const base::SettingsKey& key, std::vector<std::string>& list);
// Writes the count and the names; stops at the first failed write (reported), false then.
bool WriteRecentFiles(base::SettingsKey& key, const std::vector<std::string>& list);

}  // namespace tarvo::shell
