// The frame's command dispatcher: every command id, from a menu, an accelerator, an editor key,
// the shared command area or the debug thread, goes through Dispatch. What it needs from the
// windows comes through DispatchHooks, which the Win32 layer fills and tests script.
#pragma once
#include <cstdint>

namespace tarvo::shell {

using CommandParam = std::intptr_t;
using CommandResult = std::intptr_t;

struct CommandHandler {
    std::uint16_t id;  // 0 ends a handler table
    CommandResult (*run)(int id, CommandParam param);
};

// Any member may be left null: a null query answers false or 0, a null action does nothing.
struct DispatchHooks {
    bool (*debuggingActive)();
    bool (*resourceEditorActive)();
    CommandResult (*sendToResourceEditor)(int id, CommandParam param);
    // The editor's action log (an action of kind 273), from which Undo works.
    void (*logCommand)(int id, CommandParam param);
    bool (*anyEditorOpen)();
    int (*callStackEntries)();
    const CommandHandler* handlers;  // ends at id 0
    // The built-in cases; false when it does not handle the id.
    bool (*builtIn)(int id, CommandParam param, CommandResult& result);
    CommandResult (*sharedArea)(int id, CommandParam param);  // 3500 to 3600
    CommandResult (*showCallStackEntry)(int entry);           // 400 + entry while debugging
    CommandResult (*defaultProcessing)(int id, CommandParam param);
};

inline constexpr int kOpenNamedFile = 1117;   // opens the file named by the parameter
inline constexpr int kOpenAllProjectFiles = 1276;
inline constexpr int kFirstSharedAreaCommand = 3500;
inline constexpr int kLastSharedAreaCommand = 3600;
inline constexpr int kFirstCallStackCommand = 400;

// Runs a command through the hooks in shell().dispatch, in this order: debugger key
// substitution while debugging; the resource editor's commands to it while it is active; the
// action log; commands that need a document are ignored while no editor window is open (1117
// and 1276 excepted); the handler table; the built-in cases; the shared command area (not while
// debugging); call-stack entries (while debugging); default processing. Ignored: result 0.
CommandResult Dispatch(int id, CommandParam param);

// The commands sent to the resource editor window while it is the active child.
bool IsResourceEditorCommand(int id);

// Which part of the program a command id belongs to, so commands of parts not built yet can be
// routed to a handler that does nothing.
enum class CommandOwner {
    None,
    Shell,           // the shell's own commands, utilities, documentation, shared command area
    Editor,          // documents, editing, search, bookmarks, selection
    SourceTools,     // comparison, metrics, grep, cross reference, call tree, function lists
    Browse,          // definition search, printing, browsing (subsystem 8)
    Project,         // projects and the configuration
    Build,           // makefile and make
    Debugger,
    Version,         // the version-control store
    ResourceEditor,  // the resource editor library's commands
};
CommandOwner OwnerOf(int id);

}  // namespace tarvo::shell
