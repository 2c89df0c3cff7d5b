// Reading documents from files and writing them back: load, insert a file, save (with the
// check before saving, backups and the CMS date stamp), reload, and the check for files
// changed on disk.
#pragma once
#include <ctime>
#include <string>
#include <string_view>

#include "editor/document.h"
#include "platform/files.h"

namespace tarvo::editor {

// Load results.
inline constexpr int kLoadOk = 0;
inline constexpr int kLoadCannotOpen = 1;
inline constexpr int kLoadNoMemory = 4;

// Replaces the document's text by the file's (LF and CR LF line ends alike; lines are kept
// whole). On failure the document is left as it was. A file holding NUL bytes is no text:
// the document becomes read only, and a box says why.
int Load(const std::string& name, Document& doc);
// Load without taking the file's time or looking at the bytes; skipFirstLine leaves out a
// header line; `binary` tells whether the file holds NUL bytes.
int LoadFile(const std::string& path, Document& doc, bool skipFirstLine, bool* binary = nullptr);
// An open document of that name (existed set), or a new one loaded from the file; null when
// the file cannot be read.
Document* OpenDocument(const std::string& name, bool* existed = nullptr);
// Loads a file into the current document, which takes its name. False, with a message, when
// nothing was loaded.
bool LoadIntoCurrentDocument(const std::string& name);
// The file's lines after the cursor line; the cursor goes to the last of them.
bool InsertFileAtCursor(const std::string& name);
// Picks the document's language from its name (and the C flag).
void ChooseLanguage(Document& doc);

// Saves the current document if it is modified; true when there was nothing to do or the file
// was written.
bool SaveCurrentDocument();
// Saves every modified document, stopping at the first failure.
bool SaveAll();
// Writes the document of that name to that path: trailing blanks and tabs leave the lines,
// every line ends with CR LF. Shows its message on failure.
bool WriteFile(const std::string& name);
// Writes an optional header and every line with CR LF as it is; silent, false on failure.
bool WriteDocumentToFile(const std::string& path, const Document& doc, std::string_view header = {});
// "Discard changes and reload?" and reload; refused for the internal buffer.
bool ReloadCurrentDocument();
// Re-reads a document's file, keeping each view's cursor at its line number and display column,
// and empties the undo log.
bool ReloadDocument(Document& doc);
// Offers every document whose file changed on disk for reloading, once per change; returns
// how many changed.
int CheckFilesOnDisk();

// Writes the time into the "$Date:...$" keyword of a "static char *_CMSID = " line.
bool StampCmsId(Document& doc);
// "%d.%d.%d.%d.%d.%d": year, month, day, hour, minute, second.
std::string DateStamp(const std::tm& time);
std::tm Now();

// Shows the message for a failed write of `path`; true for success.
bool ReportWriteStatus(platform::ReplaceStatus status, const std::string& path);

}  // namespace tarvo::editor
