#include "base/key_bindings.h"

#include <array>

#include "base/command_ids.h"
#include "base/messages.h"
#include "platform/text.h"

namespace tarvo::base {
namespace {

struct NamedKey {
    int key;
    const char* name;
};
constexpr NamedKey kKeyNames[] = {
    {vk::Back, "Backspace"}, {0x09, "Tab"},         {0x0D, "Enter"},       {0x1B, "Esc"},
    {0x20, "Space"},         {vk::Prior, "PgUp"},   {vk::Next, "PgDn"},    {vk::End, "End"},
    {vk::Home, "Home"},      {vk::Left, "Left"},    {vk::Up, "Up"},        {vk::Right, "Right"},
    {vk::Down, "Down"},      {vk::Insert, "Ins"},   {vk::Delete, "Del"},
};

constexpr int kFirstFunctionKey = vk::F1, kLastFunctionKey = vk::F1 + 23;

constexpr auto kChoosable = [] {
    std::array<int, 26 + 10 + 12 + 11> keys{};
    std::size_t n = 0;
    for (int c = 'A'; c <= 'Z'; ++c) keys[n++] = c;
    for (int c = '0'; c <= '9'; ++c) keys[n++] = c;
    for (int f = 0; f < 12; ++f) keys[n++] = vk::F1 + f;
    for (int k : {int(vk::Back), int(vk::Insert), int(vk::Delete), int(vk::Home), int(vk::End), int(vk::Prior),
                  int(vk::Next), int(vk::Left), int(vk::Up), int(vk::Right), int(vk::Down)})
        keys[n++] = k;
    return keys;
}();

constexpr unsigned kMsgCommandNumber = 6253;  // "command %d"
constexpr unsigned kStatusHelpBase = 7000;

// Names of the key table's commands that no menu item describes.
struct CommandName {
    int command;
    unsigned message;
};
constexpr CommandName kCommandNames[] = {
    {CMD_EXTEND_LINE_DOWN, 6260},
    {CMD_EXTEND_LINE_UP, 6261},
    {CMD_EXTEND_CHAR_RIGHT, 6262},
    {CMD_EXTEND_CHAR_LEFT, 6263},
    {CMD_WORD_RIGHT, 6264},
    {CMD_WORD_LEFT, 6265},
    {CMD_EXTEND_WORD_RIGHT, 6266},
    {CMD_EXTEND_WORD_LEFT, 6267},
    {CMD_EXTEND_TO_TOP, 6268},
    {CMD_EXTEND_TO_END, 6269},
    {CMD_EXTEND_TO_LINE_END, 6270},
    {CMD_EXTEND_TO_LINE_START, 6271},
    {CMD_EXTEND_PAGE_UP, 6272},
    {CMD_EXTEND_PAGE_DOWN, 6273},
    {CMD_SYMBOL_USAGE, 6274},
    {CMD_SEARCH_DEFINITION, 6275},
    {CMD_DEBUGGER, 6276},
    {CMD_CONTEXT_HELP, 6277},
};

bool typesText(int key) { return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == 0x20; }

const CommandKey* builtInRow(std::size_t row) {
    return row < kDefaultCommandKeys.size() && kDefaultCommandKeys[row].command ? &kDefaultCommandKeys[row]
                                                                                : nullptr;
}

// The built-in row whose binding the accelerator is, or -1.
long builtInRowOf(const Accelerator& a) {
    for (std::size_t i = 0; i < kDefaultCommandKeys.size() && kDefaultCommandKeys[i].command; ++i) {
        const CommandKey& r = kDefaultCommandKeys[i];
        if (r.command == a.command && r.key == a.key && (r.mask & kModMatching) == a.mods) return static_cast<long>(i);
    }
    return -1;
}

}  // namespace

std::string KeyText(int key, int mods) {
    std::string text = std::string(mods & kModCtrl ? "Ctrl+" : "") + (mods & kModAlt ? "Alt+" : "") +
                       (mods & kModShift ? "Shift+" : "");
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return text + static_cast<char>(key);
    if (key >= kFirstFunctionKey && key <= kLastFunctionKey) return text + Printf("F%d", key - vk::F1 + 1);
    for (const NamedKey& k : kKeyNames)
        if (k.key == key) return text + k.name;
    return text + Printf("#%d", key);
}

std::span<const int> ChoosableKeys() { return kChoosable; }

std::string CommandKeyName(int command) {
    for (const CommandName& n : kCommandNames)
        if (n.command == command) return GetString(n.message);
    std::string help = GetString(static_cast<unsigned>(command) + kStatusHelpBase);
    return help.empty() ? Printf(GetString(kMsgCommandNumber), command) : help;
}

bool FollowsKeyRow(const Accelerator& a) { return builtInRowOf(a) >= 0; }

std::vector<Accelerator> FollowKeyRows(std::span<const Accelerator> builtIn, std::span<const CommandKey> rows) {
    std::vector<Accelerator> out;
    for (const Accelerator& a : builtIn) {
        long found = builtInRowOf(a);
        std::size_t row = found < 0 ? rows.size() : static_cast<std::size_t>(found);
        if (row >= rows.size() || rows[row].command != a.command) {
            out.push_back(a);  // no row gives it
            continue;
        }
        if (rows[row].key) out.push_back({rows[row].key, rows[row].mask & kModMatching, a.command});
    }
    return out;
}

std::string MenuTextFollowingKeys(const std::string& text, int command, std::span<const CommandKey> rows) {
    size_t tab = text.rfind('\t');
    if (tab == std::string::npos) return text;
    std::string shown = text.substr(tab + 1);
    for (std::size_t i = 0; i < kDefaultCommandKeys.size() && i < rows.size(); ++i) {
        const CommandKey& home = kDefaultCommandKeys[i];
        if (home.command == 0) break;
        if (home.command != command || rows[i].command != command || KeyText(home.key, home.mask) != shown) continue;
        return text.substr(0, tab + 1) + (rows[i].key ? KeyText(rows[i].key, rows[i].mask) : std::string());
    }
    return text;
}

KeyCheck CheckNewKey(const std::vector<KeyRow>& rows, std::size_t row, int key, int mods,
                     std::span<const Accelerator> fixed) {
    mods &= kModMatching;
    if (typesText(key) && !(mods & (kModCtrl | kModAlt))) return {KeyRefusal::NeedsCtrlOrAlt, 0};
    int command = row < rows.size() ? rows[row].command : 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const KeyRow& r = rows[i];
        // Two rows of one command may share a key: either gives the same command.
        if (i == row || r.command == 0 || r.command == command || r.key != key) continue;
        if ((r.modifiers & kModMatching) == mods) return {KeyRefusal::Taken, r.command};
    }
    for (const Accelerator& a : fixed)
        if (a.key == key && a.mods == mods && a.command != command) return {KeyRefusal::Taken, a.command};
    return {};
}

void BindKey(std::vector<KeyRow>& rows, std::size_t row, int key, int mods) {
    const CommandKey* home = builtInRow(row);
    if (!home || row >= rows.size()) return;
    mods &= kModMatching;
    if (key == home->key && mods == (home->mask & kModMatching)) {
        ResetKey(rows, row);
        return;
    }
    rows[row].key = key;
    rows[row].modifiers = (home->mask & kKeyFlag10) | mods | kKeyChanged;
}

void ResetKey(std::vector<KeyRow>& rows, std::size_t row) {
    const CommandKey* home = builtInRow(row);
    if (!home || row >= rows.size()) return;
    rows[row].key = home->key;
    rows[row].modifiers = home->mask;
}

}  // namespace tarvo::base
