#include "cms/admin.h"

#include <algorithm>
#include <set>

#include "analysis/compare.h"
#include "base/messages.h"
#include "cms/cms_messages.h"
#include "cms/repository_store.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

std::string say(unsigned id) { return base::GetString(id); }
std::string say(unsigned id, const std::string& a) { return Printf(base::GetString(id), a.c_str()); }
std::string say(unsigned id, const std::string& a, const std::string& b) {
    return Printf(base::GetString(id), a.c_str(), b.c_str());
}

// One chain of revisions in the order their scripts apply: the trunk from the head down, or a
// branch from its first revision up, after its branch point.
struct Chain {
    std::string base;  // the branch point; empty for the trunk
    std::vector<std::string> numbers;
    std::string start;  // the first revision as the branch point's list has it
};

std::vector<std::string> Follow(const Repository& repo, const std::string& first) {
    std::vector<std::string> out;
    std::size_t guard = repo.deltas.size() + 1;
    for (const Delta* d = repo.Find(first); d && guard--; d = d->next.empty() ? nullptr : repo.Find(d->next))
        out.push_back(d->number);
    return out;
}

std::vector<Chain> Chains(const Repository& repo) {
    std::vector<Chain> chains;
    if (!repo.head.empty()) chains.push_back({"", Follow(repo, repo.head), repo.head});
    for (const Delta& d : repo.deltas)
        for (const std::string& start : d.branches) chains.push_back({d.number, Follow(repo, start), start});
    return chains;
}

// The revisions a branch number names: those of the branch's chain, or for a one-field number
// the trunk revisions of that release.
std::vector<std::string> BranchRevisions(const Repository& repo, const std::string& branch) {
    std::vector<std::string> out;
    if (FieldCount(branch) == 1) {
        for (const std::string& n : repo.head.empty() ? std::vector<std::string>{} : Follow(repo, repo.head))
            if (DropField(n) == branch) out.push_back(n);
        return out;
    }
    const Delta* point = repo.Find(DropField(branch));
    if (!point) return out;
    for (const std::string& start : point->branches)
        if (DropField(start) == branch) return Follow(repo, start);
    return out;
}

// Every revision of the branches that start at the revision, and of theirs.
void BranchesBelow(const Repository& repo, const Delta& at, std::vector<std::string>& out) {
    for (const std::string& start : at.branches)
        for (const std::string& n : Follow(repo, start)) {
            out.push_back(n);
            if (const Delta* d = repo.Find(n)) BranchesBelow(repo, *d, out);
        }
}

// A symbol or default branch naming only revisions that go would name nothing afterwards.
bool Dangles(const Repository& repo, const std::string& number, const std::set<std::string>& going) {
    if (number.empty()) return false;
    if (FieldCount(number) % 2 == 0) return going.count(number) > 0;
    std::vector<std::string> on = BranchRevisions(repo, number);
    return !on.empty() && std::all_of(on.begin(), on.end(), [&](const std::string& n) { return going.count(n) > 0; });
}

bool Refuse(std::string& message, std::string text) {
    message = std::move(text);
    return false;
}

}  // namespace

bool DeleteRevisions(Repository& repo, const std::vector<std::string>& numbers, std::vector<std::string>& deleted,
                     std::string& message, const std::function<bool()>& askAll) {
    deleted.clear();
    std::set<std::string> going;
    std::vector<std::string> order;
    auto add = [&](const std::string& n) {
        if (going.insert(n).second) order.push_back(n);
    };
    for (const std::string& number : numbers) {
        if (!ValidNumber(number)) return Refuse(message, say(kMsgRevisionMissing, number));
        if (FieldCount(number) % 2 == 0) {
            if (!repo.Find(number)) return Refuse(message, say(kMsgRevisionMissing, number));
            add(number);
            continue;
        }
        std::vector<std::string> on = BranchRevisions(repo, number);
        if (on.empty()) return Refuse(message, say(kMsgRevisionMissing, number));
        for (const std::string& n : on) add(n);
    }
    if (order.empty()) return Refuse(message, say(kMsgDeleteNothing));
    // Every check comes before any change: a refusal deletes nothing.
    for (const std::string& n : order) {
        const Delta& d = *repo.Find(n);
        std::vector<std::string> below;
        BranchesBelow(repo, d, below);
        if (std::any_of(below.begin(), below.end(), [&](const std::string& b) { return !going.count(b); }))
            return Refuse(message, say(kMsgBranchPoint, n));
        bool locked = !d.lockedBy.empty() || std::any_of(repo.locks.begin(), repo.locks.end(),
                                                         [&](const auto& lock) { return lock.second == n; });
        if (locked) return Refuse(message, say(kMsgRemovalLocked, n));
    }
    for (const auto& [name, number] : repo.symbols)
        if (Dangles(repo, number, going)) return Refuse(message, say(kMsgSymbolWouldDangle, name, number));
    if (Dangles(repo, repo.defaultBranch, going)) return Refuse(message, say(kMsgBranchWouldDangle, repo.defaultBranch));
    if (going.size() == repo.deltas.size() && !(askAll && askAll())) return Refuse(message, say(kMsgNoRevisionDeleted));

    // What each chain keeps, and the revisions whose predecessor changes: their texts are
    // taken from the history as it stands, before anything moves.
    std::vector<Chain> chains = Chains(repo);
    struct Renewal {
        std::string number, predecessor;  // no predecessor: the new head, stored whole
        std::string text, predecessorText;
    };
    std::vector<Renewal> renewals;
    for (Chain& chain : chains) {
        std::vector<std::string> kept;
        for (std::size_t i = 0; i < chain.numbers.size(); ++i) {
            const std::string& n = chain.numbers[i];
            if (going.count(n)) continue;
            std::string before = i == 0 ? chain.base : chain.numbers[i - 1];
            std::string after = kept.empty() ? chain.base : kept.back();
            if (before != after) renewals.push_back({n, after, {}, {}});
            kept.push_back(n);
        }
        chain.numbers = std::move(kept);
    }
    for (Renewal& r : renewals) {
        if (!Rebuild(repo, r.number, r.text, message)) return false;
        if (!r.predecessor.empty() && !Rebuild(repo, r.predecessor, r.predecessorText, message)) return false;
    }

    Repository changed = repo;
    changed.deltas.clear();
    changed.index.clear();
    for (const Delta& d : repo.deltas) {
        if (going.count(d.number)) continue;
        changed.index[d.number] = changed.deltas.size();
        changed.deltas.push_back(d);
    }
    changed.head.clear();
    for (const Chain& chain : chains) {
        Delta* base = chain.base.empty() ? nullptr : changed.Find(chain.base);
        if (chain.base.empty()) {
            changed.head = chain.numbers.empty() ? std::string() : chain.numbers.front();
        } else if (base) {
            // The branch entry follows its first revision, or goes with the whole branch.
            auto entry = std::find(base->branches.begin(), base->branches.end(), chain.start);
            if (chain.numbers.empty()) {
                if (entry != base->branches.end()) base->branches.erase(entry);
            } else if (entry != base->branches.end()) {
                *entry = chain.numbers.front();
            }
        }
        for (std::size_t i = 0; i < chain.numbers.size(); ++i)
            changed.Find(chain.numbers[i])->next = i + 1 < chain.numbers.size() ? chain.numbers[i + 1] : std::string();
    }
    for (const Renewal& r : renewals) {
        Delta* d = changed.Find(r.number);
        d->text = r.predecessor.empty()
                      ? r.text
                      : analysis::EditScript(analysis::SplitLines(r.predecessorText), analysis::SplitLines(r.text));
    }
    // Only a history whose renewed revisions rebuild as before is kept.
    for (const Renewal& r : renewals) {
        std::string text;
        if (!Rebuild(changed, r.number, text, message)) return false;
        if (text != r.text)
            return Refuse(message, Printf(base::GetString(kMsgCannotRebuild), r.number.c_str(), r.number.c_str(),
                                          say(kMsgDiffImpossible).c_str()));
    }
    repo = std::move(changed);
    deleted = std::move(order);
    message.clear();
    return true;
}

namespace {

struct Admin {
    const CmsContext& c;
    const AdminRequest& r;
    std::string cmsPath;
    Repository repo;
    std::vector<std::string> records;  // logged once the file is written
    bool changed = false;
    bool failed = false;  // an error, as opposed to nothing to do or a declined question

    void show(const std::string& line) const {
        if (!r.quiet && c.show) c.show(line);
    }
    bool fail(const std::string& message) {
        failed = true;
        base::ErrorBox(message);
        return false;
    }
    void warn(const std::string& message) const {
        show(message);
        Log(c, FormatProblem(false, message, c.user));
    }

    bool defaultBranch() {
        std::string number, message;
        if (!r.branch.empty() && !ExpandRevision(repo, r.branch, number, message)) return fail(message);
        if (number.empty() || number == repo.head) {
            repo.defaultBranch.clear();
        } else {
            // A default branch must lead somewhere: every get without a number goes there.
            std::vector<const Delta*> path;
            if (!SearchRevision(repo, number, {}, path, message)) return fail(message);
            repo.defaultBranch = number;
        }
        return changed = true;
    }

    bool access() {
        repo.access.clear();
        for (const std::string& name : r.access) {
            if (!ValidIdentifier(name)) return fail(Printf(base::GetString(kMsgBadName), name.c_str()));
            if (std::find(repo.access.begin(), repo.access.end(), name) == repo.access.end()) repo.access.push_back(name);
        }
        return changed = true;
    }

    bool symbols() {
        for (const SymbolChange& change : r.symbols) {
            auto bound = std::find_if(repo.symbols.begin(), repo.symbols.end(),
                                      [&](const auto& s) { return s.first == change.name; });
            if (change.revision.empty()) {
                if (bound == repo.symbols.end()) return fail(say(kMsgDeleteNonexistingSymbol, change.name));
                repo.symbols.erase(bound);
                continue;
            }
            if (!ValidIdentifier(change.name)) return fail(Printf(base::GetString(kMsgBadName), change.name.c_str()));
            std::string number, message;
            if (!ExpandRevision(repo, change.revision, number, message)) return fail(message);
            std::vector<const Delta*> path;
            if (!SearchRevision(repo, number, {}, path, message)) return fail(message);
            if (bound != repo.symbols.end() && !change.replace)
                return fail(say(kMsgSymbolBound, change.name, bound->second));
            if (bound != repo.symbols.end()) bound->second = number;
            else repo.symbols.insert(repo.symbols.begin(), {change.name, number});
        }
        return changed = true;
    }

    bool unlock() {
        std::string number, message;
        if (r.revision.empty()) {
            if (repo.head.empty()) {
                warn(say(kMsgUnlockEmptyTree));
                return true;
            }
            if (repo.locks.empty()) {
                warn(say(kMsgNoLocksSet));
                return true;
            }
            number = LockedBy(repo, c.user);
            if (number.empty())
                return fail(say(kMsgStillLockedBy, repo.locks.front().second, repo.locks.front().first));
        } else {
            if (!ExpandRevision(repo, r.revision, number, message)) return fail(message);
            if (!repo.Find(number)) return fail(say(kMsgUnlockNonexisting, number));
            auto lock = std::find_if(repo.locks.begin(), repo.locks.end(), [&](const auto& l) { return l.second == number; });
            if (lock == repo.locks.end()) return fail(say(kMsgNoLockOn, number));
            if (lock->first != c.user) return fail(say(kMsgStillLockedBy, number, lock->first));
        }
        if (!UnlockRevision(repo, c.user, number, message)) return fail(message);
        show(say(kMsgRevisionUnlocked, number));
        records.push_back(FormatOperation(Record("unlock", repo, number, c, r.file)));
        return changed = true;
    }

    bool lock() {
        std::string number, message;
        if (r.revision.empty()) {
            if (repo.head.empty()) {
                warn(say(kMsgLockEmptyTree));
                return true;
            }
            std::vector<const Delta*> path;
            if (!SearchRevision(repo, repo.defaultBranch, {}, path, message)) return fail(message);
            number = path.back()->number;
        } else {
            if (!ExpandRevision(repo, r.revision, number, message)) return fail(message);
            if (!repo.Find(number)) return fail(say(kMsgLockNonexisting, number));
        }
        if (!LockRevision(repo, c.user, number, message)) return fail(message);
        show(say(kMsgRevisionLocked, number));
        records.push_back(r.revision.empty()
                              ? FormatOperation(Record("lock", repo, number, c, r.file))
                              : FormatLock(r.revision, c.now ? c.now() : std::string(), c.user, r.file));
        return changed = true;
    }

    bool remove() {
        std::vector<std::string> numbers, deleted;
        std::string message;
        for (const std::string& asked : r.remove) {
            std::string number;
            if (!ExpandRevision(repo, asked, number, message)) return fail(message);
            numbers.push_back(number);
        }
        Repository before = repo;
        auto askAll = [this] { return c.ask && c.ask(say(kMsgDeleteAll)); };
        if (!DeleteRevisions(repo, numbers, deleted, message, askAll)) {
            // Declining to empty the file is an answer, not an error.
            if (message == say(kMsgNoRevisionDeleted)) {
                show(message);
                return false;
            }
            return fail(message);
        }
        for (const std::string& n : deleted) {
            show(say(kMsgDeletingRevision, n));
            records.push_back(FormatOperation(Record("del", before, n, c, r.file)));
        }
        return changed = true;
    }

    bool run() {
        show(say(kMsgCmsFile, cmsPath));
        if (ReadRepositoryFile(cmsPath, repo, true) != OpenResult::Ok || !OnAccessList(repo, c.user))
            return !(failed = true);
        if ((r.flags & kAdminDefaultBranch) && !defaultBranch()) return false;
        if ((r.flags & kAdminAccess) && !access()) return false;
        if ((r.flags & kAdminSymbols) && !symbols()) return false;
        if ((r.flags & kAdminUnlock) && !unlock()) return false;
        if ((r.flags & kAdminLock) && !lock()) return false;
        if (r.flags & kAdminDescription) {
            repo.description = r.description;
            changed = true;
        }
        if ((r.flags & kAdminDelete) && !remove()) return false;
        if (!changed) return false;
        if (!WriteRepositoryFile(cmsPath, repo, c.readOnly)) return !(failed = true);
        for (const std::string& record : records) Log(c, record);
        return true;
    }
};

}  // namespace

bool Administer(const CmsContext& c, const AdminRequest& r) {
    if (c.show) c.show(HeaderLine("admin " + r.file));
    std::string cmsPath;
    if (!CheckName(c, r.file, cmsPath)) return false;
    if (!platform::FileExists(cmsPath)) {
        base::FileNotFoundBox(cmsPath);
        return false;
    }
    Admin admin{c, r, cmsPath, {}, {}};
    bool done = false;
    {
        Semaphore semaphore(cmsPath, c);
        admin.failed = !semaphore.held;
        done = semaphore.held && admin.run();
    }
    if (admin.failed) admin.show(say(kMsgAborted, "admin", cmsPath));
    return done;
}

}  // namespace tarvo::cms
