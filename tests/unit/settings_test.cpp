#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/memory_settings.h"
#include "scripted_ui.h"
#include "shell/settings.h"
#include "shell/settings_store.h"

namespace tarvo::shell {
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

// Every stored value, none at its default.
Settings everything(const std::string& helpFile) {
    Settings s;
    s.compilerRoot = "C:\\vex";
    s.includePath = "C:\\vex\\include";
    s.tabSize = 8; s.findFlags = 0x8001; s.commentColor = Rgb(1, 2, 3);
    s.keywordColor = Rgb(4, 5, 6); s.grepFlags = 3; s.fontHeight = -20; s.fontStyle = 700;
    s.frameZoomed = true; s.statusBar = {1, 2, 300, 40}; s.subScroll = 10;
    s.frameX = 10; s.frameY = 20; s.frameCX = 800; s.frameCY = 600; s.editorFlags = 0x7f;
    s.outputWndHeight = 55; s.fontFamily = 2; s.textColor = Rgb(9, 9, 9);
    s.backgroundColor = Rgb(250, 250, 200); s.printerFontName = "Lucida"; s.printerFontSize = 11;
    s.debuggerArguments = "-v in.txt"; s.debuggerDir = "c:\\run"; s.debuggerExeName = "c:\\a.exe";
    s.debuggerFlags = 6;
    s.utilities = {{"Grep", "grep.exe", "$FILE$", "c:\\", 1300}, {"Zip", "zip", "-r", "", 1301}};
    s.languages = {{"Modula", "MOD", "^P", "^E", "(*", "\"", "m.ico", 3, 17, {"BEGIN", "END"}, false},
                   {"C Language", "C;H;CC", "", "", "/*", "'\"", "", 5, 0, {"if", "int"}, true}};
    s.macros = {{"Ctrl+M", 4, "hello\n\x80\xff"}, {"F3", 1, std::string(50, 'q')}};
    s.keyRows = {{0, 1101, 0}, {'S', 1103, 1 | kKeyChanged}};
    s.print = 7; s.includeFlags = 0; s.currentDir = "c:\\work"; s.winHelpComp = "hc.exe";
    s.winHelpDataBase = helpFile; s.fontName = "Consolas"; s.currentFile = "c:\\work\\a.c";
    s.projects = {"Alpha", "Beta"};
    s.currentProject = "Alpha";
    ProjectSettings& p = s.project;
    p.frame = {10, 20, 800, 600}; p.statusBar = {5, 6, 7, 8}; p.currentFile = "c:\\alpha\\m.c";
    p.openFiles = {{"c:\\alpha\\m.c", 10, {1, 2, 3, 4}, false}, {"c:\\alpha\\u.c", 0, {-1, 0, 9, 9}, false}};
    p.projectPath = "c:\\alpha"; p.sourcesDir = "c:\\alpha\\src"; p.defines = "-DX";
    p.includes = "-Ic:\\inc"; p.libraries = "m.lib"; p.linkerArgs = "-s"; p.makeName = "make.exe";
    p.makeArgs = "-k"; p.makeDir = "c:\\alpha\\vex"; p.exe = "alpha.exe";
    p.debuggerArguments = "1 2"; p.debuggerExeName = "alpha.exe"; p.debuggerDir = "c:\\dbg";
    p.compilerFlags = 0x88; p.projectFlags = 8 | kProjectUsesCms | kProjectEiffel | kProjectFortran;
    p.fortranFlags = 3; p.eiffelFlags = 5; p.eiffelRootClass = "ROOT"; p.eiffelRootProcedure = "make";
    p.exeMajorVersion = 2; p.exeMinorVersion = 7; p.errorFile = "alpha.err";
    p.breakpoints = {{"c:\\alpha\\m.c", 12}, {"u.c", 300}};
    p.fileProcessors = {{"a.y", "yacc a.y", "a.c"}, {"b.l", "lex b.l", "b.c"}};
    p.files = {{"m.c", {"m.h", "u.h"}}, {"u.c", {}}, {"v.c", {"v.h"}}};
    p.users = {"ann", "bob"}; p.cmsDirectory = "c:\\alpha\\CMS";
    p.putOptions = 36; p.getOptions = 2; p.fileOptions = 1; p.lockOptions = 0; p.usersOptions = 0;
    p.userName = "ann";
    p.releases = {{"R1", "ann", std::string(1100, 'r') + "end", "99.1.1.0.0.0", {"m.c,1.2", "u.c,1.1"}},
                  {"R2", "bob", "short", "99.2.1.0.0.0", {}}};
    return s;
}

TEST_F(SettingsFile, EverythingWrittenIsReadBack) {
    std::filesystem::path help = std::filesystem::temp_directory_path() / "tarvo_settings_w32.hlp";
    std::ofstream(help) << "help";
    Settings written = everything(help.string());
    memorySettingsBackend().createKey("Software\\vex\\Tarvo\\Beta");
    ASSERT_TRUE(WriteSettings(written));
    ASSERT_TRUE(WriteProjectLists(written));
    ASSERT_TRUE(WriteReleases(written));
    Settings read;
    read.languages = {{"C Language", "C;H", "", "", "/*", "'\"", "", 1, 0, {"if"}, true}};
    read.keyRows = {{0, 1101, 0}, {0, 1103, 0}};
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

TEST_F(SettingsFile, AFailedWriteStopsTheWholeSequence) {
    Settings s = everything("h");
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
}  // namespace tarvo::shell
