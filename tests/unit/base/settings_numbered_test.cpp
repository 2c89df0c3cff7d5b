#include <gtest/gtest.h>

#include "platform/memory_settings.h"
#include "scripted_ui.h"
#include "base/settings_numbered.h"

namespace tarvo::base {
namespace {

using platform::memorySettingsBackend;

// Items are numbers; "x" is skipped, "end" ends the list.
std::string formatNumber(const long& n) { return std::to_string(n); }
ItemRead takeNumber(const std::string& text, long& n) {
    if (text == "end") return ItemRead::End;
    if (text == "x") return ItemRead::Skip;
    n = std::stol(text);
    return ItemRead::Take;
}
constexpr NumberedList<long> kNumbers{"Count", "Item", formatNumber, takeNumber};

struct NumberedLists : ::testing::Test {
    test::ScopedScriptedUi boxes;
    SettingsKey key;
    void SetUp() override {
        platform::ResetMemorySettings();
        platform::setSettingsBackend(memorySettingsBackend());
        ASSERT_TRUE(OpenOrCreateKey(key, kMainKey));
    }
    void TearDown() override { platform::ResetMemorySettings(); }
    void store(const std::string& name, const std::string& text) {
        ASSERT_EQ(memorySettingsBackend().writeValue(kMainKey, name, text), 0u);
    }
    std::vector<long> read() {
        std::vector<long> items{99};  // whatever was there goes
        ReadList(key, kNumbers, items);
        return items;
    }
};

TEST_F(NumberedLists, ReadingEndsAtTheCountAMissingItemOrTheItemsVerdict) {
    EXPECT_EQ(read(), std::vector<long>{});  // no count: an empty list
    ASSERT_TRUE(WriteList(key, kNumbers, {10, 20, 30}));
    EXPECT_EQ(platform::MemoryValueNames(kMainKey),
              (std::vector<std::string>{"Count", "Item1", "Item2", "Item3"}));
    EXPECT_EQ(read(), (std::vector<long>{10, 20, 30}));
    store("Count", "2");
    EXPECT_EQ(read(), (std::vector<long>{10, 20}));
    store("Count", "5");
    EXPECT_EQ(read(), (std::vector<long>{10, 20, 30}));  // Item4 is missing
    store("Item2", "x");
    EXPECT_EQ(read(), (std::vector<long>{10, 30}));
    store("Item2", "end");
    EXPECT_EQ(read(), std::vector<long>{10});
    store("Item2", std::string(512, '2'));  // too long to read: as if missing
    EXPECT_EQ(read(), std::vector<long>{10});
}

TEST_F(NumberedLists, AFailedWriteIsShownOnceAndEndsTheList) {
    platform::FailNthWrite(3, 5);  // Item2
    EXPECT_FALSE(WriteList(key, kNumbers, {1, 2, 3}));
    EXPECT_EQ(platform::MemoryValueNames(kMainKey), (std::vector<std::string>{"Count", "Item1"}));
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "Error 5 writing to the registry");
}

}  // namespace
}  // namespace tarvo::base
