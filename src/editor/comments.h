// The comment map of a document: which characters of which lines are comments, so the display
// can colour them. Kept per document, built in one pass when it is missing or marked out of
// date (the CommentMapCurrent flag), and otherwise brought up to date line by line after
// edits: an edited line is scanned again, and so are the lines below it for as long as the
// comment state at their start changes.
#pragma once
#include <bitset>
#include <string_view>
#include <unordered_map>
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
    // Only lines that hold a comment, or start or end inside one, have an entry.
    std::unordered_map<const Line*, LineComments> lines;
    // Lines edited since the last update; a set, so marking a line costs the same however
    // many edits (a replace-all) come before the next update.
    std::unordered_set<const Line*> dirty;
    const Language* language = nullptr;
};

// The comments of a line, bringing the document's map up to date first; null when the line has
// none or the document's language knows no comments.
const LineComments* CommentsOfLine(Document& doc, const Line* line);
// Brings the map up to date; false when the document has no comment syntax.
bool UpdateCommentMap(Document& doc);

// Keeps the maps in step with edits; the editor listens with it from the start.
extern const DocumentListener kCommentListener;

}  // namespace tarvo::editor
