// The command key table (editor key bindings, Alt+letter menu shortcuts and the rule that a
// command needs an open document) and the debugger key table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/settings.h"

namespace tarvo::base {

// Modifier mask bits of a row.
inline constexpr int kModCtrl = 0x01;
inline constexpr int kModAlt = 0x02;
inline constexpr int kModShift = 0x04;
inline constexpr int kModMatching = kModCtrl | kModAlt | kModShift;
// kKeyChanged (0x08, settings.h) marks a binding the user changed; 0x10 is carried by some rows
// as stored. Neither takes part in matching.
inline constexpr int kKeyFlag10 = 0x10;

// Virtual-key codes the tables use.
namespace vk {
inline constexpr std::uint8_t Back = 0x08, Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24,
                              Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D,
                              Delete = 0x2E, F1 = 0x70, F2 = 0x71, F3 = 0x72, F4 = 0x73,
                              F5 = 0x74, F7 = 0x76, F8 = 0x77, F9 = 0x78, F11 = 0x7A,
                              F12 = 0x7B;
}

// One 6-byte row: key 0 means the row only names a command (it never matches a key).
struct CommandKey {
    std::uint8_t key;
    std::uint8_t zero;
    std::uint16_t command;
    std::uint8_t mask;
    std::uint8_t worksWithoutDocument;  // 0: ignored while no editor window is open
};
static_assert(sizeof(CommandKey) == 6);

// The built-in tables; the command key table ends at a row with command 0.
extern const std::span<const CommandKey> kDefaultCommandKeys;
extern const std::span<const CommandKey> kDebuggerKeys;

// Rows from this index on are ours, beyond the classic table (Ctrl+Z, Ctrl+Y, Ctrl+F, Ctrl+H,
// Ctrl+O, Ctrl+N, Ctrl+A, F1): a user's own Ctrl+letter text macro wins over them.
inline constexpr std::size_t kFirstAddedKeyRow = 37;
bool IsAddedKeyRow(std::span<const CommandKey> rows, const CommandKey* row);

// The row bound to a key with the held modifiers (kMod* bits), or null; and its command, or 0. A row matches when
// its key equals the key and every modifier it names is held; a row naming none matches only
// when none is held. Of the matching rows the one naming the most modifiers wins (so Ctrl+Shift
// +Home reaches its own row, not the plain Ctrl+Home one), the first of equals.
const CommandKey* FindKeyRow(std::span<const CommandKey> rows, int key, int held);
int FindKeyCommand(std::span<const CommandKey> rows, int key, int held);

// An editor window's key: while debugging the debugger key table is asked first.
int EditorKeyCommand(std::span<const CommandKey> rows, int key, int held, bool debugging);

// WM_MENUCHAR: the character upper-cased; the first row with that key and the Alt bit.
int MenuCharCommand(std::span<const CommandKey> rows, int character);

// The command key table in use: the built-in rows as the user's stored bindings changed them.
std::vector<CommandKey>& commandKeys();
void ResetCommandKeys();

// While debugging, a posted function key (CMD_FIRST_FUNCTION_KEY to CMD_LAST_FUNCTION_KEY) becomes its debugger command; any
// other id, or a function key without a debugger binding, is returned unchanged.
int DebuggerKeySubstitute(int command);

// The rows as the settings store keeps them (row index, key, command, mask), and back: stored
// keys and masks are applied to the rows whose command still matches.
std::vector<KeyRow> KeyRowsOf(std::span<const CommandKey> rows);
void ApplyKeyRows(const std::vector<KeyRow>& stored, std::vector<CommandKey>& rows);

}  // namespace tarvo::base
