#include "project/makefile_generation.h"

#include <string_view>
#include <vector>

#include "base/messages.h"
#include "base/run_tool.h"
#include "base/settings.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "project/makefile.h"
#include "project/project_kinds.h"
#include "project/project_messages.h"
#include "project/project_state.h"

namespace tarvo::project {
namespace {

constexpr std::string_view kOwnMakefileMark = "# Tarvo Makefile";
constexpr int kNumberedOutputDirectories = 8;

// The makefile's directory: the first of the make directories.
std::string firstDirectory(const std::string& list) {
    std::vector<std::string> dirs = SplitList(list, ';');
    return dirs.empty() ? list : dirs.front();
}

void applyDefaults(const std::string& name, base::Settings& s) {
    base::ProjectSettings& p = s.project;
    if (p.includes.empty()) p.includes = s.compilerRoot + "\\include";
    if (p.sourcesDir.empty()) p.sourcesDir = p.projectPath;
    if (p.errorFile.empty())
        p.errorFile = (p.makeDir.empty() ? std::string(".") : firstDirectory(p.makeDir)) + "\\" + name + ".err";
}

bool giveMakeSettings(const std::string& name, base::Settings& s) {
    base::ProjectSettings& p = s.project;
    if (p.sourcesDir.empty()) p.sourcesDir = platform::CurrentDirectory();
    if (!PrepareOutputDirectory(p.sourcesDir, p.makeDir)) return false;
    p.makeName = s.compilerRoot + "\\bin\\make.exe";
    p.compilerFlags |= kFlagDebugInfo;
    if (IsDll(p.compilerFlags) && p.dllEntry.empty()) p.dllEntry = kDefaultDllEntry;
    p.debuggerDir = p.makeDir;
    p.errorFile = p.makeDir + "\\" + name + ".err";
    if (p.includes.empty()) p.includes = s.includePath;
    p.makeArgs.clear();
    p.exe = name + KindExtension(p.compilerFlags);
    if (p.exe.find(".exe") != std::string::npos) p.debuggerExeName = p.exe;
    return true;
}

bool makeDirectoriesExist(const std::string& list) {
    for (const std::string& dir : SplitList(list, ';')) {
        if (platform::DirectoryExists(dir)) continue;
        if (!base::Confirm(Printf(base::GetString(kMsgCreateDirectory), dir.c_str()))) return false;
        if (!platform::MakeDirectory(dir)) {
            base::ErrorBox(Printf(base::GetString(kMsgCannotCreate), dir.c_str()));
            return false;
        }
    }
    return true;
}

// A makefile that is not ours is kept as Makefile.old, never overwritten.
bool keepForeignMakefile(const std::string& makeDir, const std::string& makefile) {
    std::string first;
    if (!platform::FileExists(makefile)) return true;
    if (platform::ReadFirstLine(makefile, kOwnMakefileMark.size(), first) && first == kOwnMakefileMark) return true;
    std::string old = makeDir + "\\Makefile.old";
    if (!platform::RenameFile(makefile, old)) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), old.c_str()));
        return false;
    }
    base::ErrorBox(Printf(base::GetString(kMsgMakefileRenamed), makeDir.c_str(), (makeDir + "\\").c_str()));
    return true;
}

// One source's dependencies through the compiler, in a scratch file of its own that is gone
// before and after.
struct DependencyScan {
    const std::string& root;
    const std::string& workDir;
    bool scan(const std::string& options, const std::string& source, std::vector<std::string>& out) {
        if (!platform::FileExists(source)) return true;
        std::string list = platform::UnusedFileName(platform::TempDirectory(), "dep");
        std::string command = DependencyCommand(root, list, options, source);
        platform::RunResult r = platform::RunAndWait({command, workDir, false, kScanTimeoutMs});
        bool ran = r.status == platform::RunStatus::Finished && r.exitCode == 0;
        bool read = ran && readList(list, out);
        platform::RemoveFile(list);
        if (read || r.status == platform::RunStatus::Stopped) return read;
        if (ran) {
            base::ErrorBox(Printf(base::GetString(kMsgNoDependencyList), list.c_str()));
            return false;
        }
        if (r.status == platform::RunStatus::TimedOut) {
            base::ErrorBox(Printf(base::GetString(base::kMsgToolTimedOut), "vex.exe"));
            return false;
        }
        long code = r.status == platform::RunStatus::Finished ? r.exitCode : static_cast<long>(r.systemError);
        base::ErrorBox(Printf(base::GetString(kMsgScanFailed), command.c_str(), static_cast<int>(code)));
        return false;
    }
    static bool readList(const std::string& path, std::vector<std::string>& out) {
        platform::FileContent content;
        if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) return false;
        std::string_view text(content.data.get(), content.size);
        while (!text.empty()) {
            size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
            if (!line.empty()) out.emplace_back(line);
            if (end == std::string_view::npos) break;
            text.remove_prefix(end + 1);
        }
        return true;
    }
};

bool writeWhole(const std::string& path, const std::string& text) {
    platform::ReplaceFile out;
    bool ok = platform::BeginReplace(out, path) == platform::ReplaceStatus::Ok &&
              platform::WriteReplace(out, text.data(), text.size()) &&
              platform::FinishReplace(out) == platform::ReplaceStatus::Ok;
    if (!ok) base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), path.c_str()));
    return ok;
}

}  // namespace

bool PrepareOutputDirectory(const std::string& sourcesDir, std::string& makeDir) {
    if (!makeDir.empty()) return true;
    std::string base = (sourcesDir.empty() ? platform::CurrentDirectory() : sourcesDir) + "\\vex";
    for (int n = 0; n <= kNumberedOutputDirectories; ++n) {
        std::string dir = n == 0 ? base : base + std::to_string(n);
        if (platform::DirectoryExists(dir) || platform::FileExists(dir)) continue;
        if (!platform::MakeDirectory(dir)) break;
        makeDir = dir;
        if (n > 0) base::InfoBox(Printf(base::GetString(kMsgProjectDirectoryIs), dir.c_str()));
        return true;
    }
    base::ErrorBox(Printf(base::GetString(kMsgNoSubdirectory), sourcesDir.c_str()));
    return false;
}

bool GenerateMakefile(base::Settings& s, const GenerationUi& ui) {
    if (!s.projectActive()) {
        base::ErrorBoxId(kMsgNoProject);
        return false;
    }
    const std::string name = s.currentProject;
    base::ProjectSettings& p = s.project;
    applyDefaults(name, s);
    if (SameText(p.sourcesDir, s.compilerRoot + "\\bin"))
        base::InfoBox(Printf(base::GetString(kMsgSourcesInBin), p.sourcesDir.c_str()));
    BuildStateScope generating(BuildState::Generating);
    bool given = !p.hasMakeSettings();
    if (given && !giveMakeSettings(name, s)) return false;
    if (!makeDirectoriesExist(p.makeDir)) return false;

    std::string makeDir = firstDirectory(p.makeDir);
    std::string makefile = makeDir + "\\Makefile";
    if (ui.closeWindowOf && !ui.closeWindowOf(makefile)) return false;
    if (!keepForeignMakefile(makeDir, makefile)) return false;

    if (ui.begin) ui.begin(Printf(base::GetString(kMsgBuildingMakefile), name.c_str()));
    DependencyScan scanner{s.compilerRoot, p.sourcesDir};
    MakefileHooks hooks;
    hooks.scan = [&](const std::string& options, const std::string& source, std::vector<std::string>& out) {
        return scanner.scan(options, source, out);
    };
    hooks.progress = [&](const std::string& file) {
        if (ui.progress) ui.progress(Printf(base::GetString(kMsgProcessing), file.c_str()));
    };
    hooks.defineProcessor = ui.defineProcessor;
    MakefileResult made;
    bool ok = ComposeMakefile(name, s.compilerRoot, p, hooks, made) && writeWhole(makefile, made.text);
    if (ui.end) ui.end();
    if (!ok) return false;
    ProjectRun& run = projectRun();
    run.resourceFile = made.resourceFile;
    run.objects = made.objects;
    run.changed = false;
    // Make settings given now are stored at once, not only at exit.
    if (given) base::WriteSettings(s);
    return true;
}

bool RefusedWhileBusy() {
    BuildState state = projectRun().build;
    if (state == BuildState::Idle) return false;
    base::ErrorBoxId(state == BuildState::Running ? kMsgWaitForMake : kMsgMakefileBusy);
    return true;
}

bool GenerateMakefileCommand(base::Settings& s, const GenerationUi& ui) {
    if (RefusedWhileBusy()) return false;
    if (s.projectActive() && (s.project.projectFlags & base::kProjectEiffel)) return false;
    if (!GenerateMakefile(s, ui)) return false;
    base::WriteProjectLists(s);
    platform::ui().statusText(base::GetString(kMsgMakefileDone));
    return true;
}

}  // namespace tarvo::project
