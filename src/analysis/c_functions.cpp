// The C function-definition detector. Outside function bodies it watches parentheses: when a
// parameter list closes at depth 0, what follows decides between a declaration and a
// definition. Inside bodies only braces, comments, strings and preprocessor lines matter, so
// calls and conditions cost nothing and never look like definitions.
#include <cctype>
#include <cstring>

#include "analysis/function_list.h"
#include "editor/keywords.h"

namespace tarvo::analysis {
namespace {

constexpr std::string_view kOutsideBodies = "/\"#'{}()_";
constexpr std::string_view kInsideBodies = "/\"#'{}_";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Words after a parameter list that carry a parenthesised group of their own.
bool TakesGroup(std::string_view word) {
    return word == "__attribute__" || word == "__declspec" || word == "throw" || word == "noexcept" ||
           word == "__asm__" || word == "asm";
}

// Words that open a type's body rather than a function's.
bool IsTypeBodyWord(std::string_view word) {
    return word == "struct" || word == "union" || word == "enum" || word == "typedef" || word == "class";
}

// Characters of an operator function's name.
bool IsOperatorChar(char c) { return c != '\0' && std::strchr("!%=[]^|~*+,-./<>&()", c) != nullptr; }

// Characters of the return type and qualifiers before a function's name.
bool IsTypeChar(char c) { return editor::IsWordChar(c) || c == '*' || c == '&' || c == ':' || IsBlank(c); }

struct CScanner {
    const Lines& lines;
    CharSource src;
    FunctionRecords out;
    int parens = 0;
    int braces = 0;
    bool remembered = false;  // `open` holds the '(' that opened depth 1
    Place open;
    bool pending = false;     // a definition's '{' comes next
    Place pendingOpen;
    int transparent = 0;      // extern "C" { and namespace { blocks open at depth 0
    bool externString = false;
    Place afterExternString;

    explicit CScanner(const Lines& text) : lines(text), src(text) { src.SetInteresting(kOutsideBodies); }

    // The word before a place, walking back over blanks and across line starts; `where` gets
    // the word's place.
    std::string_view WordBefore(Place p, Place* where = nullptr) const {
        long line = static_cast<long>(p.line);
        long column = static_cast<long>(p.column);
        for (; line >= 0; --line, column = -1) {
            std::string_view t = lines[static_cast<std::size_t>(line)];
            if (column < 0) column = static_cast<long>(t.size());
            while (column > 0 && IsBlank(t[static_cast<std::size_t>(column - 1)])) --column;
            if (column == 0) continue;
            long end = column;
            while (column > 0 && editor::IsWordChar(t[static_cast<std::size_t>(column - 1)])) --column;
            if (where) *where = {static_cast<std::size_t>(line), static_cast<std::size_t>(column)};
            return t.substr(static_cast<std::size_t>(column), static_cast<std::size_t>(end - column));
        }
        return {};
    }

    // Only blanks, line ends and comments lie between two places.
    bool OnlySpaceBetween(Place from, Place to) const {
        CharSource look(lines);
        look.at = from;
        look.PeekPastSpace();
        return look.at == to;
    }

    // Nothing but blanks before a place on its line.
    bool AtLineStart(Place p) const {
        std::string_view t = lines[p.line];
        for (std::size_t c = 0; c < p.column && c < t.size(); ++c)
            if (!IsBlank(t[c])) return false;
        return true;
    }

    // At a '(' whose contents begin with '*' (past space).
    static bool StartsPointerDeclarator(CharSource look) {
        look.Next();
        return look.PeekPastSpace() == '*';
    }

    // extern "C" { ... } and namespace name { ... } hold definitions like the file level.
    bool OpensTransparentBlock(Place brace) const {
        if (externString && OnlySpaceBetween(afterExternString, brace)) return true;
        Place wordPlace;
        std::string_view word = WordBefore(brace, &wordPlace);
        if (word == "namespace") return true;
        return !word.empty() && WordBefore(wordPlace) == "namespace";
    }

    // After a parameter list closed at depth 0: a definition when its body follows, possibly
    // after qualifiers, attributes, comments, old-style parameter declarations or a
    // constructor's initialisers.
    void DecideAfterParameters() {
        CharSource look = src;
        bool words = false;          // something other than space came after the ')'
        bool semicolons = false;     // old-style declarations were seen
        bool segmentEmpty = true;    // nothing since the last ';'
        bool initialisers = false;   // after ':' of a constructor
        bool typeBody = false;       // struct, union, enum or typedef since the last ';'
        for (;;) {
            int c = look.PeekPastSpace();
            if (c == kEndOfText) break;
            if (c == '#' && AtLineStart(look.at)) {
                // #if and friends between the parameters and the body
                look.Next();
                look.SkipPreprocessorLine();
                continue;
            }
            if (c == '{') {
                // "MACRO(x) struct s {" is a macro use before a type, not a definition.
                if ((!semicolons || segmentEmpty) && !(typeBody && !segmentEmpty)) {
                    pending = true;
                    pendingOpen = open;
                    src.at = look.at;  // the main scan reads the '{' next
                }
                break;
            }
            if (c == ';') {
                if (!words || initialisers) break;  // a declaration or a call
                semicolons = true;
                segmentEmpty = true;
                typeBody = false;
                look.Next();
                continue;
            }
            if (c == ':' && !words && look.Rest().substr(0, 2) != "::") {
                initialisers = words = true;
                segmentEmpty = false;
                look.Next();
                continue;
            }
            if (editor::IsWordChar(static_cast<char>(c))) {
                std::string_view rest = look.Rest();
                std::size_t n = 0;
                while (n < rest.size() && editor::IsWordChar(rest[n])) ++n;
                std::string_view word = rest.substr(0, n);
                look.at.column += n;
                words = true;
                segmentEmpty = false;
                if (!initialisers && IsTypeBodyWord(word)) typeBody = true;
                if ((initialisers || TakesGroup(word)) && !SkipGroup(look)) break;
                continue;
            }
            if (initialisers && (c == ',' || c == ':')) {
                look.Next();
                continue;
            }
            if (words && !initialisers && c == '(' && StartsPointerDeclarator(look)) {
                // An old-style declaration of a function pointer: "int (*f)();"
                if (!SkipGroup(look)) break;
                if (look.PeekPastSpace() == '(' && !SkipGroup(look)) break;
                segmentEmpty = false;
                continue;
            }
            if (words && (c == '*' || c == ',' || c == '[' || c == ']' || c == '&')) {
                segmentEmpty = false;
                look.Next();
                continue;
            }
            break;  // anything else: no definition; the scan goes on after the ')'
        }
        remembered = pending;
    }

    // A parenthesised (or, for initialisers, braced) group after a word, when there is one.
    static bool SkipGroup(CharSource& look) {
        int c = look.PeekPastSpace();
        if (c != '(' && c != '{') return true;
        if (c == '{') return true;  // a body, or an initialiser list in braces: decided by the caller
        look.Next();
        for (int depth = 1; depth > 0;) {
            c = look.Next();
            if (c == kEndOfText) return false;
            if (c == '"') {
                if (!look.SkipString()) return false;
            } else if (c == '\'') {
                look.SkipCharConstant();
            } else if (c == '/') {
                look.CommentAt();
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            }
        }
        return true;
    }

    // The function's name from the text before its parameter list; false when there is none.
    bool NameBefore(Place paren, Function& f) const {
        std::string_view t = lines[paren.line];
        long i = static_cast<long>(paren.column) - 1;
        auto at = [&](long k) { return t[static_cast<std::size_t>(k)]; };
        while (i >= 0 && (IsBlank(at(i)) || at(i) == '(')) --i;
        if (i < 0) return false;
        long end = i + 1;
        if (editor::IsWordChar(at(i))) {
            while (i >= 0 && (editor::IsWordChar(at(i)) || at(i) == ':' || at(i) == '~')) --i;
            f.name = t.substr(static_cast<std::size_t>(i + 1), static_cast<std::size_t>(end - i - 1));
        } else {
            // operator functions: "operator" and the operator's characters
            std::string symbol;
            while (i >= 0 && (IsOperatorChar(at(i)) || IsBlank(at(i)))) {
                if (!IsBlank(at(i))) symbol.insert(symbol.begin(), at(i));
                --i;
            }
            constexpr std::string_view kOperator = "operator";
            if (symbol.empty() || i + 1 < static_cast<long>(kOperator.size()) ||
                t.substr(static_cast<std::size_t>(i + 1) - kOperator.size(), kOperator.size()) != kOperator)
                return false;
            i -= static_cast<long>(kOperator.size());
            if (i >= 0 && editor::IsWordChar(at(i))) return false;  // "myoperator+"
            f.name = std::string(kOperator) + symbol;
        }
        while (i >= 0 && IsTypeChar(at(i))) --i;
        while (i + 1 < end && IsBlank(at(i + 1))) ++i;  // the declaration starts after the indentation
        f.startColumn = static_cast<int>(i + 1);
        f.startLine = f.startNumber = static_cast<long>(paren.line) + 1;
        return !f.name.empty() && f.name.find_first_not_of(':') != std::string::npos;
    }

    // "__NTH (tolower (int c))": a macro wrapped round the declarator; the name is the one
    // inside, before its own parameter list, which the wrapper's ')' closes right after.
    std::string_view WrappedName(Place open) const {
        CharSource look(lines);
        look.at = open;
        look.Next();
        if (look.PeekPastSpace() == kEndOfText) return {};
        std::string_view rest = look.Rest();
        std::size_t n = 0;
        while (n < rest.size() && editor::IsWordChar(rest[n])) ++n;
        std::string_view word = rest.substr(0, n);
        if (word.empty() || editor::IsCKeyword(word) || std::isdigit(static_cast<unsigned char>(word[0]))) return {};
        look.at.column += n;
        if (look.PeekPastSpace() != '(' || !SkipGroup(look)) return {};
        return look.PeekPastSpace() == ')' ? word : std::string_view{};
    }

    void EnterBody(Place brace) {
        if (pending) {
            Function f;
            if (NameBefore(pendingOpen, f)) {
                if (std::string_view inner = WrappedName(pendingOpen); !inner.empty()) f.name = inner;
                f.hash = editor::KeywordHash(f.name);
                f.bodyLine = static_cast<long>(brace.line) + 1;
                out.push_back(std::move(f));
            }
        }
        pending = remembered = false;
        parens = 0;
        src.SetInteresting(kInsideBodies);
    }

    void LeaveBody(Place brace) {
        src.SetInteresting(kOutsideBodies);
        remembered = false;
        parens = 0;
        if (!out.empty() && out.back().endNumber == 0)
            out.back().endNumber = out.back().endLine = static_cast<long>(brace.line) + 1;
    }

    FunctionRecords Run() {
        for (int c; (c = src.NextInteresting()) != kEndOfText;) {
            switch (c) {
                case '/':
                    src.CommentAt();
                    break;
                case '"': {
                    bool external = braces == 0 && WordBefore(src.before) == "extern";
                    src.SkipString();
                    if (external) externString = true, afterExternString = src.at;
                    break;
                }
                case '\'':
                    src.SkipCharConstant();
                    break;
                case '#':
                    src.SkipPreprocessorLine();
                    break;
                case '_':
                    src.SkipDeclspec();
                    break;
                case '(':
                    if (++parens == 1) {
                        open = src.before;
                        remembered = true;
                    }
                    break;
                case ')':
                    if (parens > 0 && --parens == 0 && remembered) DecideAfterParameters();
                    break;
                case '{':
                    if (braces == 0) {
                        if (!pending && OpensTransparentBlock(src.before)) {
                            ++transparent;
                            externString = false;
                            break;
                        }
                        EnterBody(src.before);
                    }
                    ++braces;
                    break;
                case '}':
                    if (braces == 0) {
                        if (transparent > 0) --transparent;
                        break;
                    }
                    if (--braces == 0) LeaveBody(src.before);
                    break;
            }
        }
        // A body still open at the end: its function ends with the text.
        if (braces > 0 && !out.empty() && out.back().endNumber == 0)
            out.back().endNumber = out.back().endLine = static_cast<long>(lines.size());
        return std::move(out);
    }
};

}  // namespace

FunctionRecords FindCFunctions(const Lines& lines) {
    CScanner scanner(lines);
    return scanner.Run();
}

}  // namespace tarvo::analysis
