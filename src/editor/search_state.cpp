#include "editor/search_state.h"

#include <algorithm>

#include "editor/language.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

void LineDeleted(Document& doc, Line* line, Line* heir, long shift) {
    SearchState& s = searchState();
    if (s.mark.line == line) {
        s.mark.line = heir;
        s.mark.column = heir == doc.lines ? 0 : std::max(0L, s.mark.column + shift);
    }
    if (s.last.line == line) s.last = {};
}

void TextReplaced(Document& doc) {
    SearchState& s = searchState();
    if (s.mark.document == &doc) s.mark = {};
    if (s.last.document == &doc) s.last = {};
}

void DocumentClosing(Document& doc) {
    TextReplaced(doc);
}

}  // namespace

SearchState& searchState() {
    static SearchState state;
    return state;
}

void ResetSearchState() {
    SearchState& s = searchState();
    SearchUi ui = s.ui;
    s = SearchState{};
    s.ui = ui;
    s.flags = kFindFlagsReset;
}

void SaveFindFlags() { base::settings().findFlags = searchState().flags; }

void LoadFindFlags() { searchState().flags = base::settings().findFlags; }

void SetSearchText(std::string_view text) {
    SearchState& s = searchState();
    s.text = text;
    s.reversed.assign(text.rbegin(), text.rend());
}

const Regex* SearchRegex() {
    SearchState& s = searchState();
    if (s.regex && s.regex->source == s.text) return s.regex.get();
    s.regex = CompileRegex(s.text);
    if (!s.regex) {
        SetSearchText("");
        s.mark = {};
    }
    return s.regex.get();
}

const DocumentListener kSearchListener = {
    .lineDeleted = LineDeleted,
    .textReplaced = TextReplaced,
    .documentClosing = DocumentClosing,
};

}  // namespace tarvo::editor
