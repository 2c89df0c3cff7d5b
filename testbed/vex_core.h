// The compiler stand-in's logic that needs no Windows: its command line, the clang command
// that carries it out, and the rewriting of clang's output into the compiler system's forms.
// Path translation is passed in, so tests can use a simple mapping of their own.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace tarvo::testbed {

// Maps a path between the Windows and the Linux side; "" when it cannot.
using PathMapping = std::function<std::string(const std::string&)>;

struct VexCommand {
    enum class Mode { Compile, Dependencies };
    Mode mode = Mode::Compile;
    std::string output;                   // -Fo: the dependency list, or the object
    std::vector<std::string> includes;    // -I directories
    std::vector<std::string> macros;      // "-DNAME=value" and "-UNAME", in command-line order
    std::vector<std::string> clangFlags;  // what the compiler options become
    std::string source;
    std::string problem;                  // non-empty: the command line is wrong, and why
};

// Reads vex's arguments (without the program name). `wide` selects the 64-bit target.
VexCommand ParseVexArguments(const std::vector<std::string>& arguments, bool wide);

// "<directory>\<base name of the source, lower-cased>.obj".
std::string ObjectPath(const std::string& directory, const std::string& source);

// The clang command line, in Linux paths. `output` is the object for a compile, the scratch
// dependency file for a dependency list; `problem` receives a path that cannot be mapped.
std::vector<std::string> ClangCommand(const VexCommand& command, const std::string& output, bool wide,
                                      const PathMapping& toUnix, std::string& problem);

// The files a dependency rule written by clang names (escapes undone), without its target and
// without the source itself. Names that are not absolute paths are headers clang did not find.
std::vector<std::string> RulePrerequisites(const std::string& rule);

// Clang's messages in the compiler system's forms, one line each ending in "\n":
//   Error <file>: <line> <text>     Warning <file>: <line> <text>
//   CPP <file>: <line> <text>       (an include file that was not found)
// and "Error vex: <text>" for a message without a place. Notes, the include chain and the
// closing count are left out. File names are Windows paths.
std::string CompilerMessages(const std::string& clangOutput, const PathMapping& toWindows);

}  // namespace tarvo::testbed
