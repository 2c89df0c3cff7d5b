// Message ids of the editor's texts (see the message table).
#pragma once

namespace tarvo::editor {

inline constexpr unsigned kMsgNoMoreMemory = 137;         // "No more memory left"
inline constexpr unsigned kMsgFileChanged = 1202;         // "File %s has been changed. Reload from disk?"
inline constexpr unsigned kMsgFileNotFound = 4036;        // "File %s not found!"
inline constexpr unsigned kMsgReadWriteError = 4120;      // "File read or write error."
inline constexpr unsigned kMsgTruncatedLines = 4121;      // "File contains truncated lines\nSave anyway?"
inline constexpr unsigned kMsgCheckSave = 4122;           // "%s\nSave?"
inline constexpr unsigned kMsgNoSuchDocument = 4123;      // "Internal error: File %s does not exist!"
inline constexpr unsigned kMsgWriteError = 4124;          // "Write error. Is the disk full?"
inline constexpr unsigned kMsgNameAlreadyUsed = 4125;     // "Name already used"
inline constexpr unsigned kMsgInternalBuffer = 4126;      // "Internal buffer"
inline constexpr unsigned kMsgDiscardAndReload = 4127;    // "Discard changes and reload?"
inline constexpr unsigned kMsgReadOnly = 4128;            // "File is read only"
inline constexpr unsigned kMsgLinesRead = 4129;           // "%d lines read"
inline constexpr unsigned kMsgInternalError = 4130;       // "Internal error"
inline constexpr unsigned kMsgUndoInternalError = 4131;   // "Undo: internal error"
inline constexpr unsigned kMsgAutosaveRestored = 4132;    // "Autosaved files restored in the editor"
inline constexpr unsigned kMsgFilesAutosaved = 4133;      // "%d files autosaved"
inline constexpr unsigned kMsgCannotAutosave = 4134;      // "Impossible to autosave %s. Disk Full?"
inline constexpr unsigned kMsgAutosaveDirNotWritable = 4135;
inline constexpr unsigned kMsgCannotReopen = 4136;        // "Impossible to reopen %s ???\nAborting restore"
inline constexpr unsigned kMsgEraseAutosaved = 4137;      // "Erase the autosaved files?"
inline constexpr unsigned kMsgCannotReplace = 4138;       // "Impossible to replace %s. The file is unchanged."

}  // namespace tarvo::editor
