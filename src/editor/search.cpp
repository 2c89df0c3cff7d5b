#include "editor/search.h"

#include <climits>

#include "editor/cursor.h"
#include "editor/search_messages.h"
#include "editor/selection.h"
#include "editor/text_scan.h"
#include "platform/text.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

SearchState& S() { return searchState(); }

bool IgnoreCase() { return (S().flags & kFindIgnoreCase) && !(S().flags & kFindRegex); }


bool SameAt(std::string_view line, std::size_t at, std::string_view needle, bool ignoreCase) {
    if (at + needle.size() > line.size()) return false;
    if (!ignoreCase) return line.compare(at, needle.size(), needle) == 0;
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (UpperChar(line[at + i]) != UpperChar(needle[i])) return false;
    return true;
}

bool Accepted(std::string_view line, std::size_t at, std::size_t length) {
    if (!(S().flags & kFindWholeWords)) return true;
    bool before = at > 0 && IsWordChar(line[at - 1]);
    bool after = at + length < line.size() && IsWordChar(line[at + length]);
    return !before && !after;
}

void Place(View& v, Line* line, const LineMatch& m) {
    v.anchorLine = line;
    v.anchorColumn = m.start;
    SetCursorLine(line, m.start + m.length);
    S().last = {v.document, line, m.start, m.length};
    RequestRedraw(*v.document, kRedrawAll);
}

bool Backwards() { return (S().flags & kFindBackwards) && !(S().flags & kFindForwards); }

// The place a search of the current view starts from: the cursor, stepped past the last match
// when it stands at its end.
void StartPlace(View& v, Line*& line, long& column) {
    line = v.cursorLine;
    column = v.cursorColumn;
    const LastMatch& last = S().last;
    if (last.document != v.document || last.line != line || column != last.column + last.length) return;
    if (Backwards()) {
        column = last.column + last.length - 1;  // matches ending before this one's end
    } else if (last.length == 0) {
        column += 1;  // an empty match would be found again where it is
    }
}

void PlaceMark(View& v) {
    S().mark = {v.window, v.document, v.cursorLine, v.cursorColumn};
}

LineSearch SearchCurrentView() {
    View* v = CurrentView();
    if (!v || S().text.empty()) return LineSearch::NotFound;
    if ((S().flags & kFindRegex) && !SearchRegex()) return LineSearch::Failed;
    Line* line = nullptr;
    long column = 0;
    StartPlace(*v, line, column);
    Hit hit;
    LineSearch r = SearchDocument(*v->document, line, column, Backwards(), S().flags & kFindWrap, hit);
    if (r == LineSearch::Found) Place(*v, hit.line, hit.match);
    return r;
}

// The search of all editor windows, from the current one.
bool SearchAllWindows() {
    View* start = CurrentView();
    const bool backwards = Backwards();
    Hit hit;
    Line* from = nullptr;
    long column = 0;
    StartPlace(*start, from, column);
    switch (SearchDocument(*start->document, from, column, backwards, false, hit)) {
        case LineSearch::Found:
            Place(*start, hit.line, hit.match);
            return true;
        case LineSearch::Failed:
            return false;
        case LineSearch::NotFound:
            break;
    }
    auto& views = editor().views;
    std::size_t first = 0;
    while (first < views.size() && views[first].get() != start) ++first;
    for (std::size_t k = 1; k <= views.size(); ++k) {
        View* v = views[(first + k) % views.size()].get();
        Document& d = *v->document;
        LineSearch found;
        if (v == start) {
            // Back where it began: what lies before the start mark is still to be tried.
            const SearchStartMark& m = S().mark;
            bool marked = m.document == &d && m.line;
            found = SearchDocument(d, marked ? m.line : d.lines, marked ? m.column : 0, backwards, true, hit);
        } else {
            if ((S().flags & kFindSkipMinimised) && S().ui.isMinimised && S().ui.isMinimised(*v)) continue;
            Line* line = backwards ? d.lines->prev : d.lines->next;
            found = SearchDocument(d, line, backwards && line != d.lines ? static_cast<long>(line->length) : 0,
                                   backwards, false, hit);
        }
        if (found == LineSearch::Failed) return false;
        if (found == LineSearch::Found) {
            ActivateView(v);
            ClearSelection();
            Place(*v, hit.line, hit.match);
            return true;
        }
        if (v == start) break;
    }
    base::InfoBox(base::GetString(kMsgStringNotFound));
    return false;
}

// Searches with the current text and flags, showing "String not found" when nothing is found.
bool RunSearch() {
    if (!CurrentView()) return false;
    if (S().flags & kFindAllWindows) return SearchAllWindows();
    // A refused pattern has had its own message; only a plain miss is "not found".
    LineSearch r = SearchCurrentView();
    if (r == LineSearch::NotFound && !S().text.empty()) base::InfoBox(base::GetString(kMsgStringNotFound));
    return r == LineSearch::Found;
}

}  // namespace

LineSearch FindInLine(std::string_view line, long from, long until, LineMatch& match) {
    if (from < 0) from = 0;
    if (S().flags & kFindRegex) {
        const Regex* re = SearchRegex();
        if (!re) return LineSearch::Failed;
        RegexMatch m;
        switch (ExecuteRegex(*re, line, static_cast<std::size_t>(from), m)) {
            case RegexResult::Failed:
                return LineSearch::Failed;
            case RegexResult::NoMatch:
                return LineSearch::NotFound;
            case RegexResult::Match:
                break;
        }
        if (m.start[0] >= until) return LineSearch::NotFound;
        match = {m.start[0], m.end[0] - m.start[0]};
        return LineSearch::Found;
    }
    const std::string& needle = S().text;
    if (needle.empty()) return LineSearch::NotFound;
    const bool ignoreCase = IgnoreCase();
    for (std::size_t at = static_cast<std::size_t>(from); at < line.size() && static_cast<long>(at) < until; ++at) {
        if (!ignoreCase) {
            at = line.find(needle, at);
            if (at == std::string_view::npos || static_cast<long>(at) >= until) break;
        } else if (!SameAt(line, at, needle, true)) {
            continue;
        }
        if (Accepted(line, at, needle.size())) {
            match = {static_cast<long>(at), static_cast<long>(needle.size())};
            return LineSearch::Found;
        }
    }
    return LineSearch::NotFound;
}

LineSearch FindInLineBackwards(std::string_view line, long after, long upTo, LineMatch& match) {
    upTo = std::min<long>(upTo, static_cast<long>(line.size()));
    if (S().flags & kFindRegex) {
        // The rightmost of the matches the forward search would give from each start.
        const Regex* re = SearchRegex();
        if (!re) return LineSearch::Failed;
        RegexMatch m;
        bool found = false;
        for (std::size_t from = 0; from <= line.size() && static_cast<long>(from) <= upTo;) {
            RegexResult r = ExecuteRegex(*re, line, from, m);
            if (r == RegexResult::Failed) return LineSearch::Failed;
            if (r == RegexResult::NoMatch || m.start[0] > upTo) break;
            if (m.end[0] <= upTo && m.end[0] > after) {
                match = {m.start[0], m.end[0] - m.start[0]};
                found = true;
            }
            from = static_cast<std::size_t>(m.start[0]) + 1;
        }
        return found ? LineSearch::Found : LineSearch::NotFound;
    }
    // The reversed text read from right to left is the text read from left to right.
    const std::string& needle = S().text;
    const long n = static_cast<long>(needle.size());
    if (n == 0) return LineSearch::NotFound;
    for (long at = upTo - n; at >= 0 && at + n > after; --at) {
        if (SameAt(line, static_cast<std::size_t>(at), needle, IgnoreCase()) &&
            Accepted(line, static_cast<std::size_t>(at), needle.size())) {
            match = {at, n};
            return LineSearch::Found;
        }
    }
    return LineSearch::NotFound;
}

long SearchInLine(std::string_view text, long column, long& length) {
    LineMatch m;
    switch (FindInLine(text, column, LONG_MAX, m)) {
        case LineSearch::Found:
            length = m.length;
            return m.start - column;
        case LineSearch::Failed:
            return -2;
        case LineSearch::NotFound:
            break;
    }
    return -1;
}

namespace {

// The program tried on one line, as FindInLine does, without looking up the program again:
// a search of a large document without a literal to look for tries every line.
LineSearch RegexInLine(const Regex& re, std::string_view line, long from, LineMatch& match) {
    RegexMatch m;
    unsigned error = 0;
    switch (ExecuteRegexQuietly(re, line, static_cast<std::size_t>(std::max(from, 0L)), m, error)) {
        case RegexResult::Failed:
            base::ErrorBoxId(error);
            return LineSearch::Failed;
        case RegexResult::NoMatch:
            return LineSearch::NotFound;
        case RegexResult::Match:
            break;
    }
    match = {m.start[0], m.end[0] - m.start[0]};
    return LineSearch::Found;
}

// The forward search of the lines [line, stop) (the first from `column`), skipping the lines
// that lack the literal every match holds.
LineSearch SearchLinesForwards(Document& doc, Line* line, long column, const Line* stop, Hit& hit) {
    SearchState& state = S();
    RegexNeedle plain;
    const RegexNeedle* needle = nullptr;
    bool needleIsMatch = false;       // where the literal is found, the search's match is
    const std::string* edge = nullptr;  // a literal matching lines begin or end with
    bool atStart = false;
    bool edgeIsMatch = false;
    const Regex* re = nullptr;
    bool byRow = false;
    if (state.flags & kFindRegex) {
        re = SearchRegex();
        if (!re) return LineSearch::Failed;
        needle = RequiredLiteral(*re);
        // A program that is one literal has it as both its prefix and its required literal.
        needleIsMatch = re->literalOnly && needle;
        // Looking at each line's first or last characters is cheaper than any search.
        atStart = re->anchored && !re->lineStart.empty();
        edge = atStart ? &re->lineStart : !re->lineEnd.empty() ? &re->lineEnd : nullptr;
        edgeIsMatch = edge && re->edgeOnly;
        byRow = re->rowAcrossLines;
    } else if (!IgnoreCase()) {
        plain.Set(state.text);
        needle = &plain;
        needleIsMatch = !(state.flags & kFindWholeWords);
    }
    for (Line* l = line; l != stop && l != doc.lines; l = l->next, column = 0) {
        if (edge) {
            Line* next = NextLineWithEdge(doc, l, *edge, atStart, stop);
            if (next != l) column = 0;
            l = next;
            if (l == stop || l == doc.lines) break;
            if (edgeIsMatch) {
                const long start = atStart ? 0 : static_cast<long>(l->length - edge->size());
                if (start < column) continue;  // before where the search starts
                hit.line = l;
                hit.match = {start, static_cast<long>(edge->size())};
                return LineSearch::Found;
            }
        } else if (byRow) {
            std::size_t at = 0, length = 0;
            Line* next = NextLineWithRowStart(doc, l, static_cast<std::size_t>(std::max(column, 0L)), *re, stop, &at, &length);
            l = next;
            if (l == stop || l == doc.lines) break;
            if (length != std::string_view::npos && at + length <= l->length) {
                hit.line = l;
                hit.match = {static_cast<long>(at), static_cast<long>(length)};
                return LineSearch::Found;
            }
            column = static_cast<long>(at);  // no match begins before the first possible place
        } else if (needle) {
            std::size_t at = 0;
            Line* holding = NextLineHolding(doc, l, static_cast<std::size_t>(std::max(column, 0L)), *needle, stop, &at);
            if (holding != l) column = 0;
            l = holding;
            if (l == stop || l == doc.lines) break;
            if (needleIsMatch) {
                hit.line = l;
                hit.match = {static_cast<long>(at), static_cast<long>(needle->text.size())};
                return LineSearch::Found;
            }
        }
        LineSearch r = re ? RegexInLine(*re, LineText(*l), column, hit.match) : FindInLine(LineText(*l), column, LONG_MAX, hit.match);
        if (r != LineSearch::NotFound) {
            hit.line = l;
            return r;
        }
    }
    return LineSearch::NotFound;
}

}  // namespace

LineSearch SearchDocument(Document& doc, Line* line, long column, bool backwards, bool wrap, Hit& hit) {
    Line* const sentinel = doc.lines;
    bool wrapped = false;
    Line* l = line;
    if (!backwards) {
        LineSearch r = SearchLinesForwards(doc, line, column, sentinel, hit);
        if (r != LineSearch::NotFound || !wrap) return r;
        // From the top round to the place: its own line only for a match starting before it.
        if (line == sentinel) return SearchLinesForwards(doc, sentinel->next, 0, sentinel, hit);
        r = SearchLinesForwards(doc, sentinel->next, 0, line, hit);
        if (r != LineSearch::NotFound) return r;
        r = FindInLine(LineText(*line), 0, column, hit.match);
        if (r == LineSearch::Found) hit.line = line;
        return r;
    }
    long upTo = column;
    if (l == sentinel) {
        l = sentinel->prev;  // after the last line: from the end of the last line
        upTo = l == sentinel ? 0 : static_cast<long>(l->length);
        line = l;
        column = upTo;
    }
    for (;;) {
        if (l == sentinel) {
            if (!wrap || wrapped) break;
            wrapped = true;
            l = sentinel->prev;
            upTo = l == sentinel ? 0 : static_cast<long>(l->length);
            continue;
        }
        const bool last = wrapped && l == line;
        LineSearch r = FindInLineBackwards(LineText(*l), last ? column : -1, upTo, hit.match);
        if (r != LineSearch::NotFound) {
            hit.line = l;
            return r;
        }
        if (last) break;
        l = l->prev;
        upTo = l == sentinel ? 0 : static_cast<long>(l->length);
    }
    return LineSearch::NotFound;
}

bool SearchFromCursor() { return SearchCurrentView() == LineSearch::Found; }

bool Find(const FindRequest& request) {
    if (request.text.empty()) {
        base::ErrorBoxId(kMsgEmptySearch);
        return false;
    }
    if (request.direction == SearchDirection::None) {
        base::ErrorBoxId(kMsgNoDirection);
        return false;
    }
    SearchState& s = S();
    std::uint16_t flags = s.flags & (kFindConfirm | kFindInBlock);
    flags |= request.allWindows ? kFindAllWindows : kFindCurrentWindow;
    flags |= request.regex ? kFindRegex : kFindPlain;
    if (!request.matchCase && !request.regex) flags |= kFindIgnoreCase;
    if (request.wholeWords) flags |= kFindWholeWords;
    if (!request.searchMinimised) flags |= kFindSkipMinimised;
    if (request.direction == SearchDirection::Backwards) flags |= kFindBackwards;
    else flags |= kFindForwards;
    if (request.direction == SearchDirection::Wrap) flags |= kFindWrap;
    s.flags = flags;
    SaveFindFlags();
    SetSearchText(request.text);
    if (request.regex && !SearchRegex()) return false;
    View* v = CurrentView();
    if (!v) return false;
    PlaceMark(*v);
    ClearSelection();
    s.last = {};
    return RunSearch();
}

bool FindNext() {
    SearchState& s = S();
    if (s.text.empty() || !CurrentView()) return false;
    // Forwards again after a Find Previous.
    s.flags = static_cast<std::uint16_t>((s.flags | kFindForwards) & ~kFindBackwards);
    PlaceMark(*CurrentView());
    return RunSearch();
}

bool FindPrevious() {
    SearchState& s = S();
    if (s.text.empty() || !CurrentView()) return false;
    s.flags = static_cast<std::uint16_t>((s.flags | kFindBackwards) & ~kFindForwards);
    PlaceMark(*CurrentView());
    return RunSearch();
}

bool CanFindNext() { return !S().text.empty(); }

}  // namespace tarvo::editor
