// The Strings command's options dialog.
#pragma once

namespace tarvo::tools {

// The options asked for, then the strings moved; false when cancelled or nothing changed.
bool StringTableCommand();

}  // namespace tarvo::tools
