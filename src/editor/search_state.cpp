#include "editor/search_state.h"

#include <algorithm>

#include "editor/language.h"
#include "shell/settings.h"

namespace tarvo::editor {
namespace {

struct Chained {
    EditorHooks previous{};
};

Chained& chained() {
    static Chained state;
    return state;
}

void LineDeleted(Document& doc, Line* line, Line* heir, long shift) {
    if (chained().previous.lineDeleted) chained().previous.lineDeleted(doc, line, heir, shift);
    SearchState& s = searchState();
    if (s.mark.line == line) {
        s.mark.line = heir;
        s.mark.column = heir == doc.lines ? 0 : std::max(0L, s.mark.column + shift);
    }
    if (s.last.line == line) s.last = {};
}

void TextReplaced(Document& doc) {
    if (chained().previous.textReplaced) chained().previous.textReplaced(doc);
    SearchState& s = searchState();
    if (s.mark.document == &doc) s.mark = {};
    if (s.last.document == &doc) s.last = {};
}

void DocumentClosing(Document& doc) {
    if (chained().previous.documentClosing) chained().previous.documentClosing(doc);
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

void SaveFindFlags() { shell::settings().findFlags = searchState().flags; }

void LoadFindFlags() { searchState().flags = shell::settings().findFlags; }

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

void InstallSearchHooks() {
    EditorHooks& hooks = editor().hooks;
    hooks.chooseLanguage = ChooseLanguageForDocument;
    if (hooks.lineDeleted == LineDeleted) return;  // installed already: chaining twice would loop
    chained().previous = hooks;
    hooks.lineDeleted = LineDeleted;
    hooks.textReplaced = TextReplaced;
    hooks.documentClosing = DocumentClosing;
}

}  // namespace tarvo::editor
