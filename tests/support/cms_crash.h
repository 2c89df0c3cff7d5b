// The crash loop of the version store: a driver that checks files in and out for ever, and the
// checks made after it was killed at a random moment.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::test {

// The text of revision k of the driver's file, and its date (one second after the other).
std::string CrashContent(int k);
std::string CrashDate(int k);

// Loops check-in (kept, removed or locked by turns), check-out with a lock and its release in
// `dir` (a "work" folder with its "CMS" below), writing what it begins and ends to
// dir\journal.txt. Returns only on a failure that must not happen (the exit status names it).
// With `saveRelease`, each round also saves a release of the revision just checked in.
using ReleaseSaver = std::function<bool(int k, const std::string& revision)>;
int RunCrashDriver(const std::string& dir, const ReleaseSaver& saveRelease = nullptr);

// The release the driver saves for revision k ("R<k>", the file at its revision), added to the
// list as a user's releases are.
void AddCrashRelease(std::vector<base::Release>& releases, int k, const std::string& revision, const std::string& date);
// Every release read back is whole and names a revision that holds its text.
std::vector<std::string> CheckCrashReleases(const std::string& dir, const std::vector<base::Release>& releases);

struct CrashCheck {
    int staleSemaphores = 0, scratchFiles = 0, partialLogLines = 0;  // found and cleaned
    int revisions = 0;
    std::vector<std::string> faults;  // what must never be found
};
// After a kill: stale semaphores, scratch files and a partial last log line cleaned as the
// program would, then the repository, its revisions, the journal, the working file and the log
// checked.
CrashCheck CheckAfterKill(const std::string& dir);

}  // namespace tarvo::test
