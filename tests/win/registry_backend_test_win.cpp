// The registry backend against the real (Wine) registry of the build's own prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/registry_win.h"

namespace tarvo::platform {
namespace {

const char kTestKey[] = "Software\\tarvo-test";

class RegistryBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRegistryReadOnly(false);
        RegistryBackend().deleteKey(kTestKey);
    }
    void TearDown() override {
        SetRegistryReadOnly(false);
        RegistryBackend().deleteKey(kTestKey);
    }
    const SettingsBackend& store = RegistryBackend();
};

TEST_F(RegistryBackendTest, ValuesRoundTripAsStringsWithTheirZero) {
    std::string key = std::string(kTestKey) + "\\Tarvo";
    ASSERT_FALSE(store.keyExists(key));
    ASSERT_EQ(store.createKey(key), 0u);
    EXPECT_TRUE(store.keyExists(key));
    // A long value comes back whole: the 512-byte rule is the reader's.
    const std::pair<std::string, std::string> values[] = {
        {"Tabsize", "8"}, {"Empty", ""}, {"Long", std::string(512, 'x')}, {"Bytes", "caf\xe9 \"x\"\tend"}};
    for (const auto& [name, value] : values) ASSERT_EQ(store.writeValue(key, name, value), 0u);
    for (auto [name, value] : values) {
        std::string text = "stale";
        EXPECT_TRUE(store.readValue(key, CharLowerA(name.data()), text)) << name;  // names ignore case
        EXPECT_EQ(text, value) << name;
    }
    std::string text;
    EXPECT_FALSE(store.readValue(key, "Missing", text));
    EXPECT_FALSE(store.readValue(std::string(kTestKey) + "\\Nowhere", "Tabsize", text));

    // Stored as REG_SZ with the terminating zero, as other programs reading the key expect.
    HKEY handle;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(handle, "Tabsize", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(handle);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 2u);
}

TEST_F(RegistryBackendTest, SubkeysAreListedAndDeletedWithTheirTree) {
    std::string base = std::string(kTestKey) + "\\Tarvo";
    ASSERT_EQ(store.createKey(base + "\\alpha\\deeper"), 0u);
    ASSERT_EQ(store.createKey(base + "\\beta"), 0u);
    ASSERT_EQ(store.writeValue(base + "\\alpha", "Name", "alpha"), 0u);
    EXPECT_EQ(store.subkeys(base), (std::vector<std::string>{"alpha", "beta"}));

    EXPECT_EQ(store.deleteKey(base + "\\alpha"), 0u);
    EXPECT_FALSE(store.keyExists(base + "\\alpha"));
    EXPECT_TRUE(store.keyExists(base + "\\beta"));
    EXPECT_TRUE(store.subkeys(base + "\\nowhere").empty());
    EXPECT_NE(store.deleteKey(base + "\\nowhere"), 0u);
}

TEST_F(RegistryBackendTest, WritesFailWithTheSystemErrorOnAProtectedKey) {
    std::string key = std::string(kTestKey) + "\\Tarvo";
    ASSERT_EQ(store.createKey(key), 0u);
    ASSERT_EQ(store.writeValue(key, "Tabsize", "4"), 0u);
    SetRegistryReadOnly(true);
    EXPECT_EQ(store.writeValue(key, "Tabsize", "9"), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    EXPECT_NE(store.createKey(key + "\\new"), 0u);
    EXPECT_EQ(store.writeValue(key + "\\absent", "x", "y"), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    std::string text;
    EXPECT_TRUE(store.readValue(key, "Tabsize", text));
    EXPECT_EQ(text, "4");  // the failed write changed nothing
}

}  // namespace
}  // namespace tarvo::platform
