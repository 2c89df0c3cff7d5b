#include "shell/key_table.h"

#include <bit>
#include <cctype>

namespace tarvo::shell {
namespace {

constexpr std::uint8_t kNeedsDoc = 0;
constexpr std::uint8_t kAnyTime = 1;

constexpr CommandKey row(std::uint8_t key, int mask, int command, std::uint8_t works) {
    return {key, 0, static_cast<std::uint16_t>(command), static_cast<std::uint8_t>(mask), works};
}
// A row that only says whether its command needs a document.
constexpr CommandKey named(int command, std::uint8_t works) { return row(0, 0, command, works); }

constexpr int Ctrl = kModCtrl, Alt = kModAlt, Shift = kModShift;

// Rows of one key are ordered from the most modifiers to none, so the plain first-match reading
// of the table gives the same answers as FindKeyCommand.
constexpr CommandKey kCommandKeys[] = {
    row('S', Ctrl | kKeyFlag10, 1103, kNeedsDoc),  // Save
    row(vk::Back, Alt, 1110, kNeedsDoc),           // Undo
    row('X', Ctrl, 1111, kNeedsDoc),               // Cut
    row(vk::Delete, Shift, 1111, kNeedsDoc),
    row('C', Ctrl, 1112, kNeedsDoc),  // Copy
    row(vk::Insert, Ctrl, 1112, kNeedsDoc),
    row('V', Ctrl, 1113, kNeedsDoc),  // Paste
    row(vk::Insert, Shift, 1113, kNeedsDoc),
    row(vk::Down, Shift, 1115, kNeedsDoc),
    row(vk::F11, Ctrl, 1191, kNeedsDoc),  // Recenter
    row(vk::Home, Ctrl | Shift, 1171, kNeedsDoc),
    row(vk::End, Ctrl | Shift, 1172, kNeedsDoc),
    row(vk::Home, Ctrl, 1121, kNeedsDoc),  // Top
    row(vk::End, Ctrl, 1122, kNeedsDoc),   // End
    row('G', Ctrl, 1123, kNeedsDoc),       // Line
    row(vk::F12, 0, 1168, kNeedsDoc),      // Functions list
    row(vk::F3, Alt, 1137, kNeedsDoc),     // Find
    row(vk::F3, Ctrl, 1136, kNeedsDoc),    // Find previous
    row(vk::F3, 0, 1135, kNeedsDoc),       // Find next
    row(vk::F7, Ctrl | Shift, 1144, kNeedsDoc),  // Go to next bookmark
    row(vk::F7, Ctrl, 1143, kNeedsDoc),          // Go to bookmark
    row(vk::F7, 0, 1142, kNeedsDoc),             // Set bookmark
    row(vk::Up, Shift, 1153, kNeedsDoc),
    row(vk::Right, Ctrl | Shift, 1165, kNeedsDoc),
    row(vk::Left, Ctrl | Shift, 1272, kNeedsDoc),
    row(vk::Right, Shift, 1154, kNeedsDoc),
    row(vk::Left, Shift, 1155, kNeedsDoc),
    row(vk::Right, Ctrl, 1163, kNeedsDoc),
    row(vk::Left, Ctrl, 1164, kNeedsDoc),
    row(vk::End, Shift, 1188, kNeedsDoc),
    row(vk::Home, Shift, 1199, kNeedsDoc),
    row(vk::Prior, Shift, 1211, kNeedsDoc),
    row(vk::Next, Shift, 1212, kNeedsDoc),
    row(vk::F8, Ctrl, 1204, kNeedsDoc),  // Symbol usage
    row(vk::F8, 0, 1158, kNeedsDoc),     // Search definition
    row(vk::F9, 0, 1156, kAnyTime),      // Make
    row(vk::F5, 0, 1268, kAnyTime),      // Debugger (the menu shows F5)

    // Editor commands without a key: they act on the current document.
    named(1104, kNeedsDoc), named(1105, kNeedsDoc), named(1108, kNeedsDoc),
    named(1120, kNeedsDoc), named(1126, kNeedsDoc), named(1139, kNeedsDoc),
    named(1145, kNeedsDoc), named(1151, kNeedsDoc), named(1167, kNeedsDoc),
    named(1170, kNeedsDoc), named(1189, kNeedsDoc), named(1190, kNeedsDoc),
    named(1201, kNeedsDoc), named(1207, kNeedsDoc), named(1208, kNeedsDoc),
    named(1220, kNeedsDoc), named(1280, kNeedsDoc),

    // Commands that work with no document open: files, windows, help, projects, builds.
    named(1101, kAnyTime), named(1102, kAnyTime), named(1106, kAnyTime),
    named(1107, kAnyTime), named(1109, kAnyTime), named(1117, kAnyTime),
    named(1119, kAnyTime), named(1124, kAnyTime), named(1128, kAnyTime),
    named(1130, kAnyTime), named(1131, kAnyTime), named(1132, kAnyTime),
    named(1133, kAnyTime), named(1152, kAnyTime), named(1192, kAnyTime),
    named(1198, kAnyTime), named(1214, kAnyTime), named(1215, kAnyTime),
    named(1216, kAnyTime), named(1217, kAnyTime), named(1225, kAnyTime),
    named(1229, kAnyTime), named(1231, kAnyTime), named(1246, kAnyTime),
    named(1254, kAnyTime), named(1262, kAnyTime), named(1267, kAnyTime),
    named(1270, kAnyTime), named(1271, kAnyTime), named(1274, kAnyTime),
    named(1275, kAnyTime), named(1276, kAnyTime), named(1291, kAnyTime),
    named(14000, kAnyTime),

    named(0, 0),
};

constexpr CommandKey kDebuggerKeyRows[] = {
    row(vk::F2, 0, 300, kAnyTime),  // Breakpoint
    row(vk::F7, 0, 330, kAnyTime),  // Run to cursor
    row(vk::F5, 0, 340, kAnyTime),  // Execute
    row(vk::F8, 0, 350, kAnyTime),  // Step in
    row(vk::F4, 0, 360, kAnyTime),  // Same level
    row(vk::F9, 0, 670, kAnyTime),  // Step out
    named(0, 0),
};

}  // namespace

const std::span<const CommandKey> kDefaultCommandKeys{kCommandKeys};
const std::span<const CommandKey> kDebuggerKeys{kDebuggerKeyRows};

int FindKeyCommand(std::span<const CommandKey> rows, int key, int held) {
    held &= kModMatching;
    int best = 0, bestCount = -1;
    for (const CommandKey& r : rows) {
        if (r.command == 0) break;
        int wanted = r.mask & kModMatching;
        if (r.key == 0 || r.key != key || (wanted & held) != wanted) continue;
        if (wanted == 0 && held != 0) continue;
        int count = std::popcount(static_cast<unsigned>(wanted));
        if (count > bestCount) best = r.command, bestCount = count;
    }
    return best;
}

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

bool NeedsDocument(std::span<const CommandKey> rows, int command) {
    for (const CommandKey& r : rows) {
        if (r.command == 0) break;
        if (r.command == command && r.worksWithoutDocument == 0) return true;
    }
    return false;
}

int DebuggerKeySubstitute(int command) {
    if (command < kFirstFunctionKeyCommand || command > kLastFunctionKeyCommand) return command;
    int found = FindKeyCommand(kDebuggerKeys, command - kFunctionKeyBase, 0);
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

}  // namespace tarvo::shell
