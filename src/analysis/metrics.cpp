#include "analysis/metrics.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "editor/keywords.h"
#include "platform/text.h"

namespace tarvo::analysis {
namespace {

enum Op {
    kSlash, kSlashAssign, kPlus, kPlusAssign, kIncrement, kMinus, kMinusAssign, kArrow, kDecrement,
    kBar, kOr, kBarAssign, kAmpersand, kAnd, kAndAssign, kOpenParen, kCloseParen, kOpenBracket,
    kCloseBracket, kNot, kDot, kPercent, kShiftLeft, kShiftRight, kLessEqual, kGreaterEqual, kEqual,
    kGreater, kLess, kCaret, kTilde, kAssign, kMultiply, kMultiplyAssign, kPointer, kQuestion,
    kPercentAssign, kHash
};
static_assert(kHash + 1 == kOperatorKinds);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool StartsWord(char c) { return editor::IsWordChar(c) && !(c >= '0' && c <= '9'); }

std::string_view Trimmed(std::string_view t) {
    while (!t.empty() && (IsBlank(t.front()) || t.front() == '\r')) t.remove_prefix(1);
    while (!t.empty() && (IsBlank(t.back()) || t.back() == '\r')) t.remove_suffix(1);
    return t;
}

// Reads the tokens of a function's lines into its record.
struct Scanner {
    const Lines& text;  // the function's own lines
    CharSource src;
    Metrics& m;
    long depth = 0;
    std::size_t line = 0, column = 0;

    Scanner(const Lines& lines, Metrics& out) : text(lines), src(lines), m(out) {}

    std::string_view Text() const { return text[line]; }
    char At(std::size_t c) const { return c < Text().size() ? Text()[c] : '\0'; }

    void Count(Op op) {
        ++m.operators[op];
        ++m.totalOperators;
    }

    // After a helper of the character source moved on: the lines it passed count as lines;
    // `addLengths` adds their lengths too (a string's lines are code, a comment's are counted
    // as the comment's length).
    void FollowSource(bool addLengths) {
        for (std::size_t l = line + 1; l <= src.at.line && l < text.size(); ++l) {
            ++m.lines;
            if (addLengths) m.characters += static_cast<long>(text[l].size());
        }
        if (src.at.line >= text.size()) {
            line = text.size();
            column = 0;
            return;
        }
        line = src.at.line;
        column = src.at.column;
    }

    void SkipMemberName() {
        while (IsBlank(At(column))) ++column;
        while (editor::IsWordChar(At(column))) ++column;
    }

    void Word() {
        std::size_t start = column;
        while (editor::IsWordChar(At(column))) ++column;
        std::string word(Text().substr(start, column - start));
        if (editor::IsCKeyword(word)) {
            ++m.totalOperators;
            if (IsControlKeyword(word)) ++m.controlOperators;
            if (word == "goto") ++m.gotos;
            return;
        }
        ++m.totalOperands;
        ++m.references;
        if (std::find(m.operands.begin(), m.operands.end(), word) == m.operands.end()) m.operands.push_back(word);
    }

    // One operand; the suffixes and exponent letters of a constant belong to it.
    void Number() {
        auto digit = [this](bool hex) {
            unsigned char c = static_cast<unsigned char>(At(column));
            return hex ? std::isxdigit(c) != 0 : std::isdigit(c) != 0 || c == '.';
        };
        bool hex = At(column) == '0' && (At(column + 1) == 'x' || At(column + 1) == 'X');
        column += hex ? 2 : 0;
        while (digit(hex)) ++column;
        while (editor::IsWordChar(At(column))) ++column;
        ++m.totalOperands;
    }

    // A '*' is a pointer when an identifier or another '*' follows, past blanks and '('.
    Op Star() {
        if (At(column) == '=') {
            ++column;
            return kMultiplyAssign;
        }
        std::size_t c = column;
        while (IsBlank(At(c)) || At(c) == '(') ++c;
        return At(c) == '*' || StartsWord(At(c)) ? kPointer : kMultiply;
    }

    // The longest operator of the table starting with c (already read); false for others.
    bool Operator(char c, Op& op) {
        char n = At(column);
        auto two = [&](char second, Op longer, Op shorter) {
            if (n == second) return ++column, longer;
            return shorter;
        };
        switch (c) {
        case '+': op = n == '=' ? (++column, kPlusAssign) : two('+', kIncrement, kPlus); return true;
        case '-':
            op = n == '=' ? (++column, kMinusAssign) : n == '>' ? (++column, kArrow) : two('-', kDecrement, kMinus);
            return true;
        case '|': op = n == '|' ? (++column, kOr) : two('=', kBarAssign, kBar); return true;
        case '&': op = n == '&' ? (++column, kAnd) : two('=', kAndAssign, kAmpersand); return true;
        case '(': op = kOpenParen; return true;
        case ')': op = kCloseParen; return true;
        case '[': op = kOpenBracket; return true;
        case ']': op = kCloseBracket; return true;
        case '!': op = kNot; return true;
        case '.': op = kDot; return true;
        case '%': op = two('=', kPercentAssign, kPercent); return true;
        case '<': op = n == '<' ? (++column, kShiftLeft) : two('=', kLessEqual, kLess); return true;
        case '>': op = n == '>' ? (++column, kShiftRight) : two('=', kGreaterEqual, kGreater); return true;
        case '=': op = two('=', kEqual, kAssign); return true;
        case '^': op = kCaret; return true;
        case '~': op = kTilde; return true;
        case '?': op = kQuestion; return true;
        case '*': op = Star(); return true;
        default: return false;
        }
    }

    void Slash() {
        src.at = {line, column};
        long length = src.CommentAt();
        if (length > 0) {
            m.characters += length;
            m.commentCharacters += length;
            FollowSource(false);
            return;
        }
        Count(At(column) == '=' ? (++column, kSlashAssign) : kSlash);
    }

    void Quoted(char quote) {
        src.at = {line, column};
        if (quote == '"') src.SkipString();
        else src.SkipCharConstant();
        ++m.totalOperands;
        FollowSource(true);
    }

    void Run() {
        bool freshLine = true;
        while (line < text.size()) {
            if (freshLine) {
                ++m.lines;
                m.characters += static_cast<long>(Text().size());
                column = 0;
                while (IsBlank(At(column))) ++column;
            }
            std::size_t before = line;
            ScanLine();
            freshLine = line == before || line >= text.size();
            if (line == before) ++line;
        }
    }

    // Tokens up to the end of the current line, or until a comment or string moved to a later
    // line (the scan goes on there, inside that line).
    void ScanLine() {
        const std::size_t start = line;
        while (line == start && column < Text().size()) {
            char c = Text()[column++];
            Op op;
            if (StartsWord(c)) {
                --column;
                Word();
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                --column;
                Number();
            } else if (c == '/') {
                Slash();
            } else if (c == '"' || c == '\'') {
                Quoted(c);
            } else if (c == '#') {
                Count(kHash);
                while (std::islower(static_cast<unsigned char>(At(column)))) ++column;
            } else if (c == ';') {
                ++m.statements;
            } else if (c == '{') {
                m.maxDepth = std::max(m.maxDepth, ++depth);
            } else if (c == '}') {
                depth = std::max(0L, depth - 1);
            } else if (Operator(c, op)) {
                Count(op);
                if (op == kDot || op == kArrow) SkipMemberName();
            }
        }
    }
};

void Derive(Metrics& m) {
    if (m.characters <= 2 || m.totalOperands == 0) return;
    const double distinctOperands = static_cast<double>(m.operands.size());
    const int distinctOperators = m.DistinctOperators();
    m.length = static_cast<double>(m.totalOperators + m.totalOperands);
    // A function whose only operands are constants has no vocabulary: no volume (not -inf).
    const double vocabulary = distinctOperators + distinctOperands;
    m.volume = vocabulary > 0 ? m.length * std::log2(vocabulary) : 0;
    m.commentPercentage = static_cast<double>(m.commentCharacters) / static_cast<double>(m.characters) * 100;
    if (distinctOperators > 0)
        m.level = (2.0 / distinctOperators) * (distinctOperands / static_cast<double>(m.totalOperands));
}

}  // namespace

int Metrics::DistinctOperators() const {
    return static_cast<int>(std::count_if(operators.begin(), operators.end(), [](long n) { return n != 0; }));
}

double Metrics::Density() const { return level > 0 ? volume / level : 0; }

bool IsControlKeyword(std::string_view k) {
    if (k.empty()) return false;
    auto starts = [k](std::string_view p) { return k.substr(0, p.size()) == p; };
    switch (k[0]) {
    case 'b': case 'f': case 'g': case 'w': return true;
    case 'c': return k.size() < 2 || k[1] != 'h';
    case 'd': return k == "do" || starts("de");
    case 'e': return starts("el");
    case 'i': return starts("if");
    case 'r': return k.size() > 2 && k[2] == 't';
    case 's': return starts("sw");
    default: return false;
    }
}

long DefinitionStart(const Lines& lines, const Function& f) {
    long n = std::clamp(f.startLine, 1L, static_cast<long>(lines.size()));
    while (n > 1) {
        std::string_view above = Trimmed(lines[static_cast<std::size_t>(n - 2)]);
        if (above.empty() || above.front() == '#' || above.find_first_of(";{}") != std::string_view::npos ||
            above.find("*/") != std::string_view::npos || above.find("//") != std::string_view::npos ||
            above.find("/*") != std::string_view::npos)
            break;
        --n;
    }
    return n;
}

long CommentBlockStart(const Lines& lines, long n) {
    n = std::clamp(n, 1L, static_cast<long>(lines.size()) + 1);
    while (n > 1) {
        std::string_view above = Trimmed(lines[static_cast<std::size_t>(n - 2)]);
        if (above.substr(0, 2) == "//") {
            --n;
            continue;
        }
        if (above.size() < 2 || above.substr(above.size() - 2) != "*/") break;
        // Back to the line that opens this comment; it must hold nothing before the opening.
        long open = n - 1;
        std::string_view t = above.substr(0, above.size() - 2);
        for (;;) {
            std::size_t found = t.rfind("/*");
            if (found != std::string_view::npos) {
                if (found != 0) return n;
                break;
            }
            if (--open < 1) return n;
            t = Trimmed(lines[static_cast<std::size_t>(open - 1)]);
        }
        n = open;
    }
    return n;
}

std::optional<Metrics> Measure(const Lines& lines, const Function& f) {
    if (lines.empty() || f.startLine < 1 || f.startLine > static_cast<long>(lines.size())) return std::nullopt;
    Metrics m;
    m.name = f.name;
    const long first = DefinitionStart(lines, f);
    const long last = std::clamp(f.endLine, first, static_cast<long>(lines.size()));
    for (long n = CommentBlockStart(lines, first); n < first; ++n) {
        long length = static_cast<long>(lines[static_cast<std::size_t>(n - 1)].size());
        ++m.lines;
        m.characters += length;
        m.commentCharacters += length;
    }
    Lines own(lines.begin() + (first - 1), lines.begin() + last);
    Scanner(own, m).Run();
    if (m.characters == 0) return std::nullopt;
    Derive(m);
    return m;
}

FileMetrics MeasureAll(const Lines& lines, const FunctionRecords& functions) {
    FileMetrics all;
    for (const Function& f : functions) {
        Metrics m = Measure(lines, f).value_or(Metrics{});
        all.names.push_back(f.name);
        all.values[kSeriesLength].push_back(m.length);
        all.values[kSeriesVolume].push_back(m.volume);
        all.values[kSeriesComments].push_back(m.commentPercentage);
        all.values[kSeriesControl].push_back(static_cast<double>(m.controlOperators));
        all.values[kSeriesDensity].push_back(m.Density());
        all.values[kSeriesLevel].push_back(m.level);
    }
    return all;
}

std::array<std::string, kFieldCount> AnalysisTexts(const Metrics& m) {
    std::array<std::string, kFieldCount> t;
    t[kFieldName] = m.name;
    t[kFieldLines] = std::to_string(m.lines);
    t[kFieldCharacters] = std::to_string(m.characters);
    t[kFieldOperands] = std::to_string(m.operands.size());
    t[kFieldOperators] = std::to_string(m.DistinctOperators());
    t[kFieldReferences] = std::to_string(m.references);
    t[kFieldControl] = std::to_string(m.controlOperators);
    t[kFieldTotalOperands] = std::to_string(m.totalOperands);
    t[kFieldTotalOperators] = std::to_string(m.totalOperators);
    t[kFieldExpressions] = std::to_string(m.statements);
    t[kFieldLength] = Printf("%g", m.length);
    t[kFieldVolume] = Printf("%g", m.volume);
    t[kFieldLevel] = Printf("%g", m.level);
    t[kFieldDensity] = Printf("%g", m.Density());
    t[kFieldComments] = Printf("%.2f", m.commentPercentage);
    t[kFieldGotos] = std::to_string(m.gotos);
    t[kFieldMaxDepth] = std::to_string(m.maxDepth);
    return t;
}

PlotLayout LayOutPlot(const std::vector<double>& values, int width, int height) {
    PlotLayout p;
    const int n = static_cast<int>(values.size());
    p.spacing = std::max(0, (width - 20) / (n + 1));
    p.baseline = static_cast<int>(0.7 * height);
    p.plotHeight = p.baseline - static_cast<int>(0.2 * height);
    if (n > 0) {
        auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        p.min = *lo, p.max = *hi;
    }
    for (int i = 0; i < n; ++i) {
        double share = p.max > p.min ? (values[static_cast<std::size_t>(i)] - p.min) / (p.max - p.min) : 0;
        int x = 20 + (i + 1) * p.spacing;
        p.bars.push_back({x, p.baseline - static_cast<int>(std::lround(share * p.plotHeight))});
    }
    const int firstX = p.bars.empty() ? 20 + p.spacing : p.bars.front().x;
    p.axisLeft = firstX - p.spacing;
    p.axisRight = p.bars.empty() ? firstX : p.bars.back().x;
    p.axisTop = p.baseline - p.plotHeight;
    return p;
}

int BarAt(const PlotLayout& layout, int x) {
    for (std::size_t i = 0; i < layout.bars.size(); ++i)
        if (layout.bars[i].x > x - 3) return static_cast<int>(i);
    return -1;
}

}  // namespace tarvo::analysis
