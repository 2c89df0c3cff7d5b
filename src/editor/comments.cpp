#include "editor/comments.h"

#include <algorithm>
#include <cstdint>

namespace tarvo::editor {
namespace {

constexpr int kOutside = 0;
constexpr int kBlock = 1;        // /* */ or { }
constexpr int kParenBlock = 2;   // (* *)

bool At(std::string_view text, std::size_t i, std::string_view what) {
    return text.substr(i, what.size()) == what;
}

// The index after a literal opened at `i`; a literal ends at its closing quote or the line end.
std::size_t SkipLiteral(std::string_view text, std::size_t i, char escape) {
    char quote = text[i];
    for (++i; i < text.size(); ++i) {
        if (escape && text[i] == escape) {
            ++i;
            continue;
        }
        if (text[i] == quote) return i + 1;
    }
    return text.size();
}

struct Scanner {
    std::string_view text;
    const CommentSyntax& syntax;
    LineComments out;

    void Span(std::size_t start, std::size_t end) {
        if (end > start) out.spans.push_back({static_cast<long>(start), static_cast<long>(end)});
    }

    // Runs on from `i` inside a block comment of kind `state` that began at `start`; returns
    // the index after its end, or npos when the line ends inside it.
    std::size_t CloseBlock(std::size_t start, std::size_t i, int state) {
        std::string_view closer = state == kParenBlock ? "*)" : syntax.style == CommentStyle::Pascal ? "}" : "*/";
        std::size_t end = text.find(closer, i);
        if (end == std::string_view::npos) {
            Span(start, text.size());
            out.endState = state;
            return std::string_view::npos;
        }
        Span(start, end + closer.size());
        return end + closer.size();
    }

    void Run(int state) {
        std::size_t i = 0;
        if (state != kOutside) {
            i = CloseBlock(0, 0, state);
            if (i == std::string_view::npos) return;
        }
        const CommentStyle style = syntax.style;
        if (style == CommentStyle::Fortran && !text.empty() && std::string_view("Cc*!").find(text[0]) != std::string_view::npos) {
            Span(0, text.size());
            return;
        }
        char escape = style == CommentStyle::C ? '\\' : style == CommentStyle::Eiffel ? '%' : 0;
        while (i < text.size()) {
            // Most characters start nothing: skip them in a tight loop.
            while (i < text.size() && !syntax.starts[static_cast<unsigned char>(text[i])]) ++i;
            if (i >= text.size()) break;
            char c = text[i];
            if (syntax.quotes.find(c) != std::string_view::npos) {
                i = SkipLiteral(text, i, escape);
                continue;
            }
            bool toLineEnd = false;
            int block = kOutside;
            std::size_t opener = 0;
            switch (style) {
            case CommentStyle::C:
                toLineEnd = At(text, i, "//");
                if (At(text, i, "/*")) block = kBlock, opener = 2;
                break;
            case CommentStyle::Pascal:
                toLineEnd = At(text, i, "//");
                if (c == '{') block = kBlock, opener = 1;
                else if (At(text, i, "(*")) block = kParenBlock, opener = 2;
                break;
            case CommentStyle::Eiffel:
                toLineEnd = At(text, i, "--");
                break;
            case CommentStyle::Fortran:
                toLineEnd = c == '!';
                break;
            case CommentStyle::Line:
                toLineEnd = !syntax.lineOpener.empty() && At(text, i, syntax.lineOpener);
                break;
            case CommentStyle::None:
                return;
            }
            if (toLineEnd) {
                Span(i, text.size());
                return;
            }
            if (block != kOutside) {
                i = CloseBlock(i, i + opener, block);
                if (i == std::string_view::npos) return;
                continue;
            }
            ++i;
        }
    }
};

bool HasEntry(const LineComments& c) { return !c.spans.empty() || c.endState != kOutside; }

// Line::comments: the generation in the high six bits, the state at the line's end in the low two.
constexpr int kGenerationShift = 2;
constexpr std::uint8_t kStateBits = 0x03;
constexpr std::uint8_t kLastGeneration = 0xFF >> kGenerationShift;

bool Known(const Document& doc, const Line* line) {
    return (line->comments >> kGenerationShift) == doc.commentGeneration;
}
int EndState(const Line* line) { return line->comments & kStateBits; }
void SetEndState(const Document& doc, Line* line, int state) {
    line->comments = static_cast<std::uint8_t>((doc.commentGeneration << kGenerationShift) | (state & kStateBits));
}

// The state at the start of a known line (or of the first line not known yet).
int StartState(const Document& doc, const Line* line) {
    return line->prev == doc.lines ? kOutside : EndState(line->prev);
}

// Forgets the state of every line: a new generation. When the generations run out, every
// line is cleared once, so an old state can never pass for a current one.
void ForgetLines(Document& doc) {
    if (doc.commentGeneration < kLastGeneration) {
        ++doc.commentGeneration;
        return;
    }
    for (Line* line = doc.lines->next; line != doc.lines; line = line->next) line->comments = 0;
    doc.commentGeneration = 1;
}

// Scans `line` again, then the lines below it while the state at their start changes. Lines
// not known yet are left for the lazy scan, which starts from the last known line.
void Rescan(Document& doc, const CommentSyntax& syntax, Line* line) {
    if (line == doc.lines || !Known(doc, line) || (line->prev != doc.lines && !Known(doc, line->prev))) return;
    int state = StartState(doc, line);
    while (line != doc.lines && Known(doc, line)) {
        int oldEnd = EndState(line);
        int newEnd = ScanCommentLine(LineText(*line), syntax, state).endState;
        SetEndState(doc, line, newEnd);
        if (newEnd == oldEnd) return;
        state = newEnd;
        line = line->next;
    }
}

// Makes the state of `line` known: every line known comes before every line not known, so the
// scan starts after the last known line above it.
void ScanDownTo(Document& doc, const CommentSyntax& syntax, const Line* line) {
    if (line == doc.lines || Known(doc, line)) return;
    Line* from = const_cast<Line*>(line);
    while (from->prev != doc.lines && !Known(doc, from->prev)) from = from->prev;
    int state = StartState(doc, from);
    for (;;) {
        state = ScanCommentLine(LineText(*from), syntax, state).endState;
        SetEndState(doc, from, state);
        if (from == line) break;
        from = from->next;
    }
}

CommentMap* MapOf(Document& doc) { return doc.comments.get(); }

void Forget(Document& doc) {
    if (CommentMap* map = MapOf(doc)) map->dirty.clear();
    ForgetLines(doc);
    doc.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
}

void MarkDirty(Document& doc, const Line* line) {
    CommentMap* map = MapOf(doc);
    // An out-of-date map is forgotten whole anyway, and a line not scanned yet will be.
    if (!map || line == doc.lines || !(doc.flags & kCommentMapCurrent) || !Known(doc, line)) return;
    map->dirty.insert(line);
    // Past a share of the document one pass over all of it is cheaper than line by line.
    if (map->dirty.size() > 1024 + static_cast<std::size_t>(doc.lineCount) / 32) Forget(doc);
}

void OnLineEdited(Document& doc, Line* line, long column, long delta) {
    MarkDirty(doc, line);
}

void OnLineSplit(Document& doc, Line* upper, Line* lower, long column) {
    if (!MapOf(doc)) return;
    // The old line's end is now the lower line's: the state it ended in goes with it, so the
    // rescan knows whether the lines below must follow. A line not scanned yet stays so.
    lower->comments = upper->comments;
    MarkDirty(doc, upper);
    MarkDirty(doc, lower);
}

void OnLineDeleted(Document& doc, Line* line, Line* heir, long shift) {
    CommentMap* map = MapOf(doc);
    if (!map) return;
    map->dirty.erase(line);
    if (heir == doc.lines) return;
    // Joined: the upper line now ends where the lower one did.
    if (heir == line->prev && Known(doc, heir) && Known(doc, line)) SetEndState(doc, heir, EndState(line));
    MarkDirty(doc, heir);
}

void OnLinesInserted(Document& doc, Line* after, long count) {
    Forget(doc);
}

void OnTextReplaced(Document& doc) {
    Forget(doc);
}

// The map of a document with comments, made when missing or of another language; null when the
// language knows no comments.
CommentMap* CurrentMap(Document& doc, CommentSyntax& syntax) {
    syntax = SyntaxOf(doc.language);
    if (syntax.style == CommentStyle::None) {
        doc.comments.reset();
        return nullptr;
    }
    if (!doc.comments || doc.comments->language != doc.language) {
        doc.comments = std::make_shared<CommentMap>();
        doc.comments->language = doc.language;
        doc.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    }
    CommentMap& map = *doc.comments;
    if (!(doc.flags & kCommentMapCurrent)) {
        map.dirty.clear();
        ForgetLines(doc);
        doc.flags |= kCommentMapCurrent;
        return &map;
    }
    std::unordered_set<const Line*> dirty;
    dirty.swap(map.dirty);
    for (const Line* line : dirty) Rescan(doc, syntax, const_cast<Line*>(line));
    return &map;
}

}  // namespace

CommentSyntax SyntaxOf(const Language* language) {
    CommentSyntax s;
    if (!language) return s;
    s.quotes = language->stringChars;
    switch (language->finder) {
    case FunctionFinder::C: s.style = CommentStyle::C; break;
    case FunctionFinder::Pascal: s.style = CommentStyle::Pascal; break;
    case FunctionFinder::Eiffel: s.style = CommentStyle::Eiffel; break;
    case FunctionFinder::Fortran: s.style = CommentStyle::Fortran; break;
    case FunctionFinder::Pattern:
        s.lineOpener = language->comment;
        s.style = s.lineOpener.empty() ? CommentStyle::None : CommentStyle::Line;
        break;
    }
    auto start = [&](char c) { s.starts[static_cast<unsigned char>(c)] = true; };
    for (char c : s.quotes) start(c);
    switch (s.style) {
    case CommentStyle::C: start('/'); break;
    case CommentStyle::Pascal: start('/'), start('{'), start('('); break;
    case CommentStyle::Eiffel: start('-'); break;
    case CommentStyle::Fortran: start('!'); break;
    case CommentStyle::Line: start(s.lineOpener[0]); break;
    case CommentStyle::None: break;
    }
    return s;
}

LineComments ScanCommentLine(std::string_view text, const CommentSyntax& syntax, int startState) {
    Scanner scanner{text, syntax, {}};
    scanner.Run(startState);
    return std::move(scanner.out);
}

bool UpdateCommentMap(Document& doc) {
    CommentSyntax syntax;
    return CurrentMap(doc, syntax) != nullptr;
}

bool ScanWholeCommentMap(Document& doc) {
    CommentSyntax syntax;
    if (!CurrentMap(doc, syntax)) return false;
    ScanDownTo(doc, syntax, doc.lines->prev);
    return true;
}

std::optional<LineComments> CommentsOfLine(Document& doc, const Line* line) {
    CommentSyntax syntax;
    if (line == doc.lines || !CurrentMap(doc, syntax)) return std::nullopt;
    ScanDownTo(doc, syntax, line);
    LineComments c = ScanCommentLine(LineText(*line), syntax, StartState(doc, line));
    if (!HasEntry(c)) return std::nullopt;
    return c;
}

const DocumentListener kCommentListener = {
    .lineDeleted = OnLineDeleted,
    .lineSplit = OnLineSplit,
    .linesInserted = OnLinesInserted,
    .lineEdited = OnLineEdited,
    .textReplaced = OnTextReplaced,
};

}  // namespace tarvo::editor
