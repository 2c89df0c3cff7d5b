// The configuration sheet's rules that need no window: which pages it has, the interlocks of
// the compiler and linker pages, the checks when the project page is left, and what happens
// after the sheet closes.
#pragma once
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

enum class ConfigPage {
    General, Project, Help, Versions, Compiler, Macros, Debugger, Linker, Language, Workspace, Utilities,
    SmallEiffel, Fortran
};

// The pages in their order: the project pages only while a project is current, SmallEiffel
// and Fortran only for projects holding such sources.
std::vector<ConfigPage> ConfigurationPages(const base::Settings& s);

// Compiler flag bits the compiler and linker pages edit (the makefile gives their options).
inline constexpr long kFlagNoLinkDebug = 0x01;
inline constexpr long kFlagOptimize = 0x04;
inline constexpr long kFlagBrowse = 0x10;
inline constexpr long kFlagAsm = 0x20;
inline constexpr long kFlagAllWarnings = 0x200;
inline constexpr long kFlagStackTrace = 0x800;    // -g3
inline constexpr long kFlagStackLines = 0x1000;   // -g4
inline constexpr long kFlagMapFile = 0x2000;
inline constexpr long kFlagIntermediate = 0x80000;
inline constexpr long kFlagPentiumPro = 0x200000;
inline constexpr long kFlagNoUnderscores = 0x400000;
inline constexpr long kFlagEliminate = 0x800000;
inline constexpr long kFlagAnsiOnly = 0x1000000;
inline constexpr long kStackBits = kFlagStackTrace | kFlagStackLines;

// Structure alignment 1, 2, 4, 8, 16: one bit each.
inline constexpr long kAlignmentBits[] = {0x4000, 0x8000, 0x10000, 0x20000, 0x40000};
inline constexpr long kAlignmentMask = 0x4000 | 0x8000 | 0x10000 | 0x20000 | 0x40000;
// The list's row for the flags (the first bit set), or -1 for none.
int AlignmentRow(long flags);
long WithAlignment(long flags, int row);

// The compiler page's boxes as the user sees them: the flags and whether the stack-trace
// boxes may be used.
struct CompilerBoxes {
    long flags = 0;
    bool stackEnabled = true;
};
// On opening: a DLL gives up the stack-trace bits for debug information; without debug
// information the stack-trace boxes are cleared and disabled.
CompilerBoxes OpenCompilerPage(long flags);
// A box changed to `on` by the user: the interlocks of -g3, -g4, debug information and
// "Eliminate unused assignments".
CompilerBoxes ClickCompilerBox(CompilerBoxes boxes, long bit, bool on);
// On leaving: a stack-trace bit needs debug information.
long LeaveCompilerPage(long flags);

// The linker page: a console application also marked a static library is a library.
long OpenLinkerPage(long flags);
// The kind chosen by the radio buttons replaces the old one; a DLL's own bit goes with it.
long WithKind(long flags, long kind);
// The output name as shown: in the make directory when it has no directory of its own.
std::string ShownOutputName(const std::string& exe, const std::string& makeDir);
// A console application made in the creation sheet links the text-console library.
std::string WithConsoleLibrary(const std::string& libraries, long flags);

// The project page's fields.
struct ProjectPage {
    std::string makeName, makeDir, exe, arguments, sourcesDir;
};
// The checks when the project page is left: the make program must exist (as given, with
// ".EXE", or in the root's bin), every make directory part must exist; the executable gets
// ".EXE" without an extension and the make directory without a directory. False after a
// message; nothing is changed then.
bool LeaveProjectPage(const std::string& root, ProjectPage& page);
// The message file of the compiler page; false after a message when it names a program.
bool CheckMessageFileName(const std::string& name);

// The fields of the project record the pages edit, taken and given back whole.
ProjectPage ProjectPageOf(const base::ProjectSettings& p);
// Stores the page in the project; true when anything changed.
bool ApplyProjectPage(const ProjectPage& page, base::ProjectSettings& p);

// The Versions page's user list: a name is added once (names compare without regard to case,
// as the store compares them), without the blanks around it. False after a message.
bool AddVersionUser(std::vector<std::string>& users, const std::string& name);

// After the sheet closed with OK: the settings written (when a project is current and they
// are saved at all), and a changed project offered a new makefile. `generate` writes it; it
// runs only after a Yes.
void AfterConfiguration(base::Settings& s, bool projectChanged, bool (*generate)());

}  // namespace tarvo::project
