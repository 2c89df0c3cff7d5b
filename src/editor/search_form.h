// What the Find and Replace dialogs show and collect, apart from their controls: the form
// filled from the search state and the selection, its faults, and the requests it makes.
#pragma once
#include <string>

#include "editor/replace.h"
#include "editor/search.h"

namespace tarvo::editor {

struct SearchForm {
    bool replace = false;
    std::string text;
    std::string replacement;
    bool regex = false, matchCase = false, wholeWords = false, allWindows = false;
    bool searchMinimised = true, confirm = true;
    SearchDirection direction = SearchDirection::None;
};

// The form as a dialog opens: the options of the last search; the search text is the
// selection when it lies within one line and is short, else the last search text.
SearchForm FormFromState(bool replace);

// The form's faults keep the dialog open, each shown with its message: no text, no direction,
// a pattern that does not compile.
bool Acceptable(const SearchForm& form);

FindRequest FindRequestOf(const SearchForm& form);
ReplaceRequest ReplaceRequestOf(const SearchForm& form);

}  // namespace tarvo::editor
