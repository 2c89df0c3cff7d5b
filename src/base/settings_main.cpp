#include "base/settings_main.h"

#include "platform/files.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "base/messages.h"
#include "base/settings_lists.h"
#include "base/settings_numbered.h"
#include "base/settings_table.h"

namespace tarvo::base {
namespace {

using S = Settings;

// Written for those who read the registry; the reading finds the projects as subkeys.
constexpr NumberedList<std::string> kProjectList = TextList("Projects", "Project");

void writeProjectNames(SettingsKey& key, const std::vector<std::string>& projects) {
    WriteList(key, kProjectList, projects);
}

// The "/prj:" name, put in before the reading, comes first; CMSProjectPath, read only here,
// stands in for an empty CurrentProject.
void readCurrentProject(const SettingsKey& key, std::string_view name, S& s) {
    if (s.currentProject.empty()) ReadText(key, name, s.currentProject);
    if (s.currentProject.empty()) ReadText(key, "CMSProjectPath", s.currentProject);
}

void writeCurrentProject(SettingsKey& key, std::string_view name, const S& s) {
    WriteText(key, name, s.currentProject);
}

// An older program kept the backup option here; it moves into the editor flags once, and the
// stored value is rewritten at once. A failed rewrite is reported and the reading goes on.
void migrateBackupFile(const SettingsKey& key, std::string_view name, S& s) {
    if (ReadNumber(key, name, 32000) != 1) return;
    s.editorFlags |= kEditorBackups;
    SettingsKey rewrite = key;
    WriteNumber(rewrite, name, 0);
}

// The main key in the order of the exit writing; the number is the value's place in the
// start-up reading.
constexpr StoredValue<S> kMainValues[] = {
    {"StatusBar", &S::statusBar, ',', 9},
    {"Tabsize", &S::tabSize, 1},
    {"FindFlags", &S::findFlags, 2},
    {"CommentColor", &S::commentColor, 3},
    {"KeywordColor", &S::keywordColor, 4},
    {"OutputWndHeight", &S::outputWndHeight, 16},
    {"EditorFlags", &S::editorFlags, 15},
    {"Grep", &S::grepFlags, 5},
    {"FontHeight", &S::fontHeight, 6},
    {"FontStyle", &S::fontStyle, 7},
    {"Print", &S::print, 31},
    {"FrameZoomed", &S::frameZoomed, 8},
    {"FontFamily", &S::fontFamily, 18},
    {"TextColor", &S::textColor, 19},
    {"BackgroundColor", &S::backgroundColor, 20},
    {"PrinterFontName", &S::printerFontName, 21},
    {"PrinterFontSize", &S::printerFontSize, 22},
    {"SubScroll", &S::subScroll, 10},
    ListValue<&S::utilities, ReadUtilities, WriteUtilities>(27),
    ListValue<&S::languages, ReadLanguages, WriteLanguages>(28),
    ListValue<&S::macros, ReadMacros, WriteMacros>(29),
    ListValue<&S::keyRows, ReadKeyBindings, WriteKeyBindings>(30),
    ListValue<&S::projects, nullptr, writeProjectNames>(0),
    {"CurrentProject", readCurrentProject, writeCurrentProject, 38},
    {"IncludeFlags", &S::includeFlags, 32},
    {"WinHelpDataBase", &S::winHelpDataBase, 35},
    {"WinHelpComp", &S::winHelpComp, 34},
    {"CurrentDir", &S::currentDir, 33},
    {"FontName", &S::fontName, 36},
    {kMsgDebuggerArguments, &S::debuggerArguments, 23},
    {"DebuggerDir", &S::debuggerDir, 24},
    {"DebuggerExeName", &S::debuggerExeName, 25},
    {"DebuggerFlags", &S::debuggerFlags, 26},
    {"CurrentFile", &S::currentFile, 37},
    {"FrameX", &S::frameX, 11},
    {"FrameY", &S::frameY, 12},
    {"FrameCX", &S::frameCX, 13},
    {"FrameCY", &S::frameCY, 14},
    {"BackupFile", migrateBackupFile, nullptr, 17},  // read only
};
static_assert(PlacesRunFromOne<S>({kMainValues}));

std::string defaultHelpFile(const S& s) {
    return Printf("%s\\bin\\win32.hlp", s.compilerRoot.c_str());
}

// Projects are the main key's subkeys; a longer name cannot be one of ours.
void findProjects(S& s) {
    s.projects.clear();
    for (const std::string& name : platform::settingsBackend().subkeys(kMainKey))
        if (ValidProjectName(name)) s.projects.push_back(name);
}

}  // namespace

void ReadMainValues(const SettingsKey& key, Settings& s, const StartupInputs& inputs) {
    // Defaults that depend on this start; a "/prj:" name comes before CurrentProject.
    s.currentDir = inputs.startDirectory;
    s.winHelpDataBase = defaultHelpFile(s);
    s.currentProject = inputs.projectName;
    ReadValues<S>(key, {kMainValues}, s);
    if (s.subScroll < 1) s.subScroll = 1;
    // A help file stored and gone since gives the default.
    if (!platform::FileExists(s.winHelpDataBase)) s.winHelpDataBase = defaultHelpFile(s);
    // The internal buffer is never reopened.
    if (s.currentFile == "untitled") s.currentFile.clear();
    findProjects(s);
    if (!s.currentProject.empty() && !ValidProjectName(s.currentProject)) {
        ErrorBox(Printf(GetString(kTextBadProjectName), s.currentProject.c_str()));
        s.currentProject.clear();
    }
    if (!s.projectActive()) ReadOpenFiles(key, s.openFiles);
}

bool WriteMainValues(SettingsKey& key, const Settings& s) {
    WriteValues<S>(key, kMainValues, s);
    if (!s.projectActive()) WriteOpenFiles(key, s.openFiles);
    return !key.failed;
}

}  // namespace tarvo::base
