#include "editor/replace.h"

#include <algorithm>
#include <climits>
#include <set>

#include "editor/cursor.h"
#include "editor/edit.h"
#include "editor/search_messages.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

SearchState& S() { return searchState(); }

enum class Walk { Done, Cancelled, Failed };

struct ReplaceRun {
    View& view;
    Document& doc;
    bool regex;
    bool all;          // no more questions
    long count = 0;    // replacements in this window
    bool found = false;  // a match was offered
    Line* startLine;   // where the replacement started, kept in step with changes before it
    long startColumn;

    ReplaceAnswer Ask(Line* line, const LineMatch& m) {
        found = true;
        if (all) return ReplaceAnswer::Yes;
        view.anchorLine = line;
        view.anchorColumn = m.start;
        SetCursorLine(line, m.start + m.length);
        RequestRedraw(doc, kRedrawAll);
        ReplaceAnswer answer = S().ui.confirmReplace ? S().ui.confirmReplace(view) : ReplaceAnswer::Yes;
        if (answer == ReplaceAnswer::All) {
            all = true;
            answer = ReplaceAnswer::Yes;
        }
        return answer;
    }

    // Logs the replacement, then deletes the match and inserts the replacement text.
    bool Make(Line* line, const LineMatch& m) {
        std::string matched(LineText(*line).substr(static_cast<std::size_t>(m.start), static_cast<std::size_t>(m.length)));
        ClearSelection();
        SetCursorLine(line, m.start);
        LogReplacement(view.window, regex ? kActionPatternReplace : kActionPlainReplace, count,
                       {LineIndex(doc, line), m.start}, matched, S().replacement);
        if (m.length > 0 && !DeleteForward(m.length, false)) return false;
        if (!InsertRun(S().replacement)) return false;
        ++count;
        if (line == startLine && m.start < startColumn)
            startColumn += static_cast<long>(S().replacement.size()) - m.length;
        return true;
    }

    Walk Forwards(bool wrap) {
        Line* const sentinel = doc.lines;
        Line* line = startLine;
        long from = startColumn;
        long noEmptyAt = -1;  // no empty match right where a replaced or skipped one ended
        bool wrapped = false;
        for (;;) {
            if (line == sentinel) {
                if (!wrap || wrapped) return Walk::Done;
                wrapped = true;
                line = sentinel->next;
                from = 0;
                continue;
            }
            // The wrapped walk ends with the line before the starting line.
            if (wrapped && line == startLine) return Walk::Done;
            LineMatch m;
            switch (FindInLine(LineText(*line), from, LONG_MAX, m)) {
                case LineSearch::Failed:
                    return Walk::Failed;
                case LineSearch::NotFound:
                    line = line->next;
                    from = 0;
                    noEmptyAt = -1;
                    continue;
                case LineSearch::Found:
                    break;
            }
            if (m.length == 0 && m.start == noEmptyAt) {
                from = m.start + 1;
                noEmptyAt = -1;
                continue;
            }
            // An empty match is stepped over, or the walk would stay on it.
            const long empty = m.length == 0 ? 1 : 0;
            switch (Ask(line, m)) {
                case ReplaceAnswer::Cancel:
                    return Walk::Cancelled;
                case ReplaceAnswer::No:
                    from = regex ? m.start + m.length + empty : m.start + 1;
                    break;
                default:
                    if (!Make(line, m)) return Walk::Failed;
                    from = m.start + static_cast<long>(S().replacement.size()) + empty;
                    break;
            }
            noEmptyAt = m.length > 0 ? from : -1;
        }
    }

    Walk Backwards(bool wrap) {
        Line* const sentinel = doc.lines;
        Line* line = startLine;
        long upTo = startColumn;
        if (line == sentinel) {
            line = sentinel->prev;
            upTo = line == sentinel ? 0 : static_cast<long>(line->length);
        }
        Line* const first = line;
        bool wrapped = false;
        for (;;) {
            if (line == sentinel) {
                if (!wrap || wrapped) return Walk::Done;
                wrapped = true;
                line = sentinel->prev;
                upTo = line == sentinel ? 0 : static_cast<long>(line->length);
                continue;
            }
            if (wrapped && line == first) return Walk::Done;
            LineMatch m;
            LineSearch r = upTo < 0 ? LineSearch::NotFound : FindInLineBackwards(LineText(*line), -1, upTo, m);
            if (r == LineSearch::Failed) return Walk::Failed;
            if (r == LineSearch::NotFound) {
                line = line->prev;
                upTo = line == sentinel ? 0 : static_cast<long>(line->length);
                continue;
            }
            const long empty = m.length == 0 ? 1 : 0;
            switch (Ask(line, m)) {
                case ReplaceAnswer::Cancel:
                    return Walk::Cancelled;
                case ReplaceAnswer::No:
                    upTo = m.start + m.length - 1;
                    break;
                default:
                    if (!Make(line, m)) return Walk::Failed;
                    upTo = m.start - empty;  // the text before the match is as it was
                    break;
            }
        }
    }
};

// Replaces in one view, from its cursor or over its whole document.
void ReplaceInView(View& view, bool fromCursor, ReplaceOutcome& outcome) {
    Document& doc = *view.document;
    if (!CanEdit(doc)) return;
    const std::uint16_t flags = S().flags;
    ReplaceRun run{view, doc, (flags & kFindRegex) != 0, !(flags & kFindConfirm), 0, false,
                   fromCursor ? view.cursorLine : doc.lines->next, fromCursor ? view.cursorColumn : 0};
    const bool backwards = (flags & kFindBackwards) && !(flags & kFindForwards);
    const bool wrap = fromCursor && (flags & kFindWrap);
    // Replacements never remove a line, so the scroll position can be put back as it was.
    Line* const top = view.topLine;
    const long left = view.leftColumn;
    Walk walk = backwards ? run.Backwards(wrap) : run.Forwards(wrap);
    if (run.regex && run.count > 0) LogPatternReplaceEnd(view.window, run.count);
    outcome.count += run.count;
    outcome.found = outcome.found || run.found;
    outcome.stopped = walk != Walk::Done;
    if (walk == Walk::Cancelled) return;  // the match asked about stays selected
    ClearSelection();
    SetCursorLine(run.startLine, run.startColumn);
    view.topLine = top;
    view.leftColumn = left;
    RequestRedraw(doc, kRedrawAll);
}

}  // namespace

ReplaceOutcome ReplaceWithState() {
    ReplaceOutcome outcome;
    View* start = CurrentView();
    if (!start || S().text.empty()) return outcome;
    if ((S().flags & kFindRegex) && !SearchRegex()) {
        outcome.stopped = true;
        return outcome;
    }
    if (!(S().flags & kFindAllWindows)) {
        ReplaceInView(*start, true, outcome);
        return outcome;
    }
    // Every window in turn, each document once: two views of one text must not double it.
    std::set<Document*> done;
    std::vector<View*> order;
    auto& views = editor().views;
    std::size_t first = 0;
    while (first < views.size() && views[first].get() != start) ++first;
    for (std::size_t k = 0; k < views.size(); ++k) order.push_back(views[(first + k) % views.size()].get());
    for (View* v : order) {
        if (!done.insert(v->document).second) continue;
        if (v != CurrentView()) ActivateView(v);
        ReplaceInView(*v, v == start, outcome);
        if (outcome.stopped) return outcome;
    }
    if (CurrentView() != start) ActivateView(start);
    return outcome;
}

bool Replace(const ReplaceRequest& request, long* count) {
    if (count) *count = 0;
    if (request.text.empty()) {
        base::ErrorBoxId(kMsgEmptySearch);
        return false;
    }
    if (request.direction == SearchDirection::None) {
        base::ErrorBoxId(kMsgNoDirection);
        return false;
    }
    View* v = CurrentView();
    if (!v || (!request.allWindows && !CanEdit(*v->document))) return false;
    SearchState& s = S();
    std::uint16_t flags = s.flags & kFindInBlock;
    flags |= request.allWindows ? kFindAllWindows : kFindCurrentWindow;
    flags |= request.regex ? kFindRegex : kFindPlain;
    if (!request.matchCase && !request.regex) flags |= kFindIgnoreCase;
    if (request.wholeWords) flags |= kFindWholeWords;
    if (request.confirm) flags |= kFindConfirm;
    if (request.direction == SearchDirection::Backwards) flags |= kFindBackwards;
    else flags |= kFindForwards;
    if (request.direction == SearchDirection::Wrap) flags |= kFindWrap;
    s.flags = flags;
    SaveFindFlags();
    SetSearchText(request.text);
    s.replacement = request.replacement;
    s.mark = {v->window, v->document, v->cursorLine, v->cursorColumn};
    s.last = {};
    ReplaceOutcome outcome = ReplaceWithState();
    if (count) *count = outcome.count;
    if (outcome.found)
        platform::ui().statusText(Printf(base::GetString(kMsgSubstitutions), static_cast<int>(outcome.count)).c_str());
    else if (!outcome.stopped)
        base::InfoBox(base::GetString(kMsgStringNotFound));
    return outcome.count > 0 && !outcome.stopped;
}

}  // namespace tarvo::editor
