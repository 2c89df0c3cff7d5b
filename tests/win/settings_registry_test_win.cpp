// The settings store on the real (Wine) registry: round trips across processes and the first
// run. (A write failing in the exit sequence is the native settings tests' case: the memory
// store fails with the registry's error code, whose failure the registry backend test checks.)
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

// The first run finds the root from the program's path; asking the user is counted (and
// cancelled).
int asked = 0;
std::string ScriptedCommandLine() { return "\"" + test::BuildRoot() + "\\bin\\tarvo.exe\" a.c"; }
char ScriptedDrive() { return 'Z'; }
bool ScriptedAsk(const char*, std::string&) { return ++asked, false; }

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setSettingsBackend(platform::RegistryBackend());
        platform::RegistryBackend().deleteKey("Software\\vex");
        ResetStoreState();
        saved = firstRunHooks();
        setFirstRunHooks({ScriptedCommandLine, ScriptedDrive, ScriptedAsk});
        asked = 0;
    }
    void TearDown() override {
        setFirstRunHooks(saved);
        ResetStoreState();
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
    EXPECT_EQ(asked, 0);
    std::string root = test::BuildRoot();
    EXPECT_EQ(Value("Software\\vex\\Compiler", "includepath"), root + "\\include");
    EXPECT_EQ(Value("Software\\vex\\vexlnk", "libpath"), root + "\\lib");
    EXPECT_TRUE(platform::RegistryBackend().keyExists("Software\\vex\\Tarvo"));
    EXPECT_EQ(s.compilerRoot, root);
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

}  // namespace
}  // namespace tarvo::base
