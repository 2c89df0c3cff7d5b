// A build: what the window thread checks and hands over before make runs, what the build
// thread does with that copy alone, and the lines shown afterwards.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"
#include "platform/process.h"
#include "project/makefile_generation.h"

namespace tarvo::project {

// Everything the build thread needs, copied: it never reads the live project record.
struct BuildJob {
    std::string command;      // the make program, or make's link target
    std::string directory;    // where make runs: the make directory
    std::string messageFile;  // receives what the tools say
    std::string executable;   // for the success line
    std::shared_ptr<platform::StopFlag> stop = std::make_shared<platform::StopFlag>();  // Make while it runs
};

enum class BuildKind { Make, Link };

// The window thread's part of Make and Link: the return code set to -1 first, modified
// documents saved or not, a missing makefile offered, the settings written. Nothing after a
// message or a No.
std::optional<BuildJob> PrepareBuild(base::Settings& s, BuildKind kind, const GenerationUi& ui);

// The message file may not be a file the project or the user keeps.
bool ValidMessageFile(const std::string& name);

struct BuildOutcome {
    bool noDirectory = false;  // the make directory is gone
    std::string messageFile;   // where the tools' messages went
    bool messageFileMoved = false;  // the job's could not be written: errout.err instead
    bool noMessageFile = false;     // neither could; make did not run
    bool ran = false;          // false: make could not start
    long exitCode = -1;
    double seconds = 0;
};

// The job of the current project as its settings stand: for showing the last results again.
BuildJob CurrentJob(const base::Settings& s, BuildKind kind = BuildKind::Make);

// The build thread's part: the old message file removed, make run in its directory with its
// standard error in the message file (or in errout.err there when that cannot be written).
// Shows nothing.
BuildOutcome RunBuild(const BuildJob& job);

// What the message list shows after a build (its last line the time and return code), and
// the undefined symbols for the missing-libraries search with their lines held back (they go
// before the last line when no library is added).
struct BuildResults {
    std::vector<std::string> lines;
    std::vector<std::string> undefinedSymbols;
    std::vector<std::string> heldBack;  // listed when no library is added
};
BuildResults ReadResults(const BuildJob& job, const BuildOutcome& outcome);

// The objects the makefile's own rules make (a prebuilt object of the project has no rule:
// it is the user's file, never deleted), as the makefile names them.
std::vector<std::string> ProducedObjects(std::string_view makefile);

// Rebuild all's first half: the objects of the makefile in the make directory deleted. False
// after a message; `deleted` counts what went.
bool DeleteObjects(const base::Settings& s, int& deleted);

// The up-to-date check before debugging runs this in the make directory; make answers
// kOutOfDate when a target is older than what it depends on.
std::string UpToDateCommand(const std::string& root);
inline constexpr long kOutOfDate = 199;
// Whether the check applies: a project with make settings, the editor's "test up to date"
// flag, and not an Eiffel project.
bool WantsUpToDateCheck(const base::Settings& s);

}  // namespace tarvo::project
