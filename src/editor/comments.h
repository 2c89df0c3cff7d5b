// The comment map of a document: which characters of which lines are comments, so the display
// can colour them. What a line needs from the rest of the text is only the block comment still
// open at its start, so the map keeps one byte per line (in the Line record): the block comment
// open at the line's end, and whether that is known. The comment spans themselves are scanned
// again when a line is asked for (only shown lines are). Lines are scanned lazily, from the last
// known line down to the one asked for, so opening a large file scans nothing below the first
// screen. Edits mark lines to scan again; the lines below follow for as long as the state at
// their start changes.
#pragma once
#include <bitset>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "editor/document.h"
#include "editor/language.h"

namespace tarvo::editor {

// The comment syntax of a language.
enum class CommentStyle {
    None,     // no comments known
    C,        // /* */ across lines, // to the line end
    Pascal,   // { } and (* *) across lines, // to the line end
    Eiffel,   // -- to the line end
    Fortran,  // C, c, * or ! in column 1: the whole line; ! elsewhere to the line end
    Line,     // the language's comment characters start a comment that runs to the line end
};

struct CommentSyntax {
    CommentStyle style = CommentStyle::None;
    std::string_view lineOpener;  // CommentStyle::Line
    std::string_view quotes;      // characters that open and close literals
    std::bitset<256> starts;      // characters that may start a comment or a literal
};

CommentSyntax SyntaxOf(const Language* language);

// A comment on a line: characters [start, end).
struct CommentSpan {
    long start = 0;
    long end = 0;
    bool operator==(const CommentSpan&) const = default;
};

// Block states: 0 outside, otherwise which block comment is open (Pascal has two kinds).
struct LineComments {
    std::vector<CommentSpan> spans;
    int endState = 0;  // the block comment still open at the line end
};

// Scans one line that starts in `startState`.
LineComments ScanCommentLine(std::string_view text, const CommentSyntax& syntax, int startState);

struct CommentMap {
    // Lines edited since the last update; a set, so marking a line costs the same however
    // many edits (a replace-all) come before the next update.
    std::unordered_set<const Line*> dirty;
    const Language* language = nullptr;
};

// The comments of a line, bringing the document's map up to date first (and scanning the lines
// above it that were not scanned yet); nothing when the line has no comment, does not end
// inside one, or the document's language knows no comments.
std::optional<LineComments> CommentsOfLine(Document& doc, const Line* line);
// Brings the map up to date with the edits made since the last update (lines not scanned yet
// stay so); false when the document has no comment syntax.
bool UpdateCommentMap(Document& doc);
// Scans every line not scanned yet, as the display does when it shows the last line.
bool ScanWholeCommentMap(Document& doc);

// Keeps the maps in step with edits; the editor listens with it from the start.
extern const DocumentListener kCommentListener;

}  // namespace tarvo::editor
