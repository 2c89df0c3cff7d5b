// Message ids of the editor window's and the editor commands' texts (see the message table).
#pragma once

namespace tarvo::editor {

inline constexpr unsigned kMsgTitleModified = 4700;       // "* %s"
inline constexpr unsigned kMsgTitleReadOnly = 4701;       // "%s [read only]"
inline constexpr unsigned kMsgCursorPosition = 4702;      // "Line %ld  Col %ld"
inline constexpr unsigned kMsgSaveBeforeClosing = 4703;   // "%s has been modified.\nSave the changes?"
inline constexpr unsigned kMsgGoToLineTitle = 4704;       // "Go to line"
inline constexpr unsigned kMsgGoToLineLabel = 4705;       // "Line number (1 to %ld):"
inline constexpr unsigned kMsgBadLineNumber = 4706;       // "Incorrect line number: %s"
inline constexpr unsigned kMsgRenameTitle = 4707;         // "Rename"
inline constexpr unsigned kMsgRenameLabel = 4708;         // "New name of the file:"
inline constexpr unsigned kMsgBookmarkSet = 4709;         // "Bookmark set"
inline constexpr unsigned kMsgBookmarkRemoved = 4710;     // "Bookmark removed"
inline constexpr unsigned kMsgNoBookmarks = 4711;         // "No bookmarks"
inline constexpr unsigned kMsgBookmarksTitle = 4712;      // "Bookmarks"
inline constexpr unsigned kMsgBookmarksLabel = 4713;      // "Go to the bookmark:"
inline constexpr unsigned kMsgFunctionsTitle = 4714;      // "Functions"
inline constexpr unsigned kMsgFunctionsLabel = 4715;      // "Go to the function:"
inline constexpr unsigned kMsgNoFunctions = 4716;         // "No functions found in %s"
inline constexpr unsigned kMsgNowReadOnly = 4717;         // "%s is now read only"
inline constexpr unsigned kMsgNowWritable = 4718;         // "%s can be changed again"
inline constexpr unsigned kMsgReplaceThis = 4719;         // "Replace this occurrence?"
inline constexpr unsigned kMsgInactiveMarked = 4720;      // "%ld lines of inactive code"
inline constexpr unsigned kMsgNoInactiveOutput = 4721;    // "%s wrote no list of inactive lines"
inline constexpr unsigned kMsgNothingToUndo = 4722;       // "Nothing to undo"
inline constexpr unsigned kMsgReplaceTitle = 4723;        // "Replace"
inline constexpr unsigned kMsgFunctionLine = 4725;        // "%s\tline %ld"
inline constexpr unsigned kMsgEmptyCutBuffer = 4726;      // "Nothing to copy: select some text first"
inline constexpr unsigned kMsgNothingToRedo = 4727;       // "Nothing to redo"
inline constexpr unsigned kMsgBinaryReadOnly = 4728;      // "%s holds NUL bytes: ... open read only ..."

}  // namespace tarvo::editor
