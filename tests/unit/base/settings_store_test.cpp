#include <gtest/gtest.h>

#include "platform/memory_settings.h"
#include "scripted_ui.h"
#include "base/settings_store.h"

namespace tarvo::base {
namespace {

using platform::memorySettingsBackend;

struct SettingsStore : ::testing::Test {
    test::ScopedScriptedUi boxes;
    SettingsKey key;
    void SetUp() override {
        platform::ResetMemorySettings();
        platform::setSettingsBackend(memorySettingsBackend());
        memorySettingsBackend().createKey(kVexKey);
        ASSERT_TRUE(OpenMainKey(key));
    }
    void TearDown() override { platform::ResetMemorySettings(); }
    void store(const std::string& name, const std::string& text) {
        ASSERT_EQ(memorySettingsBackend().writeValue(kMainKey, name, text), 0u);
    }
};

TEST_F(SettingsStore, NumbersFollowTheAtolRule) {
    for (auto [name, text] : {std::pair{"a", "12ab"}, {"b", "ab"}, {"c", " -7"}, {"d", ""}})
        store(name, text);
    EXPECT_EQ(ReadNumber(key, "a", 99), 12);
    EXPECT_EQ(ReadNumber(key, "b", 99), 0);  // letters only: 0, not the default
    EXPECT_EQ(ReadNumber(key, "c", 99), -7);
    EXPECT_EQ(ReadNumber(key, "d", 99), 0);
    EXPECT_EQ(ReadNumber(key, "absent", 99), 99);
    EXPECT_EQ(ReadNumber(key, "A", 99), 12);  // names compare without case
}

TEST_F(SettingsStore, AValueLongerThan511CharactersCountsAsAbsent) {
    store("t511", std::string(511, 'x'));
    store("t512", std::string(512, 'x'));
    store("n512", std::string(512, '7'));
    std::string text = "old";
    EXPECT_TRUE(ReadText(key, "t511", text));
    EXPECT_EQ(text.size(), 511u);
    EXPECT_FALSE(ReadText(key, "t512", text));
    EXPECT_EQ(text, "");  // emptied first
    EXPECT_EQ(ReadNumber(key, "n512", 5), 5);
    text = "default";
    ReadTextOr(key, "t512", text);
    EXPECT_EQ(text, "default");
}

TEST_F(SettingsStore, AFailedWriteIsShownOnceAndStopsTheSequence) {
    platform::FailNthWrite(2, 5);
    EXPECT_TRUE(WriteNumber(key, "First", 1));
    EXPECT_FALSE(WriteNumber(key, "Second", 2));
    EXPECT_FALSE(WriteNumber(key, "Third", 3));
    EXPECT_TRUE(key.failed);
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "Error 5 writing to the registry");
    EXPECT_EQ(boxes.ui.boxes[0].title, "Error");
    EXPECT_EQ(platform::MemoryValueNames(kMainKey), std::vector<std::string>{"First"});
    SettingsKey again;  // an empty name would overwrite the key's default value
    ASSERT_TRUE(OpenMainKey(again));
    EXPECT_FALSE(WriteText(again, "", "x"));
    EXPECT_EQ(boxes.ui.boxes.size(), 2u);
}

TEST_F(SettingsStore, ProjectKeys) {
    SettingsKey project;
    ASSERT_TRUE(OpenProjectKey(project, "Alpha"));
    ASSERT_TRUE(WriteText(project, "Name", "Alpha"));
    EXPECT_TRUE(DeleteProject("alpha"));
    EXPECT_FALSE(memorySettingsBackend().keyExists("Software\\vex\\Tarvo\\Alpha"));
    // A bad name would reach the main key itself or a key below another project.
    for (std::string bad : {std::string(), std::string("a\\b"), std::string(50, 'p')}) {
        EXPECT_FALSE(OpenProjectKey(project, bad));
        EXPECT_FALSE(DeleteProject(bad));
    }
    EXPECT_EQ(boxes.ui.boxes.size(), 6u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "Incorrect project name ''");
    EXPECT_TRUE(memorySettingsBackend().keyExists(kMainKey));
    EXPECT_TRUE(memorySettingsBackend().subkeys(kMainKey).empty());
}

TEST_F(SettingsStore, CompilerRootIsTheIncludePathLessItsLastPart) {
    std::string root = "unchanged";
    EXPECT_TRUE(CompilerRootFromIncludePath("C:\\vex\\include", root));
    EXPECT_EQ(root, "C:\\vex");
    root = "unchanged";
    EXPECT_FALSE(CompilerRootFromIncludePath("include", root));
    EXPECT_EQ(root, "unchanged");
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "Incorrect path for compiler in registry");
}

}  // namespace
}  // namespace tarvo::base
