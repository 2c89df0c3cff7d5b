// The action log, one for all windows, and Undo. Every action is logged before it is carried
// out, with the cursor position from before it and whatever is needed to invert it exactly.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "editor/cursor.h"

namespace tarvo::editor {

// Action kinds: the window message or private code of the action.
inline constexpr unsigned kActionKey = 256;
inline constexpr unsigned kActionCharacter = 258;
inline constexpr unsigned kActionCommand = 273;
inline constexpr unsigned kActionLeftClick = 513;
inline constexpr unsigned kActionRightClick = 516;
inline constexpr unsigned kActionScroll = 277;
inline constexpr unsigned kActionOvertype = 129;
inline constexpr unsigned kActionLineRestore = 130;
inline constexpr unsigned kActionPlainReplace = 1026;
inline constexpr unsigned kActionPatternReplace = 1027;
inline constexpr unsigned kActionPatternReplaceEnd = 1028;

// Command numbers the log treats specially.

// Virtual keys the log treats specially.
inline constexpr unsigned kKeyLeft = 37;
inline constexpr unsigned kKeyRight = 39;
inline constexpr unsigned kKeyDown = 40;
inline constexpr unsigned kKeyDelete = 46;

// The log holds this many records; beyond it the oldest whole groups go (a replace command,
// or typing with the characters it overwrote, is one group). A group is never cut: the newest
// one is kept whole even when it alone is larger.
inline constexpr std::size_t kActionLogCapacity = 10000;

struct SavedLine {
    long number = 0;
    std::string text;
    std::uint8_t marks = 0;
};

struct Action {
    std::uintptr_t window = 0;  // the editor window in which the action took place
    unsigned kind = 0;
    long param = 0;  // character, virtual key, command, or replacement number
    long data = 0;   // repeat count, or the number of characters inserted
    Position cursor;  // the cursor before the action
    Position at;      // where the action's text lies
    long indent = 0;  // indentation characters an Enter added
    bool afterLast = false;  // the text went in after the last line, as a line of its own
    std::string text;      // characters the action removed (LF for a line end)
    std::string inserted;  // replacements: the text put in
    std::vector<SavedLine> lines;  // line restore: the lines as they were
};

// One change an Undo made to the text: at a place, `removed` went and `inserted` came.
struct TextChange {
    Position at;
    std::string removed;
    std::string inserted;
};

// What one Undo took back, kept for Redo: the records it took off the log (newest first), the
// changes it made (in order), and the cursor before it, where Redo leaves the cursor.
struct UndoneStep {
    std::uintptr_t window = 0;
    std::vector<Action> records;
    std::vector<TextChange> changes;
    Position cursor;
};

struct ActionLog {
    std::deque<Action> records;  // oldest first
    std::size_t capacity = kActionLogCapacity;
    bool oneGroup = false;  // the log is over its size and holds one group
    std::vector<UndoneStep> undone;  // for Redo, oldest first; an edit of a text drops its steps
    bool replaying = false;  // Undo or Redo is changing the text
};

ActionLog& actionLog();
void ClearActionLog();

// Logs an action of the current view before it is carried out. Records the cursor and saves
// what the action will remove: for Backspace (258, 8) the characters before the cursor, for
// Delete (256, 46) those under it, for Cut (273, 1111) and Paste (273, 1113) the selection.
// The repeat count of characters and keys is the low 16 bits of data.
void LogAction(std::uintptr_t window, unsigned kind, long param, long data);
// The dispatcher's record of a command (kind 273).
void LogCommand(std::uintptr_t window, unsigned command);
// Fills in the number of characters inserted by the newest record, when it is that command
// (Paste, macro insertion).
void SetCommandCount(unsigned command, long count);
// Saves text with the newest record, when it is that command (command 1280).
void SetCommandText(unsigned command, std::string_view text);
// Drops the newest record (an action that turned out to do nothing).
void DropLastAction();
void AppendAction(Action action);
// True when `later`, logged right after `earlier`, belongs to the same undo group.
bool ContinuesGroup(const Action& earlier, const Action& later);
// A record for the current view's window and cursor, not yet logged.
Action MakeAction(std::uintptr_t window, unsigned kind, long param, long data);

// One replacement of a replace command, logged before it is made: `index` counts the earlier
// replacements of the same command (0 for the first); the matched text starts at `at`.
// kind is kActionPlainReplace or kActionPatternReplace.
void LogReplacement(std::uintptr_t window, unsigned kind, long index, Position at,
                    std::string_view matched, std::string_view replacement);
// Ends a pattern replace that changed something.
void LogPatternReplaceEnd(std::uintptr_t window, long count);
// Lines a command is about to rebuild, as they are now.
void LogLineRestore(std::uintptr_t window, Position cursor, std::vector<SavedLine> lines);

// Forgets the records of a window that is gone.
void ForgetWindowActions(std::uintptr_t window);

// Inverts the newest action of the active window; false when there was nothing to undo.
bool Undo();
// Takes back the newest Undo made in the active window, when no edit of its text came since
// and no other window of the text undid something after it; false when there is none.
bool Redo();

// The Undo and Redo commands: "Nothing to undo" or "Nothing to redo" in the status line when
// there was nothing.
bool UndoCommand();
bool RedoCommand();

// Drops the steps of Redo when their text is edited (or read again).
extern const DocumentListener kUndoListener;

}  // namespace tarvo::editor
