// Export of a project's stored definition to a ".prj" file, and import of such a file into
// the settings store, with its paths moved to the directory the file is now in.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

inline constexpr char kProjectFileHeader[] = "Tarvo project file. Do NOT edit\n";

// Writes "<directory>\<name>.prj" (lower case). False after a message (or a No to the
// overwrite question).
bool ExportProject(const std::string& name, const std::string& directory, std::string& file);

// What an import found in a project file, checked whole before anything is written.
struct ImportedProject {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // rewritten for the new place
    std::string makeDir;  // to be created
};

// Reads and rewrites the file's values; false after a message. Nothing is written.
bool ReadProjectFile(const std::string& path, const std::string& root, ImportedProject& out);

// Imports the file into the store: asks before replacing a project of the same name, then
// replaces it whole. The name joins the project list. False after a message or a No.
bool ImportProject(base::Settings& s, const std::string& path, std::string& name);

// Replaces `from` by `to` where it stands as a whole path or a path's leading directories,
// comparing without case.
std::string ReplaceBaseDirectory(const std::string& value, const std::string& from, const std::string& to);

}  // namespace tarvo::project
