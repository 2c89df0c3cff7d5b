#include "editor/search_form.h"

#include "base/messages.h"
#include "editor/regex.h"
#include "editor/search_messages.h"
#include "editor/search_state.h"
#include "editor/selection.h"

namespace tarvo::editor {
namespace {

// A longer selection is hardly what the user looks for.
constexpr std::size_t kLongestSelectedText = 127;

template <typename Request>
Request RequestOf(const SearchForm& form) {
    Request request;
    request.text = form.text;
    request.regex = form.regex;
    request.matchCase = form.matchCase;
    request.wholeWords = form.wholeWords;
    request.allWindows = form.allWindows;
    request.direction = form.direction;
    return request;
}

}  // namespace

SearchForm FormFromState(bool replace) {
    const SearchState& s = searchState();
    SearchForm f;
    f.replace = replace;
    f.text = s.text;
    f.replacement = s.replacement;
    f.regex = (s.flags & kFindRegex) != 0;
    f.matchCase = !(s.flags & kFindIgnoreCase);
    f.wholeWords = (s.flags & kFindWholeWords) != 0;
    f.allWindows = (s.flags & kFindAllWindows) != 0;
    f.searchMinimised = !(s.flags & kFindSkipMinimised);
    f.direction = (s.flags & kFindWrap) ? SearchDirection::Wrap
                  : (s.flags & kFindBackwards) ? SearchDirection::Backwards
                  : (s.flags & kFindForwards) ? SearchDirection::Forwards
                                              : SearchDirection::None;
    if (View* v = CurrentView(); v && v->anchorLine == v->cursorLine && HasSelection()) {
        std::string selected = SelectionText();
        if (!selected.empty() && selected.size() <= kLongestSelectedText) f.text = selected;
    }
    return f;
}

bool Acceptable(const SearchForm& f) {
    if (f.text.empty()) {
        base::ErrorBoxId(kMsgEmptySearch);
        return false;
    }
    if (f.direction == SearchDirection::None) {
        base::ErrorBoxId(kMsgNoDirection);
        return false;
    }
    if (f.regex && !CompileRegex(f.text)) return false;  // it said why
    return true;
}

FindRequest FindRequestOf(const SearchForm& form) {
    FindRequest request = RequestOf<FindRequest>(form);
    request.searchMinimised = form.searchMinimised;
    return request;
}

ReplaceRequest ReplaceRequestOf(const SearchForm& form) {
    ReplaceRequest request = RequestOf<ReplaceRequest>(form);
    request.replacement = form.replacement;
    request.confirm = form.confirm;
    return request;
}

}  // namespace tarvo::editor
