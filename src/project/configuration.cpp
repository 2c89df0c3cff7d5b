#include "project/configuration.h"

#include <iterator>

#include "base/messages.h"
#include "platform/files.h"
#include "platform/text.h"
#include "project/makefile.h"
#include "project/project_kinds.h"
#include "project/project_messages.h"
#include "project/project_state.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgBadMessageFile = 410;      // "Message file name %s incorrect"
constexpr unsigned kMsgRebuildMakefile = 1156;    // "Project has changed. Rebuild the makefile?"
constexpr unsigned kMsgFileNotFound = 4036;       // "File %s not found!"
constexpr unsigned kMsgNoDirectory = 6000;        // "Directory %s does not exist"
constexpr unsigned kMsgUserListed = 6255;         // "%s is listed already"
constexpr unsigned kMsgUserNeeded = 6256;

bool hasDirectory(const std::string& name) { return name.find_first_of("\\/:") != std::string::npos; }

// The program part of a command line: a quoted name whole, else up to the first blank.
std::string commandPart(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        size_t close = command.find('"', 1);
        return command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return command.substr(0, command.find(' '));
}

bool programExists(const std::string& root, const std::string& makeDir, const std::string& program) {
    std::vector<std::string> names{program};
    if (program.find_first_of(";.") == std::string::npos) names.push_back(program + ".exe");
    for (const std::string& name : names) {
        if (platform::IsAbsolutePath(name)) {
            if (platform::FileExists(name)) return true;
            continue;
        }
        // A bare name runs from the make directory or from the compiler system's programs.
        if (!makeDir.empty() && platform::FileExists(makeDir + "\\" + name)) return true;
        if (!root.empty() && platform::FileExists(root + "\\bin\\" + name)) return true;
        if (platform::FileExists(name)) return true;
    }
    return false;
}

}  // namespace

std::vector<ConfigPage> ConfigurationPages(const base::Settings& s) {
    bool project = s.projectActive();
    long flags = s.project.projectFlags;
    std::vector<ConfigPage> pages{ConfigPage::General};
    if (project) pages.push_back(ConfigPage::Project);
    pages.push_back(ConfigPage::Help);
    if (project) pages.insert(pages.end(), {ConfigPage::Versions, ConfigPage::Compiler});
    pages.insert(pages.end(), {ConfigPage::Macros, ConfigPage::Debugger});
    if (project) pages.push_back(ConfigPage::Linker);
    pages.insert(pages.end(), {ConfigPage::Language, ConfigPage::Workspace, ConfigPage::Utilities});
    if (project && (flags & base::kProjectEiffel)) pages.push_back(ConfigPage::SmallEiffel);
    if (project && (flags & base::kProjectFortran)) pages.push_back(ConfigPage::Fortran);
    return pages;
}

int AlignmentRow(long flags) {
    for (int row = 0; row < static_cast<int>(std::size(kAlignmentBits)); ++row)
        if (flags & kAlignmentBits[row]) return row;
    return -1;
}

long WithAlignment(long flags, int row) {
    flags &= ~kAlignmentMask;
    if (row >= 0 && row < static_cast<int>(std::size(kAlignmentBits))) flags |= kAlignmentBits[row];
    return flags;
}

CompilerBoxes OpenCompilerPage(long flags) {
    if (IsDll(flags) && (flags & kStackBits)) flags = (flags & ~kStackBits) | kFlagDebugInfo;
    CompilerBoxes boxes{flags, true};
    if (!(flags & kFlagDebugInfo)) {
        boxes.flags &= ~kStackBits;
        boxes.stackEnabled = false;
    }
    return boxes;
}

CompilerBoxes ClickCompilerBox(CompilerBoxes boxes, long bit, bool on) {
    long& f = boxes.flags;
    f = on ? f | bit : f & ~bit;
    if (bit == kFlagStackTrace && on) f = (f | kFlagDebugInfo) & ~kFlagStackLines;
    if (bit == kFlagStackLines && on) f |= kFlagDebugInfo | kFlagStackTrace;
    if (bit == kFlagDebugInfo) {
        if (!on) f &= ~kStackBits;
        boxes.stackEnabled = on;
    }
    if (bit == kFlagEliminate && on) f |= kFlagOptimize;
    return boxes;
}

long LeaveCompilerPage(long flags) { return flags & kStackBits ? flags | kFlagDebugInfo : flags; }

long OpenLinkerPage(long flags) {
    return (flags & kKindLibrary) && (flags & kKindConsole) ? flags & ~kKindConsole : flags;
}

long WithKind(long flags, long kind) {
    flags = (flags & ~kKindBits) | kind;
    if (kind != kKindDll) flags &= ~kFlagNoUnderscores;
    return flags;
}

std::string ShownOutputName(const std::string& exe, const std::string& makeDir) {
    if (exe.empty() || makeDir.empty() || hasDirectory(exe)) return exe;
    return makeDir + "\\" + exe;
}

std::string WithConsoleLibrary(const std::string& libraries, long flags) {
    if (!IsConsole(flags)) return libraries;
    for (const std::string& lib : SplitList(Lower(libraries), ' '))
        if (lib == "txtcon.lib") return libraries;
    return libraries + " txtcon.lib";
}

bool LeaveProjectPage(const std::string& root, ProjectPage& page) {
    for (const std::string& dir : SplitList(page.makeDir, ';')) {
        if (!platform::DirectoryExists(dir)) {
            base::ErrorBox(Printf(base::GetString(kMsgNoDirectory), dir.c_str()));
            return false;
        }
    }
    std::string firstDir = SplitList(page.makeDir, ';').empty() ? std::string() : SplitList(page.makeDir, ';')[0];
    std::string program = commandPart(page.makeName);
    if (!program.empty() && !programExists(root, firstDir, program)) {
        base::ErrorBox(Printf(base::GetString(kMsgFileNotFound), program.c_str()));
        return false;
    }
    std::string exe = page.exe;
    if (!exe.empty()) {
        size_t slash = exe.find_last_of("\\/");
        if (exe.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos) exe += ".EXE";
        exe = ShownOutputName(exe, firstDir);
    }
    page.exe = exe;
    return true;
}

bool CheckMessageFileName(const std::string& name) {
    if (Lower(name).find(".exe") == std::string::npos) return true;
    base::ErrorBox(Printf(base::GetString(kMsgBadMessageFile), name.c_str()));
    return false;
}

ProjectPage ProjectPageOf(const base::ProjectSettings& p) {
    return {p.makeName, p.makeDir, p.exe, p.debuggerArguments, p.sourcesDir};
}

bool ApplyProjectPage(const ProjectPage& page, base::ProjectSettings& p) {
    bool changed = page.makeName != p.makeName || page.makeDir != p.makeDir || page.exe != p.exe ||
                   page.sourcesDir != p.sourcesDir;
    p.makeName = page.makeName;
    p.makeDir = page.makeDir;
    p.exe = page.exe;
    p.debuggerArguments = page.arguments;
    p.sourcesDir = page.sourcesDir;
    return changed;
}

bool AddVersionUser(std::vector<std::string>& users, const std::string& name) {
    size_t first = name.find_first_not_of(" \t"), last = name.find_last_not_of(" \t");
    if (first == std::string::npos) {
        base::ErrorBoxId(kMsgUserNeeded);
        return false;
    }
    std::string user = name.substr(first, last - first + 1);
    for (const std::string& u : users)
        if (SameText(u, user)) {
            base::ErrorBox(Printf(base::GetString(kMsgUserListed), user.c_str()));
            return false;
        }
    users.push_back(user);
    return true;
}

void AfterConfiguration(base::Settings& s, bool projectChanged, bool (*generate)()) {
    if (!s.projectActive()) return;
    if (s.saveAtExit && base::WriteSettings(s)) base::WriteProjectLists(s);
    if (projectChanged) projectRun().changed = true;
    if (projectRun().changed && base::ConfirmId(kMsgRebuildMakefile) && generate) generate();
}

}  // namespace tarvo::project
