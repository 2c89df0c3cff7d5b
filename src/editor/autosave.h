// Autosave: every few minutes each changed document is written to a file of its own in an
// autosave directory below the compiler root (or, when an installed root cannot be written, in
// the user's own folder); after a crash the next start offers them back.
#pragma once
#include <string>
#include <vector>

#include "editor/document.h"

namespace tarvo::editor {

// The window side's timer.
inline constexpr unsigned kAutosaveTimerId = 53987;
inline constexpr unsigned kAutosavePeriodMs = 180000;

struct AutosaveState {
    std::vector<std::string> files;  // autosave files this run is responsible for
    bool running = false;            // the timer should be running
    std::string directory;           // chosen at the start; empty: the root's
};

// "<root>\tarvoautosave".
std::string RootAutosaveDirectory();
// "<user's folder>\tarvoautosave", empty when the window side names no such folder.
std::string UserAutosaveDirectory();
// Where this run writes: the root's directory when it can be written, else the user's.
std::string AutosaveDirectory();
// The directory, the document's file name in lower case, and a short hash of its full path,
// so that two documents with the same file name have files of their own.
std::string AutosavePath(const Document& doc);
std::string AutosavePathOf(const std::string& name);
// "Autosaved <name> <time>\r\n".
std::string AutosaveHeader(const Document& doc);
// Splits a header line (without its line end) into the document name and the time; the name
// may hold blanks, the time never does.
bool ParseAutosaveHeader(const std::string& line, std::string& name, std::string& time);

// At start-up: restores the files of a previous run (when autosave is enabled) and says so;
// true when the timer should be started. Restored documents are listed for the window side.
bool StartAutosave(std::vector<Document*>* restored = nullptr);
// The timer's call: writes every modified document not yet autosaved; returns how many.
int AutosaveTick();
bool AutosaveDocument(Document& doc);
// After a successful save: the document's autosave file goes.
void ForgetAutosave(Document& doc);
// At exit: deletes the files of this run.
void StopAutosave();
// A renamed document's file under its old name goes.
extern const DocumentListener kAutosaveListener;

// Finds the files of a previous run and, if the restore dialog says so, loads them back;
// returns how many documents were restored, -1 when autosave had to be switched off.
int RestoreAutosaved(std::vector<Document*>* restored = nullptr);

}  // namespace tarvo::editor
