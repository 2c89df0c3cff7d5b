// Finders that follow a language's words: Pascal (procedures and functions, ended by the 'end'
// that closes their body) and Eiffel (routines, from the feature name to the 'end' of their
// body). Both read the text as words in lower case and single punctuation characters, with
// comments and quoted text left out.
#include <algorithm>
#include <cctype>

#include "analysis/function_list.h"
#include "platform/text.h"

namespace tarvo::analysis {
namespace {

struct Token {
    std::string text;  // a word in lower case, or one punctuation character
    long line;         // 1-based
    std::string original;  // a word as written
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Pascal: comments { } and (* *) across lines, // to the line end; strings in single quotes.
// A word (kept in lower case, with its spelling) or one non-blank character; c moves past it.
void WordOrSymbol(std::string_view t, std::size_t& c, long line, std::vector<Token>& tokens) {
    if (editor::IsWordChar(t[c])) {
        std::size_t start = c;
        while (c < t.size() && editor::IsWordChar(t[c])) ++c;
        std::string_view word = t.substr(start, c - start);
        tokens.push_back({Lower(word), line, std::string(word)});
        return;
    }
    if (!IsBlank(t[c])) tokens.push_back({std::string(1, t[c]), line, {}});
    ++c;
}

std::vector<Token> PascalTokens(const Lines& lines) {
    std::vector<Token> tokens;
    enum { Code, Brace, Paren } state = Code;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view t = lines[i];
        long line = static_cast<long>(i) + 1;
        for (std::size_t c = 0; c < t.size();) {
            if (state == Brace) {
                std::size_t close = t.find('}', c);
                if (close == std::string_view::npos) break;
                state = Code;
                c = close + 1;
                continue;
            }
            if (state == Paren) {
                std::size_t close = t.find("*)", c);
                if (close == std::string_view::npos) break;
                state = Code;
                c = close + 2;
                continue;
            }
            char ch = t[c];
            if (ch == '{') {
                state = Brace, ++c;
            } else if (ch == '(' && c + 1 < t.size() && t[c + 1] == '*') {
                state = Paren, c += 2;
            } else if (ch == '/' && c + 1 < t.size() && t[c + 1] == '/') {
                break;
            } else if (ch == '\'') {
                std::size_t close = t.find('\'', c + 1);
                c = close == std::string_view::npos ? t.size() : close + 1;
            } else {
                WordOrSymbol(t, c, line, tokens);
            }
        }
    }
    return tokens;
}

bool IsRoutineWord(const std::string& w) {
    return w == "procedure" || w == "function" || w == "constructor" || w == "destructor";
}

// Words that may follow a routine's header, each ended by ';'.
bool IsDirective(const std::string& w) {
    static constexpr std::string_view kDirectives[] = {
        "forward", "external", "cdecl",   "stdcall", "pascal",   "register", "safecall", "overload",
        "virtual", "override", "abstract", "dynamic", "reintroduce", "inline", "assembler", "far",
        "near",    "export",   "static",  "message", "name",     "index"};
    for (std::string_view d : kDirectives)
        if (w == d) return true;
    return false;
}

}  // namespace

FunctionRecords FindPascalFunctions(const Lines& lines) {
    std::vector<Token> tokens = PascalTokens(lines);
    FunctionRecords out;
    // Blocks that an 'end' closes: begin, try, asm, case (in statements), record, class and the like.
    enum Block { Statement, Type };
    std::vector<Block> blocks;
    struct Open {
        std::size_t record;
        std::size_t depth;  // blocks open around the routine
        bool inBody = false;
    };
    std::vector<Open> routines;
    bool interfacePart = false;
    auto previous = [&](std::size_t i) -> std::string { return i > 0 ? tokens[i - 1].text : std::string(); };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& w = tokens[i].text;
        if (w == "interface" && previous(i) != "=") {
            interfacePart = true;
        } else if (w == "implementation") {
            interfacePart = false;
        } else if (w == "begin" || w == "try" || w == "asm") {
            blocks.push_back(Statement);
            if (!routines.empty() && !routines.back().inBody && blocks.size() == routines.back().depth + 1)
                routines.back().inBody = true;
        } else if (w == "case") {
            if (blocks.empty() || blocks.back() != Type) blocks.push_back(Statement);
        } else if (w == "record") {
            blocks.push_back(Type);
        } else if ((w == "class" || w == "object" || w == "interface") && previous(i) == "=") {
            // "class;" and "class of T" declare no members, and have no 'end'.
            std::size_t k = i + 1;
            if (k < tokens.size() && tokens[k].text == "(")
                while (k < tokens.size() && tokens[k].text != ")") ++k;
            if (k < tokens.size() && tokens[k].text == ")") ++k;
            bool body = !(k < tokens.size() && (tokens[k].text == ";" || tokens[k].text == "of"));
            if (body) blocks.push_back(Type);
        } else if (w == "end") {
            if (!blocks.empty()) blocks.pop_back();
            if (!routines.empty() && routines.back().inBody && blocks.size() == routines.back().depth) {
                out[routines.back().record].endNumber = out[routines.back().record].endLine = tokens[i].line;
                routines.pop_back();
            }
        } else if (IsRoutineWord(w)) {
            std::string before = previous(i);
            // Procedural types, method declarations and the interface part declare without a body.
            if (before == ":" || before == "=" || interfacePart || (!blocks.empty() && blocks.back() == Type)) continue;
            std::size_t k = i + 1;
            std::string name;
            if (k < tokens.size() && !tokens[k].original.empty()) {
                name = tokens[k++].original;
                // Methods are named Class.Method.
                while (k + 1 < tokens.size() && tokens[k].text == "." && !tokens[k + 1].original.empty()) {
                    name += "." + tokens[k + 1].original;
                    k += 2;
                }
            }
            if (name.empty()) continue;
            // The header ends at the first ';' outside its parameter list; directives follow.
            int depth = 0;
            for (; k < tokens.size(); ++k) {
                if (tokens[k].text == "(") ++depth;
                else if (tokens[k].text == ")") --depth;
                else if (tokens[k].text == ";" && depth <= 0) break;
            }
            bool bodiless = false;
            for (++k; k < tokens.size() && IsDirective(tokens[k].text); ++k) {
                if (tokens[k].text == "forward" || tokens[k].text == "external") bodiless = true;
                while (k < tokens.size() && tokens[k].text != ";") ++k;
            }
            if (bodiless) continue;
            Function f;
            f.name = name;
            f.hash = editor::KeywordHash(name);
            f.startLine = f.startNumber = f.bodyLine = tokens[i].line;
            out.push_back(std::move(f));
            routines.push_back({out.size() - 1, blocks.size()});
        }
    }
    for (const Open& r : routines) out[r.record].endNumber = out[r.record].endLine = static_cast<long>(lines.size());
    return out;
}

namespace {

// Eiffel: comments from "--" to the line end; strings in double quotes and characters in
// single quotes, with '%' as the escape character.
std::vector<Token> EiffelTokens(const Lines& lines) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view t = lines[i];
        long line = static_cast<long>(i) + 1;
        for (std::size_t c = 0; c < t.size();) {
            char ch = t[c];
            if (ch == '-' && c + 1 < t.size() && t[c + 1] == '-') break;
            if (ch == '"' || ch == '\'') {
                std::size_t start = c;
                for (++c; c < t.size() && t[c] != ch; ++c)
                    if (t[c] == '%') ++c;
                c = std::min(c + 1, t.size());
                tokens.push_back({std::string(1, ch), line, std::string(t.substr(start, c - start))});
            } else {
                WordOrSymbol(t, c, line, tokens);
            }
        }
    }
    return tokens;
}

bool IsRoutineBody(const std::string& w) { return w == "do" || w == "once" || w == "deferred" || w == "external"; }
bool StartsRoutine(const std::string& w) {
    return IsRoutineBody(w) || w == "require" || w == "local" || w == "obsolete";
}
bool OpensBlock(const std::string& w) {
    return w == "if" || w == "from" || w == "inspect" || w == "check" || w == "debug" || w == "across";
}

// A routine's header starts with the first token of a line outside its argument list: walk
// back from "is" to it.
std::size_t HeaderStart(const std::vector<Token>& tokens, std::size_t is) {
    int depth = 0;
    for (std::size_t k = is; k-- > 0;) {
        const std::string& t = tokens[k].text;
        if (t == ")" || t == "]") ++depth;
        else if (t == "(" || t == "[") --depth;
        bool firstOnLine = k == 0 || tokens[k - 1].line != tokens[k].line;
        if (depth <= 0 && firstOnLine) return k;
    }
    return 0;
}

}  // namespace

FunctionRecords FindEiffelFunctions(const Lines& lines) {
    std::vector<Token> tokens = EiffelTokens(lines);
    FunctionRecords out;
    bool inRoutine = false;
    int depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& w = tokens[i].text;
        if (!inRoutine) {
            // "name (arguments): TYPE is" followed by the routine's parts; "max: INTEGER is 10"
            // is a constant.
            if (w != "is" || i + 1 >= tokens.size() || !StartsRoutine(tokens[i + 1].text)) continue;
            std::size_t n = HeaderStart(tokens, i);
            if (n < i && tokens[n].text == "frozen") ++n;
            Function f;
            f.name = tokens[n].original;
            if ((tokens[n].text == "infix" || tokens[n].text == "prefix") && n + 1 < i && tokens[n + 1].text == "\"")
                f.name += " " + tokens[n + 1].original;
            f.hash = editor::KeywordHash(f.name);
            f.startLine = f.startNumber = tokens[n].line;
            f.bodyLine = tokens[i].line;
            out.push_back(std::move(f));
            inRoutine = true;
            depth = 0;
            continue;
        }
        if (depth == 0 && IsRoutineBody(w)) {
            depth = 1;
        } else if (depth > 0 && OpensBlock(w)) {
            ++depth;
        } else if (w == "end" && depth > 0 && --depth == 0) {
            out.back().endNumber = out.back().endLine = tokens[i].line;
            inRoutine = false;
        }
    }
    if (inRoutine) out.back().endNumber = out.back().endLine = static_cast<long>(lines.size());
    return out;
}

}  // namespace tarvo::analysis
