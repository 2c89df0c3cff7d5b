// The Diff/Merge command's rules apart from its windows: the names as typed taken to files or
// directories with a pattern, two directories paired by their files, the changes of a C
// comparison sorted into functions and the rest, and the report file written or appended to.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "analysis/compare.h"
#include "analysis/function_list.h"

namespace tarvo::analysis {

// A name as typed: a bare name is taken in the project directory; a name with `*` (or the name
// of an existing directory, which stands for all its files) is a directory and a pattern.
struct DiffName {
    std::string path;       // the full name (the pattern included)
    std::string directory;  // with a pattern: the directory
    std::string pattern;    // with a pattern: the file name pattern
    bool IsPattern() const { return !pattern.empty(); }
};
DiffName ResolveDiffName(const std::string& typed, const std::string& projectDirectory);

// The files of two directories that match their patterns, paired by name without regard to
// case; each list sorted without regard to case.
struct DirectoryPairing {
    std::vector<std::string> onlyFirst;   // absent from the second directory
    std::vector<std::string> onlySecond;  // absent from the first
    std::vector<std::string> both;        // with the first directory's spelling
};
DirectoryPairing PairFiles(const std::vector<std::string>& first, const std::vector<std::string>& second);
// The plain files of the directory whose names match the pattern.
std::vector<std::string> MatchingFiles(const DiffName& name);

// Where the changes of a C comparison lie: the functions that contain changes (each once, in
// the order of their first change, with the index of that change), and the changes outside
// every function as "%d %s %d %s" (the first deleted line and the first file's name, the first
// inserted line and the second's, lower-cased) with their indexes.
struct ChangePlaces {
    std::vector<std::string> functions;
    std::vector<long> functionChange;
    std::vector<std::string> outside;
    std::vector<long> outsideChange;
};
ChangePlaces PlaceChanges(const std::vector<Change>& changes, const FunctionRecords& firstFunctions,
                          const FunctionRecords& secondFunctions, std::string_view firstName,
                          std::string_view secondName);

// What becomes of a report file that may exist already.
enum class ReportTarget { Create, Append, AskToErase };
ReportTarget ReportTargetOf(bool exists, std::string_view firstBytes);
// Writes the report to the file: appended after the dashes to an earlier report, in place of
// another file only when the user agrees. False (nothing written) after a message or a No.
bool WriteComparisonReport(const std::string& reportFile, std::string_view report);

}  // namespace tarvo::analysis
