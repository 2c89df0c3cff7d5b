// The settings over a whole run: the start-up reading and the exit writing, with the first run
// when the compiler system was never set up.
#include "base/first_run.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/language.h"
#include "editor/search_state.h"
#include "settings_test_util.h"
#include "shell/session_settings.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

using platform::memorySettingsBackend;

int& dialogs() {
    static int count = 0;
    return count;
}
std::string programOutsideARoot() { return "Z:\\nowhere\\tarvo.exe"; }
char driveZ() { return 'Z'; }
bool cancelled(const char*, std::string&) {
    ++dialogs();
    return false;
}

struct SessionSettings : test::MemorySettingsTest {
    base::FirstRunHooks saved = base::firstRunHooks();
    void SetUp() override {
        reset();
        dialogs() = 0;
        base::setFirstRunHooks({programOutsideARoot, driveZ, cancelled});
    }
    void TearDown() override {
        base::setFirstRunHooks(saved);
        reset();
    }
    static void reset() {
        Reset();
        base::ResetSettings();
        ResetShellState();
        editor::ResetLanguages();
        editor::ResetSearchState();
    }
};

TEST_F(SessionSettings, ACancelledFirstRunIsAskedAndReportedOnceInARun) {
    ReadStartupSettings();
    EXPECT_EQ(base::settings().compilerRoot, "");
    EXPECT_EQ(base::settings().tabSize, 4);
    EXPECT_FALSE(base::settings().languages.empty());  // the built-in ones stay usable
    base::settings().saveAtExit = true;
    base::settings().tabSize = 8;
    EXPECT_FALSE(WriteExitSettings());

    EXPECT_EQ(dialogs(), 1);
    EXPECT_EQ(Boxes(), base::GetString(base::kTextNoCompilerRoot) + std::string("|"));
    EXPECT_EQ(boxes.ui.boxes[0].title, "Information");
    EXPECT_FALSE(memorySettingsBackend().keyExists(base::kVexKey));

    // The next run asks again.
    base::ResetStoreState();
    ReadStartupSettings();
    EXPECT_EQ(dialogs(), 2);
}

TEST_F(SessionSettings, TheExitWritesWhatTheNextStartReads) {
    Store("includepath", "C:\\vex\\include", base::kCompilerKey);
    ReadStartupSettings();
    EXPECT_EQ(base::settings().compilerRoot, "C:\\vex");
    base::settings().tabSize = 8;
    shell().recentFiles = {"c:\\b.c", "c:\\a.c"};
    ASSERT_TRUE(WriteExitSettings());

    base::settings().saveAtExit = false;  // nothing is written then
    base::settings().tabSize = 2;
    EXPECT_FALSE(WriteExitSettings());

    ResetShellState();
    ReadStartupSettings();
    EXPECT_EQ(base::settings().tabSize, 8);
    EXPECT_EQ(shell().recentFiles, (std::vector<std::string>{"c:\\b.c", "c:\\a.c"}));
    EXPECT_EQ(dialogs(), 0);
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

}  // namespace
}  // namespace tarvo::shell
