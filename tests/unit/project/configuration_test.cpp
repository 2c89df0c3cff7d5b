// The configuration sheet's rules: its pages under each condition, the compiler page's
// interlocks, the linker page's kinds, the project page's checks (nothing changes after a
// refusal) and the makefile offered after OK.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include "platform/files.h"
#include "project/configuration.h"
#include "project/project_kinds.h"
#include "project/project_state.h"
#include "settings_test_util.h"

namespace tarvo::project {
namespace {

using editor::test::WriteBytes;

TEST(ConfigurationPages, DependOnTheProjectAndItsLanguages) {
    base::Settings s;
    using P = ConfigPage;
    EXPECT_EQ(ConfigurationPages(s), (std::vector<P>{P::General, P::Help, P::Macros, P::Debugger, P::Language,
                                                     P::Workspace, P::Utilities}));
    s.currentProject = "demo";
    std::vector<P> c{P::General, P::Project, P::Help, P::Versions, P::Compiler, P::Macros,
                     P::Debugger, P::Linker, P::Language, P::Workspace, P::Utilities};
    EXPECT_EQ(ConfigurationPages(s), c);
    s.project.projectFlags |= base::kProjectFortran;
    EXPECT_EQ(ConfigurationPages(s).size(), 12u);
    EXPECT_EQ(ConfigurationPages(s).back(), P::Fortran);
    s.project.projectFlags |= base::kProjectEiffel;
    std::vector<P> both = ConfigurationPages(s);
    ASSERT_EQ(both.size(), 13u);
    EXPECT_EQ(both[11], P::SmallEiffel);
    // Without a project the languages of the last one do not count.
    s.currentProject.clear();
    EXPECT_EQ(ConfigurationPages(s).size(), 7u);
}

TEST(CompilerPage, StackTraceBoxesFollowDebugInformation) {
    CompilerBoxes b = OpenCompilerPage(0x80 | kStackBits);  // no debug information stored
    EXPECT_FALSE(b.stackEnabled);
    EXPECT_EQ(b.flags, 0x80);
    b = ClickCompilerBox(b, kFlagDebugInfo, true);
    EXPECT_TRUE(b.stackEnabled);
    b = ClickCompilerBox(b, kFlagStackLines, true);  // -g4 takes -g3 along
    EXPECT_EQ(b.flags, 0x80 | kFlagDebugInfo | kStackBits);
    b = ClickCompilerBox(b, kFlagStackTrace, true);  // -g3 alone clears -g4
    EXPECT_EQ(b.flags, 0x80 | kFlagDebugInfo | kFlagStackTrace);
    b = ClickCompilerBox(b, kFlagDebugInfo, false);
    EXPECT_EQ(b.flags, 0x80);
    EXPECT_FALSE(b.stackEnabled);
    b = ClickCompilerBox(b, kFlagEliminate, true);
    EXPECT_EQ(b.flags, 0x80 | kFlagEliminate | kFlagOptimize);
    b = ClickCompilerBox(b, kFlagOptimize, false);  // optimising may be cleared again by hand
    EXPECT_EQ(b.flags, 0x80 | kFlagEliminate);
    EXPECT_EQ(LeaveCompilerPage(kFlagStackTrace), kFlagStackTrace | kFlagDebugInfo);
    EXPECT_EQ(LeaveCompilerPage(0x80), 0x80);
}

TEST(CompilerPage, ADllGivesUpStackTraceForDebugInformation) {
    CompilerBoxes b = OpenCompilerPage(kKindDll | kFlagStackLines);
    EXPECT_EQ(b.flags, kKindDll | kFlagDebugInfo);
    EXPECT_TRUE(b.stackEnabled);
    // A library marked DLL too is a library: its bits stay.
    EXPECT_EQ(OpenCompilerPage(kKindLibrary | kKindDll | kFlagDebugInfo | kFlagStackTrace).flags,
              kKindLibrary | kKindDll | kFlagDebugInfo | kFlagStackTrace);
}

TEST(CompilerPage, AlignmentIsOneBit) {
    EXPECT_EQ(AlignmentRow(0x88), -1);
    EXPECT_EQ(AlignmentRow(0x88 | 0x10000), 2);
    long f = WithAlignment(0x88 | 0x4000 | 0x40000, 3);
    EXPECT_EQ(f, 0x88 | 0x20000);
    EXPECT_EQ(WithAlignment(f, -1), 0x88);
}

TEST(LinkerPage, KindsAndNames) {
    EXPECT_EQ(OpenLinkerPage(kKindLibrary | kKindConsole | 0x08), kKindLibrary | 0x08);
    EXPECT_EQ(OpenLinkerPage(kKindConsole | 0x08), kKindConsole | 0x08);
    EXPECT_EQ(WithKind(kKindDll | kFlagNoUnderscores | 0x08, kKindConsole), kKindConsole | 0x08);
    EXPECT_EQ(WithKind(kKindConsole | 0x08, kKindDll), kKindDll | 0x08);
    EXPECT_EQ(ShownOutputName("prog.exe", "c:\\p\\vex"), "c:\\p\\vex\\prog.exe");
    EXPECT_EQ(ShownOutputName("d:\\out\\prog.exe", "c:\\p\\vex"), "d:\\out\\prog.exe");
    EXPECT_EQ(ShownOutputName("prog.exe", ""), "prog.exe");
    EXPECT_EQ(WithConsoleLibrary("a.lib", kKindConsole), "a.lib txtcon.lib");
    EXPECT_EQ(WithConsoleLibrary("TXTCON.LIB a.lib", kKindConsole), "TXTCON.LIB a.lib");
    EXPECT_EQ(WithConsoleLibrary("a.lib", kKindWindows), "a.lib");
}

struct ProjectPageTest : test::MainKeyTest {
    editor::test::TempDir tmp;
    std::string root, vex;
    void SetUp() override {
        test::MainKeyTest::SetUp();
        root = tmp.path + "\\root";
        vex = tmp.path + "\\vex";
        platform::MakeDirectory(root);
        platform::MakeDirectory(root + "\\bin");
        platform::MakeDirectory(vex);
        WriteBytes(platform::HostPath(root + "\\bin\\make.exe"), "MZ");
    }
};

TEST_F(ProjectPageTest, TheMakeProgramAndDirectoriesMustExist) {
    ProjectPage page{"make -f Makefile", vex, "prog", "", tmp.path};
    ASSERT_TRUE(LeaveProjectPage(root, page));  // found in the root's bin, with ".EXE"
    EXPECT_EQ(page.exe, vex + "\\prog.EXE");
    page.exe = "d:\\x\\prog.dll";
    ASSERT_TRUE(LeaveProjectPage(root, page));
    EXPECT_EQ(page.exe, "d:\\x\\prog.dll");
    // A quoted program path with a blank is one name.
    platform::MakeDirectory(tmp.path + "\\my tools");
    WriteBytes(platform::HostPath(tmp.path + "\\my tools\\mk.exe"), "MZ");
    page.makeName = "\"" + tmp.path + "\\my tools\\mk.exe\" all";
    EXPECT_TRUE(LeaveProjectPage(root, page));
    EXPECT_EQ(Boxes(), "");

    ProjectPage bad{"nomake all", vex, "prog", "", tmp.path};
    EXPECT_FALSE(LeaveProjectPage(root, bad));
    EXPECT_EQ(bad.exe, "prog");  // refused: nothing changed
    ProjectPage gone{"make", vex + ";" + tmp.path + "\\gone", "prog", "", tmp.path};
    EXPECT_FALSE(LeaveProjectPage(root, gone));
    EXPECT_EQ(Boxes(), "File nomake not found!|Directory " + tmp.path + "\\gone does not exist|");
}

TEST_F(ProjectPageTest, AMessageFileMayNotBeAProgram) {
    EXPECT_TRUE(CheckMessageFileName("c:\\p\\demo.err"));
    EXPECT_FALSE(CheckMessageFileName("out.EXE"));
    EXPECT_FALSE(CheckMessageFileName("c:\\p\\out.exe.txt"));
    EXPECT_EQ(Boxes(), "Message file name out.EXE incorrect|Message file name c:\\p\\out.exe.txt incorrect|");
}

TEST_F(ProjectPageTest, VersionUsersAreListedOnceWithoutTheirBlanks) {
    std::vector<std::string> users{"carol"};
    EXPECT_TRUE(AddVersionUser(users, "  Ann Lee\t"));  // a system name may hold a blank
    EXPECT_FALSE(AddVersionUser(users, "CAROL"));
    EXPECT_FALSE(AddVersionUser(users, " "));
    EXPECT_EQ(users, (std::vector<std::string>{"carol", "Ann Lee"}));
    EXPECT_EQ(Boxes(), "CAROL is listed already|Type the user's name first|");
}

TEST_F(ProjectPageTest, AChangedProjectIsOfferedAMakefile) {
    base::Settings s;
    s.currentProject = "demo";
    s.projects = {"demo"};
    s.project.makeName = "make";
    platform::memorySettingsBackend().createKey(std::string(base::kMainKey) + "\\demo");
    ResetProjectRun();
    ProjectPage page = ProjectPageOf(s.project);
    page.arguments = "-v";
    EXPECT_FALSE(ApplyProjectPage(page, s.project));  // program arguments do not touch the makefile
    page.exe = "demo.exe";
    EXPECT_TRUE(ApplyProjectPage(page, s.project));
    static int generated;
    generated = 0;
    boxes.ui.answers = {platform::kAnswerYes};
    AfterConfiguration(s, true, [] { return ++generated > 0; });
    EXPECT_EQ(generated, 1);
    EXPECT_EQ(Stored("Exe", std::string(base::kMainKey) + "\\demo"), "demo.exe");
    EXPECT_EQ(Boxes(), "Project has changed. Rebuild the makefile?|");
    AfterConfiguration(s, false, [] { return ++generated > 0; });  // still changed; answered No
    EXPECT_EQ(generated, 1);
    projectRun().changed = false;
    AfterConfiguration(s, false, [] { return ++generated > 0; });
    EXPECT_EQ(Boxes(), "Project has changed. Rebuild the makefile?|Project has changed. Rebuild the makefile?|");
}

}  // namespace
}  // namespace tarvo::project
