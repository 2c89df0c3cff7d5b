#include "editor/undo.h"

#include <algorithm>
#include <iterator>

#include "editor/edit.h"
#include "editor/editor_messages.h"
#include "editor/places.h"
#include "editor/selection.h"
#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::editor {
namespace {

// Commands that only move the cursor: Undo puts the cursor back. Top, End, Line, the find
// commands, bookmarks, Functions list, Recenter, the definition searches, word moves and the
// selection-extending moves.
constexpr unsigned kCursorCommands[] = {
    CMD_EXTEND_LINE_DOWN, CMD_TOP, CMD_END, CMD_GO_TO_LINE, CMD_FIND_NEXT, CMD_FIND_PREVIOUS,
    CMD_FIND, CMD_GO_TO_BOOKMARK, CMD_NEXT_BOOKMARK, CMD_EXTEND_LINE_UP, CMD_EXTEND_CHAR_RIGHT,
    CMD_EXTEND_CHAR_LEFT, CMD_SEARCH_DEFINITION, CMD_WORD_RIGHT, CMD_WORD_LEFT,
    CMD_EXTEND_WORD_RIGHT, CMD_FUNCTIONS_LIST, CMD_EXTEND_TO_TOP, CMD_EXTEND_TO_END,
    CMD_EXTEND_TO_LINE_END, CMD_RECENTER, CMD_EXTEND_TO_LINE_START, CMD_SYMBOL_USAGE,
    CMD_SELECT_ALL, CMD_SELECT_WORD, CMD_EXTEND_PAGE_UP, CMD_EXTEND_PAGE_DOWN,
    CMD_EXTEND_WORD_LEFT,
    // Kept from the classic table, though nothing sends them.
    1209, 1210,
};

bool IsCursorCommand(long command) {
    return std::find(std::begin(kCursorCommands), std::end(kCursorCommands), static_cast<unsigned>(command)) !=
           std::end(kCursorCommands);
}

long Repeat(long data) {
    long n = data & 0xFFFF;
    return n < 1 ? 1 : n;
}

enum class Inverted { Done, Nothing, Failed };

bool ChangesText(const Action& a) {
    switch (a.kind) {
        case kActionCharacter:
        case kActionLineRestore:
        case kActionPlainReplace:
        case kActionPatternReplace:
        case kActionPatternReplaceEnd:
            return true;
        case kActionKey:
            return a.param == static_cast<long>(kKeyDelete);
        case kActionOvertype:
            return a.param != 13;
        case kActionCommand:
            return a.param == static_cast<long>(CMD_CUT) || a.param == static_cast<long>(CMD_PASTE) ||
                   a.param == static_cast<long>(CMD_MACRO) || a.param == static_cast<long>(CMD_ESCAPE);
        default:
            return false;
    }
}

// Replaces the `removed` characters at a place by `text`, then puts the cursor back.
bool PutBack(Position at, long removed, const std::string& text, Position cursor) {
    SetCursor(at);
    if (removed > 0 && !DeleteForward(removed, false)) return false;
    if (!text.empty() && !InsertString(text)) return false;
    SetCursor(cursor);
    return true;
}

bool RestoreLines(const Action& a) {
    View& v = *CurrentView();
    Document& d = *v.document;
    try {
        for (const SavedLine& saved : a.lines) {
            Line* line = LineAtNumber(d, saved.number);
            if (!line) continue;
            SetText(*line, saved.text);
            line->marks = saved.marks;
            ForEachPlace(d, [&](Line*& l, long& c) {
                if (l == line) c = std::min<long>(c, line->length);
            });
        }
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
        return false;
    }
    d.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    MarkChanged(d, false);
    SetCursor(a.cursor);
    return true;
}

// The records of one replace command, newest first, ending with its first replacement.
Inverted UndoReplacements(Action last) {
    ActionLog& log = actionLog();
    std::vector<Action> group;
    unsigned kind = last.kind == kActionPatternReplaceEnd ? kActionPatternReplace : last.kind;
    if (last.kind != kActionPatternReplaceEnd) group.push_back(std::move(last));
    while (group.empty() || group.back().param != 0) {
        if (log.records.empty() || log.records.back().kind != kind || log.records.back().window != last.window) {
            // The command's first record is missing: nothing of it is undone, and its records
            // go so that the actions before it can still be undone.
            base::ErrorBoxId(kMsgUndoInternalError);
            return Inverted::Failed;
        }
        group.push_back(std::move(log.records.back()));
        log.records.pop_back();
    }
    // Newest first: each replacement then sits exactly where it was made.
    for (const Action& r : group)
        if (!PutBack(r.at, static_cast<long>(r.inserted.size()), r.text, r.cursor)) return Inverted::Failed;
    SetCursor(group.back().cursor);
    return Inverted::Done;
}

Inverted Invert(Action a) {
    auto done = [](bool ok) { return ok ? Inverted::Done : Inverted::Failed; };
    switch (a.kind) {
        case kActionLeftClick:
        case kActionRightClick:
        case kActionScroll:
            SetCursor(a.cursor);
            return Inverted::Done;
        case kActionKey:
            if (a.param == static_cast<long>(kKeyDelete)) {
                if (a.text.empty()) return Inverted::Nothing;
                return done(PutBack(a.cursor, 0, a.text, a.cursor));
            }
            SetCursor(a.cursor);
            return Inverted::Done;
        case kActionCharacter: {
            if (a.param == 13) return done(PutBack(a.cursor, Repeat(a.data) + a.indent, {}, a.cursor));
            if (a.param == 8) {
                if (a.text.empty()) return Inverted::Nothing;
                return done(PutBack(a.at, 0, a.text, a.cursor));
            }
            if (!PutBack(a.at, Repeat(a.data), a.text, a.cursor)) return Inverted::Failed;
            // Characters the typing overwrote were logged just before it.
            ActionLog& log = actionLog();
            while (!log.records.empty() && log.records.back().kind == kActionOvertype &&
                   log.records.back().param != 13 && log.records.back().window == a.window) {
                Action o = std::move(log.records.back());
                log.records.pop_back();
                if (Invert(std::move(o)) == Inverted::Failed) return Inverted::Failed;
            }
            return Inverted::Done;
        }
        case kActionOvertype:
            if (a.param == 13) {
                SetCursor(a.cursor);
                return Inverted::Done;
            }
            return done(PutBack(a.cursor, 0, std::string(1, static_cast<char>(a.param)), a.cursor));
        case kActionCommand:
            if (a.param == static_cast<long>(CMD_CUT)) {
                if (a.text.empty()) return Inverted::Nothing;
                return done(PutBack(a.at, 0, a.text, a.cursor));
            }
            if (a.param == static_cast<long>(CMD_PASTE)) {
                if (a.data == 0 && a.text.empty()) return Inverted::Nothing;
                return done(PutBack(a.at, a.data, a.text, a.cursor));
            }
            if (a.param == static_cast<long>(CMD_MACRO)) {
                if (a.data == 0) return Inverted::Nothing;
                return done(PutBack(a.cursor, a.data, {}, a.cursor));
            }
            if (a.param == static_cast<long>(CMD_ESCAPE)) {
                if (a.text.empty()) return Inverted::Nothing;
                return done(DeleteBackward(static_cast<long>(a.text.size())));
            }
            if (IsCursorCommand(a.param)) {
                SetCursor(a.cursor);
                return Inverted::Done;
            }
            return Inverted::Nothing;
        case kActionLineRestore:
            return done(RestoreLines(a));
        case kActionPlainReplace:
        case kActionPatternReplace:
        case kActionPatternReplaceEnd:
            return UndoReplacements(std::move(a));
        default:
            return Inverted::Nothing;
    }
}

// The characters a Backspace of `count` will remove, and where they start; empty when the
// start of the document comes first (the Backspace then does nothing).
void SaveBefore(Action& a, long count) {
    View& v = *CurrentView();
    const Document& d = *v.document;
    Line* line = v.cursorLine;
    long column = v.cursorColumn;
    long left = count;
    if (line == d.lines) {
        if (d.lines->prev == d.lines) return;
        line = d.lines->prev;
        column = line->length;
        --left;
    }
    while (left > column) {
        if (line->prev == d.lines) return;
        left -= column + 1;
        line = line->prev;
        column = line->length;
    }
    column -= left;
    a.at = {LineIndex(d, line), column};
    a.text = TextAt(d, line, column, count);
}

}  // namespace

ActionLog& actionLog() { return *editor().log; }

void ClearActionLog() { actionLog().records.clear(); }

Action MakeAction(std::uintptr_t window, unsigned kind, long param, long data) {
    Action a;
    a.window = window;
    a.kind = kind;
    a.param = param;
    a.data = data;
    if (CurrentView()) a.cursor = a.at = CursorPosition();
    return a;
}

bool ContinuesGroup(const Action& earlier, const Action& later) {
    if (earlier.window != later.window) return false;
    switch (later.kind) {
        case kActionPlainReplace:
        case kActionPatternReplace:
            return later.param != 0 && earlier.kind == later.kind;
        case kActionPatternReplaceEnd:
            return earlier.kind == kActionPatternReplace;
        case kActionOvertype:
        case kActionCharacter:
            // Characters typed over others come with the records of what they overwrote.
            return earlier.kind == kActionOvertype && earlier.param != 13 && later.param != 13 && later.param != 8;
        default:
            return false;
    }
}

void AppendAction(Action action) {
    ActionLog& log = actionLog();
    bool continues = !log.records.empty() && ContinuesGroup(log.records.back(), action);
    log.records.push_back(std::move(action));
    if (log.records.size() <= log.capacity) {
        log.oneGroup = false;
        return;
    }
    // A log that is one growing group stays so: no need to look through it again.
    if (log.oneGroup && continues) return;
    log.oneGroup = false;
    auto& records = log.records;
    while (records.size() > log.capacity) {
        std::size_t end = 1;
        while (end < records.size() && ContinuesGroup(records[end - 1], records[end])) ++end;
        if (end == records.size()) {
            log.oneGroup = true;  // the newest group is kept whole, however large
            return;
        }
        records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(end));
    }
}

void LogAction(std::uintptr_t window, unsigned kind, long param, long data) {
    View* v = CurrentView();
    if (!v) return;
    Action a = MakeAction(window, kind, param, data);
    const Document& d = *v->document;
    bool editable = !(d.flags & kReadOnly);
    if (kind == kActionCharacter && param == 8 && editable) {
        SaveBefore(a, Repeat(data));
    } else if (kind == kActionKey && param == static_cast<long>(kKeyDelete) && editable) {
        a.text = TextAt(d, v->cursorLine, v->cursorColumn, Repeat(data));
    } else if (kind == kActionCommand && (param == static_cast<long>(CMD_CUT) || param == static_cast<long>(CMD_PASTE))) {
        Extent e;
        if (editable && HasSelection() && SelectionExtent(e)) {
            a.at = e.start;
            a.text = TextAt(d, e.line, e.column, e.count);
        }
    }
    AppendAction(std::move(a));
}

void LogCommand(std::uintptr_t window, unsigned command) { LogAction(window, kActionCommand, command, 0); }

void SetCommandCount(unsigned command, long count) {
    ActionLog& log = actionLog();
    if (!log.records.empty() && log.records.back().kind == kActionCommand &&
        log.records.back().param == static_cast<long>(command))
        log.records.back().data = count;
}

void SetCommandText(unsigned command, std::string_view text) {
    ActionLog& log = actionLog();
    if (!log.records.empty() && log.records.back().kind == kActionCommand &&
        log.records.back().param == static_cast<long>(command))
        log.records.back().text = text;
}

void DropLastAction() {
    if (!actionLog().records.empty()) actionLog().records.pop_back();
}

void LogReplacement(std::uintptr_t window, unsigned kind, long index, Position at, std::string_view matched,
                    std::string_view replacement) {
    Action a = MakeAction(window, kind, index, 0);
    a.at = at;
    a.text = matched;
    a.inserted = replacement;
    AppendAction(std::move(a));
}

void LogPatternReplaceEnd(std::uintptr_t window, long count) {
    AppendAction(MakeAction(window, kActionPatternReplaceEnd, count, 0));
}

void LogLineRestore(std::uintptr_t window, Position cursor, std::vector<SavedLine> lines) {
    Action a = MakeAction(window, kActionLineRestore, 0, 0);
    a.cursor = a.at = cursor;
    a.lines = std::move(lines);
    AppendAction(std::move(a));
}

void ForgetWindowActions(std::uintptr_t window) {
    auto& records = actionLog().records;
    records.erase(std::remove_if(records.begin(), records.end(), [window](const Action& a) { return a.window == window; }),
                  records.end());
}

bool Undo() {
    View* view = CurrentView();
    if (!view) return false;
    ActionLog& log = actionLog();
    ClearSelection();
    while (!log.records.empty()) {
        Action& newest = log.records.back();
        if (newest.window != view->window) {
            View* other = FindView(newest.window);
            bool jump = newest.kind == kActionRightClick ||
                        (newest.kind == kActionCommand && newest.param == static_cast<long>(CMD_SEARCH_DEFINITION));
            if (other && jump) {
                Position back = newest.cursor;
                log.records.pop_back();
                ActivateView(other);
                SetCursor(back);
                return true;
            }
            // Newer records of other windows cannot be undone from this one.
            while (!log.records.empty() && log.records.back().window != view->window) log.records.pop_back();
            continue;
        }
        if (ChangesText(newest) && !CanEdit(*view->document)) return false;
        Action a = std::move(newest);
        log.records.pop_back();
        switch (Invert(std::move(a))) {
            case Inverted::Done:
                RequestRedraw(*view->document, kRedrawAll);
                return true;
            case Inverted::Failed:
                return false;
            case Inverted::Nothing:
                break;  // nothing to invert: go on to the record before it
        }
    }
    return false;
}

}  // namespace tarvo::editor
