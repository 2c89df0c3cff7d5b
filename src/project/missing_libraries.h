// Undefined symbols of a link looked up in the symbol-to-library index, the libraries found
// added to the project, and the makefile's LIBS line written anew.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

// The index's answer for one symbol: negative when it does not know it; otherwise `library`
// names the import library (its extension is ignored) and `detail` says where the symbol lives.
using SymbolIndex = std::function<int(const std::string& symbol, std::string& library, std::string& detail)>;

struct MissingLibraries {
    std::vector<std::string> lines;       // "symbol (detail) library", one per symbol found
    std::vector<std::string> candidates;  // libraries to add, each once, lower-cased
};

// Looks every symbol up; a library counts only when the root's lib folder has it
// (`inRootLib` is asked with its name) and the project does not name it already.
MissingLibraries FindMissingLibraries(const std::vector<std::string>& symbols, const SymbolIndex& index,
                                      const std::function<bool(const std::string&)>& inRootLib,
                                      const std::string& projectLibraries);

// The project's libraries with the candidates appended, separated by single blanks.
std::string AddLibraries(const std::string& libraries, const std::vector<std::string>& candidates);

enum class LibsUpdate { Rewritten, NoLibsLine, Failed };
// Writes every "LIBS=" line of the makefile in the make directory with the project's
// libraries (and the libraries among its files, as generation writes them). The new text
// replaces the makefile in one step; on any failure the makefile stays as it was.
LibsUpdate UpdateMakefileLibs(const std::string& makeDir, const base::ProjectSettings& project);

}  // namespace tarvo::project
