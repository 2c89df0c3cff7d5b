// The current project's key: its definition, read at start-up and written at exit, and the
// lists that belong to it (breakpoints, file processors, files with their dependencies, users,
// releases).
#pragma once
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/settings_store.h"

namespace tarvo::base {

// Releases keep their description in pieces of this many characters.
inline constexpr size_t kDescriptionPiece = 511;

// "%s@%d": the file runs to the last '@'.
std::string FormatBreakpoint(const Breakpoint& b);
bool ParseBreakpoint(const std::string& text, Breakpoint& b);

// "%s#%s#%s": input file, command line, output file. The command is what lies between the
// first and the last '#', so it may hold '#' itself.
std::string FormatFileProcessor(const FileProcessor& p);
bool ParseFileProcessor(const std::string& text, FileProcessor& p);

void ReadBreakpoints(const SettingsKey& key, std::vector<Breakpoint>& breakpoints);
bool WriteBreakpoints(SettingsKey& key, const std::vector<Breakpoint>& breakpoints);
// A value in the wrong format is reported and ends the reading; the ones before it stay.
void ReadFileProcessors(const SettingsKey& key, std::vector<FileProcessor>& processors);
bool WriteFileProcessors(SettingsKey& key, const std::vector<FileProcessor>& processors);

// The project's values in the order the start-up reading and the exit writing take them.
void ReadProjectDefinition(const SettingsKey& key, ProjectSettings& p);
bool WriteProjectDefinition(SettingsKey& key, const std::string& name, const ProjectSettings& p);

// The file list, dependencies, users and version-store options, in the same order both ways.
void ReadProjectListValues(const SettingsKey& key, ProjectSettings& p);
bool WriteProjectListValues(SettingsKey& key, const ProjectSettings& p);

void ReadReleaseValues(const SettingsKey& key, std::vector<Release>& releases);
bool WriteReleaseValues(SettingsKey& key, const std::vector<Release>& releases);

}  // namespace tarvo::base
