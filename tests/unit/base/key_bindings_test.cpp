#include <gtest/gtest.h>

#include <vector>

#include "base/command_ids.h"
#include "base/key_bindings.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "settings_test_util.h"

namespace tarvo::base {
namespace {

std::vector<KeyRow> builtIn() { return KeyRowsOf(kDefaultCommandKeys); }

size_t rowOf(const std::vector<KeyRow>& rows, int command) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].command == command) return i;
    ADD_FAILURE() << "no row for " << command;
    return 0;
}

TEST(KeyBindings, EveryKeyOfferedAndEveryCommandOfTheTableHasAName) {
    EXPECT_EQ(KeyText(vk::F7, kModCtrl | kModAlt | kModShift | kKeyChanged), "Ctrl+Alt+Shift+F7");
    for (int key : ChoosableKeys()) EXPECT_EQ(KeyText(key, 0).find('#'), std::string::npos) << key;
    for (const CommandKey& r : kDefaultCommandKeys) {
        if (r.command == 0) break;
        EXPECT_EQ(CommandKeyName(r.command).find("command "), std::string::npos) << r.command;
    }
    EXPECT_EQ(CommandKeyName(CMD_WORD_LEFT), "Move one word left");
    EXPECT_EQ(CommandKeyName(65000), "command 65000");
}

TEST(KeyBindings, RefusedKeysNameTheCommandThatHasThem) {
    std::vector<KeyRow> rows = builtIn();
    size_t selectAll = rowOf(rows, CMD_SELECT_ALL);
    std::vector<Accelerator> fixed{{vk::F2, kModShift, CMD_FIRST_UTILITY + 1}};
    auto check = [&](size_t row, int key, int mods) { return CheckNewKey(rows, row, key, mods, fixed); };
    // A letter, digit or blank alone, or with Shift only, would no longer type.
    EXPECT_EQ(check(selectAll, 'Q', 0).refusal, KeyRefusal::NeedsCtrlOrAlt);
    EXPECT_EQ(check(selectAll, '5', kModShift).refusal, KeyRefusal::NeedsCtrlOrAlt);
    EXPECT_EQ(check(selectAll, 'Q', kModAlt).refusal, KeyRefusal::None);
    KeyCheck taken = check(selectAll, 'S', kModCtrl);  // Save's row also carries 0x10
    EXPECT_EQ(taken.refusal, KeyRefusal::Taken);
    EXPECT_EQ(taken.command, CMD_SAVE);
    // Only the exact modifiers take a key: Ctrl+Shift+S is free.
    EXPECT_EQ(check(selectAll, 'S', kModCtrl | kModShift).refusal, KeyRefusal::None);
    EXPECT_EQ(check(selectAll, vk::F2, kModShift).command, CMD_FIRST_UTILITY + 1);
    // A row keeps its own key, and the two rows of Undo may share one.
    EXPECT_EQ(check(selectAll, 'A', kModCtrl).refusal, KeyRefusal::None);
    EXPECT_EQ(check(rowOf(rows, CMD_UNDO), 'Z', kModCtrl).refusal, KeyRefusal::None);
    // A key freed by a rebinding is free.
    BindKey(rows, rowOf(rows, CMD_SAVE), 'S', kModAlt);
    EXPECT_EQ(check(selectAll, 'S', kModCtrl).refusal, KeyRefusal::None);
}

// The dialog's changes through the settings store and back into a fresh key table, as the
// next start reads them; a reset row is no longer stored.
struct KeyBindingsStore : test::MemorySettingsTest {
    void SetUp() override {
        MemorySettingsTest::SetUp();
        Store("includepath", "C:\\vex\\include", kCompilerKey);
        platform::memorySettingsBackend().createKey(kMainKey);
    }
    static void write(const std::vector<KeyRow>& rows) {
        Settings s;
        s.keyRows = rows;
        ASSERT_TRUE(WriteSettings(s));
    }
    static std::vector<KeyRow> read() {
        Settings s;
        s.keyRows = KeyRowsOf(kDefaultCommandKeys);  // as the start fills them before reading
        EXPECT_TRUE(ReadSettings(s, {"", "C:\\start"}));
        return s.keyRows;
    }
};

TEST_F(KeyBindingsStore, ChangedRowsRoundTripAndResetRowsAreDropped) {
    std::vector<KeyRow> rows = builtIn();
    size_t save = rowOf(rows, CMD_SAVE), top = rowOf(rows, CMD_TOP), find = rowOf(rows, CMD_FIND);
    BindKey(rows, save, 'W', kModCtrl | kModShift);
    BindKey(rows, top, vk::Up, kModCtrl | kModAlt);
    BindKey(rows, find, vk::F3, kModAlt);  // its own key: not a change
    EXPECT_EQ(rows[save].modifiers, kModCtrl | kModShift | kKeyFlag10 | kKeyChanged);
    EXPECT_EQ(rows[find], builtIn()[find]);
    write(rows);
    EXPECT_EQ(Stored("Accelerators"), "2");

    std::vector<KeyRow> stored = read();
    EXPECT_EQ(stored, rows);
    std::vector<CommandKey> table(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    ApplyKeyRows(stored, table);
    EXPECT_EQ(FindKeyCommand(table, 'W', kModCtrl | kModShift), CMD_SAVE);
    EXPECT_EQ(FindKeyCommand(table, 'S', kModCtrl), 0);
    EXPECT_EQ(FindKeyCommand(table, vk::Up, kModCtrl | kModAlt), CMD_TOP);
    EXPECT_EQ(FindKeyCommand(table, vk::Home, kModCtrl), 0);

    ResetKey(stored, save);
    BindKey(stored, top, vk::Home, kModCtrl);  // bound back by hand: the same as a reset
    EXPECT_EQ(stored, builtIn());
    write(stored);
    EXPECT_EQ(Stored("Accelerators"), "0");
    EXPECT_EQ(read(), builtIn());
}

TEST(KeyBindings, FrameAcceleratorsAndMenusFollowTheirRows) {
    const Accelerator undo{vk::Back, kModAlt, CMD_UNDO}, utility{vk::F1, kModShift, CMD_FIRST_UTILITY},
        open{'O', kModCtrl, CMD_OPEN};
    EXPECT_TRUE(FollowsKeyRow(undo));
    EXPECT_TRUE(FollowsKeyRow(open));
    EXPECT_FALSE(FollowsKeyRow(utility));
    std::vector<CommandKey> table(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    const Accelerator builtInTable[] = {undo, utility, open};
    EXPECT_EQ(FollowKeyRows(builtInTable, table), (std::vector<Accelerator>{undo, utility, open}));
    std::vector<KeyRow> rows = builtIn();
    BindKey(rows, 1, vk::Back, kModCtrl | kModAlt);  // the row of Alt+Backspace
    BindKey(rows, rowOf(rows, CMD_OPEN), 'O', kModCtrl | kModShift);
    ApplyKeyRows(rows, table);
    EXPECT_EQ(FollowKeyRows(builtInTable, table),
              (std::vector<Accelerator>{{vk::Back, kModCtrl | kModAlt, CMD_UNDO}, utility,
                                        {'O', kModCtrl | kModShift, CMD_OPEN}}));
    // The menus name the new keys; texts naming no built-in key of their command stay.
    EXPECT_EQ(MenuTextFollowingKeys("&Undo\tAlt+Backspace", CMD_UNDO, table), "&Undo\tCtrl+Alt+Backspace");
    EXPECT_EQ(MenuTextFollowingKeys("&Quit\tAlt+F4", CMD_QUIT, table), "&Quit\tAlt+F4");
    EXPECT_EQ(MenuTextFollowingKeys("&Save\tCtrl+S", CMD_SAVE, table), "&Save\tCtrl+S");
    EXPECT_EQ(MenuTextFollowingKeys("compile root", CMD_MAKE, table), "compile root");
}

}  // namespace
}  // namespace tarvo::base
