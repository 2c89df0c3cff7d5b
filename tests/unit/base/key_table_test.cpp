#include <gtest/gtest.h>

#include <vector>

#include "base/commands.h"
#include "base/key_table.h"

namespace tarvo::base {
namespace {

// No row is shadowed by another, and its document byte is the command table's rule.
TEST(CommandKeys, EveryBoundRowIsReachedWithItsOwnModifiers) {
    for (const CommandKey& r : kDefaultCommandKeys) {
        if (r.command == 0) break;
        EXPECT_NE(r.key, 0) << r.command;
        EXPECT_EQ(FindKeyCommand(kDefaultCommandKeys, r.key, r.mask & kModMatching), r.command)
            << "key " << int(r.key) << " mask " << int(r.mask);
        EXPECT_EQ(r.worksWithoutDocument == 0, NeedsDocument(r.command)) << r.command;
    }
}

TEST(CommandKeys, ModifierRules) {
    auto find = [](int key, int held) { return FindKeyCommand(kDefaultCommandKeys, key, held); };
    EXPECT_EQ(find('S', kModCtrl), CMD_SAVE);  // the row also carries 0x10
    EXPECT_EQ(find('S', kModCtrl | kModShift), CMD_SAVE);  // extra modifiers still match
    EXPECT_EQ(find('S', 0), 0);
    EXPECT_EQ(find(vk::F3, kModShift), 0);  // a row naming none needs none held
    EXPECT_EQ(find(vk::Home, kModCtrl | kModShift), CMD_EXTEND_TO_TOP);
    EXPECT_EQ(find(vk::Home, kModCtrl | kModShift | kModAlt), CMD_EXTEND_TO_TOP);
    EXPECT_EQ(find(0, 0), 0);
}

TEST(CommandKeys, ChangedBindingsApplyAndCarryTheirFlag) {
    // Rows the user may store by index keep their places.
    EXPECT_EQ(kDefaultCommandKeys[kFirstAddedKeyRow - 1].command, CMD_DEBUGGER);
    std::vector<CommandKey> rows(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    std::vector<KeyRow> stored = KeyRowsOf(rows);
    ASSERT_EQ(stored[0].command, CMD_SAVE);
    stored[0] = {'B', CMD_SAVE, kModAlt | kKeyChanged};
    stored[1] = {'Q', 9999, kModAlt};  // a binding for another command is not applied
    ApplyKeyRows(stored, rows);
    EXPECT_EQ(FindKeyCommand(rows, 'B', kModAlt), CMD_SAVE);
    EXPECT_EQ(FindKeyCommand(rows, 'S', kModCtrl), 0);
    EXPECT_EQ(FindKeyCommand(rows, 'Q', kModAlt), 0);
    EXPECT_EQ(FindKeyCommand(rows, vk::Back, kModAlt), CMD_UNDO);
    // WM_MENUCHAR: the character upper-cased, rows with the Alt bit only.
    EXPECT_EQ(MenuCharCommand(rows, 'b'), CMD_SAVE);
    EXPECT_EQ(MenuCharCommand(rows, 'g'), 0);  // Ctrl+G has no Alt bit
    EXPECT_EQ(MenuCharCommand(rows, 0), 0);
}

TEST(CommandKeys, DebuggerKeysWhileDebugging) {
    EXPECT_EQ(DebuggerKeySubstitute(CMD_FUNCTION_KEY_BASE + vk::F5), CMD_DEBUG_EXECUTE);
    EXPECT_EQ(EditorKeyCommand(kDefaultCommandKeys, vk::F9, 0, true), CMD_STEP_OUT);
    EXPECT_EQ(EditorKeyCommand(kDefaultCommandKeys, vk::F9, 0, false), CMD_MAKE);
    EXPECT_EQ(EditorKeyCommand(kDefaultCommandKeys, vk::F7, kModCtrl, true), CMD_GO_TO_BOOKMARK);
    for (int unchanged : {CMD_FIRST_FUNCTION_KEY - 1, CMD_FIRST_FUNCTION_KEY, CMD_LAST_FUNCTION_KEY,
                          CMD_LAST_FUNCTION_KEY + 1, CMD_DEBUG_EXECUTE})
        EXPECT_EQ(DebuggerKeySubstitute(unchanged), unchanged);
}

}  // namespace
}  // namespace tarvo::base
