#include "scripted_process.h"

#include <optional>

namespace tarvo::test {
namespace {

std::optional<platform::ProcessBackend> saved;
ScriptedProcess* current = nullptr;

platform::RunResult run(const platform::ProcessRequest& r) {
    current->runs.push_back(r);
    if (current->handler) return current->handler(r);
    return {platform::RunStatus::Finished, 0, 0};
}

bool start(const platform::ProcessRequest& r, unsigned long& error) {
    current->started.push_back(r);
    error = 0;
    return true;
}

void stop() { current->stopRequested = true; }

}  // namespace

ScriptedProcess& InstallScriptedProcess() {
    if (!saved) saved = platform::processBackend();
    static ScriptedProcess record;
    record = ScriptedProcess{};
    current = &record;
    platform::setProcessBackend({run, start, stop});
    return record;
}

void RestoreProcess() {
    if (saved) platform::setProcessBackend(*saved);
    saved.reset();
    current = nullptr;
}

std::string OutputOption(const std::string& commandLine) {
    size_t at = commandLine.find("-Fo");
    if (at == std::string::npos) return {};
    bool quoted = at > 0 && commandLine[at - 1] == '"';
    size_t start = at + 3;
    size_t end = commandLine.find(quoted ? '"' : ' ', start);
    return commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace tarvo::test
