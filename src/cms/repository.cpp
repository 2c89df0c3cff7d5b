#include "cms/repository.h"

#include <algorithm>
#include <cstring>

#include "analysis/compare.h"
#include "analysis/edit_script.h"
#include "base/messages.h"
#include "cms/cms_messages.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr std::size_t kLongestField = 9;  // keeps every field within 31 bits

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::vector<long> Fields(std::string_view number) {
    std::vector<long> fields;
    long value = 0;
    bool any = false;
    for (char c : number) {
        if (c == '.') {
            fields.push_back(value);
            value = 0;
            any = false;
        } else {
            value = value * 10 + (c - '0');
            any = true;
        }
    }
    if (any) fields.push_back(value);
    return fields;
}

std::string Message(unsigned id, const std::string& argument) {
    return Printf(base::GetString(id), argument.c_str());
}

}  // namespace

bool ValidNumber(std::string_view number) {
    std::size_t digits = 0;
    for (std::size_t i = 0; i < number.size(); ++i) {
        if (IsDigit(number[i])) {
            if (++digits > kLongestField) return false;
        } else if (number[i] == '.' && digits != 0 && i + 1 < number.size()) {
            digits = 0;
        } else {
            return false;
        }
    }
    return digits != 0;
}

int FieldCount(std::string_view number) { return static_cast<int>(Fields(number).size()); }

int CompareNumbers(std::string_view a, std::string_view b) {
    std::vector<long> fa = Fields(a), fb = Fields(b);
    for (std::size_t i = 0; i < fa.size() && i < fb.size(); ++i)
        if (fa[i] != fb[i]) return fa[i] < fb[i] ? -1 : 1;
    return fa.size() == fb.size() ? 0 : fa.size() < fb.size() ? -1 : 1;
}

std::string DropField(std::string_view number) {
    std::size_t dot = number.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(number.substr(0, dot));
}

bool ValidIdentifier(std::string_view name) {
    if (name.empty() || !IsLetter(name[0])) return false;
    for (char c : name)
        if (!IsLetter(c) && !IsDigit(c) && (c == 0 || !std::strchr("!\"#%&'()*+-/<=>?[]\\^_`{|}~", c))) return false;
    return true;
}

bool ValidDate(std::string_view date) {
    static constexpr long kLow[6] = {0, 1, 1, 0, 0, 0};
    static constexpr long kHigh[6] = {999999999, 12, 31, 23, 59, 61};
    if (!ValidNumber(date)) return false;
    std::vector<long> fields = Fields(date);
    if (fields.size() != 6) return false;
    for (int i = 0; i < 6; ++i)
        if (fields[i] < kLow[i] || fields[i] > kHigh[i]) return false;
    return true;
}

Delta* Repository::Find(std::string_view number) {
    auto found = index.find(std::string(number));
    return found == index.end() ? nullptr : &deltas[found->second];
}

const Delta* Repository::Find(std::string_view number) const {
    auto found = index.find(std::string(number));
    return found == index.end() ? nullptr : &deltas[found->second];
}

bool Repository::SameContent(const Repository& o) const {
    return head == o.head && defaultBranch == o.defaultBranch && access == o.access && symbols == o.symbols &&
           locks == o.locks && binary == o.binary && description == o.description && deltas.size() == o.deltas.size() &&
           std::all_of(deltas.begin(), deltas.end(), [&o](const Delta& d) {
               const Delta* other = o.Find(d.number);
               return other && *other == d;
           });
}

void Problems::Add(Weight weight, std::string text) {
    if (failed) return;  // the first error ends the operation; what follows is its echo
    if (weight == Weight::Error) failed = true;
    list.push_back({weight, std::move(text)});
}

bool WalkOrder(const Repository& repo, std::vector<const Delta*>& order, std::string& message) {
    order.clear();
    if (repo.head.empty()) return true;
    std::vector<char> seen(repo.deltas.size(), 0);
    std::vector<std::string_view> stack{repo.head};
    // An explicit stack: a long trunk must not run the call stack out.
    while (!stack.empty()) {
        std::string_view number = stack.back();
        stack.pop_back();
        const Delta* d = repo.Find(number);
        if (!d) {
            message = Message(kMsgCantFindDelta, std::string(number));
            return false;
        }
        std::size_t at = static_cast<std::size_t>(d - repo.deltas.data());
        if (seen[at]) {
            message = Message(kMsgReachedTwice, d->number);
            return false;
        }
        seen[at] = 1;
        order.push_back(d);
        for (auto b = d->branches.rbegin(); b != d->branches.rend(); ++b) stack.push_back(*b);
        if (!d->next.empty()) stack.push_back(d->next);
    }
    return true;
}

bool PathTo(const Repository& repo, std::string_view number, std::vector<const Delta*>& path, std::string& message) {
    path.clear();
    message = Message(kMsgCantFindDelta, std::string(number));
    int fields = FieldCount(number);
    if (repo.head.empty() || fields < 2 || fields % 2 || !ValidNumber(number)) return false;
    // The revisions whose numbers lead there: the trunk revision, then per branch its start.
    std::string target(number);
    std::vector<std::string> stops;
    for (std::string n = target; FieldCount(n) > 2; n = DropField(DropField(n))) stops.push_back(n);
    std::reverse(stops.begin(), stops.end());
    std::string trunk = target;
    while (FieldCount(trunk) > 2) trunk = DropField(DropField(trunk));
    std::size_t guard = repo.deltas.size() + 1;  // a corrupt chain must not loop forever
    const Delta* d = repo.Find(repo.head);
    while (d && --guard) {
        path.push_back(d);
        if (d->number == trunk) break;
        d = d->next.empty() ? nullptr : repo.Find(d->next);
    }
    if (!d || !guard) return false;
    for (const std::string& stop : stops) {
        std::string branch = DropField(stop);
        const Delta* start = nullptr;
        for (const std::string& b : d->branches)
            if (DropField(b) == branch) start = repo.Find(b);
        d = start;
        while (d && --guard) {
            path.push_back(d);
            if (d->number == stop) break;
            d = d->next.empty() ? nullptr : repo.Find(d->next);
        }
        if (!d || !guard) return false;
    }
    message.clear();
    return true;
}

bool Rebuild(const Repository& repo, std::string_view number, std::string& text, std::string& message) {
    std::vector<const Delta*> path;
    if (!PathTo(repo, number, path, message)) return false;
    analysis::TextLines lines = analysis::SplitLines(path.front()->text);
    for (std::size_t i = 1; i < path.size(); ++i) {
        std::string why;
        if (!analysis::ApplyEditScript(lines, path[i]->text, why)) {
            message = Printf(base::GetString(kMsgCannotRebuild), path[i]->number.c_str(), std::string(number).c_str(),
                             why.c_str());
            return false;
        }
    }
    text = analysis::JoinLines(lines);
    return true;
}

bool AddRevision(Repository& repo, const NewRevision& r, std::string& message) {
    message = Message(kMsgBadNumber, r.number);
    if (!ValidNumber(r.number) || FieldCount(r.number) % 2 || repo.Find(r.number)) return false;
    Delta added{r.number, r.date, r.author, r.state, {}, {}, r.log, r.text, {}, 0};
    auto insert = [&repo](Delta delta) {
        repo.index[delta.number] = repo.deltas.size();
        repo.deltas.push_back(std::move(delta));
    };
    if (repo.head.empty()) {
        if (FieldCount(r.number) != 2) return false;
        repo.head = r.number;
        insert(std::move(added));
        message.clear();
        return true;
    }
    Delta* parent = repo.Find(r.parent);
    if (!parent) {
        message = Message(kMsgCantFindDelta, r.parent);
        return false;
    }
    std::string parentText;
    if (!Rebuild(repo, r.parent, parentText, message)) return false;
    analysis::TextLines oldLines = analysis::SplitLines(parentText), newLines = analysis::SplitLines(r.text);
    if (FieldCount(r.number) == 2) {
        // A new head: only on top of the head, and numbered above it.
        if (r.parent != repo.head || CompareNumbers(r.number, repo.head) <= 0) return false;
        parent->text = analysis::EditScript(newLines, oldLines);
        added.next = repo.head;
        repo.head = r.number;
    } else {
        std::string branch = DropField(r.number);
        if (DropField(branch) == r.parent) {
            // The first revision of a new branch at its branch point.
            for (const std::string& b : parent->branches)
                if (DropField(b) == branch) return false;
            // At its numeric place among the branches there.
            auto place = std::find_if(parent->branches.begin(), parent->branches.end(), [&](const std::string& b) {
                return CompareNumbers(DropField(b), branch) > 0;
            });
            parent->branches.insert(place, r.number);
        } else if (DropField(r.parent) == branch && parent->next.empty() && CompareNumbers(r.number, r.parent) > 0) {
            parent->next = r.number;
        } else {
            return false;
        }
        added.text = analysis::EditScript(oldLines, newLines);
    }
    insert(std::move(added));
    message.clear();
    return true;
}

bool CheckNames(const Repository& repo, std::string& message) {
    auto bad = [&message](const std::string& name) {
        message = Message(kMsgBadName, name);
        return false;
    };
    for (const std::string& user : repo.access)
        if (!ValidIdentifier(user)) return bad(user);
    for (const auto& [name, number] : repo.symbols)
        if (!ValidIdentifier(name)) return bad(name);
    for (const auto& [user, number] : repo.locks)
        if (!ValidIdentifier(user)) return bad(user);
    for (const Delta& d : repo.deltas) {
        if (!ValidIdentifier(d.author)) return bad(d.author);
        if (!d.state.empty() && !ValidIdentifier(d.state)) return bad(d.state);
        if (!ValidDate(d.date)) {
            message = Message(kMsgBadDate, d.date);
            return false;
        }
    }
    return true;
}

}  // namespace tarvo::cms
