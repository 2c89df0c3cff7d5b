// The regular-expression compiler. It runs twice over the pattern: first only measuring the
// program, then emitting it into a block of that size, so the program is one allocation and
// its nodes can refer to each other by offset.
#include <algorithm>
#include <cstring>

#include "editor/regex.h"
#include "editor/search_messages.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

// What a parsed piece can promise about its matches.
constexpr int kWorst = 0;       // nothing known
constexpr int kHasWidth = 1;    // never matches the empty string
constexpr int kSimple = 2;      // exactly one character wide: fit for STAR and PLUS
constexpr int kStartsStar = 4;  // begins with a piece quantified by '*' or '+'

constexpr std::string_view kMeta = "^$.[()|?+*\\";

bool IsQuantifier(char c) { return c == '*' || c == '+' || c == '?'; }

struct Compiler {
    std::string_view pattern;
    std::size_t at = 0;
    int groups = 1;
    bool measuring = true;
    std::size_t size = 0;              // bytes measured or emitted
    std::vector<std::uint8_t>* code = nullptr;
    unsigned error = 0;

    bool Fail(unsigned id) {
        if (!error) error = id;
        return false;
    }
    bool AtEnd() const { return at >= pattern.size(); }
    char Peek() const { return AtEnd() ? '\0' : pattern[at]; }

    void Byte(std::uint8_t b) {
        if (!measuring) code->push_back(b);
        ++size;
    }
    // Emits a node; returns its offset (in the measuring pass a dummy).
    std::size_t Node(std::uint8_t op) {
        std::size_t here = size;
        Byte(op);
        Byte(0);
        Byte(0);
        return measuring ? 1 : here;
    }
    // Puts a node in front of the operand that starts at `at`.
    void Insert(std::uint8_t op, std::size_t where) {
        size += 3;
        if (measuring) return;
        std::uint8_t node[3] = {op, 0, 0};
        code->insert(code->begin() + static_cast<long>(where), node, node + 3);
    }
    std::uint8_t Op(std::size_t p) const { return (*code)[p]; }
    std::size_t Next(std::size_t p) const {
        unsigned offset = (static_cast<unsigned>((*code)[p + 1]) << 8) | (*code)[p + 2];
        if (offset == 0) return 0;
        return Op(p) == kReBack ? p - offset : p + offset;
    }
    // Points the last node of the chain starting at p to `target`.
    void Tail(std::size_t p, std::size_t target) {
        if (measuring) return;
        for (std::size_t n = Next(p); n; n = Next(p)) p = n;
        std::size_t offset = Op(p) == kReBack ? p - target : target - p;
        (*code)[p + 1] = static_cast<std::uint8_t>(offset >> 8);
        (*code)[p + 2] = static_cast<std::uint8_t>(offset & 0xFF);
    }
    // Tail on the operand of a BRANCH; anything else is left alone.
    void OperandTail(std::size_t p, std::size_t target) {
        if (measuring || p == 0 || Op(p) != kReBranch) return;
        Tail(p + 3, target);
    }

    std::size_t Alternation(bool group, int& flags);
    std::size_t Sequence(int& flags);
    std::size_t Piece(int& flags);
    std::size_t Atom(int& flags);
    std::size_t Set();
    std::size_t Run();
};

// pattern := branch ('|' branch)*, in a group when `group` is set.
std::size_t Compiler::Alternation(bool group, int& flags) {
    flags = kHasWidth;
    int number = 0;
    std::size_t result = 0;
    if (group) {
        if (groups >= kRegexGroups) return Fail(kMsgRegexTooManyGroups), 0;
        number = groups++;
        result = Node(static_cast<std::uint8_t>(kReOpen + number));
    }
    for (;;) {
        int branchFlags = 0;
        std::size_t branch = Sequence(branchFlags);
        if (error) return 0;
        if (result) Tail(result, branch);
        else result = branch;
        if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
        flags |= branchFlags & kStartsStar;
        if (Peek() != '|' || AtEnd()) break;
        ++at;
    }
    std::size_t ender = Node(group ? static_cast<std::uint8_t>(kReClose + number) : std::uint8_t{kReEnd});
    Tail(result, ender);
    if (!measuring)
        for (std::size_t b = result; b; b = Next(b)) OperandTail(b, ender);
    if (group) {
        if (AtEnd() || Peek() != ')') return Fail(kMsgRegexMismatchedParens), 0;
        ++at;
    } else if (!AtEnd()) {
        return Fail(Peek() == ')' ? kMsgRegexMismatchedParens : kMsgRegexBad), 0;
    }
    return result;
}

// branch := piece*, as a BRANCH node followed by its pieces.
std::size_t Compiler::Sequence(int& flags) {
    flags = kWorst;
    std::size_t result = Node(kReBranch);
    std::size_t chain = 0;
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
        int pieceFlags = 0;
        std::size_t latest = Piece(pieceFlags);
        if (error) return 0;
        flags |= pieceFlags & kHasWidth;
        if (chain == 0) flags |= pieceFlags & kStartsStar;
        else Tail(chain, latest);
        chain = latest;
    }
    if (chain == 0) Node(kReNothing);
    return result;
}

// piece := atom ('*' | '+' | '?')?
std::size_t Compiler::Piece(int& flags) {
    int atomFlags = 0;
    std::size_t atom = Atom(atomFlags);
    if (error) return 0;
    char op = Peek();
    if (AtEnd() || !IsQuantifier(op)) {
        flags = atomFlags;
        return atom;
    }
    if (!(atomFlags & kHasWidth) && op != '?') return Fail(kMsgRegexEmptyOperand), 0;
    flags = op == '?' ? kWorst : (op == '*' ? kStartsStar : kStartsStar | kHasWidth);
    if (op == '*' && (atomFlags & kSimple)) {
        Insert(kReStar, atom);
    } else if (op == '*') {
        // x* as (x BACK-to-here | NOTHING)
        Insert(kReBranch, atom);
        OperandTail(atom, Node(kReBack));
        OperandTail(atom, atom);
        Tail(atom, Node(kReBranch));
        Tail(atom, Node(kReNothing));
    } else if (op == '+' && (atomFlags & kSimple)) {
        Insert(kRePlus, atom);
    } else if (op == '+') {
        // x+ as x (BACK-to-x | NOTHING)
        std::size_t loop = Node(kReBranch);
        Tail(atom, loop);
        Tail(Node(kReBack), atom);
        Tail(loop, Node(kReBranch));
        Tail(atom, Node(kReNothing));
    } else {
        // x? as (x | NOTHING)
        Insert(kReBranch, atom);
        Tail(atom, Node(kReBranch));
        std::size_t empty = Node(kReNothing);
        Tail(atom, empty);
        OperandTail(atom, empty);
    }
    ++at;
    if (!AtEnd() && IsQuantifier(Peek())) return Fail(kMsgRegexBad), 0;
    return atom;
}

std::size_t Compiler::Atom(int& flags) {
    flags = kWorst;
    char c = pattern[at++];
    switch (c) {
        case '^':
            return Node(kReBol);
        case '$':
            return Node(kReEol);
        case '.':
            flags = kHasWidth | kSimple;
            return Node(kReAny);
        case '[':
            flags = kHasWidth | kSimple;
            return Set();
        case '(': {
            int inner = 0;
            std::size_t group = Alternation(true, inner);
            flags |= inner & (kHasWidth | kStartsStar);
            return group;
        }
        case '*':
        case '+':
        case '?':
            return Fail(kMsgRegexNothingBefore), 0;
        case '\\': {
            if (AtEnd()) return Fail(kMsgRegexTrailingBackslash), 0;
            std::size_t node = Node(kReExactly);
            Byte(static_cast<std::uint8_t>(pattern[at++]));
            Byte(0);
            flags = kHasWidth | kSimple;
            return node;
        }
        case '|':
        case ')':
            // A sequence stops before these; reaching them here means the parse went wrong.
            return Fail(kMsgRegexBad), 0;
        default: {
            --at;
            std::size_t before = size;
            std::size_t node = Run();
            // One character (node, the character, NUL) is as simple an operand as a set.
            flags = size - before == 5 ? kHasWidth | kSimple : kHasWidth;
            return node;
        }
    }
}

// After '[': the members up to the closing ']'.
std::size_t Compiler::Set() {
    std::size_t node;
    if (Peek() == '^' && !AtEnd()) {
        node = Node(kReAnyBut);
        ++at;
    } else {
        node = Node(kReAnyOf);
    }
    if (!AtEnd() && (Peek() == ']' || Peek() == '-')) Byte(static_cast<std::uint8_t>(pattern[at++]));
    while (!AtEnd() && Peek() != ']') {
        if (Peek() != '-') {
            Byte(static_cast<std::uint8_t>(pattern[at++]));
            continue;
        }
        ++at;
        if (AtEnd() || Peek() == ']') {
            Byte('-');  // a '-' before ']' is a member
            continue;
        }
        int from = static_cast<unsigned char>(pattern[at - 2]);
        int to = static_cast<unsigned char>(pattern[at]);
        // A reversed range would otherwise match only its first character, silently.
        if (from > to) return Fail(kMsgRegexBadRange), 0;
        for (int member = from + 1; member <= to; ++member) Byte(static_cast<std::uint8_t>(member));
        ++at;
    }
    if (AtEnd()) return Fail(kMsgRegexMissingBracket), 0;
    ++at;
    Byte(0);
    return node;
}

// A run of ordinary characters; the last one stays for a following quantifier.
std::size_t Compiler::Run() {
    std::size_t length = 0;
    while (at + length < pattern.size() && kMeta.find(pattern[at + length]) == std::string_view::npos) ++length;
    if (length == 0) return Fail(kMsgRegexBad), 0;
    if (length > 1 && at + length < pattern.size() && IsQuantifier(pattern[at + length])) --length;
    std::size_t node = Node(kReExactly);
    for (std::size_t i = 0; i < length; ++i) Byte(static_cast<std::uint8_t>(pattern[at + i]));
    Byte(0);
    at += length;
    return node;
}

// The text of the run of EXACTLY nodes from `n` on: they follow each other in the chain, so
// every match holds their texts together. `n` moves to the node after the run; `longest` and
// `length` keep the longest single node of it.
std::string LiteralRun(const Regex& re, std::size_t& n, std::size_t& longest, std::size_t& length) {
    std::string run;
    for (; n && RegexOpAt(re, n) == kReExactly; n = RegexNext(re, n)) {
        const char* text = reinterpret_cast<const char*>(&re.program[n + 3]);
        std::size_t l = std::strlen(text);
        if (l >= length) longest = n, length = l;
        run.append(text, l);
    }
    return run;
}

unsigned Optimise(Regex& re, int flags) {
    re.firstChar = 0;
    re.anchored = false;
    re.leadingAny = false;
    re.literalOnly = false;
    re.prefix.Set({});
    re.mustContain.clear();
    re.must.Set({});
    re.alsoRequired.clear();
    re.lineStart.clear();
    re.lineEnd.clear();
    re.edgeOnly = false;
    std::size_t branch = kRegexFirstNode;
    std::size_t after = RegexNext(re, branch);
    if (after == 0 || RegexOpAt(re, after) != kReEnd) return 0;  // several branches
    std::size_t first = branch + 3;
    std::uint8_t op = RegexOpAt(re, first);
    std::size_t longest = 0, length = 0;
    if (op == kReExactly) {
        re.firstChar = re.program[first + 3];
        std::size_t n = first;
        re.prefix.Set(LiteralRun(re, n, longest, length));
        re.literalOnly = RegexOpAt(re, n) == kReEnd;
    } else if (op == kReBol) {
        re.anchored = true;
        std::size_t n = RegexNext(re, first);
        re.lineStart = LiteralRun(re, n, longest, length);
        re.edgeOnly = !re.lineStart.empty() && RegexOpAt(re, n) == kReEnd;
    } else if ((op == kReStar || op == kRePlus) && RegexOpAt(re, first + 3) == kReAny) {
        re.leadingAny = true;
    }
    // The nodes of the branch's own chain are all passed by every match; a literal among them
    // (or the character under a PLUS) must be in the line.
    longest = length = 0;
    std::vector<std::string> literals;
    for (std::size_t n = first; n;) {
        std::uint8_t kind = RegexOpAt(re, n);
        if (kind == kReExactly) {
            const bool whole = n == first;
            literals.push_back(LiteralRun(re, n, longest, length));
            // A literal right before '$' at the end: the line ends with it.
            if (RegexOpAt(re, n) == kReEol && RegexOpAt(re, RegexNext(re, n)) == kReEnd) {
                re.lineEnd = literals.back();
                re.edgeOnly = whole;
            }
            continue;
        }
        if (kind == kRePlus && RegexOpAt(re, n + 3) == kReExactly)
            literals.emplace_back(reinterpret_cast<const char*>(&re.program[n + 6]));
        n = RegexNext(re, n);
    }
    if ((flags & kStartsStar) && longest)
        re.mustContain.assign(reinterpret_cast<const char*>(&re.program[longest + 3]), length);
    // The longest is searched with a skip table; a few others are checked as well, since a
    // rare one rules a line out as fast.
    std::stable_sort(literals.begin(), literals.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    re.must.Set(literals.empty() ? std::string_view{} : std::string_view{literals[0]});
    re.alsoRequired.clear();
    for (std::size_t i = 1; i < literals.size() && re.alsoRequired.size() < 4; ++i)
        if (std::find(literals.begin(), literals.begin() + static_cast<long>(i), literals[i]) == literals.begin() + static_cast<long>(i))
            re.alsoRequired.push_back(literals[i]);
    return 0;
}

// The characters a match may begin with, following the program from its first node; false
// when a match may be empty (or begin anywhere).
bool FirstCharacters(const Regex& re, std::bitset<256>& set) {
    std::vector<bool> seen(re.program.size(), false);
    std::vector<std::size_t> todo = {kRegexFirstNode};
    while (!todo.empty()) {
        std::size_t n = todo.back();
        todo.pop_back();
        if (n == 0 || n + 3 > re.program.size()) return false;
        if (seen[n]) continue;
        seen[n] = true;
        std::size_t next = RegexNext(re, n);
        switch (RegexOpAt(re, n)) {
            case kReExactly:
                set.set(re.program[n + 3]);
                break;
            case kReAnyOf:
            case kReAnyBut: {
                std::bitset<256> members;
                for (std::size_t p = n + 3; p < re.program.size() && re.program[p]; ++p) members.set(re.program[p]);
                set |= RegexOpAt(re, n) == kReAnyOf ? members : ~members;
                break;
            }
            case kReAny:
            case kReEnd:
            case kReEol:
                return false;
            case kReBranch:
                todo.push_back(n + 3);
                if (RegexOpAt(re, next) == kReBranch) todo.push_back(next);
                break;
            case kReStar:
                todo.push_back(n + 3);
                todo.push_back(next);
                break;
            case kRePlus:
                todo.push_back(n + 3);
                break;
            default:  // BOL, NOTHING, BACK, OPEN, CLOSE: nothing consumed
                todo.push_back(next);
                break;
        }
    }
    return true;
}

// The characters a node one character wide matches; false for any other node.
bool OneCharacter(const Regex& re, std::size_t node, std::bitset<256>& set) {
    switch (RegexOpAt(re, node)) {
        case kReAny:
            set.set();
            return true;
        case kReAnyOf:
        case kReAnyBut:
            if (!re.setAt[node]) return false;
            set = re.sets[re.setAt[node] - 1];
            if (RegexOpAt(re, node) == kReAnyBut) set.flip();
            return true;
        case kReExactly:
            if (node + 4 >= re.program.size() || re.program[node + 4] != 0) return false;
            set.reset();
            set.set(re.program[node + 3]);
            return true;
        default:
            return false;
    }
}

// Numbers the nodes whose failures the matcher may remember.
void IndexChoices(Regex& re) {
    re.choiceAt.assign(re.program.size(), 0);
    re.choiceNodes = 0;
    std::size_t p = kRegexFirstNode;
    while (p + 3 <= re.program.size()) {
        std::uint8_t op = re.program[p];
        bool choice = op == kReStar || op == kRePlus ||
                      (op == kReBranch && RegexOpAt(re, RegexNext(re, p)) == kReBranch && RegexNext(re, p));
        if (choice && re.choiceNodes < 0xFFFF) re.choiceAt[p] = static_cast<std::uint16_t>(++re.choiceNodes);
        p += 3;
        if (op == kReAnyOf || op == kReAnyBut || op == kReExactly) {
            while (p < re.program.size() && re.program[p]) ++p;
            ++p;
        }
    }
    re.firstSet.reset();
    re.firstSetKnown = FirstCharacters(re, re.firstSet);

    re.skipLoop = 0;
    std::size_t first = kRegexFirstNode + 3;
    if (RegexOpAt(re, RegexNext(re, kRegexFirstNode)) != kReEnd) return;  // several branches
    std::size_t loop = RegexNext(re, first);
    std::bitset<256> head, body;
    if ((RegexOpAt(re, loop) == kReStar || RegexOpAt(re, loop) == kRePlus) && re.choiceAt[loop] &&
        OneCharacter(re, first, head) && OneCharacter(re, loop + 3, body) && (head & ~body).none())
        re.skipLoop = loop;
}

// The nodes lie one after the other, each followed by its operand: one walk finds every set.
void IndexSets(Regex& re) {
    re.sets.clear();
    re.setAt.assign(re.program.size(), 0);
    std::size_t p = kRegexFirstNode;
    while (p + 3 <= re.program.size()) {
        std::uint8_t op = re.program[p];
        std::size_t node = p;
        p += 3;
        if (op != kReAnyOf && op != kReAnyBut && op != kReExactly) continue;
        std::bitset<256> members;
        for (; p < re.program.size() && re.program[p]; ++p) members.set(re.program[p]);
        ++p;
        if (op == kReExactly) continue;
        re.sets.push_back(members);
        re.setAt[node] = static_cast<std::uint16_t>(re.sets.size());
    }
}

}  // namespace

std::uint8_t RegexOpAt(const Regex& re, std::size_t node) {
    return node < re.program.size() ? re.program[node] : std::uint8_t{kReEnd};
}

std::size_t RegexNext(const Regex& re, std::size_t node) {
    if (node + 2 >= re.program.size()) return 0;
    unsigned offset = (static_cast<unsigned>(re.program[node + 1]) << 8) | re.program[node + 2];
    if (offset == 0) return 0;
    if (re.program[node] == kReBack) return offset <= node ? node - offset : 0;
    return node + offset;
}

unsigned CompileRegexQuietly(std::string_view pattern, Regex& out) {
    // Operands are NUL-terminated, so a NUL cannot be part of a pattern.
    if (pattern.find('\0') != std::string_view::npos) return kMsgRegexBad;
    Compiler c;
    c.pattern = pattern;
    c.size = 1;  // the magic byte
    int flags = 0;
    c.Alternation(false, flags);
    if (c.error) return c.error;
    if (c.size >= kRegexMaxProgram) return kMsgRegexBad;

    Regex re;
    re.source = pattern;
    re.program.reserve(c.size + 100);
    Compiler emit;
    emit.pattern = pattern;
    emit.measuring = false;
    emit.code = &re.program;
    emit.Byte(kRegexMagic);
    emit.Alternation(false, flags);
    if (emit.error) return emit.error;
    Optimise(re, flags);
    IndexSets(re);
    IndexChoices(re);
    BuildRow(re);
    out = std::move(re);
    return 0;
}

std::unique_ptr<Regex> CompileRegex(std::string_view pattern) {
    auto re = std::make_unique<Regex>();
    if (unsigned error = CompileRegexQuietly(pattern, *re)) {
        base::ErrorBoxId(error);
        return nullptr;
    }
    return re;
}

}  // namespace tarvo::editor
