// Find, Find Next and Find Previous over the current window or all editor windows, with plain
// text (optionally ignoring case and whole words only) or a regular expression.
#pragma once
#include <string>
#include <string_view>

#include "editor/search_state.h"

namespace tarvo::editor {

enum class SearchDirection { None, Forwards, Backwards, Wrap };

// What the Find dialog collects.
struct FindRequest {
    std::string text;
    bool regex = false;
    bool matchCase = false;
    bool wholeWords = false;
    bool allWindows = false;
    bool searchMinimised = true;
    SearchDirection direction = SearchDirection::Forwards;
};

// A match in one line: [start, start + length).
struct LineMatch {
    long start = -1;
    long length = 0;
};

enum class LineSearch { Found, NotFound, Failed };

// Plain text in one line with the current flags (ignore case, whole words). Forwards: the
// leftmost match starting in [from, until); backwards: the rightmost one ending in (after, upTo].
LineSearch FindInLine(std::string_view line, long from, long until, LineMatch& match);
LineSearch FindInLineBackwards(std::string_view line, long after, long upTo, LineMatch& match);

// The search of one line from a column with the current text and flags: the offset of the
// match from that column (its length in `length`), or -1; -2 after a refused pattern.
long SearchInLine(std::string_view text, long column, long& length);

struct Hit {
    Line* line = nullptr;
    LineMatch match;
};

// Searches a document from a place: forwards, the first match starting at or after it;
// backwards, the last one ending at or before it. With wrap the search goes on from the other
// end of the document around to the place. The place may be the sentinel (after the last line).
LineSearch SearchDocument(Document& doc, Line* line, long column, bool backwards, bool wrap, Hit& hit);

// Searches from the current view's cursor with the current flags and text; on a match selects
// it (anchor at its start, cursor at its end). False when nothing was found or the pattern was
// refused (after its message); the view is then unchanged.
bool SearchFromCursor();

// The Find dialog's OK: checks the request ("Empty search string?", "Direction ?"), takes its
// text and flags, places the start mark and searches; "String not found" when nothing is found.
bool Find(const FindRequest& request);
// Again with the same text and flags, forwards or backwards.
bool FindNext();
bool FindPrevious();
// Find Next and Find Previous are offered only while there is a search text.
bool CanFindNext();

}  // namespace tarvo::editor
