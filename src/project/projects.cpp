#include "project/projects.h"

#include <algorithm>

#include "base/messages.h"
#include "base/run_tool.h"
#include "base/settings_store.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "project/makefile_generation.h"
#include "project/project_kinds.h"
#include "project/project_messages.h"
#include "project/project_state.h"

namespace tarvo::project {
namespace {

constexpr long kProjectUsesVersionStore = 0x01;

bool known(const base::Settings& s, const std::string& name) {
    return std::any_of(s.projects.begin(), s.projects.end(), [&](const std::string& p) { return SameText(p, name); });
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

void clearProject(base::Settings& s) {
    s.project = base::ProjectSettings{};
    s.currentProject.clear();
    s.debuggerExeName.clear();
    s.debuggerDir.clear();
    s.debuggerArguments.clear();
    ResetProjectRun();
    if (projectSeam().projectChanged) projectSeam().projectChanged("");
}

void makeCurrent(base::Settings& s, const std::string& name) {
    if (!known(s, name)) s.projects.push_back(name);
    s.currentProject = name;
    // A project made in a run that saves nothing would be lost at exit.
    s.saveAtExit = true;
    base::WriteSettings(s);
    base::WriteProjectLists(s);
    if (projectSeam().projectChanged) projectSeam().projectChanged(name);
}

bool makeDirectory(const std::string& dir) {
    if (platform::DirectoryExists(dir) || platform::MakeDirectory(dir)) return true;
    base::ErrorBox(Printf(base::GetString(kMsgCreationImpossible), dir.c_str()));
    return false;
}

}  // namespace

ProjectSeam& projectSeam() {
    static ProjectSeam seam;
    return seam;
}

std::string StoredFileName(const std::string& projectPath, const std::string& file) {
    std::string prefix = withoutTrailingSlash(projectPath) + "\\";
    if (!projectPath.empty() && file.size() > prefix.size() && SameText(file.substr(0, prefix.size()), prefix))
        return file.substr(prefix.size());
    return file;
}

bool CheckProjectName(const base::Settings& s, const std::string& name) {
    if (name.empty()) {
        base::ErrorBoxId(kMsgEmptyName);
        return false;
    }
    if (name.find_first_of(" \t") != std::string::npos) {
        base::ErrorBoxId(kMsgNoSpaces);
        return false;
    }
    if (!base::ValidProjectName(name)) {
        base::ErrorBox(Printf(base::GetString(base::kTextBadProjectName), name.c_str()));
        return false;
    }
    if (known(s, name)) {
        base::ErrorBox(Printf(base::GetString(kMsgAlreadyDefined), name.c_str()));
        return false;
    }
    return true;
}

bool ApplyDefinition(base::Settings& s, const ProjectDefinition& def, bool& stay, base::ProjectSettings& p) {
    stay = true;
    if (!CheckProjectName(s, def.name)) return false;
    std::string workDir = withoutTrailingSlash(def.workDir);
    if (workDir.empty()) {
        base::ErrorBoxId(kMsgNeedProjectPath);
        return false;
    }
    std::string outputDir = def.outputDir.empty() ? workDir + "\\vex" : withoutTrailingSlash(def.outputDir);
    if (!makeDirectory(workDir)) return false;
    if (platform::DirectoryExists(outputDir)) {
        if (!base::Confirm(Printf(base::GetString(kMsgDirectoryExists), outputDir.c_str()))) return false;
    } else if (!makeDirectory(outputDir)) {
        return false;
    }
    std::string cms = workDir + "\\CMS";
    if (def.versioning) {
        if (!makeDirectory(cms)) return false;
        if (SameText(platform::FullPath(cms), platform::CurrentDirectory())) {
            base::ErrorBoxId(kMsgCmsDirectory);
            return false;
        }
    }
    stay = false;
    platform::ChangeDirectory(workDir);
    s.currentDir = workDir;
    p = base::ProjectSettings{};
    p.projectPath = p.sourcesDir = workDir;
    p.makeDir = outputDir;
    p.compilerFlags = (p.compilerFlags & ~kKindBits) | def.kind;
    if (def.versioning) {
        p.projectFlags |= kProjectUsesVersionStore;
        p.cmsDirectory = cms;
    }
    return true;
}

bool CreateProject(base::Settings& s, const ProjectDefinition& def, const base::ProjectSettings& defined,
                   const CreationChoices& choices) {
    if (s.projectActive()) {
        if (!CloseProject(s)) return false;
    } else {
        if (projectSeam().storeAndCloseDocuments) projectSeam().storeAndCloseDocuments();
        base::WriteSettings(s);
    }
    s.project = defined;
    // The skeleton generator writes C; an Eiffel project's sources are classes.
    bool eiffel = defined.projectFlags & base::kProjectEiffel;
    bool generator = !IsLibrary(def.kind) && !eiffel && choices.useWizard && choices.useWizard();
    if (generator) {
        if (!RunSkeletonGenerator(s, def)) {
            clearProject(s);
            return false;
        }
    } else {
        std::vector<std::string> files;
        if (choices.chooseFiles && !choices.chooseFiles(files)) files.clear();
        if (files.empty() && !base::ConfirmId(kMsgNoFilesSelected)) {
            clearProject(s);
            return false;
        }
        for (const std::string& f : files) s.project.files.push_back({StoredFileName(s.project.projectPath, f), {}});
    }
    if (!PrepareOutputDirectory(s.project.sourcesDir, s.project.makeDir)) {
        clearProject(s);
        return false;
    }
    s.project.compilerFlags |= kFlagDebugInfo;
    std::string name = s.currentProject.empty() ? def.name : s.currentProject;
    makeCurrent(s, name);
    OpenProjectFiles(s, true);
    return eiffel || GenerateMakefile(s, {});
}

void OpenProjectFiles(const base::Settings& s, bool skipResourceScripts) {
    std::vector<std::string> files;
    for (const base::ProjectFile& f : s.project.files) {
        if (skipResourceScripts && f.name.find(".RC") != std::string::npos) continue;
        std::string ext = Lower(f.name.substr(std::min(f.name.size(), f.name.rfind('.'))));
        if (ext == ".obj" || ext == ".lib" || ext == ".res") continue;  // not text
        files.push_back(platform::IsAbsolutePath(f.name) ? f.name : s.project.projectPath + "\\" + f.name);
    }
    if (files.size() > kFilesOpenedWithoutAsking &&
        !base::Confirm(Printf(base::GetString(kMsgOpenFiles), static_cast<int>(files.size()))))
        return;
    if (!projectSeam().openFile) return;
    for (const std::string& f : files) projectSeam().openFile(f);
}

bool OpenProject(base::Settings& s, const std::string& name) {
    if (s.projectActive() && !CloseProject(s)) return false;
    if (!base::ValidProjectName(name)) {
        base::ErrorBox(Printf(base::GetString(base::kTextBadProjectName), name.c_str()));
        return false;
    }
    s.currentProject = name;
    s.project = base::ProjectSettings{};
    if (!base::ReadCurrentProject(s)) {
        clearProject(s);
        return false;
    }
    ResetProjectRun();
    if (!s.project.sourcesDir.empty()) platform::ChangeDirectory(s.project.sourcesDir);
    s.saveAtExit = true;
    if (projectSeam().reopenDocuments) projectSeam().reopenDocuments();
    if (projectSeam().projectChanged) projectSeam().projectChanged(name);
    return true;
}

bool CloseProject(base::Settings& s) {
    if (!s.projectActive()) return true;
    if (projectSeam().saveModified && !projectSeam().saveModified()) return false;
    if (projectSeam().closeProjectWindows) projectSeam().closeProjectWindows();
    // The open documents are recorded first, so that the project reopens them.
    if (projectSeam().storeAndCloseDocuments) projectSeam().storeAndCloseDocuments();
    base::WriteSettings(s);
    base::WriteProjectLists(s);
    clearProject(s);
    return true;
}

bool EraseProject(base::Settings& s, const std::string& name) {
    if (SameText(s.currentProject, name) && !CloseProject(s)) return false;
    if (!base::DeleteProject(name)) return false;
    std::erase_if(s.projects, [&](const std::string& p) { return SameText(p, name); });
    return true;
}

bool CreateDefaultProject(base::Settings& s, const std::string& document, const std::vector<std::string>& functions) {
    std::string file = platform::BaseName(document);
    std::string name = file.substr(0, file.find('.'));
    auto fail = [&](std::string text) {
        base::ErrorBox(text + base::GetString(kMsgNoDefaultProject));
        clearProject(s);
        return false;
    };
    if (name.find_first_of(" \t") != std::string::npos) return fail(base::GetString(kMsgNoSpaces));
    if (!base::ValidProjectName(name))
        return fail(Printf(base::GetString(base::kTextBadProjectName), name.c_str()));
    if (known(s, name)) return fail(Printf(base::GetString(kMsgProjectExists), name.c_str()));
    long kind = 0;
    if (functions.empty()) return fail(Printf(base::GetString(kMsgNoFunctions), file.c_str()));
    if (std::find(functions.begin(), functions.end(), "main") != functions.end()) kind = kKindConsole;
    else if (std::find(functions.begin(), functions.end(), "WinMain") != functions.end()) kind = kKindWindows;
    else return fail(Printf(base::GetString(kMsgNoMain), file.c_str()));
    base::ProjectSettings p;
    std::string directory = platform::DirectoryOf(document);
    p.projectPath = p.sourcesDir = directory.empty() ? platform::CurrentDirectory() : directory;
    if (!PrepareOutputDirectory(p.sourcesDir, p.makeDir)) return fail("");
    p.compilerFlags = kFlagDebugInfo | kind;
    p.files = {{file, {}}};
    s.project = p;
    makeCurrent(s, name);
    return true;
}

std::string SkeletonCommand(const std::string& root, long frame, const std::string& name, const std::string& path,
                            const std::string& output, long kind) {
    std::string command = base::ToolCommand(root, "appgen.exe") + Printf(" /tarvo:%ld", frame);
    platform::AppendArgument(command, "/prjname:" + name);
    platform::AppendArgument(command, "/prjpath:" + path);
    platform::AppendArgument(command, "/out:" + output);
    if (IsDll(kind)) command += " /dll";
    else if (IsConsole(kind)) command += " /console";
    return command;
}

bool ParseSkeletonOutput(const std::string& text, const std::string& projectPath, std::string& name,
                         std::vector<std::string>& files) {
    auto restOfLine = [&](size_t from) {
        size_t end = text.find_first_of("\r\n", from);
        std::string rest = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
        size_t first = rest.find_first_not_of(" \t"), last = rest.find_last_not_of(" \t");
        return first == std::string::npos ? std::string() : rest.substr(first, last - first + 1);
    };
    auto nextLine = [&](size_t from) {
        size_t end = text.find('\n', from);
        return end == std::string::npos ? text.size() : end + 1;
    };
    size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    name = restOfLine(colon + 1);
    files.clear();
    // Each file name runs to the end of its line; the search for the next one starts on the
    // next line, since a path holds a colon itself.
    size_t from = nextLine(colon + 1);
    for (int i = 0; i < 2 && from < text.size(); ++i) {
        colon = text.find(':', from);
        if (colon == std::string::npos) break;
        std::string file = restOfLine(colon + 1);
        if (!file.empty()) files.push_back(StoredFileName(projectPath, file));
        from = nextLine(colon + 1);
    }
    return base::ValidProjectName(name) && name.find_first_of(" \t") == std::string::npos;
}

bool RunSkeletonGenerator(base::Settings& s, const ProjectDefinition& def) {
    std::string output = platform::UnusedFileName(platform::TempDirectory(), "app");
    ProjectSeam& seam = projectSeam();
    long frame = seam.frameHandle ? seam.frameHandle() : 0;
    std::string command = SkeletonCommand(s.compilerRoot, frame, def.name, s.project.projectPath, output, def.kind);
    if (seam.minimiseFrame) seam.minimiseFrame(true);
    long exitCode = 0;
    bool ran = base::RunTool({command, s.project.projectPath, true, kSkeletonTimeoutMs}, "appgen.exe", exitCode);
    if (seam.minimiseFrame) seam.minimiseFrame(false);
    platform::FileContent content;
    bool read = ran && platform::ReadWholeFile(output, content) == platform::ReadStatus::Ok;
    platform::RemoveFile(output);
    if (!ran) return false;
    std::string name;
    std::vector<std::string> files;
    if (!read || !ParseSkeletonOutput(std::string(content.data.get(), content.size), s.project.projectPath, name, files)) {
        base::ErrorBox(Printf(base::GetString(kMsgBadSkeletonOutput), "appgen.exe"));
        return false;
    }
    if (!SameText(name, def.name) && known(s, name)) {
        base::ErrorBox(Printf(base::GetString(kMsgNameUsed), name.c_str()));
        return false;
    }
    s.currentProject.clear();
    for (const std::string& f : files) s.project.files.push_back({f, {}});
    s.currentProject = name;  // taken by CreateProject
    return true;
}

}  // namespace tarvo::project
