// Eiffel projects: built by the Eiffel compiler's compile driver instead of a makefile. The
// option table, the configuration page's values, the preparation of a build, the compile
// command and the rebuild's clean command.
#pragma once
#include <functional>
#include <string>

#include "base/settings.h"

namespace tarvo::project {

inline constexpr long kEiffelDefaultFlags = 0x10040;  // all_check, debug information
inline constexpr long kEiffelBoost = 0x1;
inline constexpr long kEiffelModeBits = 0xff;          // the compilation modes: one of them
inline constexpr long kEiffelWindows = 0x4000;

struct EiffelOption {
    long bit;
    const char* text;  // empty: the bit gives no option
};
// In the order the command names them.
inline constexpr EiffelOption kEiffelOptions[] = {
    {0x1, "boost"},          {0x2, "no_check"},        {0x4, "require_check"},   {0x8, "ensure_check"},
    {0x10, "invariant_check"}, {0x20, "loop_check"},   {0x40, "all_check"},      {0x80, "debug_check"},
    {0x100, "trace"},        {0x200, "no_main"},       {0x400, "verbose"},       {0x800, "no_style_warning"},
    {0x1000, "no_split"},    {0x2000, "no_gc"},        {0x4000, ""},             {0x8000, "O"},
    {0x10000, "g2 -no_strip"}, {0x20000, "case_insensitive"}, {0x40000, "clean"},
};

// The Eiffel page's fields.
struct EiffelPage {
    std::string rootClass, rootProcedure, exe;
    long flags = kEiffelDefaultFlags;
};
// What the page shows: the stored values, "make" for no procedure, "<class>.exe" for no
// output name.
EiffelPage EiffelPageOf(const base::ProjectSettings& p);
// Applies the page; an empty root class changes nothing (false). Otherwise true.
bool ApplyEiffelPage(const EiffelPage& page, base::ProjectSettings& p);

// Before an Eiffel build: the root class asked for when there is none (`ask` gets the title
// and the prompt; false: cancelled, and the build does not start).
bool PrepareEiffelBuild(base::Settings& s,
                        const std::function<bool(const std::string& title, const std::string& prompt,
                                                 std::string& answer)>& ask);

// The compile command: the options of the flags, the program's own options and the output.
// The output goes to the make directory, or the sources directory when there is none; a name
// that has a directory keeps it.
std::string EiffelCompileCommand(const base::ProjectSettings& p);
// The directory the compiler runs in: the sources directory (the current one when empty).
std::string EiffelDirectory(const base::ProjectSettings& p);
// The rebuild's first step; empty when the project has no root class.
std::string EiffelCleanCommand(const base::ProjectSettings& p);

}  // namespace tarvo::project
