#include <gtest/gtest.h>

#include "path_mapping.h"
#include "vex_core.h"

namespace tarvo::testbed {
namespace {

using Strings = std::vector<std::string>;

using test::Joined;
using test::ToUnix;
using test::ToWindows;

TEST(VexArguments, ReadsTheMakefilesCompilerOptions) {
    struct Case {
        Strings args;
        bool wide;
        const char* flags;    // the clang flags, joined
        const char* problem;  // "" when the line is right
    };
    const Case cases[] = {
        {{"-c", "-g2", "-O", "-A", "-Zp8", "a.c"}, true, "-g -gcodeview -fno-omit-frame-pointer -O2 -Wall -fpack-struct=8", ""},
        {{"-c", "-g4", "-g3", "-x", "-S", "-z", "-unused", "-ansic", "a.c"}, true, "-g -gcodeview -fno-omit-frame-pointer -Wunused -pedantic", ""},
        {{"-c", "-p6", "a.c"}, false, "-march=pentiumpro", ""},
        {{"-c", "-p6", "a.c"}, true, "", ""},
        {{"-c", "-Zp3", "a.c"}, true, "", "unknown option -Zp3"},
        {{"-c", "-q", "a.c"}, true, "", "unknown option -q"},
        {{"-c", "a.c", "b.c"}, true, "", "more than one source file: a.c and b.c"},
        {{"-c"}, true, "", "no source file given"},
        {{"a.c"}, true, "", "give either -c (compile) or -M (dependency list)"},
        {{"-M", "-c", "a.c"}, true, "", "give either -c (compile) or -M (dependency list)"},
        {{"-M", "a.c"}, true, "", "-M needs -Fo<file> for the dependency list"},
        {{"-c", "a.c", "-I"}, true, "", "-I names no directory"},
        {{"-c", "-D", "a.c"}, true, "", "no source file given"},  // "-D a.c" defines a.c
    };
    for (const Case& c : cases) {
        VexCommand v = ParseVexArguments(c.args, c.wide);
        EXPECT_EQ(v.problem, c.problem) << Joined(c.args);
        if (v.problem.empty()) {
            EXPECT_EQ(Joined(v.clangFlags), c.flags) << Joined(c.args);
        }
    }
}

TEST(VexArguments, KeepsIncludesMacrosAndOutputInOrder) {
    VexCommand v = ParseVexArguments({"-M", "-FoZ:\\t\\deps", "-I", "Z:\\my dir\\inc", "-IZ:\\root\\include",
                                      "-DA=1", "-UB", "-D", "C", "Z:\\src\\my file.c"},
                                     false);
    ASSERT_EQ(v.problem, "");
    EXPECT_EQ(v.mode, VexCommand::Mode::Dependencies);
    EXPECT_EQ(v.output, "Z:\\t\\deps");
    EXPECT_EQ(v.includes, (Strings{"Z:\\my dir\\inc", "Z:\\root\\include"}));
    EXPECT_EQ(v.macros, (Strings{"-DA=1", "-UB", "-DC"}));
    EXPECT_EQ(v.source, "Z:\\src\\my file.c");

    std::string problem;
    Strings clang = ClangCommand(v, "/tmp/d", false, ToUnix, problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(Joined(clang),
              "/usr/bin/clang-14 --target=i686-w64-windows-gnu -fno-caret-diagnostics -fno-color-diagnostics "
              "-fno-diagnostics-show-option -fno-diagnostics-fixit-info -MM -MG -MT x -MF /tmp/d "
              "-I/my dir/inc -I/root/include -DA=1 -UB -DC -x c /src/my file.c");
}

TEST(VexArguments, CompilesToTheObjectWithItsFlagsAndRefusesUnmappablePaths) {
    VexCommand v = ParseVexArguments({"-c", "-g2", "-IC:\\elsewhere", "Z:\\src\\A.C"}, true);
    std::string problem;
    Strings clang = ClangCommand(v, "/out/a.obj", true, ToUnix, problem);
    EXPECT_EQ(problem, "no Linux path for C:\\elsewhere");
    EXPECT_EQ(clang[1], "--target=x86_64-w64-windows-gnu");
    std::string tail = Joined(Strings(clang.begin() + 6, clang.end()));
    EXPECT_EQ(tail, "-c -g -gcodeview -fno-omit-frame-pointer -o /out/a.obj -I -x c /src/A.C");
    v = ParseVexArguments({"-M", "-Fod", "-DX", "Z:\\src\\app.RC"}, true);
    clang = ClangCommand(v, "/d", true, ToUnix, problem);
    EXPECT_EQ(Joined(Strings(clang.end() - 5, clang.end())), "-DRC_INVOKED -DX -x c /src/app.RC");
}

TEST(VexObjects, AreTheLowerCasedBaseNameInTheDirectory) {
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"C:\\work\\vex", "src\\Util.C"}, "C:\\work\\vex\\util.obj"},
        {{"C:\\", "a.c"}, "C:\\a.obj"},
        {{"C:\\w", "C:\\my dir\\My File.c"}, "C:\\w\\my file.obj"},
        {{"C:\\w", "x.y.c"}, "C:\\w\\x.y.obj"},
        {{"C:\\w", "C:\\d.d\\noext"}, "C:\\w\\noext.obj"},
        {{"C:\\w", "D:b.c"}, "C:\\w\\b.obj"},
    };
    for (auto [in, expected] : cases) EXPECT_EQ(ObjectPath(in.first, in.second), expected) << in.second;
}

TEST(VexDependencies, UndoClangsEscapesAndLeaveOutTheSource) {
    const std::pair<const char*, Strings> cases[] = {
        {"x: /s/a\\ b.c /s/my\\ h.h \\\n  /usr/x/z.h /s/c$$d.h\n", {"/s/my h.h", "/usr/x/z.h", "/s/c$d.h"}},
        {"x: /s/a.c gone.h \\\r\n /s/b\\#1.h", {"gone.h", "/s/b#1.h"}},
        {"x: /s/a.c\n", {}},
        {"", {}},
        {"x: /dosdevices/c:/p/a.c /dosdevices/c:/p/a.h\n", {"/dosdevices/c:/p/a.h"}},
    };
    for (const auto& [rule, expected] : cases) EXPECT_EQ(RulePrerequisites(rule), expected) << rule;
}

TEST(VexMessages, AreRewrittenIntoTheCompilerSystemsForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"/s/a b.c:3:25: error: use of undeclared identifier 'y'\n",
         "Error Z:\\s\\a b.c: 3 use of undeclared identifier 'y'\n"},
        {"/s/a.c:12: warning: unused variable 'k'", "Warning Z:\\s\\a.c: 12 unused variable 'k'\n"},
        {"/s/a.c:1:10: fatal error: 'gone.h' file not found\n", "CPP Z:\\s\\a.c: 1 include file 'gone.h' not found\n"},
        {"/s/a.c:2:1: fatal error: too many errors emitted, stopping now\r\n",
         "Error Z:\\s\\a.c: 2 too many errors emitted, stopping now\n"},
        {"/p/c:/x.h:4:2: error: bad: error: twice\n", "Error Z:\\p\\c:\\x.h: 4 bad: error: twice\n"},
        {"In file included from /s/a.c:1:\n/s/h.h:2:5: note: previous definition is here\n"
         "2 errors generated.\n1 warning and 2 errors generated.\n",
         ""},
        {"clang-14: error: no such file or directory: '/s/x.c'\n", "Error vex: no such file or directory: '/s/x.c'\n"},
        {"error: unable to open output file\nwarning: argument unused\n",
         "Error vex: unable to open output file\nWarning vex: argument unused\n"},
        {"/s/a.c:0:0: error: at no line\n", "Error vex: at no line\n"},
    };
    for (auto [clang, expected] : cases) EXPECT_EQ(CompilerMessages(clang, ToWindows), expected) << clang;
}

}  // namespace
}  // namespace tarvo::testbed
