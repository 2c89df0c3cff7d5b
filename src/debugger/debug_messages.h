// Message ids of the debug-information reader (see the message table).
#pragma once

namespace tarvo::debugger {

inline constexpr unsigned kMsgCouldNotOpen = 4900;          // "Couldn't open file"
inline constexpr unsigned kMsgUnrecognizedFormat = 4901;    // "Unrecognized file format"
inline constexpr unsigned kMsgAttachNoDebugInfo = 4902;     // "Impossible to attach\nNo debug ..."
inline constexpr unsigned kMsgNoDebugInfo = 4903;           // "No debugging information in %s"
inline constexpr unsigned kMsgBadModuleIndex = 4904;        // "Incorrect module index %d"
inline constexpr unsigned kMsgBadStringTable = 4905;        // "Incorrect length of string table"
inline constexpr unsigned kMsgNoEntryFunction = 4906;       // "Impossible to find the entry point. ..."
inline constexpr unsigned kMsgNoEntryModule = 4907;         // "... (_mainCRTStartup)"
inline constexpr unsigned kMsgDamagedSubsections = 4908;    // "%s: %d damaged parts ... skipped"
inline constexpr unsigned kMsgDamagedCodeView = 4909;       // "%s: the CodeView ... is damaged"
inline constexpr unsigned kMsgAmbiguousFile = 4910;         // "%s is the name of more than one ..."

}  // namespace tarvo::debugger
