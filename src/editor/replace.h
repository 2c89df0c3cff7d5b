// Search and replace, plain or with a regular expression, in the current window or in every
// editor window, each replacement confirmed through the search state's seam or not. Every
// replacement is logged, so one Undo takes back what one replace command did in a window.
#pragma once
#include <string>

#include "editor/search.h"

namespace tarvo::editor {

// What the "Search and replace" dialog collects.
struct ReplaceRequest {
    std::string text;
    std::string replacement;  // inserted literally
    bool regex = false;
    bool matchCase = false;
    bool wholeWords = false;
    bool allWindows = false;
    bool confirm = true;
    SearchDirection direction = SearchDirection::Forwards;
};

// The dialog's OK: checks the request ("Empty search string?", "Direction ?"), takes its texts
// and flags, and replaces. Afterwards the status line shows "%d substitutions", or "String not
// found" comes when nothing was found. `count` receives the number of replacements. False when
// nothing was replaced, on a refused pattern, or when the user cancelled (what was replaced
// before stays, and one Undo takes it back).
bool Replace(const ReplaceRequest& request, long* count = nullptr);

struct ReplaceOutcome {
    long count = 0;        // replacements made
    bool found = false;    // some match was offered, replaced or not
    bool stopped = false;  // cancelled, or a failure (after its message)
};

// The replacement with the current search state, in the current window from the cursor (or
// in every window), without the closing message.
ReplaceOutcome ReplaceWithState();

}  // namespace tarvo::editor
