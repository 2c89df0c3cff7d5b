#include "cms/revisions.h"

#include <algorithm>
#include <cctype>

#include "base/messages.h"
#include "cms/cms_messages.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

std::string say(unsigned id, const std::string& a) { return Printf(base::GetString(id), a.c_str()); }
std::string say(unsigned id, const std::string& a, const std::string& b) {
    return Printf(base::GetString(id), a.c_str(), b.c_str());
}

std::string firstField(std::string_view number) { return std::string(number.substr(0, number.find('.'))); }

// The first `count` fields of a number.
std::string prefix(std::string_view number, int count) {
    int seen = 0;
    for (size_t i = 0; i < number.size(); ++i)
        if (number[i] == '.' && ++seen == count) return std::string(number.substr(0, i));
    return std::string(number);
}

std::vector<const Delta*> trunk(const Repository& repo) {
    std::vector<const Delta*> list;
    for (const Delta* d = repo.Find(repo.head); d && list.size() <= repo.deltas.size(); d = repo.Find(d->next))
        list.push_back(d);
    return list;
}

// The revisions of the branch that starts with `first`, oldest first.
std::vector<const Delta*> branchRevisions(const Repository& repo, const std::string& first) {
    std::vector<const Delta*> list;
    for (const Delta* d = repo.Find(first); d && list.size() <= repo.deltas.size(); d = repo.Find(d->next))
        list.push_back(d);
    return list;
}

// The first revision of the branch `branch` at `at`, or empty.
std::string branchStart(const Delta& at, std::string_view branch) {
    for (const std::string& b : at.branches)
        if (DropField(b) == branch) return b;
    return {};
}

bool passes(const Delta& d, const SearchFilters& f) {
    return (f.date.empty() || CompareNumbers(d.date, f.date) <= 0) && (f.author.empty() || SameText(d.author, f.author)) &&
           (f.state.empty() || d.state == f.state);
}

std::string filterFailure(const Delta& d, const SearchFilters& f) {
    if (!f.date.empty() && CompareNumbers(d.date, f.date) > 0) return say(kMsgRevisionHasDate, d.number, d.date);
    if (!f.author.empty() && !SameText(d.author, f.author)) return say(kMsgRevisionHasAuthor, d.number, d.author);
    return say(kMsgRevisionHasState, d.number, d.state.empty() ? "<empty>" : d.state);
}

std::string cannotFind(const std::string& branch, const SearchFilters& f) {
    return Printf(base::GetString(kMsgCannotFindOnBranch), branch.c_str(), f.date.empty() ? "<now>" : f.date.c_str(),
                  f.author.empty() ? "<any>" : f.author.c_str(), f.state.empty() ? "<any>" : f.state.c_str());
}

bool found(const Repository& repo, const Delta* d, std::vector<const Delta*>& path, std::string& message) {
    return PathTo(repo, d->number, path, message);
}

bool identifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string NextNumber(std::string_view number) {
    size_t dot = number.rfind('.');
    std::string head(number.substr(0, dot == std::string_view::npos ? 0 : dot + 1));
    std::string last(number.substr(dot == std::string_view::npos ? 0 : dot + 1));
    return head + std::to_string(std::stol(last.empty() ? "0" : last) + 1);
}

bool ExpandRevision(const Repository& repo, std::string_view argument, std::string& number, std::string& message) {
    number.clear();
    size_t start = 0;
    while (start <= argument.size()) {
        size_t dot = argument.find('.', start);
        std::string_view part = argument.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (part.empty() && dot == std::string_view::npos && start > 0) break;  // the trailing period stays
        if (!part.empty() && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            size_t nonZero = part.find_first_not_of('0');
            number += nonZero == std::string_view::npos ? std::string("0") : std::string(part.substr(nonZero));
        } else if (!part.empty() && identifierStart(part[0]) && ValidIdentifier(part)) {
            auto bound = std::find_if(repo.symbols.begin(), repo.symbols.end(),
                                      [&](const auto& s) { return s.first == part; });
            if (bound == repo.symbols.end()) {
                message = say(kMsgSymbolUndefined, std::string(part));
                return false;
            }
            number += bound->second;
        } else {
            message = say(kMsgIncorrectRevision, std::string(argument));
            return false;
        }
        if (dot == std::string_view::npos) break;
        number += '.';
        start = dot + 1;
    }
    return true;
}

bool SearchRevision(const Repository& repo, std::string_view asked, const SearchFilters& filters,
                    std::vector<const Delta*>& path, std::string& message) {
    path.clear();
    if (repo.head.empty()) {
        message = base::GetString(kMsgCmsFileEmpty);
        return false;
    }
    std::string number = asked.empty() ? firstField(repo.head) : std::string(asked);
    const int fields = FieldCount(number);
    std::vector<const Delta*> line = trunk(repo);
    if (fields == 1) {
        bool onBranch = false;
        for (const Delta* d : line) {
            if (firstField(d->number) != number) continue;
            onBranch = true;
            if (passes(*d, filters)) return found(repo, d, path, message);
        }
        if (onBranch) message = cannotFind(number, filters);
        else if (!line.empty() && CompareNumbers(number, firstField(line.back()->number)) < 0)
            message = say(kMsgBranchTooLow, number);
        else message = say(kMsgBranchNotPresent, number);
        return false;
    }
    std::string trunkNumber = prefix(number, 2);
    auto onTrunk = std::find_if(line.begin(), line.end(), [&](const Delta* d) { return d->number == trunkNumber; });
    if (onTrunk == line.end()) {
        message = !line.empty() && CompareNumbers(trunkNumber, line.back()->number) < 0
                      ? say(kMsgRevisionTooLow, trunkNumber)
                      : say(kMsgRevisionNotPresent, trunkNumber);
        return false;
    }
    const Delta* at = *onTrunk;
    for (int depth = 3;; depth += 2) {
        if (depth > fields) {  // the revision itself
            if (!passes(*at, filters)) {
                message = filterFailure(*at, filters);
                return false;
            }
            return found(repo, at, path, message);
        }
        std::string branch = prefix(number, depth);
        if (at->branches.empty()) {
            message = say(kMsgNoSideBranches, at->number);
            return false;
        }
        std::string first = branchStart(*at, branch);
        if (first.empty()) {
            bool above = std::all_of(at->branches.begin(), at->branches.end(),
                                     [&](const std::string& b) { return CompareNumbers(branch, DropField(b)) > 0; });
            message = say(above ? kMsgBranchTooHigh : kMsgBranchNotPresent, branch);
            return false;
        }
        std::vector<const Delta*> revisions = branchRevisions(repo, first);
        if (depth == fields) {  // a branch: its latest revision that passes the filters
            for (auto d = revisions.rbegin(); d != revisions.rend(); ++d)
                if (passes(**d, filters)) return found(repo, *d, path, message);
            message = cannotFind(branch, filters);
            return false;
        }
        std::string next = prefix(number, depth + 1);
        auto on = std::find_if(revisions.begin(), revisions.end(), [&](const Delta* d) { return d->number == next; });
        if (on == revisions.end()) {
            message = say(kMsgRevisionNotPresent, next);
            return false;
        }
        at = *on;
    }
}

std::string LockedBy(const Repository& repo, std::string_view user) {
    for (const auto& [who, revision] : repo.locks)
        if (who == user) return revision;
    return {};
}

bool LockRevision(Repository& repo, const std::string& user, const std::string& revision, std::string& message) {
    for (const auto& [who, locked] : repo.locks) {
        if (locked == revision && who == user) return true;
        if (locked == revision) {
            message = say(kMsgVersionLocked, revision, who);
            return false;
        }
        if (who == user) {
            message = say(kMsgAlreadyLocked, locked);
            return false;
        }
    }
    repo.locks.insert(repo.locks.begin(), {user, revision});
    return true;
}

bool UnlockRevision(Repository& repo, const std::string& user, const std::string& revision, std::string& message) {
    for (auto lock = repo.locks.begin(); lock != repo.locks.end(); ++lock) {
        if (lock->second != revision) continue;
        if (lock->first != user) {
            message = say(kMsgVersionLocked, revision, lock->first);
            return false;
        }
        repo.locks.erase(lock);
        return true;
    }
    return true;
}

namespace {

// Starting or extending a branch at revision `at`; `branch` and `revision` as asked (empty:
// none).
bool onBranch(Repository& repo, const Delta& at, const std::string& branch, const std::string& revision,
              const std::string& user, Placement& p, std::string& message) {
    std::string first = branch.empty() ? std::string() : branchStart(at, branch);
    if (!first.empty()) {
        std::vector<const Delta*> revisions = branchRevisions(repo, first);
        const Delta* tip = revisions.back();
        p.number = revision.empty() ? NextNumber(tip->number) : revision;
        if (CompareNumbers(p.number, tip->number) <= 0) {
            message = say(kMsgNumberTooSmall, p.number, tip->number);
            return false;
        }
        p.parent = tip->number;
        // The user's own lock on the tip is released by the check-in; another user's stops it.
        return UnlockRevision(repo, user, tip->number, message);
    }
    p.parent = at.number;
    if (!branch.empty()) p.number = revision.empty() ? branch + ".1" : revision;
    else if (at.branches.empty()) p.number = at.number + ".1.1";
    else {
        std::string highest = DropField(at.branches.front());
        for (const std::string& b : at.branches)
            if (CompareNumbers(DropField(b), highest) > 0) highest = DropField(b);
        p.number = NextNumber(highest) + ".1";
    }
    return true;
}

// A new head on top of the trunk.
bool onHead(Repository& repo, const std::string& number, const std::string& user, Placement& p, std::string& message) {
    if (CompareNumbers(number, repo.head) <= 0) {
        message = say(kMsgNumberTooSmall, number, repo.head);
        return false;
    }
    p = {number, repo.head};
    return UnlockRevision(repo, user, repo.head, message);
}

bool asNumbered(Repository& repo, const std::string& asked, const std::string& user, Placement& p, std::string& message) {
    int n = FieldCount(asked);
    if (n == 1) return onHead(repo, asked == firstField(repo.head) ? NextNumber(repo.head) : asked + ".1", user, p, message);
    if (n == 2) return onHead(repo, asked, user, p, message);
    std::string point = n % 2 ? DropField(asked) : DropField(DropField(asked));
    const Delta* at = repo.Find(point);
    if (!at) {
        message = say(kMsgBranchNotFound, point);
        return false;
    }
    return onBranch(repo, *at, n % 2 ? asked : DropField(asked), n % 2 ? std::string() : asked, user, p, message);
}

}  // namespace

bool PlaceRevision(Repository& repo, std::string_view askedView, const std::string& user, Placement& p,
                   std::string& message) {
    std::string asked(askedView);
    p = {};
    if (repo.head.empty()) {
        if (asked.empty()) asked = repo.defaultBranch;
        switch (FieldCount(asked)) {
        case 0: p.number = "1.1"; return true;
        case 1: p.number = asked + ".1"; return true;
        case 2: p.number = asked; return true;
        default: message = say(kMsgNoBranchFor, asked); return false;
        }
    }
    if (!asked.empty()) return asNumbered(repo, asked, user, p, message);
    std::string locked = LockedBy(repo, user);
    if (!locked.empty()) {
        const Delta* at = repo.Find(locked);
        if (!at) {
            message = say(kMsgCantFindDelta, locked);
            return false;
        }
        std::string kept;
        UnlockRevision(repo, user, locked, kept);
        if (locked == repo.head) {
            p = {NextNumber(locked), locked};
            return true;
        }
        if (FieldCount(locked) > 2 && at->next.empty()) {
            p = {NextNumber(locked), locked};
            return true;
        }
        return onBranch(repo, *at, {}, {}, user, p, message);
    }
    // A default branch beside the trunk is extended at its tip, where get finds it.
    if (FieldCount(repo.defaultBranch) >= 3) {
        const Delta* at = repo.Find(DropField(repo.defaultBranch));
        if (!at) {
            message = say(kMsgBranchNotFound, DropField(repo.defaultBranch));
            return false;
        }
        return onBranch(repo, *at, repo.defaultBranch, {}, user, p, message);
    }
    return asNumbered(repo, repo.defaultBranch.empty() ? NextNumber(repo.head) : repo.defaultBranch, user, p, message);
}

}  // namespace tarvo::cms
