#include "base/run_tool.h"

#include "base/messages.h"
#include "platform/text.h"

namespace tarvo::base {

inline constexpr unsigned kMsgNoExitCode = 437;  // "Impossible to get the exit code for command\n%s"

bool RunTool(const platform::ProcessRequest& request, const std::string& toolName, long& exitCode) {
    platform::RunResult r = platform::RunAndWait(request);
    exitCode = r.exitCode;
    switch (r.status) {
    case platform::RunStatus::Finished: return true;
    case platform::RunStatus::CannotStart:
        ErrorBox(Printf(GetString(kMsgImpossibleToExecute), request.commandLine.c_str()));
        break;
    case platform::RunStatus::TimedOut:
        ErrorBox(Printf(GetString(kMsgToolTimedOut), toolName.c_str()));
        break;
    case platform::RunStatus::NoExitCode:
        ErrorBox(Printf(GetString(kMsgNoExitCode), request.commandLine.c_str()));
        break;
    case platform::RunStatus::Stopped: break;
    }
    return false;
}

std::string ToolCommand(const std::string& root, const char* tool) {
    return platform::QuoteArgument(root + "\\bin\\" + tool);
}

}  // namespace tarvo::base
