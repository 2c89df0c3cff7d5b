// What the common file dialogs are given and what they hand back, without windows.
#pragma once
#include <string>
#include <vector>

namespace tarvo::base {

// The dialogs' file types: the message table keeps them as "label|pattern|label|pattern";
// the dialog wants each part ended by a zero byte and the whole by a second one.
// `typesId`: the message holding the types; 0: the program's C sources and all files.
std::string FileDialogFilter(unsigned typesId = 0);

// A dialog that allows several files hands back either one full name, or a folder followed by
// names in it, each ended by a zero byte and the list by a second one. The full names.
std::vector<std::string> SelectedFiles(const std::string& buffer);

}  // namespace tarvo::base
