#include "shell/dispatch.h"

#include "shell/key_table.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

constexpr std::uint16_t kResourceEditorCommands[] = {
    1103, 1104, 1151, 1110, 1111, 1112, 1113, 1109, 1459, 1453, 1141, 1134, 1454, 1450,
    1253, 1259, 1260, 1263, 1261, 7053, 7066, 7040, 7041, 7042, 7043, 7045, 7060,
};

struct OwnerRange {
    int first, last;
    CommandOwner owner;
};

// Searched in order, first match wins: single ids come before the ranges that overlap them
// (1138 is a source tool inside the editor's 1135-1139, 1225/1229/1231 are project commands
// inside the version store's 1222-1244, and the resource editor's 1253-1265 holds 1254, 1257
// and 1262 of other parts).
constexpr OwnerRange kOwners[] = {
    {1101, 1102, CommandOwner::Shell}, {1106, 1107, CommandOwner::Shell},
    {1109, 1109, CommandOwner::Shell}, {1117, 1117, CommandOwner::Shell},
    {1124, 1124, CommandOwner::Shell}, {1128, 1128, CommandOwner::Shell},
    {1130, 1133, CommandOwner::Shell}, {1152, 1152, CommandOwner::Shell},
    {1214, 1217, CommandOwner::Shell}, {1254, 1254, CommandOwner::Shell},
    {1291, 1291, CommandOwner::Shell}, {1296, 1296, CommandOwner::Shell},
    {1299, 1317, CommandOwner::Shell},  // documentation items and utilities 1300-1312
    {3501, 3503, CommandOwner::Shell}, {14000, 14000, CommandOwner::Shell},

    {1138, 1138, CommandOwner::SourceTools}, {1147, 1147, CommandOwner::SourceTools},
    {1150, 1150, CommandOwner::SourceTools}, {1161, 1161, CommandOwner::SourceTools},
    {1168, 1169, CommandOwner::SourceTools}, {1174, 1187, CommandOwner::SourceTools},
    {1193, 1195, CommandOwner::SourceTools}, {1200, 1200, CommandOwner::SourceTools},
    {1203, 1205, CommandOwner::SourceTools}, {1219, 1219, CommandOwner::SourceTools},
    {1251, 1251, CommandOwner::SourceTools}, {1257, 1257, CommandOwner::SourceTools},
    {1297, 1298, CommandOwner::SourceTools},

    {1158, 1158, CommandOwner::Browse},

    {1119, 1119, CommandOwner::Project}, {1198, 1198, CommandOwner::Project},
    {1225, 1225, CommandOwner::Project}, {1229, 1229, CommandOwner::Project},
    {1231, 1231, CommandOwner::Project}, {1246, 1246, CommandOwner::Project},
    {1262, 1262, CommandOwner::Project}, {1274, 1276, CommandOwner::Project},

    {1156, 1156, CommandOwner::Build}, {1192, 1192, CommandOwner::Build},
    {1267, 1267, CommandOwner::Build}, {1270, 1271, CommandOwner::Build},

    {100, 700, CommandOwner::Debugger}, {3004, 3010, CommandOwner::Debugger},
    {1146, 1146, CommandOwner::Debugger}, {1245, 1245, CommandOwner::Debugger},
    {1268, 1268, CommandOwner::Debugger}, {1273, 1273, CommandOwner::Debugger},

    {1222, 1244, CommandOwner::Version},

    {1103, 1105, CommandOwner::Editor}, {1108, 1108, CommandOwner::Editor},
    {1110, 1113, CommandOwner::Editor}, {1115, 1115, CommandOwner::Editor},
    {1120, 1123, CommandOwner::Editor}, {1126, 1126, CommandOwner::Editor},
    {1135, 1139, CommandOwner::Editor}, {1142, 1145, CommandOwner::Editor},
    {1151, 1151, CommandOwner::Editor}, {1153, 1155, CommandOwner::Editor},
    {1163, 1165, CommandOwner::Editor}, {1167, 1167, CommandOwner::Editor},
    {1170, 1172, CommandOwner::Editor}, {1188, 1191, CommandOwner::Editor},
    {1199, 1199, CommandOwner::Editor}, {1201, 1201, CommandOwner::Editor},
    {1207, 1208, CommandOwner::Editor}, {1211, 1212, CommandOwner::Editor},
    {1220, 1220, CommandOwner::Editor}, {1272, 1272, CommandOwner::Editor},
    {1280, 1280, CommandOwner::Editor}, {1400, 1400, CommandOwner::Editor},

    {1253, 1265, CommandOwner::ResourceEditor}, {1450, 1463, CommandOwner::ResourceEditor},
    {7040, 7066, CommandOwner::ResourceEditor},
};

bool ask(bool (*query)()) { return query && query(); }

const CommandHandler* findHandler(const CommandHandler* table, int id) {
    if (!table) return nullptr;
    for (const CommandHandler* h = table; h->id != 0; ++h)
        if (h->id == id) return h;
    return nullptr;
}

}  // namespace

bool IsResourceEditorCommand(int id) {
    for (std::uint16_t c : kResourceEditorCommands)
        if (c == id) return true;
    return false;
}

CommandOwner OwnerOf(int id) {
    for (const OwnerRange& r : kOwners)
        if (id >= r.first && id <= r.last) return r.owner;
    return CommandOwner::None;
}

CommandResult Dispatch(int id, CommandParam param) {
    ShellState& state = shell();
    const DispatchHooks& hooks = state.dispatch;
    bool debugging = ask(hooks.debuggingActive);

    if (debugging) id = DebuggerKeySubstitute(id);

    if (IsResourceEditorCommand(id) && ask(hooks.resourceEditorActive))
        return hooks.sendToResourceEditor ? hooks.sendToResourceEditor(id, param) : 0;

    if (hooks.logCommand) hooks.logCommand(id, param);

    if (id != kOpenNamedFile && id != kOpenAllProjectFiles && !ask(hooks.anyEditorOpen) &&
        NeedsDocument(state.commandKeys, id))
        return 0;

    if (const CommandHandler* h = findHandler(hooks.handlers, id); h && h->run)
        return h->run(id, param);

    CommandResult result = 0;
    if (hooks.builtIn && hooks.builtIn(id, param, result)) return result;

    if (!debugging && id >= kFirstSharedAreaCommand && id <= kLastSharedAreaCommand)
        return hooks.sharedArea ? hooks.sharedArea(id, param) : 0;

    if (debugging && id >= kFirstCallStackCommand && hooks.callStackEntries &&
        id - kFirstCallStackCommand < hooks.callStackEntries())
        return hooks.showCallStackEntry ? hooks.showCallStackEntry(id - kFirstCallStackCommand)
                                        : 0;

    return hooks.defaultProcessing ? hooks.defaultProcessing(id, param) : 0;
}

}  // namespace tarvo::shell
