// Bookmarks: places the user marks with F7 and goes back to with Ctrl+F7 (a chosen one) or
// Ctrl+Shift+F7 (the next one). A bookmark holds its line, so it follows the line through
// edits; when the line goes, the bookmark moves to the line that took its place.
#pragma once
#include <string>
#include <vector>

#include "editor/document.h"

namespace tarvo::editor {

struct Bookmark {
    Document* document = nullptr;
    Line* line = nullptr;
    long column = 0;
};

struct BookmarkState {
    std::vector<Bookmark> marks;  // in the order they were set
};

BookmarkState& bookmarks();

// Sets a bookmark at the cursor, or removes the one on the cursor line; true when one was set.
bool ToggleBookmark();
// The bookmarks as "name(line): text" for a list to choose from.
std::vector<std::string> BookmarkLabels();
// Makes the bookmark's document current (asking the window side to show it) and puts the cursor
// there; false when it has no view.
bool GoToBookmark(std::size_t index);
// The first bookmark after the cursor line in the current document, else the first one of
// the document, else the first of another document; false when there is none.
bool GoToNextBookmark();

// Keeps bookmarks on their lines; the editor listens with it from the start.
extern const DocumentListener kBookmarkListener;

}  // namespace tarvo::editor
