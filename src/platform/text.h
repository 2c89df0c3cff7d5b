// Small text helpers shared by every subsystem.
#pragma once
#include <string>
#include <string_view>

namespace tarvo {

// printf into a std::string, without a length limit.
std::string Printf(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// The C atol rule: optional blanks, optional sign, leading digits; anything else gives 0.
// Saturates at the 32-bit range, so the program and the native build agree.
long AtoL(const std::string& text);

// ASCII case folding: file names, keywords and extensions compare without case.
std::string Lower(std::string_view text);
std::string Upper(std::string_view text);
// The same into `upper`, whose storage a caller upper-casing many texts keeps.
void UpperInto(std::string_view text, std::string& upper);
inline char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool SameText(std::string_view a, std::string_view b);

// Case-insensitive file name matching with "*" and "?"; a pattern ending in ".*" also matches
// names without an extension, as on Windows.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Bytes as a text read sees them: every CR LF as LF.
std::string LfLineEnds(std::string_view bytes);

}  // namespace tarvo
