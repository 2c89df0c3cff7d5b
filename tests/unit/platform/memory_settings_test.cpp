#include <gtest/gtest.h>

#include "platform/memory_settings.h"

namespace tarvo::platform {
namespace {

struct MemorySettings : ::testing::Test {
    const SettingsBackend& b = memorySettingsBackend();
    std::string text;
    void SetUp() override { ResetMemorySettings(); }
    void TearDown() override { ResetMemorySettings(); }
};

TEST_F(MemorySettings, BehavesLikeTheRegistry) {
    ASSERT_EQ(b.createKey("Software\\Vex\\Tarvo\\P\\Deep"), 0u);  // parents are created too
    b.createKey("Software\\vex\\Tarvo\\P2");
    ASSERT_EQ(b.writeValue("software\\VEX\\tarvo", "TabSize", "4"), 0u);
    ASSERT_EQ(b.writeValue("Software\\vex\\Tarvo", "TABSIZE", "8"), 0u);
    ASSERT_TRUE(b.readValue("Software\\vex\\Tarvo", "tabsize", text));
    EXPECT_EQ(text, "8");
    EXPECT_EQ(MemoryValueNames("Software\\vex\\Tarvo"), std::vector<std::string>{"TabSize"});
    EXPECT_EQ(b.writeValue("Software\\none", "a", "1"), 2u);  // the key must exist
    ASSERT_EQ(b.deleteKey("Software\\vex\\tarvo\\p"), 0u);  // the subtree, not "P2"
    EXPECT_FALSE(b.keyExists("Software\\vex\\Tarvo\\P\\Deep"));
    EXPECT_EQ(b.subkeys("Software\\vex\\Tarvo"), std::vector<std::string>{"P2"});
    b.createKey("Software\\alpha");
    EXPECT_EQ(b.subkeys("Software"), (std::vector<std::string>{"alpha", "Vex"}));
}

TEST_F(MemorySettings, InjectedFaults) {
    b.createKey("Software\\vex\\Tarvo");
    FailNthWrite(2, 5);
    EXPECT_EQ(b.writeValue("Software\\vex\\Tarvo", "a", "1"), 0u);
    EXPECT_EQ(b.writeValue("Software\\vex\\Tarvo", "b", "2"), 5u);
    EXPECT_EQ(b.writeValue("Software\\vex\\Tarvo", "c", "3"), 0u);  // only the nth fails
    FailKey("Software\\VEX", 87);  // the key and everything below it
    EXPECT_FALSE(b.keyExists("Software\\vex"));
    EXPECT_FALSE(b.readValue("Software\\vex\\Tarvo", "a", text));
    EXPECT_EQ(b.writeValue("Software\\vex\\Tarvo", "a", "2"), 87u);
    EXPECT_EQ(b.createKey("Software\\vex\\Other"), 87u);
    EXPECT_EQ(b.deleteKey("Software\\vex"), 87u);
    EXPECT_TRUE(b.subkeys("Software").empty());
    ResetMemorySettings();
    EXPECT_FALSE(b.keyExists("Software\\vex"));
    EXPECT_EQ(b.createKey("Software\\vex"), 0u);
}

}  // namespace
}  // namespace tarvo::platform
