// What the comparison windows show and do, without the windows: the two texts and their
// changes, the current change and the buttons' states, the captions of the blocks, the merge's
// choices and its output, the numbered block text of the change display and of the text report.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/compare.h"

namespace tarvo::analysis {

// Two texts compared; the lines are views into the two texts held here.
struct ComparedTexts {
    std::string firstName, secondName;  // as the sides and the titles show them
    std::string firstText, secondText;  // line ends as "\n"
    TextLines first, second;
    std::vector<Change> changes;
};
// Takes the texts, splits them and compares them under the options.
void LoadComparison(ComparedTexts& texts, std::string firstText, std::string secondText,
                    const CompareOptions& options = {});

// The change a line belongs to: its index in `changes`, or -1. `firstSide` picks the deleted
// lines of the first text, else the inserted lines of the second.
long ChangeOfLine(const std::vector<Change>& changes, long line, bool firstSide);

// The current change of a window and the buttons that move it.
struct ChangeCursor {
    long total = 0;
    long current = 0;  // 0-based; meaningless when total is 0
    bool CanNext() const { return current + 1 < total; }
    bool CanPrevious() const { return total > 0 && current > 0; }
    bool Next();      // false (and no move) at the last change
    bool Previous();  // false at the first
};
// "Diff. %d de %d" with the current change counted from 1.
std::string PositionText(const ChangeCursor& cursor);

// "%s vs %s" and "Merge of %s and %s", the names lower-cased.
std::string ViewerTitle(std::string_view first, std::string_view second);
std::string MergeTitle(std::string_view first, std::string_view second);

// The captions over the two sides for a change: "Erase %d lines beginning with line %d",
// "Add %d lines beginning with line %d", or `empty` for a side without lines.
std::string DeletedCaption(const Change& change, std::string_view empty);
std::string InsertedCaption(const Change& change, std::string_view empty);

// The lines of one block as the change display and the report show them: a line of context
// before (unless the block starts the text) and after (unless it ends it), each "[%4d]  "
// (or "[%6d]  " from line 9501 on) and the line, ended by CR LF; at most kShownBlockLines lines
// counting the context line before. `truncated` tells whether lines were left out.
inline constexpr long kShownBlockLines = 200;
std::string NumberedBlock(const TextLines& lines, long first, long count, bool& truncated);

// The interactive merge: for each change whether the second text's lines are taken.
struct MergeChoices {
    std::vector<bool> taken;
    ChangeCursor cursor;
    bool finished = false;  // a choice was made on the last change
};
MergeChoices StartMerge(std::size_t changes);
// Records the choice for the current change and moves to the next; after the last one the
// merge is finished. Does nothing on a finished merge.
void Choose(MergeChoices& merge, bool takeSecond);

enum class MergeOutcome { Merged, CopyOfFirst, CopyOfSecond };
MergeOutcome OutcomeOf(const MergeChoices& merge);
// The merged text: the first text with the taken changes replaced by the second's lines.
std::string MergedText(const ComparedTexts& texts, const std::vector<bool>& taken);
// The question before an output that would copy one input: "No text from file %s was used,..."
// with every character after the first lower-cased. `unused` is the side none of whose text
// went in, `copied` the other.
std::string CopyQuestion(std::string_view unused, std::string_view copied);

// The text report of one comparison ("Tarvo-Diff %s vs %s: %d changes. %s" and the blocks).
std::string ComparisonReport(const ComparedTexts& texts, std::string_view date);
// Whether a file's text is a report that a new one is appended to, and the text to write then.
bool IsComparisonReport(std::string_view text);
std::string AppendReport(std::string_view existing, std::string_view report);

}  // namespace tarvo::analysis
