#include "base/settings_store.h"
#include "settings_test_util.h"

namespace tarvo::base {
namespace {

using platform::memorySettingsBackend;
using SettingsStore = test::MainKeyTest;

TEST_F(SettingsStore, NumbersFollowTheAtolRuleAndLongValuesCountAsAbsent) {
    for (auto [name, text] : {std::pair{"a", "12ab"}, {"b", "ab"}, {"c", " -7"}, {"d", ""}}) Store(name, text);
    Store("t511", std::string(511, 'x'));
    Store("t512", std::string(512, 'x'));
    Store("n512", std::string(512, '7'));
    const std::pair<const char*, long> numbers[] = {
        {"a", 12}, {"b", 0}, {"c", -7}, {"d", 0}, {"absent", 99},
        {"A", 12},     // names compare without case
        {"n512", 99},  // too long to read
    };
    for (auto [name, value] : numbers) EXPECT_EQ(ReadNumber(key, name, 99), value) << name;
    std::string text = "old";
    EXPECT_TRUE(ReadText(key, "t511", text));
    EXPECT_EQ(text.size(), 511u);
    EXPECT_FALSE(ReadText(key, "t512", text));
    EXPECT_EQ(text, "");  // emptied first
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
    EXPECT_EQ(Boxes(), "Error 5 writing to the registry|");
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

}  // namespace
}  // namespace tarvo::base
