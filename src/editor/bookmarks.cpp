#include "editor/bookmarks.h"

#include <algorithm>

#include "editor/cursor.h"
#include "platform/text.h"

namespace tarvo::editor {
namespace {

void Drop(Document& doc) {
    auto& marks = bookmarks().marks;
    marks.erase(std::remove_if(marks.begin(), marks.end(), [&](const Bookmark& b) { return b.document == &doc; }),
                marks.end());
}

void OnLineDeleted(Document& doc, Line* line, Line* heir, long shift) {
    auto& marks = bookmarks().marks;
    for (Bookmark& b : marks) {
        if (b.document != &doc || b.line != line) continue;
        b.line = heir == doc.lines ? line->prev : heir;
        b.column = heir == line->prev ? b.column + shift : 0;
    }
    // A bookmark left on the sentinel (the last line went) has no place any more.
    marks.erase(std::remove_if(marks.begin(), marks.end(), [&](const Bookmark& b) { return b.line == doc.lines; }),
                marks.end());
}

void OnTextReplaced(Document& doc) {
    Drop(doc);
}

void OnDocumentClosing(Document& doc) {
    Drop(doc);
}

View* ViewShowing(Document* doc) {
    View* current = CurrentView();
    if (current && current->document == doc) return current;
    for (auto& v : editor().views)
        if (v->document == doc && v->window != 0) return v.get();
    return nullptr;
}

}  // namespace

BookmarkState& bookmarks() {
    static BookmarkState state;
    return state;
}

bool ToggleBookmark() {
    View* v = CurrentView();
    if (!v || v->cursorLine == v->document->lines) return false;
    auto& marks = bookmarks().marks;
    auto at = std::find_if(marks.begin(), marks.end(), [&](const Bookmark& b) { return b.line == v->cursorLine; });
    if (at != marks.end()) {
        marks.erase(at);
        return false;
    }
    marks.push_back({v->document, v->cursorLine, v->cursorColumn});
    return true;
}

std::vector<std::string> BookmarkLabels() {
    std::vector<std::string> labels;
    for (const Bookmark& b : bookmarks().marks) {
        std::string text(LineText(*b.line));
        labels.push_back(Printf("%s(%ld): %s", b.document->name.c_str(), LineIndex(*b.document, b.line), text.c_str()));
    }
    return labels;
}

bool GoToBookmark(std::size_t index) {
    auto& marks = bookmarks().marks;
    if (index >= marks.size()) return false;
    Bookmark b = marks[index];
    View* view = ViewShowing(b.document);
    if (!view) return false;
    if (view != CurrentView()) ActivateView(view);
    SetCursorLine(b.line, b.column);
    return true;
}

bool GoToNextBookmark() {
    View* v = CurrentView();
    auto& marks = bookmarks().marks;
    if (!v || marks.empty()) return false;
    Document& d = *v->document;
    long here = LineIndex(d, v->cursorLine);
    std::size_t best = marks.size(), first = marks.size();
    long bestLine = 0, firstLine = 0;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (marks[i].document != &d) continue;
        long n = LineIndex(d, marks[i].line);
        if (n > here && (best == marks.size() || n < bestLine)) best = i, bestLine = n;
        if (first == marks.size() || n < firstLine) first = i, firstLine = n;
    }
    if (best == marks.size()) best = first;
    if (best == marks.size()) {
        for (std::size_t i = 0; i < marks.size(); ++i)
            if (GoToBookmark(i)) return true;
        return false;
    }
    return GoToBookmark(best);
}

const DocumentListener kBookmarkListener = {
    .lineDeleted = OnLineDeleted,
    .textReplaced = OnTextReplaced,
    .documentClosing = OnDocumentClosing,
};

}  // namespace tarvo::editor
