// Message ids of the shell's own texts (see the message table).
#pragma once

namespace tarvo::shell {

inline constexpr unsigned kMsgExecuteTitle = 4800;          // "Execute"
inline constexpr unsigned kMsgExecuteLabel = 4801;          // "Command line:"
inline constexpr unsigned kMsgStatisticsTitle = 4802;       // "Statistics"
inline constexpr unsigned kMsgStatisticsHeader = 4803;      // "File\tLines\tBytes"
inline constexpr unsigned kMsgStatisticsTotal = 4804;       // "Total\t%lld\t%lld"
inline constexpr unsigned kMsgUtilitiesTitle = 4805;        // "Utilities"
inline constexpr unsigned kMsgUtilitiesLabel = 4806;        // "Run the utility:"
inline constexpr unsigned kMsgVersionBox = 4807;            // "Tarvo\n%s\nBuilt %s"
inline constexpr unsigned kMsgHelpFileTitle = 4808;         // "Win32 help file"
inline constexpr unsigned kMsgHelpFileLabel = 4809;         // "Name of the Win32 help file:"
inline constexpr unsigned kMsgRestoreTitle = 4810;          // "Restore"
inline constexpr unsigned kMsgRestoreLabel = 4811;          // "Files autosaved by an earlier..."
inline constexpr unsigned kMsgRestoreFoundIn = 6100;        // "Files autosaved ..., found in %s:"
inline constexpr unsigned kMsgNotReopenedTitle = 4812;      // "Files not reopened"
inline constexpr unsigned kMsgNotReopenedLabel = 4813;      // "These files of the last session..."
inline constexpr unsigned kMsgVersionText = 4814;           // "Version %s"
inline constexpr unsigned kMsgNoUtilities = 1205;           // "No utilities defined"
inline constexpr unsigned kMsgCloseDebugging = 31;          // "This will close the debugging session"
inline constexpr unsigned kMsgDirectoryMissing = 4380;      // "Directory %s doesn't exist"

}  // namespace tarvo::shell
