// The rules of the editor's file commands, apart from their dialogs: Read only, Save as and
// Rename with the names the dialogs gave, and the question before the last window of a
// modified document closes.
#pragma once
#include <string>

#include "editor/document.h"

namespace tarvo::editor {

// Switches the current document between read only and changeable, saying so in the status
// line.
bool ToggleReadOnly();

// The name Save as offers: the document's own, none for the internal buffer.
std::string SaveAsOffer(const Document& doc);
// The window side's part of Save as for the internal buffer: a window on the file just
// written takes the place of the buffer's window; false when the file could not be opened.
using ReplaceBufferWindow = bool (*)(const std::string& path);
// Save as to a full path. The internal buffer keeps its name: its text is written to the file
// (refused with "Name already used" when a document has that name), `replace` shows the file
// instead of the buffer, and the buffer is emptied. Any other document takes the name (and
// the language it implies; refused likewise) and is written, changed or not.
bool SaveCurrentDocumentAs(const std::string& path, ReplaceBufferWindow replace);

// Rename is refused for the internal buffer ("Internal buffer").
bool MayRename(const Document& doc);
// Rename to the name typed, taken from `directory` (the current directory when empty): a blank
// name or the document's own changes nothing; a name another document has is refused ("Name
// already used"). The document takes the language of its new name.
bool RenameCurrentDocumentTo(const std::string& typed, const std::string& directory = {});

// Before a view's window closes: when it is the last window of a modified document (not the
// internal buffer), asks whether to save; yes saves and closes only when the save worked, no
// closes, cancel keeps the window. True when the window may close.
bool MayCloseView(View& view);
// After a view's window closed: the view goes, and with the last one its document (never the
// internal buffer).
void ViewClosed(View& view);

}  // namespace tarvo::editor
