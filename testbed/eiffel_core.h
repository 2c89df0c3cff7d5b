// What the Eiffel compiler's stand-ins (compile.exe, clean.exe) decide without Windows: the
// arguments of a compile, and the error a test plants in a root class file.
#pragma once
#include <string>
#include <vector>

namespace tarvo::testbed {

struct CompileCommand {
    std::string output;     // after -o
    std::string rootClass;  // the last argument that is no option
    std::string problem;    // non-empty: the arguments are unusable
};
// "compile [-option ...] -o <output> <root class>"; options are skipped ("-g2 -no_strip" are
// two of them).
CompileCommand ParseCompileArguments(const std::vector<std::string>& arguments);

// The root class file's name: the class in lower case with ".e".
std::string RootClassFile(const std::string& rootClass);

// A test's planted error: the file's first line that is not blank reads "--error <message>".
// The message, or "" when the file plants none.
std::string PlantedError(const std::string& text);

// The program the stand-in builds for a class without a planted error.
inline constexpr const char* kTrivialProgram = "int main(void) { return 0; }\n";

}  // namespace tarvo::testbed
