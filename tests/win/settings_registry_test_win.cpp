// The settings store on the real (Wine) registry: round trips across processes, the first run,
// and a write failing in the middle of the exit sequence.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "child_win.h"
#include "platform/registry_win.h"
#include "scripted_ui.h"
#include "settings_sample.h"
#include "test_util_win.h"
#include "base/first_run.h"
#include "base/settings.h"
#include "base/settings_store.h"

namespace tarvo::base {
namespace {

std::string Value(const std::string& key, const std::string& name) {
    std::string text;
    return platform::RegistryBackend().readValue(key, name, text) ? text : "<absent>";
}

struct FirstRunScript {
    static inline std::string commandLine;
    static inline std::string answer;
    static inline std::string askedTitle;
    static inline int asked = 0;
};

std::string ScriptedCommandLine() { return FirstRunScript::commandLine; }
char ScriptedDrive() { return 'Z'; }
bool ScriptedAsk(const char* title, std::string& directory) {
    ++FirstRunScript::asked;
    FirstRunScript::askedTitle = title;
    directory = FirstRunScript::answer;
    return !directory.empty();
}

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetRegistryReadOnly(false);
        platform::setSettingsBackend(platform::RegistryBackend());
        platform::RegistryBackend().deleteKey("Software\\vex");
        ResetStoreState();
        saved = firstRunHooks();
        setFirstRunHooks({ScriptedCommandLine, ScriptedDrive, ScriptedAsk});
        FirstRunScript::asked = 0;
        FirstRunScript::answer.clear();
        FirstRunScript::commandLine = "\"" + test::BuildRoot() + "\\bin\\tarvo.exe\" a.c";
    }
    void TearDown() override {
        setFirstRunHooks(saved);
        ResetStoreState();
        platform::SetRegistryReadOnly(false);
        platform::RegistryBackend().deleteKey("Software\\vex");
    }
    FirstRunHooks saved{};
    test::ScopedScriptedUi boxes;
};

TEST_F(RegistrySettings, ValuesWrittenAtExitAreReadBackByASecondProcess) {
    std::string help = test::BuildRoot() + "\\bin\\settings-test.hlp";
    std::ofstream(help) << "help";
    platform::RegistryBackend().createKey("Software\\vex\\Compiler");
    platform::RegistryBackend().writeValue("Software\\vex\\Compiler", "includepath", "C:\\vex\\include");
    platform::RegistryBackend().createKey("Software\\vex\\Tarvo\\Beta");
    Settings written = test::EverySetting(help);
    ASSERT_TRUE(WriteSettings(written));
    ASSERT_TRUE(WriteProjectLists(written));
    ASSERT_TRUE(WriteReleases(written));
    EXPECT_TRUE(boxes.ui.boxes.empty());
    EXPECT_EQ(test::StartChild("read-every-setting", "\"" + help + "\""), 0);
    DeleteFileA(help.c_str());
}

TEST_F(RegistrySettings, AMissingVexKeyRunsTheFirstRunWhichFindsTheRootFromTheProgramsPath) {
    Settings s;
    ASSERT_TRUE(ReadSettings(s, {"", "C:\\start"}));
    EXPECT_EQ(FirstRunScript::asked, 0);
    std::string root = test::BuildRoot();
    EXPECT_EQ(Value("Software\\vex\\Compiler", "includepath"), root + "\\include");
    EXPECT_EQ(Value("Software\\vex\\vexlnk", "libpath"), root + "\\lib");
    EXPECT_TRUE(platform::RegistryBackend().keyExists("Software\\vex\\Tarvo"));
    EXPECT_EQ(s.compilerRoot, root);
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

TEST_F(RegistrySettings, AProgramOutsideARootAsksForTheRoot) {
    FirstRunScript::commandLine = "Z:\\tmp\\elsewhere\\tarvo.exe";
    FirstRunScript::answer = test::BuildRoot();
    Settings s;
    ASSERT_TRUE(ReadSettings(s, {"", "C:\\start"}));
    EXPECT_EQ(FirstRunScript::asked, 1);
    EXPECT_EQ(FirstRunScript::askedTitle, "Enter path for the compiler root directory");
    EXPECT_EQ(Value("Software\\vex\\Compiler", "includepath"), test::BuildRoot() + "\\include");

    // Asked again at the next start, with no answer: the reading fails and nothing is created.
    platform::RegistryBackend().deleteKey("Software\\vex");
    ResetStoreState();
    FirstRunScript::answer.clear();
    Settings again;
    EXPECT_FALSE(ReadSettings(again, {"", "C:\\start"}));
    EXPECT_FALSE(platform::RegistryBackend().keyExists("Software\\vex\\Compiler"));
    EXPECT_TRUE(again.compilerRoot.empty());
}

// Lets a number of writes through to the registry, then makes its keys read-only.
struct FailingAfter {
    static inline int left = 0;
    static unsigned long write(const std::string& key, const std::string& name,
                               const std::string& text) {
        if (left-- == 0) platform::SetRegistryReadOnly(true);
        return platform::RegistryBackend().writeValue(key, name, text);
    }
};

TEST_F(RegistrySettings, AFailedWriteStopsTheExitSequenceWithTheMessage) {
    platform::RegistryBackend().createKey("Software\\vex\\Compiler");
    platform::RegistryBackend().createKey("Software\\vex\\Tarvo");
    platform::SettingsBackend failing = platform::RegistryBackend();
    failing.writeValue = FailingAfter::write;
    FailingAfter::left = 3;  // StatusBar, Tabsize and FindFlags get through
    platform::setSettingsBackend(failing);
    Settings s = test::EverySetting("h");
    s.currentProject.clear();
    EXPECT_FALSE(WriteSettings(s));
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes[0].text,
              "Error " + std::to_string(ERROR_ACCESS_DENIED) + " writing to the registry");
    EXPECT_EQ(boxes.ui.boxes[0].title, "Error");
    EXPECT_EQ(Value("Software\\vex\\Tarvo", "Tabsize"), "8");
    EXPECT_EQ(Value("Software\\vex\\Tarvo", "FindFlags"), std::to_string(0x8001));
    EXPECT_EQ(Value("Software\\vex\\Tarvo", "CommentColor"), "<absent>");
    EXPECT_EQ(Value("Software\\vex\\Tarvo", "FrameX"), "<absent>");
    EXPECT_EQ(Value("Software\\vex\\Tarvo", "OpenFiles"), "<absent>");
}

}  // namespace
}  // namespace tarvo::base
