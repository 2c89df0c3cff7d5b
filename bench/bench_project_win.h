// The program's window layer started in the benchmark's own process, with a console project
// "bench" in a folder of the build tree, as the Windows benchmarks of builds and debugging use it.
#pragma once
#include <windows.h>

#include <string>
#include <tuple>

#include "base/settings.h"
#include "base/settings_store.h"
#include "bench_files_win.h"
#include "platform/memory_settings.h"
#include "platform/settings_backend.h"
#include "project/project_kinds.h"
#include "shell/editor_seam_win.h"
#include "shell/shell_state.h"
#include "shell/startup_win.h"

namespace tarvo::bench {

// False when the window layer cannot start. The project has no files yet.
inline bool StartWithProject(const std::string& dir) {
    platform::setSettingsBackend(platform::memorySettingsBackend());
    // The compiler system's keys name its root, as an installation leaves them.
    std::string root = WindowsPath(TARVO_ROOT_DIR);
    for (auto [key, name, value] : {std::tuple{base::kCompilerKey, "includepath", root + "\\include"},
                                    std::tuple{base::kLinkerKey, "libpath", root + "\\lib"}}) {
        platform::settingsBackend().createKey(key);
        platform::settingsBackend().writeValue(key, name, value);
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    shell::shell().options.banner = false;
    shell::shell().startDirectory = dir;
    if (!shell::StartWindowLayer(GetModuleHandleA(nullptr))) return false;
    shell::StartEditor(false);

    base::Settings& s = base::settings();
    s.saveAtExit = false;
    s.editorFlags = 0;
    s.compilerRoot = root;
    s.currentProject = "bench";
    s.projects = {"bench"};
    s.project = {};
    s.project.projectPath = s.project.sourcesDir = dir;
    s.project.makeDir = dir + "\\out";
    s.project.makeName = s.compilerRoot + "\\bin\\make.exe";
    s.project.includes = s.compilerRoot + "\\include";
    s.project.compilerFlags = project::kKindConsole | project::kFlagDebugInfo;
    CreateDirectoryA(s.project.makeDir.c_str(), nullptr);
    return true;
}

}  // namespace tarvo::bench
