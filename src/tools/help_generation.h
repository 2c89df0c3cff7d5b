// One help generation from start to end: the request checked, the topics written from copies
// of the chosen files, the output files replaced safely (a user's own files of those names
// only when the user agrees), and the help compiler run in the output folder with a time-out.
#pragma once
#include <string>
#include <vector>

#include "tools/help_file.h"

namespace tarvo::tools {

struct HelpRequest {
    std::vector<std::string> files;  // names of the chosen documents
    std::string helpFile = "noname.hlp";
    std::string title;
};

// A chosen file's name and a copy of its text, so that the generation never reads a document
// that is edited or closed while its progress window lets messages through.
struct HelpSource {
    std::string name;
    std::vector<std::string> lines;
};

// False, after saying why, when the request cannot be carried out.
bool CheckHelpRequest(const HelpRequest& request);

// The help compiler's command for the setting (a bare name is looked for in the root's bin).
std::string HelpCompilerPath(const std::string& setting, const std::string& root);

inline constexpr unsigned long kHelpCompilerTimeoutMs = 10 * 60 * 1000;

// Writes "<base>.RTF" and "<base>.HPJ" beside the help file and runs the compiler; true when
// it ended with exit code 0 and wrote the help file. Every failure is shown.
bool GenerateHelpFile(const HelpRequest& request, const std::vector<HelpSource>& sources, const std::string& compiler,
                      const HelpProgress& progress);

}  // namespace tarvo::tools
