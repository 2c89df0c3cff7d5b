// A build from the window thread's checks to the lines listed: the return code reset first,
// the message file guarded, Link leaving the make program alone, make run with its standard
// error in the message file, and no success said for a silent failure.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include "platform/files.h"
#include "project/build.h"
#include "project/missing_libraries.h"
#include "project/project_state.h"
#include "project/projects.h"
#include "scripted_process.h"
#include "settings_test_util.h"

namespace tarvo::project {
namespace {

using editor::test::ReadBytes;
using editor::test::WriteBytes;

struct Build : test::MainKeyTest {
    editor::test::TempDir tmp;
    test::ScopedScriptedProcess tools;
    base::Settings s;
    std::string make;
    void SetUp() override {
        test::MainKeyTest::SetUp();
        projectSeam() = ProjectSeam{};
        ResetProjectRun();
        make = tmp.path + "\\vex";
        platform::MakeDirectory(make);
        WriteBytes(platform::HostPath(make + "\\Makefile"), "# Tarvo Makefile for project demo\n");
        s.compilerRoot = "c:\\vex";
        s.currentProject = "demo";
        s.projects = {"demo"};
        s.project.makeDir = make;
        s.project.makeName = "c:\\vex\\bin\\make.exe";
        s.project.compilerFlags = 0x88;
    }
    void TearDown() override {
        projectSeam() = ProjectSeam{};
        test::MainKeyTest::TearDown();
    }
};

TEST_F(Build, PreparationChecksAndTheJob) {
    projectRun().returnCode = 0;  // an earlier clean build
    projectSeam().saveModified = [] { return false; };
    EXPECT_FALSE(PrepareBuild(s, BuildKind::Make, {}));
    EXPECT_EQ(projectRun().returnCode, -1);  // a cancelled build makes nothing current
    projectSeam().saveModified = nullptr;

    std::optional<BuildJob> job = PrepareBuild(s, BuildKind::Make, {});
    ASSERT_TRUE(job);
    EXPECT_EQ(job->command, "c:\\vex\\bin\\make.exe");
    EXPECT_EQ(job->directory, make);
    EXPECT_EQ(job->messageFile, make + "\\demo.err");
    EXPECT_EQ(job->executable, "demo.exe");

    job = PrepareBuild(s, BuildKind::Link, {});
    ASSERT_TRUE(job);
    EXPECT_EQ(job->command, "c:\\vex\\bin\\make.exe link");
    EXPECT_EQ(s.project.makeName, "c:\\vex\\bin\\make.exe");  // Link changes nothing stored

    for (const char* kept : {"main.c", "c:\\src\\defs.H", "demo.prj", "Makefile", "demo.exe"}) {
        boxes.ui.boxes.clear();
        s.project.errorFile = kept;
        EXPECT_FALSE(PrepareBuild(s, BuildKind::Make, {})) << kept;
        EXPECT_EQ(Boxes(), "Message file name " + std::string(kept) + " incorrect|");
    }
    s.project.errorFile = "build.log";
    job = PrepareBuild(s, BuildKind::Make, {});
    ASSERT_TRUE(job);
    EXPECT_EQ(job->messageFile, make + "\\build.log");

    // Without a makefile, a No to generating one ends the command.
    platform::RemoveFile(make + "\\Makefile");
    boxes.ui.boxes.clear();
    EXPECT_FALSE(PrepareBuild(s, BuildKind::Make, {}));
    EXPECT_EQ(Boxes(), "Makefile doesn't exist. Generate it?|");
}

TEST_F(Build, RunAndResults) {
    BuildJob job{"make", make, make + "\\demo.err", "demo.exe"};
    WriteBytes(platform::HostPath(job.messageFile), "stale message of the last build\n");
    long exitCode = 0;
    std::string said;
    tools.process.handler = [&](const platform::ProcessRequest& r) {
        EXPECT_EQ(ReadBytes(platform::HostPath(r.errorFile)), "");  // the old one is gone first
        EXPECT_EQ(r.directory, make);
        if (!said.empty()) WriteBytes(platform::HostPath(r.errorFile), said);
        return platform::RunResult{platform::RunStatus::Finished, exitCode, 0};
    };
    BuildOutcome outcome = RunBuild(job);
    EXPECT_TRUE(outcome.ran);
    EXPECT_EQ(outcome.exitCode, 0);
    WriteBytes(platform::HostPath(job.messageFile), "");
    outcome.seconds = 1.25;
    EXPECT_EQ(ReadResults(job, outcome).lines,
              (std::vector<std::string>{"demo.exe built successfully. (1.2 sec).",
                                        "Compilation + link time:1.2 sec, Return code: 0"}));

    exitCode = 2;  // a silent failure
    outcome = RunBuild(job);
    EXPECT_EQ(outcome.exitCode, 2);
    WriteBytes(platform::HostPath(job.messageFile), "");
    EXPECT_EQ(ReadResults(job, outcome).lines.size(), 1u);

    said = "Error b.c: 7 undeclared\nb.obj: undefined reference to timeGetTime\n";
    outcome = RunBuild(job);
    BuildResults results = ReadResults(job, outcome);
    EXPECT_EQ(results.lines.front(), "Error b.c: 7 undeclared");
    EXPECT_EQ(results.undefinedSymbols, std::vector<std::string>{"timeGetTime"});

    platform::RemoveFile(job.messageFile);
    EXPECT_EQ(ReadResults(job, outcome).lines,
              std::vector<std::string>{"Diagnostics file " + job.messageFile + " doesn't exist"});
    job.directory = tmp.path + "\\gone";
    outcome = RunBuild(job);
    EXPECT_TRUE(outcome.noDirectory);
    EXPECT_FALSE(outcome.ran);
}


// A message file that cannot be written sends the messages to errout.err in the make directory;
// when that cannot be written either, make does not run.
TEST_F(Build, AMessageFileThatCannotBeWrittenFallsBackToErrout) {
    BuildJob job{"make", make, make + "\\demo.err", "demo.exe"};
    platform::MakeDirectory(job.messageFile);  // a folder of that name, not empty
    WriteBytes(platform::HostPath(job.messageFile + "\\kept"), "x");
    std::string used;
    tools.process.handler = [&](const platform::ProcessRequest& r) {
        used = r.errorFile;
        WriteBytes(platform::HostPath(r.errorFile), "Error a.c: 3 oops\n");
        return platform::RunResult{platform::RunStatus::Finished, 2, 0};
    };
    BuildOutcome outcome = RunBuild(job);
    EXPECT_TRUE(outcome.messageFileMoved);
    EXPECT_EQ(used, make + "\\errout.err");
    EXPECT_EQ(outcome.messageFile, used);
    EXPECT_EQ(ReadResults(job, outcome).lines.front(), "Error a.c: 3 oops");

    platform::RemoveFile(used);
    platform::MakeDirectory(used);
    WriteBytes(platform::HostPath(used + "\\kept"), "x");
    used.clear();
    outcome = RunBuild(job);
    EXPECT_TRUE(outcome.noMessageFile);
    EXPECT_FALSE(outcome.ran);
    EXPECT_TRUE(used.empty());  // make never ran
}

// Rebuild all deletes what the makefile's rules make, and nothing the user keeps: a prebuilt
// object of the project stays, even when it lies in the make directory.
TEST_F(Build, RebuildAllDeletesOnlyTheObjectsTheRulesMake) {
    std::string makefile =
        "OBJS=\\\n\t\"my file.obj\" \\\n\tc:\\lib\\old.obj \\\n\tx.obj\n"
        "LIBS=\n\n"
        "\"demo.exe\":\t$(OBJS) Makefile\n\t$(LINKER) -o demo.exe $(OBJS)\n\n"
        "A_C=\\\n\ta.c\n\n"
        "\"my file.obj\": $(MY_FILE_C) \"c:\\my src\\my file.c\"\n\t$(CC) -c \"c:\\my src\\my file.c\"\n"
        "main.obj: c:\\src\\main.c\r\n\t$(CC) -c c:\\src\\main.c\r\n"
        "c:\\out\\abs.obj:\tc:\\src\\abs.c\n\t$(CC) -c abs.c\n"
        "stamp.obj:\n"  // no recipe: not made here
        "link:\n\t$(LINKER) -o demo.exe\n";
    EXPECT_EQ(ProducedObjects(makefile),
              (std::vector<std::string>{"my file.obj", "main.obj", "c:\\out\\abs.obj"}));

    WriteBytes(platform::HostPath(make + "\\Makefile"), makefile);
    for (const char* f : {"my file.obj", "main.obj", "x.obj"}) WriteBytes(platform::HostPath(make + "\\" + f), "obj");
    int deleted = -1;
    ASSERT_TRUE(DeleteObjects(s, deleted));
    EXPECT_EQ(deleted, 2);
    EXPECT_FALSE(platform::FileExists(make + "\\my file.obj"));
    EXPECT_FALSE(platform::FileExists(make + "\\main.obj"));
    EXPECT_TRUE(platform::FileExists(make + "\\x.obj"));  // the user's prebuilt object

    s.project.makeName.clear();
    EXPECT_FALSE(DeleteObjects(s, deleted));
    EXPECT_EQ(Boxes(), "Make parameters not defined|");
    s.project.makeName = "make";
    WriteBytes(platform::HostPath(make + "\\Makefile"), "LIBS=\n");
    boxes.ui.boxes.clear();
    EXPECT_FALSE(DeleteObjects(s, deleted));
    EXPECT_EQ(Boxes(), "No object files defined in this project|");
}

// Undefined symbols looked up in the index: the library counts when the root has it and the
// project does not link it already; the makefile's LIBS line is then written anew, whole.
TEST_F(Build, MissingLibrariesAreFoundAndTheMakefileRewritten) {
    SymbolIndex index = [](const std::string& symbol, std::string& library, std::string& detail) {
        if (symbol == "timeGetTime" || symbol == "PlaySoundA") library = "WINMM.DLL", detail = "winmm.dll";
        else if (symbol == "GetSaveFileNameA") library = "comdlg32", detail = "comdlg32.dll";
        else if (symbol == "WSAStartup") library = "ws2_32.lib", detail = "ws2_32.dll";
        else return -1;
        return 0;
    };
    auto inRoot = [](const std::string& library) { return library != "ws2_32.lib"; };
    MissingLibraries found = FindMissingLibraries(
        {"timeGetTime", "nosuch", "PlaySoundA", "timeGetTime", "GetSaveFileNameA", "WSAStartup"}, index, inRoot,
        "user32.lib COMDLG32.LIB");
    EXPECT_EQ(found.lines, (std::vector<std::string>{"timeGetTime (winmm.dll) winmm.lib",
                                                     "PlaySoundA (winmm.dll) winmm.lib",
                                                     "GetSaveFileNameA (comdlg32.dll) comdlg32.lib"}));
    EXPECT_EQ(found.candidates, std::vector<std::string>{"winmm.lib"});  // comdlg32 is linked already
    EXPECT_EQ(AddLibraries("user32.lib", found.candidates), "user32.lib winmm.lib");
    EXPECT_EQ(AddLibraries("", found.candidates), "winmm.lib");

    // A LIBS line with the project's libraries and its library files, beside a line longer
    // than any old limit, kept byte for byte.
    std::string longLine = "CFLAGS=" + std::string(5000, 'x') + "\r\n";
    std::string makefile = "# Tarvo Makefile\r\n" + longLine + "LIBS=old.lib\r\n\r\ndemo.exe: $(OBJS)\r\n";
    WriteBytes(platform::HostPath(make + "\\Makefile"), makefile);
    s.project.libraries = "user32.lib winmm.lib";
    s.project.sourcesDir = "c:\\src";
    s.project.files = {{"a.c", {}}, {"my lib.lib", {}}};
    EXPECT_EQ(UpdateMakefileLibs(make, s.project), LibsUpdate::Rewritten);
    EXPECT_EQ(ReadBytes(platform::HostPath(make + "\\Makefile")),
              "# Tarvo Makefile\r\n" + longLine +
                  "LIBS=user32.lib winmm.lib \"c:\\src\\my lib.lib\"\r\n\r\ndemo.exe: $(OBJS)\r\n");
    EXPECT_TRUE(platform::ListDirectory(make).size() == 1u);  // no scratch file left

    WriteBytes(platform::HostPath(make + "\\Makefile"), "all:\n");
    EXPECT_EQ(UpdateMakefileLibs(make, s.project), LibsUpdate::NoLibsLine);
    EXPECT_EQ(ReadBytes(platform::HostPath(make + "\\Makefile")), "all:\n");
    EXPECT_EQ(UpdateMakefileLibs(tmp.path + "\\gone", s.project), LibsUpdate::Failed);
}

}  // namespace
}  // namespace tarvo::project
