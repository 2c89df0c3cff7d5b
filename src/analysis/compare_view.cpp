#include "analysis/compare_view.h"

#include <algorithm>

#include "analysis/analysis_messages.h"
#include "analysis/edit_script.h"
#include "base/messages.h"
#include "platform/text.h"

namespace tarvo::analysis {

void LoadComparison(ComparedTexts& texts, std::string firstText, std::string secondText,
                    const CompareOptions& options) {
    texts.firstText = std::move(firstText);
    texts.secondText = std::move(secondText);
    texts.first = SplitLines(texts.firstText);
    texts.second = SplitLines(texts.secondText);
    texts.changes = CompareLines(texts.first, texts.second, options);
}

long ChangeOfLine(const std::vector<Change>& changes, long line, bool firstSide) {
    auto start = [firstSide](const Change& c) { return firstSide ? c.first : c.second; };
    auto count = [firstSide](const Change& c) { return firstSide ? c.deleted : c.inserted; };
    // The changes are in increasing line order on both sides: the last one starting at or
    // before the line is the only one that can hold it.
    auto after = std::upper_bound(changes.begin(), changes.end(), line,
                                  [&](long l, const Change& c) { return l < start(c); });
    while (after != changes.begin()) {
        --after;
        if (count(*after) == 0) continue;  // a change with no lines on this side holds none
        return line < start(*after) + count(*after) ? static_cast<long>(after - changes.begin()) : -1;
    }
    return -1;
}

bool ChangeCursor::Next() {
    if (!CanNext()) return false;
    ++current;
    return true;
}

bool ChangeCursor::Previous() {
    if (!CanPrevious()) return false;
    --current;
    return true;
}

std::string PositionText(const ChangeCursor& cursor) {
    return Printf(base::GetString(kMsgDiffPosition), static_cast<int>(cursor.total ? cursor.current + 1 : 0),
                  static_cast<int>(cursor.total));
}

std::string ViewerTitle(std::string_view first, std::string_view second) {
    return Printf(base::GetString(kMsgViewerTitle), Lower(first).c_str(), Lower(second).c_str());
}

std::string MergeTitle(std::string_view first, std::string_view second) {
    return Printf(base::GetString(kMsgMergeTitle), Lower(first).c_str(), Lower(second).c_str());
}

std::string DeletedCaption(const Change& change, std::string_view empty) {
    if (!change.deleted) return std::string(empty);
    return Printf(base::GetString(kMsgEraseLines), static_cast<int>(change.deleted),
                  static_cast<int>(change.FirstDeletedLine()));
}

std::string InsertedCaption(const Change& change, std::string_view empty) {
    if (!change.inserted) return std::string(empty);
    return Printf(base::GetString(kMsgAddLines), static_cast<int>(change.inserted),
                  static_cast<int>(change.FirstInsertedLine()));
}

std::string NumberedBlock(const TextLines& lines, long first, long count, bool& truncated) {
    long size = static_cast<long>(lines.size());
    long from = first > 0 ? first - 1 : 0;
    long end = std::min(size, first + count);
    truncated = end - from > kShownBlockLines;
    long to = truncated ? from + kShownBlockLines : std::min(size, end + 1);  // with the line after
    const char* format = from + 1 >= 9501 ? "[%6d]  " : "[%4d]  ";
    std::string out;
    for (long n = from; n < to; ++n) {
        std::string_view line = lines[static_cast<std::size_t>(n)];
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        out += Printf(format, static_cast<int>(n + 1));
        out.append(line);
        out += "\r\n";
    }
    return out;
}

MergeChoices StartMerge(std::size_t changes) {
    MergeChoices merge;
    merge.taken.assign(changes, false);
    merge.cursor.total = static_cast<long>(changes);
    merge.finished = changes == 0;
    return merge;
}

void Choose(MergeChoices& merge, bool takeSecond) {
    if (merge.finished) return;
    merge.taken[static_cast<std::size_t>(merge.cursor.current)] = takeSecond;
    if (!merge.cursor.Next()) merge.finished = true;
}

MergeOutcome OutcomeOf(const MergeChoices& merge) {
    long taken = std::count(merge.taken.begin(), merge.taken.end(), true);
    if (taken == 0) return MergeOutcome::CopyOfFirst;
    if (taken == static_cast<long>(merge.taken.size())) return MergeOutcome::CopyOfSecond;
    return MergeOutcome::Merged;
}

std::string MergedText(const ComparedTexts& texts, const std::vector<bool>& taken) {
    // The merge goes through the same patch the version store's scripts use, so a merged
    // file and a patched one cannot disagree.
    std::string script = MergePatch(texts.changes, taken, texts.second), message;
    Patch patch;
    TextLines lines = texts.first;
    if (!ParsePatch(script, patch, message) || !ApplyEditScript(lines, patch.script, message)) return {};
    return JoinLines(lines);
}

std::string CopyQuestion(std::string_view unused, std::string_view copied) {
    std::string text = Printf(base::GetString(kMsgCopyAnyway), std::string(unused).c_str(), std::string(copied).c_str());
    if (text.empty()) return text;
    return text.substr(0, 1) + Lower(std::string_view(text).substr(1));
}

namespace {
constexpr std::string_view kReportMark = "Tarvo-Diff";
}

std::string ComparisonReport(const ComparedTexts& texts, std::string_view date) {
    std::string out = Printf("%s %s vs %s: %d changes. %s\n", std::string(kReportMark).c_str(), texts.firstName.c_str(),
                             texts.secondName.c_str(), static_cast<int>(texts.changes.size()),
                             std::string(date).c_str());
    bool truncated = false;
    int number = 0;
    for (const Change& c : texts.changes) {
        out += Printf("Change %d\n", ++number);
        if (c.deleted) {
            out += texts.firstName + ": " + DeletedCaption(c, {}) + "\n";
            out += NumberedBlock(texts.first, c.first, c.deleted, truncated) + "\n";
        }
        if (c.inserted) {
            out += texts.secondName + ": " + InsertedCaption(c, {}) + "\n";
            out += NumberedBlock(texts.second, c.second, c.inserted, truncated) + "\n";
        }
    }
    return out;
}

bool IsComparisonReport(std::string_view text) { return text.substr(0, kReportMark.size()) == kReportMark; }

std::string AppendReport(std::string_view existing, std::string_view report) {
    std::string out(existing);
    if (!out.empty() && out.back() != '\n') out += '\n';
    out.append(75, '-');
    out += '\n';
    out.append(report);
    return out;
}

}  // namespace tarvo::analysis
