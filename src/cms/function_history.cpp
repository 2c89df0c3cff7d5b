#include "cms/function_history.h"

#include <algorithm>

#include "analysis/compare.h"
#include "analysis/edit_script.h"
#include "analysis/function_list.h"
#include "base/messages.h"
#include "cms/cms_messages.h"
#include "cms/revisions.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

// The scanner reads lines without their line ends.
analysis::Lines Bare(const analysis::TextLines& lines) {
    analysis::Lines bare;
    bare.reserve(lines.size());
    for (std::string_view line : lines) {
        if (line.ends_with('\n')) line.remove_suffix(1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        bare.push_back(line);
    }
    return bare;
}

// Where the function lies (1-based, inclusive) and its text.
struct Found {
    bool present = false;
    long first = 0, last = 0;
    std::string text;
};

Found Extract(const analysis::TextLines& lines, std::string_view name) {
    Found found;
    analysis::Lines bare = Bare(lines);
    for (const analysis::Function& f : analysis::FindCFunctions(bare)) {
        if (f.name != name) continue;
        found.present = true;
        found.first = std::max(1L, std::min(f.startLine, f.startNumber));
        found.last = std::min(static_cast<long>(bare.size()), std::max(f.endNumber, f.endLine));
        for (long n = found.first; n <= found.last; ++n)
            found.text.append(bare[static_cast<std::size_t>(n - 1)]).append("\n");
        break;
    }
    return found;
}

// What an edit script does to the lines first..last of the text it applies to: whether it
// touches them (or the line before, where a declaration may begin), and else how far it moves
// them. False for a script that goes back over the text: then nothing is known.
bool ScriptEffect(std::string_view script, long first, long last, bool& touched, long& shift) {
    touched = false;
    shift = 0;
    long previous = 0;
    for (std::size_t at = 0; at < script.size();) {
        char command = script[at++];
        if (command != 'a' && command != 'd') return false;
        long line = 0, count = 0;
        while (at < script.size() && script[at] >= '0' && script[at] <= '9') line = line * 10 + (script[at++] - '0');
        while (at < script.size() && script[at] == ' ') ++at;
        while (at < script.size() && script[at] >= '0' && script[at] <= '9') count = count * 10 + (script[at++] - '0');
        at = script.find('\n', at);
        at = at == std::string_view::npos ? script.size() : at + 1;
        if (line < previous) return false;
        previous = line;
        if (command == 'd') {
            if (line <= last && line + count - 1 >= first - 1) touched = true;
            else if (line < first) shift -= count;
            continue;
        }
        for (long k = 0; k < count && at < script.size(); ++k) {
            at = script.find('\n', at);
            at = at == std::string_view::npos ? script.size() : at + 1;
        }
        if (line >= first - 1 && line < last) touched = true;
        else if (line < first - 1) shift += count;
    }
    return true;
}

// The function after a script: found again only where the script may have changed it. A
// function whose lines the script leaves alone keeps its text and moves with the lines
// before it; an absent one can only appear in a text that holds its name.
Found Follow(const Found& before, const analysis::TextLines& lines, std::string_view script, std::string_view name) {
    bool touched = true;
    long shift = 0;
    if (before.present && ScriptEffect(script, before.first, before.last, touched, shift) && !touched) {
        Found moved = before;
        moved.first += shift;
        moved.last += shift;
        return moved;
    }
    if (!before.present &&
        std::none_of(lines.begin(), lines.end(), [&](std::string_view line) { return line.find(name) != line.npos; }))
        return {};
    return Extract(lines, name);
}

bool SameIgnoringSpaces(const std::string& a, const std::string& b) {
    if (a == b) return true;
    analysis::CompareOptions options;
    options.ignoreSpaces = true;
    return analysis::CompareLines(analysis::SplitLines(a), analysis::SplitLines(b), options).empty();
}

}  // namespace

std::string FunctionHistory::TextOf(std::string_view revision) const {
    auto at = std::find(revisions.begin(), revisions.end(), revision);
    return at == revisions.end() ? std::string() : texts[static_cast<std::size_t>(at - revisions.begin())];
}

bool TraceFunction(const Repository& repo, std::string_view name, const std::string& last, FunctionHistory& out,
                   std::string& message, const std::function<bool(int, int)>& progress) {
    out = {};
    message.clear();
    std::string number;
    if (!last.empty() && !ExpandRevision(repo, last, number, message)) return false;
    std::vector<const Delta*> path;
    if (!SearchRevision(repo, last.empty() ? repo.defaultBranch : number, {}, path, message)) return false;
    // The revision where the path leaves the trunk; the trunk below it is history too.
    std::size_t branchFrom = 0;
    while (branchFrom + 1 < path.size() && FieldCount(path[branchFrom + 1]->number) == 2) ++branchFrom;
    std::vector<const Delta*> trunk;
    std::size_t guard = repo.deltas.size() + 1;
    for (const Delta* d = path[branchFrom]; d && guard--; d = d->next.empty() ? nullptr : repo.Find(d->next))
        trunk.push_back(d);
    const int total = static_cast<int>(path.size() + trunk.size() - 1);

    // One pass from the head: each script applies to the text of the revision before it.
    std::vector<const Delta*> order;
    std::vector<std::string> found;
    std::vector<bool> present;
    Found current;
    auto record = [&](const Delta* d) {
        order.push_back(d);
        found.push_back(current.present ? current.text : std::string());
        present.push_back(current.present);
        return !progress || progress(static_cast<int>(order.size()), total);
    };
    analysis::TextLines lines = analysis::SplitLines(path.front()->text);
    auto apply = [&](const Delta* d) {
        std::string why;
        if (analysis::ApplyEditScript(lines, d->text, why)) return true;
        message = Printf(base::GetString(kMsgCannotRebuild), d->number.c_str(), d->number.c_str(), why.c_str());
        return false;
    };
    for (std::size_t i = 1; i <= branchFrom; ++i)
        if (!apply(path[i])) return false;
    analysis::TextLines atBranch = lines;
    current = Extract(lines, name);
    const Found atBranchFound = current;
    for (std::size_t i = 0; i < trunk.size(); ++i) {
        if (i > 0) {
            if (!apply(trunk[i])) return false;
            current = Follow(current, lines, trunk[i]->text, name);
        }
        if (!record(trunk[i])) return false;
    }
    std::reverse(order.begin(), order.end());
    std::reverse(found.begin(), found.end());
    std::reverse(present.begin(), present.end());
    lines = std::move(atBranch);
    current = atBranchFound;
    for (std::size_t i = branchFrom + 1; i < path.size(); ++i) {
        if (!apply(path[i])) return false;
        current = Follow(current, lines, path[i]->text, name);
        if (!record(path[i])) return false;
    }

    for (std::size_t i = 0; i < order.size(); ++i) {
        out.revisions.push_back(order[i]->number);
        FunctionChange change{FunctionChangeKind::Changed, order[i]->number, i ? order[i - 1]->number : std::string(),
                              order[i]->date, order[i]->author, order[i]->log};
        bool before = i > 0 && present[i - 1];
        if (present[i] && !before) change.kind = FunctionChangeKind::Added;
        else if (!present[i] && before) change.kind = FunctionChangeKind::Removed;
        else if (!present[i] || SameIgnoringSpaces(found[i - 1], found[i])) continue;
        out.changes.push_back(std::move(change));
    }
    out.texts = std::move(found);
    out.present = std::move(present);
    message.clear();
    return true;
}

}  // namespace tarvo::cms
