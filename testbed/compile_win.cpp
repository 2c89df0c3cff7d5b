// compile.exe, the Eiffel compiler's driver as the IDE runs it:
//
//   compile [-option ...] -o <output> <root class>
//
// in the sources directory. The Eiffel compiler is not on this machine; this stand-in reads
// the root class file (<class>.e, lower case) and, when a test planted an error in it (its
// first line "--error <message>"), writes the message to standard error and exits 1.
// Otherwise it builds a trivial program as <output> with the mingw compiler of its own build.
// Exit status: 0 built; 1 the planted error or TARVO_TOOL_FAIL; 2 the class file cannot be
// read or the program cannot be built; 3 unusable arguments.
#include <windows.h>

#include <cstdio>
#include <string>

#include "eiffel_core.h"
#include "standin_win.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "compile: %s\n", text.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("compile")) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
    CompileCommand command = ParseCompileArguments(Arguments(argc, argv));
    if (!command.problem.empty()) return Fail(3, command.problem);
    std::string file = RootClassFile(command.rootClass);
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return Fail(2, "cannot read " + file);
    std::string planted = PlantedError(ReadWholeFile(file));
    if (!planted.empty()) {
        std::fprintf(stderr, "%s\n", planted.c_str());
        return 1;
    }
    std::string source = ScratchFile();
    std::string output = UnixPath(command.output), unixSource = UnixPath(source);
    if (source.empty() || output.empty() || unixSource.empty() || !WriteWholeFile(source, kTrivialProgram))
        return Fail(2, "no scratch file for the program");
    std::string gcc = kWideBuild ? "/usr/bin/x86_64-w64-mingw32-gcc" : "/usr/bin/i686-w64-mingw32-gcc";
    LinuxRun run = RunLinuxHere({gcc, "-x", "c", "-o", output, unixSource});
    DeleteFileA(source.c_str());
    if (!run.problem.empty()) return Fail(2, run.problem);
    if (run.exitCode != 0) return Fail(2, "the program could not be built: " + run.errors);
    return 0;
}
