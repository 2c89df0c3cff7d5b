// appgen.exe, the application skeleton generator:
//
//   appgen /tarvo:<window> /prjname:<name> /prjpath:<directory> /out:<file> [/dll | /console]
//
// writes a skeleton project into <directory> (which must exist): <name>.c and, for a Windows
// program, <name>.rc, else <name>.h; then writes <file>, which the IDE reads back:
//   Project:<name>
//   Source:<directory>\<name>.c
//   Resources:<directory>\<name>.rc      (Header:<directory>\<name>.h for the others)
// A skeleton file that exists already is never overwritten: the generator stops with a
// message and writes nothing. <window>, the IDE's frame, is not used by this stand-in.
// Exit status: 0 done; 1 nothing written (a file exists, a file cannot be written, or a
// failure asked for through TARVO_TOOL_FAIL); 3 a wrong command line.
#include <windows.h>

#include <cstdio>

#include "appgen_core.h"
#include "bridge_win.h"
#include "standin_win.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "appgen: %s\n", text.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("appgen")) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
    AppgenRequest request = ParseAppgenArguments(Arguments(argc, argv));
    if (!request.problem.empty())
        return Fail(3, request.problem +
                           "\nusage: appgen /tarvo:<window> /prjname:<name> /prjpath:<directory> /out:<file> "
                           "[/dll | /console]");
    DWORD attributes = GetFileAttributesA(request.directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(1, "the project directory " + request.directory + " does not exist");
    std::vector<SkeletonFile> files = SkeletonFiles(request);
    for (const SkeletonFile& f : files)
        if (GetFileAttributesA(f.path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return Fail(1, f.path + " exists already; nothing was written");
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!WriteWholeFile(files[i].path, files[i].text)) {
            for (std::size_t k = 0; k <= i; ++k) DeleteFileA(files[k].path.c_str());
            return Fail(1, "cannot write " + files[i].path);
        }
    }
    if (!WriteWholeFile(request.answerFile, AnswerText(request.name, files))) {
        for (const SkeletonFile& f : files) DeleteFileA(f.path.c_str());
        return Fail(1, "cannot write " + request.answerFile);
    }
    return 0;
}
