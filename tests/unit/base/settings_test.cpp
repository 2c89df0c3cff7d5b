#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/command_ids.h"
#include "base/settings.h"
#include "settings_sample.h"
#include "settings_test_util.h"

namespace tarvo::base {
namespace {

using platform::memorySettingsBackend;

constexpr char kProjectKey[] = "Software\\vex\\Tarvo\\Alpha";

struct SettingsFile : test::MemorySettingsTest {
    void SetUp() override {
        MemorySettingsTest::SetUp();
        Store("includepath", "C:\\vex\\include", kCompilerKey);
        memorySettingsBackend().createKey(kMainKey);
    }
    Settings read(const std::string& project = {}) {
        Settings s;
        EXPECT_TRUE(ReadSettings(s, {project, "C:\\start"}));
        return s;
    }
};

TEST_F(SettingsFile, OddStoredValues) {
    Store("BackupFile", "1");
    Store("EditorFlags", "1");
    Store("SubScroll", "-3");
    Store("CurrentFile", "untitled");
    Store("WinHelpDataBase", "C:\\nowhere\\w.hlp");
    Store("FindFlags", "65537");  // 16 bits
    Settings s = read();
    EXPECT_EQ(s.editorFlags, 1 | kEditorBackups);
    EXPECT_EQ(Stored("BackupFile"), "0");  // rewritten at once
    EXPECT_EQ(s.subScroll, 1);
    EXPECT_EQ(s.currentFile, "");
    EXPECT_EQ(s.winHelpDataBase, "C:\\vex\\bin\\win32.hlp");  // the stored file does not exist
    EXPECT_EQ(s.findFlags, 1);
    EXPECT_EQ(s.currentDir, "C:\\start");  // none stored: where the program started
    EXPECT_EQ(Boxes(), "");
    Store("EditorFlags", "1");
    EXPECT_EQ(read().editorFlags, 1);  // migrated once only
}

TEST_F(SettingsFile, TheCurrentProjectAndTheProjectList) {
    Store("ProjectPath", "c:\\alpha", kProjectKey);
    Store("ProjectPath", "c:\\beta", "Software\\vex\\Tarvo\\Beta");
    memorySettingsBackend().createKey("Software\\vex\\Tarvo\\" + std::string(50, 'L'));
    Store("CMSProjectPath", "Alpha");
    Settings s = read();
    EXPECT_EQ(s.projects, (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(s.currentProject, "Alpha");
    EXPECT_EQ(s.project.projectPath, "c:\\alpha");
    Store("CurrentProject", "Beta");
    EXPECT_EQ(read().project.projectPath, "c:\\beta");
    EXPECT_EQ(read("Alpha").project.projectPath, "c:\\alpha");  // "/prj:" comes first
}

TEST_F(SettingsFile, TheIncludePathIsChecked) {
    Store("includepath", "include", kCompilerKey);
    Settings s = read();
    EXPECT_EQ(s.compilerRoot, "");
    EXPECT_EQ(Boxes(), "Incorrect path for compiler in registry|"
                       "Incorrect value for Include path in the registry\nKey: includePath|");
}

// A saved release is written even when the settings are not saved at exit: the user asked.
TEST_F(SettingsFile, ReleasesAreWrittenWhenSavedWhateverTheExitSetting) {
    Settings written = test::EverySetting("");
    memorySettingsBackend().createKey("Software\\vex\\Tarvo\\Beta");
    written.saveAtExit = false;
    ASSERT_FALSE(written.project.releases.empty());
    ASSERT_TRUE(WriteReleases(written));
    Settings read = written;
    read.project.releases.clear();
    ASSERT_TRUE(ReadReleases(read));
    EXPECT_EQ(read.project.releases, written.project.releases);
}

TEST_F(SettingsFile, EverythingWrittenIsReadBack) {
    std::filesystem::path help = std::filesystem::temp_directory_path() / "tarvo_settings_w32.hlp";
    std::ofstream(help) << "help";
    Settings written = test::EverySetting(help.string());
    memorySettingsBackend().createKey("Software\\vex\\Tarvo\\Beta");
    ASSERT_TRUE(WriteSettings(written));
    ASSERT_TRUE(WriteProjectLists(written));
    ASSERT_TRUE(WriteReleases(written));
    Settings read;
    read.languages = {{"C Language", "C;H", "", "", "/*", "'\"", "", 1, 0, {"if"}, true}};
    read.keyRows = {{0, CMD_NEW, 0}, {0, CMD_SAVE, 0}};
    ASSERT_TRUE(ReadSettings(read, {"", "C:\\start"}));
    EXPECT_EQ(read.project, written.project);
    EXPECT_EQ(read.languages, written.languages);
    EXPECT_TRUE(read == written);
    EXPECT_EQ(Boxes(), "");
    std::filesystem::remove(help);
}

// The Fortran page's directories go with the Fortran flags: only a Fortran project has them
// (the round trip of a Fortran project's is in EverythingWrittenIsReadBack).
TEST_F(SettingsFile, FortranIncludesBelongToAFortranProject) {
    Settings s = test::EverySetting("h");
    s.project.projectFlags = 8;
    ASSERT_TRUE(WriteProjectLists(s));
    EXPECT_EQ(Stored("FortranIncludes", kProjectKey), "<absent>");
    Store("FortranIncludes", "c:\\stale", kProjectKey);
    s.project.fortranIncludes.clear();
    ASSERT_TRUE(ReadProjectLists(s));
    EXPECT_EQ(s.project.fortranIncludes, "");
}

TEST_F(SettingsFile, OpenFilesGoToTheProjectKeyWhileAProjectIsActive) {
    Settings s;
    s.openFiles = {{"c:\\a.c", 3, {1, 2, 3, 4}, false}, {"untitled", 0, {}, true}};
    ASSERT_TRUE(WriteSettings(s));
    EXPECT_EQ(Stored("OpenFiles"), "1");
    EXPECT_EQ(read().openFiles, std::vector<OpenFile>{s.openFiles[0]});

    s.currentProject = "Alpha";
    s.project.openFiles = {{"c:\\p.c", 1, {}, false}};
    s.openFiles.clear();
    ASSERT_TRUE(WriteSettings(s));
    EXPECT_EQ(Stored("OpenFiles"), "1");  // left as it was
    EXPECT_EQ(Stored("OpenFile1"), "\"c:\\a.c\" 3 1 2 3 4");
    EXPECT_EQ(Stored("OpenFile1", kProjectKey), "\"c:\\p.c\" 1 0 0 0 0");
    Settings r = read();
    EXPECT_TRUE(r.openFiles.empty());
    EXPECT_EQ(r.project.openFiles, s.project.openFiles);
}

TEST_F(SettingsFile, TheMainKeyIsWrittenInItsOrderWhenSaveAtExitIsOn) {
    Settings s;
    s.saveAtExit = false;
    ASSERT_TRUE(WriteSettings(s));
    EXPECT_TRUE(platform::MemoryValueNames(kMainKey).empty());
    s.saveAtExit = true;
    ASSERT_TRUE(WriteSettings(s));
    std::vector<std::string> expected{
        "StatusBar", "Tabsize", "FindFlags", "CommentColor", "KeywordColor", "OutputWndHeight",
        "EditorFlags", "Grep", "FontHeight", "FontStyle", "Print", "FrameZoomed", "FontFamily",
        "TextColor", "BackgroundColor", "PrinterFontName", "PrinterFontSize", "SubScroll",
        "NumberOfUtilities", "Languages", "Macros", "Accelerators", "Projects", "CurrentProject",
        "IncludeFlags", "WinHelpDataBase", "WinHelpComp", "CurrentDir", "FontName",
        "DebuggerArguments", "DebuggerDir", "DebuggerExeName", "DebuggerFlags", "CurrentFile",
        "FrameX", "FrameY", "FrameCX", "FrameCY", "OpenFiles"};
    EXPECT_EQ(platform::MemoryValueNames(kMainKey), expected);
}

TEST_F(SettingsFile, TheProjectKeyIsWrittenInItsOrder) {
    Settings s = test::EverySetting("h");
    s.project.userName.clear();
    ASSERT_TRUE(WriteSettings(s));
    std::vector<std::string> expected{
        "Frame", "StatusBar", "Name", "CurrentFile", "OpenFiles", "OpenFile1", "OpenFile2",
        "ProjectPath", "SourcesDir", "Defines", "Includes", "Libraries", "LinkerArgs",
        "MakeName", "MakeArgs", "MakeDir", "Exe", "DebuggerArguments", "DbgExeName", "DbgDir", "DllEntry",
        "CompilerFlags", "ProjectFlags", "FortranFlags", "EiffelFlags", "ExeMajorVersion",
        "ExeMinorVersion", "NumberOfBreakpoints", "BreakPoint1", "BreakPoint2", "ErrorFile",
        "NrOfFileProcessors", "FileProcessor1", "FileProcessor2"};
    EXPECT_EQ(platform::MemoryValueNames(kProjectKey), expected);

    // Without make settings they are left alone; a user name comes last.
    SetUp();
    s.project.makeName.clear();
    s.project.userName = "ann";
    ASSERT_TRUE(WriteSettings(s));
    std::vector<std::string> names = platform::MemoryValueNames(kProjectKey);
    EXPECT_EQ(std::count(names.begin(), names.end(), "MakeArgs"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "DbgDir"), 0);
    EXPECT_EQ(names.back(), "UserName");
}

TEST_F(SettingsFile, AFailedWriteStopsTheWholeSequence) {
    Settings s = test::EverySetting("h");
    platform::FailNthWrite(21, 5);  // Util1Progname
    EXPECT_FALSE(WriteSettings(s));
    EXPECT_EQ(Boxes(), "Error 5 writing to the registry|");
    EXPECT_EQ(Stored("SubScroll"), "10");
    EXPECT_EQ(Stored("Util1Nickname"), "Grep");
    EXPECT_EQ(Stored("Util1Progname"), "<absent>");
    EXPECT_EQ(Stored("Languages"), "<absent>");
    EXPECT_EQ(Stored("FrameX"), "<absent>");
    EXPECT_FALSE(memorySettingsBackend().keyExists(kProjectKey));
}

}  // namespace
}  // namespace tarvo::base
