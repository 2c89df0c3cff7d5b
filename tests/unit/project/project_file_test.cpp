// Export and import of project files: paths follow the file, every other value keeps its
// text and case, nothing is written outside our own key, and bad files change nothing.
#include <gtest/gtest.h>

#include "editor_test_util.h"
#include "platform/files.h"
#include "platform/settings_backend.h"
#include "project/project_file.h"
#include "settings_test_util.h"

namespace tarvo::project {
namespace {

using editor::test::ReadBytes;
using editor::test::WriteBytes;

constexpr char kKey[] = "Software\\vex\\Tarvo\\demo";

struct ProjectFile : test::MainKeyTest {
    editor::test::TempDir tmp;
    base::Settings s;
    std::string startDirectory = platform::CurrentDirectory();  // an import moves there
    void TearDown() override {
        platform::ChangeDirectory(startDirectory);
        test::MainKeyTest::TearDown();
    }
    void SetUp() override {
        test::MainKeyTest::SetUp();
        s.compilerRoot = "c:\\vex";
        s.projects = {"demo"};
    }
    void StoreDemo() {
        Store("Name", "demo", kKey);
        Store("ProjectPath", "c:\\proj", kKey);
        Store("SourcesDir", "c:\\proj", kKey);
        Store("Defines", "DEBUG;Mode=Fast", kKey);
        Store("LinkerArgs", "-L C:\\Proj2\\Lib -Map", kKey);
        Store("File1", "C:\\Proj\\Sub\\Main.c", kKey);
        Store("File2", "c:\\proj2\\other.c", kKey);
        Store("MakeDir", "c:\\proj\\vex", kKey);
        Store("Includes", "c:\\vex\\include;c:\\proj\\inc;C:\\shared\\h", kKey);
        Store("MakeName", "c:\\vex\\bin\\make.exe", kKey);
        Store("DbgArgs", std::string(2000, 'x'), kKey);
    }
};

TEST_F(ProjectFile, ExportEraseImportElsewhere) {
    StoreDemo();
    std::string file;
    ASSERT_TRUE(ExportProject("demo", tmp.path, file));
    EXPECT_EQ(Boxes(), "Project demo exported into file:\n" + file + "|");
    std::string text = ReadBytes(platform::HostPath(file));
    EXPECT_EQ(text.rfind("Tarvo project file. Do NOT edit\nSOFTWARE\\vex\\Tarvo\\demo\nProjectPath\tc:\\proj\n", 0), 0u);
    EXPECT_NE(text.find("\nDbgArgs\t" + std::string(2000, 'x') + "\n"), std::string::npos);  // nothing cut

    ASSERT_TRUE(base::DeleteProject("demo"));
    s.projects.clear();
    std::string moved = tmp.path + "/moved";
    platform::MakeDirectory(moved);
    WriteBytes(moved + "/demo.prj", text);
    std::string name;
    ASSERT_TRUE(ImportProject(s, moved + "/demo.prj", name));
    EXPECT_EQ(name, "demo");
    std::string base = platform::FullPath(moved);
    EXPECT_EQ(Stored("ProjectPath", kKey), base);
    EXPECT_EQ(Stored("SourcesDir", kKey), base);
    EXPECT_EQ(Stored("Name", kKey), "demo");
    EXPECT_EQ(Stored("Defines", kKey), "DEBUG;Mode=Fast");            // case kept
    EXPECT_EQ(Stored("LinkerArgs", kKey), "-L C:\\Proj2\\Lib -Map");   // c:\proj2 is not c:\proj
    EXPECT_EQ(Stored("File1", kKey), base + "\\Sub\\Main.c");
    EXPECT_EQ(Stored("File2", kKey), "c:\\proj2\\other.c");
    EXPECT_EQ(Stored("MakeDir", kKey), base + "\\vex");
    EXPECT_TRUE(platform::DirectoryExists(base + "\\vex"));
    EXPECT_EQ(Stored("Includes", kKey), "c:\\vex\\include;" + base + "\\inc;C:\\shared\\h");
    EXPECT_EQ(Stored("MakeName", kKey), "c:\\vex\\bin\\make.exe");
    EXPECT_EQ(Stored("DbgArgs", kKey), std::string(2000, 'x'));
    EXPECT_EQ(s.projects, std::vector<std::string>{"demo"});
    EXPECT_TRUE(s.saveAtExit);
}

TEST_F(ProjectFile, ImportWritesOnlyUnderOurKey) {
    std::string file = tmp / "evil.prj";
    WriteBytes(file, "Tarvo project file. Do NOT edit\nSoftware\\Microsoft\\Windows\\CurrentVersion\\Run\n"
                     "ProjectPath\tc:\\x\nEvil\tc:\\x\\evil.exe\n");
    std::string name;
    ASSERT_TRUE(ImportProject(s, file, name));
    EXPECT_EQ(name, "Run");
    EXPECT_FALSE(platform::settingsBackend().keyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_EQ(Stored("Evil", "Software\\vex\\Tarvo\\Run"), platform::FullPath(tmp.path) + "\\evil.exe");

    // A name a project cannot have is refused before anything is written.
    WriteBytes(file, "Tarvo project file. Do NOT edit\nSoftware\\vex\\Tarvo\\two words\nProjectPath\tc:\\x\n");
    EXPECT_FALSE(ImportProject(s, file, name));
    EXPECT_FALSE(platform::settingsBackend().keyExists("Software\\vex\\Tarvo\\two words"));
}

TEST_F(ProjectFile, BadFilesAreRefusedAndChangeNothing) {
    StoreDemo();
    struct Case {
        const char* bytes;
        const char* box;
    } cases[] = {
        {"Tarvo project file. Do NOT edit", "This file is not a Tarvo project file|"},
        {"Tarvo project file. Do NOT edit\n", "This file is not a Tarvo project file|"},
        {"Some other file\nSOFTWARE\\vex\\Tarvo\\demo\n", "This file is not a Tarvo project file|"},
    };
    for (const Case& c : cases) {
        boxes.ui.boxes.clear();
        WriteBytes(tmp / "bad.prj", c.bytes);
        std::string name;
        EXPECT_FALSE(ImportProject(s, tmp / "bad.prj", name)) << c.bytes;
        EXPECT_EQ(Boxes(), c.box);
        EXPECT_EQ(Stored("Defines", kKey), "DEBUG;Mode=Fast");
    }
}

TEST_F(ProjectFile, ImportOverAProjectAsksThenReplacesItWhole) {
    StoreDemo();
    std::string file = tmp / "demo.prj";
    WriteBytes(file, "Tarvo project file. Do NOT edit\nSOFTWARE\\vex\\Tarvo\\demo\nProjectPath\tc:\\p\nDefines\tNEW\n");
    std::string name;
    boxes.ui.answers = {platform::kAnswerNo};
    EXPECT_FALSE(ImportProject(s, file, name));
    EXPECT_EQ(Boxes(), "A project named demo exists already. Replace it?|");
    EXPECT_EQ(Stored("Defines", kKey), "DEBUG;Mode=Fast");
    boxes.ui.answers = {platform::kAnswerYes};
    ASSERT_TRUE(ImportProject(s, file, name));
    EXPECT_EQ(Stored("Defines", kKey), "NEW");
    EXPECT_EQ(Stored("File1", kKey), "<absent>");  // no stale value left
}

TEST_F(ProjectFile, ExportRefusesWhatAFileCannotKeep) {
    StoreDemo();
    Store("Defines", "A\nB", kKey);
    std::string file;
    EXPECT_FALSE(ExportProject("demo", tmp.path, file));
    EXPECT_EQ(Boxes(), "The value Defines of project demo holds a line break, which a project file cannot keep.|");
    EXPECT_FALSE(platform::FileExists(file));

    boxes.ui.boxes.clear();
    EXPECT_FALSE(ExportProject("nothere", tmp.path, file));
    EXPECT_EQ(Boxes(), "Impossible to open project nothere|");
}

TEST(BaseDirectory, ReplacedOnlyAtPathBoundaries) {
    struct Case {
        const char *value, *expected;
    } cases[] = {
        {"c:\\proj", "d:\\new"},
        {"C:\\PROJ\\a.c", "d:\\new\\a.c"},
        {"c:\\proj2\\a.c", "c:\\proj2\\a.c"},
        {"x;c:\\proj\\a;c:\\projx", "x;d:\\new\\a;c:\\projx"},
        {"-Lc:\\proj", "-Lc:\\proj"},
        {"\"c:\\proj\\a b.c\"", "\"d:\\new\\a b.c\""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ReplaceBaseDirectory(c.value, "c:\\proj", "d:\\new"), c.expected) << c.value;
}

}  // namespace
}  // namespace tarvo::project
