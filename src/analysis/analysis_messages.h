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

}  // namespace tarvo::analysis
