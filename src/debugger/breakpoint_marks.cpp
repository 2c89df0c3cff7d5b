#include "debugger/breakpoint_marks.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

void ForgetDocument(editor::Document& doc) {
    // Its marks go with it: the list keeps them.
    std::vector<base::Breakpoint>& saved = base::settings().project.breakpoints;
    std::vector<base::Breakpoint> kept;
    bool any = false;
    for (const base::Breakpoint& b : saved)
        if (!NamesDocument(b.file, doc)) kept.push_back(b);
    for (editor::Line* line = doc.lines->next; line != doc.lines; line = line->next)
        if (line->marks & editor::kMarkBreakpoint) {
            kept.push_back({doc.name, editor::LineIndex(doc, line)});
            any = true;
        }
    if (any || kept.size() != saved.size()) saved = std::move(kept);
}

void Closing(editor::Document& doc) { ForgetDocument(doc); }

void Renamed(editor::Document& doc, const std::string& oldName) {
    for (base::Breakpoint& b : base::settings().project.breakpoints)
        if (editor::CompareNames(b.file, oldName) == 0) b.file = doc.name;
}

void Replaced(editor::Document& doc) { MarkSavedBreakpoints(doc, base::settings().project.breakpoints); }

}  // namespace

bool NamesDocument(const std::string& file, const editor::Document& doc) {
    if (editor::CompareNames(file, doc.name) == 0) return true;
    // A bare name stands for any file of that name; a path only for that file.
    return file.find_first_of("\\/:") == std::string::npos && SameText(file, platform::BaseName(doc.name));
}

bool SetBreakpointMark(editor::Document& doc, long line, bool on) {
    editor::Line* l = editor::LineAtNumber(doc, line);
    if (!l || ((l->marks & editor::kMarkBreakpoint) != 0) == on) return false;
    if (on) l->marks |= editor::kMarkBreakpoint;
    else l->marks &= static_cast<std::uint8_t>(~editor::kMarkBreakpoint);
    editor::RequestRedraw(doc, editor::kRedrawAll);
    return true;
}

bool ToggleBreakpointMark(editor::Document& doc, long line) {
    editor::Line* l = editor::LineAtNumber(doc, line);
    if (!l) return false;
    bool on = !(l->marks & editor::kMarkBreakpoint);
    SetBreakpointMark(doc, line, on);
    return on;
}

bool MarkSavedBreakpoints(editor::Document& doc, const std::vector<base::Breakpoint>& saved) {
    bool changed = false;
    for (const base::Breakpoint& b : saved)
        if (NamesDocument(b.file, doc)) changed |= SetBreakpointMark(doc, b.line, true);
    return changed;
}

void SyncSavedBreakpoints(std::vector<base::Breakpoint>& saved) {
    std::vector<base::Breakpoint> out;
    const auto& documents = editor::editor().documents;
    auto open = [&](const std::string& file) {
        return std::any_of(documents.begin(), documents.end(), [&](const std::unique_ptr<editor::Document>& d) {
            return !(d->flags & editor::kInternalBuffer) && NamesDocument(file, *d);
        });
    };
    for (const base::Breakpoint& b : saved)
        if (!open(b.file)) out.push_back(b);
    for (const std::unique_ptr<editor::Document>& d : documents) {
        if (d->flags & editor::kInternalBuffer) continue;
        long number = 1;
        for (editor::Line* line = d->lines->next; line != d->lines; line = line->next, ++number)
            if (line->marks & editor::kMarkBreakpoint) out.push_back({d->name, number});
    }
    saved = std::move(out);
}

const editor::DocumentListener kBreakpointListener = [] {
    editor::DocumentListener l;
    l.documentClosing = Closing;
    l.documentRenamed = Renamed;
    l.textReplaced = Replaced;
    return l;
}();

}  // namespace tarvo::debugger
