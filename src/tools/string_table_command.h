// The Strings command on the current document: the literals collected, the outputs written
// (after asking about any file that is not one of ours), and only then the source rebuilt, in
// one step that one Undo takes back.
#pragma once
#include "tools/string_table.h"

namespace tarvo::tools {

// The options kept between uses (until the program ends).
StringOptions& stringOptions();

// The array form's output when none is chosen: the document's base name with "_str.c".
std::string DefaultArrayFile(const std::string& documentPath);

// False, after its message, when nothing was changed.
bool MoveStrings(const StringOptions& options);

}  // namespace tarvo::tools
