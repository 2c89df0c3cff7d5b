#include "analysis/cross_reference.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "analysis/function_list.h"
#include "editor/keywords.h"

namespace tarvo::analysis {
namespace {

enum class TokenKind { Word, Literal, Punct, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;  // the word, or the punctuation character
    Place at;               // where it starts
};

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

// The tokens of C text with comments, strings, character constants and preprocessor lines
// skipped by the character source's own rules; strings come out as one Literal token.
struct Tokenizer {
    CharSource src;
    Token peeked;
    bool hasPeeked = false;
    explicit Tokenizer(const Lines& lines) : src(lines) {}

    Token Next() {
        if (hasPeeked) {
            hasPeeked = false;
            return peeked;
        }
        return Read();
    }
    const Token& Peek() {
        if (!hasPeeked) peeked = Read(), hasPeeked = true;
        return peeked;
    }

    Token Read() {
        for (;;) {
            int c = src.Next();
            if (c == kEndOfText) return {};
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') continue;
            Place at = src.before;
            std::string_view line = (*src.lines)[at.line];
            if (c == '/') {
                if (src.CommentAt() > 0) continue;
                return {TokenKind::Punct, line.substr(at.column, 1), at};
            }
            if (c == '"') {
                src.SkipString();
                return {TokenKind::Literal, line.substr(at.column, at.line == src.at.line ? src.at.column - at.column : 1), at};
            }
            if (c == '\'') {
                src.SkipCharConstant();
                return {TokenKind::Literal, line.substr(at.column, 1), at};
            }
            if (c == '#') {
                src.SkipPreprocessorLine();
                continue;
            }
            if (IsWordStart(static_cast<char>(c)) || std::isdigit(c)) {
                std::size_t end = at.column + 1;
                while (end < line.size() && editor::IsWordChar(line[end])) ++end;
                src.at.column = end;
                if (std::isdigit(c)) continue;  // numbers matter to nobody here
                return {TokenKind::Word, line.substr(at.column, end - at.column), at};
            }
            return {TokenKind::Punct, line.substr(at.column, 1), at};
        }
    }
};

bool Is(const Token& t, char c) { return t.kind == TokenKind::Punct && t.text[0] == c; }

// Words that look like calls when a '(' follows but are not.
bool IsCallKeyword(std::string_view w) {
    return editor::IsCKeyword(w) || w == "defined" || w == "__attribute__" || w == "__declspec" ||
           w == "__typeof__" || w == "typeof" || w == "_Alignof" || w == "alignof" || w == "__asm__" ||
           w == "asm" || w == "_Static_assert" || w == "static_assert" || w == "_Generic";
}

struct FileScanner {
    CrossReference& xref;
    std::size_t fileIndex;
    const Lines& lines;
    FunctionRecords functions;
    std::size_t nextFunction = 0;
    Tokenizer tokens;
    std::vector<Token> statement;  // tokens since the last ';' or brace at file level
    std::vector<int> depths;       // brace depth of each statement token
    int transparent = 0;           // extern "C" { and namespace { blocks open
    int braces = 0;                // nesting inside the statement (struct bodies, initialisers)

    FileScanner(CrossReference& x, std::size_t index, const Lines& text)
        : xref(x), fileIndex(index), lines(text), functions(FindCFunctions(text)), tokens(text) {}

    std::string LinesText(long first, long last) const {
        std::string text;
        for (long n = first; n <= last && n <= static_cast<long>(lines.size()); ++n) {
            if (n > first) text += '\n';
            text += lines[static_cast<std::size_t>(n - 1)];
        }
        return text;
    }

    void Reset() {
        statement.clear();
        depths.clear();
        braces = 0;
    }

    // A named structure's body anywhere in a file-level statement.
    void CollectStructures() {
        for (std::size_t i = 0; i + 2 < statement.size(); ++i) {
            if (statement[i].kind != TokenKind::Word || statement[i].text != "struct") continue;
            if (statement[i + 1].kind != TokenKind::Word || !Is(statement[i + 2], '{')) continue;
            int depth = depths[i + 2];
            std::size_t close = i + 3;
            while (close < statement.size() && !(Is(statement[close], '}') && depths[close] == depth)) ++close;
            XrefStructure s;
            s.name = statement[i + 1].text;
            s.file = fileIndex;
            s.line = static_cast<long>(statement[i].at.line) + 1;
            s.lastLine = close < statement.size() ? static_cast<long>(statement[close].at.line) + 1 : s.line;
            for (long n = s.line; n <= s.lastLine; ++n) s.definition.emplace_back(lines[static_cast<std::size_t>(n - 1)]);
            xref.files[fileIndex].structures.push_back(xref.structures.size());
            xref.structures.push_back(std::move(s));
        }
    }

    // The variables a file-level declaration defines: not typedefs, not extern declarations,
    // not prototypes. Each declarator's name is its last word outside brackets and braces, or
    // the word inside a "(*name)" group.
    void CollectGlobals(const Token& end) {
        std::vector<const Token*> top;  // the tokens outside braces
        for (std::size_t i = 0; i < statement.size(); ++i)
            if (depths[i] == 0) top.push_back(&statement[i]);
        if (top.empty() || top[0]->text == "typedef") return;
        for (const Token* t : top)
            if (t->kind == TokenKind::Word && t->text == "extern") return;
        long firstLine = static_cast<long>(statement.front().at.line) + 1;
        std::string declaration = LinesText(firstLine, static_cast<long>(end.at.line) + 1);
        std::size_t i = 0;
        bool first = true;
        while (i < top.size()) {
            std::string_view name, before;
            int words = 0, nesting = 0;
            bool prototype = false, initialiser = false;
            for (; i < top.size(); ++i) {
                const Token& t = *top[i];
                if (nesting == 0 && Is(t, ',')) break;
                if (Is(t, '(') || Is(t, '[')) {
                    // A parameter list right after a name: a prototype (or a macro's use);
                    // "void (*handler)(int)" is a pointer's declarator.
                    if (nesting == 0 && Is(t, '(') && !initialiser && i > 0 && top[i - 1]->kind == TokenKind::Word &&
                        !(i + 1 < top.size() && Is(*top[i + 1], '*')))
                        prototype = true;
                    ++nesting;
                    continue;
                }
                if (Is(t, ')') || Is(t, ']')) {
                    --nesting;
                    continue;
                }
                if (Is(t, '=') && nesting == 0) initialiser = true;
                if (initialiser || t.kind != TokenKind::Word) continue;
                // Words inside "(*name)" count; those in parameter lists and sizes do not.
                if (nesting > 0 && !(i > 0 && Is(*top[i - 1], '*'))) continue;
                before = i > 0 && top[i - 1]->kind == TokenKind::Word ? top[i - 1]->text : std::string_view();
                name = t.text;
                ++words;
            }
            ++i;  // past the ','
            if (prototype || name.empty()) {
                first = false;
                continue;
            }
            bool tag = before == "struct" || before == "union" || before == "enum";
            bool needsType = first && words < 2;
            first = false;
            if (tag || needsType || IsCallKeyword(name)) continue;
            XrefGlobal g;
            g.name = name;
            g.file = fileIndex;
            g.line = firstLine;
            for (const Token* t : top)
                if (t->text.data() == name.data()) g.line = static_cast<long>(t->at.line) + 1;
            g.declaration = declaration;
            xref.files[fileIndex].globals.push_back(xref.globals.size());
            xref.globals.push_back(std::move(g));
        }
    }

    void EndStatement(const Token& end) {
        CollectStructures();
        CollectGlobals(end);
        Reset();
    }

    // The function record `f`, whose body's '{' was just read: its declaration lines, its
    // calls and its words, up to the closing brace. A word followed by '(' is a call unless it
    // is a keyword or a member ("s.f(" and "p->f(" call through pointers, which no scan
    // can follow).
    void ScanFunction(const Function& f, const Token& open) {
        XrefFunction x;
        x.name = f.name;
        x.file = fileIndex;
        x.firstLine = f.startLine;
        x.lastLine = f.endNumber;
        const long braceLine = static_cast<long>(open.at.line) + 1;
        for (long n = f.startLine; n <= braceLine; ++n) {
            std::string_view text = lines[static_cast<std::size_t>(n - 1)];
            if (n == braceLine) {
                text = text.substr(0, open.at.column);
                while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
                if (text.empty() && n > f.startLine) break;
            }
            x.declaration.emplace_back(text);
        }
        std::unordered_set<std::string_view> called, used;
        std::vector<std::string_view> words;
        auto use = [&](std::string_view w) {
            if (!editor::IsCKeyword(w) && used.insert(w).second) words.push_back(w);
        };
        for (const Token& t : statement)
            if (t.kind == TokenKind::Word && t.text != f.name) use(t.text);
        Reset();
        // Old-style parameter declarations between the parameter list and the body looked
        // like file-level declarations: they are the function's own.
        std::vector<std::size_t>& own = xref.files[fileIndex].globals;
        while (!own.empty() && xref.globals[own.back()].line >= f.startLine) {
            own.pop_back();
            xref.globals.pop_back();
        }
        int depth = 1;
        bool member = false;  // the last token was '.' or "->"
        for (Token t = tokens.Next(); t.kind != TokenKind::End; t = tokens.Next()) {
            if (t.kind == TokenKind::Word) {
                if (member) {
                    // a field, not a name of its own
                } else if (Is(tokens.Peek(), '(') && !IsCallKeyword(t.text)) {
                    if (called.insert(t.text).second) x.calls.emplace_back(t.text);
                } else {
                    use(t.text);
                }
            } else if (Is(t, '{')) {
                ++depth;
            } else if (Is(t, '}') && --depth == 0) {
                break;
            }
            member = Is(t, '.') || (Is(t, '>') && t.at.column > 0 && lines[t.at.line][t.at.column - 1] == '-');
        }
        for (std::string_view w : words)
            if (!called.count(w)) x.words.emplace_back(w);
        std::sort(x.words.begin(), x.words.end());
        xref.files[fileIndex].functions.push_back(xref.functions.size());
        xref.functions.push_back(std::move(x));
    }

    void Run() {
        XrefFile& file = xref.files[fileIndex];
        file.lineCount = static_cast<long>(lines.size());
        file.leadingComment = LeadingComment();
        for (;;) {
            Token t = tokens.Next();
            if (t.kind == TokenKind::End) break;
            if (Is(t, '{')) {
                long line = static_cast<long>(t.at.line) + 1;
                while (nextFunction < functions.size() && functions[nextFunction].bodyLine < line) ++nextFunction;
                if (braces == 0 && nextFunction < functions.size() && functions[nextFunction].bodyLine == line) {
                    ScanFunction(functions[nextFunction++], t);
                    continue;
                }
                if (braces == 0 && OpensTransparentBlock()) {
                    ++transparent;
                    Reset();
                    continue;
                }
                // A brace carries the depth outside it, so that a pair shares one depth.
                statement.push_back(t);
                depths.push_back(braces++);
                continue;
            } else if (Is(t, '}')) {
                if (braces == 0) {
                    if (transparent > 0) --transparent;
                    Reset();
                    continue;
                }
                --braces;
            } else if (Is(t, ';') && braces == 0) {
                EndStatement(t);
                continue;
            }
            statement.push_back(t);
            depths.push_back(braces);
        }
        if (!statement.empty()) CollectStructures();
    }

    std::string LeadingComment() const {
        std::string text;
        if (lines.empty()) return text;
        std::size_t at = lines[0].find_first_not_of(" \t");
        if (at == std::string_view::npos || lines[0].substr(at, 2) != "/*") return text;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            text += lines[n];
            if (lines[n].find("*/", n == 0 ? at + 2 : 0) != std::string_view::npos) break;
            text += '\n';
        }
        return text;
    }

    bool OpensTransparentBlock() const {
        std::size_t n = statement.size();
        if (n >= 2 && statement[n - 2].text == "extern" && statement[n - 1].kind == TokenKind::Literal) return true;
        return (n >= 1 && statement[n - 1].text == "namespace") ||
               (n >= 2 && statement[n - 2].text == "namespace");
    }
};

const std::vector<std::size_t>& Lookup(const NameIndex& index, const std::string& name) {
    static const std::vector<std::size_t> kNone;
    auto it = index.find(name);
    return it == index.end() ? kNone : it->second;
}

}  // namespace

const XrefFunction* CrossReference::Find(const std::string& name) const {
    const std::vector<std::size_t>& found = Lookup(definitions, name);
    return found.empty() ? nullptr : &functions[found.front()];
}

const std::vector<std::size_t>& CrossReference::CallersOf(const std::string& name) const {
    return Lookup(callers, name);
}

const std::vector<std::size_t>& CrossReference::UsersOf(const std::string& name) const {
    return Lookup(users, name);
}

CrossReference ScanCrossReference(const std::vector<SourceFile>& files) {
    CrossReference xref;
    xref.files.resize(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        xref.files[i].name = files[i].name;
        FileScanner(xref, i, files[i].lines).Run();
    }
    for (std::size_t i = 0; i < xref.functions.size(); ++i) {
        const XrefFunction& f = xref.functions[i];
        xref.definitions[f.name].push_back(i);
        for (const std::string& callee : f.calls) {
            std::vector<std::size_t>& list = xref.callers[callee];
            if (list.empty() || list.back() != i) list.push_back(i);  // one entry per caller
        }
        for (const std::string& word : f.words) xref.users[word].push_back(i);
    }
    return xref;
}

std::vector<std::string> GlobalsUsedBy(const CrossReference& xref, const XrefFunction& f) {
    std::unordered_set<std::string_view> globals;
    for (const XrefGlobal& g : xref.globals) globals.insert(g.name);
    std::vector<std::string> used;
    for (const std::string& w : f.words)
        if (globals.count(w) && w != "NULL" && w != "TRUE" && w != "FALSE") used.push_back(w);
    return used;
}

}  // namespace tarvo::analysis
