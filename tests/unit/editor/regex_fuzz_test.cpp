// Random patterns and lines thrown at the compiler and matcher (fixed seed, bounded work).
// Where the pattern compiles, the match is compared with a small independent matcher that
// walks the pattern text directly, preferring alternatives left to right and longer repeats
// first, as the node program does.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editor/regex.h"
#include "editor/search_messages.h"

namespace tarvo::editor {
namespace {

struct Ast {
    enum Kind { Char, Any, Set, Bol, Eol, Alt, Cat, Star, Plus, Opt } kind = Char;
    char c = 0;
    std::string members;
    bool negated = false;
    std::vector<std::unique_ptr<Ast>> parts;
};

std::unique_ptr<Ast> Make(Ast::Kind kind) {
    auto a = std::make_unique<Ast>();
    a->kind = kind;
    return a;
}

struct Parser {
    std::string_view p;
    std::size_t at = 0;
    bool More() const { return at < p.size(); }

    std::unique_ptr<Ast> Alternation() {
        auto alt = Make(Ast::Alt);
        alt->parts.push_back(Sequence());
        while (More() && p[at] == '|') {
            ++at;
            alt->parts.push_back(Sequence());
        }
        return alt;
    }
    std::unique_ptr<Ast> Sequence() {
        auto cat = Make(Ast::Cat);
        while (More() && p[at] != '|' && p[at] != ')') {
            auto atom = Atom();
            while (More() && (p[at] == '*' || p[at] == '+' || p[at] == '?')) {
                auto q = Make(p[at] == '*' ? Ast::Star : p[at] == '+' ? Ast::Plus : Ast::Opt);
                q->parts.push_back(std::move(atom));
                atom = std::move(q);
                ++at;
            }
            cat->parts.push_back(std::move(atom));
        }
        return cat;
    }
    std::unique_ptr<Ast> Atom() {
        char c = p[at++];
        if (c == '(') {
            auto inner = Alternation();
            ++at;  // ')'
            return inner;
        }
        if (c == '.') return Make(Ast::Any);
        if (c == '^') return Make(Ast::Bol);
        if (c == '$') return Make(Ast::Eol);
        if (c == '[') {
            auto set = Make(Ast::Set);
            if (p[at] == '^') set->negated = true, ++at;
            if (p[at] == ']' || p[at] == '-') set->members += p[at++];
            while (p[at] != ']') {
                if (p[at] == '-' && p[at + 1] != ']') {
                    for (int m = static_cast<unsigned char>(p[at - 1]) + 1; m <= static_cast<unsigned char>(p[at + 1]); ++m)
                        set->members += static_cast<char>(m);
                    at += 2;
                } else {
                    set->members += p[at++];
                }
            }
            ++at;
            return set;
        }
        auto ch = Make(Ast::Char);
        ch->c = c == '\\' ? p[at++] : c;
        return ch;
    }
};

struct Reference {
    std::string_view text;
    long budget = 200000;
    using Next = std::function<bool(std::size_t)>;

    bool M(const Ast& a, std::size_t pos, const Next& k) {
        if (--budget < 0) return false;
        switch (a.kind) {
            case Ast::Char:
                return pos < text.size() && text[pos] == a.c && k(pos + 1);
            case Ast::Any:
                return pos < text.size() && k(pos + 1);
            case Ast::Set:
                return pos < text.size() && ((a.members.find(text[pos]) != std::string::npos) != a.negated) &&
                       k(pos + 1);
            case Ast::Bol:
                return pos == 0 && k(pos);
            case Ast::Eol:
                return pos == text.size() && k(pos);
            case Ast::Alt:
                for (const auto& part : a.parts)
                    if (M(*part, pos, k)) return true;
                return false;
            case Ast::Cat:
                return Cat(a, 0, pos, k);
            case Ast::Star:
                return Loop(*a.parts[0], pos, k);
            case Ast::Plus:
                return M(*a.parts[0], pos, [&](std::size_t p) { return Loop(*a.parts[0], p, k); });
            case Ast::Opt:
                return M(*a.parts[0], pos, k) || k(pos);
        }
        return false;
    }
    bool Cat(const Ast& a, std::size_t i, std::size_t pos, const Next& k) {
        if (i == a.parts.size()) return k(pos);
        return M(*a.parts[i], pos, [&](std::size_t p) { return Cat(a, i + 1, p, k); });
    }
    bool Loop(const Ast& x, std::size_t pos, const Next& k) {
        return M(x, pos, [&](std::size_t p) { return p != pos && Loop(x, p, k); }) || k(pos);
    }
};

// "start-end", "none", or "" when the reference ran out of budget.
std::string ReferenceFind(const Ast& root, std::string_view line, long budget = 200000, std::size_t from = 0) {
    Reference r{line, budget};
    for (std::size_t start = from; start <= line.size(); ++start) {
        std::size_t end = 0;
        if (r.M(root, start, [&](std::size_t p) { end = p; return true; }))
            return std::to_string(start) + "-" + std::to_string(end);
        if (r.budget < 0) return "";
    }
    return "none";
}

TEST(RegexFuzz, RandomPatternsAgreeWithAReferenceAndNeverCrash) {
    std::mt19937 random(20261206);
    const std::vector<std::string> tokens = {"a", "b", "c", ".", "*", "+", "?", "|", "(", ")", "[ab]", "[^a]",
                                             "[a-c]", "[]a]", "[a-]", "^", "$", "\\*", "\\", "[", "]", "-", "ab"};
    const std::vector<unsigned> errors = {kMsgRegexNothingBefore, kMsgRegexTrailingBackslash, kMsgRegexBadRange,
                                          kMsgRegexEmptyOperand,  kMsgRegexTooManyGroups,     kMsgRegexMismatchedParens,
                                          kMsgRegexBad,           kMsgRegexMissingBracket};
    int compiled = 0, compared = 0, matched = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string pattern;
        for (int n = 1 + static_cast<int>(random() % 9); n > 0; --n) pattern += tokens[random() % tokens.size()];
        Regex re;
        unsigned error = CompileRegexQuietly(pattern, re);
        if (error) {
            EXPECT_NE(std::find(errors.begin(), errors.end(), error), errors.end()) << pattern;
            continue;
        }
        ++compiled;
        Parser parser{pattern};
        auto root = parser.Alternation();
        for (int k = 0; k < 6; ++k) {
            std::string line;
            for (int n = static_cast<int>(random() % 13); n > 0; --n) line += "abc*-]"[random() % 6];
            RegexMatch m;
            RegexLimits limits;
            limits.steps = 200000;
            RegexResult result = ExecuteRegexQuietly(re, line, 0, m, error, limits);
            ASSERT_NE(result, RegexResult::Failed) << pattern << " on " << line;
            std::string ours = result == RegexResult::Match ? std::to_string(m.start[0]) + "-" + std::to_string(m.end[0]) : "none";
            std::string expected = ReferenceFind(*root, line);
            if (expected.empty()) continue;
            ++compared;
            matched += ours != "none";
            EXPECT_EQ(ours, expected) << "pattern " << pattern << " on line " << line;
        }
    }
    // The generator must exercise the matcher, not only the error paths.
    EXPECT_GT(compiled, 1000);
    EXPECT_GT(matched, 2000);
    EXPECT_GT(compared, 6000);
}

// Lines of thousands of characters made of long runs of one character: the repetition loops,
// the remembered failures and the literal filters meet their edges there. No limit is given:
// such lines must never make the engine give up.
TEST(RegexFuzz, LongLinesOfLongRunsAgreeWithTheReference) {
    std::mt19937 random(3000000);
    const std::vector<std::string> tokens = {"a", "b", "c", ".", "*", "+", "?", "|", "(", ")", "[ab]", "[^a]",
                                             "[a-c]", "^", "$", "ab", "ba", ".*", "b*", "(a|b)"};
    int compared = 0, matched = 0;
    for (int round = 0; round < 400; ++round) {
        std::string pattern;
        for (int n = 1 + static_cast<int>(random() % 8); n > 0; --n) pattern += tokens[random() % tokens.size()];
        Regex re;
        if (CompileRegexQuietly(pattern, re)) continue;
        Parser parser{pattern};
        auto root = parser.Alternation();
        for (int k = 0; k < 2; ++k) {
            std::string line;
            for (int runs = 1 + static_cast<int>(random() % 4); runs > 0; --runs)
                line.append(1 + random() % 1500, "abc-"[random() % 4]);
            RegexMatch m;
            unsigned error = 0;
            std::size_t from = random() % 3;
            RegexResult result = ExecuteRegexQuietly(re, line, from, m, error);
            ASSERT_NE(result, RegexResult::Failed) << pattern;
            std::string expected = ReferenceFind(*root, line, 400000, from);
            if (expected.empty()) continue;
            std::string ours = result == RegexResult::Match ? std::to_string(m.start[0]) + "-" + std::to_string(m.end[0]) : "none";
            EXPECT_EQ(ours, expected) << "pattern " << pattern << " on a line of " << line.size();
            ++compared;
            matched += result == RegexResult::Match;
        }
    }
    EXPECT_GT(compared, 300);
    EXPECT_GT(matched, 100);
}

TEST(RegexFuzz, RandomBytesOnLongLinesStayWithinBounds) {
    std::mt19937 random(7);
    std::string line(20000, 'a');
    for (char& c : line) c = "ab(|)*+.x\0"[random() % 10];
    for (int round = 0; round < 300; ++round) {
        std::string pattern;
        for (int n = 1 + static_cast<int>(random() % 24); n > 0; --n) pattern += static_cast<char>(random() % 256);
        Regex re;
        if (CompileRegexQuietly(pattern, re)) continue;
        RegexMatch m;
        unsigned error = 0;
        RegexLimits limits;
        limits.steps = 300000;
        RegexResult result = ExecuteRegexQuietly(re, line, random() % 100, m, error, limits);
        if (result == RegexResult::Match) {
            EXPECT_LE(m.start[0], m.end[0]);
            EXPECT_LE(static_cast<std::size_t>(m.end[0]), line.size());
        } else if (result == RegexResult::Failed) {
            EXPECT_EQ(error, kMsgRegexTooComplex);
        }
    }
}

}  // namespace
}  // namespace tarvo::editor
