// The crash loop of the version store: a driver that checks files in and out for ever, and the
// checks made after it was killed at a random moment.
#pragma once
#include <string>
#include <vector>

namespace tarvo::test {

// The text of revision k of the driver's file, and its date (one second after the other).
std::string CrashContent(int k);
std::string CrashDate(int k);

// Loops check-in (kept, removed or locked by turns), check-out with a lock and its release in
// `dir` (a "work" folder with its "CMS" below), writing what it begins and ends to
// dir\journal.txt. Returns only on a failure that must not happen (the exit status names it).
int RunCrashDriver(const std::string& dir);

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
