// The current project's run-time state: what the build and the makefile learn about it while
// the program runs. Its stored definition is the settings' project record.
#pragma once
#include <string>
#include <vector>

namespace tarvo::project {

enum class BuildState { Idle, Generating, Running };

struct ProjectRun {
    BuildState build = BuildState::Idle;
    long returnCode = 0;    // of the last make
    double elapsed = 0;     // seconds the last make took
    std::string resourceFile;
    std::vector<std::string> objects;
    bool changed = false;   // files or options changed since the makefile was written
};

ProjectRun& projectRun();
void ResetProjectRun();

// Sets a build state for as long as it lives, and puts Idle back on every way out.
struct BuildStateScope {
    explicit BuildStateScope(BuildState state) { projectRun().build = state; }
    ~BuildStateScope() { projectRun().build = BuildState::Idle; }
    BuildStateScope(const BuildStateScope&) = delete;
    BuildStateScope& operator=(const BuildStateScope&) = delete;
};

}  // namespace tarvo::project
