// pescan.exe, the compiler system's image scanner:
//
//   pescan /isdos <program>
//
// reads the subsystem field of the program's image header. Exit status: 0 not a console
// program (Windows program, driver ...); 1 a console program, or a failure asked for through
// TARVO_TOOL_FAIL; 2 the file cannot be read or is not a Windows image; 3 a wrong command
// line. The report forms /summary and /functionsize are not part of this stand-in yet: they
// are refused as a wrong command line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bridge_win.h"
#include "standin_core.h"
#include "standin_win.h"

using namespace tarvo::testbed;

int main(int argc, char** argv) {
    if (StandinStart("pescan")) {
        std::fprintf(stderr, "pescan: failing as TARVO_TOOL_FAIL asks\n");
        return 1;
    }
    std::vector<std::string> args = Arguments(argc, argv);
    if (args.size() != 2 || Lower(args[0]) != "/isdos") {
        std::fprintf(stderr, "pescan: usage: pescan /isdos <program> (/summary and /functionsize are not available)\n");
        return 3;
    }
    // The headers lie in the first pages of an image.
    std::string head = ReadWholeFile(args[1], 65536);
    int subsystem = PeSubsystem(reinterpret_cast<const unsigned char*>(head.data()), head.size());
    if (subsystem < 0) {
        std::fprintf(stderr, "pescan: %s cannot be read or is not a Windows program\n", args[1].c_str());
        return 2;
    }
    return subsystem == kSubsystemConsole ? 1 : 0;
}
