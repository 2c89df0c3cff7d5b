// The command line: the program's name is cut off, the first pass picks out the project and
// the debugger-attach options, the second pass makes the plan of files to open (or of an
// executable to debug). Opening is the caller's; these functions only decide.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"  // WildcardMatch

namespace tarvo::shell {

// Message ids of the command line's own texts.
inline constexpr unsigned kTextOptionNeedsNumber = 3952;  // "Option %s needs a number: %s"
inline constexpr unsigned kTextTooManyNames = 3953;

// Start-up options, from the command line.
struct StartupOptions {
    std::string tail;  // the command line without the program's name, as the user typed it
    bool banner = true;
    bool reopen = true;      // reopen the documents open at the last exit
    bool saveAtExit = true;  // the settings' save-at-exit flag
    bool anotherInstance = false;
    std::string projectName;  // from "/prj:", in the user's spelling
    bool attach = false;      // "/p" or "/d": attach the debugger instead of opening files
    unsigned long attachPid = 0;
    bool hasAttachEvent = false;  // "/e"
    unsigned long attachEvent = 0;
};

// The process command line without the program's name and the blanks after it: a name that
// begins with a double quote runs to the next one, any other to the first blank.
std::string CommandTail(std::string_view commandLine);

// The banner flag is clear when the tail holds "/w" anywhere (case matters);
// the reopen and save-at-exit flags start equal to it.
StartupOptions InitialOptions(std::string_view tail, bool anotherInstance);

// First pass, compared without case. "/prj:" names the project with the rest of the tail, clears
// the another-instance flag and empties the tail. Otherwise each word beginning with "/" or "-"
// is an option: "d" or "p" and a process id (blanks allowed before it) attaches the debugger,
// clears the reopen and save-at-exit flags and sets the another-instance flag; "e" and a number
// is the attach event; "f" clears the reopen and save-at-exit flags. An attach or event option
// without a usable number is reported and ignored.
void FirstPass(StartupOptions& options);

// At most this many command-line names are processed; the arguments of an executable to debug
// are not counted.
inline constexpr std::size_t kMaxCommandLineNames = 50;

struct Token {
    std::string text;  // quotes removed
    bool quoted = false;
};

// Splits at blanks; double quotes group blanks into a token and are removed.
std::vector<Token> SplitTokens(std::string_view tail);

struct OpenPlan {
    std::vector<std::string> patterns;  // file names or wild-card patterns, in order
    bool debug = false;                 // an executable was named
    std::string executable;
    std::string arguments;  // the tokens after it, joined by single blanks
};

// Second pass (not when attaching). An unquoted token beginning with "/" or "-" is an option:
// "f" or "w" clear the reopen and save-at-exit flags, "w" also the banner flag. A name whose
// extension is ".exe" (any case) is the program to debug: the tokens after it are its
// arguments and no further token is processed. Every other token is a file name pattern.
// Names beyond kMaxCommandLineNames are reported and not opened.
OpenPlan SecondPass(StartupOptions& options);

// When files were opened or the tail is not empty, the command line decides
// the session: the reopen and save-at-exit flags are cleared and the result is true.
bool CommandLineTakesOver(StartupOptions& options, int filesOpened);


// The names of the files in a directory ("" is the current directory).
using DirectoryLister = std::function<std::vector<std::string>(const std::string& directory)>;

// The files a command-line pattern names: wild cards in its last part are matched against the
// listing of its directory (sorted without case); a name without wild cards must be listed.
// A pattern that names no file is reported with "[%s]: incorrect file name".
std::vector<std::string> ExpandPattern(const std::string& pattern, const DirectoryLister& list);


}  // namespace tarvo::shell
