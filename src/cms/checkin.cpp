#include "cms/checkin.h"

#include <algorithm>
#include <optional>

#include "base/messages.h"
#include "cms/binary_files.h"
#include "cms/cms_messages.h"
#include "cms/keywords.h"
#include "cms/log_file.h"
#include "cms/repository_store.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr unsigned kMsgCreationOf = 50;          // "Creation of %s impossible"
constexpr unsigned kMsgCmsDirectorySame = 233;  // "Cms directory should be different from current directory"
constexpr size_t kLogLimit = 4095;
constexpr size_t kHeaderWidth = 70;

std::string say(unsigned id) { return base::GetString(id); }
std::string say(unsigned id, const std::string& a) { return Printf(base::GetString(id), a.c_str()); }
std::string say(unsigned id, const std::string& a, const std::string& b) {
    return Printf(base::GetString(id), a.c_str(), b.c_str());
}

// What an operation says in the output window unless it is quiet.
struct Output {
    const CmsContext& c;
    bool quiet;
    void line(const std::string& text) const {
        if (!quiet && c.show) c.show(text);
    }
    bool ask(const std::string& question) const { return !quiet && c.ask && c.ask(question); }
};

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n\f") == std::string::npos; }

// The working file's text as the repository stores it.
std::string Stored(bool binary, const std::string& name, const std::string& content) {
    return binary ? Uuencode(content, name) : LfLineEnds(content);
}

bool PutLocked(const CmsContext& c, const PutRequest& r, const std::string& cmsPath, const std::string& working,
               const std::string& content, const Output& out) {
    Repository repo;
    OpenResult opened = ReadRepositoryFile(cmsPath, repo, true);
    if (opened == OpenResult::Failed) return false;
    if (opened == OpenResult::Ok && !OnAccessList(repo, c.user)) return false;
    bool binary = opened == OpenResult::New ? IsBinaryFile(r.file, content) : repo.binary != 0;
    if (opened == OpenResult::New) repo.binary = binary ? 1 : 0;
    if (!binary && IsBinaryFile(r.file, content)) {
        base::ErrorBox(say(kMsgStoredDiffers, working));
        return false;
    }
    std::string asked, message;
    // With kPutKeywords the working file names its revision, date, author and state.
    KeywordValues keywords;
    if (r.flags & kPutKeywords) {
        if (!ReadKeywords(content, keywords, message)) {
            base::ErrorBox(message);
            return false;
        }
        for (const std::string& warning : keywords.warnings) Log(c, FormatProblem(false, warning, c.user));
        if (r.revision.empty() && keywords.revision.empty()) {
            base::ErrorBox(say(kMsgNoIndicatedRevision, working));
            return false;
        }
        if (keywords.date.empty()) Log(c, FormatProblem(false, say(kMsgNoDateIn, working), c.user));
        if (keywords.author.empty()) Log(c, FormatProblem(false, say(kMsgNoAuthorIn, working), c.user));
    }
    std::string wanted = r.revision.empty() ? keywords.revision : r.revision;
    if (!wanted.empty() && !ExpandRevision(repo, wanted, asked, message)) {
        base::ErrorBox(message);
        return false;
    }
    Placement place;
    if (!PlaceRevision(repo, asked, c.user, place, message)) {
        base::ErrorBox(message);
        return false;
    }
    out.line(place.parent.empty() ? say(kMsgInitialRevisionLine, place.number)
                                  : say(kMsgNewRevision, place.number, place.parent));
    NewRevision revision;
    revision.number = place.number;
    revision.parent = place.parent;
    revision.author = (r.flags & kPutAuthor) && !r.author.empty() ? r.author
                      : !keywords.author.empty()                 ? keywords.author
                                                                 : c.user;
    if (!keywords.state.empty()) revision.state = keywords.state;
    revision.date = !keywords.date.empty() ? keywords.date : c.now ? c.now() : std::string();
    if (const Delta* parent = repo.Find(place.parent); parent && CompareNumbers(revision.date, parent->date) <= 0) {
        base::ErrorBox(Printf(base::GetString(kMsgDateNotLater), revision.date.c_str(), parent->date.c_str(),
                              parent->number.c_str()));
        return false;
    }
    if (place.parent.empty() && (place.number == "1.1" || place.number == "1.0"))
        revision.log = say(kMsgInitialRevisionLog);
    else if (Blank(r.log))
        revision.log = Printf(base::GetString(kMsgSavedBy), c.user.c_str(), revision.date.c_str());
    else
        revision.log = r.log.substr(0, kLogLimit);
    revision.text = Stored(binary, r.file, content);
    const bool keep = r.flags & (kPutKeep | kPutLock);
    if (!place.parent.empty()) {
        std::string previous;
        if (!Rebuild(repo, place.parent, previous, message)) {
            base::ErrorBox(message);
            return false;
        }
        if (previous == revision.text) {
            out.line(say(kMsgIdentical, working, place.parent));
            if (!out.ask(say(kMsgSaveAnyway))) {
                // The file is the stored revision: nothing is lost when it goes.
                if (!keep) platform::RemoveFile(working);
                out.line(say(kMsgPutAborted, working, keep ? "not " : ""));
                return false;
            }
        }
    }
    if (!AddRevision(repo, revision, message)) {
        base::ErrorBox(message.empty() ? say(kMsgDiffImpossible) : message);
        return false;
    }
    if ((r.flags & kPutLock) && !LockRevision(repo, c.user, place.number, message)) {
        base::ErrorBox(message);
        return false;
    }
    if (!r.symbol.empty()) {
        auto bound = std::find_if(repo.symbols.begin(), repo.symbols.end(), [&](const auto& s) { return s.first == r.symbol; });
        if (bound != repo.symbols.end()) bound->second = place.number;
        else repo.symbols.insert(repo.symbols.begin(), {r.symbol, place.number});
    }
    repo.description = r.log;
    // Only what reads back as the working file is written.
    std::string check;
    if (!RetrieveRevision(repo, place.number, check, message) || check != (binary ? content : LfLineEnds(content))) {
        base::ErrorBox(say(kMsgStoredDiffers, working));
        return false;
    }
    if (!WriteRepositoryFile(cmsPath, repo, c.readOnly)) return false;  // the working file stays
    Log(c, FormatOperation(Record("put", repo, place.number, c, r.file)));
    if (!keep) platform::RemoveFile(working);
    return true;
}

}  // namespace

std::string CrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

Semaphore::Semaphore(const std::string& cmsPath, const CmsContext& c) : path(cmsPath) {
    held = AcquireSemaphore(cmsPath, c.user, c.now ? c.now() : std::string());
}
Semaphore::~Semaphore() {
    if (held) ReleaseSemaphore(path);
}

bool CheckName(const CmsContext& c, const std::string& name, std::string& cmsPath) {
    if (size_t dollar = name.find('$'); dollar != std::string::npos) {
        base::ErrorBox(Printf(base::GetString(kMsgNameHasChar), '$'));
        return false;
    }
    if (SameText(c.cmsDirectory, c.workingDirectory)) {
        base::ErrorBoxId(kMsgCmsDirectorySame);
        return false;
    }
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos || name == "." || name == "..") {
        base::ErrorBoxId(kMsgIncorrectName);
        return false;
    }
    if (platform::DirectoryExists(c.workingDirectory + "\\" + name)) {
        base::ErrorBox(say(kMsgDirectoryIgnored, name));
        return false;
    }
    cmsPath = c.cmsDirectory + "\\" + name;
    return true;
}

bool OnAccessList(const Repository& repo, const std::string& user) {
    if (repo.access.empty()) return true;
    if (std::any_of(repo.access.begin(), repo.access.end(), [&](const std::string& a) { return SameText(a, user); }))
        return true;
    base::ErrorBox(say(kMsgNotOnAccessList, user));
    return false;
}

OperationRecord Record(const char* operation, const Repository& repo, const std::string& number,
                       const CmsContext& c, const std::string& file) {
    OperationRecord r{operation, number, 0, 0, static_cast<int>(repo.deltas.size()), {}, c.now ? c.now() : "", c.user,
                      file};
    std::vector<const Delta*> path;
    std::string message;
    if (PathTo(repo, number, path, message))
        for (const Delta* d : path) (FieldCount(d->number) == 2 ? r.trunkRevisions : r.branchRevisions)++;
    if (const Delta* d = repo.Find(number)) r.revisionDate = d->date;
    return r;
}

void Log(const CmsContext& c, const std::string& record) {
    std::string message;
    if (!AppendLog(c.cmsDirectory, record, message)) base::InfoBox(message);
}

std::string HeaderLine(const std::string& command) {
    std::string line = say(kMsgCommand, command);
    if (line.size() < kHeaderWidth) line.append(kHeaderWidth - line.size(), '-');
    return line;
}

bool Put(const CmsContext& c, const PutRequest& r) {
    const bool quiet = r.flags & kPutQuiet;
    Output out{c, quiet};
    if (c.show) c.show(HeaderLine("put " + r.file));
    std::string cmsPath;
    bool done = false;
    if (CheckName(c, r.file, cmsPath)) {
        std::string working = c.workingDirectory + "\\" + r.file;
        out.line(say(kMsgBecomes, working, cmsPath));
        platform::FileContent file;
        if (platform::ReadWholeFile(working, file) != platform::ReadStatus::Ok) {
            base::FileNotFoundBox(working);
        } else if (!platform::DirectoryExists(c.cmsDirectory) &&
                   (!c.ask || !c.ask(say(kMsgCreateCmsDirectory)) || !platform::MakeDirectory(c.cmsDirectory))) {
            // no repository directory: nothing done
        } else {
            Semaphore semaphore(cmsPath, c);
            done = semaphore.held && PutLocked(c, r, cmsPath, working, std::string(file.data.get(), file.size), out);
        }
    }
    out.line(Printf(base::GetString(kMsgPutDone), done ? 1 : 0));
    return done;
}

bool Get(const CmsContext& c, const GetRequest& r) {
    const bool quiet = r.flags & kGetQuiet;
    Output out{c, quiet};
    if (c.show) c.show(HeaderLine("get " + r.file));
    auto finish = [&](bool done) {
        out.line(Printf(base::GetString(kMsgGetDone), done ? 1 : 0));
        return done;
    };
    std::string cmsPath;
    if (!CheckName(c, r.file, cmsPath)) return finish(false);
    if (!platform::FileExists(cmsPath)) {
        base::FileNotFoundBox(cmsPath);
        return finish(false);
    }
    std::string working = r.destination.empty() ? c.workingDirectory + "\\" + r.file : r.destination;
    out.line(say(kMsgBecomes, cmsPath, working));
    const bool changesLocks = r.flags & (kGetLock | kGetUnlock);
    // Changing the locks holds the semaphore; reading only wants it free.
    std::optional<Semaphore> semaphore;
    if (changesLocks) {
        semaphore.emplace(cmsPath, c);
        if (!semaphore->held) return finish(false);
    } else if (!SemaphoreFree(cmsPath)) {
        return finish(false);
    }
    Repository repo;
    if (ReadRepositoryFile(cmsPath, repo, changesLocks) != OpenResult::Ok || !OnAccessList(repo, c.user))
        return finish(false);
    if (repo.head.empty()) {
        base::ErrorBoxId(kMsgNoRevisions);
        return finish(false);
    }
    std::string number, message;
    if ((r.flags & kGetRevision) && !r.revision.empty()) {
        if (!ExpandRevision(repo, r.revision, number, message)) {
            base::ErrorBox(message);
            return finish(false);
        }
    } else if (r.flags & kGetUnlock) {
        number = LockedBy(repo, c.user);
    }
    if (number.empty()) number = repo.defaultBranch;
    std::vector<const Delta*> path;
    if (!SearchRevision(repo, number, r.filters, path, message)) {
        base::ErrorBox(message);
        return finish(false);
    }
    const std::string found = path.back()->number;
    if ((r.flags & kGetLock) && !LockRevision(repo, c.user, found, message)) {
        base::ErrorBox(message);
        return finish(false);
    }
    if ((r.flags & kGetUnlock) && !UnlockRevision(repo, c.user, found, message)) {
        base::ErrorBox(message);
        return finish(false);
    }
    out.line(say(kMsgRevisionLine, found, r.flags & kGetLock ? say(kMsgLocked) : r.flags & kGetUnlock ? say(kMsgUnlocked) : ""));
    if (platform::FileExists(working) && !(r.flags & (kGetNoAsk | kGetOverwrite))) {
        if (quiet || !out.ask(say(kMsgExistsErase, working))) {
            if (!quiet) Log(c, FormatProblem(false, say(kMsgKeptWorkingFile, working), c.user));
            return finish(false);
        }
    }
    std::string content;
    if (!RetrieveRevision(repo, found, content, message)) {
        base::ErrorBox(message);
        return finish(false);
    }
    if (!repo.binary) content = CrLf(content);
    if (changesLocks && !WriteRepositoryFile(cmsPath, repo, c.readOnly)) return finish(false);
    Log(c, FormatOperation(Record("get", repo, found, c, r.file)));
    // The revision is written beside the working file and takes its place in one step: until
    // then the old working file is whole.
    if (platform::FileExists(working) && platform::IsReadOnly(working)) platform::SetReadOnly(working, false);
    platform::ReplaceFile replace;
    platform::ReplaceStatus status = platform::BeginReplace(replace, working);
    if (status == platform::ReplaceStatus::Ok) {
        if (!platform::WriteReplace(replace, content.data(), content.size())) status = platform::ReplaceStatus::WriteFailed;
        else status = platform::FinishReplace(replace);
    }
    if (status != platform::ReplaceStatus::Ok) {
        base::ErrorBox(platform::FileExists(working) ? say(kMsgExistsStopped, working) : say(kMsgCreationOf, working));
        return finish(false);
    }
    return finish(true);
}

int PutFiles(const CmsContext& c, const std::vector<std::string>& files, const std::string& log) {
    std::string shared = log;
    if (Blank(shared)) shared = Printf(base::GetString(kMsgSavedBy), c.user.c_str(), c.now ? c.now().c_str() : "");
    int attempted = 0;
    for (const std::string& file : files) {
        ++attempted;
        Put(c, {file, "", "", "", shared, kPutKeep | kPutLock});
    }
    return attempted;
}

int GetFiles(const CmsContext& c, const std::string& directory, const std::vector<std::string>& files) {
    int got = 0;
    for (const std::string& file : files) {
        if (Get(c, {file, "", directory + "\\" + file, {}, kGetNoAsk})) {
            ++got;
            continue;
        }
        if (!c.ask || !c.ask(Printf(base::GetString(kMsgErrorGetting), file.c_str()))) break;
    }
    return got;
}

int NeedsUpdate(const CmsContext& c, const std::string& file) {
    std::string working = c.workingDirectory + "\\" + file;
    std::string cmsPath = c.cmsDirectory + "\\" + file;
    if (!platform::FileExists(working))
        return c.ask && c.ask(Printf(base::GetString(kMsgFileMissingContinue), working.c_str())) ? 0 : -1;
    if (!platform::FileExists(cmsPath)) return 1;
    Repository repo;
    if (ReadRepositoryFile(cmsPath, repo) != OpenResult::Ok || repo.head.empty()) return 1;
    std::vector<const Delta*> path;
    std::string message, stored;
    if (!SearchRevision(repo, repo.defaultBranch, {}, path, message) ||
        !RetrieveRevision(repo, path.back()->number, stored, message))
        return 1;
    platform::FileContent content;
    if (platform::ReadWholeFile(working, content) != platform::ReadStatus::Ok) return 1;
    std::string text(content.data.get(), content.size);
    return stored == (repo.binary ? text : LfLineEnds(text)) ? 0 : 1;
}

}  // namespace tarvo::cms
