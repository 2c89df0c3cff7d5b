// Message ids of the string table generator (see the message table).
#pragma once

namespace tarvo::tools {

inline constexpr unsigned kMsgStringsUnfinished = 4620;      // "%s: unfinished string line %d"
inline constexpr unsigned kMsgStringsBadChar = 4621;         // "%s: incorrect char constant line %d"
inline constexpr unsigned kMsgStringsDestroy = 5910;         // "Destroy existing file %s?\n"
inline constexpr unsigned kMsgStringsAppend = 5911;          // "%s exists.\nAdd the new strings at the end?"
inline constexpr unsigned kMsgStringsNone = 5912;            // "No string literals to move in %s"
inline constexpr unsigned kMsgStringsNotC = 5913;            // "%s is not a C source"
inline constexpr unsigned kMsgStringsNotIdentifier = 5914;   // "'%s' is not a C identifier"
inline constexpr unsigned kMsgStringsOutputOpen = 5915;      // "%s is open in a window. Close it first."
inline constexpr unsigned kMsgStringsCannotExtend = 5916;    // "%s cannot be extended: its closing line is missing"
inline constexpr unsigned kMsgStringsMoved = 5917;           // "%d strings moved to %s"
inline constexpr unsigned kMsgStringsCannotWrite = 5918;     // "%s could not be written; nothing was changed"
inline constexpr unsigned kMsgStringsTitle = 5919;           // "String table"

}  // namespace tarvo::tools
