#include "editor/document.h"

#include <algorithm>

#include "base/messages.h"
#include "editor/autosave.h"
#include "editor/bookmarks.h"
#include "editor/comments.h"
#include "editor/editor_messages.h"
#include "editor/language.h"
#include "editor/places.h"
#include "editor/screen.h"
#include "editor/search_state.h"
#include "editor/undo.h"

namespace tarvo::editor {

Document::Document() {
    lines = NewLine(pool);
    lines->next = lines->prev = lines;
    savedCursorLine = lines;
}

Document::~Document() = default;  // the pool frees every line

EditorState::EditorState() : log(std::make_unique<ActionLog>()), autosave(std::make_unique<AutosaveState>()) {}
EditorState::~EditorState() = default;

namespace {

EditorState& state() {
    static EditorState s;
    return s;
}

// The editor's own modules that follow the lines.
void ListenOwnModules() {
    Listen(kCommentListener);
    Listen(kBookmarkListener);
    Listen(kSearchListener);
    Listen(kUndoListener);
    Listen(kAutosaveListener);
}

void CreateInternalBuffer() {
    Document* doc = FindDocument(kUntitled, true);
    doc->permanent = true;
    doc->flags = kInternalBuffer;
    View* view = AddView(doc, 0);
    view->topLine = view->cursorLine = doc->lines;
    view->redraw = kRedrawAll;
    SetCurrentView(view);
}

unsigned char Lower(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

}  // namespace

EditorState& editor() {
    EditorState& s = state();
    if (s.documents.empty()) {
        ListenOwnModules();
        CreateInternalBuffer();
    }
    return s;
}

void ResetEditor() {
    EditorState& s = state();
    s.views.clear();
    s.documents.clear();
    s.current = nullptr;
    s.currentView = nullptr;
    s.numbers = {};
    s.cutBuffer.clear();
    *s.log = ActionLog{};
    *s.autosave = AutosaveState{};
    s.listeners.clear();
    ResetSearchState();
    display().screens.clear();
    bookmarks() = BookmarkState{};
    ResetLanguages();
    ListenOwnModules();
    CreateInternalBuffer();
}

void Listen(const DocumentListener& listener) {
    auto& list = state().listeners;
    if (std::find(list.begin(), list.end(), &listener) == list.end()) list.push_back(&listener);
}

// By index: a listener may join others while it is told.
#define TARVO_NOTIFY(member, ...)                                         \
    for (std::size_t i = 0; i < state().listeners.size(); ++i)            \
        if (auto f = state().listeners[i]->member) f(__VA_ARGS__)

void NotifyLineDeleted(Document& doc, Line* line, Line* heir, long shift) {
    TARVO_NOTIFY(lineDeleted, doc, line, heir, shift);
}
void NotifyLineSplit(Document& doc, Line* upper, Line* lower, long column) {
    TARVO_NOTIFY(lineSplit, doc, upper, lower, column);
}
void NotifyLinesInserted(Document& doc, Line* after, long count) {
    TARVO_NOTIFY(linesInserted, doc, after, count);
}
void NotifyLineEdited(Document& doc, Line* line, long column, long delta) {
    TARVO_NOTIFY(lineEdited, doc, line, column, delta);
}
void NotifyTextReplaced(Document& doc) { TARVO_NOTIFY(textReplaced, doc); }
void NotifyDocumentClosing(Document& doc) { TARVO_NOTIFY(documentClosing, doc); }
void NotifyDocumentRenamed(Document& doc, const std::string& oldName) {
    TARVO_NOTIFY(documentRenamed, doc, oldName);
}
void NotifyTextChanged(Document& doc) { TARVO_NOTIFY(textChanged, doc); }
#undef TARVO_NOTIFY

int CompareNames(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = Lower(a[i]), y = Lower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

Document* FindDocument(const std::string& name, bool create) {
    EditorState& s = state();
    auto at = std::lower_bound(s.documents.begin(), s.documents.end(), name,
                               [](const std::unique_ptr<Document>& d, const std::string& n) {
                                   return CompareNames(d->name, n) < 0;
                               });
    if (at != s.documents.end() && CompareNames((*at)->name, name) == 0) return at->get();
    if (!create) return nullptr;
    try {
        auto doc = std::make_unique<Document>();
        doc->name = name;
        return s.documents.insert(at, std::move(doc))->get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void SortDocuments() {
    std::stable_sort(state().documents.begin(), state().documents.end(),
                     [](const auto& a, const auto& b) { return CompareNames(a->name, b->name) < 0; });
}

bool CloseDocument(Document* doc) {
    EditorState& s = editor();
    if (!doc || doc->permanent) return false;
    NotifyDocumentClosing(*doc);
    ForgetAutosave(*doc);
    for (std::size_t i = s.views.size(); i-- > 0;)
        if (s.views[i]->document == doc) RemoveView(s.views[i].get());
    if (s.numbers.document == doc) s.numbers = {};
    if (s.current == doc) s.current = nullptr;
    auto at = std::find_if(s.documents.begin(), s.documents.end(), [doc](const auto& d) { return d.get() == doc; });
    if (at != s.documents.end()) s.documents.erase(at);
    if (!s.currentView && !s.views.empty()) SetCurrentView(s.views.front().get());
    if (!s.current) s.current = s.currentView ? s.currentView->document : s.documents.front().get();
    return true;
}

bool NameIsFree(const std::string& name, const Document* self) {
    Document* other = FindDocument(name, false);
    if (!other || other == self) return true;
    base::InfoBox(base::GetString(kMsgNameAlreadyUsed));
    return false;
}

bool RenameCurrentDocument(const std::string& name) {
    Document* doc = CurrentDocument();
    if (!doc || !NameIsFree(name, doc)) return false;
    std::string oldName = doc->name;
    doc->name = name;
    doc->flags = static_cast<std::uint16_t>((doc->flags | kModified) & ~kAutoSaved);
    SortDocuments();
    NotifyDocumentRenamed(*doc, oldName);
    return true;
}

View* AddView(Document* doc, std::uintptr_t window) {
    EditorState& s = state();
    auto view = std::make_unique<View>();
    view->window = window;
    view->document = doc;
    view->cursorLine = doc->savedCursorLine ? doc->savedCursorLine : doc->lines;
    view->cursorColumn = doc->savedCursorColumn;
    view->anchorLine = doc->savedAnchorLine;
    view->anchorColumn = doc->savedAnchorColumn;
    view->topLine = view->cursorLine == doc->lines ? doc->lines->next : view->cursorLine;
    view->redraw = kRedrawAll;
    s.views.push_back(std::move(view));
    return s.views.back().get();
}

void RemoveView(View* view) {
    EditorState& s = state();
    if (!view) return;
    if (view->window != 0) ForgetWindowActions(view->window);
    if (s.currentView == view) {
        SetCurrentView(nullptr);
        s.currentView = nullptr;
    }
    auto at = std::find_if(s.views.begin(), s.views.end(), [view](const auto& v) { return v.get() == view; });
    if (at != s.views.end()) s.views.erase(at);
}

View* FindView(std::uintptr_t window) {
    for (auto& v : state().views)
        if (v->window == window) return v.get();
    return nullptr;
}

void SetCurrentView(View* view) {
    EditorState& s = state();
    if (View* old = s.currentView; old && old != view) {
        Document* doc = old->document;
        doc->savedCursorLine = old->cursorLine;
        doc->savedCursorColumn = old->cursorColumn;
        doc->savedAnchorLine = old->anchorLine;
        doc->savedAnchorColumn = old->anchorColumn;
    }
    s.currentView = view;
    if (view) s.current = view->document;
}

void ActivateView(View* view) {
    if (!view) return;
    if (view != state().currentView) SetCurrentView(view);
    if (state().seam.activateView) state().seam.activateView(*view);
}

View* CurrentView() { return editor().currentView; }
Document* CurrentDocument() { return editor().current; }

void ClearLineNumberCache() { state().numbers = {}; }

void RingChanged(const Document& doc, Line* kept) {
    LineNumberCache& cache = state().numbers;
    if (cache.document == &doc && cache.line != kept) cache = {};
}

long LineIndex(const Document& doc, Line* line) {
    LineNumberCache& cache = state().numbers;
    if (line == doc.lines) return doc.lineCount + 1;
    if (cache.document == &doc && cache.line) {
        // Search outwards from the cached line: after a short move this costs a step or two.
        Line* down = cache.line;
        Line* up = cache.line;
        long dn = cache.number, un = cache.number;
        bool downOpen = true, upOpen = true;
        while (downOpen || upOpen) {
            if (down == line) {
                cache.line = line;
                cache.number = dn;
                return dn;
            }
            if (up == line) {
                cache.line = line;
                cache.number = un;
                return un;
            }
            if (downOpen) {
                down = down->next;
                ++dn;
                downOpen = down != doc.lines;
            }
            if (upOpen) {
                up = up->prev;
                --un;
                upOpen = up != doc.lines;
            }
        }
        return 0;  // not a line of this document
    }
    long n = 1;
    for (Line* l = doc.lines->next; l != doc.lines; l = l->next, ++n) {
        if (l == line) {
            cache = {&doc, line, n};
            return n;
        }
    }
    return 0;
}

Line* LineAtNumber(const Document& doc, long number) {
    if (number < 1 || number > doc.lineCount) return nullptr;
    LineNumberCache& cache = state().numbers;
    Line* line = doc.lines->next;
    long at = 1;
    long fromEnd = doc.lineCount - number;
    if (cache.document == &doc && cache.line && std::labs(cache.number - number) < std::min(number - 1, fromEnd)) {
        line = cache.line;
        at = cache.number;
    } else if (fromEnd < number - 1) {
        line = doc.lines->prev;
        at = doc.lineCount;
    }
    while (at < number) line = line->next, ++at;
    while (at > number) line = line->prev, --at;
    cache = {&doc, line, number};
    return line;
}

long CursorLineNumber() {
    View* view = CurrentView();
    return view ? LineIndex(*view->document, view->cursorLine) : 0;
}

std::string TextOfLine(long number) {
    Document* doc = CurrentDocument();
    Line* line = doc ? LineAtNumber(*doc, number) : nullptr;
    return line ? std::string(LineText(*line)) : std::string();
}

TextCount CountLinesAndCharacters(const Document& doc) {
    TextCount count;
    for (Line* l = doc.lines->next; l != doc.lines; l = l->next) {
        ++count.lines;
        count.characters += l->length;
    }
    return count;
}

void RequestRedraw(Document& doc, unsigned request) {
    for (auto& v : state().views)
        if (v->document == &doc) v->redraw |= request;
}

}  // namespace tarvo::editor

namespace tarvo::editor {

void RemoveLine(Document& doc, Line* line, Line* heir, long shift) {
    if (!heir) heir = line->next;
    ForEachPlace(doc, [&](Line*& l, long& c) {
        if (l != line) return;
        l = heir;
        c = heir == line->next && shift == 0 ? 0 : c + shift;
    });
    for (auto& v : state().views)
        if (v->document == &doc && v->topLine == line) v->topLine = heir == doc.lines ? line->prev : heir;
    NotifyLineDeleted(doc, line, heir, shift);
    line->prev->next = line->next;
    line->next->prev = line->prev;
    --doc.lineCount;
    RingChanged(doc, heir == line->next ? nullptr : heir);
    FreeLine(doc.pool, line);
}

}  // namespace tarvo::editor
