// The checks run before a document is saved (and by their own commands): balanced braces,
// parentheses, brackets, strings and #if nesting for C; parentheses, brackets and strings for
// Eiffel. Each reports the first problem found as one formatted message.
#pragma once
#include <string>
#include <string_view>

#include "analysis/char_source.h"
#include "editor/document.h"

namespace tarvo::analysis {

// True when the text is balanced; otherwise false with the message. `name` is the document's.
bool CheckBraces(const Lines& lines, std::string_view name, std::string& message);
bool CheckBrackets(const Lines& lines, std::string_view name, std::string& message);

bool CheckBraces(const editor::Document& doc, std::string& message);
bool CheckBrackets(const editor::Document& doc, std::string& message);

// The documents' check before saving: C documents get the brace check, Eiffel documents the
// bracket check, others pass.
bool CheckBeforeSave(editor::Document& doc, std::string& problem);

}  // namespace tarvo::analysis
