// The rules every version-store operation shares: revision arguments with symbolic names, the
// revision search with its date, author and state filters, one lock per user per file, and
// where a checked-in revision goes.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "cms/repository.h"

namespace tarvo::cms {

// Digits lose their leading zeros, symbolic names become their numbers; a trailing period
// stays. False with the message ("Symbolic number %s is undefined.", "Incorrect revision
// number: %s").
bool ExpandRevision(const Repository& repo, std::string_view argument, std::string& number, std::string& message);

// Filters of the search; empty: absent. A revision passes the date filter when its date is not
// later; authors compare without regard to case.
struct SearchFilters {
    std::string date, author, state;
};

// The revision that a number (empty: the head's branch; one field: a trunk branch; two: a
// trunk revision; more: through the side branches) and the filters name, as the path of
// records from the head to it. False with the message.
bool SearchRevision(const Repository& repo, std::string_view number, const SearchFilters& filters,
                    std::vector<const Delta*>& path, std::string& message);

// The revision a user has locked in this file; empty when none.
std::string LockedBy(const Repository& repo, std::string_view user);
// Locks the revision for the user: nothing when it is already, a message when another user
// holds it or the user holds another revision of the file. New locks go to the front.
bool LockRevision(Repository& repo, const std::string& user, const std::string& revision, std::string& message);
// Removes the user's lock on the revision; a lock of another user is a message.
bool UnlockRevision(Repository& repo, const std::string& user, const std::string& revision, std::string& message);

// Where a revision checked in by `user` goes, asked for as `asked` (empty: wherever the user's
// lock, the default branch or the head leads). The user's lock on the revision it follows is
// released in `repo`. False with the message.
struct Placement {
    std::string number;
    std::string parent;  // empty for the first revision
};
bool PlaceRevision(Repository& repo, std::string_view asked, const std::string& user, Placement& placement,
                   std::string& message);

// The number with its last field increased by one.
std::string NextNumber(std::string_view number);

}  // namespace tarvo::cms
