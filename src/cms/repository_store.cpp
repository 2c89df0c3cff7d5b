#include "cms/repository_store.h"

#include <chrono>
#include <thread>

#include "analysis/analysis_messages.h"
#include "base/messages.h"
#include "cms/binary_files.h"
#include "cms/cms_messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr auto kSemaphorePause = std::chrono::milliseconds(100);

std::string Message(unsigned id, const std::string& argument) {
    return Printf(base::GetString(id), argument.c_str());
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The model as reading the written file gives it back.
Repository AsWritten(const Repository& repo) {
    Repository expected = repo;
    expected.deltas.clear();
    expected.index.clear();
    for (const Delta& d : repo.deltas) {
        if (d.mark == 'D') continue;
        expected.index[d.number] = expected.deltas.size();
        expected.deltas.push_back(d);
        expected.deltas.back().lockedBy.clear();
    }
    for (const auto& [user, number] : expected.locks)
        if (Delta* d = expected.Find(number)) d->lockedBy = user;
    return expected;
}

bool StoreLocked(const StoreRequest& request, const std::string& content) {
    Repository repo;
    OpenResult opened = ReadRepositoryFile(request.cmsPath, repo, true);
    if (opened == OpenResult::Failed) return false;
    bool binary = opened == OpenResult::New ? IsBinaryFile(request.workingFile, content) : repo.binary != 0;
    // A text repository would change such a file on the way in.
    if (!binary && IsBinaryFile(request.workingFile, content)) {
        base::ErrorBox(Message(kMsgStoredDiffers, request.workingFile));
        return false;
    }
    if (opened == OpenResult::New) repo.binary = binary ? 1 : 0;
    NewRevision revision = request.revision;
    revision.text = binary ? Uuencode(content, BaseName(request.workingFile)) : LfLineEnds(content);
    std::string message;
    if (!AddRevision(repo, revision, message)) {
        base::ErrorBox(message);
        return false;
    }
    std::string stored;
    if (!RetrieveRevision(repo, revision.number, stored, message)) {
        base::ErrorBox(message);
        return false;
    }
    if (stored != (binary ? content : LfLineEnds(content))) {
        base::ErrorBox(Message(kMsgStoredDiffers, request.workingFile));
        return false;
    }
    return WriteRepositoryFile(request.cmsPath, repo, request.readOnly);
}

}  // namespace

std::string SemaphorePath(const std::string& cmsPath) {
    std::size_t slash = cmsPath.find_last_of("\\/:");
    std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return cmsPath.substr(0, nameStart) + "_" + cmsPath.substr(nameStart) + "_";
}

bool AcquireSemaphore(const std::string& cmsPath, const std::string& user, const std::string& date, int attempts) {
    std::string line = Printf("%s|%s|%s\r\n", user.c_str(), cmsPath.c_str(), date.c_str());
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt) std::this_thread::sleep_for(kSemaphorePause);
        if (platform::CreateExclusive(SemaphorePath(cmsPath), line)) return true;
    }
    // Taken by another operation, or it cannot be made at all (a folder we may not write).
    base::ErrorBox(platform::FileExists(SemaphorePath(cmsPath)) ? Message(kMsgInUse, cmsPath)
                                                                : Message(kMsgCannotCreateSemaphore, SemaphorePath(cmsPath)));
    return false;
}

bool ReleaseSemaphore(const std::string& cmsPath) {
    if (platform::RemoveFile(SemaphorePath(cmsPath))) return true;
    base::ErrorBox(Message(kMsgSemaphoreGone, cmsPath));
    return false;
}

bool SemaphoreFree(const std::string& cmsPath) {
    if (!platform::FileExists(SemaphorePath(cmsPath))) return true;
    base::ErrorBox(Message(kMsgInUse, cmsPath));
    return false;
}

void ShowProblems(const Problems& problems) {
    for (const Problem& p : problems.list) {
        if (p.weight == Weight::Warning) base::InfoBox(p.text);
        else base::ErrorBox(p.text);
    }
}

OpenResult ReadRepositoryFile(const std::string& cmsPath, Repository& repo, bool forChange) {
    repo = Repository{};
    if (!platform::FileExists(cmsPath)) return OpenResult::New;
    platform::FileContent content;
    if (platform::ReadWholeFile(cmsPath, content) != platform::ReadStatus::Ok) {
        base::ErrorBox(Message(analysis::kMsgCantOpenWorking, cmsPath));
        return OpenResult::Failed;
    }
    Problems problems;
    bool ok = ParseRepository(std::string_view(content.data.get(), content.size), cmsPath, repo, problems);
    ShowProblems(problems);
    return ok && (!forChange || problems.Clean()) ? OpenResult::Ok : OpenResult::Failed;
}

bool WriteRepositoryFile(const std::string& cmsPath, const Repository& model, bool readOnly) {
    Repository repo = model;
    NormaliseForWriting(repo);
    std::string message;
    if (!CheckNames(repo, message)) {
        base::ErrorBox(message);
        return false;
    }
    // Never write what the reader would refuse or read differently.
    std::string bytes = FormatRepository(repo);
    Repository reread;
    Problems problems;
    if (!ParseRepository(bytes, cmsPath, reread, problems) || !problems.Clean() ||
        !reread.SameContent(AsWritten(repo))) {
        base::ErrorBox(Message(kMsgWouldNotReadBack, cmsPath));
        return false;
    }
    bool wasReadOnly = platform::FileExists(cmsPath) && platform::IsReadOnly(cmsPath);
    if (wasReadOnly && !platform::SetReadOnly(cmsPath, false)) {
        base::ErrorBox(Message(base::kMsgCannotOpenForWriting, cmsPath));
        return false;
    }
    platform::ReplaceFile out;
    platform::ReplaceStatus status = platform::BeginReplace(out, cmsPath);
    if (status == platform::ReplaceStatus::Ok) {
        platform::WriteReplace(out, bytes.data(), bytes.size());
        status = platform::FinishReplace(out);
    }
    if (status != platform::ReplaceStatus::Ok) {
        if (wasReadOnly) platform::SetReadOnly(cmsPath, true);
        if (status == platform::ReplaceStatus::WriteFailed) base::ErrorBoxId(kMsgDiskFull);
        else base::ErrorBox(Message(base::kMsgCannotOpenForWriting, cmsPath));
        return false;
    }
    if (readOnly && !platform::SetReadOnly(cmsPath, true)) base::ErrorBox(Message(kMsgCannotMakeReadOnly, cmsPath));
    return true;
}

bool StoreWorkingFile(const StoreRequest& request) {
    platform::FileContent file;
    if (platform::ReadWholeFile(request.workingFile, file) != platform::ReadStatus::Ok) {
        base::ErrorBox(Message(analysis::kMsgCantOpenWorking, request.workingFile));
        return false;
    }
    std::string content(file.data.get(), file.size);
    if (!AcquireSemaphore(request.cmsPath, request.user, request.revision.date)) return false;
    bool stored = StoreLocked(request, content);
    bool released = ReleaseSemaphore(request.cmsPath);
    return stored && released;
}

bool RetrieveRevision(const Repository& repo, const std::string& number, std::string& content, std::string& message) {
    if (!Rebuild(repo, number, content, message)) return false;
    if (!repo.binary) return true;
    std::string text = std::move(content);
    if (Uudecode(text, content)) return true;
    message = Message(kMsgNotUuencoded, number);
    return false;
}

}  // namespace tarvo::cms
