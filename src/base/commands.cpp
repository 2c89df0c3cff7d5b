#include "base/commands.h"

namespace tarvo::base {
namespace {

struct OwnerRange {
    int first, last;
    Owner owner;
};

// Ids of parts not built yet, and the ranges of numbered commands. A named record wins over
// these (1254, 1257 and 1262 lie inside the resource editor's first range).
constexpr OwnerRange kRanges[] = {
    {CMD_FIRST_UTILITY, CMD_LAST_UTILITY, Owner::Shell},
    {CMD_FIRST_SHARED_AREA, CMD_LAST_SHARED_AREA, Owner::Shell},
    // Kept for the editor and the source tools; they get names when they are built.
    {1145, 1145, Owner::Editor},      {1151, 1151, Owner::Editor},
    {1175, 1187, Owner::SourceTools}, {1195, 1195, Owner::SourceTools},
    {1205, 1205, Owner::SourceTools}, {1251, 1251, Owner::SourceTools},
    {1257, 1257, Owner::SourceTools}, {1262, 1262, Owner::Project},
    {1245, 1245, Owner::Debugger},    {1273, 1273, Owner::Debugger},
    {CMD_STOP_DEBUGGING, CMD_DATA_BREAKPOINTS, Owner::Debugger},
    {3004, CMD_WATCHES, Owner::Debugger},
    {CMD_FIRST_MODULE + 1, CMD_LAST_MODULE, Owner::Debugger},
    {CMD_FIRST_VERSION, CMD_LAST_VERSION, Owner::Version},
    {CMD_FIRST_RESOURCE_EDITOR, CMD_LAST_RESOURCE_EDITOR, Owner::ResourceEditor},
    {CMD_FIRST_RESOURCE_EDITOR_2, CMD_LAST_RESOURCE_EDITOR_2, Owner::ResourceEditor},
    {CMD_FIRST_RESOURCE_EDITOR_3, CMD_LAST_RESOURCE_EDITOR_3, Owner::ResourceEditor},
};

// While the resource editor window is active these go to it and nowhere else.
constexpr int kResourceEditorCommands[] = {
    CMD_SAVE, CMD_SAVE_AS, 1151, CMD_UNDO, CMD_CUT, CMD_COPY, CMD_PASTE, CMD_CLOSE,
    1459, 1453, 1141, 1134, 1454, 1450, 1253, 1259, 1260, 1263, 1261,
    7053, 7066, 7040, 7041, 7042, 7043, 7045, 7060,
};

}  // namespace

Owner OwnerOf(int id) {
    if (const Command* c = FindCommand(id)) return c->owner;
    for (const OwnerRange& r : kRanges)
        if (id >= r.first && id <= r.last) return r.owner;
    return Owner::None;
}

unsigned StatusHelpId(int id) {
    const Command* c = FindCommand(id);
    return c ? c->help : static_cast<unsigned>(id) + kHelpOffset;
}

bool SentToResourceEditor(int id) {
    for (int c : kResourceEditorCommands)
        if (c == id) return true;
    return false;
}

}  // namespace tarvo::base
