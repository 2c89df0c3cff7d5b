#include "base/settings_numbered.h"
#include "settings_test_util.h"

namespace tarvo::base {
namespace {

// Items are numbers; "x" is skipped, "end" ends the list.
std::string formatNumber(const long& n) { return std::to_string(n); }
ItemRead takeNumber(const std::string& text, long& n) {
    if (text == "end") return ItemRead::End;
    if (text == "x") return ItemRead::Skip;
    n = std::stol(text);
    return ItemRead::Take;
}
constexpr NumberedList<long> kNumbers{"Count", "Item", formatNumber, takeNumber};

struct NumberedLists : test::MemorySettingsTest {
    SettingsKey key;
    void SetUp() override {
        MemorySettingsTest::SetUp();
        ASSERT_TRUE(OpenOrCreateKey(key, kMainKey));
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
    EXPECT_EQ(platform::MemoryValueNames(kMainKey), (std::vector<std::string>{"Count", "Item1", "Item2", "Item3"}));
    EXPECT_EQ(read(), (std::vector<long>{10, 20, 30}));
    const std::tuple<const char*, std::string, std::vector<long>> changes[] = {
        {"Count", "2", {10, 20}},
        {"Count", "5", {10, 20, 30}},  // Item4 is missing
        {"Item2", "x", {10, 30}},
        {"Item2", "end", {10}},
        {"Item2", std::string(512, '2'), {10}},  // too long to read: as if missing
    };
    for (const auto& [name, text, items] : changes) {
        Store(name, text);
        EXPECT_EQ(read(), items) << name << "=" << text.substr(0, 5);
    }
}

TEST_F(NumberedLists, AFailedWriteIsShownOnceAndEndsTheList) {
    platform::FailNthWrite(3, 5);  // Item2
    EXPECT_FALSE(WriteList(key, kNumbers, {1, 2, 3}));
    EXPECT_EQ(platform::MemoryValueNames(kMainKey), (std::vector<std::string>{"Count", "Item1"}));
    EXPECT_EQ(Boxes(), "Error 5 writing to the registry|");
}

}  // namespace
}  // namespace tarvo::base
