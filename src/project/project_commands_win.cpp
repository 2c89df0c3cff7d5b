#include "project/project_commands_win.h"

#include <windows.h>

#include "analysis/function_list.h"
#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "project/makefile_generation.h"
#include "project/project_file.h"
#include "project/project_kinds.h"
#include "project/project_messages.h"
#include "project/project_state.h"
#include "project/build_win.h"
#include "project/configuration_win.h"
#include "project/eiffel.h"
#include "project/projects.h"
#include "resource_ids.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgBuildDefault = 428;  // "No project defined.\nBuild a default project?"

using base::ItemText;

bool needProject(const base::Settings& s) {
    if (s.projectActive()) return true;
    base::ErrorBoxId(kMsgNoProject);
    return false;
}

// A project chosen from the list; empty when cancelled.
std::string chooseProject(const char* title) {
    const base::Settings& s = base::settings();
    if (s.projects.empty()) {
        base::ErrorBoxId(kMsgNoProject);
        return {};
    }
    int chosen = base::ListDialog(title, base::GetString(kMsgProjectNamePrompt), s.projects, base::ListMode::Choose);
    return chosen < 0 ? std::string() : s.projects[static_cast<size_t>(chosen)];
}

INT_PTR CALLBACK progressProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Shows the generation's progress in a small window and keeps the others painted.
struct ProgressWindow {
    HWND window = nullptr;
    void begin(const std::string& title) {
        window = CreateDialogParamA(base::app().instance, MAKEINTRESOURCEA(IDD_PROGRESS), base::app().frame,
                                    progressProc, 0);
        if (window) SetWindowTextA(window, title.c_str());
        pump();
    }
    void progress(const std::string& line) {
        if (window) SetDlgItemTextA(window, IDC_TEXT, line.c_str());
        pump();
    }
    void end() {
        if (window) DestroyWindow(window);
        window = nullptr;
    }
    // At most a few pending messages each time, as a long generation must not starve them.
    static void pump() {
        MSG msg;
        for (int i = 0; i < 15 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
};

bool generate() {
    ProgressWindow progress;
    GenerationUi ui;
    ui.begin = [&](const std::string& t) { progress.begin(t); };
    ui.progress = [&](const std::string& l) { progress.progress(l); };
    ui.end = [&] { progress.end(); };
    ui.defineProcessor = FileProcessorDialog;
    ui.closeWindowOf = [](const std::string& path) {
        HWND window = editor::WindowOfDocument(platform::FullPath(path));
        if (!window) return true;
        SendMessageA(window, WM_CLOSE, 0, 0);
        return !IsWindow(window);
    };
    return GenerateMakefileCommand(base::settings(), ui);
}

bool askName(std::string& name) {
    const base::Settings& s = base::settings();
    for (;;) {
        if (!base::PromptDialog(base::GetString(kMsgNewProjectName), base::GetString(kMsgProjectNamePrompt), name))
            return false;
        bool used = false;
        for (const std::string& p : s.projects) used |= SameText(p, name);
        if (!used) return true;
        base::ErrorBox(Printf(base::GetString(kMsgNameUsed), name.c_str()));
    }
}

bool definitionDialog(ProjectDefinition& def, base::ProjectSettings& made) {
    base::Settings& s = base::settings();
    base::DialogPlan plan{
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_PROJECT_NAME, def.name.c_str());
            SetDlgItemTextA(dialog, IDC_PROJECT_PATH, platform::CurrentDirectory().c_str());
            CheckRadioButton(dialog, IDC_KIND_WINDOWS, IDC_KIND_DLL, IDC_KIND_CONSOLE);
            CheckRadioButton(dialog, IDC_SINGLE_USER, IDC_MULTI_USER, IDC_SINGLE_USER);
        },
        [&](HWND dialog) -> INT_PTR {
            def.name = ItemText(dialog, IDC_PROJECT_NAME);
            def.workDir = ItemText(dialog, IDC_PROJECT_PATH);
            def.outputDir = ItemText(dialog, IDC_OUTPUT_DIR);
            def.versioning = IsDlgButtonChecked(dialog, IDC_VERSIONING) == BST_CHECKED;
            def.multiUser = IsDlgButtonChecked(dialog, IDC_MULTI_USER) == BST_CHECKED;
            def.eiffel = IsDlgButtonChecked(dialog, IDC_PROJECT_EIFFEL) == BST_CHECKED;
            def.kind = IsDlgButtonChecked(dialog, IDC_KIND_WINDOWS) ? kKindWindows
                       : IsDlgButtonChecked(dialog, IDC_KIND_LIBRARY) ? kKindLibrary
                       : IsDlgButtonChecked(dialog, IDC_KIND_DLL)     ? kKindDll
                                                                      : kKindConsole;
            bool stay = false;
            if (ApplyDefinition(s, def, stay, made)) return IDOK;
            return stay ? base::kStayOpen : IDCANCEL;
        }};
    return base::RunDialog(IDD_PROJECT_DEFINITION, plan) == IDOK;
}

void create() {
    base::Settings& s = base::settings();
    if (projectSeam().saveModified && !projectSeam().saveModified()) return;
    ProjectDefinition def;
    if (!askName(def.name)) return;
    base::ProjectSettings made;
    if (!definitionDialog(def, made)) return;
    // An Eiffel project is built by the Eiffel compiler: its settings replace the compiler system's.
    if (def.eiffel) made.projectFlags |= base::kProjectEiffel;
    if (!(def.eiffel ? EiffelSheet(made) : CompilerSystemSteps(made))) return;
    CreationChoices choices;
    choices.useWizard = [] { return base::ConfirmId(kMsgUseWizard) != 0; };
    choices.chooseFiles = [](std::vector<std::string>& files) {
        return base::AskFileNames(base::FileDialog::Open, true, files);
    };
    CreateProject(s, def, made, choices);
}

void importProject() {
    base::Settings& s = base::settings();
    std::vector<std::string> names;
    if (!base::AskFileNames(base::FileDialog::Open, false, names, base::GetString(kMsgImportTitle), kMsgProjectFilter))
        return;
    std::string name;
    if (!ImportProject(s, names.front(), name)) return;
    if (projectSeam().saveModified && !projectSeam().saveModified()) return;
    if (OpenProject(s, name)) generate();
}

// The file list as a list dialog: choosing a file removes it, the first line adds files.
void editFiles() {
    base::Settings& s = base::settings();
    if (!needProject(s)) return;
    for (;;) {
        std::vector<std::string> items{base::GetString(kMsgAddFiles)};
        for (const base::ProjectFile& f : s.project.files) items.push_back(f.name);
        int chosen = base::ListDialog(base::GetString(kMsgFilesTitle), base::GetString(kMsgFilesLabel), items,
                                      base::ListMode::Choose);
        if (chosen < 0) break;
        if (chosen == 0) {
            std::vector<std::string> files;
            if (!base::AskFileNames(base::FileDialog::Open, true, files)) continue;
            for (const std::string& f : files) s.project.files.push_back({StoredFileName(s.project.projectPath, f), {}});
        } else {
            s.project.files.erase(s.project.files.begin() + (chosen - 1));
        }
        projectRun().changed = true;
        base::WriteProjectLists(s);
    }
}

// F9 without a project: the current source may become one.
bool defaultProject() {
    base::Settings& s = base::settings();
    editor::Document* doc = editor::CurrentDocument();
    if (!doc || (doc->flags & editor::kInternalBuffer) || !base::ConfirmId(kMsgBuildDefault)) return false;
    std::vector<std::string> names;
    for (const analysis::Function& f : analysis::FunctionsOf(*doc).functions) names.push_back(f.name);
    return CreateDefaultProject(s, doc->name, names) && generate();
}

bool askEiffel(const std::string& title, const std::string& prompt, std::string& answer) {
    return base::PromptDialog(title, prompt, answer);
}

void make() {
    base::Settings& s = base::settings();
    if (!s.projectActive()) {
        if (defaultProject()) StartBuild(BuildKind::Make);
        return;
    }
    if ((s.project.projectFlags & base::kProjectEiffel) && projectRun().build == BuildState::Idle &&
        !PrepareEiffelBuild(s, askEiffel))
        return;
    StartBuild(BuildKind::Make);
}


}  // namespace

bool GenerateMakefileNow() { return generate(); }

bool RunProjectCommand(int id, std::intptr_t, std::intptr_t& result) {
    base::Settings& s = base::settings();
    result = 0;
    if (id != CMD_OPEN_ALL_PROJECT_FILES && id != CMD_PROJECT_EXPORT && RefusedWhileBusy()) return true;
    switch (id) {
    case CMD_PROJECT_CREATE: create(); return true;
    case CMD_CONFIGURATION: ConfigurationCommand(); return true;
    case CMD_PROJECT_OPEN: {
        std::string name = chooseProject(base::GetString(kMsgOpenTitle));
        if (!name.empty()) OpenProject(s, name);
        return true;
    }
    case CMD_PROJECT_CLOSE:
        if (needProject(s) && base::Confirm(Printf(base::GetString(kMsgAskAction), base::GetString(kMsgClose),
                                                   s.currentProject.c_str())))
            CloseProject(s);
        return true;
    case CMD_PROJECT_ERASE: {
        std::string name = chooseProject(base::GetString(kMsgErase));
        if (!name.empty() && base::Confirm(Printf(base::GetString(kMsgConfirmAction), base::GetString(kMsgErase),
                                                  name.c_str())))
            EraseProject(s, name);
        return true;
    }
    case CMD_PROJECT_EXPORT: {
        std::string name = chooseProject(base::GetString(kMsgExportTitle)), file;
        if (!name.empty()) ExportProject(name, platform::CurrentDirectory(), file);
        return true;
    }
    case CMD_PROJECT_IMPORT: importProject(); return true;
    case CMD_PROJECT_FILES: editFiles(); return true;
    case CMD_OPEN_ALL_PROJECT_FILES:
        if (needProject(s)) OpenProjectFiles(s, false);
        return true;
    default: return false;
    }
}

bool RunBuildCommand(int id, std::intptr_t, std::intptr_t& result) {
    result = 0;
    switch (id) {
    case CMD_GENERATE_MAKEFILE: generate(); return true;
    case CMD_MAKE: make(); return true;
    case CMD_LINK:
        if (!RefusedWhileBusy()) StartBuild(BuildKind::Link);
        return true;
    case CMD_SHOW_RESULTS: ShowLastResults(); return true;
    case CMD_REBUILD_ALL: RebuildAll(); return true;
    default: return false;
    }
}

}  // namespace tarvo::project
