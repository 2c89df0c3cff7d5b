// Message ids of the object file cross reference (see the message table).
#pragma once

#include "binary/binary_messages.h"

namespace tarvo::tools {

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
