// A build from the window thread's checks to the lines listed: the return code reset first,
// the message file guarded, Link leaving the make program alone, make run with its standard
// error in the message file, and no success said for a silent failure.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include "platform/files.h"
#include "project/build.h"
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
        EXPECT_FALSE(platform::FileExists(r.errorFile));  // the old one is gone first
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

}  // namespace
}  // namespace tarvo::project
