// The project's breakpoints in the editor. The saved list holds file and line; an open
// document carries its breakpoints as line marks, which follow their lines through edits, so
// the list is brought up to date from the marks whenever it is needed (before it is written,
// before a run, when a document closes).
#pragma once
#include <string>
#include <vector>

#include "base/settings.h"
#include "editor/document.h"

namespace tarvo::debugger {

// Whether a saved entry names the document: the same full path, or the same file name.
bool NamesDocument(const std::string& file, const editor::Document& doc);
// Marks the saved breakpoints of the document's file; true when a mark changed.
bool MarkSavedBreakpoints(editor::Document& doc, const std::vector<base::Breakpoint>& saved);
// The entries of every open document replaced by its marked lines; the others kept as they are.
void SyncSavedBreakpoints(std::vector<base::Breakpoint>& saved);
// Sets or clears the mark of a line (1-based); true when it is set afterwards.
bool ToggleBreakpointMark(editor::Document& doc, long line);
// Sets (or clears) the mark of a line, true when it changed.
bool SetBreakpointMark(editor::Document& doc, long line, bool on);

// Keeps the project's list in step as documents close or are read again.
extern const editor::DocumentListener kBreakpointListener;

}  // namespace tarvo::debugger
