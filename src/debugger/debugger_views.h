// What the debugger's windows show, apart from the windows themselves: the locals list kept
// line by line, the watch list and its change rule, the expression history, the value of a
// name asked for, and the value tip's clock. The Win32 side (debugger_windows_win.cpp) only
// copies these results into list boxes, trees and tips.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "debugger/expressions.h"

namespace tarvo::debugger {

// A text's lines without their line ends, for a list.
std::vector<std::string> TextLines(std::string_view text);

// --- the locals window -----------------------------------------------------------------------

// The lines the window shows and the function they belong to.
struct LocalsView {
    int module = 0, function = -1;
    std::vector<std::string> lines;
};
// What a refresh changes: the list emptied first, the rows rewritten (in order), the rows kept
// (rows at and past `count` go), and the row to select (the last rewritten; -1 none).
struct LocalsChange {
    bool cleared = false;
    std::vector<std::size_t> rewritten;
    std::size_t count = 0;
    long selected = -1;
};
// A new function empties the list; an empty `lines` (before the function's debug start) empties
// it too. Otherwise only the lines whose text differs are rewritten, so the user sees what
// changed. Line breaks become blanks.
LocalsChange RefreshLocals(LocalsView& view, int module, int function, std::vector<std::string> lines);

// --- watches ---------------------------------------------------------------------------------

inline constexpr std::size_t kWatchBytesLimit = 1024;
inline constexpr std::size_t kWatchEntryLimit = 128;  // characters of the watch dialog's entry

struct Watch {
    std::string expression;
    std::uint64_t address = 0, size = 0;
    TypeRef type;
    std::vector<std::uint8_t> bytes;  // as last shown
};

enum class WatchAdd { Added, Failed, Register, Empty, Unreadable };
struct WatchAddResult {
    WatchAdd outcome = WatchAdd::Failed;
    bool replaced = false;      // an entry of the same expression was taken out first
    std::size_t removedAt = 0;  // ... from this place
    std::string error;          // the evaluator's reason, when it failed
};
// Evaluates and adds the expression in front (newest first). A register value, a value of size
// 0 and one whose bytes cannot be read are not added. An expression already watched is taken
// out first, whether or not the new one can be added.
WatchAddResult AddWatch(std::vector<Watch>& watches, const EvalContext& ctx, const std::string& expression);

enum class WatchState { Unchanged, Changed, Failed };
// Each watch evaluated again: unchanged when its address and bytes are those kept; otherwise the
// copy is renewed. A failed one forgets its copy, so it shows again once it evaluates.
std::vector<WatchState> RefreshWatches(std::vector<Watch>& watches, const EvalContext& ctx);

// A watch's item: "%s = %s" for a primitive; a user type expanded into `tree` (true then).
// Failure gives "%s = <evaluation failed>".
bool WatchItem(const EvalContext& ctx, const Watch& watch, std::string& text, ValueNode& tree);
// A tree node's own line: its label, and " = " and its text when it has one.
std::string NodeLine(const ValueNode& node);

// The watch dialog's list: the text (cut to 128 characters) added when new; false otherwise.
bool AddToWatchList(std::vector<std::string>& list, std::string text);

// --- the Evaluate dialog and Show value of ----------------------------------------------------

inline constexpr std::size_t kHistoryTextLimit = 512;
inline constexpr std::size_t kEvaluateTextLimit = 1024;
// The text (cut to 512 characters) goes in front of the history when it is not there yet.
void RememberExpression(std::vector<std::string>& history, std::string text);

// The Evaluate dialog's answer: the result's lines, or the status line's message.
struct EvaluateAnswer {
    bool ok = false;
    std::vector<std::string> lines;
    std::string status;
};
EvaluateAnswer EvaluateExpressionText(const EvalContext& ctx, std::string_view text);

// Show value of a name: its value's lines, or a function's place ("Procedure ..."), or
// "Symbol '%s' not found".
struct NameValue {
    enum Kind { Value, Procedure, NotFound } kind = NotFound;
    std::vector<std::string> lines;
    std::string status;
};
NameValue ValueOfName(const EvalContext& ctx, std::string_view name);

// --- value tips ------------------------------------------------------------------------------

// The identifier that holds the character at `column` of the line; empty when none does.
std::string WordAt(std::string_view line, std::size_t column);

inline constexpr unsigned kTipIdleMs = 1500, kTipShownMs = 200, kTipMovedMs = 800;
struct TipClock {
    int x = -1, y = -1;
    bool shown = false;
};
struct TipTick {
    bool show = false, hide = false;
    unsigned nextMs = kTipIdleMs;
};
// One tick of the tip timer with the mouse at (x, y). `eligible`: the program is stopped, an
// editor window is active, tips are on, no selection is being made and the mouse is in the
// editor. A mouse that moved hides the tip; one that rested since the last tick shows it.
TipTick TickTip(TipClock& clock, int x, int y, bool eligible);
// The tip's text of the word: the first expression picked from it, not expanded; empty when
// nothing could be evaluated.
std::string TipText(const EvalContext& ctx, std::string_view word);

}  // namespace tarvo::debugger
