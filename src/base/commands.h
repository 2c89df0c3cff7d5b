// The command table: for every command id, the part of the program that runs it, whether it
// needs an open document, and its status help. The dispatcher routes by it, the key table takes
// its document rule from it, and the menus' status help comes from it.
#pragma once
#include <cstdint>

#include "base/command_ids.h"

namespace tarvo::base {

enum class Owner : std::uint8_t {
    None,            // not a command of this program: the active MDI child gets it
    Shell,           // files and windows, utilities, help, the shared command area
    Editor,          // documents, editing, search, bookmarks, selection
    Analysis,        // function lists and inactive code, built on the source scanner
    SourceTools,     // comparison, metrics, grep, cross reference, call tree
    Browse,          // definition search
    Project,         // projects and the configuration
    Build,           // makefile and make
    Debugger,
    Version,         // the version store
    ResourceEditor,  // the resource editor library's commands
};
inline constexpr int kOwnerCount = static_cast<int>(Owner::ResourceEditor) + 1;

// Status help of command c is message c + kHelpOffset.
inline constexpr unsigned kHelpOffset = 7000;

struct Command {
    std::uint16_t id;
    Owner owner;
    bool needsDocument;  // ignored while no editor window is open
    std::uint16_t help;  // message id of the status help
};

namespace detail {
constexpr Command doc(int id, Owner owner) {
    return {static_cast<std::uint16_t>(id), owner, true, static_cast<std::uint16_t>(id + kHelpOffset)};
}
constexpr Command any(int id, Owner owner) {
    return {static_cast<std::uint16_t>(id), owner, false, static_cast<std::uint16_t>(id + kHelpOffset)};
}
}  // namespace detail

// One record per named command. Ranges (utilities, the version store, the resource editor, the
// debugger's call-stack entries) are answered by OwnerOf.
inline constexpr Command kCommands[] = {
    detail::any(CMD_NEW, Owner::Shell),
    detail::any(CMD_OPEN, Owner::Shell),
    detail::any(CMD_QUIT, Owner::Shell),
    detail::any(CMD_ABOUT, Owner::Shell),
    detail::any(CMD_CLOSE, Owner::Shell),
    detail::any(CMD_OPEN_NAMED_FILE, Owner::Shell),
    detail::any(CMD_EXECUTE, Owner::Shell),
    detail::any(CMD_CLOSE_ALL, Owner::Shell),
    detail::any(CMD_STATISTICS, Owner::Shell),
    detail::any(CMD_CASCADE, Owner::Shell),
    detail::any(CMD_TILE, Owner::Shell),
    detail::any(CMD_ARRANGE_ICONS, Owner::Shell),
    detail::any(CMD_UTILITIES, Owner::Shell),
    detail::any(CMD_RECENT_FILE_1, Owner::Shell),
    detail::any(CMD_RECENT_FILE_2, Owner::Shell),
    detail::any(CMD_RECENT_FILE_3, Owner::Shell),
    detail::any(CMD_RECENT_FILE_4, Owner::Shell),
    detail::any(CMD_DISPOSITION, Owner::Shell),
    detail::any(CMD_VERSION, Owner::Shell),
    detail::any(CMD_HELP_INDEX, Owner::Shell),
    detail::any(CMD_DOC_WIN32_API, Owner::Shell),
    detail::any(CMD_DOC_MANUAL, Owner::Shell),
    detail::any(CMD_DOC_TECHNICAL, Owner::Shell),
    detail::any(CMD_DOC_RESOURCES, Owner::Shell),
    detail::any(CMD_DOC_SAMPLES, Owner::Shell),
    detail::any(CMD_DOC_C_FAQ, Owner::Shell),
    detail::any(CMD_DOC_C_TUTORIAL, Owner::Shell),
    detail::doc(CMD_CONTEXT_HELP, Owner::Shell),
    detail::any(CMD_SHARED_OPEN_FILE, Owner::Shell),
    detail::any(CMD_SHARED_FUNCTION_STUB, Owner::Shell),
    detail::any(CMD_SHARED_CLIENT_SIZE, Owner::Shell),

    detail::doc(CMD_SAVE, Owner::Editor),
    detail::doc(CMD_SAVE_AS, Owner::Editor),
    detail::doc(CMD_RELOAD, Owner::Editor),
    detail::doc(CMD_INSERT_FILE, Owner::Editor),
    detail::doc(CMD_RENAME, Owner::Editor),
    detail::doc(CMD_READ_ONLY, Owner::Editor),
    detail::doc(CMD_SAVE_ALL, Owner::Editor),
    detail::doc(CMD_COPY_TO_FILE, Owner::Editor),
    detail::doc(CMD_NEW_WINDOW, Owner::Editor),
    detail::doc(CMD_UNDO, Owner::Editor),
    detail::doc(CMD_REDO, Owner::Editor),
    detail::doc(CMD_CUT, Owner::Editor),
    detail::doc(CMD_COPY, Owner::Editor),
    detail::doc(CMD_PASTE, Owner::Editor),
    detail::doc(CMD_SPACES_TO_TABS, Owner::Editor),
    detail::doc(CMD_TABS_TO_SPACES, Owner::Editor),
    detail::doc(CMD_ESCAPE, Owner::Editor),
    detail::doc(CMD_MACRO, Owner::Editor),
    detail::doc(CMD_TOP, Owner::Editor),
    detail::doc(CMD_END, Owner::Editor),
    detail::doc(CMD_GO_TO_LINE, Owner::Editor),
    detail::doc(CMD_FIND_NEXT, Owner::Editor),
    detail::doc(CMD_FIND_PREVIOUS, Owner::Editor),
    detail::doc(CMD_FIND, Owner::Editor),
    detail::doc(CMD_REPLACE, Owner::Editor),
    detail::doc(CMD_SET_BOOKMARK, Owner::Editor),
    detail::doc(CMD_GO_TO_BOOKMARK, Owner::Editor),
    detail::doc(CMD_NEXT_BOOKMARK, Owner::Editor),
    detail::doc(CMD_WORD_RIGHT, Owner::Editor),
    detail::doc(CMD_WORD_LEFT, Owner::Editor),
    detail::doc(CMD_RECENTER, Owner::Editor),
    detail::doc(CMD_EXTEND_LINE_DOWN, Owner::Editor),
    detail::doc(CMD_EXTEND_LINE_UP, Owner::Editor),
    detail::doc(CMD_EXTEND_CHAR_RIGHT, Owner::Editor),
    detail::doc(CMD_EXTEND_CHAR_LEFT, Owner::Editor),
    detail::doc(CMD_EXTEND_WORD_RIGHT, Owner::Editor),
    detail::doc(CMD_EXTEND_WORD_LEFT, Owner::Editor),
    detail::doc(CMD_EXTEND_TO_TOP, Owner::Editor),
    detail::doc(CMD_EXTEND_TO_END, Owner::Editor),
    detail::doc(CMD_EXTEND_TO_LINE_END, Owner::Editor),
    detail::doc(CMD_EXTEND_TO_LINE_START, Owner::Editor),
    detail::doc(CMD_SELECT_ALL, Owner::Editor),
    detail::doc(CMD_SELECT_WORD, Owner::Editor),
    detail::doc(CMD_EXTEND_PAGE_UP, Owner::Editor),
    detail::doc(CMD_EXTEND_PAGE_DOWN, Owner::Editor),

    detail::doc(CMD_FUNCTIONS_LIST, Owner::Analysis),
    detail::doc(CMD_INACTIVE_CODE, Owner::Analysis),
    detail::doc(CMD_SYMBOL_USAGE, Owner::SourceTools),
    detail::any(CMD_PE_SUMMARY, Owner::SourceTools),
    detail::any(CMD_FUNCTION_SIZES, Owner::SourceTools),
    detail::doc(CMD_CALL_TREE, Owner::SourceTools),
    detail::doc(CMD_CALLERS_TREE, Owner::SourceTools),
    detail::doc(CMD_HELP_GENERATION, Owner::SourceTools),
    detail::doc(CMD_CODE_ANALYSIS, Owner::Analysis),
    detail::doc(CMD_ANALYSIS_PLOT, Owner::Analysis),
    detail::any(CMD_DIFF_MERGE, Owner::Analysis),
    detail::any(CMD_APPLY_PATCH, Owner::Analysis),
    detail::doc(CMD_COMPARE_WITH_DISK, Owner::Analysis),
    detail::any(CMD_GREP, Owner::SourceTools),
    detail::doc(CMD_STRING_TABLE, Owner::SourceTools),
    detail::any(CMD_OBJ_XREF, Owner::SourceTools),
    detail::any(CMD_BINARY_EDITOR, Owner::SourceTools),
    detail::doc(CMD_SEARCH_DEFINITION, Owner::Browse),

    detail::any(CMD_CONFIGURATION, Owner::Project),
    detail::any(CMD_PROJECT_CLOSE, Owner::Project),
    detail::any(CMD_PROJECT_OPEN, Owner::Project),
    detail::any(CMD_PROJECT_CREATE, Owner::Project),
    detail::any(CMD_PROJECT_FILES, Owner::Project),
    detail::any(CMD_PROJECT_ERASE, Owner::Project),
    detail::any(CMD_PROJECT_EXPORT, Owner::Project),
    detail::any(CMD_PROJECT_IMPORT, Owner::Project),
    detail::any(CMD_OPEN_ALL_PROJECT_FILES, Owner::Project),

    detail::any(CMD_MAKE, Owner::Build),
    detail::any(CMD_SHOW_RESULTS, Owner::Build),
    detail::any(CMD_GENERATE_MAKEFILE, Owner::Build),
    detail::any(CMD_REBUILD_ALL, Owner::Build),
    detail::any(CMD_LINK, Owner::Build),
    detail::any(CMD_NEXT_MESSAGE, Owner::Shell),
    detail::any(CMD_CMS_PUT, Owner::Version),
    detail::any(CMD_CMS_GET, Owner::Version),
    detail::any(CMD_CMS_PUT_FILES, Owner::Version),
    detail::any(CMD_CMS_GET_FILES, Owner::Version),
    detail::any(CMD_CMS_UNLOCK, Owner::Version),
    detail::any(CMD_CMS_NEEDS_UPDATE, Owner::Version),
    detail::any(CMD_CMS_SAVE_RELEASE, Owner::Version),
    detail::any(CMD_CMS_GET_RELEASE, Owner::Version),
    detail::any(CMD_CMS_PREFERENCES, Owner::Version),
    detail::any(CMD_CMS_LOGIN, Owner::Version),
    detail::any(CMD_CMS_ADMIN, Owner::Version),
    detail::any(CMD_CMS_QUERY, Owner::Version),
    detail::any(CMD_CMS_KEYWORDS, Owner::Version),
    detail::any(CMD_CMS_LOG, Owner::Version),
    detail::any(CMD_CMS_COMPARE, Owner::Version),
    detail::any(CMD_CMS_FUNCTION_HISTORY, Owner::Version),
    detail::any(CMD_PREVIOUS_MESSAGE, Owner::Shell),

    detail::any(CMD_DEBUGGER, Owner::Debugger),
    detail::any(CMD_DEBUG_INFO, Owner::Debugger),
    detail::any(CMD_STOP_DEBUGGING, Owner::Debugger),
    detail::any(CMD_DEBUG_RESTART, Owner::Debugger),
    detail::any(CMD_DEBUG_BREAK, Owner::Debugger),
    detail::any(CMD_BREAKPOINT, Owner::Debugger),
    detail::any(CMD_RUN_TO_CURSOR, Owner::Debugger),
    detail::any(CMD_DEBUG_EXECUTE, Owner::Debugger),
    detail::any(CMD_STEP_IN, Owner::Debugger),
    detail::any(CMD_SAME_LEVEL, Owner::Debugger),
    detail::any(CMD_EDIT_BREAKPOINTS, Owner::Debugger),
    detail::any(CMD_CPU_WINDOW, Owner::Debugger),
    detail::any(CMD_STACK_WINDOW, Owner::Debugger),
    detail::any(CMD_MEMORY_WINDOW, Owner::Debugger),
    detail::any(CMD_MACHINE_INSTRUCTIONS, Owner::Debugger),
    detail::any(CMD_STEP_OUT, Owner::Debugger),
    detail::any(CMD_DATA_BREAKPOINTS, Owner::Debugger),
    detail::any(CMD_EVALUATE, Owner::Debugger),
    detail::any(CMD_SHOW_VALUE, Owner::Debugger),
    detail::any(CMD_WATCHES, Owner::Debugger),
};

// The record of a named command, or null.
constexpr const Command* FindCommand(int id) {
    for (const Command& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

// The part that runs the command: its record's owner, else the owner of the range it lies in
// (utilities, the ids kept for the source tools, the version store, the debugger, the resource
// editor); Owner::None for an id that is not a command of ours.
Owner OwnerOf(int id);

// True when the command is ignored while no editor window is open. Searched without a pointer:
// the key table asks at compile time, where the sanitizers take no pointer tests.
constexpr bool NeedsDocument(int id) {
    for (const Command& c : kCommands)
        if (c.id == id) return c.needsDocument;
    return false;
}

// Message id of the command's status help (id + kHelpOffset when it has no record).
unsigned StatusHelpId(int id);

// The commands that go to the resource editor window while it is the active child.
bool SentToResourceEditor(int id);

}  // namespace tarvo::base
