#include "project/build.h"

#include <chrono>

#include "base/messages.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "project/build_messages.h"
#include "project/eiffel.h"
#include "project/makefile.h"
#include "project/project_messages.h"
#include "project/project_state.h"
#include "project/projects.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgTooBig = 411;            // "Message file %s too big"
constexpr unsigned kMsgNoDiagnostics = 432;     // "Diagnostics file %s doesn't exist"
constexpr unsigned kMsgBadMessageFile = 410;    // "Message file name %s incorrect"

// Names the build must never overwrite: sources, headers and what the project keeps.
constexpr const char* kKeptExtensions[] = {".c", ".h", ".rc", ".cpp", ".asm", ".f", ".e", ".def", ".prj",
                                           ".exe", ".dll", ".lib", ".obj", ".res", ".mak"};

}  // namespace

bool ValidMessageFile(const std::string& name) {
    size_t slash = name.find_last_of("\\/");
    std::string base = Lower(slash == std::string::npos ? name : name.substr(slash + 1));
    if (base.empty() || base == "makefile") return false;
    size_t dot = base.rfind('.');
    if (dot == std::string::npos) return true;
    std::string extension = base.substr(dot);
    for (const char* kept : kKeptExtensions)
        if (extension == kept) return false;
    return true;
}

BuildJob CurrentJob(const base::Settings& s, BuildKind kind) {
    const base::ProjectSettings& p = s.project;
    std::string errorFile = p.errorFile.empty() ? p.makeDir + "\\" + s.currentProject + ".err" : p.errorFile;
    BuildJob job;
    job.directory = p.makeDir;
    job.messageFile = platform::IsAbsolutePath(errorFile) ? errorFile : p.makeDir + "\\" + errorFile;
    // Link runs make's link target for this build only; the project's make program stays.
    job.command = kind == BuildKind::Link ? platform::QuoteArgument(s.compilerRoot + "\\bin\\make.exe") + " link"
                  : p.makeName.empty()    ? std::string("make")
                                          : p.makeName;
    job.executable = TargetName(s.currentProject, p);
    if (p.projectFlags & base::kProjectEiffel) {
        // Eiffel classes are built by the Eiffel compiler's driver, not by make.
        job.command = EiffelCompileCommand(p);
        job.directory = EiffelDirectory(p);
        job.executable = p.exe.empty() ? p.eiffelRootClass + ".exe" : p.exe;
    }
    return job;
}

std::optional<BuildJob> PrepareBuild(base::Settings& s, BuildKind kind, const GenerationUi& ui) {
    ProjectRun& run = projectRun();
    // Whatever ends the command early, no earlier build counts as current.
    run.returnCode = -1;
    if (!s.projectActive()) {
        base::ErrorBoxId(kMsgNoProject);
        return std::nullopt;
    }
    if (run.build == BuildState::Generating) {
        base::ErrorBoxId(kMsgMakefileBusy);
        return std::nullopt;
    }
    ProjectSeam& seam = projectSeam();
    if ((s.editorFlags & base::kEditorSaveBeforeBuild) && seam.saveAll && !seam.saveAll()) return std::nullopt;
    if (seam.saveModified && !seam.saveModified()) return std::nullopt;
    base::ProjectSettings& p = s.project;
    bool eiffel = p.projectFlags & base::kProjectEiffel;
    if (!eiffel && (p.makeDir.empty() || !platform::FileExists(p.makeDir + "\\Makefile"))) {
        if (!base::ConfirmId(kMsgNoMakefile)) return std::nullopt;
        if (!GenerateMakefile(s, ui)) return std::nullopt;
        base::WriteProjectLists(s);
    }
    if (p.errorFile.empty())
        p.errorFile = (eiffel && p.makeDir.empty() ? EiffelDirectory(p) : p.makeDir) + "\\" + s.currentProject + ".err";
    if (!ValidMessageFile(p.errorFile)) {
        base::ErrorBox(Printf(base::GetString(kMsgBadMessageFile), p.errorFile.c_str()));
        return std::nullopt;
    }
    base::WriteSettings(s);
    return CurrentJob(s, kind);
}

BuildOutcome RunBuild(const BuildJob& job) {
    BuildOutcome outcome;
    outcome.messageFile = job.messageFile;
    platform::RemoveFile(job.messageFile);
    if (!platform::DirectoryExists(job.directory)) {
        outcome.noDirectory = true;
        return outcome;
    }
    // Made empty first, so a message file that cannot be written is known before make runs.
    auto writable = [](const std::string& path) {
        platform::RemoveFile(path);
        return platform::CreateExclusive(path, "");
    };
    if (!writable(outcome.messageFile)) {
        outcome.messageFileMoved = true;
        outcome.messageFile = job.directory + "\\errout.err";
        if (!writable(outcome.messageFile)) {
            outcome.noMessageFile = true;
            return outcome;
        }
    }
    auto start = std::chrono::steady_clock::now();
    platform::RunResult r = platform::RunAndWait({job.command, job.directory, false, 0, outcome.messageFile, job.stop});
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.ran = r.status == platform::RunStatus::Finished || r.status == platform::RunStatus::Stopped;
    outcome.exitCode = r.status == platform::RunStatus::Finished ? r.exitCode : -1;
    return outcome;
}

BuildResults ReadResults(const BuildJob& job, const BuildOutcome& outcome) {
    BuildResults results;
    platform::FileContent content;
    const std::string& file = outcome.messageFile.empty() ? job.messageFile : outcome.messageFile;
    if (platform::ReadWholeFile(file, content) != platform::ReadStatus::Ok) {
        results.lines.push_back(Printf(base::GetString(kMsgNoDiagnostics), file.c_str()));
        return results;
    }
    MessageFile read = ReadMessages(std::string_view(content.data.get(), content.size));
    results.lines = std::move(read.lines);
    results.undefinedSymbols = std::move(read.undefinedSymbols);
    results.heldBack = std::move(read.undefinedLines);
    if (read.tooBig) base::ErrorBox(Printf(base::GetString(kMsgTooBig), file.c_str()));
    bool empty = content.size == 0;
    for (std::string& line : ClosingLines(empty, job.executable, outcome.seconds, outcome.exitCode))
        results.lines.push_back(std::move(line));
    return results;
}

std::vector<std::string> ProducedObjects(std::string_view makefile) {
    std::vector<std::string> objects;
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < makefile.size();) {
        size_t end = makefile.find('\n', start);
        if (end == std::string_view::npos) end = makefile.size();
        std::string_view line = makefile.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty() || line[0] == '\t' || line[0] == '#' || !lines[i + 1].starts_with('\t')) continue;
        // The target: a quoted name, or up to the rule's colon (a drive letter's colon is
        // followed by a backslash).
        std::string target;
        if (line[0] == '"') {
            size_t close = line.find('"', 1);
            if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != ':') continue;
            target = std::string(line.substr(1, close - 1));
        } else {
            size_t colon = 0;
            while ((colon = line.find(':', colon)) != std::string_view::npos && colon + 1 < line.size() &&
                   line[colon + 1] == '\\')
                ++colon;
            if (colon == std::string_view::npos) continue;
            target = std::string(line.substr(0, colon));
            if (target.find_first_of(" =\t") != std::string::npos) continue;  // a macro, not a rule
        }
        if (Lower(target).ends_with(".obj")) objects.push_back(target);
    }
    return objects;
}

bool DeleteObjects(const base::Settings& s, int& deleted) {
    deleted = 0;
    const base::ProjectSettings& p = s.project;
    if (!s.projectActive()) {
        base::ErrorBoxId(kMsgNoProject);
        return false;
    }
    if (!p.hasMakeSettings() || p.makeDir.empty()) {
        base::ErrorBoxId(kMsgNoMakeParameters);
        return false;
    }
    platform::FileContent content;
    std::vector<std::string> objects;
    if (platform::ReadWholeFile(p.makeDir + "\\Makefile", content) == platform::ReadStatus::Ok)
        objects = ProducedObjects(std::string_view(content.data.get(), content.size));
    if (objects.empty() && p.files.empty()) {
        base::ErrorBoxId(kMsgNoObjectFiles);
        return false;
    }
    bool told = false;
    for (const std::string& object : objects) {
        std::string path = platform::IsAbsolutePath(object) ? object : p.makeDir + "\\" + Lower(object);
        if (!platform::FileExists(path)) continue;
        if (platform::RemoveFile(path)) {
            ++deleted;
        } else if (!told) {
            told = true;
            base::ErrorBox(Printf(base::GetString(kMsgCannotDelete), path.c_str()));
        }
    }
    return true;
}

std::string UpToDateCommand(const std::string& root) {
    return platform::QuoteArgument(root + "\\bin\\make.exe") + " -q";
}

bool WantsUpToDateCheck(const base::Settings& s) {
    return s.projectActive() && s.project.hasMakeSettings() && !s.project.makeDir.empty() &&
           (s.editorFlags & base::kEditorTestUpToDate) && !(s.project.projectFlags & base::kProjectEiffel);
}

}  // namespace tarvo::project
