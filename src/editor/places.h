// Inside the editor: the ring operations and the places (cursor, anchor, saved positions)
// that edits must carry along.
#pragma once
#include "editor/document.h"

namespace tarvo::editor {

inline void LinkAfter(Line* at, Line* line) {
    line->prev = at;
    line->next = at->next;
    at->next->prev = line;
    at->next = line;
}

inline void LinkBefore(Line* at, Line* line) { LinkAfter(at->prev, line); }

// Calls f(line, column) for every cursor and anchor of the document's views and its saved
// cursor and anchor; f may move them.
template <class F>
void ForEachPlace(Document& doc, F f) {
    for (auto& v : editor().views) {
        if (v->document != &doc) continue;
        f(v->cursorLine, v->cursorColumn);
        if (v->anchorLine) f(v->anchorLine, v->anchorColumn);
    }
    f(doc.savedCursorLine, doc.savedCursorColumn);
    if (doc.savedAnchorLine) f(doc.savedAnchorLine, doc.savedAnchorColumn);
}

// Unlinks and frees a line. What was on it moves to `heir` (default: the following line, at
// column 0) with columns shifted by `shift`.
void RemoveLine(Document& doc, Line* line, Line* heir = nullptr, long shift = 0);

}  // namespace tarvo::editor
