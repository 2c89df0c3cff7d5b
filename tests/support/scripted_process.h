// A process seam for native tests: records every request and answers each from a handler,
// which may also do what the tool would (write its output file).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace tarvo::test {

struct ScriptedProcess {
    std::vector<platform::ProcessRequest> runs;     // run-and-wait requests, in order
    std::vector<platform::ProcessRequest> started;  // start-only requests
    // Gives the result of a run; by default every program finishes with exit code 0.
    std::function<platform::RunResult(const platform::ProcessRequest&)> handler;
    bool stopRequested = false;
};

ScriptedProcess& InstallScriptedProcess();
void RestoreProcess();

struct ScopedScriptedProcess {
    ScopedScriptedProcess() : process(InstallScriptedProcess()) {}
    ~ScopedScriptedProcess() { RestoreProcess(); }
    ScriptedProcess& process;
};

// The value of "-Fo<file>" in a command line (quotes removed), or empty.
std::string OutputOption(const std::string& commandLine);

}  // namespace tarvo::test
