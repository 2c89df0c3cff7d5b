// Set-up of the settings tests: a fresh memory store per test, scripted message boxes, and
// helpers that write and read values behind the store's back.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "base/settings_store.h"
#include "platform/memory_settings.h"
#include "scripted_ui.h"

namespace tarvo::test {

// An empty store: Software\vex is missing, so opening the main key runs the first-run set-up.
struct MemorySettingsTest : ::testing::Test {
    ScopedScriptedUi boxes;
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        platform::ResetMemorySettings();
        platform::setSettingsBackend(platform::memorySettingsBackend());
        base::ResetStoreState();
    }
    static void Store(const std::string& name, const std::string& text, const std::string& key = base::kMainKey) {
        platform::memorySettingsBackend().createKey(key);
        ASSERT_EQ(platform::memorySettingsBackend().writeValue(key, name, text), 0u);
    }
    static std::string Stored(const std::string& name, const std::string& key = base::kMainKey) {
        std::string text;
        return platform::memorySettingsBackend().readValue(key, name, text) ? text : "<absent>";
    }
    std::string Boxes() const { return BoxTexts(boxes.ui); }
};

// A store that holds Software\vex, with the main key open in `key`.
struct MainKeyTest : MemorySettingsTest {
    base::SettingsKey key;
    void SetUp() override {
        MemorySettingsTest::SetUp();
        platform::memorySettingsBackend().createKey(base::kVexKey);
        ASSERT_TRUE(base::OpenMainKey(key));
    }
};

}  // namespace tarvo::test
