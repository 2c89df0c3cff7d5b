// The regular-expression matcher: a depth-first backtracking walk of the node program. The
// alternatives still to be tried are kept on an explicit stack rather than the machine stack,
// so a long line or a deep pattern cannot overflow it. Whether the rest of the program can
// match from a node at a position depends on nothing else (there are no back references),
// so once every way on from a choice has failed, the failure is remembered and the choice is
// not explored there again: the work is bounded by the line's length times the program's size
// instead of growing exponentially.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "editor/regex.h"
#include "editor/search_messages.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

enum FrameKind : std::uint8_t {
    kAlternative,   // resume at the BRANCH `node` from `pos`
    kRepeat,        // retry the STAR/PLUS `node` from `pos` taking `value` characters
    kRestoreStart,  // put back the start of group `node`
    kRestoreEnd,
    kBranchFailed,  // every alternative of the BRANCH `node` at `pos` has failed
    kRepeatFailed,  // every count of the STAR/PLUS `node` at `pos` (a run of `value`) failed
};

// A STAR or PLUS that failed from every position in [from, end]: a run of the same operand
// from any of them ends at `end`, so it offers only counts already tried.
struct RunFailure {
    std::uint32_t from = 0xFFFFFFFF;
    std::uint32_t end = 0;
};

struct Frame {
    std::uint32_t node : 29;
    std::uint32_t kind : 3;
    std::uint32_t pos;
    std::int32_t value;
};

struct Matcher {
    const Regex& re;
    std::string_view text;
    const RegexLimits& limits;
    std::vector<Frame>& stack;
    RegexMatch& match;
    std::size_t steps = 0;
    std::size_t budget = 0;     // steps allowed for this line
    std::size_t memoFrom = 0;   // steps after which branch failures are remembered
    std::size_t choices = 0;  // alternatives and repeats on the stack
    unsigned error = 0;
    std::vector<RunFailure> runs{};         // per choice node
    std::vector<std::uint64_t> failedAt{};  // per choice node and position, once enabled
    bool remember = false;

    // Remembering branch failures costs a bit per choice node and position; a search that
    // ends quickly never pays for it.
    void StartRemembering() {
        memoFrom = budget;  // once
        std::uint64_t bits = static_cast<std::uint64_t>(re.choiceNodes) * (text.size() + 1);
        if (re.choiceNodes == 0 || bits > (std::uint64_t{1} << 31)) return;
        failedAt.assign(static_cast<std::size_t>((bits + 63) / 64), 0);
        remember = true;
    }
    std::size_t Bit(std::size_t node, std::size_t pos) const {
        return (re.choiceAt[node] - 1u) * (text.size() + 1) + pos;
    }
    bool BranchFailed(std::size_t node, std::size_t pos) const {
        std::size_t b = Bit(node, pos);
        return (failedAt[b / 64] >> (b % 64)) & 1u;
    }
    void RunFailed(std::size_t node, std::size_t from, std::size_t end) {
        if (runs.empty()) runs.resize(re.choiceNodes);  // only once something failed
        RunFailure& r = runs[re.choiceAt[node] - 1u];
        if (r.from != 0xFFFFFFFF && r.end == end) {
            r.from = std::min(r.from, static_cast<std::uint32_t>(from));
        } else {
            r.from = static_cast<std::uint32_t>(from);
            r.end = static_cast<std::uint32_t>(end);
        }
    }
    const RunFailure* Failed(std::size_t node) const {
        if (!re.choiceAt[node] || runs.empty()) return nullptr;
        const RunFailure& r = runs[re.choiceAt[node] - 1u];
        return r.from != 0xFFFFFFFF ? &r : nullptr;
    }
    // A failure of the STAR or PLUS `node` from a place after `pos`.
    const RunFailure* EarlierFailure(std::size_t node, std::size_t pos) const {
        if (!re.choiceAt[node] || runs.empty()) return nullptr;
        const RunFailure& r = runs[re.choiceAt[node] - 1u];
        return r.from != 0xFFFFFFFF && pos < r.from ? &r : nullptr;
    }
    bool RunKnownToFail(std::size_t node, std::size_t pos) const {
        if (!re.choiceAt[node] || runs.empty()) return false;
        const RunFailure& r = runs[re.choiceAt[node] - 1u];
        return r.from != 0xFFFFFFFF && r.from <= pos && pos <= r.end;
    }

    std::size_t Size() const { return re.program.size(); }
    std::uint8_t Op(std::size_t p) const { return re.program[p]; }

    bool Member(std::size_t node, unsigned char c) const {
        if (node < re.setAt.size() && re.setAt[node]) return re.sets[re.setAt[node] - 1].test(c);
        for (std::size_t p = node + 3; p < Size() && re.program[p]; ++p)
            if (re.program[p] == c) return true;
        return false;
    }

    // How many characters from pos on (up to `n`) the simple node matches, one after the other.
    std::size_t Repeat(std::size_t node, std::size_t pos, std::size_t n) {
        std::size_t i = pos;
        switch (Op(node)) {
            case kReAny:
                return n - pos;
            case kReExactly: {
                char c = node + 3 < Size() ? static_cast<char>(re.program[node + 3]) : '\0';
                while (i < n && text[i] == c && c) ++i;
                break;
            }
            case kReAnyOf:
                while (i < n && Member(node, static_cast<unsigned char>(text[i]))) ++i;
                break;
            case kReAnyBut:
                while (i < n && !Member(node, static_cast<unsigned char>(text[i]))) ++i;
                break;
            default:
                error = kMsgRegexBad;  // not a simple node: the program is corrupt
                return 0;
        }
        steps += i - pos;
        return i - pos;
    }

    bool Push(FrameKind kind, std::size_t node, std::size_t pos, long value) {
        if (stack.size() >= limits.backtrack) {
            error = kMsgRegexTooComplex;
            return false;
        }
        Frame f;
        f.node = static_cast<std::uint32_t>(node);
        f.kind = kind;
        f.pos = static_cast<std::uint32_t>(pos);
        f.value = static_cast<std::int32_t>(value);
        stack.push_back(f);
        if (kind == kAlternative || kind == kRepeat) ++choices;
        return true;
    }

    // A group boundary; the old value is kept only while an alternative could bring it back.
    bool SetGroup(bool start, int group, std::size_t pos) {
        long& slot = start ? match.start[group] : match.end[group];
        if (choices && !Push(start ? kRestoreStart : kRestoreEnd, group, 0, slot)) return false;
        slot = static_cast<long>(pos);
        return true;
    }

    // The largest count from `count` down to `least` after which the next node's first
    // character follows (any count when that is unknown); -1 when none.
    long Settle(std::size_t node, std::size_t base, long count, long least) {
        std::size_t next = RegexNext(re, node);
        if (next == 0 || next >= Size() || Op(next) != kReExactly || next + 3 >= Size()) return count >= least ? count : -1;
        char c = static_cast<char>(re.program[next + 3]);
        long k = count;
        while (k >= least && (base + k >= text.size() || text[base + k] != c)) --k;
        steps += static_cast<std::size_t>(count - k);
        return k >= least ? k : -1;
    }

    // Resumes from the newest alternative; false when none is left.
    bool Backtrack(std::size_t& scan, std::size_t& pos) {
        while (!stack.empty()) {
            Frame f = stack.back();
            stack.pop_back();
            switch (f.kind) {
                case kRestoreStart:
                    match.start[f.node] = f.value;
                    continue;
                case kRestoreEnd:
                    match.end[f.node] = f.value;
                    continue;
                case kBranchFailed: {
                    std::size_t b = Bit(f.node, f.pos);
                    failedAt[b / 64] |= std::uint64_t{1} << (b % 64);
                    continue;
                }
                case kRepeatFailed:
                    RunFailed(f.node, f.pos, f.pos + static_cast<std::size_t>(f.value));
                    continue;
                case kAlternative:
                    --choices;
                    scan = f.node;
                    pos = f.pos;
                    return true;
                case kRepeat: {
                    --choices;
                    long least = Op(f.node) == kReStar ? 0 : 1;
                    long k = Settle(f.node, f.pos, f.value, least);
                    if (k < 0) continue;
                    if (k > least && !Push(kRepeat, f.node, f.pos, k - 1)) return false;
                    scan = RegexNext(re, f.node);
                    pos = f.pos + static_cast<std::size_t>(k);
                    return true;
                }
            }
        }
        return false;
    }

    // Runs the program from `start`; true on a match, which then fills group 0.
    bool Try(std::size_t start) {
        stack.clear();
        choices = 0;
        match.start.fill(-1);
        match.end.fill(-1);
        std::size_t scan = kRegexFirstNode;
        std::size_t pos = start;
        const std::size_t n = text.size();
        for (;;) {
            if (error) return false;
            if (++steps > memoFrom) {
                if (steps > budget) {
                    error = kMsgRegexTooComplex;
                    return false;
                }
                if (!remember) StartRemembering();
            }
            bool ok = true;
            if (scan == 0 || scan + 3 > Size()) {
                error = kMsgRegexBad;
                return false;
            }
            std::uint8_t op = Op(scan);
            std::size_t next = RegexNext(re, scan);
            switch (op) {
                case kReEnd:
                    match.start[0] = static_cast<long>(start);
                    match.end[0] = static_cast<long>(pos);
                    return true;
                case kReBol:
                    ok = pos == 0;
                    break;
                case kReEol:
                    ok = pos == n;
                    break;
                case kReAny:
                    ok = pos < n;
                    ++pos;
                    break;
                case kReExactly: {
                    std::size_t p = scan + 3;
                    while (ok && p < Size() && re.program[p]) {
                        ok = pos < n && text[pos] == static_cast<char>(re.program[p]);
                        ++pos, ++p;
                    }
                    break;
                }
                case kReAnyOf:
                case kReAnyBut:
                    ok = pos < n && Member(scan, static_cast<unsigned char>(text[pos])) == (op == kReAnyOf);
                    ++pos;
                    break;
                case kReNothing:
                case kReBack:
                    break;
                case kReBranch:
                    if (next && next < Size() && Op(next) == kReBranch) {
                        if (remember && re.choiceAt[scan]) {
                            if (BranchFailed(scan, pos)) {
                                ok = false;
                                break;
                            }
                            if (!Push(kBranchFailed, scan, pos, 0)) return false;
                        }
                        if (!Push(kAlternative, next, pos, 0)) return false;
                    }
                    next = scan + 3;
                    break;
                case kReStar:
                case kRePlus: {
                    if (RunKnownToFail(scan, pos)) {
                        ok = false;
                        break;
                    }
                    long least = op == kReStar ? 0 : 1;
                    // A run that reaches the start of a failed one ends where it ended, and
                    // need not go as far as the places from which the rest already failed.
                    const RunFailure* failed = EarlierFailure(scan, pos);
                    long run = static_cast<long>(Repeat(scan + 3, pos, failed ? failed->from : n));
                    long count = run;
                    if (failed && pos + static_cast<std::size_t>(run) == failed->from) {
                        run = static_cast<long>(failed->end - pos);
                        count = static_cast<long>(failed->from - pos) + least - 1;
                    }
                    long k = error ? -1 : Settle(scan, pos, count, least);
                    if (k < 0) {
                        if (!error && re.choiceAt[scan]) RunFailed(scan, pos, pos + static_cast<std::size_t>(run));
                        ok = false;
                        break;
                    }
                    if (re.choiceAt[scan] && !Push(kRepeatFailed, scan, pos, run)) return false;
                    if (k > least && !Push(kRepeat, scan, pos, k - 1)) return false;
                    pos += static_cast<std::size_t>(k);
                    break;
                }
                default:
                    if (op > kReOpen && op < kReOpen + kRegexGroups) {
                        ok = SetGroup(true, op - kReOpen, pos);
                    } else if (op > kReClose && op < kReClose + kRegexGroups) {
                        ok = SetGroup(false, op - kReClose, pos);
                    } else {
                        error = kMsgRegexBad;
                        return false;
                    }
                    if (!ok && error) return false;
                    break;
            }
            if (ok) {
                scan = next;
                continue;
            }
            if (error || !Backtrack(scan, pos)) return false;
        }
    }
};

}  // namespace

RegexResult ExecuteRegexQuietly(const Regex& re, std::string_view line, std::size_t from, RegexMatch& match,
                                unsigned& error, const RegexLimits& limits) {
    error = 0;
    match.start.fill(-1);
    match.end.fill(-1);
    if (re.program.empty() || re.program[0] != kRegexMagic) {
        error = kMsgRegexBad;
        return RegexResult::Failed;
    }
    // Positions are kept in 32 bits on the backtracking stack.
    if (line.size() >= 0x7FFFFFFF) {
        error = kMsgRegexTooComplex;
        return RegexResult::Failed;
    }
    if (from > line.size()) return RegexResult::NoMatch;
    if (re.literalOnly && re.program[kRegexFirstNode] == kReBranch && RegexOpAt(re, kRegexFirstNode + 3) == kReExactly) {
        // The whole program is one literal: where it is found is the match.
        std::size_t at = re.prefix.Find(line, from);
        if (at == std::string_view::npos) return RegexResult::NoMatch;
        match.start[0] = static_cast<long>(at);
        match.end[0] = static_cast<long>(at + re.prefix.text.size());
        return RegexResult::Match;
    }
    // The row stands for the program only while the program still begins as compiled.
    const bool row = !re.pieceLoop.empty() && re.program.size() > kRegexFirstNode + 3 && re.program[kRegexFirstNode] == kReBranch;
    // A row that begins with the one literal it requires is ruled out as fast by its own walk
    // from each place the literal stands.
    if (!(row && re.rowAcrossLines)) {
        // A required literal that is also the prefix is found by the search for starts anyway.
        if (!re.must.text.empty() && re.must.text != re.prefix.text && re.must.Find(line, from) == std::string_view::npos)
            return RegexResult::NoMatch;
        for (const std::string& literal : re.alsoRequired)
            if (line.find(literal, from) == std::string_view::npos) return RegexResult::NoMatch;
    }

    if (row) {
        std::size_t start = 0, end = 0;
        switch (MatchRow(re, line, from, start, end)) {
            case RegexResult::Match:
                match.start[0] = static_cast<long>(start);
                match.end[0] = static_cast<long>(end);
                return RegexResult::Match;
            case RegexResult::NoMatch:
                return RegexResult::NoMatch;
            case RegexResult::Failed:
                break;  // more work than the short walk allows: the program remembers its failures
        }
    }

    // The stack's block is kept from one line to the next (a search calls this per line);
    // a nested call would simply find none to take.
    thread_local std::vector<Frame> spare;
    std::vector<Frame> stack;
    stack.swap(spare);
    Matcher m{re, line, limits, stack, match};
    // The bound grows with the line, so no ordinary search of a long line gives up.
    const std::size_t n = line.size();
    m.budget = n && limits.stepsPerChar > (SIZE_MAX - limits.steps) / n ? SIZE_MAX : limits.steps + limits.stepsPerChar * n;
    m.memoFrom = std::min(m.budget, 4096 + 16 * n);
    auto attempt = [&](std::size_t start) {
        if (m.Try(start)) return RegexResult::Match;
        return m.error ? RegexResult::Failed : RegexResult::NoMatch;
    };
    RegexResult result = RegexResult::NoMatch;
    if (re.anchored) {
        // '^' holds only at the start of the line.
        if (from == 0) result = attempt(0);
    } else if (re.leadingAny) {
        // Whatever a later start could match, ".*" or ".+" from the first one covers too.
        result = attempt(from);
    } else if (!re.prefix.text.empty()) {
        for (std::size_t at = from; result == RegexResult::NoMatch; ++at) {
            at = re.prefix.Find(line, at);
            if (at == std::string_view::npos) break;
            result = attempt(at);
        }
    } else if (re.firstSetKnown) {
        // No match is empty, so only positions holding a possible first character count.
        const unsigned char* text = reinterpret_cast<const unsigned char*>(line.data());
        for (std::size_t at = from; at < n && result == RegexResult::NoMatch; ++at) {
            if (!re.firstSet.test(text[at])) continue;
            result = attempt(at);
            // Starts whose loop would begin inside a run that already failed fail as well.
            if (const RunFailure* r = re.skipLoop ? m.Failed(re.skipLoop) : nullptr;
                r && result == RegexResult::NoMatch && r->from <= at + 1 && at + 1 <= r->end && r->end > at + 1)
                at = r->end - 1;
        }
    } else {
        for (std::size_t at = from; at <= line.size() && result == RegexResult::NoMatch; ++at) result = attempt(at);
    }
    if (result == RegexResult::Failed) {
        error = m.error;
        match.start.fill(-1);
        match.end.fill(-1);
    }
    if (result == RegexResult::NoMatch) {
        match.start.fill(-1);
        match.end.fill(-1);
    }
    if (stack.capacity() <= 4096) {
        stack.clear();
        spare.swap(stack);
    }
    return result;
}

RegexResult ExecuteRegex(const Regex& re, std::string_view line, std::size_t from, RegexMatch& match,
                         const RegexLimits& limits) {
    unsigned error = 0;
    RegexResult result = ExecuteRegexQuietly(re, line, from, match, error, limits);
    if (result == RegexResult::Failed) base::ErrorBoxId(error);
    return result;
}

}  // namespace tarvo::editor
