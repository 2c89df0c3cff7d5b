#include "editor/rows.h"

#include <algorithm>

#include "editor/keywords.h"
#include "editor/line.h"

namespace tarvo::editor {
namespace {

// Keywords are short; longer words are never looked up.
constexpr std::size_t kLongestKeyword = 15;

bool IsFortran(const Language& language) { return language.finder == FunctionFinder::Fortran; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Colours a preprocessor line's '#', the blanks after it and its directive word; true when the
// line is one.
bool MarkDirective(std::string_view text, std::vector<Ink>& ink) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size() || text[i] != '#' || ink[i] != Ink::Text) return false;
    std::size_t hash = i++;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t word = i;
    while (i < text.size() && IsWordChar(text[i])) ++i;
    if (IsPreprocessorDirective(text.substr(word, i - word)))
        std::fill(ink.begin() + static_cast<long>(hash), ink.begin() + static_cast<long>(i), Ink::Keyword);
    return true;
}

void MarkKeywords(std::string_view text, const Language& language, std::vector<Ink>& ink) {
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (ink[i] != Ink::Text) {
            ++i;
            continue;
        }
        if (language.stringChars.find(static_cast<char>(c)) != std::string::npos) {
            // Quoted text keeps the text colour, escapes included, up to its closing quote.
            char quote = static_cast<char>(c);
            for (++i; i < text.size() && ink[i] == Ink::Text; ++i) {
                if (text[i] == '\\') ++i;
                else if (text[i] == quote) {
                    ++i;
                    break;
                }
            }
            continue;
        }
        if (!language.wordChars[c]) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && language.wordChars[static_cast<unsigned char>(text[i])] && ink[i] == Ink::Text) ++i;
        std::string_view word = text.substr(start, i - start);
        if (word.size() <= kLongestKeyword && IsLanguageKeyword(language, word))
            std::fill(ink.begin() + static_cast<long>(start), ink.begin() + static_cast<long>(i), Ink::Keyword);
    }
}

}  // namespace

std::string FillRow(std::string_view line, long tabWidth, std::vector<long>* columns) {
    if (tabWidth < 1) tabWidth = 1;
    std::string out;
    out.reserve(line.size() + 16);
    if (columns) {
        columns->clear();
        columns->reserve(line.size() + 1);
    }
    for (char c : line) {
        if (columns) columns->push_back(static_cast<long>(out.size()));
        if (c == '\t') {
            out.append(static_cast<std::size_t>(tabWidth - static_cast<long>(out.size()) % tabWidth), ' ');
        } else {
            out += c;
        }
    }
    if (columns) columns->push_back(static_cast<long>(out.size()));
    return out;
}

std::vector<InkRun> ColourRow(std::string_view text, const std::vector<long>& columns, std::uint8_t marks,
                              const LineComments* comments, const RowStyle& style) {
    std::vector<InkRun> runs;
    long width = columns.empty() ? 0 : columns.back();
    if (width == 0) return runs;
    if (marks & kMarkInactive) return {{0, width, Ink::Inactive}};
    if ((marks & kMarkBreakpoint) && !style.marginMarks) return {{0, width, Ink::Breakpoint}};
    if (!style.colouring || !style.language) return {{0, width, Ink::Text}};

    const Language& language = *style.language;
    std::vector<Ink> ink(text.size(), Ink::Text);
    if (comments)
        for (const CommentSpan& span : comments->spans) {
            long end = std::min<long>(span.end, static_cast<long>(text.size()));
            for (long i = std::max(0L, span.start); i < end; ++i) ink[static_cast<std::size_t>(i)] = Ink::Comment;
        }
    if (IsFortran(language)) {
        if (text.size() > 5 && text.substr(0, 5) == "     " && text[5] != ' ' && ink[5] == Ink::Text)
            ink[5] = Ink::FortranMark;
        MarkKeywords(text, language, ink);
    } else if (!MarkDirective(text, ink)) {
        MarkKeywords(text, language, ink);
    }

    for (std::size_t i = 0; i < text.size(); ++i) {
        long start = columns[i], end = columns[i + 1];
        if (!runs.empty() && runs.back().ink == ink[i] && runs.back().end == start) runs.back().end = end;
        else runs.push_back({start, end, ink[i]});
    }
    return runs;
}

int MarginMark(std::uint8_t marks, bool marginMarks) {
    if (marks & kMarkDebugB) return 2;
    if ((marks & kMarkDebugA) || (marginMarks && (marks & kMarkBreakpoint))) return 1;
    return 0;
}

}  // namespace tarvo::editor
