// Project life: creation with its files, registry values and makefile, the many-files
// question, the default project from a source, the skeleton generator's output, open, close
// and erase.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include "platform/files.h"
#include "project/project_kinds.h"
#include "project/projects.h"
#include "scripted_process.h"
#include "settings_test_util.h"

namespace tarvo::project {
namespace {

using editor::test::WriteBytes;

struct Seen {
    std::vector<std::string> opened, titles;
    int stored = 0;
};
Seen* seen = nullptr;

struct Projects : test::MainKeyTest {
    editor::test::TempDir tmp;
    test::ScopedScriptedProcess tools;
    base::Settings s;
    Seen record;
    std::string work, startDirectory = platform::CurrentDirectory();

    void SetUp() override {
        test::MainKeyTest::SetUp();
        seen = &record;
        ProjectSeam& seam = projectSeam();
        seam = ProjectSeam{};
        seam.openFile = [](const std::string& f) { return seen->opened.push_back(f), true; };
        seam.projectChanged = [](const std::string& n) { seen->titles.push_back(n); };
        seam.storeAndCloseDocuments = [] { ++seen->stored; };
        s.compilerRoot = "c:\\vex";
        work = tmp.path + "\\work";
        tools.process.handler = [](const platform::ProcessRequest& r) {  // empty dependency lists
            WriteBytes(platform::HostPath(test::OutputOption(r.commandLine)), "");
            return platform::RunResult{platform::RunStatus::Finished, 0, 0};
        };
    }
    void TearDown() override {
        projectSeam() = ProjectSeam{};
        platform::ChangeDirectory(startDirectory);
        test::MainKeyTest::TearDown();
    }
    std::string ProjectValue(const std::string& project, const std::string& name) {
        return Stored(name, std::string(base::kMainKey) + "\\" + project);
    }
    // Creates `name` in `work` with the given source files (made on disk).
    bool Create(const std::string& name, std::vector<std::string> files, long kind = kKindConsole) {
        platform::MakeDirectory(work);
        for (std::string& f : files) {
            WriteBytes(platform::HostPath(work + "\\" + f), "int x;\n");
            f = work + "\\" + f;
        }
        static std::vector<std::string> chosen;
        chosen = files;
        ProjectDefinition def{name, work, "", false, false, kind};
        bool stay = false;
        base::ProjectSettings made;
        if (!ApplyDefinition(s, def, stay, made)) return false;
        CreationChoices choices;
        choices.useWizard = [] { return false; };
        choices.chooseFiles = [](std::vector<std::string>& out) { return out = chosen, true; };
        return CreateProject(s, def, made, choices);
    }
};

TEST_F(Projects, CreateStoresOpensAndWritesTheMakefile) {
    s.saveAtExit = false;  // as in a run started with file names
    ASSERT_TRUE(Create("demo", {"a.c", "b.c", "r.RC"}));
    EXPECT_EQ(s.currentProject, "demo");
    EXPECT_TRUE(s.saveAtExit);
    EXPECT_EQ(ProjectValue("demo", "File1"), "a.c");
    EXPECT_EQ(ProjectValue("demo", "File3"), "r.RC");
    EXPECT_EQ(ProjectValue("demo", "PrjFiles"), "3");
    EXPECT_EQ(ProjectValue("demo", "ProjectPath"), work);
    EXPECT_EQ(ProjectValue("demo", "CompilerFlags"), "136");  // console, debug information
    EXPECT_EQ(Stored("CurrentProject"), "demo");
    EXPECT_EQ(record.opened, (std::vector<std::string>{work + "\\a.c", work + "\\b.c"}));  // no ".RC"
    EXPECT_EQ(record.titles.back(), "demo");
    EXPECT_TRUE(platform::FileExists(work + "\\vex\\Makefile"));
    EXPECT_EQ(Boxes(), "");

    // The same name again is refused by the definition's checks.
    ProjectDefinition again{"demo", work, "", false, false, kKindConsole};
    bool stay = false;
    base::ProjectSettings made;
    EXPECT_FALSE(ApplyDefinition(s, again, stay, made));
    EXPECT_TRUE(stay);
    EXPECT_EQ(Boxes(), "A project with name \"demo\" is already defined|");
}

TEST_F(Projects, ManyFilesAskBeforeOpeningAndNoSkipsOnlyTheOpening) {
    std::vector<std::string> files;
    for (int i = 1; i <= 46; ++i) files.push_back("f" + std::to_string(i) + ".c");
    boxes.ui.answers = {platform::kAnswerNo};
    ASSERT_TRUE(Create("big", files));
    EXPECT_EQ(Boxes(), "Open 46 files?|");
    EXPECT_TRUE(record.opened.empty());
    EXPECT_TRUE(platform::FileExists(work + "\\vex\\Makefile"));  // still written

    boxes.ui.boxes.clear();
    s.project.files.pop_back();
    OpenProjectFiles(s, true);
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(record.opened.size(), 45u);
}

TEST_F(Projects, DefinitionChecks) {
    struct Case {
        const char *name, *workDir, *box;
    } cases[] = {
        {"", "w", "Give the project a name|"},
        {"my prog", "w", "Do not use spaces here|"},
        {"a\\b", "w", "Incorrect project name 'a\\b'|"},
        {"ok", "", "You have to give a project path!|"},
    };
    for (const Case& c : cases) {
        boxes.ui.boxes.clear();
        bool stay = false;
        base::ProjectSettings made;
        EXPECT_FALSE(ApplyDefinition(s, {c.name, c.workDir, "", false, false, kKindConsole}, stay, made)) << c.name;
        EXPECT_TRUE(stay);
        EXPECT_EQ(Boxes(), c.box);
    }
}

TEST_F(Projects, DefaultProjectFromADocument) {
    platform::MakeDirectory(work);
    ASSERT_TRUE(CreateDefaultProject(s, work + "\\prog.c", {"helper", "main"}));
    EXPECT_EQ(s.currentProject, "prog");
    EXPECT_EQ(s.project.compilerFlags & kKindBits, kKindConsole);
    EXPECT_EQ(s.project.makeDir, work + "\\vex");
    EXPECT_EQ(ProjectValue("prog", "File1"), "prog.c");

    s.currentProject.clear();
    ASSERT_TRUE(CreateDefaultProject(s, work + "\\my.prog.c", {"WinMain"}));
    EXPECT_EQ(s.currentProject, "my");
    EXPECT_EQ(s.project.compilerFlags & kKindBits, kKindWindows);
    EXPECT_EQ(s.project.makeDir, work + "\\vex1");  // vex is prog's
    boxes.ui.boxes.clear();

    struct Case {
        const char *document;
        std::vector<std::string> functions;
        std::string box;
    } cases[] = {
        {"my prog.c", {"main"}, "Do not use spaces here"},
        {"prog.c", {"main"}, "A project with the name 'prog' exists already"},
        {"empty.c", {}, "No functions defined in empty.c"},
        {"lib.c", {"f", "g"}, "Neither 'main' nor 'WinMain' defined in lib.c"},
    };
    for (const Case& c : cases) {
        boxes.ui.boxes.clear();
        EXPECT_FALSE(CreateDefaultProject(s, work + "\\" + c.document, c.functions));
        EXPECT_EQ(Boxes(), c.box + "\nImpossible to generate default project|");
        EXPECT_FALSE(s.projectActive());
    }
}

TEST_F(Projects, SkeletonOutputAndCommand) {
    std::string name;
    std::vector<std::string> files;
    ASSERT_TRUE(ParseSkeletonOutput("Project:hello\r\nSource:c:\\work\\hello.c\r\nResources: c:\\work\\res\\hello.rc\r\n",
                                    "c:\\work", name, files));
    EXPECT_EQ(name, "hello");
    EXPECT_EQ(files, (std::vector<std::string>{"hello.c", "res\\hello.rc"}));
    EXPECT_FALSE(ParseSkeletonOutput("Project:two words\n", "c:\\work", name, files));
    EXPECT_FALSE(ParseSkeletonOutput("nothing here", "c:\\work", name, files));
    EXPECT_EQ(SkeletonCommand("c:\\Program Files\\vex", 987654, "hello", "c:\\my work", "c:\\tmp\\app1", kKindDll),
              "\"c:\\Program Files\\vex\\bin\\appgen.exe\" /tarvo:987654 /prjname:hello \"/prjpath:c:\\my work\" "
              "/out:c:\\tmp\\app1 /dll");
}

TEST_F(Projects, CloseOpenAndErase) {
    ASSERT_TRUE(Create("demo", {"a.c"}));
    s.project.defines = "X=1";
    ASSERT_TRUE(CloseProject(s));
    EXPECT_FALSE(s.projectActive());
    EXPECT_EQ(ProjectValue("demo", "Defines"), "X=1");
    EXPECT_EQ(record.titles.back(), "");

    ASSERT_TRUE(OpenProject(s, "demo"));
    EXPECT_EQ(s.project.defines, "X=1");
    EXPECT_EQ(s.project.files.size(), 1u);
    EXPECT_EQ(record.titles.back(), "demo");

    // A cancel at "save changes?" keeps the project open.
    projectSeam().saveModified = [] { return false; };
    EXPECT_FALSE(EraseProject(s, "demo"));
    EXPECT_EQ(s.currentProject, "demo");
    projectSeam().saveModified = nullptr;
    ASSERT_TRUE(EraseProject(s, "demo"));
    EXPECT_FALSE(s.projectActive());
    EXPECT_FALSE(platform::settingsBackend().keyExists(std::string(base::kMainKey) + "\\demo"));
    EXPECT_TRUE(s.projects.empty());
}

}  // namespace
}  // namespace tarvo::project
