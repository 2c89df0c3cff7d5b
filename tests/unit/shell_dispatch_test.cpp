#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/dispatch.h"
#include "shell/key_table.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

TEST(CommandKeys, EveryBoundRowIsReachedWithItsOwnModifiers) {
    for (const CommandKey& r : kDefaultCommandKeys) {
        if (r.command == 0) break;
        if (r.key == 0) continue;
        EXPECT_EQ(FindKeyCommand(kDefaultCommandKeys, r.key, r.mask & kModMatching), r.command)
            << "key " << int(r.key) << " mask " << int(r.mask);
    }
}

TEST(CommandKeys, ModifierRules) {
    auto find = [](int key, int held) { return FindKeyCommand(kDefaultCommandKeys, key, held); };
    EXPECT_EQ(find('S', kModCtrl), 1103);  // the row also carries 0x10
    EXPECT_EQ(find('S', kModCtrl | kModShift), 1103);  // extra modifiers still match
    EXPECT_EQ(find('S', 0), 0);
    EXPECT_EQ(find(vk::F3, kModShift), 0);  // a row naming none needs none held
    EXPECT_EQ(find(vk::Home, kModCtrl | kModShift), 1171);
    EXPECT_EQ(find(vk::Home, kModCtrl | kModShift | kModAlt), 1171);
    EXPECT_EQ(find(0, 0), 0);  // rows without a key never match
}

TEST(CommandKeys, ChangedBindingsApplyAndCarryTheirFlag) {
    std::vector<CommandKey> rows(kDefaultCommandKeys.begin(), kDefaultCommandKeys.end());
    std::vector<KeyRow> stored = KeyRowsOf(rows);
    ASSERT_EQ(stored[0].command, 1103);
    stored[0] = {'B', 1103, kModAlt | kKeyChanged};
    stored[1] = {'Q', 9999, kModAlt};  // a binding for another command is not applied
    ApplyKeyRows(stored, rows);
    EXPECT_EQ(FindKeyCommand(rows, 'B', kModAlt), 1103);
    EXPECT_EQ(FindKeyCommand(rows, 'S', kModCtrl), 0);
    EXPECT_EQ(FindKeyCommand(rows, 'Q', kModAlt), 0);
    EXPECT_EQ(FindKeyCommand(rows, vk::Back, kModAlt), 1110);
    // WM_MENUCHAR: the character upper-cased, rows with the Alt bit only.
    EXPECT_EQ(MenuCharCommand(rows, 'b'), 1103);
    EXPECT_EQ(MenuCharCommand(rows, 'g'), 0);  // Ctrl+G has no Alt bit
    EXPECT_EQ(MenuCharCommand(rows, 0), 0);
}

TEST(CommandKeys, DocumentRuleAndDebuggerKeys) {
    EXPECT_TRUE(NeedsDocument(kDefaultCommandKeys, 1103));
    EXPECT_TRUE(NeedsDocument(kDefaultCommandKeys, 1111));
    for (int works : {1101, 1102, 1106, 1156, 1276, 4242})
        EXPECT_FALSE(NeedsDocument(kDefaultCommandKeys, works)) << works;
    const std::pair<int, int> keys[] = {{vk::F2, 300}, {vk::F7, 330}, {vk::F5, 340},
                                        {vk::F8, 350}, {vk::F4, 360}, {vk::F9, 670}};
    for (auto [key, command] : keys)
        EXPECT_EQ(DebuggerKeySubstitute(kFunctionKeyBase + key), command);
    EXPECT_EQ(EditorKeyCommand(kDefaultCommandKeys, vk::F9, 0, true), 670);
    EXPECT_EQ(EditorKeyCommand(kDefaultCommandKeys, vk::F9, 0, false), 1156);
    EXPECT_EQ(EditorKeyCommand(kDefaultCommandKeys, vk::F7, kModCtrl, true), 1143);
    for (int unchanged : {999, 1000, 1012, 1013, 340})
        EXPECT_EQ(DebuggerKeySubstitute(unchanged), unchanged);
}

// A scripted program: every hook writes what it saw into the trace.
struct Program {
    bool debugging = false, resourceEditor = false, editorOpen = true, builtInHandles = true;
    int stackEntries = 0;
    std::vector<std::string> trace;
};
Program* program = nullptr;

void note(const std::string& what, int id) { program->trace.push_back(what + std::to_string(id)); }

constexpr CommandHandler kHandlers[] = {
    {1102, [](int id, CommandParam) -> CommandResult { return note("handler", id), 1; }},
    {340, [](int id, CommandParam) -> CommandResult { return note("handler", id), 1; }},
    {0, nullptr},
};

struct Dispatcher : ::testing::Test {
    Program p;
    void SetUp() override {
        ResetShellState();
        program = &p;
        DispatchHooks& h = shell().dispatch;
        h.debuggingActive = [] { return program->debugging; };
        h.resourceEditorActive = [] { return program->resourceEditor; };
        h.sendToResourceEditor = [](int id, CommandParam) -> CommandResult {
            return note("resource", id), 2;
        };
        h.logCommand = [](int id, CommandParam) { note("log", id); };
        h.anyEditorOpen = [] { return program->editorOpen; };
        h.callStackEntries = [] { return program->stackEntries; };
        h.handlers = kHandlers;
        h.builtIn = [](int id, CommandParam, CommandResult& r) {
            if (!program->builtInHandles || id >= 3000) return false;
            note("builtin", id);
            r = 3;
            return true;
        };
        h.sharedArea = [](int id, CommandParam) -> CommandResult { return note("shared", id), 4; };
        h.showCallStackEntry = [](int n) -> CommandResult { return note("stack", n), 5; };
        h.defaultProcessing = [](int id, CommandParam) -> CommandResult {
            return note("default", id), 6;
        };
    }
    void TearDown() override { ResetShellState(); }
    using Trace = std::vector<std::string>;
};

TEST_F(Dispatcher, DebuggerKeyIsSubstitutedBeforeEverythingElse) {
    p.debugging = true;
    EXPECT_EQ(Dispatch(kFunctionKeyBase + vk::F5, 0), 1);
    EXPECT_EQ(p.trace, (Trace{"log340", "handler340"}));
    p.debugging = false;
    p.trace.clear();
    Dispatch(kFunctionKeyBase + vk::F5, 0);
    EXPECT_EQ(p.trace, (Trace{"log1004", "builtin1004"}));
}

TEST_F(Dispatcher, ResourceEditorTakesItsCommandsUnlogged) {
    p.resourceEditor = true;
    EXPECT_EQ(Dispatch(1103, 0), 2);
    EXPECT_EQ(Dispatch(7045, 0), 2);
    Dispatch(1102, 0);
    EXPECT_EQ(p.trace, (Trace{"resource1103", "resource7045", "log1102", "handler1102"}));
}

TEST_F(Dispatcher, WithoutADocumentSaveIsIgnoredButOpenRuns) {
    p.editorOpen = false;
    EXPECT_EQ(Dispatch(1103, 0), 0);
    EXPECT_EQ(Dispatch(1102, 0), 1);
    EXPECT_EQ(Dispatch(1276, 0), 3);
    EXPECT_EQ(p.trace, (Trace{"log1103", "log1102", "handler1102", "log1276", "builtin1276"}));
    // 1117 and 1276 run even when a table row says they need a document.
    for (CommandKey& r : shell().commandKeys)
        if (r.command == 1117 || r.command == 1276) r.worksWithoutDocument = 0;
    p.trace.clear();
    Dispatch(1117, 0);
    Dispatch(1276, 0);
    EXPECT_EQ(p.trace, (Trace{"log1117", "builtin1117", "log1276", "builtin1276"}));
}

TEST_F(Dispatcher, FallThroughToSharedAreaCallStackOrDefault) {
    p.builtInHandles = false;
    EXPECT_EQ(Dispatch(3502, 0), 4);
    EXPECT_EQ(Dispatch(3601, 0), 6);
    EXPECT_EQ(Dispatch(401, 0), 6);  // no debugging run: no call stack
    p.debugging = true;
    p.stackEntries = 3;
    EXPECT_EQ(Dispatch(3502, 0), 6);
    EXPECT_EQ(Dispatch(402, 0), 5);
    EXPECT_EQ(Dispatch(403, 0), 6);
    EXPECT_EQ(p.trace, (Trace{"log3502", "shared3502", "log3601", "default3601", "log401",
                              "default401", "log3502", "default3502", "log402", "stack2",
                              "log403", "default403"}));
}

TEST_F(Dispatcher, UnfilledHooksDoNothing) {
    shell().dispatch = DispatchHooks{};
    EXPECT_EQ(Dispatch(1103, 0), 0);  // no editor window: ignored
    EXPECT_EQ(Dispatch(1102, 0), 0);
    EXPECT_EQ(Dispatch(3502, 0), 0);
}

TEST(CommandOwners, OverlappingListsResolveToTheNamedOwner) {
    EXPECT_EQ(OwnerOf(1103), CommandOwner::Editor);
    EXPECT_EQ(OwnerOf(1138), CommandOwner::SourceTools);
    EXPECT_EQ(OwnerOf(1225), CommandOwner::Project);
    EXPECT_EQ(OwnerOf(1230), CommandOwner::Version);
    EXPECT_EQ(OwnerOf(1254), CommandOwner::Shell);
    EXPECT_EQ(OwnerOf(1262), CommandOwner::Project);
    EXPECT_EQ(OwnerOf(1255), CommandOwner::ResourceEditor);
    EXPECT_EQ(OwnerOf(1312), CommandOwner::Shell);
    EXPECT_EQ(OwnerOf(450), CommandOwner::Debugger);
    EXPECT_EQ(OwnerOf(1158), CommandOwner::Browse);
    EXPECT_EQ(OwnerOf(1156), CommandOwner::Build);
    EXPECT_EQ(OwnerOf(9999), CommandOwner::None);
}

}  // namespace
}  // namespace tarvo::shell
