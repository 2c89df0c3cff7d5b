// Eiffel projects: the root class asked for once, the compile command from the option table,
// where the output goes, the page's values, and the clean command of a rebuild.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "project/build_messages.h"
#include "project/eiffel.h"
#include "settings_test_util.h"

namespace tarvo::project {
namespace {

struct Eiffel : test::MainKeyTest {
    base::Settings s;
    int asked = 0;
    std::string answer;
    void SetUp() override {
        test::MainKeyTest::SetUp();
        s.currentProject = "hello";
        s.projects = {"hello"};
        s.project.projectFlags = 8 | base::kProjectEiffel;
        s.project.sourcesDir = "c:\\src";
        platform::memorySettingsBackend().createKey(std::string(base::kMainKey) + "\\hello");
    }
    bool Prepare() {
        return PrepareEiffelBuild(s, [&](const std::string& title, const std::string& prompt, std::string& a) {
            ++asked;
            EXPECT_EQ(title, "Small eiffel compiler");
            EXPECT_EQ(prompt, "Root class?");
            a = answer;
            return !answer.empty();
        });
    }
};

TEST_F(Eiffel, TheFirstBuildAsksForTheRootClass) {
    EXPECT_FALSE(Prepare());  // cancelled: nothing set
    EXPECT_TRUE(s.project.eiffelRootClass.empty());
    answer = "hello";
    EXPECT_TRUE(Prepare());
    EXPECT_EQ(s.project.eiffelFlags, kEiffelDefaultFlags);
    EXPECT_EQ(s.project.eiffelRootProcedure, "make");
    EXPECT_EQ(s.project.makeDir, "c:\\src");
    EXPECT_EQ(Stored("EiffelRootClass", std::string(base::kMainKey) + "\\hello"), "hello");
    EXPECT_EQ(EiffelCompileCommand(s.project),
              "compile  -all_check  -g2 -no_strip  -wn -tarvo -DSE_TARVO -o c:\\src\\hello.exe hello");
    EXPECT_TRUE(Prepare());
    EXPECT_EQ(asked, 2);  // not asked again
}

TEST_F(Eiffel, CommandOptionsAndOutput) {
    base::ProjectSettings& p = s.project;
    p.eiffelRootClass = "hello";
    p.eiffelFlags = kEiffelBoost | 0x400 | kEiffelWindows;
    p.exe = "d:\\out\\hi.exe";  // a directory of its own is kept, not doubled
    EXPECT_EQ(EiffelCompileCommand(p), "compile  -boost  -verbose  -O  -wn -tarvo -DSE_TARVO -o d:\\out\\hi.exe hello");
    p.exe = "hi.exe";
    p.makeDir.clear();  // no make directory: the sources directory, not the drive's root
    p.eiffelFlags = 0x40;
    EXPECT_EQ(EiffelCompileCommand(p), "compile  -all_check  -wn -tarvo -DSE_TARVO -o c:\\src\\hi.exe hello");
    EXPECT_EQ(EiffelCleanCommand(p), "clean hello.bat");
    p.eiffelRootClass.clear();
    EXPECT_EQ(EiffelCleanCommand(p), "");
}

TEST_F(Eiffel, ThePageShowsAndApplies) {
    base::ProjectSettings& p = s.project;
    p.eiffelRootClass = "hello";
    p.eiffelFlags = 0x2 | 0x400;  // stored flags are shown as they are
    EiffelPage page = EiffelPageOf(p);
    EXPECT_EQ(page.flags, 0x2 | 0x400);
    EXPECT_EQ(page.rootProcedure, "make");
    EXPECT_EQ(page.exe, "hello.exe");
    base::ProjectSettings before = p;
    page.rootClass.clear();
    EXPECT_FALSE(ApplyEiffelPage(page, p));
    EXPECT_EQ(p, before);
    page = {"world", "", "", 0x4 | 0x8 | 0x2000};  // two modes: one is kept
    EXPECT_TRUE(ApplyEiffelPage(page, p));
    EXPECT_EQ(p.eiffelRootClass, "world");
    EXPECT_EQ(p.eiffelRootProcedure, "make");
    EXPECT_EQ(p.exe, "world.exe");
    EXPECT_EQ(p.eiffelFlags, 0x4 | 0x2000);
    page.flags = 0x2000;  // none: the default mode
    EXPECT_TRUE(ApplyEiffelPage(page, p));
    EXPECT_EQ(p.eiffelFlags, 0x40 | 0x2000);
}

TEST(EiffelMessages, LeadToTheSourceOfAnEiffelProject) {
    base::ProjectSettings p;
    p.sourcesDir = "c:\\src";
    p.makeDir = "c:\\src\\vex";
    EXPECT_FALSE(ParseProjectMessage("Line 5 (.\\hello.e) Unknown feature", p));  // a C project's tools
    p.projectFlags = base::kProjectEiffel;
    std::optional<BuildMessage> m = ParseProjectMessage("Line 5 (.\\hello.e) Unknown feature", p);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->line, 5);
    EXPECT_TRUE(SameText(m->file, "c:\\src\\hello.e")) << m->file;
}

}  // namespace
}  // namespace tarvo::project
