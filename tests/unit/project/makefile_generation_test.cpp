// Makefile generation on real files: the foreign makefile kept aside, the output directory
// rule, dependency scans through the process seam, and a makefile that is old or new, never
// half written.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include "file_faults.h"
#include "project/makefile_generation.h"
#include "project/project_state.h"
#include "scripted_process.h"
#include "scripted_ui.h"

namespace tarvo::project {
namespace {

using editor::test::ReadBytes;
using editor::test::WriteBytes;

struct Generation : ::testing::Test {
    editor::test::TempDir tmp;
    test::ScopedScriptedUi boxes;
    test::ScopedScriptedProcess tools;
    base::Settings s;
    std::string src, vex;
    std::vector<std::string> scanLists;  // the scratch files the scans wrote

    void SetUp() override {
        src = tmp.path + "\\src";
        vex = src + "\\vex";
        platform::MakeDirectory(src);
        WriteBytes(tmp / "src/a.c", "#include \"a.h\"\nint main(void) { return 0; }\n");
        WriteBytes(tmp / "src/b.c", "int b;\n");
        s.compilerRoot = tmp.path + "\\root";
        s.currentProject = "demo";
        s.saveAtExit = false;  // no settings store here
        s.project.files = {{"a.c", {}}, {"b.c", {}}};
        s.project.projectPath = s.project.sourcesDir = src;
        s.project.compilerFlags = 0x08 | 0x80;
        s.project.defines = "X";
        tools.process.handler = [this](const platform::ProcessRequest& r) {
            std::string list = test::OutputOption(r.commandLine);
            scanLists.push_back(list);
            WriteBytes(platform::HostPath(list), src + "\\a.c\r\n" + src + "\\a.h\r\n");
            return platform::RunResult{platform::RunStatus::Finished, 0, 0};
        };
        ResetProjectRun();
    }
    std::string Boxes() const { return test::BoxTexts(boxes.ui); }
};

TEST_F(Generation, ForeignMakefileKeptByteForByteAndMakeSettingsGiven) {
    platform::MakeDirectory(vex);
    const std::string handWritten = "all:\r\n\techo \"mine\"\r\n\x1a";
    WriteBytes(platform::HostPath(vex + "\\Makefile"), handWritten);
    WriteBytes(platform::HostPath(vex + "\\Makefile.old"), "older");

    ASSERT_TRUE(GenerateMakefile(s, {}));
    // vex exists already: the make settings go to vex1, and the foreign makefile stays in vex
    // untouched because the makefile is now written in vex1.
    EXPECT_EQ(s.project.makeDir, src + "\\vex1");
    EXPECT_EQ(Boxes(), "Project directory is:\n" + src + "\\vex1|");
    EXPECT_EQ(ReadBytes(platform::HostPath(vex + "\\Makefile")), handWritten);

    // With the make directory given, the foreign makefile moves aside first.
    boxes.ui.boxes.clear();
    s.project.makeDir = vex;
    ASSERT_TRUE(GenerateMakefile(s, {}));
    EXPECT_EQ(ReadBytes(platform::HostPath(vex + "\\Makefile.old")), handWritten);
    EXPECT_EQ(Boxes(), vex + "\\Makefile renamed to " + vex + "\\Makefile.old|");
    std::string made = ReadBytes(platform::HostPath(vex + "\\Makefile"));
    EXPECT_EQ(made.rfind("# Tarvo Makefile for project demo\n", 0), 0u);
    EXPECT_NE(made.find("\t" + src + "\\a.h\\\n"), std::string::npos) << made;
    EXPECT_EQ(s.project.makeName, s.compilerRoot + "\\bin\\make.exe");
    EXPECT_EQ(s.project.exe, "demo.exe");
    EXPECT_EQ(s.project.debuggerExeName, "demo.exe");

    // Our own makefile is simply replaced.
    boxes.ui.boxes.clear();
    ASSERT_TRUE(GenerateMakefile(s, {}));
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(ReadBytes(platform::HostPath(vex + "\\Makefile.old")), handWritten);
    EXPECT_EQ(projectRun().build, BuildState::Idle);
    EXPECT_EQ(projectRun().objects, (std::vector<std::string>{"a.obj", "b.obj"}));
}

TEST_F(Generation, ScansUseScratchFilesAndTheDefines) {
    platform::MakeDirectory(vex);
    s.project.makeDir = vex;
    s.project.makeName = "make";
    ASSERT_TRUE(GenerateMakefile(s, {}));
    ASSERT_EQ(tools.process.runs.size(), 2u);
    const platform::ProcessRequest& first = tools.process.runs[0];
    EXPECT_EQ(first.commandLine, s.compilerRoot + "\\bin\\vex.exe -M -Fo" + scanLists[0] + " -I" +
                                     s.compilerRoot + "\\include -DX " + src + "\\a.c");
    EXPECT_EQ(first.directory, src);
    EXPECT_FALSE(first.shown);
    EXPECT_EQ(first.timeoutMs, kScanTimeoutMs);
    EXPECT_NE(scanLists[0], scanLists[1]);
    for (const std::string& list : scanLists) EXPECT_FALSE(platform::FileExists(list)) << list;
}

TEST_F(Generation, AFailedScanIsToldOnceAndTheMakefileStillWritten) {
    platform::MakeDirectory(vex);
    s.project.makeDir = vex;
    s.project.makeName = "make";
    tools.process.handler = [](const platform::ProcessRequest&) {
        return platform::RunResult{platform::RunStatus::Finished, 3, 0};
    };
    ASSERT_TRUE(GenerateMakefile(s, {}));
    ASSERT_EQ(tools.process.runs.size(), 1u);
    EXPECT_EQ(Boxes(), "Impossible to execute\n" + tools.process.runs[0].commandLine +
                           "\nto find out the dependencies.\nError code 3|");
    EXPECT_TRUE(platform::FileExists(vex + "\\Makefile"));
}

TEST_F(Generation, OutputDirectoryRule) {
    std::string dir;
    ASSERT_TRUE(PrepareOutputDirectory(src, dir));
    EXPECT_EQ(dir, vex);
    for (int n = 1; n <= 8; ++n) {
        dir.clear();
        ASSERT_TRUE(PrepareOutputDirectory(src, dir));
        EXPECT_EQ(dir, vex + std::to_string(n));
    }
    EXPECT_EQ(boxes.ui.boxes.size(), 8u);  // each numbered one is told
    boxes.ui.boxes.clear();
    dir.clear();
    EXPECT_FALSE(PrepareOutputDirectory(src, dir));
    EXPECT_EQ(dir, "");
    EXPECT_EQ(Boxes(), "Impossible to create a project subdir in\n" + src + "|");
}

TEST_F(Generation, MissingMakeDirectoryIsOfferedAndRefusalEndsIt) {
    s.project.makeName = "make";
    s.project.makeDir = src + "\\out;" + src + "\\lib";
    boxes.ui.answers = {platform::kAnswerYes, platform::kAnswerNo};
    EXPECT_FALSE(GenerateMakefile(s, {}));
    EXPECT_EQ(Boxes(), "Directory " + src + "\\out does not exist. Create it?|Directory " + src +
                           "\\lib does not exist. Create it?|");
    EXPECT_TRUE(platform::DirectoryExists(src + "\\out"));
    EXPECT_EQ(projectRun().build, BuildState::Idle);
    EXPECT_FALSE(platform::FileExists(src + "\\out\\Makefile"));
}

TEST_F(Generation, CancelledWindowOrProcessorDialogKeepsTheOldMakefile) {
    s.project.makeDir = vex;
    s.project.makeName = "make";
    platform::MakeDirectory(vex);
    const std::string old = "# Tarvo Makefile for project demo\nold\n";
    WriteBytes(platform::HostPath(vex + "\\Makefile"), old);
    GenerationUi ui;
    ui.closeWindowOf = [](const std::string&) { return false; };  // Cancel to "Save changes?"
    EXPECT_FALSE(GenerateMakefile(s, ui));
    s.project.files.push_back({"gram.y", {}});
    EXPECT_FALSE(GenerateMakefile(s, {}));  // no processor defined for it
    EXPECT_EQ(ReadBytes(platform::HostPath(vex + "\\Makefile")), old);
}

// Whatever file call fails, the makefile is the old one or a whole new one (a failed read of
// a dependency list gives one without those dependencies, after a message).
TEST_F(Generation, InterruptedWriteLeavesOldOrNewMakefile) {
    s.project.makeDir = vex;
    s.project.makeName = "make";
    platform::MakeDirectory(vex);
    const std::string old = "# Tarvo Makefile for project demo\nold\n";
    const std::string path = platform::HostPath(vex + "\\Makefile");
    WriteBytes(path, old);
    ASSERT_TRUE(GenerateMakefile(s, {}));
    const std::string fresh = ReadBytes(path);
    ASSERT_NE(fresh, old);
    for (long n = 1;; ++n) {
        WriteBytes(path, old);
        test::FaultPlan plan;
        bool ok = test::WithFailingCall(n, plan, [&] { return GenerateMakefile(s, {}); });
        std::string now = ReadBytes(path);
        bool whole = now.rfind("# Tarvo Makefile", 0) == 0 && now.ends_with("$(OBJS) $(LIBS)\n\n");
        EXPECT_TRUE(now == old || whole) << "call " << n << " (" << plan.failed << ")";
        if (ok && now != fresh) {
            EXPECT_NE(Boxes(), "") << "call " << n;
        }
        if (!plan.Met()) {
            EXPECT_TRUE(ok);
            break;
        }
        if (!ok) {
            EXPECT_EQ(now, old) << "call " << n;
        }
    }
}

}  // namespace
}  // namespace tarvo::project
