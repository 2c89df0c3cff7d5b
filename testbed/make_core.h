// The small make's reading of a makefile and its decisions, without Windows: which rules run,
// in which order, and what -q answers. Files and processes come in through MakeHooks.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::testbed {

using Environment = std::function<std::optional<std::string>(const std::string& name)>;

struct MakeRule {
    std::vector<std::string> targets, prerequisites;  // names without their quotes
    std::vector<std::string> commands;                // macros still unexpanded
    int line = 0;                                     // of the target line, for messages
};

struct Makefile {
    std::map<std::string, std::string> macros;  // values unexpanded, as the makefile wrote them
    std::vector<MakeRule> rules;
    std::string problem;  // non-empty: the makefile cannot be read, and why
};

// Reads the text of a makefile: "NAME=value" macros, "targets: prerequisites" rules with
// tab-indented commands, "#" comment lines, "\" at a line's end joining the next line. The
// separator of a rule is a colon followed by a blank, a tab or the end of the line, so that
// "c:\x.obj" is one name; names in double quotes may hold blanks.
// Targets and prerequisites are expanded as they are read, with the macros defined above them.
Makefile ParseMakefile(const std::string& text, const Environment& environment);

// Replaces $(NAME) by the macro's value, expanded in turn, or by the environment's when the
// makefile does not define it, or by nothing; "$$" is "$". `problem` tells of a macro that
// refers to itself or a "$(" without its ")".
std::string ExpandMacros(const Makefile& makefile, const std::string& text, const Environment& environment,
                         std::string& problem);

// Splits a list of names at blanks and tabs; a name in double quotes keeps its blanks and loses
// the quotes.
std::vector<std::string> SplitNames(const std::string& text);

struct MakeHooks {
    // The file's time of last change (any unit that grows with time), nothing when it is missing.
    std::function<std::optional<long long>(const std::string& name)> fileTime;
    // Runs a command line and returns its exit code.
    std::function<int(const std::string& command)> run;
    std::function<void(const std::string& line)> message;  // make's own messages, for stderr
    std::function<void(const std::string& line)> echo;     // the commands as they run, for stdout
    Environment environment;
};

inline constexpr int kMakeNotUpToDate = 199;  // the answer of -q when something would be made
inline constexpr int kMakeFailed = 2;         // make's own failures: makefile, unknown targets

// Makes `goal` (the first rule's first target when empty): each prerequisite first, then the
// target's commands when the target is missing or older than a prerequisite, or a
// prerequisite was made anew. Stops at the first command that fails and returns its exit code.
// With `question` nothing runs: 199 when something would be made, else 0.
int RunMake(const Makefile& makefile, const std::string& goal, bool question, const MakeHooks& hooks);

struct MakeCommand {
    std::string makefile = "makefile";
    std::vector<std::string> goals;
    bool question = false;
    std::string problem;
};

// make [-q] [-f makefile] [target ...]
MakeCommand ParseMakeArguments(const std::vector<std::string>& args);

}  // namespace tarvo::testbed
