// The seam through which the core runs other programs: run and wait (with a working
// directory, a time-out, the window kept alive and a Stop possible), or start without
// waiting. The program installs the Win32 implementation at start-up; native tests install a
// scripted one.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace tarvo::platform {

// A stop meant for one run, from any thread. It holds from the moment it is asked, so a stop
// asked before the program has even started ends that run as soon as it does.
struct StopFlag {
    std::atomic<bool> requested{false};
};

struct ProcessRequest {
    std::string commandLine;
    std::string directory;      // current directory of the new process; empty: ours
    bool shown = false;         // a window of its own, or hidden
    unsigned long timeoutMs = 0;  // 0: no time-out
    std::string errorFile = {};   // receives the program's standard error; empty: none
    std::shared_ptr<const StopFlag> stop = {};  // this run's own stop, beside requestStop
};

enum class RunStatus {
    Finished,     // exitCode holds the program's exit code
    CannotStart,  // systemError says why
    TimedOut,     // the program was ended after the time-out
    Stopped,      // the user asked to stop; the program was ended
    NoExitCode,   // it ended, but its exit code could not be read
};

struct RunResult {
    RunStatus status = RunStatus::CannotStart;
    long exitCode = -1;
    unsigned long systemError = 0;
};

struct ProcessBackend {
    RunResult (*runAndWait)(const ProcessRequest& request);
    // Starts the program and returns at once; false (with systemError set) when it cannot.
    bool (*start)(const ProcessRequest& request, unsigned long& systemError);
    // Asks the current runAndWait (of any thread) to end its program, with every program it
    // started, and return Stopped.
    void (*requestStop)();
};

// The installed implementation; before anything is installed, nothing can start.
const ProcessBackend& processBackend();
void setProcessBackend(const ProcessBackend& backend);

inline RunResult RunAndWait(const ProcessRequest& request) {
    return processBackend().runAndWait(request);
}

// One argument of a command line: in double quotes when it holds a blank or a tab (or is
// empty), as is otherwise. Windows passes the quotes to the program's own parser, which
// takes a quoted name whole.
std::string QuoteArgument(std::string_view argument);

// Appends " <argument>" (quoted as needed) to a command line.
void AppendArgument(std::string& commandLine, std::string_view argument);

}  // namespace tarvo::platform
