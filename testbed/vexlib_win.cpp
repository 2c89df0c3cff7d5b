// vexlib.exe, the compiler system's librarian:
//
//   vexlib /OUT:<library> <objects>
//
// writes the library anew (an older one is replaced, not updated) through the mingw ar of its
// own build's machine. Exit status: 0 done; 1 ar failed, or TARVO_TOOL_FAIL asks; 2 ar cannot
// be run; 3 a wrong command line.
#include <windows.h>

#include <cstdio>

#include "bridge_win.h"
#include "standin_win.h"
#include "vexlnk_core.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "Error vexlib: %s\n", text.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("vexlib")) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
    std::string library, problem;
    std::vector<std::string> ar = ArCommand(Arguments(argc, argv), kWideBuild, UnixPath, library, problem);
    if (!problem.empty()) return Fail(3, problem);
    // ar would keep members of an older library that are no longer listed.
    if (!DeleteFileA(library.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
        return Fail(1, "cannot replace " + library);
    LinuxRun run = RunLinuxHere(ar);
    if (!run.problem.empty()) return Fail(2, run.problem);
    std::string messages = run.errors + run.output;
    if (!messages.empty()) std::fprintf(stderr, "Error vexlib: %s", messages.c_str());
    return run.exitCode == 0 ? 0 : 1;
}
