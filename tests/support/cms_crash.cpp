#include "cms_crash.h"

#include <cstdio>
#include <regex>
#include <set>

#include "cms/checkin.h"
#include "cms/log_file.h"
#include "cms/releases.h"
#include "cms/repository_store.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::test {
namespace {

std::string work(const std::string& dir) { return dir + "\\work"; }
std::string cmsDir(const std::string& dir) { return dir + "\\work\\CMS"; }
std::string journal(const std::string& dir) { return dir + "\\journal.txt"; }

void note(const std::string& dir, const std::string& line) {
    // One write with its line end: a kill leaves at most a partial last line.
    std::string text = line + "\n";
    if (std::FILE* f = std::fopen(platform::HostPath(journal(dir)).c_str(), "ab")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

std::string read(const std::string& path) {
    platform::FileContent c;
    if (platform::ReadWholeFile(path, c) != platform::ReadStatus::Ok) return {};
    return std::string(c.data.get(), c.size);
}

// The revision k that a log message "rev k" records; 0 for none.
int recorded(const std::string& log) { return log.rfind("rev ", 0) == 0 ? std::atoi(log.c_str() + 4) : 0; }

}  // namespace

std::string CrashContent(int k) {
    std::string text;
    for (int line = 0; line < 20 + k % 7; ++line) text += Printf("line %d of revision %d\r\n", line * (k % 3 + 1), k);
    return text;
}

std::string CrashDate(int k) {
    return Printf("2024.1.%d.%d.%d.%d", 1 + k / 86400, k / 3600 % 24, k / 60 % 60, k % 60);
}

void AddCrashRelease(std::vector<base::Release>& releases, int k, const std::string& revision, const std::string& date) {
    releases.push_back({Printf("R%d", k), "crash", Printf("release of revision %d", k), date, {"a.c," + revision}});
}

std::vector<std::string> CheckCrashReleases(const std::string& dir, const std::vector<base::Release>& releases) {
    std::vector<std::string> faults;
    cms::Repository repo;
    cms::Problems problems;
    if (!cms::ParseRepository(read(cmsDir(dir) + "\\a.c"), "a.c", repo, problems)) return faults;  // checked elsewhere
    for (const base::Release& r : releases) {
        int k = 0;
        std::string file, revision;
        if (std::sscanf(r.name.c_str(), "R%d", &k) != 1 || r.files.size() != 1 ||
            !cms::SplitEntry(r.files[0], file, revision) || file != "a.c") {
            faults.push_back("a release read back broken: " + r.name);
            continue;
        }
        const cms::Delta* d = repo.Find(revision);
        std::string text, message;
        if (!d || !cms::Rebuild(repo, revision, text, message) || text != LfLineEnds(CrashContent(k)))
            faults.push_back("release " + r.name + " names " + revision + ", which is not revision " + std::to_string(k));
    }
    return faults;
}

int RunCrashDriver(const std::string& dir, const ReleaseSaver& saveRelease) {
    platform::MakeDirectory(work(dir));
    platform::MakeDirectory(cmsDir(dir));
    int next = 0;
    cms::CmsContext c;
    c.cmsDirectory = cmsDir(dir);
    c.workingDirectory = work(dir);
    c.user = "crash";
    c.ask = [](const std::string&) { return false; };
    c.now = [&next] { return CrashDate(next); };
    const std::string cmsPath = cmsDir(dir) + "\\a.c";
    for (int round = 0;; ++round) {
        cms::Repository repo;
        if (cms::ReadRepositoryFile(cmsPath, repo, true) == cms::OpenResult::Failed) return 3;
        next = static_cast<int>(repo.deltas.size()) + 1;
        // A lock left by a killed check-out is released first, as a user would.
        if (!cms::LockedBy(repo, c.user).empty() &&
            !cms::Get(c, {"a.c", "", work(dir) + "\\got.c", {}, cms::kGetUnlock | cms::kGetNoAsk | cms::kGetQuiet}))
            return 4;
        std::FILE* f = std::fopen(platform::HostPath(work(dir) + "\\a.c").c_str(), "wb");
        if (!f) return 5;
        std::string text = CrashContent(next);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        unsigned flags = round % 3 == 0 ? 0u : round % 3 == 1 ? cms::kPutKeep : cms::kPutLock;
        note(dir, Printf("begin put %d %u", next, flags));
        if (!cms::Put(c, {"a.c", "", "", "", Printf("rev %d\n", next), flags | cms::kPutQuiet})) return 6;
        note(dir, Printf("end put %d", next));
        if (flags & cms::kPutLock &&
            !cms::Get(c, {"a.c", "", work(dir) + "\\got.c", {}, cms::kGetUnlock | cms::kGetNoAsk | cms::kGetQuiet}))
            return 7;
        note(dir, "begin get");
        if (!cms::Get(c, {"a.c", "", work(dir) + "\\got.c", {}, cms::kGetLock | cms::kGetNoAsk | cms::kGetQuiet}))
            return 8;
        if (!cms::Get(c, {"a.c", "", work(dir) + "\\got.c", {}, cms::kGetUnlock | cms::kGetNoAsk | cms::kGetQuiet}))
            return 9;
        note(dir, "end get");
        if (saveRelease) {
            cms::Repository now;
            if (cms::ReadRepositoryFile(cmsPath, now) != cms::OpenResult::Ok) return 10;
            note(dir, Printf("begin release %d", next));
            if (!saveRelease(next, now.head)) return 11;
            note(dir, Printf("end release %d", next));
        }
    }
}

CrashCheck CheckAfterKill(const std::string& dir) {
    CrashCheck check;
    auto fault = [&](const std::string& f) { check.faults.push_back(f); };
    // What a killed operation leaves, cleaned as the next operation's user would.
    for (const std::string& folder : {cmsDir(dir), work(dir)}) {
        for (const std::string& name : platform::ListDirectory(folder)) {
            bool semaphore = name.size() > 2 && name.front() == '_' && name.back() == '_';
            bool scratch = name.ends_with(".~tmp");
            if (!semaphore && !scratch) continue;
            (semaphore ? check.staleSemaphores : check.scratchFiles)++;
            platform::RemoveFile(folder + "\\" + name);
        }
    }
    // The log: complete records, and at most a partial last line, which goes.
    std::string logPath = cms::LogPath(cmsDir(dir));
    std::string log = read(logPath);
    size_t complete = log.rfind("\r\n");
    complete = complete == std::string::npos ? 0 : complete + 2;
    if (complete < log.size()) {
        ++check.partialLogLines;
        if (std::FILE* f = std::fopen(platform::HostPath(logPath).c_str(), "wb")) {
            std::fwrite(log.data(), 1, complete, f);
            std::fclose(f);
        }
        log.resize(complete);
    }
    static const std::regex record("(put|get) +[0-9.]+r +[0-9]+b +[0-9]+f +[0-9]+t [0-9.]*c [0-9.]+o crash a\\.c");
    for (size_t at = 0; at < log.size();) {
        size_t end = log.find("\r\n", at);
        std::string line = log.substr(at, end - at);
        if (!std::regex_match(line, record)) fault("log line: " + line);
        at = end + 2;
    }
    // The repository: read whole, every revision as recorded, numbered without a gap.
    std::string cmsPath = cmsDir(dir) + "\\a.c";
    std::set<int> present;
    if (platform::FileExists(cmsPath)) {
        cms::Repository repo;
        cms::Problems problems;
        std::string bytes = read(cmsPath);
        if (!cms::ParseRepository(bytes, cmsPath, repo, problems) || !problems.Clean()) {
            fault("the repository does not read: " + (problems.list.empty() ? std::string() : problems.list[0].text));
            return check;
        }
        for (const cms::Delta& d : repo.deltas) {
            int k = recorded(d.log) ? recorded(d.log) : d.log.rfind("Initial revision", 0) == 0 ? 1 : 0;
            std::string text, message;
            if (!cms::Rebuild(repo, d.number, text, message)) fault(d.number + " does not rebuild: " + message);
            else if (text != LfLineEnds(CrashContent(k))) fault(d.number + " is not the text of revision " + std::to_string(k));
            present.insert(k);
        }
        check.revisions = static_cast<int>(repo.deltas.size());
        if (!present.empty() && (*present.begin() != 1 || *present.rbegin() != static_cast<int>(present.size())))
            fault("the revisions have a gap");
    }
    // The journal: every finished check-in is there; the interrupted one, if any, is there or not.
    std::string lines = read(journal(dir));
    int lastBegun = 0;
    unsigned lastFlags = 0;
    bool lastEnded = true;
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find('\n', at);
        if (end == std::string::npos) break;  // a partial last line
        std::string line = lines.substr(at, end - at);
        at = end + 1;
        int k = 0;
        unsigned flags = 0;
        if (std::sscanf(line.c_str(), "begin put %d %u", &k, &flags) == 2) {
            lastBegun = k, lastFlags = flags, lastEnded = false;
        } else if (std::sscanf(line.c_str(), "end put %d", &k) == 1) {
            lastEnded = true;
            if (!present.count(k)) fault("finished check-in " + std::to_string(k) + " is missing");
        }
    }
    int highest = present.empty() ? 0 : *present.rbegin();
    if (lastBegun && highest > lastBegun) fault("a revision after the last check-in begun");
    // A put that removed its working file had stored the revision first.
    if (lastBegun && !lastEnded && !(lastFlags & (cms::kPutKeep | cms::kPutLock)) &&
        !platform::FileExists(work(dir) + "\\a.c") && !present.count(lastBegun))
        fault("the working file of check-in " + std::to_string(lastBegun) + " is gone without its revision");
    return check;
}

}  // namespace tarvo::test
