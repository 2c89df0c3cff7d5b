#include "project/build_win.h"

#include <windows.h>

#include <memory>
#include <thread>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/key_accelerators_win.h"
#include "base/messages.h"
#include "base/run_tool.h"
#include "base/settings.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "project/eiffel.h"
#include "project/missing_libraries.h"
#include "project/project_messages.h"
#include "project/project_state.h"
#include "project/projects.h"
#include "resource_ids.h"

namespace tarvo::project {
namespace {

constexpr UINT kBuildDone = WM_APP + 0x31;
constexpr unsigned kMsgMakeStarted = 4550;      // "Make started"
constexpr unsigned kMsgNoMakeDirectory = 4934;  // "The make directory %s\ndoes not exist..."
constexpr unsigned kMsgMakeMenu = 4935;         // "&Make\tF9"
constexpr unsigned kMsgStopMenu = 4936;         // "Stop build"
constexpr DWORD kSettleMs = 500;
constexpr unsigned long kCleanTimeoutMs = 5 * 60 * 1000;                // before and after waiting for a build to end

struct Finished {
    BuildJob job;
    BuildOutcome outcome;
};

// Set while the program ends: a report arriving then is dropped, nothing is shown.
bool ending = false;
// The running build's stop; Make while it runs sets it.
std::shared_ptr<platform::StopFlag> runningStop;

void setMakeText(unsigned id) {
    HMENU menu = GetMenu(base::app().frame);
    if (!menu) return;
    std::string text = base::MenuTextWithKeys(base::GetString(id), CMD_MAKE);  // F9 may be rebound
    ModifyMenuA(menu, CMD_MAKE, MF_BYCOMMAND | MF_STRING, CMD_MAKE, text.c_str());
    DrawMenuBar(base::app().frame);
}

// The symbol index of the compiler system, taken from its own bin folder only: a DLL of that
// name in the make directory must not be run.
int lookUp(FARPROC find, const std::string& symbol, std::string& library, std::string& detail) {
    using FindApi = int (*)(const char*, char*, char*);
    char lib[256] = "", second[256] = "";
    int found = reinterpret_cast<FindApi>(reinterpret_cast<void*>(find))(symbol.c_str(), lib, second);
    lib[sizeof lib - 1] = second[sizeof second - 1] = '\0';
    library = lib;
    detail = second;
    return found;
}

bool confirmLibraries(const std::vector<std::string>& lines) {
    base::DialogPlan plan{
        [&](HWND dialog) {
            for (const std::string& line : lines)
                SendDlgItemMessageA(dialog, IDC_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        },
        [](HWND) -> INT_PTR { return IDOK; }};
    return base::RunDialog(IDD_MISSING_LIBRARIES, plan) == IDOK;
}

// The missing-libraries search for the undefined symbols of a link; true when libraries were
// added to the project.
bool addMissingLibraries(const std::vector<std::string>& symbols) {
    base::Settings& s = base::settings();
    HMODULE index = LoadLibraryA((s.compilerRoot + "\\bin\\apilist.dll").c_str());
    if (!index) return false;
    FARPROC find = GetProcAddress(index, "_FindApi");
    MissingLibraries found;
    if (find)
        found = FindMissingLibraries(
            symbols, [&](const std::string& symbol, std::string& library,
                         std::string& detail) { return lookUp(find, symbol, library, detail); },
            [&](const std::string& library) { return platform::FileExists(s.compilerRoot + "\\lib\\" + library); },
            s.project.libraries);
    FreeLibrary(index);
    if (found.candidates.empty() || !confirmLibraries(found.lines)) return false;
    s.project.libraries = AddLibraries(s.project.libraries, found.candidates);
    base::WriteSettings(s);
    switch (UpdateMakefileLibs(s.project.makeDir, s.project)) {
    case LibsUpdate::Rewritten: base::InfoBox(base::GetString(kMsgLibsAdded)); break;
    case LibsUpdate::NoLibsLine: base::InfoBox(base::GetString(kMsgLibsAddedRegenerate)); break;
    case LibsUpdate::Failed:
        base::ErrorBox(Printf(base::GetString(kMsgCannotUpdateMakefile), (s.project.makeDir + "\\Makefile").c_str()));
        break;
    }
    return true;
}

void showResults(const BuildJob& job, const BuildOutcome& outcome) {
    BuildResults results = ReadResults(job, outcome);
    bool added = !results.undefinedSymbols.empty() && addMissingLibraries(results.undefinedSymbols);
    // Without new libraries the undefined references are listed as the linker said them.
    if (!added && !results.lines.empty())
        results.lines.insert(results.lines.end() - 1, results.heldBack.begin(), results.heldBack.end());
    if (projectSeam().showMessages) projectSeam().showMessages(results.lines);
}

void finish(const Finished& done) {
    ProjectRun& run = projectRun();
    run.build = BuildState::Idle;
    run.returnCode = done.outcome.exitCode;
    run.elapsed = done.outcome.seconds;
    if (ending) return;
    setMakeText(kMsgMakeMenu);
    if (done.outcome.noDirectory) {
        base::ErrorBox(Printf(base::GetString(kMsgNoMakeDirectory), done.job.directory.c_str()));
        return;
    }
    if (done.outcome.messageFileMoved) {
        std::string moved = Printf(base::GetString(kMsgCannotWriteMessages), done.job.messageFile.c_str()) +
                            Printf(base::GetString(kMsgDefaultingTo), done.job.directory.c_str());
        base::ErrorBox(Lower(moved));
        if (done.outcome.noMessageFile) {
            base::ErrorBoxId(kMsgEnvironmentBroken);
            return;
        }
        base::settings().project.errorFile = done.outcome.messageFile;
    }
    if (!done.outcome.ran) {
        base::ErrorBox(Printf(base::GetString(base::kMsgImpossibleToExecute), done.job.command.c_str()));
        return;
    }
    showResults(done.job, done.outcome);
}

LRESULT CALLBACK notifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kBuildDone) return DefWindowProcA(window, message, wParam, lParam);
    std::unique_ptr<Finished> done(reinterpret_cast<Finished*>(lParam));
    finish(*done);
    return 0;
}

// The one build thread; joined before a new one starts and when the program ends.
std::thread& buildThread() {
    static std::thread thread;
    return thread;
}

// A window of the window thread that the build thread reports to.
HWND notifier() {
    static HWND window = [] {
        const char* name = "TarvoBuildNotifier";
        base::RegisterWindowClass({.name = name, .procedure = notifierProc, .background = nullptr});
        return CreateWindowA(name, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, base::app().instance, nullptr);
    }();
    return window;
}

void handleMessagesUntilIdle() {
    MSG msg;
    while (projectRun().build != BuildState::Idle) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

void StartBuild(BuildKind kind) {
    ProjectRun& run = projectRun();
    if (run.build == BuildState::Running) {
        if (kind == BuildKind::Make && runningStop) runningStop->requested = true;
        else base::ErrorBoxId(kMsgWaitForMake);
        return;
    }
    base::Settings& s = base::settings();
    std::optional<BuildJob> job = PrepareBuild(s, kind, {});
    if (!job) return;
    HWND report = notifier();
    if (!report) return;
    ending = false;
    runningStop = job->stop;
    run.build = BuildState::Running;
    setMakeText(kMsgStopMenu);
    if (projectSeam().showMessages) projectSeam().showMessages({});
    platform::ui().statusText(base::GetString(kMsgMakeStarted));
    if (buildThread().joinable()) buildThread().join();  // ended: its report came
    buildThread() = std::thread([job = *job, report] {
        auto done = std::make_unique<Finished>(Finished{job, RunBuild(job)});
        if (PostMessageA(report, kBuildDone, 0, reinterpret_cast<LPARAM>(done.get()))) done.release();
    });
}

void ShowLastResults() {
    const base::Settings& s = base::settings();
    if (!s.projectActive()) {
        base::ErrorBoxId(kMsgNoProject);
        return;
    }
    if (projectRun().build == BuildState::Running) {
        base::ErrorBoxId(kMsgWaitForMake);
        return;
    }
    BuildOutcome last;
    last.ran = true;
    last.exitCode = projectRun().returnCode;
    last.seconds = projectRun().elapsed;
    showResults(CurrentJob(s), last);
}

void RebuildAll() {
    if (projectRun().build != BuildState::Idle) {
        base::ErrorBoxId(projectRun().build == BuildState::Running ? kMsgWaitForMake : kMsgMakefileBusy);
        return;
    }
    const base::Settings& s = base::settings();
    if (s.projectActive() && (s.project.projectFlags & base::kProjectEiffel)) {
        // The Eiffel compiler's own clean removes what it generated; then a build as usual.
        std::string clean = EiffelCleanCommand(s.project);
        if (clean.empty()) return;
        long exitCode = 0;
        if (!base::RunTool({clean, EiffelDirectory(s.project), false, kCleanTimeoutMs}, "clean", exitCode)) return;
        PostMessageA(base::app().frame, WM_COMMAND, CMD_MAKE, 0);
        return;
    }
    int deleted = 0;
    if (!DeleteObjects(s, deleted)) return;
    if (deleted > 0) {
        std::vector<std::string> line{Printf(base::GetString(kMsgObjectsDeleted), deleted)};
        if (projectSeam().showMessages) projectSeam().showMessages(line);
    }
    PostMessageA(base::app().frame, WM_COMMAND, CMD_MAKE, 0);
}

bool MayStartDebugging(const std::string& program) {
    base::Settings& s = base::settings();
    if (!WantsUpToDateCheck(s)) return true;
    platform::RunResult check = platform::RunAndWait({UpToDateCommand(s.compilerRoot), s.project.makeDir, false, 0, {}});
    if (check.status != platform::RunStatus::Finished || check.exitCode != kOutOfDate) return true;
    if (!base::Confirm(Printf(base::GetString(kMsgNotUpToDate), program.c_str()))) return true;
    StartBuild(BuildKind::Make);
    Sleep(kSettleMs);
    handleMessagesUntilIdle();
    Sleep(kSettleMs);
    return projectRun().returnCode == 0;
}

bool MayExitWhileBuilding() {
    switch (projectRun().build) {
    case BuildState::Idle: return true;
    case BuildState::Generating: base::ErrorBoxId(kMsgMakefileBusy); return false;
    case BuildState::Running: break;
    }
    if (!base::ConfirmId(kMsgStopBuildAndExit)) return false;
    EndBuild();
    return true;
}

void EndBuild() {
    if (!buildThread().joinable()) return;
    ending = true;
    if (projectRun().build == BuildState::Running && runningStop) runningStop->requested = true;
    buildThread().join();
    projectRun().build = BuildState::Idle;
    setMakeText(kMsgMakeMenu);
}

}  // namespace tarvo::project
