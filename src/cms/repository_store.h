// Repository files on the disk: reading one with its messages, replacing one safely, the
// semaphore file that guards it while it changes, and storing a working file as a new revision.
#pragma once
#include <string>

#include "cms/repository.h"

namespace tarvo::cms {

// "_NAME_" beside the repository file NAME.
std::string SemaphorePath(const std::string& cmsPath);
// Creates the semaphore file (one line: user, repository path, date) in one step that no other
// process can win at the same time; tries `attempts` times with a short pause in between.
// Shows "in use" and returns false when it stays taken.
bool AcquireSemaphore(const std::string& cmsPath, const std::string& user, const std::string& date,
                      int attempts = 1);
bool ReleaseSemaphore(const std::string& cmsPath);  // shows a message when it is gone
// For operations that only read: false after "in use" when an operation is changing the file.
bool SemaphoreFree(const std::string& cmsPath);

// Shows errors and reports in error boxes and warnings in information boxes.
void ShowProblems(const Problems& problems);

enum class OpenResult { Ok, New, Failed };
// Reads a repository file; New (an empty repository) when there is none yet. Failed after the
// messages. Reading goes on after warnings; an operation that will rewrite the file
// (`forChange`) stops at any problem, so that nothing the damage hides is lost by the rewrite.
OpenResult ReadRepositoryFile(const std::string& cmsPath, Repository& repo, bool forChange = false);

// Writes the repository in place of the file: names checked, the new bytes parsed again and
// compared with the model, then written beside the file, flushed and moved over it in one step.
// After a failure or an interruption the file is the old one or the new one. With `readOnly`
// the new file is made read-only.
bool WriteRepositoryFile(const std::string& cmsPath, const Repository& repo, bool readOnly = false);

struct StoreRequest {
    std::string cmsPath;
    std::string workingFile;
    NewRevision revision;  // everything but the text, which comes from the working file
    std::string user;      // for the semaphore
    bool readOnly = false;
};
// Stores the working file as a new revision (binary files uuencoded), after checking that the
// stored revision rebuilds to the working file exactly. False after a message, with the
// repository file unchanged.
bool StoreWorkingFile(const StoreRequest& request);

// The content of a revision as the working file holds it (binary files decoded).
bool RetrieveRevision(const Repository& repo, const std::string& number, std::string& content, std::string& message);

}  // namespace tarvo::cms
