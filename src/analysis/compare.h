// The line-comparison engine: the changes that turn one text into another, as a list or as an
// edit script ("d<line> <count>" and "a<line> <count>" followed by the added lines). The
// version store keeps its revisions as such scripts; the comparison tools show the changes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::analysis {

// A text as lines; each line keeps its line end ("\n"), so only the last one can lack it and
// joining the lines gives the text back byte for byte.
using TextLines = std::vector<std::string_view>;
TextLines SplitLines(std::string_view text);
std::string JoinLines(const TextLines& lines);

struct CompareOptions {
    bool ignoreSpaces = false;  // runs of blanks and tabs count as one blank; trailing ones vanish
    bool ignoreCase = false;
};

// One change: `deleted` lines of the first text from line index `first` (0-based) are replaced
// by `inserted` lines of the second text from index `second`.
struct Change {
    long first = 0;
    long second = 0;
    long deleted = 0;
    long inserted = 0;
    bool operator==(const Change&) const = default;
    // The 1-based numbers the displays and reports use: 0 when there are no such lines.
    long FirstDeletedLine() const { return deleted ? first + 1 : 0; }
    long FirstInsertedLine() const { return inserted ? second + 1 : 0; }
};

// The changes in increasing line order; empty when the texts are equal under the options.
std::vector<Change> CompareLines(const TextLines& a, const TextLines& b, const CompareOptions& options = {});

// The 32-bit line hash (rotate left by 7, add the character) of a line under the options.
std::uint32_t LineHash(std::string_view line, const CompareOptions& options = {});

// The two commands of one change, as the merge keeps them ("" for a part the change lacks).
std::string DeleteCommand(const Change& change);
std::string AppendCommand(const Change& change);

// The edit script that turns `a` into `b`; commands carry non-zero counts only. The added lines
// are written as they are (a caller that embeds the script in an `@` string doubles the `@`).
std::string EditScript(const std::vector<Change>& changes, const TextLines& b);
std::string EditScript(const TextLines& a, const TextLines& b);

}  // namespace tarvo::analysis
