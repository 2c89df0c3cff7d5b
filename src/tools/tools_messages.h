// Message ids of the call tree, the help generation and the object file cross reference (see
// the message table).
#pragma once

#include "binary/binary_messages.h"

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


using binary::kMsgUnrecognizedFormat;

// Why a file gave no module.
inline constexpr unsigned kMsgXrefSkipped = 6150;          // "These files were skipped:\n%s"
inline constexpr unsigned kMsgXrefCannotRead = 6151;       // "cannot be read"
inline constexpr unsigned kMsgXrefSymbolsPastEnd = 6152;   // symbol table past the end
inline constexpr unsigned kMsgXrefSectionsPastEnd = 6153;  // section table past the end
inline constexpr unsigned kMsgXrefBadStrings = 6154;       // string table length wrong
inline constexpr unsigned kMsgXrefAuxPastEnd = 6155;       // auxiliary records past the table
inline constexpr unsigned kMsgXrefBadName = 6156;          // a name outside the string table
inline constexpr unsigned kMsgXrefBadArchive = 6157;       // "damaged library: %s"
inline constexpr unsigned kMsgXrefNoFiles = 6158;          // "No files selected"

// Texts of the dialog.
inline constexpr unsigned kMsgXrefModule = 6160;        // "%s\nCode: %llu, Data: %llu\nBss: %llu"
inline constexpr unsigned kMsgXrefSymbolCount = 6161;   // "%zu Symbols"
inline constexpr unsigned kMsgXrefDefinedIn = 6162;     // "%s defined in %s"
inline constexpr unsigned kMsgXrefUsedIn = 6163;        // "Used in: "
inline constexpr unsigned kMsgXrefNotUsed = 6164;       // "Not used"
inline constexpr unsigned kMsgXrefSize = 6165;          // "\n(size %llu)"
inline constexpr unsigned kMsgXrefFindDefined = 6166;   // "Defined in %s.   "
inline constexpr unsigned kMsgXrefFindUsed = 6167;      // "Used in "
inline constexpr unsigned kMsgXrefTotals = 6168;        // "Totals\nDATA: ..."
inline constexpr unsigned kMsgXrefNotDefined = 6169;    // "%s not defined"
inline constexpr unsigned kMsgXrefSymbolName = 6170;    // "Symbol name"
inline constexpr unsigned kMsgXrefTitle = 6171;         // "ObjXRef"
inline constexpr unsigned kMsgXrefFileTitle = 6172;     // "Obj xref"
inline constexpr unsigned kMsgXrefCommon = 6173;        // " (common)"
inline constexpr unsigned kMsgXrefRelations = 6174;     // "Relations"

}  // namespace tarvo::tools
