// Message ids of the search, the regular expressions and the languages (see the message table).
#pragma once

namespace tarvo::editor {

inline constexpr unsigned kMsgStringNotFound = 4066;        // "String not found"
inline constexpr unsigned kMsgEmptySearch = 4601;           // "Empty search string?"
inline constexpr unsigned kMsgNoDirection = 4602;           // "Direction ?"
inline constexpr unsigned kMsgRegexNothingBefore = 4603;    // "?*+ followed by nothing"
inline constexpr unsigned kMsgRegexTrailingBackslash = 4604;
inline constexpr unsigned kMsgRegexBadRange = 4605;         // "Invalid [] range"
inline constexpr unsigned kMsgRegexEmptyOperand = 4606;     // "Operand of +? could be empty"
inline constexpr unsigned kMsgRegexTooManyGroups = 4607;    // "Too many () in reg exp"
inline constexpr unsigned kMsgRegexMismatchedParens = 4608;
inline constexpr unsigned kMsgRegexBad = 4609;              // "Bad regular expression"
inline constexpr unsigned kMsgRegexMissingBracket = 4610;   // "Missing ] in regular expression"
inline constexpr unsigned kMsgRegexTooComplex = 4611;       // "Regular expression too complex"
inline constexpr unsigned kMsgSubstitutions = 4612;         // "%d substitutions"
inline constexpr unsigned kMsgLanguageC = 4613;             // "C Language"
inline constexpr unsigned kMsgLanguageAssembly = 4614;
inline constexpr unsigned kMsgLanguageFortran = 4615;
inline constexpr unsigned kMsgLanguagePascal = 4616;
inline constexpr unsigned kMsgLanguageEiffel = 4617;        // "eiffel"

}  // namespace tarvo::editor
