#include "project/build_win.h"

#include <windows.h>

#include <memory>
#include <thread>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/messages.h"
#include "base/settings.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "project/project_messages.h"
#include "project/project_state.h"
#include "project/projects.h"

namespace tarvo::project {
namespace {

constexpr UINT kBuildDone = WM_APP + 0x31;
constexpr unsigned kMsgMakeStarted = 4550;  // "Make started"
constexpr unsigned kMsgNoMakeDirectory = 4934;  // "The make directory %s\ndoes not exist..."
constexpr unsigned kMsgMakeMenu = 4935;     // "&Make\tF9"
constexpr unsigned kMsgStopMenu = 4936;     // "Stop build"

struct Finished {
    BuildJob job;
    BuildOutcome outcome;
};

void setMakeText(unsigned id) {
    HMENU menu = GetMenu(base::app().frame);
    if (!menu) return;
    ModifyMenuA(menu, CMD_MAKE, MF_BYCOMMAND | MF_STRING, CMD_MAKE, base::GetString(id));
    DrawMenuBar(base::app().frame);
}

void finish(const Finished& done) {
    ProjectRun& run = projectRun();
    run.build = BuildState::Idle;
    run.returnCode = done.outcome.exitCode;
    run.elapsed = done.outcome.seconds;
    setMakeText(kMsgMakeMenu);
    if (done.outcome.noDirectory) {
        base::ErrorBox(Printf(base::GetString(kMsgNoMakeDirectory), done.job.directory.c_str()));
        return;
    }
    if (!done.outcome.ran) {
        base::ErrorBox(Printf(base::GetString(base::kMsgImpossibleToExecute), done.job.command.c_str()));
        return;
    }
    BuildResults results = ReadResults(done.job, done.outcome);
    // No library search yet: the undefined references are listed as they were said.
    results.lines.insert(results.lines.end() - 1, results.heldBack.begin(), results.heldBack.end());
    if (projectSeam().showMessages) projectSeam().showMessages(results.lines);
}

LRESULT CALLBACK notifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kBuildDone) return DefWindowProcA(window, message, wParam, lParam);
    std::unique_ptr<Finished> done(reinterpret_cast<Finished*>(lParam));
    finish(*done);
    return 0;
}

// A window of the window thread that the build thread reports to.
// The one build thread; joined before a new one starts and when the program ends.
std::thread& buildThread() {
    static std::thread thread;
    return thread;
}

HWND notifier() {
    static HWND window = [] {
        WNDCLASSA c{};
        c.lpfnWndProc = notifierProc;
        c.hInstance = base::app().instance;
        c.lpszClassName = "TarvoBuildNotifier";
        RegisterClassA(&c);
        return CreateWindowA(c.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.hInstance, nullptr);
    }();
    return window;
}

}  // namespace

void StartBuild(BuildKind kind) {
    ProjectRun& run = projectRun();
    if (run.build == BuildState::Running) {
        if (kind == BuildKind::Make) platform::processBackend().requestStop();
        else base::ErrorBoxId(kMsgWaitForMake);
        return;
    }
    base::Settings& s = base::settings();
    std::optional<BuildJob> job = PrepareBuild(s, kind, {});
    if (!job) return;
    HWND report = notifier();
    if (!report) return;
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

void EndBuild() {
    if (!buildThread().joinable()) return;
    if (projectRun().build == BuildState::Running) platform::processBackend().requestStop();
    buildThread().join();
    projectRun().build = BuildState::Idle;
}

}  // namespace tarvo::project
