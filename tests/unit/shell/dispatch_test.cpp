#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/key_table.h"
#include "shell/dispatch.h"
#include "shell/shell_state.h"
#include "base/command_ids.h"

namespace tarvo::shell {
namespace {

// A scripted program: every hook writes what it saw into the trace.
struct Program {
    bool debugging = false, resourceEditor = false, editorOpen = true, shellKnows = true;
    int stackEntries = 0;
    std::vector<std::string> trace;
};
Program* program = nullptr;

void note(const std::string& what, int id) { program->trace.push_back(what + std::to_string(id)); }

bool RunShell(int id, CommandParam, CommandResult& result) {
    if (!program->shellKnows) return false;
    note("shell", id);
    result = 3;
    return true;
}

bool RunEditorOrDebugger(int id, CommandParam, CommandResult& result) {
    note("part", id);
    result = 1;
    return true;
}

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
        h.runners[static_cast<int>(base::Owner::Shell)] = RunShell;
        h.runners[static_cast<int>(base::Owner::Editor)] = RunEditorOrDebugger;
        h.sharedArea = [](int id, CommandParam) -> CommandResult { return note("shared", id), 4; };
        h.showCallStackEntry = [](int n) -> CommandResult { return note("stack", n), 5; };
        h.defaultProcessing = [](int id, CommandParam) -> CommandResult {
            return note("default", id), 6;
        };
    }
    void TearDown() override { ResetShellState(); }
    void Debugger() {
        shell().dispatch.runners[static_cast<int>(base::Owner::Debugger)] =
            [](int id, CommandParam param, CommandResult& result) {
                return id < CMD_FIRST_CALL_STACK_ENTRY && RunEditorOrDebugger(id, param, result);
            };
    }
    using Trace = std::vector<std::string>;
};

TEST_F(Dispatcher, DebuggerKeyIsSubstitutedBeforeEverythingElse) {
    Debugger();
    p.debugging = true;
    EXPECT_EQ(Dispatch(CMD_FUNCTION_KEY_BASE + base::vk::F5, 0), 1);
    EXPECT_EQ(p.trace, (Trace{"log340", "part340"}));
    p.debugging = false;
    p.trace.clear();
    Dispatch(CMD_FUNCTION_KEY_BASE + base::vk::F5, 0);  // no command of ours: the MDI child's
    EXPECT_EQ(p.trace, (Trace{"log1004", "default1004"}));
}

TEST_F(Dispatcher, ResourceEditorTakesItsCommandsUnlogged) {
    p.resourceEditor = true;
    EXPECT_EQ(Dispatch(CMD_SAVE, 0), 2);
    EXPECT_EQ(Dispatch(CMD_FIRST_RESOURCE_EDITOR_3 + 5, 0), 2);
    Dispatch(CMD_OPEN, 0);
    EXPECT_EQ(p.trace, (Trace{"resource1103", "resource7045", "log1102", "shell1102"}));
}

TEST_F(Dispatcher, WithoutADocumentSaveIsIgnoredButOpenRuns) {
    p.editorOpen = false;
    EXPECT_EQ(Dispatch(CMD_SAVE, 0), 0);
    EXPECT_EQ(Dispatch(CMD_OPEN, 0), 3);
    EXPECT_EQ(Dispatch(CMD_OPEN_NAMED_FILE, 0), 3);
    EXPECT_EQ(p.trace, (Trace{"log1103", "log1102", "shell1102", "log1117", "shell1117"}));
}

TEST_F(Dispatcher, CommandsOfPartsNotBuiltDoNothing) {
    EXPECT_EQ(Dispatch(CMD_MAKE, 0), 0);
    EXPECT_EQ(Dispatch(CMD_FIRST_VERSION + 8, 0), 0);  // the version store's
    EXPECT_EQ(Dispatch(CMD_FIRST_CALL_STACK_ENTRY + 1, 0), 0);
    EXPECT_EQ(p.trace, (Trace{"log1156", "log1230", "log401"}));
}

TEST_F(Dispatcher, FallThroughToSharedAreaCallStackOrDefault) {
    Debugger();
    p.shellKnows = false;
    EXPECT_EQ(Dispatch(CMD_SHARED_FUNCTION_STUB, 0), 4);
    EXPECT_EQ(Dispatch(CMD_LAST_SHARED_AREA + 1, 0), 6);
    EXPECT_EQ(Dispatch(CMD_ABOUT, 0), 6);  // the shell does not know it: the MDI child's
    p.debugging = true;
    p.stackEntries = 3;
    EXPECT_EQ(Dispatch(CMD_SHARED_FUNCTION_STUB, 0), 6);
    EXPECT_EQ(Dispatch(CMD_FIRST_CALL_STACK_ENTRY + 2, 0), 5);
    EXPECT_EQ(Dispatch(CMD_FIRST_CALL_STACK_ENTRY + 3, 0), 6);
    EXPECT_EQ(p.trace, (Trace{"log3502", "shared3502", "log3601", "default3601", "log1107",
                              "default1107", "log3502", "default3502", "log402", "stack2",
                              "log403", "default403"}));
}

TEST_F(Dispatcher, UnfilledHooksDoNothing) {
    shell().dispatch = DispatchHooks{};
    EXPECT_EQ(Dispatch(CMD_SAVE, 0), 0);  // no editor window: ignored
    EXPECT_EQ(Dispatch(CMD_OPEN, 0), 0);
    EXPECT_EQ(Dispatch(CMD_SHARED_FUNCTION_STUB, 0), 0);
}

// Another program may post CMD_OPEN_NAMED_FILE with any parameter: only a ticket the program
// itself handed out names a file, and only once.
TEST(NamedFiles, OnlyQueuedTicketsNameAFile) {
    ResetShellState();
    CommandParam first = QueueNamedFile("c:\\a.c");
    CommandParam second = QueueNamedFile("c:\\b.c");
    EXPECT_NE(first, second);
    std::string name;
    EXPECT_FALSE(TakeNamedFile(0, name));
    EXPECT_FALSE(TakeNamedFile(reinterpret_cast<CommandParam>("c:\\a.c"), name));
    EXPECT_TRUE(TakeNamedFile(second, name));
    EXPECT_EQ(name, "c:\\b.c");
    EXPECT_FALSE(TakeNamedFile(second, name));
    EXPECT_TRUE(TakeNamedFile(first, name));
    EXPECT_EQ(name, "c:\\a.c");
    ResetShellState();
}

}  // namespace
}  // namespace tarvo::shell
