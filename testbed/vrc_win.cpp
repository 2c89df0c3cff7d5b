// vrc.exe, the compiler system's resource compiler:
//
//   vrc [-I<dir>] ... <file>.rc
//
// writes <current directory>\<base name, lower-cased>.res through the mingw windres of its own
// build's machine. The .res is a COFF object, which the linker takes as it stands. Errors go to
// stderr as "<file>(<line>) : error <text>". Exit status: 0 done; 1 errors in the script, or
// TARVO_TOOL_FAIL asks; 2 windres cannot be run; 3 a wrong command line.
#include <windows.h>

#include <cstdio>

#include "bridge_win.h"
#include "standin_core.h"
#include "standin_win.h"
#include "vexlnk_core.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "vrc : error %s\n", text.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("vrc")) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
    VrcCommand command = ParseVrcArguments(Arguments(argc, argv));
    if (!command.problem.empty()) return Fail(3, command.problem);
    std::string base = command.script.substr(command.script.find_last_of("\\/:") + 1);
    base = Lower(base.substr(0, base.rfind('.')));
    std::string output = CurrentDirectory() + "\\" + base + ".res";
    std::string problem;
    std::vector<std::string> windres = WindresCommand(command, output, kWideBuild, UnixPath, problem);
    if (!problem.empty()) return Fail(3, problem);
    LinuxRun run = RunLinuxHere(windres);
    if (!run.problem.empty()) return Fail(2, run.problem);
    std::fputs(ResourceMessages(run.errors + run.output, WindowsPath).c_str(), stderr);
    return run.exitCode == 0 ? 0 : 1;
}
