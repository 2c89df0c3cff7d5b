// The makefile of a project, composed whole from the project record. Composing is pure text
// work; the dependency scans, the progress display and the file-processor dialog are hooks,
// so that the same code runs in the program and in tests.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

struct MakefileHooks {
    // The dependencies of one source, or false when the scan failed (the hook has reported
    // it; no later source is scanned). `options` are the -I and -D options of the compile.
    std::function<bool(const std::string& options, const std::string& source,
                       std::vector<std::string>& dependencies)>
        scan;
    // Before each file's rules: the progress display, and the window kept alive.
    std::function<void(const std::string& file)> progress;
    // A file of a kind the makefile cannot handle: the user may define a processor for it.
    // Nothing: cancelled.
    std::function<std::optional<base::FileProcessor>(const std::string& file)> defineProcessor;
};

struct MakefileResult {
    std::string text;
    std::string resourceFile;          // the resource script or compiled resources, if any
    std::vector<std::string> objects;  // as listed in OBJS
};

// Composes the makefile. The project's libraries may gain the Fortran library, its file
// processors a new one and its files their dependencies. False after a message.
bool ComposeMakefile(const std::string& projectName, const std::string& root,
                     base::ProjectSettings& project, const MakefileHooks& hooks,
                     MakefileResult& result);

// The non-empty entries of a list separated by `separator`.
std::vector<std::string> SplitList(const std::string& text, char separator);

// "-Ientry" for each ";"-separated entry, quoted when it holds a blank.
std::vector<std::string> IncludeOptions(const std::string& includes);
// "-Dentry" for each entry: separated by ";", or, in a value holding no ";", by "," and then
// by blanks.
std::vector<std::string> DefineOptions(const std::string& defines);
// The compile's options text for CFLAGS (includes, defines, then the flag texts).
std::string CompilerFlagsText(const base::ProjectSettings& project);

// The dependency scan's command line, writing the list to `output`.
std::string DependencyCommand(const std::string& root, const std::string& output,
                              const std::string& options, const std::string& source);

// Names in the rules.
std::string SourcePath(const std::string& sourcesDir, const std::string& file);
std::string ObjectName(const std::string& file);
std::string DependencyMacro(const std::string& file);
// The LIBS value: the project's libraries, then the libraries among its files (linked too).
std::string LibsValue(const base::ProjectSettings& project);
// The built file: the executable name, else the project name, with the kind's extension when
// it has none.
std::string TargetName(const std::string& projectName, const base::ProjectSettings& project);

}  // namespace tarvo::project
