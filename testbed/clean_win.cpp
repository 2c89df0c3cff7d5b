// clean.exe, the Eiffel compiler's clean-up as the IDE runs it before a rebuild:
//
//   clean <root class>.bat
//
// The real one removes what the compiler generated for the class; this stand-in's compile
// generates nothing but the program, so it only logs its command line (see standin_core.h).
// Exit status: 0; 1 when TARVO_TOOL_FAIL asks; 3 nothing named.
#include <cstdio>

#include "standin_win.h"

using namespace tarvo::testbed;

int main(int argc, char** argv) {
    if (StandinStart("clean")) {
        std::fprintf(stderr, "clean: failing as TARVO_TOOL_FAIL asks\n");
        return 1;
    }
    if (Arguments(argc, argv).empty()) {
        std::fprintf(stderr, "clean: usage: clean <root class>.bat\n");
        return 3;
    }
    return 0;
}
