#include <algorithm>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/memory_settings.h"
#include "scripted_ui.h"
#include "settings_sample.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "base/command_ids.h"

namespace tarvo::base {
namespace {

using platform::memorySettingsBackend;

constexpr char kProjectKey[] = "Software\\vex\\Tarvo\\Alpha";

struct SettingsFile : ::testing::Test {
    test::ScopedScriptedUi boxes;
    void SetUp() override {
        platform::ResetMemorySettings();
        platform::setSettingsBackend(memorySettingsBackend());
        memorySettingsBackend().createKey(kCompilerKey);
        memorySettingsBackend().writeValue(kCompilerKey, "includepath", "C:\\vex\\include");
        memorySettingsBackend().createKey(kMainKey);
    }
    void TearDown() override { platform::ResetMemorySettings(); }
    void store(const char* key, const std::string& name, const std::string& text) {
        memorySettingsBackend().createKey(key);
        ASSERT_EQ(memorySettingsBackend().writeValue(key, name, text), 0u);
    }
    std::string stored(const char* key, const std::string& name) {
        std::string text;
        return memorySettingsBackend().readValue(key, name, text) ? text : "<absent>";
    }
    Settings read(const std::string& project = {}) {
        Settings s;
        EXPECT_TRUE(ReadSettings(s, {project, "C:\\start"}));
        return s;
    }
};

TEST_F(SettingsFile, AnEmptyStoreGivesTheDefaults) {
    Settings s = read();
    EXPECT_EQ(s.compilerRoot, "C:\\vex");
    EXPECT_EQ(s.tabSize, 4);
    EXPECT_EQ(s.commentColor, 0x808080);
    EXPECT_EQ(s.keywordColor, 192);
    EXPECT_EQ(s.backgroundColor, 0xFFFFFF);
    EXPECT_EQ(s.fontHeight, -13);
    EXPECT_EQ(s.editorFlags, 47);
    EXPECT_EQ(s.fontFamily, 49);
    EXPECT_EQ(s.print, 1053);
    EXPECT_EQ(s.includeFlags, 1);
    EXPECT_EQ(s.subScroll, 1);
    EXPECT_EQ(s.printerFontName, "Courier New");
    EXPECT_EQ(s.fontName, "Courier");
    EXPECT_EQ(s.winHelpComp, "hcrtf.exe");
    EXPECT_EQ(s.winHelpDataBase, "C:\\vex\\bin\\win32.hlp");
    EXPECT_EQ(s.currentDir, "C:\\start");
    EXPECT_FALSE(s.projectActive());
    EXPECT_EQ(s.project, ProjectSettings{});
    EXPECT_EQ(s.project.compilerFlags, 8);
    EXPECT_EQ(s.project.exeMajorVersion, 1);
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

TEST_F(SettingsFile, OddStoredValues) {
    store(kMainKey, "BackupFile", "1");
    store(kMainKey, "EditorFlags", "1");
    store(kMainKey, "SubScroll", "-3");
    store(kMainKey, "CurrentFile", "untitled");
    store(kMainKey, "WinHelpDataBase", "C:\\nowhere\\w.hlp");
    store(kMainKey, "FindFlags", "65537");  // 16 bits
    Settings s = read();
    EXPECT_EQ(s.editorFlags, 1 | kEditorBackups);
    EXPECT_EQ(stored(kMainKey, "BackupFile"), "0");  // rewritten at once
    EXPECT_EQ(s.subScroll, 1);
    EXPECT_EQ(s.currentFile, "");
    EXPECT_EQ(s.winHelpDataBase, "C:\\vex\\bin\\win32.hlp");  // the stored file does not exist
    EXPECT_EQ(s.findFlags, 1);
    store(kMainKey, "EditorFlags", "1");
    EXPECT_EQ(read().editorFlags, 1);  // migrated once only
}

TEST_F(SettingsFile, TheCurrentProjectAndTheProjectList) {
    store(kProjectKey, "ProjectPath", "c:\\alpha");
    store("Software\\vex\\Tarvo\\Beta", "ProjectPath", "c:\\beta");
    memorySettingsBackend().createKey("Software\\vex\\Tarvo\\" + std::string(50, 'L'));
    store(kMainKey, "CMSProjectPath", "Alpha");
    Settings s = read();
    EXPECT_EQ(s.projects, (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(s.currentProject, "Alpha");
    EXPECT_EQ(s.project.projectPath, "c:\\alpha");
    store(kMainKey, "CurrentProject", "Beta");
    EXPECT_EQ(read().project.projectPath, "c:\\beta");
    EXPECT_EQ(read("Alpha").project.projectPath, "c:\\alpha");  // "/prj:" comes first
}

TEST_F(SettingsFile, TheIncludePathIsChecked) {
    store(kCompilerKey, "includepath", "include");
    Settings s = read();
    EXPECT_EQ(s.compilerRoot, "");
    ASSERT_EQ(boxes.ui.boxes.size(), 2u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "Incorrect path for compiler in registry");
    EXPECT_EQ(boxes.ui.boxes[1].text,
              "Incorrect value for Include path in the registry\nKey: includePath");
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
    EXPECT_TRUE(boxes.ui.boxes.empty());
    std::filesystem::remove(help);
}

TEST_F(SettingsFile, OpenFilesGoToTheProjectKeyWhileAProjectIsActive) {
    Settings s;
    s.openFiles = {{"c:\\a.c", 3, {1, 2, 3, 4}, false}, {"untitled", 0, {}, true}};
    ASSERT_TRUE(WriteSettings(s));
    EXPECT_EQ(stored(kMainKey, "OpenFiles"), "1");
    EXPECT_EQ(read().openFiles, std::vector<OpenFile>{s.openFiles[0]});

    s.currentProject = "Alpha";
    s.project.openFiles = {{"c:\\p.c", 1, {}, false}};
    s.openFiles.clear();
    ASSERT_TRUE(WriteSettings(s));
    EXPECT_EQ(stored(kMainKey, "OpenFiles"), "1");  // left as it was
    EXPECT_EQ(stored(kMainKey, "OpenFile1"), "\"c:\\a.c\" 3 1 2 3 4");
    EXPECT_EQ(stored(kProjectKey, "OpenFile1"), "\"c:\\p.c\" 1 0 0 0 0");
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

// The values' names as the reading asks for them.
std::vector<std::string>& readLog() {
    static std::vector<std::string> log;
    return log;
}
bool loggedRead(const std::string& key, const std::string& name, std::string& text) {
    readLog().push_back(name);
    return memorySettingsBackend().readValue(key, name, text);
}

TEST_F(SettingsFile, TheStartUpReadingTakesTheValuesInItsOrder) {
    store(kMainKey, "CurrentProject", "Alpha");
    store(kProjectKey, "EiffelRootClass", "ROOT");
    platform::SettingsBackend logging = memorySettingsBackend();
    logging.readValue = loggedRead;
    platform::setSettingsBackend(logging);
    readLog().clear();
    read();
    std::vector<std::string> expected{
        "includepath", "Tabsize", "FindFlags", "CommentColor", "KeywordColor", "Grep",
        "FontHeight", "FontStyle", "FrameZoomed", "StatusBar", "SubScroll", "FrameX", "FrameY",
        "FrameCX", "FrameCY", "EditorFlags", "OutputWndHeight", "BackupFile", "FontFamily",
        "TextColor", "BackgroundColor", "PrinterFontName", "PrinterFontSize", "DebuggerArguments",
        "DebuggerDir", "DebuggerExeName", "DebuggerFlags", "NumberOfUtilities", "Languages",
        "Macros", "Accelerators", "Print", "IncludeFlags", "CurrentDir", "WinHelpComp",
        "WinHelpDataBase", "FontName", "CurrentFile", "CurrentProject",
        // the project's definition
        "Frame", "OpenFiles", "CurrentFile", "ProjectPath", "Libraries", "LinkerArgs",
        "SourcesDir", "Defines", "Includes", "CompilerFlags", "ProjectFlags", "EiffelRootClass",
        "EiffelRootProcedure", "ErrorFile", "NumberOfBreakpoints", "MakeName", "MakeArgs",
        "ExeMajorVersion", "ExeMinorVersion", "MakeDir", "Exe", "DebuggerArguments",
        "DbgExeName", "DbgDir", "StatusBar", "NrOfFileProcessors", "UserName",
        // its lists and version-store options, and its releases
        "PrjFiles", "UserCount", "CmsDirectory", "PutOptions", "GetOptions", "FileOptions",
        "LockOptions", "UsersOptions", "ProjectFlags", "ReleasesListLen"};
    EXPECT_EQ(readLog(), expected);
}

TEST_F(SettingsFile, TheProjectKeyIsWrittenInItsOrder) {
    Settings s = test::EverySetting("h");
    s.project.userName.clear();
    ASSERT_TRUE(WriteSettings(s));
    std::vector<std::string> expected{
        "Frame", "StatusBar", "Name", "CurrentFile", "OpenFiles", "OpenFile1", "OpenFile2",
        "ProjectPath", "SourcesDir", "Defines", "Includes", "Libraries", "LinkerArgs",
        "MakeName", "MakeArgs", "MakeDir", "Exe", "DebuggerArguments", "DbgExeName", "DbgDir",
        "CompilerFlags", "ProjectFlags", "FortranFlags", "EiffelFlags", "ExeMajorVersion",
        "ExeMinorVersion", "NumberOfBreakpoints", "BreakPoint1", "BreakPoint2", "ErrorFile",
        "NrOfFileProcessors", "FileProcessor1", "FileProcessor2"};
    EXPECT_EQ(platform::MemoryValueNames(kProjectKey), expected);

    // Without make settings they are left alone; a user name comes last.
    platform::ResetMemorySettings();
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
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "Error 5 writing to the registry");
    EXPECT_EQ(stored(kMainKey, "SubScroll"), "10");
    EXPECT_EQ(stored(kMainKey, "Util1Nickname"), "Grep");
    EXPECT_EQ(stored(kMainKey, "Util1Progname"), "<absent>");
    EXPECT_EQ(stored(kMainKey, "Languages"), "<absent>");
    EXPECT_EQ(stored(kMainKey, "FrameX"), "<absent>");
    EXPECT_FALSE(memorySettingsBackend().keyExists(kProjectKey));
}

}  // namespace
}  // namespace tarvo::base
