#include "platform/process.h"

namespace tarvo::platform {
namespace {

RunResult cannotRun(const ProcessRequest&) { return {RunStatus::CannotStart, -1, 0}; }
bool cannotStart(const ProcessRequest&, unsigned long& error) {
    error = 0;
    return false;
}
void noStop() {}

ProcessBackend& current() {
    static ProcessBackend backend{cannotRun, cannotStart, noStop};
    return backend;
}

}  // namespace

const ProcessBackend& processBackend() { return current(); }
void setProcessBackend(const ProcessBackend& backend) { current() = backend; }

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t") == std::string_view::npos)
        return std::string(argument);
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
        return std::string(argument);  // quoted already
    return "\"" + std::string(argument) + "\"";
}

void AppendArgument(std::string& commandLine, std::string_view argument) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += QuoteArgument(argument);
}

}  // namespace tarvo::platform
