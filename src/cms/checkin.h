// Check-in (put) and check-out (get) of one working file: the opening checks, the revision it
// becomes or comes from, locks, the identical-file question, the log record, and the working
// file never lost on the way.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "cms/log_file.h"
#include "cms/revisions.h"

namespace tarvo::cms {

// What an operation needs of the project and the program.
struct CmsContext {
    std::string cmsDirectory;      // the project's repository directory
    std::string workingDirectory;  // where the working files are: the project directory
    std::string user;
    bool readOnly = false;         // repository files made read-only after each change
    std::function<void(const std::string& line)> show;  // the output window
    std::function<bool(const std::string& question)> ask;
    std::function<std::string()> now;  // the date of the operation, in the store's form
};

inline constexpr unsigned kPutKeywords = 1, kPutKeep = 4, kPutQuiet = 8, kPutAuthor = 16, kPutLock = 32;
struct PutRequest {
    std::string file;      // a bare name in the working directory
    std::string symbol;    // bound to the new revision; may be empty
    std::string revision;  // wanted number or symbolic name; may be empty
    std::string author;    // with kPutAuthor
    std::string log;
    unsigned flags = 0;
};
bool Put(const CmsContext& context, const PutRequest& request);

inline constexpr unsigned kGetNoAsk = 1, kGetLock = 2, kGetUnlock = 4, kGetQuiet = 8, kGetRevision = 16,
                          kGetOverwrite = 32;
struct GetRequest {
    std::string file;         // a bare name: the repository file's
    std::string revision;     // with kGetRevision: a number, a branch or a symbolic name
    std::string destination;  // empty: the working file
    SearchFilters filters;
    unsigned flags = 0;
};
bool Get(const CmsContext& context, const GetRequest& request);

// Several working files checked in, each kept and locked, with one log message (empty: the
// "Saved by" text). The count of files attempted.
int PutFiles(const CmsContext& context, const std::vector<std::string>& files, const std::string& log);
// Files got into a directory; a failure asks whether to go on. The count got.
int GetFiles(const CmsContext& context, const std::string& directory, const std::vector<std::string>& files);
// 1 when the file has no repository file or differs from the revision get would give, 0 when
// equal; -1 when its working file is missing and the user does not go on.
int NeedsUpdate(const CmsContext& context, const std::string& file);

// What every operation on one repository file shares.
// Holds the repository's semaphore for as long as it lives.
struct Semaphore {
    std::string path;
    bool held = false;
    Semaphore(const std::string& cmsPath, const CmsContext& c);
    ~Semaphore();
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;
};
// The opening checks of a working file's name; the repository file's path.
bool CheckName(const CmsContext& context, const std::string& name, std::string& cmsPath);
// Shows the refusal when the user is not on the repository's access list.
bool OnAccessList(const Repository& repo, const std::string& user);
// The log record of an operation on a revision of the file.
OperationRecord Record(const char* operation, const Repository& repo, const std::string& number,
                       const CmsContext& context, const std::string& file);
// Appends a record to the log; a log that cannot be written is said in an information box.
void Log(const CmsContext& context, const std::string& record);

// A text revision with the line ends of a Windows text file, as the working file has them.
std::string CrLf(const std::string& text);

// "Command: '...':" padded with '-' to 70 characters.
std::string HeaderLine(const std::string& command);

}  // namespace tarvo::cms
