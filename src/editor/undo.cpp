#include "editor/undo.h"

#include <algorithm>
#include <iterator>

#include "editor/edit.h"
#include "editor/editor_messages.h"
#include "editor/places.h"
#include "editor/selection.h"
#include "editor/window_messages.h"
#include "platform/ui.h"
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

// The characters a Backspace of `count` will remove, and where they start; empty when the
// start of the document comes first (the Backspace then does nothing).
void SaveBefore(Action& a, long count) {
    const Document& d = *CurrentView()->document;
    Line* line = nullptr;
    long column = 0, deleting = 0;
    if (!BackwardExtent(count, line, column, deleting)) return;
    a.at = {LineIndex(d, line), column};
    a.text = TextAt(d, line, column, deleting);
}

// Undo and Redo change the text without ending Redo.
struct Replaying {
    ActionLog& log;
    explicit Replaying(ActionLog& l) : log(l) { log.replaying = true; }
    ~Replaying() { log.replaying = false; }
};

// Inserts text at the cursor and tells where it went. After the last line, a text ending with
// a line end stands for whole lines (its deletion took the last line's end with it): those
// lines go after the last line, so the text starts with that line end instead.
bool InsertAtCursor(const std::string& text, TextChange& change) {
    View& v = *CurrentView();
    Document& d = *v.document;
    change.at = CursorPosition();
    change.inserted = text;
    if (text.empty()) return true;
    if (v.cursorLine != d.lines || text.back() != '\n') return InsertString(text);
    std::string_view lines(text.data(), text.size() - 1);
    if (d.lineCount == 0) return lines.empty() ? SplitLine() : InsertString(lines);
    SetCursorLine(d.lines->prev, d.lines->prev->length);
    change.at = CursorPosition();
    change.inserted = "\n" + std::string(lines);
    return InsertString(change.inserted);
}

// Deletes `count` characters at the cursor and tells which went.
bool DeleteAtCursor(long count, TextChange& change) {
    View& v = *CurrentView();
    change.at = CursorPosition();
    change.removed = TextAt(*v.document, v.cursorLine, v.cursorColumn, count);
    long deleted = 0;
    bool ok = DeleteForward(count, false, &deleted);
    change.removed.resize(std::min(change.removed.size(), static_cast<std::size_t>(deleted)));
    return ok;
}

// Replaces the `removed` characters at a place by `text`, then puts the cursor back. What
// went and what came are kept in the step for Redo.
bool PutBack(UndoneStep& step, Position at, long removed, const std::string& text, Position cursor) {
    SetCursor(at);
    TextChange out, in;
    bool ok = removed <= 0 || DeleteAtCursor(removed, out);
    if (ok) ok = InsertAtCursor(text, in);
    if (!out.removed.empty() && !in.inserted.empty() && in.at == out.at) {
        out.inserted = std::move(in.inserted);
        in = {};
    }
    if (!out.removed.empty() || !out.inserted.empty()) step.changes.push_back(std::move(out));
    if (!in.inserted.empty()) step.changes.push_back(std::move(in));
    if (ok) SetCursor(cursor);
    return ok;
}

// Redo of one change: what the Undo put in goes, what it took out comes back.
bool Reapply(const TextChange& change) {
    SetCursor(change.at);
    if (!change.inserted.empty() && !DeleteForward(static_cast<long>(change.inserted.size()), false)) return false;
    TextChange again;
    return InsertAtCursor(change.removed, again);
}

bool RestoreLines(const Action& a, UndoneStep& step) {
    View& v = *CurrentView();
    Document& d = *v.document;
    try {
        for (const SavedLine& saved : a.lines) {
            Line* line = LineAtNumber(d, saved.number);
            if (!line) continue;
            step.changes.push_back({{saved.number, 0}, std::string(LineText(*line)), saved.text});
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
Inverted UndoReplacements(const Action& last, UndoneStep& step) {
    ActionLog& log = actionLog();
    std::vector<Action> group;
    unsigned kind = last.kind == kActionPatternReplaceEnd ? kActionPatternReplace : last.kind;
    if (last.kind != kActionPatternReplaceEnd) group.push_back(last);
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
        if (!PutBack(step, r.at, static_cast<long>(r.inserted.size()), r.text, r.cursor)) return Inverted::Failed;
    SetCursor(group.back().cursor);
    // The first of the group is `last` itself unless it ended a pattern replace.
    for (std::size_t i = last.kind == kActionPatternReplaceEnd ? 0 : 1; i < group.size(); ++i)
        step.records.push_back(std::move(group[i]));
    return Inverted::Done;
}

// Inverts one record, which goes into the step with every record inverted along with it.
Inverted Invert(const Action& a, UndoneStep& step) {
    step.records.push_back(a);
    auto done = [](bool ok) { return ok ? Inverted::Done : Inverted::Failed; };
    auto putBack = [&](Position at, long removed, const std::string& text) {
        return done(PutBack(step, at, removed, text, a.cursor));
    };
    // Text typed or pasted after the last line began a line of its own: that line goes too.
    auto takeOut = [&](Position at, long inserted, const std::string& text) {
        if (putBack(at, inserted, text) == Inverted::Failed) return Inverted::Failed;
        const Document& d = *CurrentView()->document;
        Line* line = LineAtNumber(d, at.line);
        if (!a.afterLast || !line || line->next != d.lines || line->length != 0) return Inverted::Done;
        return putBack(at, 1, {});
    };
    switch (a.kind) {
        case kActionLeftClick:
        case kActionRightClick:
        case kActionScroll:
            SetCursor(a.cursor);
            return Inverted::Done;
        case kActionKey:
            if (a.param == static_cast<long>(kKeyDelete)) {
                if (a.text.empty()) return Inverted::Nothing;
                return putBack(a.cursor, 0, a.text);
            }
            SetCursor(a.cursor);
            return Inverted::Done;
        case kActionCharacter: {
            if (a.param == 13) return putBack(a.cursor, Repeat(a.data) + a.indent, {});
            if (a.param == 8) {
                if (a.text.empty()) return Inverted::Nothing;
                return putBack(a.at, 0, a.text);
            }
            if (takeOut(a.at, Repeat(a.data), a.text) == Inverted::Failed) return Inverted::Failed;
            // Characters the typing overwrote were logged just before it.
            ActionLog& log = actionLog();
            while (!log.records.empty() && ContinuesGroup(log.records.back(), a)) {
                Action o = std::move(log.records.back());
                log.records.pop_back();
                if (Invert(o, step) == Inverted::Failed) return Inverted::Failed;
            }
            return Inverted::Done;
        }
        case kActionOvertype:
            if (a.param == 13) {
                SetCursor(a.cursor);
                return Inverted::Done;
            }
            return putBack(a.cursor, 0, std::string(1, static_cast<char>(a.param)));
        case kActionCommand:
            if (a.param == static_cast<long>(CMD_CUT)) {
                if (a.text.empty()) return Inverted::Nothing;
                return putBack(a.at, 0, a.text);
            }
            if (a.param == static_cast<long>(CMD_PASTE)) {
                if (a.data == 0 && a.text.empty()) return Inverted::Nothing;
                return takeOut(a.at, a.data, a.text);
            }
            if (a.param == static_cast<long>(CMD_MACRO)) {
                if (a.data == 0) return Inverted::Nothing;
                return takeOut(a.cursor, a.data, {});
            }
            if (a.param == static_cast<long>(CMD_ESCAPE)) {
                if (a.text.empty()) return Inverted::Nothing;
                Action before;
                SaveBefore(before, static_cast<long>(a.text.size()));
                if (before.text.empty()) return Inverted::Failed;  // the start of the text came first
                return done(PutBack(step, before.at, static_cast<long>(before.text.size()), {}, before.at));
            }
            if (IsCursorCommand(a.param)) {
                SetCursor(a.cursor);
                return Inverted::Done;
            }
            return Inverted::Nothing;
        case kActionLineRestore:
            return done(RestoreLines(a, step));
        case kActionPlainReplace:
        case kActionPatternReplace:
        case kActionPatternReplaceEnd:
            return UndoReplacements(a, step);
        default:
            return Inverted::Nothing;
    }
}

// The newest step of Redo that a view may take back, or -1.
long RedoStepFor(const View& view) {
    const auto& steps = actionLog().undone;
    for (std::size_t i = steps.size(); i-- > 0;) {
        const View* owner = FindView(steps[i].window);
        if (!owner || owner->document != view.document) continue;
        return owner == &view ? static_cast<long>(i) : -1;
    }
    return -1;
}

void ForgetUndone(Document& doc) {
    ActionLog& log = actionLog();
    if (log.replaying || log.undone.empty()) return;
    std::erase_if(log.undone, [&doc](const UndoneStep& step) {
        const View* owner = FindView(step.window);
        return !owner || owner->document == &doc;
    });
}

}  // namespace

const DocumentListener kUndoListener = {.textReplaced = ForgetUndone, .textChanged = ForgetUndone};

ActionLog& actionLog() { return *editor().log; }

void ClearActionLog() {
    actionLog().records.clear();
    actionLog().undone.clear();
}

Action MakeAction(std::uintptr_t window, unsigned kind, long param, long data) {
    Action a;
    a.window = window;
    a.kind = kind;
    a.param = param;
    a.data = data;
    if (View* v = CurrentView()) {
        a.cursor = a.at = CursorPosition();
        a.afterLast = v->cursorLine == v->document->lines;
    }
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
            a.afterLast = e.line == d.lines;
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
    std::erase_if(actionLog().records, [window](const Action& a) { return a.window == window; });
    std::erase_if(actionLog().undone, [window](const UndoneStep& s) { return s.window == window; });
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
        UndoneStep step;
        step.window = view->window;
        step.cursor = CursorPosition();
        Inverted result;
        {
            Replaying replaying(log);
            result = Invert(a, step);
        }
        // Even a step that failed half way keeps what it changed, so Redo can restore it.
        if (result == Inverted::Done || !step.changes.empty()) log.undone.push_back(std::move(step));
        switch (result) {
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

bool Redo() {
    View* view = CurrentView();
    if (!view) return false;
    ActionLog& log = actionLog();
    long at = RedoStepFor(*view);
    if (at < 0) return false;
    if (!log.undone[static_cast<std::size_t>(at)].changes.empty() && !CanEdit(*view->document)) return false;
    UndoneStep step = std::move(log.undone[static_cast<std::size_t>(at)]);
    log.undone.erase(log.undone.begin() + at);
    ClearSelection();
    bool ok = true;
    {
        Replaying replaying(log);
        for (auto c = step.changes.rbegin(); ok && c != step.changes.rend(); ++c) ok = Reapply(*c);
    }
    if (!ok) return false;
    // The records go back on the log: the next Undo takes the same step back again.
    for (auto r = step.records.rbegin(); r != step.records.rend(); ++r) AppendAction(std::move(*r));
    SetCursor(step.cursor);
    RequestRedraw(*view->document, kRedrawAll);
    return true;
}

bool UndoCommand() {
    if (Undo()) return true;
    platform::ui().statusText(base::GetString(kMsgNothingToUndo));
    return false;
}

bool RedoCommand() {
    if (Redo()) return true;
    platform::ui().statusText(base::GetString(kMsgNothingToRedo));
    return false;
}

}  // namespace tarvo::editor
