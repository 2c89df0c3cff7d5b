#include "base/key_table.h"

#include <bit>
#include <cctype>

#include "base/commands.h"

namespace tarvo::base {
namespace {

// A row's works-without-document byte comes from the command table, so the two never disagree.
constexpr CommandKey row(std::uint8_t key, int mask, int command) {
    return {key, 0, static_cast<std::uint16_t>(command), static_cast<std::uint8_t>(mask),
            static_cast<std::uint8_t>(NeedsDocument(command) ? 0 : 1)};
}

constexpr int Ctrl = kModCtrl, Alt = kModAlt, Shift = kModShift;

// Rows of one key are ordered from the most modifiers to none, so the plain first-match reading
// of the table gives the same answers as FindKeyCommand. A stored binding names its row by
// index: new rows go at the end.
constexpr CommandKey kCommandKeys[] = {
    row('S', Ctrl | kKeyFlag10, CMD_SAVE),
    row(vk::Back, Alt, CMD_UNDO),
    row('X', Ctrl, CMD_CUT),
    row(vk::Delete, Shift, CMD_CUT),
    row('C', Ctrl, CMD_COPY),
    row(vk::Insert, Ctrl, CMD_COPY),
    row('V', Ctrl, CMD_PASTE),
    row(vk::Insert, Shift, CMD_PASTE),
    row(vk::Down, Shift, CMD_EXTEND_LINE_DOWN),
    row(vk::F11, Ctrl, CMD_RECENTER),
    row(vk::Home, Ctrl | Shift, CMD_EXTEND_TO_TOP),
    row(vk::End, Ctrl | Shift, CMD_EXTEND_TO_END),
    row(vk::Home, Ctrl, CMD_TOP),
    row(vk::End, Ctrl, CMD_END),
    row('G', Ctrl, CMD_GO_TO_LINE),
    row(vk::F12, 0, CMD_FUNCTIONS_LIST),
    row(vk::F3, Alt, CMD_FIND),
    row(vk::F3, Ctrl, CMD_FIND_PREVIOUS),
    row(vk::F3, 0, CMD_FIND_NEXT),
    row(vk::F7, Ctrl | Shift, CMD_NEXT_BOOKMARK),
    row(vk::F7, Ctrl, CMD_GO_TO_BOOKMARK),
    row(vk::F7, 0, CMD_SET_BOOKMARK),
    row(vk::Up, Shift, CMD_EXTEND_LINE_UP),
    row(vk::Right, Ctrl | Shift, CMD_EXTEND_WORD_RIGHT),
    row(vk::Left, Ctrl | Shift, CMD_EXTEND_WORD_LEFT),
    row(vk::Right, Shift, CMD_EXTEND_CHAR_RIGHT),
    row(vk::Left, Shift, CMD_EXTEND_CHAR_LEFT),
    row(vk::Right, Ctrl, CMD_WORD_RIGHT),
    row(vk::Left, Ctrl, CMD_WORD_LEFT),
    row(vk::End, Shift, CMD_EXTEND_TO_LINE_END),
    row(vk::Home, Shift, CMD_EXTEND_TO_LINE_START),
    row(vk::Prior, Shift, CMD_EXTEND_PAGE_UP),
    row(vk::Next, Shift, CMD_EXTEND_PAGE_DOWN),
    row(vk::F8, Ctrl, CMD_SYMBOL_USAGE),
    row(vk::F8, 0, CMD_SEARCH_DEFINITION),
    row(vk::F9, 0, CMD_MAKE),
    row(vk::F5, 0, CMD_DEBUGGER),  // the menu shows F5
    // The keys a Windows user types first, and help for the word at the cursor.
    row('Z', Ctrl, CMD_UNDO),
    row('Y', Ctrl, CMD_REDO),
    row('F', Ctrl, CMD_FIND),
    row('H', Ctrl, CMD_REPLACE),
    row('O', Ctrl, CMD_OPEN),
    row('N', Ctrl, CMD_NEW),
    row('A', Ctrl, CMD_SELECT_ALL),
    row(vk::F1, 0, CMD_CONTEXT_HELP),
    // The build's messages one after the other, as peer IDEs step through them.
    row(vk::F4, Ctrl | Shift, CMD_PREVIOUS_MESSAGE),  // Shift+F4 runs a utility
    row(vk::F4, 0, CMD_NEXT_MESSAGE),
    {0, 0, 0, 0, 0},
};

constexpr CommandKey kDebuggerKeyRows[] = {
    row(vk::F2, 0, CMD_BREAKPOINT),
    row(vk::F7, 0, CMD_RUN_TO_CURSOR),
    row(vk::F5, 0, CMD_DEBUG_EXECUTE),
    row(vk::F8, 0, CMD_STEP_IN),
    row(vk::F4, 0, CMD_SAME_LEVEL),
    row(vk::F9, 0, CMD_STEP_OUT),
    {0, 0, 0, 0, 0},
};

static_assert(kCommandKeys[kFirstAddedKeyRow].command == CMD_UNDO &&
              kCommandKeys[kFirstAddedKeyRow - 1].command == CMD_DEBUGGER);

}  // namespace

const std::span<const CommandKey> kDefaultCommandKeys{kCommandKeys};
const std::span<const CommandKey> kDebuggerKeys{kDebuggerKeyRows};

const CommandKey* FindKeyRow(std::span<const CommandKey> rows, int key, int held) {
    held &= kModMatching;
    const CommandKey* best = nullptr;
    int bestCount = -1;
    for (const CommandKey& r : rows) {
        if (r.command == 0) break;
        int wanted = r.mask & kModMatching;
        if (r.key == 0 || r.key != key || (wanted & held) != wanted) continue;
        if (wanted == 0 && held != 0) continue;
        int count = std::popcount(static_cast<unsigned>(wanted));
        if (count > bestCount) best = &r, bestCount = count;
    }
    return best;
}

int FindKeyCommand(std::span<const CommandKey> rows, int key, int held) {
    const CommandKey* r = FindKeyRow(rows, key, held);
    return r ? r->command : 0;
}

bool IsAddedKeyRow(std::span<const CommandKey> rows, const CommandKey* row) {
    return row && row >= rows.data() + kFirstAddedKeyRow && row < rows.data() + rows.size();
}

std::vector<CommandKey>& commandKeys() {
    static std::vector<CommandKey> rows(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    return rows;
}

void ResetCommandKeys() { commandKeys().assign(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end()); }

int EditorKeyCommand(std::span<const CommandKey> rows, int key, int held, bool debugging) {
    int command = debugging ? FindKeyCommand(kDebuggerKeys, key, held) : 0;
    return command ? command : FindKeyCommand(rows, key, held);
}

int MenuCharCommand(std::span<const CommandKey> rows, int character) {
    if (character <= 0 || character > 255) return 0;
    int upper = std::toupper(static_cast<unsigned char>(character));
    for (const CommandKey& r : rows) {
        if (r.command == 0) break;
        if (r.key != 0 && r.key == upper && (r.mask & kModAlt)) return r.command;
    }
    return 0;
}

int DebuggerKeySubstitute(int command) {
    if (command < CMD_FIRST_FUNCTION_KEY || command > CMD_LAST_FUNCTION_KEY) return command;
    int found = FindKeyCommand(kDebuggerKeys, command - CMD_FUNCTION_KEY_BASE, 0);
    return found ? found : command;
}

std::vector<KeyRow> KeyRowsOf(std::span<const CommandKey> rows) {
    std::vector<KeyRow> out;
    for (const CommandKey& r : rows) {
        if (r.command == 0) break;
        out.push_back({r.key, r.command, r.mask});
    }
    return out;
}

void ApplyKeyRows(const std::vector<KeyRow>& stored, std::vector<CommandKey>& rows) {
    for (size_t i = 0; i < stored.size() && i < rows.size(); ++i) {
        CommandKey& r = rows[i];
        const KeyRow& s = stored[i];
        if (r.command == 0) break;
        if (s.command != r.command || s.key < 0 || s.key > 255 || s.modifiers < 0 ||
            s.modifiers > 255)
            continue;
        r.key = static_cast<std::uint8_t>(s.key);
        r.mask = static_cast<std::uint8_t>(s.modifiers);
    }
}

}  // namespace tarvo::base
