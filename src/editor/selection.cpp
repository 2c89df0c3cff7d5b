#include "editor/selection.h"

#include <algorithm>

#include "editor/document_io.h"
#include "editor/edit.h"
#include "editor/editor_messages.h"
#include "editor/undo.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::editor {

bool HasSelection() {
    View* v = CurrentView();
    return v && v->anchorLine;
}

void ClearSelection() {
    View* v = CurrentView();
    if (v && v->anchorLine) {
        v->anchorLine = nullptr;
        v->anchorColumn = 0;
        v->redraw |= kRedrawAll;
    }
}

void StartSelection() {
    View& v = *CurrentView();
    if (v.anchorLine) return;
    v.anchorLine = v.cursorLine;
    v.anchorColumn = v.cursorColumn;
}

bool SelectionExtent(Extent& extent) {
    View& v = *CurrentView();
    const Document& d = *v.document;
    if (!v.anchorLine) return false;
    auto column = [&](Line* line, long c) { return line == d.lines ? 0 : std::clamp<long>(c, 0, line->length); };
    Line* cursor = v.cursorLine;
    Line* anchor = v.anchorLine;
    long cursorColumn = column(cursor, v.cursorColumn);
    long anchorColumn = column(anchor, v.anchorColumn);
    bool anchorFirst;
    if (anchor == cursor) {
        anchorFirst = anchorColumn < cursorColumn;
    } else {
        // Walk both ways from the cursor at once: the cost is the distance to the anchor.
        Line* down = cursor;
        Line* up = cursor;
        bool found = false;
        anchorFirst = false;
        while (!found && (down != d.lines || up != d.lines)) {
            if (down != d.lines) {
                down = down->next;
                if (down == anchor) found = true;
            }
            if (!found && up != d.lines) {
                up = up->prev;
                if (up == anchor && up != d.lines) found = anchorFirst = true;
            }
        }
        if (!found) {
            base::ErrorBoxId(kMsgInternalError);
            return false;
        }
    }
    Line* from = anchorFirst ? anchor : cursor;
    long fromColumn = anchorFirst ? anchorColumn : cursorColumn;
    Line* to = anchorFirst ? cursor : anchor;
    long toColumn = anchorFirst ? cursorColumn : anchorColumn;
    extent.line = from;
    extent.column = fromColumn;
    extent.start = {LineIndex(d, from), fromColumn};
    extent.count = CharactersBetween(d, from, fromColumn, to, toColumn);
    return true;
}

long CharactersBetween(const Document& d, Line* from, long fromColumn, Line* to, long toColumn) {
    long count = 0;
    while (from != to && from != d.lines) {
        count += static_cast<long>(from->length) - fromColumn + 1;
        from = from->next;
        fromColumn = 0;
    }
    return count + toColumn - fromColumn;
}

std::string TextAt(const Document& d, Line* line, long column, long count) {
    std::string out;
    while (count > 0 && line != d.lines) {
        long take = std::min<long>(count, static_cast<long>(line->length) - column);
        if (take > 0) out.append(line->text + column, static_cast<std::size_t>(take));
        count -= std::max(take, 0L);
        if (count > 0) {
            out += '\n';
            --count;
        }
        line = line->next;
        column = 0;
    }
    return out;
}

std::string SelectionText() {
    Extent e;
    if (!SelectionExtent(e)) return {};
    return TextAt(*CurrentView()->document, e.line, e.column, e.count);
}

bool DeleteSelection() {
    Extent e;
    if (!SelectionExtent(e)) return false;
    View& v = *CurrentView();
    if (!CanEdit(*v.document)) return false;
    ClearSelection();
    SetCursorLine(e.line, e.column);
    return DeleteForward(e.count, false);
}

namespace {

// The selected characters replace the cut buffer.
bool SelectionToCutBuffer() {
    Extent e;
    if (!SelectionExtent(e)) return false;
    editor().cutBuffer = TextAt(*CurrentView()->document, e.line, e.column, e.count);
    return true;
}

}  // namespace

bool Copy() {
    if (!SelectionToCutBuffer()) return false;
    const std::string& cut = editor().cutBuffer;
    std::string clip;
    clip.reserve(cut.size() + cut.size() / 16);
    for (char c : cut) {
        if (c == '\n') clip += '\r';
        clip += c;
    }
    platform::clipboard().setText(clip);
    return true;
}

bool Cut() {
    if (!Copy()) return false;
    if (CurrentView()->document->flags & kReadOnly) return true;
    return DeleteSelection();
}

bool DeleteSelectionToCutBuffer() {
    if (!CanEdit(*CurrentView()->document) || !SelectionToCutBuffer()) return false;
    return DeleteSelection();
}

long Paste() {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return 0;
    std::string clip;
    if (platform::clipboard().getText(clip)) {
        clip.erase(std::remove(clip.begin(), clip.end(), '\r'), clip.end());
        editor().cutBuffer = std::move(clip);
    }
    if (HasSelection() && !DeleteSelection()) return 0;
    long count = InsertCounted(editor().cutBuffer);
    SetCommandCount(CMD_PASTE, count);
    d.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    return count;
}

long InsertCounted(std::string_view text) {
    View& v = *CurrentView();
    Document& d = *v.document;
    // Splitting keeps the upper part in the old line, so the insertion point stays valid;
    // after the last line the text starts in the line that follows the old last one.
    Line* first = v.cursorLine;
    long firstColumn = v.cursorColumn;
    Line* last = d.lines->prev;
    bool atEnd = first == d.lines;
    InsertString(text);
    if (atEnd) {
        first = last->next;
        firstColumn = 0;
    }
    return CharactersBetween(d, first, firstColumn, v.cursorLine, v.cursorColumn);
}

bool CopyToFile(const std::string& path) {
    platform::ReplaceFile out;
    platform::ReplaceStatus status = platform::BeginReplace(out, path);
    if (status == platform::ReplaceStatus::Ok) {
        platform::BufferedWriter writer(out);
        const std::string& cut = editor().cutBuffer;
        std::size_t start = 0;
        bool ok = true;
        while (ok && start < cut.size()) {
            std::size_t lf = cut.find('\n', start);
            std::size_t end = lf == std::string::npos ? cut.size() : lf;
            ok = writer.Put(cut.data() + start, end - start) && (lf == std::string::npos || writer.Put("\r\n", 2));
            start = end + 1;
        }
        status = ok && writer.Flush() ? platform::FinishReplace(out) : platform::ReplaceStatus::WriteFailed;
    }
    return ReportWriteStatus(status, path);
}

}  // namespace tarvo::editor
