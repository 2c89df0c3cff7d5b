#include "tools/string_table.h"

#include <algorithm>
#include <cstdlib>

#include "platform/text.h"
#include "tools/string_table_messages.h"

namespace tarvo::tools {
namespace {

bool IdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IdentChar(char c) { return IdentStart(c) || (c >= '0' && c <= '9'); }

enum class Kind { Name, Number, String, Char, Punct };

struct Token {
    Kind kind;
    std::string text;  // a name, or a punctuator's characters
    TextPlace at;
    std::size_t length = 0;      // a string: the literal with its quotes, on its line
    bool movable = true;         // a string: plain, on one line, not empty
};

// Splits the source into tokens, passing over comments and preprocessor lines.
struct Lexer {
    const std::vector<std::string_view>& lines;
    std::vector<Token> tokens{};
    std::vector<std::string> macros{};  // function-like macros defined here
    std::vector<bool> endsInComment{};  // per line: a block comment is open at its end
    CollectEnd end = CollectEnd::Ok;
    long badLine = 0;

    bool Run() {
        bool inComment = false;
        endsInComment.assign(lines.size(), false);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            std::string_view s = lines[n];
            std::size_t i = 0;
            if (!inComment) {
                std::size_t first = s.find_first_not_of(" \t");
                if (first != std::string_view::npos && s[first] == '#') {
                    NoteMacro(s.substr(first + 1));
                    // The directive and the lines it continues with a backslash.
                    while (n < lines.size() && !lines[n].empty() && lines[n].back() == '\\') ++n;
                    continue;
                }
            }
            while (i < s.size()) {
                if (inComment) {
                    std::size_t close = s.find("*/", i);
                    if (close == std::string_view::npos) break;
                    inComment = false;
                    i = close + 2;
                    continue;
                }
                char c = s[i];
                if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                    ++i;
                } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
                    inComment = true;
                    i += 2;
                } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
                    break;
                } else if (c == '"') {
                    if (!String(n, i)) return false;
                    s = lines[n];  // a literal continued with a backslash ends on a later line
                } else if (c == '\'') {
                    if (!Char(n, i)) return false;
                } else if (IdentStart(c)) {
                    std::size_t start = i;
                    while (i < s.size() && IdentChar(s[i])) ++i;
                    tokens.push_back({Kind::Name, std::string(s.substr(start, i - start)), {n, start}});
                } else if (c >= '0' && c <= '9') {
                    std::size_t start = i;
                    while (i < s.size() && (IdentChar(s[i]) || s[i] == '.')) ++i;
                    tokens.push_back({Kind::Number, std::string(s.substr(start, i - start)), {n, start}});
                } else {
                    // Two-character operators matter only so that "==" is not taken for '='.
                    std::size_t length = 1;
                    static constexpr std::string_view kPairs[] = {"==", "!=", "<=", ">=", "+=", "-=", "*=", "/=",
                                                                  "%=", "&=", "|=", "^=", "->", "++", "--", "&&", "||"};
                    for (std::string_view pair : kPairs)
                        if (s.substr(i, 2) == pair) length = 2;
                    tokens.push_back({Kind::Punct, std::string(s.substr(i, length)), {n, i}});
                    i += length;
                }
            }
            endsInComment[n] = inComment;
        }
        return true;
    }

    // The name of a function-like macro the source defines: whatever its body does with its
    // arguments (text, paste, sizeof), they stay as written.
    void NoteMacro(std::string_view directive) {
        std::size_t at = directive.find_first_not_of(" \t");
        if (at == std::string_view::npos || (directive.substr(at, 7) != "define " && directive.substr(at, 7) != "define\t"))
            return;
        at = directive.find_first_not_of(" \t", at + 7);
        if (at == std::string_view::npos || !IdentStart(directive[at])) return;
        std::size_t end = at;
        while (end < directive.size() && IdentChar(directive[end])) ++end;
        if (end < directive.size() && directive[end] == '(') macros.emplace_back(directive.substr(at, end - at));
    }

    // From the opening quote; a literal continued on the next line with a backslash is read
    // on, and left where it is.
    bool String(std::size_t& n, std::size_t& i) {
        const TextPlace at{n, i};
        // A prefix (L, u8, u, U) or a macro glued to the quote makes another kind of literal.
        bool prefixed = i > 0 && IdentChar(lines[n][i - 1]);
        if (prefixed && !tokens.empty()) tokens.pop_back();
        bool continued = false;
        ++i;
        for (;;) {
            std::string_view s = lines[n];
            while (i < s.size() && s[i] != '"') i += s[i] == '\\' ? 2 : 1;
            if (i < s.size()) break;
            if (i == s.size() + 1 && n + 1 < lines.size()) {  // a backslash ended the line
                continued = true;
                ++n;
                i = 0;
                continue;
            }
            end = CollectEnd::UnfinishedString;
            badLine = static_cast<long>(at.line) + 1;
            return false;
        }
        ++i;
        Token t{Kind::String, {}, at};
        t.length = continued ? 0 : i - at.column;
        t.movable = !prefixed && !continued && t.length > 2;
        if (t.movable) t.text = std::string(lines[n].substr(at.column + 1, t.length - 2));
        tokens.push_back(std::move(t));
        return true;
    }

    bool Char(std::size_t n, std::size_t& i) {
        std::string_view s = lines[n];
        std::size_t j = i + 1;
        while (j < s.size() && s[j] != '\'') j += s[j] == '\\' ? 2 : 1;
        if (j >= s.size() || j == i + 1) {
            end = CollectEnd::BadCharConstant;
            badLine = static_cast<long>(n) + 1;
            return false;
        }
        tokens.push_back({Kind::Char, {}, {n, i}});
        i = j + 1;
        return true;
    }
};

bool Is(const Token* t, std::string_view text) { return t && t->kind != Kind::String && t->text == text; }

// Words before a parenthesis whose contents must stay as written: the size, the type or the
// text of a literal matters there, or the argument must be a constant.
bool Protecting(const Token* t) {
    static constexpr std::string_view kWords[] = {
        "sizeof", "_Alignof", "alignof", "asm", "__asm", "__asm__", "_Static_assert", "static_assert",
        "__attribute__", "__declspec", "_Pragma", "__pragma", "offsetof", "_Generic", "typeof", "__typeof",
        "__typeof__", "typeof_unqual", "assert"};
    if (!t || t->kind != Kind::Name) return false;
    // The compiler's built-ins look at their arguments as constants and objects of known size.
    return t->text.starts_with("__builtin_") || std::find(std::begin(kWords), std::end(kWords), t->text) != std::end(kWords);
}

// A macro's arguments may be pasted or turned into text: by habit its name is in capitals.
bool MacroName(const Token* t) {
    if (!t || t->kind != Kind::Name || t->text.size() < 2) return false;
    return std::none_of(t->text.begin(), t->text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool ControlWord(const Token* t) {
    return t && t->kind == Kind::Name && t->text != "return" && t->text != "sizeof";
}

}  // namespace

Collected CollectStrings(const std::vector<std::string_view>& lines, bool forResource) {
    Collected out;
    Lexer lexer{lines};
    if (!lexer.Run()) {
        out.end = lexer.end;
        out.badLine = lexer.badLine;
        return out;
    }
    const std::vector<Token>& tokens = lexer.tokens;
    struct Brace {
        bool initialiser;
        bool body;  // a function's body
    };
    struct Paren {
        bool protecting;
        bool afterName;  // a call, a control statement or a declarator: not a cast
    };
    std::vector<Brace> braces;
    std::vector<Paren> parens;
    // extern "C" { ... } (written for C++ readers of the file) holds file-level code.
    std::size_t linkageBlocks = 0;
    std::vector<std::string> arrayTypes;  // typedef names of array types: such objects are filled too
    bool statementStatic = false, statementArray = false, statementTypedef = false;
    TextPlace bodyPlace;
    bool bodyListed = false;
    bool lastCloseWasCast = false;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        const Token* prev = k > 0 ? &tokens[k - 1] : nullptr;
        const Token* next = k + 1 < tokens.size() ? &tokens[k + 1] : nullptr;
        if (t.kind == Kind::Punct) {
            const std::string& p = t.text;
            if (p == "(") {
                bool protecting = Protecting(prev) || MacroName(prev) || (!parens.empty() && parens.back().protecting) ||
                                  (prev && prev->kind == Kind::Name &&
                                   std::find(lexer.macros.begin(), lexer.macros.end(), prev->text) != lexer.macros.end());
                parens.push_back({protecting, ControlWord(prev) || Is(prev, ")") || Is(prev, "]")});
            } else if (p == ")") {
                lastCloseWasCast = !parens.empty() && !parens.back().afterName;
                if (!parens.empty()) parens.pop_back();
            } else if (p == "{" && braces.empty() && prev && prev->kind == Kind::String && k > 1 &&
                       Is(&tokens[k - 2], "extern")) {
                ++linkageBlocks;
                statementStatic = false;
            } else if (p == "{") {
                bool inInitialiser = !braces.empty() && braces.back().initialiser;
                // "= {", a list inside a list, and a compound literal "(type){" are initialisers.
                bool initialiser = inInitialiser || Is(prev, "=") || (Is(prev, ")") && lastCloseWasCast && !braces.empty());
                bool body = braces.empty() && !initialiser && (Is(prev, ")") || Is(prev, ";"));
                braces.push_back({initialiser, body});
                if (body) {
                    bodyPlace = {t.at.line, t.at.column + 1};
                    bodyListed = false;
                }
                statementStatic = statementArray = statementTypedef = false;
            } else if (p == "}") {
                if (!braces.empty()) braces.pop_back();
                else if (linkageBlocks > 0) --linkageBlocks;
                statementStatic = statementArray = statementTypedef = false;
            } else if (p == ";") {
                statementStatic = statementArray = statementTypedef = false;
            } else if (p == "[") {
                if (statementTypedef && prev && prev->kind == Kind::Name) arrayTypes.push_back(prev->text);
            } else if (p == "]") {
                statementArray = true;
            }
            continue;
        }
        // A static's initialiser must stay a constant; an asm statement's texts are its code.
        static constexpr std::string_view kKeeping[] = {"static", "extern", "constexpr", "asm", "__asm", "__asm__"};
        if (t.kind == Kind::Name && std::find(std::begin(kKeeping), std::end(kKeeping), t.text) != std::end(kKeeping))
            statementStatic = true;
        if (Is(&t, "typedef")) statementTypedef = true;
        if (t.kind == Kind::Name && std::find(arrayTypes.begin(), arrayTypes.end(), t.text) != arrayTypes.end())
            statementArray = true;
        if (t.kind != Kind::String || !t.movable) continue;
        // Inside a function body, not in any initialiser list.
        if (braces.empty() || std::any_of(braces.begin(), braces.end(), [](const Brace& b) { return b.initialiser; }))
            continue;
        if (!parens.empty() && parens.back().protecting) continue;
        if (statementStatic) continue;
        // A plain expression: an operand between separators, not next to another literal (they
        // are one literal), a macro name, or an index.
        bool prevOk = Is(prev, "(") || Is(prev, ",") || Is(prev, "=") || Is(prev, "?") || Is(prev, ":") ||
                      (prev && prev->kind == Kind::Name && prev->text == "return");
        bool nextOk = Is(next, ")") || Is(next, ",") || Is(next, ";") || Is(next, ":") || Is(next, "?");
        if (!prevOk || !nextOk) continue;
        if (Is(prev, "=") && statementArray) continue;  // char buf[] = "x" fills the array
        // The literal's comment goes at the end of its line: not after a backslash that joins the
        // next line to it (and to the comment), nor, holding "*/", into a comment left open.
        std::string_view line = lines[t.at.line];
        std::size_t last = line.find_last_not_of(" \t\r");
        if (last != std::string_view::npos && line[last] == '\\') continue;
        if (lexer.endsInComment[t.at.line] && t.text.find("*/") != std::string::npos) continue;
        std::string resource;
        if (forResource && !ResourceText(t.text, resource)) continue;
        if (!bodyListed) {
            out.bodies.push_back(bodyPlace);
            bodyListed = true;
        }
        StringEntry e;
        e.text = t.text;
        e.line = t.at.line;
        e.column = t.at.column;
        e.length = t.length;
        out.entries.push_back(std::move(e));
    }
    return out;
}

unsigned CheckStringOptions(const StringOptions& o, std::string& badName) {
    auto identifier = [](const std::string& name) {
        return !name.empty() && IdentStart(name[0]) && std::all_of(name.begin(), name.end(), IdentChar);
    };
    const bool identifiers = o.flags & kStringsIdentifiers;
    if (identifiers && !identifier(o.prefix)) return badName = o.prefix, kMsgStringsNotIdentifier;
    if ((o.flags & kStringsArray) && !(o.flags & kStringsCall) && !identifier(o.arrayName))
        return badName = o.arrayName, kMsgStringsNotIdentifier;
    if ((o.flags & kStringsCall) && !identifier(o.functionName)) return badName = o.functionName, kMsgStringsNotIdentifier;
    return 0;
}

std::string OutputBase(const std::string& documentPath) {
    std::size_t sep = documentPath.find_last_of("\\/");
    std::size_t dot = documentPath.rfind('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep) || dot == (sep == std::string::npos ? 0 : sep + 1))
        return documentPath;
    return documentPath.substr(0, dot);
}

void NumberEntries(std::vector<StringEntry>& entries, long first, const std::string& prefix) {
    for (StringEntry& e : entries) {
        e.number = first++;
        e.identifier = Printf("%s%05ld", prefix.c_str(), e.number);
    }
}

bool StartsWithMarker(std::string_view text) {
    if (!text.starts_with(kStringTableMarker)) return false;
    std::string_view rest = text.substr(kStringTableMarker.size());
    return rest.starts_with("\n") || rest.starts_with("\r\n");
}

namespace {

int Digit(char c, int base) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : base;
    return d < base ? d : -1;
}

// The bytes a C literal's characters stand for; false for an escape whose value is not one byte.
bool LiteralValue(std::string_view literal, std::string& value) {
    value.clear();
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\') {
            value += literal[i];
            continue;
        }
        if (++i >= literal.size()) return false;
        unsigned code = 0;
        switch (literal[i]) {
        case 'a': code = '\a'; break;
        case 'b': code = '\b'; break;
        case 'f': code = '\f'; break;
        case 'n': code = '\n'; break;
        case 'r': code = '\r'; break;
        case 't': code = '\t'; break;
        case 'v': code = '\v'; break;
        case '\\': case '\'': case '"': case '?': code = static_cast<unsigned char>(literal[i]); break;
        case 'x': {
            std::size_t end = i + 1;
            while (end < literal.size() && Digit(literal[end], 16) >= 0 && code <= 0xff)
                code = code * 16 + static_cast<unsigned>(Digit(literal[end++], 16));
            if (end == i + 1) return false;
            i = end - 1;
            break;
        }
        default: {
            if (Digit(literal[i], 8) < 0) return false;  // \e, universal names and the like
            std::size_t end = i;
            while (end < literal.size() && end < i + 3 && Digit(literal[end], 8) >= 0)
                code = code * 8 + static_cast<unsigned>(Digit(literal[end++], 8));
            i = end - 1;
        }
        }
        if (code > 0xff) return false;
        value += static_cast<char>(code);
    }
    return true;
}

}  // namespace

bool ResourceText(std::string_view literal, std::string& out) {
    out.clear();
    std::string value;
    // A table entry's length is 16 bits: a longer string would come back cut.
    if (!LiteralValue(literal, value) || value.size() > 0xffff) return false;
    for (char ch : value) {
        const unsigned char c = static_cast<unsigned char>(ch);
        // The script is read in code page 1252, where these bytes are no characters: a string
        // holding one comes back empty.
        if (c == 0x81 || c == 0x8d || c == 0x8f || c == 0x90 || c == 0x9d) return false;
        if (c == '"') out += "\"\"";
        else if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        // Other controls in octal, always three digits so that a digit after one stays itself;
        // the script's own letter escapes differ from C's (its \a is a backspace).
        else if (c < 0x20 || c == 0x7f) out += Printf("\\%03o", c);
        else out += ch;
    }
    return true;
}

namespace {

std::vector<std::string_view> SplitText(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// The text up to the start of the last line that `isLast` accepts; npos when none does.
std::size_t StartOfLast(std::string_view text, bool (*isLast)(std::string_view)) {
    std::size_t found = std::string_view::npos;
    for (std::string_view line : SplitText(text)) {
        if (isLast(Trim(line))) found = static_cast<std::size_t>(line.data() - text.data());
        else if (!Trim(line).empty()) found = std::string_view::npos;  // something after it
    }
    return found;
}

}  // namespace

long NextResourceNumber(std::string_view script, std::string_view header) {
    long highest = -1;
    for (std::string_view line : SplitText(header)) {
        if (!line.starts_with("#define")) continue;
        std::size_t last = line.find_last_of(" \t");
        if (last == std::string_view::npos) continue;
        std::string number(Trim(line.substr(last + 1)));
        if (!number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            highest = std::max(highest, std::atol(number.c_str()));
    }
    for (std::string_view line : SplitText(script)) {
        std::string_view t = Trim(line);
        std::size_t comma = t.find(',');
        if (comma == std::string_view::npos || comma == 0) continue;
        std::string number(Trim(t.substr(0, comma)));
        if (std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            highest = std::max(highest, std::atol(number.c_str()));
    }
    return highest + 1;
}

long ArrayEntryCount(std::string_view arrayFile) {
    long count = 0;
    for (std::string_view line : SplitText(arrayFile)) {
        std::string_view t = Trim(line);
        if (t.starts_with("\"") && t.ends_with("*/")) ++count;
    }
    return count;
}

bool BuildResourceScript(std::string_view existing, const std::string& documentName,
                         const std::vector<StringEntry>& entries, const std::string& header, std::string& out) {
    const std::string include = "#include \"" + header + "\"";
    if (existing.empty()) {
        out = std::string(kStringTableMarker) + "\n" + (header.empty() ? "" : include + "\n") + "STRINGTABLE\nBEGIN\n";
    } else {
        std::size_t last = StartOfLast(existing, [](std::string_view l) { return l == "END"; });
        if (last == std::string_view::npos) return false;
        out = std::string(existing.substr(0, last));
        // A script first written with numbers names its strings by identifiers from now on.
        std::vector<std::string_view> lines = SplitText(existing);
        if (!header.empty() && std::find(lines.begin(), lines.end(), include) == lines.end())
            out.insert(out.find('\n') + 1, include + (existing.find("\r\n") != std::string_view::npos ? "\r\n" : "\n"));
    }
    out += "/* " + documentName + " */\n";
    for (const StringEntry& e : entries) {
        std::string text;
        ResourceText(e.text, text);
        out += "\t" + (header.empty() ? std::to_string(e.number) : e.identifier) + ", \"" + text + "\"\n";
    }
    out += "END\n";
    return true;
}

std::string BuildResourceHeader(std::string_view existing, const std::string& documentName,
                                const std::vector<StringEntry>& entries) {
    std::string out = existing.empty() ? std::string(kStringTableMarker) + "\n" : std::string(existing);
    if (!out.ends_with("\n")) out += "\n";
    if (!existing.empty()) out += "\n";
    out += "/* " + documentName + " */\n";
    for (const StringEntry& e : entries) out += Printf("#define\t%s\t%ld\n", e.identifier.c_str(), e.number);
    return out;
}

bool BuildArrayFile(std::string_view existing, const std::string& arrayName, const std::string& documentName,
                    const std::vector<StringEntry>& entries, std::string& out) {
    if (existing.empty()) {
        out = std::string(kStringTableMarker) + "\nunsigned char *" + arrayName + "[]={\n";
    } else {
        std::size_t last = StartOfLast(existing, [](std::string_view l) { return l == "};"; });
        if (last == std::string_view::npos) return false;
        out = std::string(existing.substr(0, last)) + "\t,\n";
    }
    out += "/* strings from " + documentName + " */\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        out += Printf("\t\"%s\"%c\t/* %ld */\n", entries[i].text.c_str(), i + 1 < entries.size() ? ',' : ' ',
                      entries[i].number);
    out += "};\n";
    return true;
}

std::vector<RewrittenLine> RewriteLines(const std::vector<std::string_view>& lines, const Collected& collected,
                                        const StringOptions& o) {
    struct Edit {
        std::size_t column, length;
        std::string text;
    };
    // Edits per line; applied right to left so that each column still holds when it is used.
    std::vector<std::pair<std::size_t, std::vector<Edit>>> perLine;
    auto editsOf = [&](std::size_t line) -> std::vector<Edit>& {
        for (auto& [n, edits] : perLine)
            if (n == line) return edits;
        perLine.push_back({line, {}});
        return perLine.back().second;
    };
    const bool call = o.flags & kStringsCall;
    for (const StringEntry& e : collected.entries) {
        std::string reference = call ? o.functionName + "(" +
                                           ((o.flags & kStringsIdentifiers) ? e.identifier : std::to_string(e.number)) + ")"
                                     : o.arrayName + "[" + std::to_string(e.number) + "]";
        editsOf(e.line).push_back({e.column, e.length, std::move(reference)});
    }
    // The array is declared where it is used, at the head of each body, so the source compiles
    // without a header of ours.
    if (!call)
        for (const TextPlace& body : collected.bodies)
            editsOf(body.line).push_back({body.column, 0, " extern unsigned char *" + o.arrayName + "[];"});
    std::vector<RewrittenLine> out;
    for (auto& [n, edits] : perLine) {
        std::string text(lines[n]);
        std::string comments;
        std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.column < b.column; });
        for (const StringEntry& e : collected.entries)
            if (e.line == n) comments += " // <" + e.text + ">";
        for (auto it = edits.rbegin(); it != edits.rend(); ++it) text.replace(it->column, it->length, it->text);
        // The comment goes after the line's own end, not inside a CR.
        bool cr = !text.empty() && text.back() == '\r';
        if (cr) text.pop_back();
        text += comments;
        if (cr) text += '\r';
        out.push_back({n, std::move(text)});
    }
    std::sort(out.begin(), out.end(), [](const RewrittenLine& a, const RewrittenLine& b) { return a.line < b.line; });
    return out;
}

}  // namespace tarvo::tools
