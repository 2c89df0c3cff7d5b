// Changing the bindings of the command key table (the keyboard dialog of the configuration),
// and the frame's accelerators that give the same bindings as the table.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "base/key_table.h"
#include "base/settings.h"

namespace tarvo::base {

// A key as the user reads it, e.g. "Ctrl+Shift+F7" (mods: kMod* bits).
std::string KeyText(int key, int mods);
// A command as the keyboard dialog names it: its status help, or a name of its own.
std::string CommandKeyName(int command);
// The keys the dialog offers: letters, digits, function and movement keys.
std::span<const int> ChoosableKeys();

// An accelerator of the frame: a virtual key with kMod* bits.
struct Accelerator {
    int key = 0;
    int mods = 0;
    int command = 0;
    bool operator==(const Accelerator&) const = default;
};
// True when the accelerator is the built-in binding of a key-table row: it then follows that
// row when the user changes it.
bool FollowsKeyRow(const Accelerator& a);
// The accelerators as the table binds them now: one following a row takes the row's key (and
// is dropped while the row has none); the others stay.
std::vector<Accelerator> FollowKeyRows(std::span<const Accelerator> builtIn, std::span<const CommandKey> rows);

// A menu item's text with the key the table now gives its command: the part after the tab is
// replaced when it names one of the command's built-in keys; any other text stays as it is.
std::string MenuTextFollowingKeys(const std::string& text, int command, std::span<const CommandKey> rows);

// Why a key cannot go to a row: None, a letter or digit without Ctrl or Alt (it would no longer
// type), or a key that another command has (`command` names it).
enum class KeyRefusal { None, NeedsCtrlOrAlt, Taken };
struct KeyCheck {
    KeyRefusal refusal = KeyRefusal::None;
    int command = 0;
};
// `fixed` are the frame's accelerators that follow no row (they take their keys first).
KeyCheck CheckNewKey(const std::vector<KeyRow>& rows, std::size_t row, int key, int mods,
                     std::span<const Accelerator> fixed);

// Binds the row to the key; the row is marked changed (and so stored) unless the key is its
// built-in one. Reset gives the row its built-in key back.
void BindKey(std::vector<KeyRow>& rows, std::size_t row, int key, int mods);
void ResetKey(std::vector<KeyRow>& rows, std::size_t row);

}  // namespace tarvo::base
