#include "editor/file_commands.h"

#include "editor/autosave.h"
#include "editor/document_io.h"
#include "editor/editor_messages.h"
#include "editor/places.h"
#include "editor/screen.h"
#include "editor/window_messages.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

bool IsBlank(const std::string& name) { return name.find_first_not_of(" \t") == std::string::npos; }

bool OtherViewShows(const View& view) {
    for (auto& v : editor().views)
        if (v.get() != &view && v->document == view.document && v->window != 0) return true;
    return false;
}

// The document takes a new name and what its name implies.
bool TakeName(Document& doc, const std::string& name) {
    if (!RenameCurrentDocument(name)) return false;
    ChooseLanguage(doc);
    doc.comments.reset();
    doc.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    RequestRedraw(doc, kRedrawAll);
    return true;
}

}  // namespace

bool ToggleReadOnly() {
    Document* d = CurrentDocument();
    if (!d) return false;
    d->flags ^= kReadOnly;
    unsigned text = (d->flags & kReadOnly) ? kMsgNowReadOnly : kMsgNowWritable;
    platform::ui().statusText(Printf(base::GetString(text), d->name.c_str()).c_str());
    return true;
}

std::string SaveAsOffer(const Document& doc) { return (doc.flags & kInternalBuffer) ? std::string() : doc.name; }

bool SaveCurrentDocumentAs(const std::string& path, ReplaceBufferWindow replace) {
    Document* d = CurrentDocument();
    if (!d || IsBlank(path)) return false;
    if (!(d->flags & kInternalBuffer)) {
        if (CompareNames(path, d->name) != 0 && !TakeName(*d, path)) return false;
        d->flags |= kModified;  // written even when unchanged
        return SaveCurrentDocument();
    }
    Document& buffer = *d;
    if (!NameIsFree(path, nullptr)) return false;
    if (!WriteDocumentToFile(path, buffer)) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), path.c_str()));
        return false;
    }
    if (!replace || !replace(path)) return false;  // written, but not shown: the buffer keeps its text
    while (buffer.lines->next != buffer.lines) RemoveLine(buffer, buffer.lines->next);
    buffer.flags &= static_cast<std::uint16_t>(~kModified);
    RequestRedraw(buffer, kRedrawAll);
    return true;
}

bool MayRename(const Document& doc) {
    if (!(doc.flags & kInternalBuffer)) return true;
    base::ErrorBoxId(kMsgInternalBuffer);
    return false;
}

bool RenameCurrentDocumentTo(const std::string& typed, const std::string& directory) {
    Document* d = CurrentDocument();
    if (!d || !MayRename(*d) || IsBlank(typed)) return false;
    std::string name = platform::FullPath(typed, directory);
    if (name == d->name) return false;
    return TakeName(*d, name);
}

bool MayCloseView(View& view) {
    Document& d = *view.document;
    if (OtherViewShows(view) || !(d.flags & kModified) || (d.flags & kInternalBuffer)) return true;
    std::string text = Printf(base::GetString(kMsgSaveBeforeClosing), d.name.c_str());
    base::Answer answer = base::AskYesNoCancel(text);
    if (answer == base::Answer::No) return true;
    if (answer == base::Answer::Cancel) return false;
    SetCurrentView(&view);
    return SaveCurrentDocument();
}

void ViewClosed(View& view) {
    Document* d = view.document;
    bool last = !OtherViewShows(view);
    ForgetScreen(view);
    RemoveView(&view);
    if (last && !d->permanent) CloseDocument(d);
}

}  // namespace tarvo::editor
