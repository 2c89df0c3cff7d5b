// The character source the scanners read: the characters of a text's lines one after the
// other, with the C skipping rules (comments, strings, character constants, preprocessor
// lines, __declspec groups) and a table of the characters a scanner cares about, so that
// everything else is passed over in a tight loop.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "editor/document.h"

namespace tarvo::analysis {

// A text as lines; line numbers are 1-based indexes into it.
using Lines = std::vector<std::string_view>;
Lines LinesOf(const editor::Document& doc);

inline constexpr int kEndOfText = -1;
inline constexpr int kLineEnd = 10;

struct Place {
    std::size_t line = 0;    // 0-based index
    std::size_t column = 0;
    bool operator==(const Place&) const = default;
};

struct CharSource {
    const Lines* lines = nullptr;
    Place at;          // the next character to read
    Place before;      // where the last read started, for Back()
    bool lineEnds = false;  // deliver a line end (10) at the end of each non-empty run of lines
    std::array<bool, 256> interesting{};

    explicit CharSource(const Lines& text, bool deliverLineEnds = false) : lines(&text), lineEnds(deliverLineEnds) {}

    long LineNumber() const { return static_cast<long>(at.line) + 1; }
    std::string_view Text() const { return at.line < lines->size() ? (*lines)[at.line] : std::string_view(); }
    bool AtEnd() const { return at.line >= lines->size(); }

    // The next character (as 0 to 255), a line end in line-end mode, or kEndOfText. At the end
    // of a line the source moves on to the next non-empty line.
    int Next();
    // Steps back over the character the last Next() returned (one step only).
    void Back() { at = before; }
    // Characters on the current line after the next one to read, without moving.
    std::string_view Rest() const { return Text().substr(std::min(at.column, Text().size())); }
    // Skips characters that are not interesting; returns the first interesting one (consumed).
    int NextInteresting();
    void SetInteresting(std::string_view characters);
    // The rest of the current line is read; the next read starts on the following line.
    void SkipLine() { at.column = Text().size(); }

    // After "/*": skips to just after the next "*/", across lines; returns the characters
    // skipped (line ends count one).
    long SkipBlockComment();
    // After a '/': skips a block comment or a "//" comment to the end of the line and returns
    // its length; otherwise 0, and the character after the '/' is left unread.
    long CommentAt();
    // After an opening double quote: skips to after the closing one. A backslash skips the next
    // character; one at the end of a line continues the string on the next line. False when a
    // line ends without a closing quote or a continuation.
    bool SkipString();
    // After an opening single quote: one character or an escape (backslash, optional x or X,
    // up to three digits) and the closing quote. False when malformed (the position is then
    // after what was read).
    bool SkipCharConstant();
    // After '#': skips the preprocessor line and its continuation lines. A comment opened on
    // the line is skipped as a comment; when it ends on a later line the line is done there.
    void SkipPreprocessorLine();
    // After '_': when "_declspec(" follows, skips it with its parenthesised group; false when
    // this is not a __declspec.
    bool SkipDeclspec();
    // Skips blanks, tabs, line ends and comments; returns the next other character without
    // consuming it, or kEndOfText.
    int PeekPastSpace();
};

}  // namespace tarvo::analysis
