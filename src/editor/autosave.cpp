#include "editor/autosave.h"

#include <algorithm>
#include <cstdint>

#include "editor/document_io.h"
#include "editor/editor_messages.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

constexpr const char* kHeaderWord = "Autosaved ";
// Room for the longest Windows path in the header line.
constexpr std::size_t kHeaderLimit = 33000;
constexpr std::size_t kProbeSize = 256;
constexpr std::string_view kScratchEnd = ".~tmp";

AutosaveState& state() { return *editor().autosave; }

std::uint32_t Fnv1a(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

void DisableAutosave(const std::string& dirs) {
    base::ErrorBox(Printf(base::GetString(kMsgAutosaveDirNotWritable), dirs.c_str()));
    base::settings().editorFlags &= ~base::kEditorAutoSave;
    state().running = false;
}

// Creates a file in the directory, writes 256 bytes to it and deletes it again.
bool Writable(const std::string& dir) {
    const platform::FileOps& ops = platform::fileOps();
    std::string probe = platform::HostPath(dir + "\\~tarvo-probe.~tmp");
    std::FILE* file = ops.open(probe.c_str(), "wb");
    if (!file) return false;
    char bytes[kProbeSize] = {};
    bool ok = ops.write(bytes, sizeof bytes, file) == sizeof bytes;
    ok = ops.close(file) == 0 && ok;
    ops.remove(probe.c_str());
    return ok;
}

// A directory autosave can write in: there already or made now, and a file can be written.
bool Usable(const std::string& dir) {
    return (platform::DirectoryExists(dir) || platform::MakeDirectory(dir)) && Writable(dir);
}

// Picks this run's directory: the root's where it can be written (as ever), else the user's
// own, since an installed root is often closed to ordinary users. False with the message when
// neither can be written.
bool ChooseDirectory() {
    state().directory.clear();
    std::string rootDir = RootAutosaveDirectory();
    if (!base::settings().compilerRoot.empty() && Usable(rootDir)) {
        state().directory = rootDir;
        return true;
    }
    std::string tried = rootDir;
    std::string userDir = UserAutosaveDirectory();
    if (!userDir.empty()) {
        std::string folder = userDir.substr(0, userDir.rfind('\\'));
        if ((platform::DirectoryExists(folder) || platform::MakeDirectory(folder)) && Usable(userDir)) {
            state().directory = userDir;
            return true;
        }
        tried += "\n" + userDir;
    }
    DisableAutosave(tried);
    return false;
}

void Register(const std::string& path) {
    auto& files = state().files;
    if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Deletes an autosave file. One that will not go stays on the list, so that the exit tries
// again: left behind, a later start would offer its outdated text.
void ForgetAutosaveFile(const std::string& path) {
    if (platform::FileExists(path) && !platform::RemoveFile(path)) {
        Register(path);
        return;
    }
    auto& files = state().files;
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
}

// The file written under the old name holds text the document no longer has under that name.
void ForgetRenamed(Document& doc, const std::string& oldName) {
    ForgetAutosaveFile(AutosavePathOf(oldName));
    doc.flags &= static_cast<std::uint16_t>(~kAutoSaved);
}

struct Found {
    std::string path;
    std::string name;
};

}  // namespace

std::string RootAutosaveDirectory() { return Printf("%s\\tarvoautosave", base::settings().compilerRoot.c_str()); }

std::string UserAutosaveDirectory() {
    std::string folder = editor().seam.userDataFolder ? editor().seam.userDataFolder() : std::string();
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder.empty() ? folder : folder + "\\tarvoautosave";
}

std::string AutosaveDirectory() {
    return state().directory.empty() ? RootAutosaveDirectory() : state().directory;
}

std::string AutosavePathOf(const std::string& name) {
    std::size_t slash = name.find_last_of("\\/");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return AutosaveDirectory() + "\\" + Lower(base) + Printf(".%08x", Fnv1a(Lower(name)));
}

std::string AutosavePath(const Document& doc) { return AutosavePathOf(doc.name); }

std::string AutosaveHeader(const Document& doc) {
    return Printf("%s%s %s\r\n", kHeaderWord, doc.name.c_str(), DateStamp(Now()).c_str());
}

bool ParseAutosaveHeader(const std::string& line, std::string& name, std::string& time) {
    std::string_view word = kHeaderWord;
    if (line.compare(0, word.size(), word) != 0) return false;
    std::size_t blank = line.find_last_of(' ');
    if (blank == std::string::npos || blank < word.size() + 1 || blank + 1 >= line.size()) return false;
    name = line.substr(word.size(), blank - word.size());
    time = line.substr(blank + 1);
    return true;
}

bool AutosaveDocument(Document& doc) {
    std::string dir = AutosaveDirectory();
    std::string path = AutosavePath(doc);
    bool ok = (platform::DirectoryExists(dir) || platform::MakeDirectory(dir)) &&
              WriteDocumentToFile(path, doc, AutosaveHeader(doc));
    if (!ok) {
        base::ErrorBox(Printf(base::GetString(kMsgCannotAutosave), path.c_str()));
        return false;
    }
    Register(path);
    doc.flags |= kAutoSaved;
    return true;
}

int AutosaveTick() {
    if (!(base::settings().editorFlags & base::kEditorAutoSave)) return 0;
    std::vector<Document*> due;
    for (auto& d : editor().documents)
        if ((d->flags & kModified) && !(d->flags & (kAutoSaved | kInternalBuffer))) due.push_back(d.get());
    int written = 0;
    for (Document* doc : due) {
        if (!AutosaveDocument(*doc)) break;
        ++written;
    }
    if (written > 0) platform::ui().statusText(Printf(base::GetString(kMsgFilesAutosaved), written).c_str());
    return written;
}

void ForgetAutosave(Document& doc) {
    ForgetAutosaveFile(AutosavePath(doc));
    doc.flags &= static_cast<std::uint16_t>(~kAutoSaved);
}

void StopAutosave() {
    for (const std::string& path : state().files)
        if (platform::FileExists(path)) platform::RemoveFile(path);
    state().files.clear();
    state().running = false;
}

int RestoreAutosaved(std::vector<Document*>* restored) {
    if (!ChooseDirectory()) return -1;
    // Files of a run that had to use the user's folder are found there when the root can be
    // written again.
    std::vector<std::string> dirs{AutosaveDirectory()};
    std::string userDir = UserAutosaveDirectory();
    if (!userDir.empty() && userDir != dirs[0] && platform::DirectoryExists(userDir)) dirs.push_back(userDir);
    std::vector<Found> found;
    std::vector<std::string> entries;
    std::string folders;
    for (const std::string& dir : dirs) {
        std::vector<std::string> names = platform::ListDirectory(dir);
        std::sort(names.begin(), names.end());
        std::size_t before = found.size();
        for (const std::string& fileName : names) {
            if (EndsWith(fileName, kScratchEnd)) continue;  // an autosave cut short by the crash
            std::string path = dir + "\\" + fileName;
            std::string header, name, time;
            if (!platform::ReadFirstLine(path, kHeaderLimit, header)) {
                base::ErrorBox(Printf(base::GetString(kMsgCannotReopen), path.c_str()));
                return 0;
            }
            if (!ParseAutosaveHeader(header, name, time)) continue;  // not an autosave file
            found.push_back({path, name});
            entries.push_back(name + " " + time);
        }
        if (found.size() > before) folders += (folders.empty() ? "" : "; ") + dir;
    }
    if (found.empty()) return 0;
    if (!editor().seam.chooseRestore || !editor().seam.chooseRestore(entries, folders)) {
        if (base::ConfirmId(kMsgEraseAutosaved))
            for (const Found& f : found) platform::RemoveFile(f.path);
        return 0;
    }
    int count = 0;
    for (const Found& f : found) {
        Document* doc = FindDocument(f.name, false);
        bool existed = doc != nullptr;
        if (!doc) doc = FindDocument(f.name, true);
        if (!doc) {
            base::OutOfMemoryBox();
            break;
        }
        // An open document keeps its file time, so the change check does not offer to reload
        // the file over the restored text; a new one takes its file's time for the same reason.
        std::int64_t fileTime = existed ? doc->fileTime : platform::FileTime(f.name);
        if (LoadFile(f.path, *doc, true) != kLoadOk) {
            base::ErrorBoxId(kMsgReadWriteError);
            if (!existed) CloseDocument(doc);
            continue;
        }
        doc->fileTime = fileTime;
        if (!existed) ChooseLanguage(*doc);
        doc->flags |= kModified;
        // The file stays until the text is saved or the program ends normally: a second crash
        // before the next autosave must not lose the restored text.
        Register(f.path);
        if (f.path == AutosavePath(*doc)) doc->flags |= kAutoSaved;
        for (auto& v : editor().views)
            if (v->document == doc) {
                ActivateView(v.get());
                break;
            }
        if (restored) restored->push_back(doc);
        ++count;
    }
    return count;
}

const DocumentListener kAutosaveListener = {.documentRenamed = ForgetRenamed};

bool StartAutosave(std::vector<Document*>* restored) {
    if (!(base::settings().editorFlags & base::kEditorAutoSave)) return false;
    int count = RestoreAutosaved(restored);
    if (count < 0) return false;
    if (count > 0) base::InfoBox(base::GetString(kMsgAutosaveRestored));
    state().running = true;
    return true;
}

}  // namespace tarvo::editor
