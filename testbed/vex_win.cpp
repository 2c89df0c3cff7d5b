// vex.exe, the compiler system's C compiler. This stand-in hands the work to Debian's clang-14
// for the machine of its own build (i686-w64-windows-gnu, or x86_64-w64-windows-gnu in the
// 64-bit build), the one compiler here that writes CodeView debug information:
//
//   vex -M -Fo<file> [-I<dir>] [-D<name>[=<value>]] [-U<name>] <source>
//       writes the source's dependencies to <file>: the headers it includes, the toolchain's
//       own left out, one Windows path per line. A header that is not found is left out with
//       a warning; the compile reports it.
//   vex -c [options] [-I.. -D.. -U..] [-Fo<object>] <source>
//       compiles to <current directory>\<base name, lower-cased>.obj (or <object>).
//       Options: -O optimise; -g2, -g3, -g4 debug information (CodeView); -A more warnings;
//       -unused warn about unused names; -ansic no language extensions; -Zp1|2|4|8|16
//       structure packing; -p6 Pentium Pro code (32-bit build). -x, -S and -z are accepted
//       and change nothing.
//
// Messages go to stderr only, one line each, no source lines or carets:
//   Error <file>: <line> <text>, Warning <file>: <line> <text>, CPP <file>: <line> <text>
//   (an include file not found), and "Error vex: <text>" for what has no place in a source.
// Exit status: 0 done (warnings allowed); 1 errors in the source, or a failure asked for
// through TARVO_TOOL_FAIL; 2 a file cannot be read or written, or clang cannot be run; 3 a
// wrong command line.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "bridge_win.h"
#include "standin_win.h"
#include "vex_core.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "Error vex: %s\n", text.c_str());
    return status;
}

std::string FullPath(const std::string& path) {
    char full[32768];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

// Runs clang and passes on its messages; the exit status of vex for this step, 0 when it went well.
int RunClang(const VexCommand& command, const std::string& output) {
    std::string problem;
    std::vector<std::string> argv = ClangCommand(command, output, kWideBuild, UnixPath, problem);
    if (!problem.empty()) return Fail(2, problem);
    LinuxRun run = RunLinuxHere(argv);
    if (!run.problem.empty()) return Fail(2, run.problem);
    std::string messages = CompilerMessages(run.errors + run.output, WindowsPath);
    std::fputs(messages.c_str(), stderr);
    if (run.exitCode == 0) return 0;
    if (messages.find("Error ") == std::string::npos && messages.find("CPP ") == std::string::npos)
        Fail(1, "clang-14 failed with exit code " + std::to_string(run.exitCode));
    return 1;
}

int Compile(const VexCommand& command) {
    std::string object = command.output.empty() ? ObjectPath(CurrentDirectory(), command.source) : command.output;
    std::string unixObject = UnixPath(object);
    if (unixObject.empty()) return Fail(2, "no Linux path for " + object);
    return RunClang(command, unixObject);
}

int ListDependencies(const VexCommand& command) {
    std::string scratch = ScratchFile();
    std::string unixScratch = UnixPath(scratch);
    if (unixScratch.empty()) return Fail(2, "no scratch file for the dependency list");
    int status = RunClang(command, unixScratch);
    std::string rule = ReadWholeFile(scratch);
    DeleteFileA(scratch.c_str());
    if (status != 0) return status;
    std::vector<std::string> lines;
    for (const std::string& name : RulePrerequisites(rule)) {
        if (name.empty() || name[0] != '/') {
            std::fprintf(stderr, "Warning vex: include file %s not found; it is not listed\n", name.c_str());
            continue;
        }
        std::string path = WindowsPath(name);
        if (path.empty()) return Fail(2, "no Windows path for " + name);
        if (std::find(lines.begin(), lines.end(), path) == lines.end()) lines.push_back(path);
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    if (!WriteWholeFile(command.output, text)) return Fail(2, "cannot write " + command.output);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool fail = StandinStart("vex");
    VexCommand command = ParseVexArguments(Arguments(argc, argv), kWideBuild);
    if (fail) {
        if (command.source.empty()) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
        std::fprintf(stderr, "Error %s: 1 vex fails as TARVO_TOOL_FAIL asks\n", FullPath(command.source).c_str());
        return 1;
    }
    if (!command.problem.empty()) return Fail(3, command.problem);
    if (GetFileAttributesA(command.source.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Fail(2, "cannot find the source " + command.source);
    return command.mode == VexCommand::Mode::Compile ? Compile(command) : ListDependencies(command);
}
