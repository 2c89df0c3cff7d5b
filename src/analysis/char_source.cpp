#include "analysis/char_source.h"

#include <cctype>

namespace tarvo::analysis {

Lines LinesOf(const editor::Document& doc) {
    Lines lines;
    lines.reserve(static_cast<std::size_t>(doc.lineCount));
    for (editor::Line* l = doc.lines->next; l != doc.lines; l = l->next) lines.push_back(editor::LineText(*l));
    return lines;
}

int CharSource::Next() {
    const std::size_t count = lines->size();
    while (at.line < count) {
        std::string_view t = (*lines)[at.line];
        if (at.column < t.size()) {
            before = at;
            return static_cast<unsigned char>(t[at.column++]);
        }
        Place end = at;
        ++at.line;
        at.column = 0;
        while (at.line < count && (*lines)[at.line].empty()) ++at.line;
        if (lineEnds) {
            before = end;
            return kLineEnd;
        }
    }
    before = at;
    return kEndOfText;
}

int CharSource::NextInteresting() {
    for (;;) {
        if (at.line >= lines->size()) return kEndOfText;
        std::string_view t = (*lines)[at.line];
        const char* p = t.data() + std::min(at.column, t.size());
        const char* end = t.data() + t.size();
        while (p < end && !interesting[static_cast<unsigned char>(*p)]) ++p;
        if (p < end) {
            before = {at.line, static_cast<std::size_t>(p - t.data())};
            at.column = before.column + 1;
            return static_cast<unsigned char>(*p);
        }
        at.column = t.size();
        int c = Next();
        if (c == kEndOfText) return c;
        if (interesting[static_cast<unsigned char>(c)]) return c;
    }
}

void CharSource::SetInteresting(std::string_view characters) {
    interesting.fill(false);
    for (char c : characters) interesting[static_cast<unsigned char>(c)] = true;
}

long CharSource::SkipBlockComment() {
    long skipped = 0;
    while (at.line < lines->size()) {
        std::string_view t = Text();
        std::size_t close = at.column <= t.size() ? t.find("*/", at.column) : std::string_view::npos;
        if (close != std::string_view::npos) {
            skipped += static_cast<long>(close + 2 - at.column);
            at.column = close + 2;
            return skipped;
        }
        skipped += static_cast<long>(t.size() - std::min(at.column, t.size()) + 1);
        ++at.line;
        at.column = 0;
    }
    return skipped;
}

long CharSource::CommentAt() {
    std::string_view t = Text();
    if (at.column >= t.size()) return 0;
    if (t[at.column] == '*') {
        ++at.column;
        return 2 + SkipBlockComment();
    }
    if (t[at.column] == '/') {
        long length = static_cast<long>(t.size() - at.column + 1);
        at.column = t.size();
        return length;
    }
    return 0;
}

bool CharSource::SkipString() {
    for (;;) {
        if (AtEnd()) return false;
        std::string_view t = Text();
        std::size_t c = at.column;
        bool continued = false;
        while (c < t.size()) {
            char ch = t[c++];
            if (ch == '"') {
                at.column = c;
                return true;
            }
            if (ch == '\\') {
                if (c == t.size()) {
                    continued = true;
                    break;
                }
                ++c;
            }
        }
        if (!continued || at.line + 1 >= lines->size()) {
            at.column = t.size();
            return false;
        }
        ++at.line;
        at.column = 0;
    }
}

bool CharSource::SkipCharConstant() {
    std::string_view t = Text();
    std::size_t c = at.column;
    if (c >= t.size()) return false;
    if (t[c] == '\\') {
        ++c;
        bool hex = c < t.size() && (t[c] == 'x' || t[c] == 'X');
        if (hex) ++c;
        int digits = 0;
        while (digits < 3 && c < t.size() &&
               (hex ? std::isxdigit(static_cast<unsigned char>(t[c])) : std::isdigit(static_cast<unsigned char>(t[c]))))
            ++c, ++digits;
        if (digits == 0 && !hex) {
            if (c >= t.size()) {
                at.column = c;
                return false;
            }
            ++c;  // the escaped character itself
        }
    } else {
        ++c;
    }
    if (c < t.size() && t[c] == '\'') {
        at.column = c + 1;
        return true;
    }
    at.column = c;
    return false;
}

void CharSource::SkipPreprocessorLine() {
    for (;;) {
        if (AtEnd()) return;
        std::string_view t = Text();
        std::size_t c = at.column;
        while (c < t.size()) {
            char ch = t[c];
            if (ch == '"' || ch == '\'') {
                // A quoted text cannot open a comment.
                for (++c; c < t.size() && t[c] != ch; ++c)
                    if (t[c] == '\\') ++c;
                ++c;
                continue;
            }
            if (ch == '/' && c + 1 < t.size() && t[c + 1] == '/') {
                c = t.size();
                break;
            }
            if (ch == '/' && c + 1 < t.size() && t[c + 1] == '*') {
                // A comment may run over several lines; the directive goes on after it, on
                // the line where it ends (a #define does not end inside its comment).
                at.column = c + 2;
                SkipBlockComment();
                if (AtEnd()) return;
                t = Text();
                c = at.column;
                continue;
            }
            ++c;
        }
        bool continued = !t.empty() && t.back() == '\\';
        at.column = t.size();
        if (!continued || at.line + 1 >= lines->size()) return;
        ++at.line;
        at.column = 0;
    }
}

bool CharSource::SkipDeclspec() {
    constexpr std::string_view kDeclspec = "_declspec";
    if (Rest().substr(0, kDeclspec.size()) != kDeclspec) return false;
    at.column += kDeclspec.size();
    int c = PeekPastSpace();
    if (c != '(') return true;
    Next();
    for (int depth = 1; depth > 0;) {
        c = Next();
        if (c == kEndOfText) break;
        if (c == '(') ++depth;
        else if (c == ')') --depth;
    }
    return true;
}

int CharSource::PeekPastSpace() {
    for (;;) {
        int c = Next();
        if (c == kEndOfText) return c;
        if (c == ' ' || c == '\t' || c == kLineEnd || c == '\r' || c == '\f' || c == '\v') continue;
        if (c == '/' && CommentAt() > 0) continue;
        Back();
        return c;
    }
}

}  // namespace tarvo::analysis
