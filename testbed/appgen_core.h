// The application skeleton generator's logic: its command line, the skeleton files, and the
// answer file the IDE reads back ("Project:<name>", then one line per file, "<role>:<path>").
#pragma once
#include <string>
#include <vector>

namespace tarvo::testbed {

struct AppgenRequest {
    enum class Kind { Windows, Console, Dll };
    Kind kind = Kind::Windows;
    std::string name, directory, answerFile;
    std::string problem;  // non-empty: the command line is wrong, and why
};

// /tarvo:<window> /prjname:<name> /prjpath:<dir> /out:<file> [/dll | /console]
AppgenRequest ParseAppgenArguments(const std::vector<std::string>& arguments);

// Why `name` cannot name a project ("" when it can): project names are registry key names and
// file names, without blanks, at most 49 characters.
std::string ProjectNameProblem(const std::string& name);

struct SkeletonFile {
    std::string role;  // "Source", "Resources" or "Header"
    std::string path;  // in the project directory
    std::string text;
};

// Two files: the source and, for a Windows program, its resource script, else a header.
std::vector<SkeletonFile> SkeletonFiles(const AppgenRequest& request);

std::string AnswerText(const std::string& name, const std::vector<SkeletonFile>& files);

}  // namespace tarvo::testbed
