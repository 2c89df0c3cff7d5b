// The operations log of a repository directory, LOGFILE.LOG, with its semaphore file: one line a
// record, appended whole or not at all.
#pragma once
#include <string>

namespace tarvo::cms {

struct OperationRecord {
    std::string operation;   // put, get, unlock, lock, del
    std::string revision;
    int trunkRevisions = 0;  // on the path from the head to the revision
    int branchRevisions = 0;
    int revisions = 0;       // in the repository file
    std::string revisionDate, operationDate, user, file;
};

std::string FormatOperation(const OperationRecord& r);
// An explicit lock, as the user gave the revision.
std::string FormatLock(const std::string& revision, const std::string& date, const std::string& user,
                       const std::string& file);
std::string FormatProblem(bool error, const std::string& message, const std::string& user);
std::string FormatKeywordWarning(const std::string& message, const std::string& user, const std::string& date);

std::string LogPath(const std::string& cmsDirectory);
std::string LogSemaphorePath(const std::string& cmsDirectory);

// Appends the record (a line end added when it has none) under the log's semaphore, tried
// `attempts` times a short pause apart. False with the message when the semaphore stays taken
// or the log cannot be written; the log is then unchanged.
bool AppendLog(const std::string& cmsDirectory, const std::string& record, std::string& message, int attempts = 50);

}  // namespace tarvo::cms
