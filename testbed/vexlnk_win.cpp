// vexlnk.exe, the compiler system's linker. This stand-in hands the work to the mingw gcc driver
// (and GNU ld) of its own build's machine: i686-w64-mingw32-gcc, or x86_64-w64-mingw32-gcc in
// the 64-bit build.
//
//   vexlnk [-s] [-dll] [-entry <symbol>] [-subsystem console|windows] [-map <file>]
//          [-nounderscores] [-L <dir>] -o <output> <objects> <.res files> <libraries>
//
// A ".res" from vrc is a COFF object and is linked as one. A library named without a directory
// is looked for in the working directory, the -L directories and the root's lib folder; when
// it is in none of them it is the toolchain's own import library (winmm.lib: -lwinmm).
// -nounderscores is accepted and changes nothing. The objects' CodeView sections (.debug$S,
// .debug$T) are not stripped by us, but GNU ld does not carry them into the image.
// Messages go to stderr, one line each; an undefined symbol reads
// "<object>: undefined reference to <symbol>". Exit status: 0 done; 1 the link failed, or
// TARVO_TOOL_FAIL asks; 2 gcc cannot be run; 3 a wrong command line.
#include <windows.h>

#include <cstdio>

#include "bridge_win.h"
#include "standin_win.h"
#include "vexlnk_core.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "Error vexlnk: %s\n", text.c_str());
    return status;
}

// <root>\lib, the root being the folder above our own bin folder.
std::string RootLib() {
    char path[32768];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string own(path, n < sizeof path ? n : 0);
    for (int i = 0; i < 2; ++i) own = own.substr(0, own.find_last_of('\\') == std::string::npos ? 0 : own.find_last_of('\\'));
    return own + "\\lib";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("vexlnk")) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
    LinkCommand command = ParseLinkArguments(Arguments(argc, argv));
    if (!command.problem.empty()) return Fail(3, command.problem);
    std::string problem;
    std::vector<std::string> gcc = GccLinkCommand(command, kWideBuild, RootLib(), Exists, UnixPath, problem);
    if (!problem.empty()) return Fail(3, problem);
    LinuxRun run = RunLinuxHere(gcc);
    if (!run.problem.empty()) return Fail(2, run.problem);
    std::fputs(LinkerMessages(run.errors + run.output, WindowsPath).c_str(), stderr);
    return run.exitCode == 0 ? 0 : 1;
}
