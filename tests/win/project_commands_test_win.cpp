// The project commands as a user meets them: creating a project through its name prompt,
// definition dialog and file dialog; F9 on a source with no project; and a makefile written
// for a compiler root whose path holds a blank.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "editor/document_windows_win.h"
#include "platform/settings_backend.h"
#include "project/project_state.h"
#include "program_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

class ProjectCommands : public ProgramTest {
protected:
    std::string Stored(const std::string& project, const std::string& name) {
        std::string text;
        platform::settingsBackend().readValue(std::string(base::kMainKey) + "\\" + project, name, text);
        return text;
    }
    static DialogStep ChooseFiles(const std::string& names) {
        return [=](HWND dialog) { ChooseInFileDialog(dialog, names); };
    }
};

TEST_F(ProjectCommands, CreateAProjectOfTwoSources) {
    WriteTextFile(dir + "\\a.c", "int a(void) { return 1; }\r\n");
    WriteTextFile(dir + "\\b.c", "int main(void) { return 0; }\r\n");
    shown->answers = {platform::kAnswerNo};  // no skeleton generator
    AnswerDialogs({
        [](HWND prompt) {
            EXPECT_EQ(Text(prompt), "Enter the new project name");
            SetDlgItemTextA(prompt, IDC_EDIT, "demo");
            Press(prompt, IDOK);
        },
        [&](HWND definition) {
            EXPECT_EQ(Text(definition), "Definition of a new project");
            EXPECT_EQ(IsDlgButtonChecked(definition, IDC_KIND_CONSOLE), BST_CHECKED);
            SetDlgItemTextA(definition, IDC_PROJECT_PATH, dir.c_str());
            Press(definition, IDOK);
        },
        FinishSteps,
        ChooseFiles("\"a.c\" \"b.c\""),
    });
    Command(CMD_PROJECT_CREATE);
    EXPECT_EQ(base::settings().currentProject, "demo");
    EXPECT_EQ(Text(frame).rfind("tarvo-demo", 0), 0u) << Text(frame);  // then the maximised window
    EXPECT_EQ(Stored("demo", "PrjFiles"), "2");
    EXPECT_EQ(Stored("demo", "File1"), "a.c");
    EXPECT_EQ(Stored("demo", "File2"), "b.c");
    EXPECT_EQ(Stored("demo", "MakeDir"), dir + "\\vex");
    std::string makefile = ReadTextFile(dir + "\\vex\\Makefile");
    EXPECT_EQ(makefile.rfind("# Tarvo Makefile for project demo\n", 0), 0u) << makefile;
    EXPECT_NE(makefile.find("\ta.obj \\\n\tb.obj\n"), std::string::npos) << makefile;
    EXPECT_EQ(editor::DocumentWindows().size(), 2u);  // both sources opened
}

TEST_F(ProjectCommands, F9OnASourceWithMainOffersTheDefaultProject) {
    CreateDirectoryA((dir + "\\vex").c_str(), nullptr);  // taken: the project gets vex1
    Open("prog.c", "int main(void)\r\n{\r\n\treturn 0;\r\n}\r\n");
    shown->answers = {platform::kAnswerYes};
    Command(CMD_MAKE);
    std::vector<std::string> boxes = BoxTexts();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "No project defined.\nBuild a default project?");
    EXPECT_EQ(boxes[1], "Project directory is:\n" + dir + "\\vex1");
    EXPECT_EQ(base::settings().currentProject, "prog");
    EXPECT_EQ(Text(frame).rfind("tarvo-prog", 0), 0u) << Text(frame);
    EXPECT_EQ(Stored("prog", "File1"), "prog.c");
    EXPECT_NE(ReadTextFile(dir + "\\vex1\\Makefile").find("prog.exe:\t$(OBJS) Makefile\n"), std::string::npos);
    // And it is built: the compiler system's make, compiler and linker run in the background.
    ASSERT_TRUE(WaitUntil([] { return project::projectRun().build == project::BuildState::Idle; }, 100000));
    std::vector<std::string> rows = ListedMessages();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2].rfind("prog.exe built successfully. (", 0), 0u) << rows[rows.size() - 2];
    EXPECT_NE(rows.back().find(", Return code: 0"), std::string::npos) << rows.back();
    EXPECT_EQ(GetFileAttributesA((dir + "\\vex1\\prog.exe").c_str()) != INVALID_FILE_ATTRIBUTES, true);
}

// The compiler system installed under a folder with a blank: its tools still start, and the
// makefile names them whole.
TEST_F(ProjectCommands, ACompilerRootWithABlankStillWorks) {
    std::string root = dir + "\\Program Files\\vex";
    for (const std::string& d : {dir + "\\Program Files", root, root + "\\bin", root + "\\include"})
        CreateDirectoryA(d.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((BuildRoot() + "\\bin\\vex.exe").c_str(), (root + "\\bin\\vex.exe").c_str(), FALSE));
    WriteTextFile(root + "\\include\\lib.h", "int lib;\r\n");
    base::settings().compilerRoot = root;
    Open("prog.c", "#include <lib.h>\r\nint main(void) { return 0; }\r\n");
    shown->answers = {platform::kAnswerYes};
    Command(CMD_MAKE);
    std::string makefile = ReadTextFile(dir + "\\vex\\Makefile");
    EXPECT_NE(makefile.find("CC=\"" + root + "\\bin\\vex.exe\"\n"), std::string::npos) << makefile;
    EXPECT_NE(makefile.find("CFLAGS=\"-I" + root + "\\include\""), std::string::npos) << makefile;
    // The scan ran from there and found the header in the root's include folder.
    EXPECT_NE(makefile.find("\t\"" + root + "\\include\\lib.h\"\\\n"), std::string::npos) << makefile;
}

TEST_F(ProjectCommands, FortySixFilesAskBeforeOpening) {
    std::string names;
    for (int i = 1; i <= 46; ++i) {
        std::string name = "f" + std::to_string(i) + ".c";
        WriteTextFile(dir + "\\" + name, "int x;\r\n");
        names += "\"" + name + "\" ";
    }
    shown->answers = {platform::kAnswerNo, platform::kAnswerNo};  // no generator; do not open them
    AnswerDialogs({
        [](HWND prompt) {
            SetDlgItemTextA(prompt, IDC_EDIT, "many");
            Press(prompt, IDOK);
        },
        [&](HWND definition) {
            SetDlgItemTextA(definition, IDC_PROJECT_PATH, dir.c_str());
            Press(definition, IDOK);
        },
        FinishSteps,
        ChooseFiles(names),
    });
    Command(CMD_PROJECT_CREATE);
    std::vector<std::string> boxes = BoxTexts();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Open 46 files?"), boxes.end());
    EXPECT_EQ(Stored("many", "PrjFiles"), "46");
    EXPECT_TRUE(editor::DocumentWindows().empty());
    EXPECT_NE(ReadTextFile(dir + "\\vex\\Makefile").find("\tf46.obj\n"), std::string::npos);  // still written
}

// The dependency scan runs the compiler system's own vex.exe: its log shows the exact
// command line, and what it finds becomes the makefile's dependency lines.
TEST_F(ProjectCommands, TheDependencyScanRunsTheCompilerWithTheProjectsOptions) {
    std::string log = dir + "\\tools.log";
    SetEnvironmentVariableA("TARVO_TOOL_LOG", log.c_str());
    WriteTextFile(dir + "\\my defs.h", "#define X 1\r\n");
    Open("prog.c", "#include \"my defs.h\"\r\nint main(void) { return X; }\r\n");
    shown->answers = {platform::kAnswerYes};
    Command(CMD_MAKE);
    SetEnvironmentVariableA("TARVO_TOOL_LOG", nullptr);
    std::string logged = ReadTextFile(log);
    size_t tab = logged.find('\t');
    ASSERT_NE(tab, std::string::npos) << logged;
    EXPECT_TRUE(_stricmp(logged.substr(0, tab).c_str(), dir.c_str()) == 0) << logged;  // run in the sources
    std::string command = logged.substr(tab + 1);
    std::string expected = BuildRoot() + "\\bin\\vex.exe -M -Fo";
    EXPECT_EQ(command.rfind(expected, 0), 0u) << command;
    std::string tail = " -I" + BuildRoot() + "\\include " + dir + "\\prog.c\n";
    EXPECT_TRUE(command.ends_with(tail)) << command;
    std::string makefile = ReadTextFile(dir + "\\vex\\Makefile");
    EXPECT_NE(makefile.find("my defs.h\"\\\n"), std::string::npos) << makefile;
}

}  // namespace
}  // namespace tarvo::test
