// The current project: creating, opening, closing and erasing projects, the default project
// made from a source, and the application-skeleton generator. What needs windows (documents,
// the frame's title) is reached through a seam the shell installs.
#pragma once
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

struct ProjectSeam {
    // Asks about saving modified documents; false on Cancel.
    bool (*saveModified)() = nullptr;
    // Saves every modified document without asking; false when a save failed.
    bool (*saveAll)() = nullptr;
    // Records the open documents into the settings (the project's or the main ones) and
    // closes their windows.
    void (*storeAndCloseDocuments)() = nullptr;
    // Reopens the current project's documents and restores the frame.
    void (*reopenDocuments)() = nullptr;
    // Opens a file in an editor window; false when it could not be.
    bool (*openFile)(const std::string& path) = nullptr;
    // The current project changed (empty: none): frame title, open-files bar, output bar.
    void (*projectChanged)(const std::string& name) = nullptr;
    // Closes the project's own windows (resource editor, project outline).
    void (*closeProjectWindows)() = nullptr;
    // The frame's window handle in decimal, for the skeleton generator.
    long (*frameHandle)() = nullptr;
    // Minimises (true) or restores the frame around the skeleton generator.
    void (*minimiseFrame)(bool minimise) = nullptr;
    // The build's message list: shown with these lines (the last one selected), or emptied.
    void (*showMessages)(const std::vector<std::string>& lines) = nullptr;
};

ProjectSeam& projectSeam();

// What the definition dialog collects for a new project.
struct ProjectDefinition {
    std::string name;
    std::string workDir;
    std::string outputDir;  // empty: the working directory's "vex"
    bool versioning = false;
    bool multiUser = false;
    long kind = 0x80;       // kKindConsole and the others of project_kinds.h
    bool eiffel = false;    // SmallEiffel classes: no compiler-system steps, no makefile
};

// The name checks of the definition dialog; false after a message.
bool CheckProjectName(const base::Settings& s, const std::string& name);
// All checks and the directory work of the definition dialog's Create; `made` receives the
// new project's record. `stay` tells that the dialog should stay open (after a message or a No
// to using an existing output directory).
bool ApplyDefinition(base::Settings& s, const ProjectDefinition& def, bool& stay, base::ProjectSettings& made);

// Steps after the dialog: the previous project closed, the files (from the generator or the
// chooser) taken, the project stored and made current, its files opened and its makefile
// written. `files` are the sources chosen; `chooseFiles` is asked when the generator is not
// used. False when creation ended early (after a message or a No).
struct CreationChoices {
    bool (*useWizard)() = nullptr;  // the question about the skeleton generator
    bool (*chooseFiles)(std::vector<std::string>& files) = nullptr;  // false: cancelled
};
bool CreateProject(base::Settings& s, const ProjectDefinition& def, const base::ProjectSettings& made,
                   const CreationChoices& choices);

bool OpenProject(base::Settings& s, const std::string& name);
// Closes the current project (asking about unsaved documents first); false on Cancel.
bool CloseProject(base::Settings& s);
bool EraseProject(base::Settings& s, const std::string& name);

// Opens the project's files in editor windows, asking first when there are many.
void OpenProjectFiles(const base::Settings& s, bool skipResourceScripts);

// The default project for a source that defines `functions`. False after a message.
bool CreateDefaultProject(base::Settings& s, const std::string& document, const std::vector<std::string>& functions);

// The skeleton generator's command line.
std::string SkeletonCommand(const std::string& root, long frame, const std::string& name, const std::string& path,
                            const std::string& output, long kind);
// Reads the generator's output: the project name, then two file names. False when the text
// does not hold a usable name.
bool ParseSkeletonOutput(const std::string& text, const std::string& projectPath, std::string& name,
                         std::vector<std::string>& files);
// Runs the generator and takes its files into the project; false after a message.
bool RunSkeletonGenerator(base::Settings& s, const ProjectDefinition& def);

// The file name as stored in the project: relative to the project path when it lies below it.
std::string StoredFileName(const std::string& projectPath, const std::string& file);

// Files beyond this many are opened only after a question.
inline constexpr size_t kFilesOpenedWithoutAsking = 45;
inline constexpr unsigned long kSkeletonTimeoutMs = 30 * 60 * 1000;

}  // namespace tarvo::project
