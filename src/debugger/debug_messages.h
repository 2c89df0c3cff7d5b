// Message ids of the debugger (see the message table).
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

// Data breakpoints (5100 to 5119; 5104 is the run-time support's).
inline constexpr unsigned kMsgDataBreakFired = 5100;        // "Data breakpoint %d (at address 0x%x)\n..."
inline constexpr unsigned kMsgDataBreakExpression = 5101;   // "\nExpression: \"%s\""
inline constexpr unsigned kMsgDataBreakValues = 5102;       // "\n\nOld value: %d (0x%x)\nNew value: ..."
inline constexpr unsigned kMsgDataBreakUnaligned = 5103;    // "... on %d bytes ... multiple of %d ..."
inline constexpr unsigned kMsgDataBreakSize32 = 5105;       // "... watches 1, 2 or 4 bytes, not %d"
inline constexpr unsigned kMsgDataBreakSize64 = 5106;       // "... watches 1, 2, 4 or 8 bytes, not %d"
inline constexpr unsigned kMsgDataBreakOutside = 5107;      // "Address 0x%x is outside ..."
inline constexpr unsigned kMsgIncorrectAddress = 5108;      // "Incorrect address 0x%x"

}  // namespace tarvo::debugger
