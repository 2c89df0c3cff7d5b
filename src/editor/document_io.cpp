#include "editor/document_io.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "editor/autosave.h"
#include "editor/cursor.h"
#include "editor/edit.h"
#include "editor/line_reader.h"
#include "editor/editor_messages.h"
#include "editor/places.h"
#include "editor/undo.h"
#include "editor/window_messages.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

constexpr std::string_view kCmsIdPrefix = "static char *_CMSID = ";
constexpr std::size_t kCmsIdMinimum = 21;

struct Busy {
    Busy() {
        if (editor().seam.busy) editor().seam.busy(true);
    }
    ~Busy() {
        if (editor().seam.busy) editor().seam.busy(false);
    }
};

// Reads a file's lines, showing the message for running out of memory.
platform::ReadStatus ReadLinesOf(const std::string& name, LinePool& pool, bool skipFirstLine, ReadLines& read) {
    platform::ReadStatus status = ReadFileLines(name, pool, skipFirstLine, read);
    if (status == platform::ReadStatus::NoMemory) base::OutOfMemoryBox();
    return status;
}

void ResetViewsToTop(Document& doc) {
    for (auto& v : editor().views) {
        if (v->document != &doc) continue;
        v->topLine = v->cursorLine = doc.lines->next;
        v->anchorLine = nullptr;
        v->cursorColumn = v->anchorColumn = v->goalColumn = v->leftColumn = 0;
        v->cursorRow = 0;
        v->regions = nullptr;
        v->redraw |= kRedrawAll;
    }
    doc.savedCursorLine = doc.lines->next;
    doc.savedCursorColumn = 0;
    doc.savedAnchorLine = nullptr;
    doc.savedAnchorColumn = 0;
}

// Removes trailing blanks and tabs from a line, telling whoever keeps columns in it.
void StripLine(Document& doc, Line* line) {
    std::size_t n = line->length;
    while (n > 0 && (line->text[n - 1] == ' ' || line->text[n - 1] == '\t')) --n;
    if (n == line->length) return;
    long removed = static_cast<long>(line->length - n);
    TruncateText(*line, n);
    NotifyLineEdited(doc, line, static_cast<long>(n), -removed);
}

// Writes the document's lines, each with CR LF, under a scratch name and moves the result over
// `path`; given the document as `stripping`, trailing blanks leave its lines on the way.
platform::ReplaceStatus WriteLines(const std::string& path, const Document& doc, std::string_view header,
                                   const std::string& backup, Document* stripping) {
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    platform::ReplaceFile out;
    platform::ReplaceStatus status = platform::BeginReplace(out, path);
    if (status != platform::ReplaceStatus::Ok) return status;
    std::unique_ptr<char[]> buffer(new char[kBuffer]);
    std::size_t filled = 0;
    auto put = [&](const char* data, std::size_t size) {
        if (filled + size > kBuffer) {
            if (!platform::WriteReplace(out, buffer.get(), filled)) return false;
            filled = 0;
            if (size > kBuffer) return platform::WriteReplace(out, data, size);
        }
        if (size) std::memcpy(buffer.get() + filled, data, size);  // an empty text may have no data
        filled += size;
        return true;
    };
    bool ok = put(header.data(), header.size());
    for (Line* line = doc.lines->next; ok && line != doc.lines; line = line->next) {
        if (stripping) StripLine(*stripping, line);
        ok = put(line->text, line->length) && put("\r\n", 2);
    }
    if (!ok || !platform::WriteReplace(out, buffer.get(), filled)) return platform::ReplaceStatus::WriteFailed;
    return platform::FinishReplace(out, backup);
}

// Cursors beyond the new end of their line are pulled back to it.
void PullBackCursors(Document& doc) {
    ForEachPlace(doc, [&](Line*& l, long& c) {
        if (l != doc.lines) c = std::min<long>(c, l->length);
    });
    for (auto& v : editor().views) {
        if (v->document != &doc || v->cursorLine == doc.lines) continue;
        long end = DisplayColumn(*v->cursorLine, v->cursorLine->length);
        if (v->goalColumn > end) {
            v->goalColumn = end;
            v->redraw |= kRedrawCursor;
        }
    }
}

bool WriteDocument(Document& doc, const std::string& path, const std::string& backup) {
    platform::ReplaceStatus status = WriteLines(path, doc, {}, backup, &doc);
    PullBackCursors(doc);
    if (!ReportWriteStatus(status, path)) return false;
    doc.fileTime = platform::FileTime(path);
    ForgetAutosave(doc);
    return true;
}

}  // namespace

std::tm Now() {
    std::tm now{};
    if (editor().seam.localTime && editor().seam.localTime(now)) return now;
    std::time_t t = std::time(nullptr);
    if (std::tm* local = std::localtime(&t)) now = *local;
    return now;
}

std::string DateStamp(const std::tm& time) {
    return Printf("%d.%d.%d.%d.%d.%d", time.tm_year + 1900, time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min,
                  time.tm_sec);
}

bool ReportWriteStatus(platform::ReplaceStatus status, const std::string& path) {
    switch (status) {
        case platform::ReplaceStatus::Ok:
            return true;
        case platform::ReplaceStatus::CannotCreate:
            base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), path.c_str()));
            return false;
        case platform::ReplaceStatus::WriteFailed:
            base::ErrorBoxId(kMsgWriteError);
            return false;
        case platform::ReplaceStatus::CannotReplace:
            base::ErrorBox(Printf(base::GetString(kMsgCannotReplace), path.c_str()));
            return false;
    }
    return false;
}

int Load(const std::string& name, Document& doc) {
    bool binary = false;
    int result = LoadFile(name, doc, false, &binary);
    if (result != kLoadOk) return result;
    doc.fileTime = platform::FileTime(name);
    if (binary) {
        // Saving writes lines of text: the file's bytes would not survive an edit.
        doc.flags |= kReadOnly;
        base::InfoBox(Printf(base::GetString(kMsgBinaryReadOnly), name.c_str()));
    }
    return result;
}

int LoadFile(const std::string& path, Document& doc, bool skipFirstLine, bool* binary) {
    // The new ring is built apart, so running out of memory leaves the document as it was.
    LinePool pool;
    Line* sentinel = nullptr;
    ReadLines read;
    try {
        sentinel = NewLine(pool);
        sentinel->next = sentinel->prev = sentinel;
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
        return kLoadNoMemory;
    }
    switch (ReadLinesOf(path, pool, skipFirstLine, read)) {
        case platform::ReadStatus::Ok:
            break;
        case platform::ReadStatus::NoMemory:
            return kLoadNoMemory;
        default:
            return kLoadCannotOpen;
    }
    if (binary) *binary = read.binary;
    if (read.first) {
        sentinel->next = read.first;
        read.first->prev = sentinel;
        sentinel->prev = read.last;
        read.last->next = sentinel;
    }
    const long count = read.count;
    doc.pool = std::move(pool);
    doc.lines = sentinel;
    doc.blocks = std::move(read.blocks);
    doc.lineCount = count;
    doc.functions.reset();
    doc.comments.reset();
    doc.flags &= static_cast<std::uint16_t>(~(kModified | kLoadIncomplete | kFunctionsCurrent | kCommentMapCurrent));
    if (editor().numbers.document == &doc) ClearLineNumberCache();
    ResetViewsToTop(doc);
    NotifyTextReplaced(doc);
    return kLoadOk;
}

void ChooseLanguage(Document& doc) {
    bool isC = false;
    doc.language = editor().seam.chooseLanguage ? editor().seam.chooseLanguage(doc.name, isC) : nullptr;
    if (doc.language && isC) doc.flags |= kCLanguage;
    else doc.flags &= static_cast<std::uint16_t>(~kCLanguage);
}

Document* OpenDocument(const std::string& name, bool* existed) {
    if (existed) *existed = false;
    if (Document* doc = FindDocument(name, false)) {
        if (existed) *existed = true;
        return doc;
    }
    Busy busy;
    Document* doc = FindDocument(name, true);
    if (!doc) {
        base::OutOfMemoryBox();
        return nullptr;
    }
    if (Load(name, *doc) != kLoadOk) {
        CloseDocument(doc);
        return nullptr;
    }
    ChooseLanguage(*doc);
    return doc;
}

bool LoadIntoCurrentDocument(const std::string& name) {
    Document* doc = CurrentDocument();
    if (!doc || !NameIsFree(name, doc)) return false;
    Busy busy;
    int result = Load(name, *doc);
    if (result == kLoadCannotOpen) base::ErrorBoxId(kMsgReadWriteError);
    if (result != kLoadOk) return false;
    doc->name = name;
    SortDocuments();
    ChooseLanguage(*doc);
    ClearLineNumberCache();
    return true;
}

bool InsertFileAtCursor(const std::string& name) {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    Busy busy;
    // The lines are made first and linked in together: all of the file or nothing.
    ReadLines read;
    switch (ReadLinesOf(name, d.pool, false, read)) {
        case platform::ReadStatus::Ok:
            break;
        case platform::ReadStatus::CannotOpen:
            base::FileNotFoundBox(name);
            return false;
        case platform::ReadStatus::ReadError:
            base::ErrorBoxId(kMsgReadWriteError);
            return false;
        case platform::ReadStatus::NoMemory:
            return false;
    }
    try {
        d.blocks.reserve(d.blocks.size() + read.blocks.size());
    } catch (const std::bad_alloc&) {
        DiscardLines(d.pool, read);
        base::OutOfMemoryBox();
        return false;
    }
    for (platform::FileContent& block : read.blocks) d.blocks.push_back(std::move(block));
    // After the last line (the cursor on the sentinel) the file goes at the end.
    Line* after = v.cursorLine == d.lines ? d.lines->prev : v.cursorLine;
    Line* at = after;
    if (read.first) {
        read.last->next = after->next;
        after->next->prev = read.last;
        after->next = read.first;
        read.first->prev = after;
        at = read.last;
    }
    long count = read.count;
    d.lineCount += count;
    RingChanged(d, after);
    platform::ui().statusText(Printf(base::GetString(kMsgLinesRead), static_cast<int>(count)).c_str());
    if (count == 0) return true;
    v.cursorLine = at;
    v.cursorColumn = 0;
    KeepGoalColumn();
    MarkChanged(d, false);
    d.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    d.savedCursorLine = v.cursorLine;
    d.savedCursorColumn = v.cursorColumn;
    d.savedAnchorLine = v.anchorLine;
    d.savedAnchorColumn = v.anchorColumn;
    NotifyLinesInserted(d, after, count);
    return true;
}

bool StampCmsId(Document& doc) {
    for (Line* line = doc.lines->next; line != doc.lines; line = line->next) {
        std::string_view text = LineText(*line);
        if (text.size() < kCmsIdMinimum || text.substr(0, kCmsIdPrefix.size()) != kCmsIdPrefix) continue;
        doc.flags |= kHasCmsIdLine;
        std::size_t keyword = text.find("$D", kCmsIdPrefix.size());
        std::size_t colon = keyword == std::string_view::npos ? keyword : text.find(':', keyword);
        std::size_t dollar = colon == std::string_view::npos ? colon : text.find('$', colon + 1);
        // Without the closing dollar there is no room to write into.
        if (dollar == std::string_view::npos) return false;
        std::string stamp = DateStamp(Now());
        std::size_t room = dollar - colon - 1;
        stamp.resize(room, ' ');
        std::memcpy(line->text + colon + 1, stamp.data(), room);
        RequestRedraw(doc, kRedrawAll);
        return true;
    }
    return false;
}

bool WriteFile(const std::string& name) {
    Document* doc = CurrentDocument();
    if (!doc || CompareNames(doc->name, name) != 0) doc = FindDocument(name, false);
    if (!doc) {
        base::ErrorBox(Printf(base::GetString(kMsgNoSuchDocument), name.c_str()));
        return false;
    }
    return WriteDocument(*doc, name, {});
}

bool WriteDocumentToFile(const std::string& path, const Document& doc, std::string_view header) {
    return WriteLines(path, doc, header, {}, nullptr) == platform::ReplaceStatus::Ok;
}

bool SaveCurrentDocument() {
    Document* doc = CurrentDocument();
    if (!doc) return false;
    if (!(doc->flags & kModified)) return true;
    Busy busy;
    if (doc->flags & kLoadIncomplete) {
        if (!base::ConfirmId(kMsgTruncatedLines)) return false;
        doc->flags &= static_cast<std::uint16_t>(~kLoadIncomplete);
    }
    const long editorFlags = base::settings().editorFlags;
    if (doc->language && (editorFlags & base::kEditorCheckSyntax) && editor().seam.checkBeforeSave) {
        std::string problem;
        if (!editor().seam.checkBeforeSave(*doc, problem) &&
            !base::Confirm(Printf(base::GetString(kMsgCheckSave), problem.c_str())))
            return false;
    }
    StampCmsId(*doc);
    std::string backup = (editorFlags & base::kEditorBackups) ? platform::BackupName(doc->name) : std::string();
    if (!WriteDocument(*doc, doc->name, backup)) return false;
    doc->flags &= static_cast<std::uint16_t>(~kModified);
    return true;
}

bool SaveAll() {
    EditorState& s = editor();
    Document* current = s.current;
    std::vector<Document*> modified;
    for (auto& d : s.documents)
        if ((d->flags & kModified) && !(d->flags & kInternalBuffer)) modified.push_back(d.get());
    bool ok = true;
    for (Document* d : modified) {
        s.current = d;
        if (!SaveCurrentDocument()) {
            ok = false;
            break;
        }
    }
    s.current = current;
    return ok;
}

bool ReloadDocument(Document& doc) {
    struct Kept {
        View* view;
        long line;
        long display;
    };
    std::vector<Kept> kept;
    for (auto& v : editor().views) {
        if (v->document != &doc) continue;
        long display = v->cursorLine == doc.lines ? 0 : DisplayColumn(*v->cursorLine, v->cursorColumn);
        kept.push_back({v.get(), LineIndex(doc, v->cursorLine), display});
    }
    Busy busy;
    const std::uint16_t flags = doc.flags;
    doc.flags &= kInternalBuffer;  // all cleared; the load may find the file is no text
    int result = Load(doc.name, doc);
    if (result == kLoadCannotOpen) base::ErrorBoxId(kMsgReadWriteError);
    if (result != kLoadOk) {
        doc.flags = flags;  // the text and its flags stay as they were
        return false;
    }
    ChooseLanguage(doc);
    View* current = editor().currentView;
    for (const Kept& k : kept) {
        editor().currentView = k.view;
        SetCursor({k.line, 0});
        GoToDisplayColumn(k.display);
    }
    editor().currentView = current;
    ClearActionLog();
    return true;
}

bool ReloadCurrentDocument() {
    Document* doc = CurrentDocument();
    if (!doc) return false;
    if (doc->flags & kInternalBuffer) {
        base::ErrorBoxId(kMsgInternalBuffer);
        return false;
    }
    if (!base::ConfirmId(kMsgDiscardAndReload)) return false;
    return ReloadDocument(*doc);
}

int CheckFilesOnDisk() {
    EditorState& s = editor();
    View* before = s.currentView;
    std::vector<Document*> docs;
    for (auto& d : s.documents)
        if (!(d->flags & kInternalBuffer) && CompareNames(d->name, kUntitled) != 0) docs.push_back(d.get());
    int changed = 0;
    for (Document* doc : docs) {
        std::int64_t time = platform::FileTime(doc->name);
        if (time == 0 || time == doc->fileTime) continue;
        // Remembered before asking: a "no" is not asked again until the file changes again.
        doc->fileTime = time;
        ++changed;
        if (!base::Confirm(Printf(base::GetString(kMsgFileChanged), doc->name.c_str()))) continue;
        for (auto& v : s.views)
            if (v->document == doc) {
                ActivateView(v.get());
                break;
            }
        ReloadDocument(*doc);
    }
    if (before && s.currentView != before) ActivateView(before);
    return changed;
}

}  // namespace tarvo::editor
