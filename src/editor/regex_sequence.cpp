// Patterns that are a row of pieces one character wide (as sum_[0-9]+\( or int [a-z]+ =) are
// the common case of a search, and matching them needs none of the matcher's machinery: each
// piece is a table of 256 flags, a piece under '*' or '+' takes the longest run of its
// characters and gives them back one at a time, exactly as the node program does, so the
// first match found is the same. The walk is bounded; a line that would take longer (long runs
// given back over and over) goes to the node program, which remembers its failures.
#include <algorithm>

#include "editor/byte_search.h"
#include "editor/regex.h"

namespace tarvo::editor {
namespace {

constexpr std::size_t kMaxPieces = 256;  // 64 KB of tables at most
constexpr std::size_t kMaxLoops = 16;    // the walk recurses once per loop
// Work allowed for one place of a stretch of lines; beyond it the place is simply offered.
constexpr std::size_t kPlaceSteps = 1024;
constexpr std::size_t kWindow = 1024;

enum Outcome { kNo, kYes, kUnsure };

struct Walk {
    const Regex& re;
    const unsigned char* text;
    std::size_t n;
    // The text is cut off in a longer stretch: running into its end proves nothing, and '$'
    // holds anywhere.
    bool openEnd = false;
    std::size_t steps = 0;
    std::size_t budget = 0;
    std::size_t secondRunEnd = 0;  // where the run of piece 1 ended (see skipLoop)

    std::size_t Pieces() const { return re.pieceLoop.size(); }
    bool In(std::size_t piece, std::size_t pos) const { return re.pieceTable[piece * 256 + text[pos]] != 0; }

    // The rest of the row from piece i at pos; `end` receives the match's end.
    Outcome Rest(std::size_t i, std::size_t pos, std::size_t& end) {
        const std::size_t k = Pieces();
        for (; i < k && re.pieceLoop[i] == 0; ++i, ++pos)
            if (pos >= n || !In(i, pos)) return pos >= n && openEnd ? kUnsure : kNo;
        if (i == k) {
            if (re.rowAtEnd && pos != n && !openEnd) return kNo;
            end = pos;
            return kYes;
        }
        std::size_t e = pos;
        while (e < n && In(i, e)) ++e;
        if (i == 1) secondRunEnd = e;
        steps += e - pos + 1;
        if (steps > budget || (e == n && openEnd)) return kUnsure;
        const std::size_t least = re.pieceLoop[i] == 2 ? 1 : 0;
        if (e < pos + least) return kNo;
        // Only counts after which the next piece can go on are worth trying.
        const bool filter = i + 1 < k && re.pieceLoop[i + 1] != 1;
        const bool last = i + 1 == k && re.rowAtEnd && !openEnd;
        for (std::size_t c = e;; --c) {
            ++steps;
            if (last ? c == n : !filter || (c < n && In(i + 1, c))) {
                Outcome r = Rest(i + 1, c, end);
                if (r != kNo) return r;
                if (steps > budget) return kUnsure;
            }
            if (c == pos + least) return kNo;
            if (last) return kNo;  // only the whole run can reach the end
        }
    }
};

// Whether the first piece is one character, and which.
bool SingleFirst(const Regex& re, unsigned char& c) {
    int count = 0;
    for (int v = 0; v < 256; ++v)
        if (re.pieceTable[v]) c = static_cast<unsigned char>(v), ++count;
    return count == 1;
}

// The skip over places that cannot begin a match, as a search for one literal skips
// (Horspool), with a set of characters for each place instead of one: the leading pieces that
// take exactly one character (a '+' still takes one) are a window; when the character under
// its last place is in none of the window's later sets, no place up to there can begin a
// match.
void BuildShift(Regex& re) {
    std::size_t fixed = 0;
    while (fixed < re.pieceLoop.size() && fixed < 255 && re.pieceLoop[fixed] == 0) ++fixed;
    if (fixed < re.pieceLoop.size() && fixed < 255 && re.pieceLoop[fixed] == 2) ++fixed;
    re.rowFixed = fixed;
    re.rowShift.assign(256, static_cast<std::uint8_t>(fixed));
    for (int c = 0; c < 256; ++c)
        for (std::size_t d = 0; d < fixed; ++d)
            if (re.pieceTable[(fixed - 1 - d) * 256 + static_cast<std::size_t>(c)]) {
                re.rowShift[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(d);
                break;
            }
}

}  // namespace

void BuildRow(Regex& re) {
    re.pieceTable.clear();
    re.pieceLoop.clear();
    re.rowAtEnd = false;
    re.rowAcrossLines = false;
    re.rowWithoutLiteral = false;
    re.rowFixed = 0;
    re.rowShift.clear();
    std::size_t branch = kRegexFirstNode;
    if (RegexOpAt(re, branch) != kReBranch || RegexOpAt(re, RegexNext(re, branch)) != kReEnd) return;
    std::vector<std::uint8_t> table, loop;
    std::size_t loops = 0;
    auto add = [&](std::size_t node, std::uint8_t kind) {
        std::size_t at = table.size();
        table.resize(at + 256, 0);
        switch (RegexOpAt(re, node)) {
            case kReAny:
                std::fill(table.begin() + static_cast<long>(at), table.end(), 1);
                break;
            case kReAnyOf:
            case kReAnyBut: {
                if (!re.setAt[node]) return false;
                const std::bitset<256>& set = re.sets[re.setAt[node] - 1];
                bool but = RegexOpAt(re, node) == kReAnyBut;
                for (int v = 0; v < 256; ++v) table[at + v] = set.test(v) != but;
                break;
            }
            default:
                return false;
        }
        loop.push_back(kind);
        return true;
    };
    std::size_t n = branch + 3;
    if (RegexOpAt(re, n) == kReBol) n = RegexNext(re, n);  // the caller tries column 0 only
    for (; n; n = RegexNext(re, n)) {
        if (table.size() / 256 > kMaxPieces) return;
        std::uint8_t op = RegexOpAt(re, n);
        if (op == kReEnd) break;
        if (op == kReEol) {
            if (RegexOpAt(re, RegexNext(re, n)) != kReEnd) return;
            re.rowAtEnd = true;
            continue;
        }
        if (op == kReExactly) {
            for (std::size_t p = n + 3; p < re.program.size() && re.program[p]; ++p) {
                if (loop.size() >= kMaxPieces) return;
                table.resize(table.size() + 256, 0);
                table[table.size() - 256 + re.program[p]] = 1;
                loop.push_back(0);
            }
            continue;
        }
        if (op == kReStar || op == kRePlus) {
            std::size_t operand = n + 3;
            std::uint8_t kind = op == kReStar ? 1 : 2;
            if (++loops > kMaxLoops) return;
            if (RegexOpAt(re, operand) == kReExactly) {
                // The counting loop repeats the operand's first character.
                if (operand + 3 >= re.program.size() || !re.program[operand + 3]) return;
                table.resize(table.size() + 256, 0);
                table[table.size() - 256 + re.program[operand + 3]] = 1;
                loop.push_back(kind);
                continue;
            }
            if (!add(operand, kind)) return;
            continue;
        }
        if (!add(n, 0)) return;  // groups, choices and the like: not a row
    }
    if (loop.empty() || loop.size() > kMaxPieces) return;
    re.pieceTable = std::move(table);
    re.pieceLoop = std::move(loop);
    // A loop over '.' would run on through the following lines to the end of every window.
    bool anyLoop = false;
    for (std::size_t i = 0; i < re.pieceLoop.size(); ++i)
        if (re.pieceLoop[i] && std::all_of(re.pieceTable.begin() + static_cast<long>(i * 256),
                                           re.pieceTable.begin() + static_cast<long>(i * 256 + 256), [](std::uint8_t f) { return f != 0; }))
            anyLoop = true;
    re.rowAcrossLines = !re.anchored && !re.prefix.text.empty() && !re.literalOnly && !anyLoop &&
                        (re.must.text.empty() || re.must.text == re.prefix.text);
    re.rowWithoutLiteral = !re.anchored && re.prefix.text.empty() && re.must.text.empty() && !anyLoop &&
                           re.pieceLoop[0] != 1;
    if (re.rowWithoutLiteral) BuildShift(re);
}

RegexResult MatchRow(const Regex& re, std::string_view line, std::size_t from, std::size_t& start, std::size_t& end) {
    const std::size_t n = line.size();
    Walk w{re, reinterpret_cast<const unsigned char*>(line.data()), n};
    w.budget = 4096 + 16 * n;
    auto attempt = [&](std::size_t at) {
        Outcome r = w.Rest(0, at, end);
        if (r == kYes) start = at;
        return r;
    };
    if (from > n) return RegexResult::NoMatch;
    Outcome r = kNo;
    if (re.anchored) {
        if (from == 0) r = attempt(0);
    } else if (re.leadingAny) {
        r = attempt(from);  // ".*" or ".+" from the first start covers every later one
    } else if (!re.prefix.text.empty()) {
        for (std::size_t at = from; r == kNo; ++at) {
            at = re.prefix.Find(line, at);
            if (at == std::string_view::npos) break;
            r = attempt(at);
        }
    } else if (re.pieceLoop[0] != 1) {
        // A start holds a character of the first piece; after a failed start, one inside the
        // run of a loop holding the first piece's characters fails as well.
        for (std::size_t at = from; at < n && r == kNo; ++at) {
            if (!w.In(0, at)) continue;
            w.secondRunEnd = 0;
            r = attempt(at);
            if (r == kNo && re.skipLoop && w.secondRunEnd > at + 1) at = w.secondRunEnd - 1;
        }
    } else {
        for (std::size_t at = from; at <= n && r == kNo; ++at) r = attempt(at);
    }
    return r == kYes ? RegexResult::Match : r == kNo ? RegexResult::NoMatch : RegexResult::Failed;
}

std::size_t FindRowStart(const Regex& re, std::string_view stretch, std::size_t from, std::size_t* length) {
    constexpr std::size_t none = std::string_view::npos;
    const auto* text = reinterpret_cast<const unsigned char*>(stretch.data());
    unsigned char single = 0;
    const bool byByte = re.prefix.text.empty() && SingleFirst(re, single);
    for (std::size_t at = from; at < stretch.size(); ++at) {
        if (!re.prefix.text.empty()) {
            at = re.prefix.Find(stretch, at);
            if (at == none) return none;
        } else if (byByte) {
            const char* hit = FindByte(stretch.data() + at, stretch.data() + stretch.size(), static_cast<char>(single));
            at = static_cast<std::size_t>(hit - stretch.data());
            if (at == stretch.size()) return none;
        } else {
            if (re.rowFixed > 1) {
                // No match needs more than the stretch holds: its lines end with it.
                const std::size_t last = re.rowFixed - 1;
                for (std::size_t d; at + last < stretch.size() && (d = re.rowShift[text[at + last]]) != 0;) at += d;
                if (at + last >= stretch.size()) return none;
            }
            if (!re.pieceTable[text[at]]) continue;
        }
        // The rest is tried on a window of the stretch; running off it proves nothing.
        Walk w{re, text + at, std::min(stretch.size() - at, kWindow)};
        w.openEnd = true;
        w.budget = kPlaceSteps;
        std::size_t end = 0;
        Outcome r = w.Rest(0, 0, end);
        if (r == kNo) continue;
        // Without '$' a sure match is the one a line holding it whole would give: the ways
        // tried before it that ran on past the line's end are no ways there.
        if (length) *length = r == kYes && !re.rowAtEnd ? end : none;
        return at;
    }
    return none;
}

}  // namespace tarvo::editor
