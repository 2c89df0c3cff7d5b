// The linker stand-in's logic that needs no Windows: its command line, the mingw gcc command
// that carries it out, and the rewriting of ld's undefined references into the compiler
// system's form.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vex_core.h"

namespace tarvo::testbed {

// The lines of a tool's output, without their "\r\n" or "\n".
std::vector<std::string> Lines(const std::string& text);

struct LinkCommand {
    std::vector<std::string> gccFlags;  // what the options become, in their order
    std::string output;                 // -o, a Windows path
    std::vector<std::string> inputs;    // objects, .res files and libraries, Windows paths
    std::vector<std::string> libraryDirectories;  // -L
    std::string problem;                // non-empty: the command line is wrong, and why
};

// vexlnk [-s] [-dll] [-entry <symbol>] [-subsystem console|windows] [-map <file>]
//        [-nounderscores] [-L <dir>] -o <output> <objects, .res files, libraries>
LinkCommand ParseLinkArguments(const std::vector<std::string>& arguments);

// The gcc command line in Linux paths. A library named without a directory that `exists` does
// not find in the working directory, the -L directories or `rootLib` is the toolchain's own
// import library of that name (winmm.lib is -lwinmm). `problem` receives a path that cannot be
// mapped.
std::vector<std::string> GccLinkCommand(const LinkCommand& command, bool wide, const std::string& rootLib,
                                        const std::function<bool(const std::string&)>& exists,
                                        const PathMapping& toUnix, std::string& problem);

// Debug information: unless -s strips the image, the objects' CodeView becomes CodeView 4 in the
// image (codeview_core.h), placed by ld's map file: the one -map names, else `scratchMap`,
// which the returned command then names for ld.
bool WantsDebugInfo(const LinkCommand& command);
std::string MapFile(LinkCommand& command, const std::string& scratchMap);

// How the conversion reaches files (Windows paths): all of one file, or none; a file written
// whole.
struct LinkFiles {
    std::function<bool(const std::string& path, std::vector<std::uint8_t>& out)> read;
    std::function<bool(const std::string& path, const std::vector<std::uint8_t>& bytes)> write;
};

// After ld linked `command.output`: reads the objects and libraries among the inputs, the map
// and the image, and writes the image back with its debug information. `gcc` is the command
// that linked (GccLinkCommand): its last words name the inputs as ld saw them. Messages
// ("Warning vexlnk: ...", "Error vexlnk: ...") go to `messages`; false when the image could
// not get it (it is then left as ld wrote it).
bool AddDebugInfo(const LinkCommand& command, const std::vector<std::string>& gcc, const std::string& mapFile,
                  const LinkFiles& files, const PathMapping& toWindows, std::string& messages);

// ld's messages, one line each ending in "\n": an undefined reference becomes
// "<object>: undefined reference to <symbol>" (Windows path, the symbol bare: no quotes, no
// stdcall "@n"); other lines lose the tool's name prefix; gcc's closing line is left out.
std::string LinkerMessages(const std::string& output, const PathMapping& toWindows);

}  // namespace tarvo::testbed

namespace tarvo::testbed {

// vexlib /OUT:<library> <objects>: the mingw ar command that writes the library anew, in Linux
// paths; `problem` tells of a wrong command line or a path that cannot be mapped.
std::vector<std::string> ArCommand(const std::vector<std::string>& arguments, bool wide, const PathMapping& toUnix,
                                   std::string& library, std::string& problem);

struct VrcCommand {
    std::vector<std::string> includes;  // -I directories
    std::string script;                 // the .rc file
    std::string problem;
};

// vrc [-I<dir> | -I <dir>] ... <file>.rc
VrcCommand ParseVrcArguments(const std::vector<std::string>& arguments);

// The windres command that compiles the script to a COFF object `output` (what the linker
// takes as a .res), in Linux paths.
std::vector<std::string> WindresCommand(const VrcCommand& command, const std::string& output, bool wide,
                                        const PathMapping& toUnix, std::string& problem);

// windres's and its preprocessor's messages as "<file>(<line>) : error <text>" (Windows path);
// a message without a place as "vrc : error <text>".
std::string ResourceMessages(const std::string& output, const PathMapping& toWindows);

}  // namespace tarvo::testbed
