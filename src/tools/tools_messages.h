// Message ids of the call tree and the help generation (see the message table).
#pragma once

namespace tarvo::tools {

inline constexpr unsigned kMsgFunctionNotFound = 5950;     // "Function not found"
inline constexpr unsigned kMsgNoCalls = 5951;              // "Function calls no other function"
inline constexpr unsigned kMsgCircularity = 5952;          // "Circularity in the function tree."
inline constexpr unsigned kMsgTreeCut = 5953;              // the tree was cut at its limits
inline constexpr unsigned kMsgNoFunctionAtCursor = 5954;   // no name under the cursor
inline constexpr unsigned kMsgHelpNameRequired = 5955;     // "Name of the help file required"
inline constexpr unsigned kMsgHelpNoFiles = 5956;          // no file chosen
inline constexpr unsigned kMsgHelpBadTitle = 5957;         // a title with control characters
inline constexpr unsigned kMsgHelpForeignFile = 5958;      // "%s exists ... Replace it?"
inline constexpr unsigned kMsgHelpCompilerNotFound = 5959; // "Help compiler %s not found"
inline constexpr unsigned kMsgHelpCompilerFailed = 5960;   // "... failed (exit code %ld)..."
inline constexpr unsigned kMsgHelpNoHelpFile = 5961;       // exit 0 but no help file
inline constexpr unsigned kMsgHelpDone = 5962;             // "Help file %s written"
inline constexpr unsigned kMsgHelpProgress = 5963;         // "%s: %s %s"
inline constexpr unsigned kMsgHelpCancelled = 5964;        // "Help generation cancelled"
inline constexpr unsigned kMsgHelpBadName = 5965;          // "[%s]: incorrect help file name"
inline constexpr unsigned kMsgTreeTitle = 5966;            // "Tree"
inline constexpr unsigned kMsgCallersTitle = 5967;         // "Callers"
inline constexpr unsigned kMsgHelpProgressTitle = 5968;    // "Tarvo Help compiler"
inline constexpr unsigned kMsgNoCallers = 5969;            // "No function calls this function"
inline constexpr unsigned kMsgTreePrint = 5970;            // the tree window's "&Print..."

}  // namespace tarvo::tools
