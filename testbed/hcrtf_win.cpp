// hcrtf.exe, the help compiler:
//
//   hcrtf -xh <project>.HPJ
//
// reads the project file and the topics files it names (relative to the project's folder),
// checks them strictly (hcrtf_core.h says what), writes the error log the project names
// (ERRORLOG; "<project>.msg" when it names none) with one line per problem, and on success
// writes "<project>.hlp" as a text dump of the topics (format in hcrtf_core.h).
// Exit status: 0 the help file was written; 1 problems found (no help file), a file could not
// be read or written, or a failure asked for through TARVO_TOOL_FAIL; 3 a wrong command line.
#include <windows.h>

#include <cstdio>

#include "bridge_win.h"
#include "hcrtf_core.h"
#include "standin_win.h"

using namespace tarvo::testbed;

namespace {

std::string Folder(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithoutExtension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.find_last_of("\\/");
    return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("hcrtf")) {
        std::fprintf(stderr, "hcrtf: failing as TARVO_TOOL_FAIL asks\n");
        return 1;
    }
    std::string projectPath;
    for (const std::string& a : Arguments(argc, argv)) {
        if (a.size() > 1 && (a[0] == '-' || a[0] == '/') && (a[1] == 'x' || a[1] == 'X')) continue;
        if (!projectPath.empty() || a.empty() || a[0] == '-') {
            std::fprintf(stderr, "hcrtf: unexpected argument %s\nusage: hcrtf -xh <project>.hpj\n", a.c_str());
            return 3;
        }
        projectPath = a;
    }
    if (projectPath.empty()) {
        std::fprintf(stderr, "usage: hcrtf -xh <project>.hpj\n");
        return 3;
    }
    if (!Exists(projectPath)) {
        std::fprintf(stderr, "hcrtf: cannot open %s\n", projectPath.c_str());
        return 1;
    }
    std::vector<std::string> errors;
    HelpProjectFile project;
    ParseHelpProject(ReadWholeFile(projectPath), project, errors);
    std::string folder = Folder(projectPath);
    std::vector<HelpTopicDump> topics;
    for (const std::string& f : project.files) {
        std::string path = folder + f;
        if (!Exists(path)) {
            errors.push_back("cannot open the topics file " + f);
            continue;
        }
        CheckHelpTopics(ReadWholeFile(path), f, topics, errors);
    }
    if (errors.empty()) CheckHelpLinks(project, topics, errors);
    std::string log = folder + (project.errorLog.empty() ? WithoutExtension(projectPath.substr(folder.size())) + ".msg"
                                                          : project.errorLog);
    std::string logText;
    for (const std::string& e : errors) logText += "HC: " + e + "\r\n";
    logText += std::to_string(errors.size()) + " error(s), " + std::to_string(topics.size()) + " topic(s)\r\n";
    if (!WriteWholeFile(log, logText)) std::fprintf(stderr, "hcrtf: cannot write the error log %s\n", log.c_str());
    std::fwrite(logText.data(), 1, logText.size(), stdout);
    if (!errors.empty()) return 1;
    std::string help = WithoutExtension(projectPath) + ".hlp";
    if (!WriteWholeFile(help, HelpDump(project, topics))) {
        std::fprintf(stderr, "hcrtf: cannot write %s\n", help.c_str());
        return 1;
    }
    return 0;
}
