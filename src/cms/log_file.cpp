#include "cms/log_file.h"

#include <chrono>
#include <thread>

#include "base/messages.h"
#include "cms/cms_messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr auto kPause = std::chrono::milliseconds(20);

}  // namespace

std::string FormatOperation(const OperationRecord& r) {
    return Printf("%s %10sr %3db %3df %3dt %sc %so %s %s\n", r.operation.c_str(), r.revision.c_str(), r.trunkRevisions,
                  r.branchRevisions, r.revisions, r.revisionDate.c_str(), r.operationDate.c_str(), r.user.c_str(),
                  r.file.c_str());
}

std::string FormatLock(const std::string& revision, const std::string& date, const std::string& user,
                       const std::string& file) {
    return "lock " + revision + " " + date + " " + user + " " + file;
}

std::string FormatProblem(bool error, const std::string& message, const std::string& user) {
    return std::string(error ? "error " : "warn ") + message + " " + user;
}

std::string FormatKeywordWarning(const std::string& message, const std::string& user, const std::string& date) {
    return "warn " + message + " Caller: " + user + " " + date + "\n";
}

std::string LogPath(const std::string& cmsDirectory) { return cmsDirectory + "\\LOGFILE.LOG"; }
std::string LogSemaphorePath(const std::string& cmsDirectory) { return cmsDirectory + "\\_LOGFILE.LO_"; }

bool AppendLog(const std::string& cmsDirectory, const std::string& record, std::string& message, int attempts) {
    const std::string semaphore = LogSemaphorePath(cmsDirectory);
    // Taken in one step: two programs can never both believe they hold it.
    bool held = false;
    for (int i = 0; i < attempts && !held; ++i) {
        if (i > 0) std::this_thread::sleep_for(kPause);
        held = platform::CreateExclusive(semaphore, "");
    }
    if (!held) {
        message = base::GetString(kMsgLogLocked);
        return false;
    }
    std::string line = record;
    if (line.ends_with('\n')) line.pop_back();
    if (line.ends_with('\r')) line.pop_back();
    line += "\r\n";
    const platform::FileOps& ops = platform::fileOps();
    bool written = false;
    if (std::FILE* f = ops.open(platform::HostPath(LogPath(cmsDirectory)).c_str(), "ab")) {
        // One write: a record is in the log whole, or (after a crash) as its last, partial line.
        written = ops.write(line.data(), line.size(), f) == line.size();
        written = ops.close(f) == 0 && written;
    }
    platform::RemoveFile(semaphore);
    if (!written) message = base::GetString(kMsgDiskFull);
    return written;
}

}  // namespace tarvo::cms
