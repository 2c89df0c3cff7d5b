// Message ids of the debug-information reader (see the message table).
#pragma once

namespace tarvo::debugger {

inline constexpr unsigned kMsgCouldNotOpen = 5000;          // "Couldn't open file"
inline constexpr unsigned kMsgUnrecognizedFormat = 5001;    // "Unrecognized file format"
inline constexpr unsigned kMsgAttachNoDebugInfo = 5002;     // "Impossible to attach\nNo debug ..."
inline constexpr unsigned kMsgNoDebugInfo = 5003;           // "No debugging information in %s"
inline constexpr unsigned kMsgBadModuleIndex = 5004;        // "Incorrect module index %d"
inline constexpr unsigned kMsgBadStringTable = 5005;        // "Incorrect length of string table"
inline constexpr unsigned kMsgNoEntryFunction = 5006;       // "Impossible to find the entry point. ..."
inline constexpr unsigned kMsgNoEntryModule = 5007;         // "... (_mainCRTStartup)"
inline constexpr unsigned kMsgDamagedSubsections = 5008;    // "%s: %d damaged parts ... skipped"
inline constexpr unsigned kMsgDamagedCodeView = 5009;       // "%s: the CodeView ... is damaged"
inline constexpr unsigned kMsgAmbiguousFile = 5010;         // "%s is the name of more than one ..."

}  // namespace tarvo::debugger
