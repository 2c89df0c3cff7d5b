// Language definitions: for the files whose extension a language lists, its keywords, comment
// and string characters and the way to find its functions. Five languages are built in; the
// user may change them or add others through the settings (base::Settings::languages).
#pragma once
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/keywords.h"

namespace tarvo::editor {

// Language flags.
inline constexpr std::uint16_t kLanguageDefault = 0x0001;
inline constexpr std::uint16_t kLanguageLineComment = 0x0002;  // a comment runs to the line end
inline constexpr std::uint16_t kLanguageIgnoreCase = 0x0004;   // keywords and patterns

// How a language's functions are found (analysis/function_list.h).
enum class FunctionFinder { C, Pattern, Fortran, Pascal, Eiffel };

struct Language {
    std::string name;  // unique in the list
    long code = 0;     // kept for user-defined languages
    KeywordTable keywords;
    std::string comment;  // the pattern-driven finder skips lines starting with its first char
    FunctionFinder finder = FunctionFinder::Pattern;
    std::string startFunction;  // regular expression matching a function's first line
    std::string endFunction;    // and its last line
    std::string extensions;     // separated by ';'
    std::string stringChars;    // characters that open and close literals
    std::uint16_t flags = kLanguageDefault;
    std::bitset<256> wordChars;  // characters that may form a keyword
    bool builtIn = false;
};

struct LanguageState {
    std::vector<std::unique_ptr<Language>> list;  // searched from the front
    bool built = false;
};

LanguageState& languages();
// Forgets the list (tests); the next lookup builds it again from the settings.
void ResetLanguages();

// Puts the five built-in languages into the settings' list (replacing any there), to be done
// before the settings are read, so stored definitions update or join them.
void InstallBuiltInLanguages();
// Builds the editor's list from the settings' list and gives every open document its language
// again (after start-up reading, and after the user changed the definitions).
void BuildLanguages();

// The language of a file, from the text after the last '.' of its name compared without regard
// to case with each extension of each language, the first match winning; null for none.
const Language* LanguageForFile(std::string_view fileName);
// The documents' hook: the language for a file name; sets isC for "C Language", and flags the
// open project as holding Eiffel or Fortran sources.
const Language* ChooseLanguageForDocument(const std::string& fileName, bool& isC);

bool IsCLanguage(const Language* language);
bool IsEiffelLanguage(const Language* language);
// A word of the language's keywords (compared in lower case when the language ignores case).
bool IsLanguageKeyword(const Language& language, std::string_view word);

}  // namespace tarvo::editor
