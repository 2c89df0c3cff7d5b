#include "project/build.h"

#include <chrono>

#include "base/messages.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "project/build_messages.h"
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
    if (projectSeam().saveModified && !projectSeam().saveModified()) return std::nullopt;
    base::ProjectSettings& p = s.project;
    if (p.makeDir.empty() || !platform::FileExists(p.makeDir + "\\Makefile")) {
        if (!base::ConfirmId(kMsgNoMakefile)) return std::nullopt;
        if (!GenerateMakefile(s, ui)) return std::nullopt;
        base::WriteProjectLists(s);
    }
    if (p.errorFile.empty()) p.errorFile = p.makeDir + "\\" + s.currentProject + ".err";
    if (!ValidMessageFile(p.errorFile)) {
        base::ErrorBox(Printf(base::GetString(kMsgBadMessageFile), p.errorFile.c_str()));
        return std::nullopt;
    }
    base::WriteSettings(s);
    BuildJob job;
    job.directory = p.makeDir;
    job.messageFile = platform::IsAbsolutePath(p.errorFile) ? p.errorFile : p.makeDir + "\\" + p.errorFile;
    // Link runs make's link target for this build only; the project's make program stays.
    job.command = kind == BuildKind::Link ? platform::QuoteArgument(s.compilerRoot + "\\bin\\make.exe") + " link"
                  : p.makeName.empty()    ? std::string("make")
                                          : p.makeName;
    job.executable = TargetName(s.currentProject, p);
    return job;
}

BuildOutcome RunBuild(const BuildJob& job) {
    BuildOutcome outcome;
    platform::RemoveFile(job.messageFile);
    if (!platform::DirectoryExists(job.directory)) {
        outcome.noDirectory = true;
        return outcome;
    }
    auto start = std::chrono::steady_clock::now();
    platform::RunResult r = platform::RunAndWait({job.command, job.directory, false, 0, job.messageFile});
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.ran = r.status == platform::RunStatus::Finished || r.status == platform::RunStatus::Stopped;
    outcome.exitCode = r.status == platform::RunStatus::Finished ? r.exitCode : -1;
    return outcome;
}

BuildResults ReadResults(const BuildJob& job, const BuildOutcome& outcome) {
    BuildResults results;
    platform::FileContent content;
    if (platform::ReadWholeFile(job.messageFile, content) != platform::ReadStatus::Ok) {
        results.lines.push_back(Printf(base::GetString(kMsgNoDiagnostics), job.messageFile.c_str()));
        return results;
    }
    MessageFile read = ReadMessages(std::string_view(content.data.get(), content.size));
    results.lines = std::move(read.lines);
    results.undefinedSymbols = std::move(read.undefinedSymbols);
    results.heldBack = std::move(read.undefinedLines);
    if (read.tooBig) base::ErrorBox(Printf(base::GetString(kMsgTooBig), job.messageFile.c_str()));
    bool empty = content.size == 0;
    for (std::string& line : ClosingLines(empty, job.executable, outcome.seconds, outcome.exitCode))
        results.lines.push_back(std::move(line));
    return results;
}

}  // namespace tarvo::project
