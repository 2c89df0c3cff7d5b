#include <filesystem>
#include <fstream>

#include "base/first_run.h"
#include "base/messages.h"
#include "base/settings.h"
#include "settings_test_util.h"

namespace tarvo::base {
namespace {

namespace fs = std::filesystem;
using platform::memorySettingsBackend;

// What the scripted hooks answer, and what the dialog was asked.
struct Script {
    std::string commandLine;
    bool answerDialog = false;
    std::string dialogAnswer;
    std::vector<std::string> dialogTitles;
};
Script& script() {
    static Script s;
    return s;
}
std::string scriptedCommandLine() { return script().commandLine; }
char driveD() { return 'D'; }
bool scriptedDialog(const char* title, std::string& directory) {
    script().dialogTitles.push_back(title);
    directory = script().dialogAnswer;
    return script().answerDialog;
}

// Roots are made below the working directory with relative names, which read the same with
// backslashes on Windows and, through the file layer, on the native build.
struct FirstRun : test::MemorySettingsTest {
    FirstRunHooks saved = firstRunHooks();
    std::string dir = std::string("first_run_") +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
    void SetUp() override {
        MemorySettingsTest::SetUp();
        script() = Script{};
        setFirstRunHooks({scriptedCommandLine, driveD, scriptedDialog});
        fs::create_directories(fs::path(dir) / "good" / "include");
        fs::create_directories(fs::path(dir) / "bad" / "Bin");
        std::ofstream(fs::path(dir) / "good" / "include" / "windows.h") << "/* */";
    }
    void TearDown() override {
        setFirstRunHooks(saved);
        MemorySettingsTest::TearDown();
        fs::remove_all(dir);
    }
};

TEST(RootFromCommandLine, TakesTheProgramsDirectoryLessBin) {
    EXPECT_EQ(RootFromCommandLine("\"C:\\Program Files\\vex\\BIN\\tarvo.exe\" /w", 'C'),
              "C:\\Program Files\\vex");
    EXPECT_EQ(RootFromCommandLine("C:\\vex\\bin\\tarvo.exe C:\\src\\a.c", 'C'), "C:\\vex");
    EXPECT_EQ(RootFromCommandLine("C:\\tools\\tarvo.exe", 'C'), "C:\\tools");
    EXPECT_EQ(RootFromCommandLine("\\vex\\bin\\tarvo.exe", 'E'), "E:\\vex");
    EXPECT_EQ(RootFromCommandLine("\\\\server\\vex\\bin\\tarvo.exe", 'E'), "\\\\server\\vex");
    EXPECT_EQ(RootFromCommandLine("tarvo.exe", 'C'), "");
    EXPECT_EQ(RootFromCommandLine("C:\\cabin\\tarvo.exe", 'C'), "C:\\cabin");
}

TEST_F(FirstRun, TheRootIsFoundFromTheCommandLine) {
    script().commandLine = "\"" + dir + "\\good\\BIN\\tarvo.exe\" /w";
    Settings s;
    ASSERT_TRUE(ReadSettings(s, {}));
    EXPECT_EQ(s.compilerRoot, dir + "\\good");
    EXPECT_EQ(Stored("includepath", kCompilerKey), dir + "\\good\\include");
    EXPECT_EQ(Stored("libpath", kLinkerKey), dir + "\\good\\lib");
    EXPECT_TRUE(memorySettingsBackend().keyExists(kMainKey));
    EXPECT_TRUE(script().dialogTitles.empty());
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

// A root from the command line without include\windows.h: the user is asked, and a chosen
// root needs it too (a trailing backslash is dropped). A cancelled dialog is the session
// settings' test.
TEST_F(FirstRun, AChosenRootWithoutWindowsHIsRefusedAndTheSetUpIsTriedOnceARun) {
    script().commandLine = dir + "\\bad\\Bin\\tarvo.exe";
    script().answerDialog = true;
    script().dialogAnswer = dir + "\\bad";
    SettingsKey key;
    EXPECT_FALSE(OpenMainKey(key));
    EXPECT_EQ(Boxes(), "File " + dir + "\\bad\\include\\windows.h not found!|");
    EXPECT_FALSE(memorySettingsBackend().keyExists(kVexKey));
    EXPECT_FALSE(OpenMainKey(key));
    EXPECT_FALSE(OpenProjectKey(key, "Alpha"));
    EXPECT_EQ(script().dialogTitles.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(storeState().firstRun, FirstRunOutcome::Failed);
    // Done in this run and the key taken away since: no second set-up either.
    ResetStoreState();
    script().dialogAnswer = dir + "\\good\\";
    ASSERT_TRUE(OpenMainKey(key));
    EXPECT_EQ(storeState().firstRun, FirstRunOutcome::Done);
    EXPECT_EQ(Stored("includepath", kCompilerKey), dir + "\\good\\include");
    memorySettingsBackend().deleteKey(kVexKey);
    EXPECT_FALSE(OpenMainKey(key));
    EXPECT_EQ(script().dialogTitles, std::vector<std::string>(2, "Enter path for the compiler root directory"));
}

TEST_F(FirstRun, AFailedWriteIsReported) {
    script().commandLine = dir + "\\good\\bin\\tarvo.exe";
    platform::FailNthWrite(2, 1013);  // libpath
    std::string root = "old";
    EXPECT_FALSE(RunFirstRun(root));
    EXPECT_EQ(root, "old");
    EXPECT_EQ(Boxes(), "Error 1013 writing to the registry|");
    EXPECT_FALSE(memorySettingsBackend().keyExists(kVexKey));  // the next start tries again
}

}  // namespace
}  // namespace tarvo::base
