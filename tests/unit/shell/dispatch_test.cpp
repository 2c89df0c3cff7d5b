#include <gtest/gtest.h>

#include <string>

#include "base/command_ids.h"
#include "base/key_table.h"
#include "shell/dispatch.h"
#include "shell/shell_state.h"

namespace tarvo::shell {
namespace {

// The program's state for one command, what Dispatch returns and the hooks it reached in order.
struct Row {
    int id;
    CommandResult result;
    const char* trace;
    bool debugging = false, debuggerBuilt = true, resourceEditor = false, editorOpen = true, shellKnows = true;
    int stackEntries = 0;
};
const Row* row = nullptr;
std::string trace;

CommandResult note(const char* what, int id, CommandResult result) {
    trace += (trace.empty() ? "" : " ") + std::string(what) + std::to_string(id);
    return result;
}

bool RunShell(int id, CommandParam, CommandResult& result) {
    return row->shellKnows && (result = note("shell", id, 3), true);
}
bool RunPart(int id, CommandParam, CommandResult& result) { return result = note("part", id, 1), true; }
bool RunDebugger(int id, CommandParam param, CommandResult& result) {
    return id < CMD_FIRST_CALL_STACK_ENTRY && RunPart(id, param, result);
}

DispatchHooks Hooks(const Row& r) {
    DispatchHooks h{};
    h.debuggingActive = [] { return row->debugging; };
    h.resourceEditorActive = [] { return row->resourceEditor; };
    h.sendToResourceEditor = [](int id, CommandParam) { return note("resource", id, 2); };
    h.logCommand = [](int id, CommandParam) { note("log", id, 0); };
    h.anyEditorOpen = [] { return row->editorOpen; };
    h.callStackEntries = [] { return row->stackEntries; };
    h.runners[static_cast<int>(base::Owner::Shell)] = RunShell;
    h.runners[static_cast<int>(base::Owner::Editor)] = RunPart;
    if (r.debuggerBuilt) h.runners[static_cast<int>(base::Owner::Debugger)] = RunDebugger;
    h.sharedArea = [](int id, CommandParam) { return note("shared", id, 4); };
    h.showCallStackEntry = [](int n) { return note("stack", n, 5); };
    h.defaultProcessing = [](int id, CommandParam) { return note("default", id, 6); };
    return h;
}

TEST(Dispatcher, EachCommandReachesTheHooksInTheirOrder) {
    const int f5 = CMD_FUNCTION_KEY_BASE + base::vk::F5;
    const Row rows[] = {
        // While debugging the debugger's key comes first; otherwise the MDI child gets the key.
        {f5, 1, "log340 part340", true},
        {f5, 6, "log1004 default1004"},
        // The active resource editor takes its commands, unlogged.
        {.id = CMD_SAVE, .result = 2, .trace = "resource1103", .resourceEditor = true},
        {.id = CMD_FIRST_RESOURCE_EDITOR_3 + 5, .result = 2, .trace = "resource7045", .resourceEditor = true},
        {.id = CMD_OPEN, .result = 3, .trace = "log1102 shell1102", .resourceEditor = true},
        // Without a document Save is ignored; Open runs.
        {.id = CMD_SAVE, .result = 0, .trace = "log1103", .editorOpen = false},
        {.id = CMD_OPEN, .result = 3, .trace = "log1102 shell1102", .editorOpen = false},
        {.id = CMD_OPEN_NAMED_FILE, .result = 3, .trace = "log1117 shell1117", .editorOpen = false},
        // Commands of parts not built do nothing, not even in the MDI child.
        {CMD_MAKE, 0, "log1156"},
        {CMD_FIRST_VERSION + 8, 0, "log1230"},  // the version store's
        {.id = CMD_FIRST_CALL_STACK_ENTRY + 1, .result = 0, .trace = "log401", .debuggerBuilt = false},
        // What no runner takes: the shared area (not while debugging), a call-stack entry (while
        // debugging, within the stack), or default processing.
        {.id = CMD_SHARED_FUNCTION_STUB, .result = 4, .trace = "log3502 shared3502", .shellKnows = false},
        {.id = CMD_LAST_SHARED_AREA + 1, .result = 6, .trace = "log3601 default3601", .shellKnows = false},
        {.id = CMD_ABOUT, .result = 6, .trace = "log1107 default1107", .shellKnows = false},
        {.id = CMD_SHARED_FUNCTION_STUB, .result = 6, .trace = "log3502 default3502", .debugging = true,
         .shellKnows = false, .stackEntries = 3},
        {.id = CMD_FIRST_CALL_STACK_ENTRY + 2, .result = 5, .trace = "log402 stack2", .debugging = true,
         .stackEntries = 3},
        {.id = CMD_FIRST_CALL_STACK_ENTRY + 3, .result = 6, .trace = "log403 default403", .debugging = true,
         .stackEntries = 3},
    };
    for (const Row& r : rows) {
        ResetShellState();
        row = &r;
        trace.clear();
        shell().dispatch = Hooks(r);
        EXPECT_EQ(Dispatch(r.id, 0), r.result) << r.trace;
        EXPECT_EQ(trace, r.trace);
    }
    // Hooks left unfilled do nothing.
    shell().dispatch = DispatchHooks{};
    for (int id : {CMD_SAVE, CMD_OPEN, CMD_SHARED_FUNCTION_STUB}) EXPECT_EQ(Dispatch(id, 0), 0) << id;
    ResetShellState();
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
