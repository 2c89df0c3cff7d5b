// Message ids of the source analysis (see the message table).
#pragma once

namespace tarvo::analysis {

inline constexpr unsigned kMsgOpenFunction = 4618;         // "%s: open function definition"
inline constexpr unsigned kMsgSyntaxError = 4619;          // "%s: Syntax error line %d"
inline constexpr unsigned kMsgUnfinishedString = 4620;     // "%s: unfinished string line %d"
inline constexpr unsigned kMsgBadCharConstant = 4621;      // "%s: incorrect char constant line %d"
inline constexpr unsigned kMsgTooManyParens = 4622;        // "%s: too many ')' at line %d"
inline constexpr unsigned kMsgTooManyBrackets = 4623;      // "%s: too many ']' at line %d"
inline constexpr unsigned kMsgMismatchedParens = 4624;     // "%s: Mismatched () after line %d"
inline constexpr unsigned kMsgTooManyBraces = 4625;        // "%s: too many } at line %d"
inline constexpr unsigned kMsgEndifWithoutIf = 4626;       // "#endif without matching #if line %d"
inline constexpr unsigned kMsgMismatchedBraces = 4627;     // "%s: mismatched { } after line %d"
inline constexpr unsigned kMsgIfWithoutEndif = 4628;       // "%s: #if without matching #endif line %d"
inline constexpr unsigned kMsgTemporaryFile = 4629;        // "temporary file"
inline constexpr unsigned kMsgMismatchedBrackets = 4630;   // "%s: mismatched [ ] after line %d"

// Edit scripts, patches and the comparison.
inline constexpr unsigned kMsgUnknownScriptCommand = 5700;  // "unknown command in edit script: %c"
inline constexpr unsigned kMsgMissingLineNumber = 5701;     // "missing line number in edit script"
inline constexpr unsigned kMsgIncorrectRange = 5702;        // "incorrect range in edit script"
inline constexpr unsigned kMsgMissingDelimiter = 5703;      // "Missing string delimiter in edit script"
inline constexpr unsigned kMsgEofDuringEdit = 5704;         // "EOF during edit"
inline constexpr unsigned kMsgUnexpectedEof = 5705;         // "Incorrect CMS file: Unexpected EOF"
inline constexpr unsigned kMsgBeyondEnd = 5706;             // command past the end of the text
inline constexpr unsigned kMsgSourceCrc = 5710;             // "Source file CRC differs! Continue?"
inline constexpr unsigned kMsgResultCrc = 5711;             // "Result CRC differs from expected!"
inline constexpr unsigned kMsgCantOpenWorking = 5712;       // "Can't open working file %s"
inline constexpr unsigned kMsgSameName = 5713;              // "Files with the same name?"
inline constexpr unsigned kMsgMergeTwoFiles = 5714;         // "Merge works with 2 files only"
inline constexpr unsigned kMsgOutputDiffers = 5715;         // output must differ from the inputs
inline constexpr unsigned kMsgPatchNameRequired = 5716;     // "Name of the patch file required"
inline constexpr unsigned kMsgNoCSyntaxForPatch = 5717;     // C syntax refused for merge and patch

// The comparison windows, the directory comparison and the report.
inline constexpr unsigned kMsgViewerTitle = 5800;        // "%s vs %s"
inline constexpr unsigned kMsgMergeTitle = 5801;         // "Merge of %s and %s"
inline constexpr unsigned kMsgDiffPosition = 5802;       // "Diff. %d de %d"
inline constexpr unsigned kMsgEraseLines = 5803;         // "Erase %d lines beginning with line %d"
inline constexpr unsigned kMsgAddLines = 5804;           // "Add %d lines beginning with line %d"
inline constexpr unsigned kMsgNoText = 5805;             // "No text"
inline constexpr unsigned kMsgFilesIdentical = 5806;     // "Files identical"
inline constexpr unsigned kMsgCopyAnyway = 5807;         // "No text from file %s was used, ..."
inline constexpr unsigned kMsgMergeFinished = 5808;      // "Merge finished"
inline constexpr unsigned kMsgTooManyLines = 5809;       // "Too many changes. Only the first 200 ..."
inline constexpr unsigned kMsgEraseReport = 5810;        // "%s exists already. Erase it?"
inline constexpr unsigned kMsgDirectoryNotBoth = 5811;   // "%s is a directory, but %s is not"
inline constexpr unsigned kMsgAbsentIn = 5812;           // "Files absent in directory : %s"
inline constexpr unsigned kMsgAbsentsIn = 5813;          // "Files absents in directory : %s"
inline constexpr unsigned kMsgPresentInBoth = 5814;      // "Files present in both directories"
inline constexpr unsigned kMsgDiffFailed = 5815;         // "Diff of %s failed. Continue?"
inline constexpr unsigned kMsgNoNextDiff = 5816;         // "No next diff"
inline constexpr unsigned kMsgNoPreviousDiff = 5817;     // "No previous diff"
inline constexpr unsigned kMsgCannotCompare = 5818;      // a text that cannot be read
inline constexpr unsigned kMsgCompareInternal = 5819;    // the comparison's internal error
inline constexpr unsigned kMsgReportWritten = 5820;      // "Report written to %s"
inline constexpr unsigned kMsgPatchWritten = 5821;       // "Patch script written to %s"
inline constexpr unsigned kMsgPatchApplied = 5822;       // "%s patched into %s"
inline constexpr unsigned kMsgMergeLeft = 5823;          // a merge window closed before its end
inline constexpr unsigned kMsgNoFilesMatch = 5824;       // "No file matches %s"
inline constexpr unsigned kMsgTwoNamesNeeded = 5825;     // the dialog needs both names
inline constexpr unsigned kMsgReportNameRequired = 5826; // "Name of the report file required"
inline constexpr unsigned kMsgPatchNamesNeeded = 5827;   // the patch dialog needs three names
inline constexpr unsigned kMsgEditedName = 5828;         // "%s (edited)"

}  // namespace tarvo::analysis
