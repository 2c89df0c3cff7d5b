#include <gtest/gtest.h>

#include "path_mapping.h"
#include "vexlnk_core.h"

namespace tarvo::testbed {
namespace {

using Strings = std::vector<std::string>;

using test::Joined;
using test::ToUnix;
using test::ToWindows;

TEST(VexlnkArguments, TheLinkRulesOptionsBecomeGccs) {
    struct Case {
        Strings args;
        bool wide;
        const char* gcc;      // the gcc command, joined
        const char* problem;  // "" when the line is right
    };
    auto exists = [](const std::string& path) { return path == "Z:\\root\\lib\\mine.lib" || path == ".\\here.lib"; };
    const Case cases[] = {
        {{"-subsystem", "console", "-o", "Z:\\p\\demo.exe", "Z:\\p\\a.obj", "Z:\\p\\r.res", "Z:\\src\\w.lib"}, false,
         "/usr/bin/i686-w64-mingw32-gcc -mconsole -o /p/demo.exe /p/a.obj /p/r.res /src/w.lib", ""},
        {{"-s", "-dll", "-entry", "DllMain", "-map", "Z:\\p\\d.map", "-nounderscores", "-o", "Z:\\p\\d.dll", "Z:\\p\\d.obj",
          "WinMM.lib", "mine.lib", "here.lib"},
         true,
         "/usr/bin/x86_64-w64-mingw32-gcc -s -shared -Wl,--entry,DllMain -Wl,-Map,/p/d.map -o /p/d.dll /p/d.obj -lwinmm "
         "/root/lib/mine.lib here.lib",
         ""},
        {{"-subsystem", "windows", "-o", "Z:\\p\\w.exe", "Z:\\p\\w.obj"}, false,
         "/usr/bin/i686-w64-mingw32-gcc -mwindows -o /p/w.exe /p/w.obj", ""},
        {{"-subsystem", "posix", "-o", "x.exe", "a.obj"}, false, "", "unknown subsystem posix"},
        {{"-o", "x.exe"}, false, "", "nothing to link"},
        {{"a.obj"}, false, "", "no output named (-o)"},
        {{"a.obj", "-entry"}, false, "", "-entry needs a value"},
        {{"-q", "a.obj"}, false, "", "unknown option -q"},
        {{"-o", "C:\\x.exe", "a.obj"}, false, "", "no Linux path for C:\\x.exe"},
    };
    for (const Case& c : cases) {
        LinkCommand command = ParseLinkArguments(c.args);
        std::string problem = command.problem;
        std::string gcc;
        if (problem.empty()) gcc = Joined(GccLinkCommand(command, c.wide, "Z:\\root\\lib", exists, ToUnix, problem));
        EXPECT_EQ(problem, c.problem) << Joined(c.args);
        if (problem.empty()) EXPECT_EQ(gcc, c.gcc) << Joined(c.args);
    }
}

TEST(VexlnkMessages, UndefinedReferencesEndInTheBareSymbol) {
    std::string ld =
        "/usr/bin/i686-w64-mingw32-ld: /p/a.obj:a.c:(.text+0x11): undefined reference to `_imp__timeGetTime@0'\n"
        "/usr/bin/i686-w64-mingw32-ld: /p/b.obj: in function `main':\n"
        "b.c:7:(.text+0x5): undefined reference to `helper'\n"
        "/usr/bin/i686-w64-mingw32-ld: /p/my c.obj:(.text+0x2): undefined reference to `x@y'\n"
        "/usr/bin/x86_64-w64-mingw32-ld: /p/w.obj:w.c:(.text+0x2): undefined reference to `__imp_PlaySoundA'\n"
        "/usr/bin/i686-w64-mingw32-ld: cannot find -lnothing\n"
        "collect2: error: ld returned 1 exit status\n";
    EXPECT_EQ(LinkerMessages(ld, ToWindows),
              "Z:\\p\\a.obj: undefined reference to timeGetTime\n"
              "Z:\\p\\b.obj: undefined reference to helper\n"
              "Z:\\p\\my c.obj: undefined reference to x@y\n"
              "Z:\\p\\w.obj: undefined reference to PlaySoundA\n"
              "cannot find -lnothing\n");
}

}  // namespace
}  // namespace tarvo::testbed

namespace tarvo::testbed {
namespace {

TEST(VexlibAndVrc, CommandLines) {
    struct Case {
        Strings args;
        const char* command;
        const char* problem;
    };
    const Case libs[] = {
        {{"/OUT:Z:\\p\\demo.lib", "Z:\\p\\a.obj", "Z:\\p\\b c.obj"},
         "/usr/bin/i686-w64-mingw32-ar rcs /p/demo.lib /p/a.obj /p/b c.obj", ""},
        {{"/out:Z:\\p\\demo.lib"}, "", "no objects given"},
        {{"Z:\\p\\a.obj"}, "", "no library named (/OUT:)"},
        {{"/X", "Z:\\p\\a.obj"}, "", "unknown option /X"},
        {{"/OUT:C:\\demo.lib", "Z:\\p\\a.obj"}, "", "no Linux path for C:\\demo.lib"},
    };
    for (const Case& c : libs) {
        std::string library, problem;
        std::string command = Joined(ArCommand(c.args, false, ToUnix, library, problem));
        EXPECT_EQ(problem, c.problem) << Joined(c.args);
        EXPECT_EQ(command, c.command) << Joined(c.args);
    }
    const Case scripts[] = {
        {{"-IZ:\\src", "-I", "Z:\\vex\\include", "Z:\\src\\r.rc"},
         "/usr/bin/x86_64-w64-mingw32-windres --include-dir=/src --include-dir=/vex/include -O coff -i /src/r.rc -o /out/r.res",
         ""},
        {{"-IZ:\\src"}, "", "no resource script given"},
        {{"a.rc", "b.rc"}, "", "more than one resource script: a.rc and b.rc"},
        {{"-r", "a.rc"}, "", "unknown option -r"},
    };
    for (const Case& c : scripts) {
        VrcCommand command = ParseVrcArguments(c.args);
        std::string problem = command.problem, line;
        if (problem.empty()) line = Joined(WindresCommand(command, "Z:\\out\\r.res", true, ToUnix, problem));
        EXPECT_EQ(problem, c.problem) << Joined(c.args);
        EXPECT_EQ(line, c.command) << Joined(c.args);
    }
}

TEST(VexlibAndVrc, ResourceErrorsTakeTheFileLineForm) {
    std::string windres =
        "/usr/bin/i686-w64-mingw32-windres: /src/r.rc:12: syntax error\n"
        "/src/my r.rc:3:10: fatal error: gone.h: No such file or directory\n"
        "    3 | #include \"gone.h\"\n"
        "      |          ^~~~~~~~\n"
        "/src/r.rc:4:5: warning: missing terminating \" character\n"
        "compilation terminated.\n"
        "/usr/bin/i686-w64-mingw32-windres: preprocessing failed.\n"
        "/usr/bin/i686-w64-mingw32-windres: can't open icon file `x.ico': No such file or directory\n";
    EXPECT_EQ(ResourceMessages(windres, ToWindows),
              "Z:\\src\\r.rc(12) : error syntax error\n"
              "Z:\\src\\my r.rc(3) : error gone.h: No such file or directory\n"
              "Z:\\src\\r.rc(4) : warning missing terminating \" character\n"
              "vrc : error can't open icon file `x.ico': No such file or directory\n");
}

}  // namespace
}  // namespace tarvo::testbed
