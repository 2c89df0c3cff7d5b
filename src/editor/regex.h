// Regular expressions: a compiler from a pattern to a small node program, and a backtracking
// matcher that runs the program over one line of text.
//
// Syntax: branches separated by '|'; pieces are atoms with an optional '*', '+' or '?'; atoms
// are '^', '$', '.', '(' pattern ')', '[' set ']', '\' and any character, or a run of ordinary
// characters. Matching is always case-sensitive.
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::editor {

inline constexpr std::uint8_t kRegexMagic = 83;  // first byte of every program ('S')

// Node kinds. Every node is three bytes (kind, then a 16-bit offset to the next node, high
// byte first; zero for none), optionally followed by its operand.
enum RegexOp : std::uint8_t {
    kReEnd = 0,      // end of program
    kReBol = 1,      // start of the line
    kReEol = 2,      // end of the line
    kReAny = 3,      // any one character
    kReAnyOf = 4,    // one character of the NUL-terminated set
    kReAnyBut = 5,   // one character not in the set
    kReBranch = 6,   // try this alternative, then the next BRANCH
    kReBack = 7,     // jump backwards (the offset counts back)
    kReExactly = 8,  // the NUL-terminated string
    kReNothing = 9,  // the empty string
    kReStar = 10,    // the following simple node, 0 or more times, greedily
    kRePlus = 11,    // the following simple node, 1 or more times, greedily
    kReOpen = 20,    // 20 + n: start of group n (1 to 9)
    kReClose = 30,   // 30 + n: its end
};

inline constexpr int kRegexGroups = 10;         // group 0 is the whole match
inline constexpr std::size_t kRegexMaxProgram = 32767;

// A literal searched for quickly (needle.cpp): the candidates are the places where two of its
// characters, the rarest ones in ordinary text, stand at the right distance, tested sixteen
// places at a time where the machine can; each candidate is then compared whole.
struct RegexNeedle {
    std::string text;        // in upper case when folding
    std::size_t rare = 0;    // index of the rarest character
    std::size_t second = 0;  // index of the next rarest (another index when there are two)
    bool fold = false;       // ASCII letters match in either case

    void Set(std::string_view literal, bool foldCase = false);
    // Offset of the first occurrence at or after `from`, or npos.
    std::size_t Find(std::string_view haystack, std::size_t from) const;
};

struct Regex {
    std::string source;                 // the pattern it was compiled from
    std::vector<std::uint8_t> program;  // the magic byte, then the nodes
    // Optimisation data, only for a pattern of a single branch:
    std::uint8_t firstChar = 0;  // every match begins with it; 0 when unknown
    bool anchored = false;       // the branch begins with '^'
    std::string mustContain;     // every match contains it (branch begins with x* or x+)
    // Not in the stored layout but derived from it: the literal every match begins with, and
    // whether the branch begins with ".*" or ".+" (then only the first start can succeed).
    RegexNeedle prefix;
    // A literal every match contains (the longest one the branch cannot skip), so lines
    // without it are never tried; for any single-branch pattern, not only those above.
    RegexNeedle must;
    std::vector<std::string> alsoRequired;  // the branch's other literals (a few)
    // Literals a matching line begins with ('^' and a literal) or ends with (a literal and '$'
    // at the end of the pattern); empty when there is none. Consecutive literal pieces (as
    // "table\\[i\\]") count as one literal everywhere here.
    std::string lineStart;
    std::string lineEnd;
    bool edgeOnly = false;  // the pattern is only one of these and its anchor
    bool leadingAny = false;
    bool literalOnly = false;  // the program is one literal and nothing else
    // The characters a match can begin with; all of them when it may be empty.
    std::bitset<256> firstSet;
    bool firstSetKnown = false;
    // The members of each set node, so a character is tested in one step.
    std::vector<std::bitset<256>> sets;
    std::vector<std::uint16_t> setAt;  // per program offset: 1 + index into sets, 0 for none
    // Per program offset: 1 + index of the choice node (a BRANCH with an alternative, or a
    // STAR or PLUS) whose failures the matcher remembers; 0 for other nodes.
    std::vector<std::uint16_t> choiceAt;
    std::size_t choiceNodes = 0;
    // A pattern that begins with a character of a set X and a loop over a set holding X (as
    // [a-z_][a-z0-9_]*): once a start failed, so does every start inside the loop's run, and
    // the search skips to its end. The loop's offset, or 0.
    std::size_t skipLoop = 0;
    // A pattern of one branch that is only a row of pieces one character wide (characters,
    // '.', sets, each perhaps under '*' or '+'), perhaps between '^' and '$', with no group, is
    // also kept as that row: a table of 256 flags per piece, so it is matched by short loops
    // instead of walking the program (regex_sequence.cpp). Empty when the pattern is not one.
    std::vector<std::uint8_t> pieceTable;   // 256 flags per piece
    std::vector<std::uint8_t> pieceLoop;    // per piece: 0 once, 1 under '*', 2 under '+'
    bool rowAtEnd = false;                  // the row ends with '$'
    // The row begins with a literal, which is all it requires: a search of many lines looks
    // for the row itself across them (FindRowStart) rather than for the literal alone.
    bool rowAcrossLines = false;
    // The row holds no literal at all but can still be looked for across lines (it begins with
    // a piece taken at least once and has no loop over '.'): FindRowStart skips along it.
    bool rowWithoutLiteral = false;
    // For FindRowStart without a literal: the row's first `rowFixed` pieces each take exactly
    // one character, and `rowShift` gives, for the character under the last of them, how far
    // the next place that could hold a match lies (0: this place may).
    std::size_t rowFixed = 0;
    std::vector<std::uint8_t> rowShift;
};

// Group n spans [start[n], end[n]) of the line; -1 when the group took no part.
struct RegexMatch {
    std::array<long, kRegexGroups> start{};
    std::array<long, kRegexGroups> end{};
};

// Compiles a pattern; null after showing the error.
std::unique_ptr<Regex> CompileRegex(std::string_view pattern);
// The same without a message: 0, or the message id of the error.
unsigned CompileRegexQuietly(std::string_view pattern, Regex& out);

enum class RegexResult { NoMatch, Match, Failed };

// The limits that keep a pathological pattern from hanging the editor or exhausting memory.
// The matcher remembers the places from which the rest of the program failed, so the work
// grows with the line's length times the program's size and the step bound grows with the
// line; only a corrupt program or an exhausted stack ends a search early.
struct RegexLimits {
    std::size_t steps = 50'000'000;    // nodes and characters visited for one line, plus...
    std::size_t stepsPerChar = 4096;   // ...this many for each character of the line
    std::size_t backtrack = 2'000'000; // pending alternatives
};

// Tries the program on a line from column `from` on: the leftmost match at or after `from`
// fills `match`. '^' matches only at column 0 of the line. Failed (after the message "Bad
// regular expression" or "Regular expression too complex") for a corrupt program or a match
// beyond the limits.
RegexResult ExecuteRegex(const Regex& re, std::string_view line, std::size_t from, RegexMatch& match,
                         const RegexLimits& limits = {});
// The same without a message; `error` receives the message id on Failed.
RegexResult ExecuteRegexQuietly(const Regex& re, std::string_view line, std::size_t from, RegexMatch& match,
                                unsigned& error, const RegexLimits& limits = {});

// The row of pieces on its own (regex_sequence.cpp): Match, NoMatch, or Failed when the line
// would take more work than a short walk; the node program then decides. Only for a pattern
// with pieces; '^' is left to the caller.
RegexResult MatchRow(const Regex& re, std::string_view line, std::size_t from, std::size_t& start, std::size_t& end);
// Fills the row from the program; none when the pattern is not such a row.
void BuildRow(Regex& re);
// The first place at or after `from` in a stretch of lines lying back to back where a match of
// the row could begin, reading on across line ends; npos when there is none. Every match in
// one of the lines begins at or after the place found (a place found may still not be one).
// Only for a row without '^' whose first piece is taken at least once. `length` receives the
// length of the match from there when it is sure (a line holding all of it has that match
// there), npos otherwise.
std::size_t FindRowStart(const Regex& re, std::string_view stretch, std::size_t from, std::size_t* length = nullptr);

// Helpers for reading a program (tests, the pattern-driven function finder).
std::uint8_t RegexOpAt(const Regex& re, std::size_t node);
std::size_t RegexNext(const Regex& re, std::size_t node);  // 0: none
inline constexpr std::size_t kRegexFirstNode = 1;

}  // namespace tarvo::editor
