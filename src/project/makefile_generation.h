// Generating the current project's makefile: the preparation (defaults, make directories, a
// foreign makefile kept aside), the dependency scans through the compiler, and the file
// written whole under a scratch name and moved into place.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "base/settings.h"

namespace tarvo::project {

// What the window layer adds: the progress display (kept alive while the tools run), the
// file-processor dialog, and closing an editor window that shows the old makefile.
struct GenerationUi {
    std::function<void(const std::string& title)> begin;
    std::function<void(const std::string& line)> progress;
    std::function<void()> end;
    std::function<std::optional<base::FileProcessor>(const std::string& file)> defineProcessor;
    // Closes the window showing this file the normal way (asking about unsaved changes);
    // false when the user cancels.
    std::function<bool(const std::string& path)> closeWindowOf;
};

// Time a dependency scan may take before it is stopped.
inline constexpr unsigned long kScanTimeoutMs = 60000;

// The output directory rule: with no make directory yet, "<sources>\vex", else the first of
// "vex1" ... "vex8" that does not exist, is created. False after a message.
bool PrepareOutputDirectory(const std::string& sourcesDir, std::string& makeDir);

// Writes the current project's makefile. False after a message.
bool GenerateMakefile(base::Settings& s, const GenerationUi& ui);

// True, after a message, while a makefile is being written or a build runs: the project
// record may not change under them.
bool RefusedWhileBusy();

// The Generate Makefile command: refused while a generation or a build runs; on success the
// project's lists are stored and the output bar says so.
bool GenerateMakefileCommand(base::Settings& s, const GenerationUi& ui);

}  // namespace tarvo::project
