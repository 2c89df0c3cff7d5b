// Message ids of grep (see the message table).
#pragma once

namespace tarvo::tools {

inline constexpr unsigned kMsgGrepEmptyExpression = 4601;  // "Empty search string?"
inline constexpr unsigned kMsgGrepNoDirectory = 4380;      // "Directory %s doesn't exist"
inline constexpr unsigned kMsgGrepHeader = 5900;           // "Searching for '%s' in '%s': %d hits."
inline constexpr unsigned kMsgGrepNotFound = 5901;         // "'%s': not found"
inline constexpr unsigned kMsgGrepNoMasks = 5902;          // "No files specified"
inline constexpr unsigned kMsgGrepEngineFailed = 5903;     // "%s\nin %s, line %d. The search was stopped."
inline constexpr unsigned kMsgGrepStopped = 5904;          // "Grep stopped: %d hits in the files searched so far"
inline constexpr unsigned kMsgGrepRunning = 5905;          // "Searching %s ..."
inline constexpr unsigned kMsgGrepTitle = 5906;            // "Global Regular Expression Print (GREP)"
inline constexpr unsigned kMsgUsageHeader = 5907;          // "Usage of %s: %d hits."

}  // namespace tarvo::tools
