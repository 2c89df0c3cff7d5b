#include "analysis/checks.h"

#include <vector>

#include "analysis/analysis_messages.h"
#include "editor/keywords.h"
#include "editor/language.h"
#include "platform/text.h"
#include "base/messages.h"

namespace tarvo::analysis {
namespace {

struct Report {
    std::string_view name;
    std::string& message;
    bool Fail(unsigned id, long line) {
        message = Printf(base::GetString(id), std::string(name).c_str(), static_cast<int>(line));
        return false;
    }
};

}  // namespace

bool CheckBraces(const Lines& lines, std::string_view name, std::string& message) {
    Report report{name, message};
    CharSource src(lines);
    src.SetInteresting("/\"'{}()[]f#;");
    // Line numbers of the open parentheses, braces, brackets and #if directives, innermost last.
    std::vector<long> parens, braces, brackets, ifs;
    bool forHeader = false;
    for (int c; (c = src.NextInteresting()) != kEndOfText;) {
        const long line = static_cast<long>(src.before.line) + 1;
        switch (c) {
            case '/':
                src.CommentAt();
                break;
            case '"':
                if (!src.SkipString()) return report.Fail(kMsgUnfinishedString, static_cast<long>(src.at.line) + 1);
                break;
            case '\'':
                if (!src.SkipCharConstant()) return report.Fail(kMsgBadCharConstant, line);
                break;
            case '{':
            case '}':
                if (!parens.empty()) return report.Fail(kMsgMismatchedParens, parens.back());
                if (c == '{') {
                    braces.push_back(line);
                } else {
                    if (braces.empty()) return report.Fail(kMsgTooManyBraces, line);
                    braces.pop_back();
                }
                break;
            case '(':
                parens.push_back(line);
                break;
            case ')':
                if (parens.empty()) return report.Fail(kMsgTooManyParens, line);
                parens.pop_back();
                if (parens.empty()) forHeader = false;
                break;
            case '[':
                brackets.push_back(line);
                break;
            case ']':
                if (brackets.empty()) return report.Fail(kMsgTooManyBrackets, line);
                brackets.pop_back();
                break;
            case 'f': {
                // "for" followed by a blank, a tab or '(' opens a header whose ';' are fine.
                std::string_view text = src.Text();
                bool wordBefore = src.before.column > 0 && editor::IsWordChar(text[src.before.column - 1]);
                std::string_view rest = src.Rest();
                if (!wordBefore && parens.empty() && rest.size() >= 3 && rest.substr(0, 2) == "or" &&
                    (rest[2] == ' ' || rest[2] == '\t' || rest[2] == '('))
                    forHeader = true;
                break;
            }
            case ';':
                if (!parens.empty() && !(forHeader && parens.size() == 1)) return report.Fail(kMsgSyntaxError, line);
                break;
            case '#': {
                std::string_view rest = src.Rest();
                std::size_t word = rest.find_first_not_of(" \t");
                rest = word == std::string_view::npos ? std::string_view() : rest.substr(word);
                if (rest.substr(0, 2) == "if") {
                    ifs.push_back(line);
                } else if (rest.substr(0, 5) == "endif") {
                    if (ifs.empty()) {
                        message = Printf(base::GetString(kMsgEndifWithoutIf), static_cast<int>(line));
                        return false;
                    }
                    ifs.pop_back();
                }
                src.SkipPreprocessorLine();
                break;
            }
        }
    }
    if (!braces.empty()) return report.Fail(kMsgMismatchedBraces, braces.back());
    if (!parens.empty()) return report.Fail(kMsgMismatchedParens, parens.back());
    if (!brackets.empty()) return report.Fail(kMsgMismatchedBrackets, brackets.back());
    if (!ifs.empty()) return report.Fail(kMsgIfWithoutEndif, ifs.back());
    return true;
}

bool CheckBrackets(const Lines& lines, std::string_view name, std::string& message) {
    Report report{name, message};
    std::vector<long> parens, brackets;
    bool inString = false;  // a string continued from the line before with '%'
    long stringLine = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view t = lines[i];
        const long line = static_cast<long>(i) + 1;
        std::size_t c = 0;
        if (inString) {
            // The continuation starts after blanks and a '%'.
            c = t.find_first_not_of(" \t");
            if (c == std::string_view::npos || t[c] != '%') return report.Fail(kMsgUnfinishedString, stringLine);
            ++c;
        }
        for (; c < t.size(); ++c) {
            char ch = t[c];
            if (!inString && ch == '-' && c + 1 < t.size() && t[c + 1] == '-') break;  // a comment
            if (inString || ch == '"') {
                if (!inString) ++c, stringLine = line;
                inString = true;
                for (; c < t.size() && t[c] != '"'; ++c)
                    if (t[c] == '%' && c + 1 < t.size()) ++c;
                if (c < t.size()) {
                    inString = false;
                    continue;
                }
                if (t.empty() || t.back() != '%') return report.Fail(kMsgUnfinishedString, line);
                break;
            }
            if (ch == '\'') {
                // A character constant: '(' in quotes is no parenthesis.
                std::size_t k = c + 1;
                if (k < t.size() && t[k] == '%') ++k;
                if (k + 1 < t.size() && t[k + 1] == '\'') c = k + 1;
                continue;
            }
            if (ch == '(') {
                parens.push_back(line);
            } else if (ch == ')') {
                if (parens.empty()) return report.Fail(kMsgTooManyParens, line);
                parens.pop_back();
            } else if (ch == '[') {
                brackets.push_back(line);
            } else if (ch == ']') {
                if (brackets.empty()) return report.Fail(kMsgTooManyBrackets, line);
                brackets.pop_back();
            }
        }
    }
    if (inString) return report.Fail(kMsgUnfinishedString, stringLine);
    if (!parens.empty()) return report.Fail(kMsgMismatchedParens, parens.back());
    if (!brackets.empty()) return report.Fail(kMsgMismatchedBrackets, brackets.back());
    return true;
}

bool CheckBraces(const editor::Document& doc, std::string& message) {
    return CheckBraces(LinesOf(doc), doc.name, message);
}

bool CheckBrackets(const editor::Document& doc, std::string& message) {
    return CheckBrackets(LinesOf(doc), doc.name, message);
}

bool CheckBeforeSave(editor::Document& doc, std::string& problem) {
    if (editor::IsCLanguage(doc.language)) return CheckBraces(doc, problem);
    if (editor::IsEiffelLanguage(doc.language)) return CheckBrackets(doc, problem);
    return true;
}

}  // namespace tarvo::analysis
