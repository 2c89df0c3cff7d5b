// Programs compiled and linked as the stand-ins do it (clang-14 for CodeView, the mingw gcc
// driver and GNU ld with a map, then the conversion), for the tests of the conversion and of
// the debugger's reader. Built once per machine in a scratch folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::testbed::test {

struct ConvertedProgram {
    std::string skip;     // non-empty: a tool is missing, which one (the tests skip)
    std::string problem;  // non-empty: building failed, and how
    bool wide = false;
    std::string dir;                   // Linux folder holding everything
    std::string exe, map, nm;          // Linux paths: the converted image, ld's map, nm's list
    std::string library;               // Windows path of the library, when there is one
    std::vector<std::string> sources;  // Linux paths, in link order
    std::vector<std::string> objects;  // Linux paths, beside each its llvm-readobj dump (".cv")
    std::string messages;              // what the conversion said
    std::vector<std::uint8_t> image;   // the converted image
};

// `machine` is "i686" or "x86_64"; `sources` are names in tests/unit/data/codeview, or full paths.
// Sources from `libraryFrom` on go into a library (vexlib's ar command), linked as one.
ConvertedProgram BuildConverted(const std::string& machine, const std::vector<std::string>& sources, const std::string& name,
                                const std::vector<std::string>& vexFlags = {"-g2"}, std::size_t libraryFrom = ~std::size_t(0));
// The sample of the conversion tests (cv_main.c, cv_util.c, cv_far.c), built once per machine.
const ConvertedProgram& CodeViewSample(const std::string& machine);

// What a shell command printed on stdout; its exit status in `status`.
std::string RunShell(const std::string& command, int* status = nullptr);
std::vector<std::uint8_t> FileBytes(const std::string& path);

}  // namespace tarvo::testbed::test
