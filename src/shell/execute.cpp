#include "shell/execute.h"

#include "base/messages.h"
#include "base/run_tool.h"
#include "platform/process.h"
#include "platform/text.h"

namespace tarvo::shell {
namespace {

constexpr long kConsoleProgram = 1;  // the scanner's answer for a console program

std::string programOf(const std::string& commandLine) {
    size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    if (commandLine[start] == '"') {
        size_t end = commandLine.find('"', start + 1);
        return commandLine.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    }
    size_t end = commandLine.find_first_of(" \t", start);
    return commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

bool ExecuteProgram(const std::string& root, const std::string& commandLine) {
    std::string program = programOf(commandLine);
    if (program.empty()) return false;
    // Without the scanner the program is simply started.
    std::string scan = base::ToolCommand(root, "pescan.exe") + " /isdos";
    platform::AppendArgument(scan, program);
    platform::RunResult kind = platform::RunAndWait({scan, "", false, kProgramKindTimeoutMs});
    // 1 says console; other codes (an unreadable file) leave the program to start itself.
    bool console = kind.status == platform::RunStatus::Finished && kind.exitCode == kConsoleProgram;
    std::string command = console ? base::ToolCommand(root, "conrun.exe") + " " + commandLine : commandLine;
    unsigned long error = 0;
    if (platform::processBackend().start({command, "", true, 0}, error)) return true;
    base::ErrorBox(Printf(base::GetString(base::kMsgImpossibleToExecute), command.c_str()));
    return false;
}

}  // namespace tarvo::shell
