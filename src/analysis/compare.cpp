#include "analysis/compare.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <deque>

#include "platform/text.h"

namespace tarvo::analysis {
namespace {

constexpr long kSnakeLimit = 20;       // a snake this long makes the search give up optimality
constexpr long kHeuristicCost = 200;   // ... but only once the cost passed this

bool IsBlank(char c) { return c == ' ' || c == '\t'; }


// The line as the options see it: without its line end, upper-cased, blank runs as one blank
// and no trailing blanks. The exact comparison keeps the line whole, line end included, so
// that a last line without one differs from the same line with one.
std::string_view Canonical(std::string_view line, const CompareOptions& options, std::string& buffer) {
    if (!options.ignoreCase && !options.ignoreSpaces) return line;
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    buffer.clear();
    bool pendingBlank = false;
    for (char c : line) {
        if (options.ignoreSpaces && IsBlank(c)) {
            pendingBlank = true;
            continue;
        }
        if (pendingBlank) buffer += ' ';
        pendingBlank = false;
        buffer += options.ignoreCase ? UpperChar(c) : c;
    }
    return buffer;
}

std::uint32_t HashOf(std::string_view canonical) {
    std::uint32_t h = 0;
    for (char c : canonical) h = ((h << 7) | (h >> 25)) + static_cast<unsigned char>(c);
    return h;
}

// The state of one comparison: class numbers of the lines that take part in the search, the
// map back to their line indexes, the change marks of every line and the search vectors.
struct Comparison {
    std::vector<int> classes[2];       // per text, of every line (0 for the common ends)
    std::vector<int> kept[2];          // class numbers of the lines left after discarding
    std::vector<long> index[2];        // kept line -> line index
    std::vector<char> changed[2];      // per line, with one spare entry at the end
    std::vector<long> forward, backward;
    long offset = 0;                   // diagonal d lives at vector[d + offset]
    long tooExpensive = 0;
    int classCount = 0;                // class numbers run below this

};

// Gives equal lines (under the options) one class number, from 1 up. An open-addressing table
// keyed by the 32-bit hash; a candidate must have the same hash, the same length and the same
// characters.
void AssignClasses(Comparison& cmp, const TextLines* texts[2], long prefix, long suffix,
                   const CompareOptions& options) {
    // Slots are small (hash and class) to keep the table in the cache; the text of each class's
    // first line is kept by class number.
    struct Slot {
        std::uint32_t hash;
        int number;  // 0: empty
    };
    std::size_t lines = texts[0]->size() + texts[1]->size() - 2 * static_cast<std::size_t>(prefix + suffix);
    std::size_t size = 64;
    while (size < 2 * lines) size *= 2;
    std::vector<Slot> table(size, Slot{0, 0});
    std::vector<std::string_view> keys(1);
    std::deque<std::string> canonicalStore;  // keeps option-rewritten lines in place as keys
    std::string buffer;
    for (int f = 0; f < 2; ++f) {
        const TextLines& text = *texts[f];
        long n = static_cast<long>(text.size());
        cmp.classes[f].assign(n, 0);
        for (long i = prefix; i < n - suffix; ++i) {
            std::string_view key = Canonical(text[i], options, buffer);
            std::uint32_t hash = HashOf(key);
            std::size_t at = hash & (size - 1);
            while (table[at].number && (table[at].hash != hash || keys[table[at].number] != key)) at = (at + 1) & (size - 1);
            if (!table[at].number) {
                if (key.data() == buffer.data()) {
                    canonicalStore.push_back(buffer);
                    key = canonicalStore.back();
                }
                table[at] = {hash, static_cast<int>(keys.size())};
                keys.push_back(key);
            }
            cmp.classes[f][i] = table[at].number;
        }
    }
    int next = static_cast<int>(keys.size());
    cmp.classCount = next;
}

// Lines that match nothing in the other text, or far too much, only make the search slower
// and its result worse: they are taken out and count as changed.
void DiscardConfusingLines(Comparison& cmp, long prefix, long suffix) {
    std::vector<long> counts[2];
    long ends[2];
    for (int f = 0; f < 2; ++f) {
        counts[f].assign(static_cast<std::size_t>(cmp.classCount), 0);
        ends[f] = static_cast<long>(cmp.classes[f].size()) - suffix;
        for (long i = prefix; i < ends[f]; ++i) ++counts[f][cmp.classes[f][i]];
    }
    for (int f = 0; f < 2; ++f) {
        long lines = ends[f] - prefix;
        std::vector<char> discards(lines, 0);
        long many = 5;
        for (long tem = lines / 64; (tem >>= 2) > 0;) many *= 2;
        for (long i = 0; i < lines; ++i) {
            long matches = counts[1 - f][cmp.classes[f][prefix + i]];
            discards[i] = matches == 0 ? 1 : matches > many ? 2 : 0;
        }
        for (long i = 0; i < lines; ++i) {
            if (discards[i] == 2) {
                discards[i] = 0;
            } else if (discards[i] != 0) {
                long j = i, provisional = 0;
                for (; j < lines && discards[j] != 0; ++j)
                    if (discards[j] == 2) ++provisional;
                while (j > i && discards[j - 1] == 2) discards[--j] = 0, --provisional;
                long length = j - i;
                if (provisional * 4 > length) {
                    for (long k = i; k < j; ++k)
                        if (discards[k] == 2) discards[k] = 0;
                } else {
                    long minimum = 1;
                    for (long tem = length >> 2; (tem >>= 2) > 0;) minimum <<= 1;
                    ++minimum;
                    for (long k = 0, consec = 0; k < length; ++k) {
                        if (discards[i + k] != 2) consec = 0;
                        else if (minimum == ++consec) k -= consec;  // back to cancel the whole stretch
                        else if (minimum < consec) discards[i + k] = 0;
                    }
                    for (long k = 0, consec = 0; k < length; ++k) {
                        if (k >= 8 && discards[i + k] == 1) break;
                        if (discards[i + k] == 2) consec = 0, discards[i + k] = 0;
                        else if (discards[i + k] == 0) consec = 0;
                        else ++consec;
                        if (consec == 3) break;
                    }
                    i += length - 1;
                    for (long k = 0, consec = 0; k < length; ++k) {
                        if (k >= 8 && discards[i - k] == 1) break;
                        if (discards[i - k] == 2) consec = 0, discards[i - k] = 0;
                        else if (discards[i - k] == 0) consec = 0;
                        else ++consec;
                        if (consec == 3) break;
                    }
                }
            }
        }
        for (long i = 0; i < lines; ++i) {
            if (discards[i]) {
                cmp.changed[f][prefix + i] = 1;
            } else {
                cmp.kept[f].push_back(cmp.classes[f][prefix + i]);
                cmp.index[f].push_back(prefix + i);
            }
        }
    }
}

struct Split {
    long x = 0, y = 0;
    bool loMinimal = true, hiMinimal = true;
};

// The middle snake of kept[0][xoff, xlim) against kept[1][yoff, ylim).
Split MiddleSnake(Comparison& cmp, long xoff, long xlim, long yoff, long ylim, bool findMinimal) {
    const int* xv = cmp.kept[0].data();
    const int* yv = cmp.kept[1].data();
    long* fd = cmp.forward.data() + cmp.offset;   // indexed by diagonal
    long* bd = cmp.backward.data() + cmp.offset;
    const long dmin = xoff - ylim, dmax = xlim - yoff;
    const long fmid = xoff - yoff, bmid = xlim - ylim;
    long fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
    const bool odd = ((fmid - bmid) & 1) != 0;
    fd[fmid] = xoff;
    bd[bmid] = xlim;
    for (long c = 1;; ++c) {
        bool bigSnake = false;
        if (fmin > dmin) fd[--fmin - 1] = -1; else ++fmin;
        if (fmax < dmax) fd[++fmax + 1] = -1; else --fmax;
        // One diagonal of the forward step: its furthest point after the snake.
        auto forward = [&](long d) {
            long tlo = fd[d - 1], thi = fd[d + 1];
            long x0 = tlo >= thi ? tlo + 1 : thi;
            long x = x0, y = x0 - d;
            if (((x < xlim) & (y < ylim)) && xv[x] == yv[y]) {
                do ++x, ++y;
                while (x < xlim && y < ylim && xv[x] == yv[y]);
                if (x - x0 > kSnakeLimit) bigSnake = true;
            }
            return fd[d] = x;
        };
        long d = fmax;
        if (odd) {  // only where the backward search has been can the two meet
            for (long hi = std::min(fmax, bmax); d > hi && d >= fmin; d -= 2) forward(d);
            for (long lo = std::max(fmin, bmin); d >= lo; d -= 2)
                if (long x = forward(d); bd[d] <= x) return {x, x - d, true, true};
        }
        for (; d >= fmin; d -= 2) forward(d);
        if (bmin > dmin) bd[--bmin - 1] = LONG_MAX; else ++bmin;
        if (bmax < dmax) bd[++bmax + 1] = LONG_MAX; else --bmax;
        auto backward = [&](long d) {
            long tlo = bd[d - 1], thi = bd[d + 1];
            long x0 = tlo < thi ? tlo : thi - 1;
            long x = x0, y = x0 - d;
            if (((x > xoff) & (y > yoff)) && xv[x - 1] == yv[y - 1]) {
                do --x, --y;
                while (x > xoff && y > yoff && xv[x - 1] == yv[y - 1]);
                if (x0 - x > kSnakeLimit) bigSnake = true;
            }
            return bd[d] = x;
        };
        d = bmax;
        if (!odd) {
            for (long hi = std::min(bmax, fmax); d > hi && d >= bmin; d -= 2) backward(d);
            for (long lo = std::max(bmin, fmin); d >= lo; d -= 2)
                if (long x = backward(d); x <= fd[d]) return {x, x - d, true, true};
        }
        for (; d >= bmin; d -= 2) backward(d);
        if (findMinimal) continue;

        // Far from the start and well into a long common stretch: good enough.
        if (c > kHeuristicCost && bigSnake) {
            long best = 0;
            Split found;
            for (long d = fmax; d >= fmin; d -= 2) {
                long dd = d - fmid, x = fd[d], y = x - d, v = (x - xoff) * 2 - dd;
                if (v > 12 * (c + std::labs(dd)) && v > best && xoff + kSnakeLimit < x && x < xlim &&
                    yoff + kSnakeLimit < y && y < ylim) {
                    long k = 1;
                    while (k <= kSnakeLimit && xv[x - k] == yv[y - k]) ++k;
                    if (k > kSnakeLimit) best = v, found = {x, y, true, false};
                }
            }
            if (best > 0) return found;
            for (long d = bmax; d >= bmin; d -= 2) {
                long dd = d - bmid, x = bd[d], y = x - d, v = (xlim - x) * 2 + dd;
                if (v > 12 * (c + std::labs(dd)) && v > best && xoff < x && x + kSnakeLimit < xlim &&
                    yoff < y && y + kSnakeLimit < ylim) {
                    long k = 0;
                    while (k < kSnakeLimit && xv[x + k] == yv[y + k]) ++k;
                    if (k == kSnakeLimit) best = v, found = {x, y, false, true};
                }
            }
            if (best > 0) return found;
        }

        // Too costly to go on: split where either search got furthest.
        if (c >= cmp.tooExpensive) {
            long fxybest = -1, fxbest = 0;
            for (long d = fmax; d >= fmin; d -= 2) {
                long x = std::min(fd[d], xlim), y = x - d;
                if (ylim < y) x = ylim + d, y = ylim;
                if (fxybest < x + y) fxybest = x + y, fxbest = x;
            }
            long bxybest = LONG_MAX, bxbest = 0;
            for (long d = bmax; d >= bmin; d -= 2) {
                long x = std::max(xoff, bd[d]), y = x - d;
                if (y < yoff) x = yoff + d, y = yoff;
                if (x + y < bxybest) bxybest = x + y, bxbest = x;
            }
            if ((xlim + ylim) - bxybest < fxybest - (xoff + yoff))
                return {fxbest, fxybest - fxbest, true, false};
            return {bxbest, bxybest - bxbest, false, true};
        }
    }
}

void CompareRange(Comparison& cmp, long xoff, long xlim, long yoff, long ylim, bool findMinimal) {
    const std::vector<int>& xv = cmp.kept[0];
    const std::vector<int>& yv = cmp.kept[1];
    while (xoff < xlim && yoff < ylim && xv[xoff] == yv[yoff]) ++xoff, ++yoff;
    while (xlim > xoff && ylim > yoff && xv[xlim - 1] == yv[ylim - 1]) --xlim, --ylim;
    if (xoff == xlim) {
        while (yoff < ylim) cmp.changed[1][cmp.index[1][yoff++]] = 1;
    } else if (yoff == ylim) {
        while (xoff < xlim) cmp.changed[0][cmp.index[0][xoff++]] = 1;
    } else {
        Split s = MiddleSnake(cmp, xoff, xlim, yoff, ylim, findMinimal);
        CompareRange(cmp, xoff, s.x, yoff, s.y, s.loMinimal);
        CompareRange(cmp, s.x, xlim, s.y, ylim, s.hiMinimal);
    }
}

// Slides each run of changes over equal lines: up to merge with the run before, down to merge
// with the run after and to sit as low as it can, then back up to meet a change of the other
// text. Merged runs make fewer commands; a duplicated line in a run of equal ones is reported
// at the run's end.
void ShiftBoundaries(Comparison& cmp) {
    // Copies with a zero entry before the first line and after the last, so that the scans
    // below stop at both ends without tests of their own.
    long sizes[2] = {static_cast<long>(cmp.classes[0].size()), static_cast<long>(cmp.classes[1].size())};
    std::vector<char> marks[2];
    for (int f = 0; f < 2; ++f) {
        marks[f].assign(sizes[f] + 2, 0);
        std::copy(cmp.changed[f].begin(), cmp.changed[f].begin() + sizes[f], marks[f].begin() + 1);
    }
    for (int f = 0; f < 2; ++f) {
        char* changed = marks[f].data() + 1;
        const char* other = marks[1 - f].data() + 1;
        const std::vector<int>& equivs = cmp.classes[f];
        const long end = sizes[f];
        long i = 0, j = 0;
        for (;;) {
            while (i < end && !changed[i]) {
                while (other[j++]) {
                }
                ++i;
            }
            if (i == end) break;
            long start = i;
            while (changed[++i]) {
            }
            while (other[j]) ++j;
            long runLength, corresponding;
            do {
                runLength = i - start;
                while (start && equivs[start - 1] == equivs[i - 1]) {
                    changed[--start] = 1;
                    changed[--i] = 0;
                    while (changed[start - 1]) --start;
                    while (other[--j]) {
                    }
                }
                corresponding = other[j - 1] ? i : end;
                while (i != end && equivs[start] == equivs[i]) {
                    changed[start++] = 0;
                    changed[i++] = 1;
                    while (changed[i]) ++i;
                    while (other[++j]) corresponding = i;
                }
            } while (runLength != i - start);
            while (corresponding < i) {
                changed[--start] = 1;
                changed[--i] = 0;
                while (other[--j]) {
                }
            }
        }
    }
    for (int f = 0; f < 2; ++f) std::copy(marks[f].begin() + 1, marks[f].end() - 1, cmp.changed[f].begin());
}

std::vector<Change> BuildChanges(const Comparison& cmp) {
    std::vector<Change> changes;
    long n = static_cast<long>(cmp.classes[0].size()), m = static_cast<long>(cmp.classes[1].size());
    long i = 0, j = 0;
    while (i < n || j < m) {
        if ((i < n && cmp.changed[0][i]) || (j < m && cmp.changed[1][j])) {
            Change c{i, j, 0, 0};
            while (i < n && cmp.changed[0][i]) ++i;
            while (j < m && cmp.changed[1][j]) ++j;
            c.deleted = i - c.first;
            c.inserted = j - c.second;
            changes.push_back(c);
        } else {
            ++i;
            ++j;
        }
    }
    return changes;
}

}  // namespace

TextLines SplitLines(std::string_view text) {
    TextLines lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string JoinLines(const TextLines& lines) {
    std::string text;
    std::size_t size = 0;
    for (std::string_view line : lines) size += line.size();
    text.reserve(size);
    for (std::string_view line : lines) text.append(line);
    return text;
}

std::uint32_t LineHash(std::string_view line, const CompareOptions& options) {
    std::string buffer;
    return HashOf(Canonical(line, options, buffer));
}

std::vector<Change> CompareLines(const TextLines& a, const TextLines& b, const CompareOptions& options) {
    long n = static_cast<long>(a.size()), m = static_cast<long>(b.size());
    long shorter = std::min(n, m);
    long prefix = 0;
    while (prefix < shorter && a[prefix] == b[prefix]) ++prefix;
    if (n == m && prefix == n) return {};
    long suffix = 0;
    while (suffix < shorter - prefix && a[n - 1 - suffix] == b[m - 1 - suffix]) ++suffix;

    Comparison cmp;
    const TextLines* texts[2] = {&a, &b};
    AssignClasses(cmp, texts, prefix, suffix, options);
    cmp.changed[0].assign(n + 1, 0);
    cmp.changed[1].assign(m + 1, 0);
    DiscardConfusingLines(cmp, prefix, suffix);

    long kn = static_cast<long>(cmp.kept[0].size()), km = static_cast<long>(cmp.kept[1].size());
    cmp.offset = km + 1;
    cmp.forward.assign(kn + km + 3, 0);
    cmp.backward.assign(kn + km + 3, 0);
    // The cost cap grows with the square root of the size, as in GNU diff.
    cmp.tooExpensive = 1;
    for (long diags = kn + km + 3; diags != 0; diags >>= 2) cmp.tooExpensive <<= 1;
    cmp.tooExpensive = std::max(4096L, cmp.tooExpensive);
    CompareRange(cmp, 0, kn, 0, km, false);

    ShiftBoundaries(cmp);
    return BuildChanges(cmp);
}

std::string DeleteCommand(const Change& change) {
    return change.deleted ? Printf("d%ld %ld\n", change.first + 1, change.deleted) : std::string();
}

std::string AppendCommand(const Change& change) {
    return change.inserted ? Printf("a%ld %ld\n", change.first + change.deleted, change.inserted) : std::string();
}

std::string EditScript(const std::vector<Change>& changes, const TextLines& b) {
    std::string script;
    for (const Change& change : changes) {
        script += DeleteCommand(change);
        script += AppendCommand(change);
        for (long k = 0; k < change.inserted; ++k) script.append(b[change.second + k]);
    }
    return script;
}

std::string EditScript(const TextLines& a, const TextLines& b) { return EditScript(CompareLines(a, b), b); }

}  // namespace tarvo::analysis
