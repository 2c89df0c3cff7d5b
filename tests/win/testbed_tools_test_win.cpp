// The stand-ins of the compiler system's tools, run as the IDE runs them: through
// CreateProcess in a working directory, with their files, messages and exit codes checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "debugger/debug_queries.h"
#include "debugger/debug_reader.h"
#include "scripted_ui.h"
#include "test_util_win.h"

namespace tarvo::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output, errors;
    DWORD milliseconds = 0;
};

// Sets an environment variable for the tools started meanwhile.
struct ScopedVariable {
    const char* name;
    ScopedVariable(const char* n, const std::string& value) : name(n) { SetEnvironmentVariableA(n, value.c_str()); }
    ~ScopedVariable() { SetEnvironmentVariableA(name, nullptr); }
};

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}

std::string Tool(const char* name) { return "\"" + BuildRoot() + "\\bin\\" + name + ".exe\""; }

ToolRun RunTool(const std::string& commandLine, const std::string& directory) {
    ToolRun run;
    std::string out = directory + "\\tool.out", err = directory + "\\tool.err";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = InheritableFile(out);
    startup.hStdError = InheritableFile(err);
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    DWORD start = GetTickCount();
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP, nullptr,
                       directory.c_str(), &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<int>(code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    run.milliseconds = GetTickCount() - start;
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    run.output = ReadTextFile(out);
    run.errors = ReadTextFile(err);
    DeleteFileA(out.c_str());
    DeleteFileA(err.c_str());
    return run;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The section names of a COFF object, or "" when the file is not one for this machine.
std::string SectionNames(const std::string& object) {
#ifdef _WIN64
    const unsigned machine = 0x8664;
#else
    const unsigned machine = 0x14c;
#endif
    auto u16 = [&](std::size_t at) { return static_cast<unsigned char>(object[at]) | static_cast<unsigned char>(object[at + 1]) << 8; };
    if (object.size() < 20 || static_cast<unsigned>(u16(0)) != machine) return "";
    std::size_t table = 20 + u16(16), count = u16(2);
    std::string names;
    for (std::size_t i = 0; i < count && table + 40 * (i + 1) <= object.size(); ++i)
        names += std::string(object.c_str() + table + 40 * i, strnlen(object.c_str() + table + 40 * i, 8)) + " ";
    return names;
}

TEST(TestbedTools, VexListsTheHeadersOfASourceAndLogsItsCommandLine) {
    std::string dir = ScratchDir("vex-deps");
    CreateDirectoryA((dir + "\\inc dir").c_str(), nullptr);
    WriteTextFile(dir + "\\my h.h", "#include \"inc h.h\"\n");
    WriteTextFile(dir + "\\inc dir\\inc h.h", "int i;\n");
    WriteTextFile(dir + "\\extra.h", "int e;\n");
    WriteTextFile(dir + "\\main.c",
                  "#include <stdio.h>\n#include \"my h.h\"\n#ifdef WITH_EXTRA\n#include \"extra.h\"\n#endif\n"
                  "#include \"gone.h\"\nint main(void) { return 0; }\n");
    std::string log = dir + "\\tools.log";
    ScopedVariable logging("TARVO_TOOL_LOG", log);
    std::string command = Tool("vex") + " -M -Fo" + dir + "\\deps.txt \"-I" + dir + "\\inc dir\" -DWITH_EXTRA main.c";
    ToolRun run = RunTool(command, dir);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(ReadTextFile(dir + "\\deps.txt"),
              dir + "\\my h.h\n" + dir + "\\inc dir\\inc h.h\n" + dir + "\\extra.h\n");
    EXPECT_EQ(run.errors, "Warning vex: include file gone.h not found; it is not listed\n");
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(ReadTextFile(log), dir + "\t" + command + "\n");
}

TEST(TestbedTools, VexCompilesToAnObjectWithCodeViewInTheWorkingDirectory) {
    std::string dir = ScratchDir("vex-compile");
    CreateDirectoryA((dir + "\\src").c_str(), nullptr);
    WriteTextFile(dir + "\\src\\Util.c", "#include <windows.h>\nint Twice(int n) { return 2 * n; }\n");
    ToolRun run = RunTool(Tool("vex") + " -c -I" + BuildRoot() + "\\include -g2 -O src\\Util.c", dir);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors + run.output, "");
    std::string names = SectionNames(ReadTextFile(dir + "\\util.obj"));
    EXPECT_NE(names.find(".text "), std::string::npos) << names;
    EXPECT_NE(names.find(".debug$S "), std::string::npos) << names;
}

TEST(TestbedTools, VexWritesErrorsWarningsAndMissingIncludesInTheCompilerSystemsForm) {
    std::string dir = ScratchDir("vex-errors");
    WriteTextFile(dir + "\\broken.c",
                  "int g(void) { int k; return 0; }\nint f(void) { return y; }\n#include \"gone.h\"\n");
    ToolRun run = RunTool(Tool("vex") + " -c -A broken.c", dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "Warning " + dir + "\\broken.c: 1 unused variable 'k'\n" +
                              "Error " + dir + "\\broken.c: 2 use of undeclared identifier 'y'\n" +
                              "CPP " + dir + "\\broken.c: 3 include file 'gone.h' not found\n");
    EXPECT_EQ(run.output, "");
    EXPECT_FALSE(Exists(dir + "\\broken.obj"));
    EXPECT_EQ(RunTool(Tool("vex") + " -c -q broken.c", dir).exitCode, 3);
}

TEST(TestbedTools, PescanTellsConsoleProgramsFromWindowsPrograms) {
    std::string dir = ScratchDir("pescan");
    WriteTextFile(dir + "\\notes.txt", "MZ but no image\n");
    EXPECT_EQ(RunTool(Tool("pescan") + " /isdos " + BuildRoot() + "\\bin\\vex.exe", dir).exitCode, 1);
    EXPECT_EQ(RunTool(Tool("pescan") + " /isdos " + BuildRoot() + "\\bin\\tarvo.exe", dir).exitCode, 0);
    ToolRun bad = RunTool(Tool("pescan") + " /isdos notes.txt", dir);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.errors, "pescan: notes.txt cannot be read or is not a Windows program\n");
    // conrun starts the rest of its line and hands back the exit code.
    EXPECT_EQ(RunTool(Tool("conrun") + " " + Tool("pescan") + " /isdos notes.txt", dir).exitCode, 2);
}

TEST(TestbedTools, FailAndWaitSwitchesReachOnlyTheToolsTheyName) {
    std::string dir = ScratchDir("switches");
    WriteTextFile(dir + "\\a.c", "int a;\n");
    ScopedVariable fail("TARVO_TOOL_FAIL", "appgen, vex");
    ScopedVariable wait("TARVO_TOOL_WAIT", "pescan:800,vex:0");
    ToolRun vex = RunTool(Tool("vex") + " -c a.c", dir);
    EXPECT_EQ(vex.exitCode, 1);
    EXPECT_EQ(vex.errors, "Error " + dir + "\\a.c: 1 vex fails as TARVO_TOOL_FAIL asks\n");
    EXPECT_FALSE(Exists(dir + "\\a.obj"));
    ToolRun pescan = RunTool(Tool("pescan") + " /isdos " + BuildRoot() + "\\bin\\tarvo.exe", dir);
    EXPECT_EQ(pescan.exitCode, 0);
    EXPECT_GE(pescan.milliseconds, 800u);
}

TEST(TestbedTools, AppgenWritesACompilableSkeletonAndNeverOverwritesOne) {
    std::string dir = ScratchDir("appgen");
    std::string answer = dir + "\\answer.tmp";
    std::string command = Tool("appgen") + " /tarvo:65538 /prjname:demo \"/prjpath:" + dir + "\" /out:" + answer;
    ToolRun run = RunTool(command, dir);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(ReadTextFile(answer), "Project:demo\nSource:" + dir + "\\demo.c\nResources:" + dir + "\\demo.rc\n");
    std::string source = ReadTextFile(dir + "\\demo.c");
    EXPECT_NE(source.find("WinMain"), std::string::npos);
    EXPECT_NE(ReadTextFile(dir + "\\demo.rc").find("MAINMENU MENU"), std::string::npos);
    ToolRun compile = RunTool(Tool("vex") + " -c -g2 demo.c", dir);
    EXPECT_EQ(compile.exitCode, 0) << compile.errors;
    EXPECT_TRUE(Exists(dir + "\\demo.obj"));

    DeleteFileA(answer.c_str());
    WriteTextFile(dir + "\\demo.c", "/* mine */\n");
    run = RunTool(command + " /console", dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "appgen: " + dir + "\\demo.c exists already; nothing was written\n");
    EXPECT_EQ(ReadTextFile(dir + "\\demo.c"), "/* mine */\n");
    EXPECT_FALSE(Exists(dir + "\\demo.h"));
    EXPECT_FALSE(Exists(answer));
}

TEST(TestbedTools, MakeBuildsAProjectWithQuotedNamesAndDriveLettersAndPassesOnAFailure) {
    std::string dir = ScratchDir("make");
    CreateDirectoryA((dir + "\\my src").c_str(), nullptr);
    WriteTextFile(dir + "\\my src\\my a.c", "int A(void) { return TWO; }\n");
    WriteTextFile(dir + "\\b.c", "int B(void) { return 1; }\n");
    WriteTextFile(dir + "\\bad.c", "int f(void) { return y; }\n");
    WriteTextFile(dir + "\\makefile",
                  "# Tarvo Makefile for project demo\n"
                  "CFLAGS=-g2 \\\n\t-DTWO=2\nCC=vex\n"
                  "OBJS=\\\n\t\"my a.obj\" \\\n\t" + dir + "\\b.obj\n\n"
                  "all:\t$(OBJS) makefile\n\t$(F2C) done\n\n"
                  "\"my a.obj\": \"my src\\my a.c\"\n\t$(CC) -c $(CFLAGS) \"my src\\my a.c\"\n\n" +
                  dir + "\\b.obj: b.c\n\t$(CC) -c $(CFLAGS) b.c\n\n"
                  "bad.obj: bad.c\n\t$(CC) -c bad.c\n\techo never\n");
    std::string make = Tool("make");
    EXPECT_EQ(RunTool(make + " -q", dir).exitCode, 199);
    // F2C is not in the makefile: the environment supplies it.
    ScopedVariable f2c("F2C", "cmd /c echo");
    ToolRun run = RunTool(make, dir);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.output, "vex -c -g2 -DTWO=2 \"my src\\my a.c\"\nvex -c -g2 -DTWO=2 b.c\ncmd /c echo done\ndone\r\n");
    EXPECT_NE(SectionNames(ReadTextFile(dir + "\\my a.obj")).find(".text "), std::string::npos);
    EXPECT_EQ(RunTool(make + " -q " + dir + "\\b.obj \"my a.obj\"", dir).exitCode, 0);

    ToolRun bad = RunTool(make + " bad.obj", dir);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.errors, "Error " + dir + "\\bad.c: 1 use of undeclared identifier 'y'\nmake: *** [bad.obj] Error 1\n");
    EXPECT_EQ(bad.output, "vex -c bad.c\n");
    ToolRun missing = RunTool(make + " -f nothing.mak", dir);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.errors, "make: no makefile nothing.mak in " + dir + "\n");
}

TEST(TestbedTools, VexlnkLinksAProgramAndNamesTheObjectOfAnUndefinedSymbol) {
    std::string dir = ScratchDir("vexlnk");
    WriteTextFile(dir + "\\m.c", "#include <windows.h>\nint main(void) { return (int)(timeGetTime() & 0) + 3; }\n");
    ASSERT_EQ(RunTool(Tool("vex") + " -c -g2 m.c", dir).exitCode, 0);
    ToolRun missing = RunTool(Tool("vexlnk") + " -subsystem console -o m.exe m.obj", dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.errors, dir + "\\m.obj: undefined reference to timeGetTime\n");
    EXPECT_FALSE(Exists(dir + "\\m.exe"));
    ToolRun link = RunTool(Tool("vexlnk") + " -subsystem console -map m.map -o m.exe m.obj winmm.lib", dir);
    ASSERT_EQ(link.exitCode, 0) << link.errors;
    EXPECT_EQ(link.errors, "");
    EXPECT_TRUE(Exists(dir + "\\m.map"));
    EXPECT_EQ(RunTool("\"" + dir + "\\m.exe\"", dir).exitCode, 3);
}

TEST(TestbedTools, MakeBuildsAProgramWithResourcesAndVexlibAndVrcDoTheirParts) {
    std::string dir = ScratchDir("make-project");
    WriteTextFile(dir + "\\main.c",
                  "#include <windows.h>\nint main(void) { char s[16];\n"
                  "  return LoadStringA(GetModuleHandleA(0), 7, s, sizeof s) + (int)(timeGetTime() & 0); }\n");
    WriteTextFile(dir + "\\r.rc", "STRINGTABLE\nBEGIN\n  7, \"hello\"\nEND\n");
    std::string link = "\t$(LINKER)  -subsystem console  -o demo.exe $(OBJS) $(LIBS)\n";
    WriteTextFile(dir + "\\makefile", "# Tarvo Makefile for project demo\nCFLAGS= -g2 \nCC=vex.exe\nLINKER=vexlnk.exe\n"
                                      "OBJS=\\\n\tmain.obj \\\n\tr.res\n\nLIBS=winmm.lib\n\n"
                                      "demo.exe:\t$(OBJS) Makefile\n" + link +
                                      "\n# Build main.c\nMAIN_C=\\\n\n"
                                      "main.obj: $(MAIN_C) " + dir + "\\main.c\n\t$(CC) -c $(CFLAGS) " + dir + "\\main.c\n" +
                                      "\n# Build 'r.res'\nR_RC=\\\n\t" + dir + "\\r.rc\\\n\n"
                                      "r.res:\t$(R_RC) " + dir + "\\r.rc\n\tvrc -I" + dir + " " + dir + "\\r.rc\n"
                                      "\nlink:\n" + link + "\n");
    ToolRun make = RunTool(Tool("make"), dir);
    ASSERT_EQ(make.exitCode, 0) << make.errors;
    EXPECT_EQ(make.errors, "");
    EXPECT_EQ(RunTool("\"" + dir + "\\demo.exe\"", dir).exitCode, 5);
    EXPECT_EQ(RunTool(Tool("make") + " -q", dir).exitCode, 0);

    ToolRun library = RunTool(Tool("vexlib") + " /OUT:demo.lib main.obj", dir);
    EXPECT_EQ(library.exitCode, 0) << library.errors;
    EXPECT_EQ(ReadTextFile(dir + "\\demo.lib").substr(0, 8), "!<arch>\n");

    WriteTextFile(dir + "\\bad.rc", "STRINGTABLE\nBEGIN\n  7, \"a\"\nEND\n1 BOGUS {\n");
    ToolRun bad = RunTool(Tool("vrc") + " bad.rc", dir);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.errors, dir + "\\bad.rc(6) : error syntax error\n");
}


// The linker converts the objects' CodeView into the image; the program still runs as the one
// linked without debug information (-s), and the debugger's reader finds its functions and lines.
TEST(TestbedTools, VexlnkAddsCodeViewAndTheProgramRunsAsWithout) {
    std::string dir = ScratchDir("vexlnk-codeview");
    WriteTextFile(dir + "\\shapes.c",
                  "#include <stdio.h>\n"
                  "struct box { int w, h; struct box *inner; };\n"
                  "static int area(const struct box *b)\n"
                  "{\n"
                  "    return b->w * b->h;\n"
                  "}\n"
                  "int total_area(struct box *b)\n"
                  "{\n"
                  "    int sum = 0;\n"
                  "    for (; b; b = b->inner) sum += area(b);\n"
                  "    return sum;\n"
                  "}\n");
    WriteTextFile(dir + "\\main.c",
                  "#include <stdio.h>\n"
                  "struct box { int w, h; struct box *inner; };\n"
                  "int total_area(struct box *b);\n"
                  "static struct box boxes[2] = {{2, 3, 0}, {4, 5, &boxes[0]}};\n"
                  "int main(void)\n"
                  "{\n"
                  "    int t = total_area(&boxes[1]);\n"
                  "    printf(\"area %d\\n\", t);\n"
                  "    return t;\n"
                  "}\n");
    for (const char* source : {"shapes.c", "main.c"}) ASSERT_EQ(RunTool(Tool("vex") + " -c -g2 " + source, dir).exitCode, 0);
    ToolRun link = RunTool(Tool("vexlnk") + " -subsystem console -o with.exe main.obj shapes.obj", dir);
    ASSERT_EQ(link.exitCode, 0) << link.errors;
    EXPECT_EQ(link.errors, "");
    ASSERT_EQ(RunTool(Tool("vexlnk") + " -s -subsystem console -o without.exe main.obj shapes.obj", dir).exitCode, 0);
    ToolRun with = RunTool("\"" + dir + "\\with.exe\"", dir), without = RunTool("\"" + dir + "\\without.exe\"", dir);
    EXPECT_EQ(with.exitCode, 26);
    EXPECT_EQ(with.exitCode, without.exitCode);
    EXPECT_EQ(with.output, "area 26\r\n");
    EXPECT_EQ(with.output, without.output);

    using namespace debugger;
    ScopedScriptedUi ui;
    DebugInfo info;
    ImageSource source;
    ASSERT_TRUE(ReadImageFile(dir + "\\with.exe", 0, source));
    ASSERT_TRUE(OpenExecutable(info, std::move(source), false));
    EXPECT_TRUE(info.images[0]->codeView);
    ASSERT_EQ(info.images[0]->moduleCount, 2);
    FunctionHit area = FindFunction(info, "area"), main = FindFunction(info, "main");
    ASSERT_TRUE(area);
    ASSERT_TRUE(main);
    const Function& f = info.modules[area.module].Functions()[area.function];
    LineHit line = LineOfAddress(info, f.debugStart);
    EXPECT_EQ(line.line, 5u);
    ASSERT_GE(line.file, 0);
    std::string file(info.modules[line.module].files[line.file].name);
    EXPECT_TRUE(Exists(file)) << file;
    EXPECT_EQ(file.substr(file.size() - 9), "\\shapes.c");
    EXPECT_EQ(info.modules[main.module].name, "main.obj");
    EXPECT_EQ(BoxTexts(ui.ui), "");
    ImageSource plain;
    PeHeaders h;
    ASSERT_TRUE(ReadImageFile(dir + "\\without.exe", 0, plain));
    ASSERT_TRUE(ReadPeHeaders(Bytes(reinterpret_cast<const std::uint8_t*>(plain.content.data.get()), plain.content.size), h));
    EXPECT_EQ(SectionNamed(h, ".debug"), nullptr);
}

}  // namespace
}  // namespace tarvo::test
