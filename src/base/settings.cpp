#include "base/settings.h"

#include "platform/files.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "base/messages.h"
#include "base/settings_lists.h"
#include "base/settings_project.h"
#include "base/settings_store.h"

namespace tarvo::base {
namespace {

std::uint16_t read16(const SettingsKey& key, const char* name, std::uint16_t fallback) {
    return static_cast<std::uint16_t>(ReadNumber(key, name, fallback));
}

void readRect(const SettingsKey& key, const char* name, char separator, Rect& r) {
    std::string text;
    if (ReadText(key, name, text)) ParseRect(text, separator, r);
}

// The root comes from the compiler's own key; it is needed before WinHelpDataBase is read.
void readCompilerRoot(Settings& s) {
    SettingsKey compiler = KeyForReading(kCompilerKey);
    if (ReadText(compiler, "includepath", s.includePath))
        CompilerRootFromIncludePath(s.includePath, s.compilerRoot);
}

void readMainValues(SettingsKey& key, Settings& s, const StartupInputs& inputs) {
    s.tabSize = ReadNumber(key, "Tabsize", s.tabSize);
    s.findFlags = read16(key, "FindFlags", s.findFlags);
    s.commentColor = ReadNumber(key, "CommentColor", s.commentColor);
    s.keywordColor = ReadNumber(key, "KeywordColor", s.keywordColor);
    s.grepFlags = read16(key, "Grep", s.grepFlags);
    s.fontHeight = ReadNumber(key, "FontHeight", s.fontHeight);
    s.fontStyle = ReadNumber(key, "FontStyle", s.fontStyle);
    s.frameZoomed = ReadNumber(key, "FrameZoomed", s.frameZoomed) != 0;
    readRect(key, "StatusBar", ',', s.statusBar);
    s.subScroll = ReadNumber(key, "SubScroll", s.subScroll);
    if (s.subScroll < 1) s.subScroll = 1;
    s.frameX = ReadNumber(key, "FrameX", s.frameX);
    s.frameY = ReadNumber(key, "FrameY", s.frameY);
    s.frameCX = ReadNumber(key, "FrameCX", s.frameCX);
    s.frameCY = ReadNumber(key, "FrameCY", s.frameCY);
    s.editorFlags = ReadNumber(key, "EditorFlags", s.editorFlags);
    s.outputWndHeight = ReadNumber(key, "OutputWndHeight", s.outputWndHeight);
    // An older program kept the backup option here; it moves into the editor flags once.
    if (ReadNumber(key, "BackupFile", 32000) == 1) {
        s.editorFlags |= kEditorBackups;
        WriteNumber(key, "BackupFile", 0);
    }
    s.fontFamily = ReadNumber(key, "FontFamily", s.fontFamily);
    s.textColor = ReadNumber(key, "TextColor", s.textColor);
    s.backgroundColor = ReadNumber(key, "BackgroundColor", s.backgroundColor);
    ReadTextOr(key, "PrinterFontName", s.printerFontName);
    s.printerFontSize = ReadNumber(key, "PrinterFontSize", s.printerFontSize);
    ReadTextOr(key, GetString(kMsgDebuggerArguments), s.debuggerArguments);
    ReadTextOr(key, "DebuggerDir", s.debuggerDir);
    ReadTextOr(key, "DebuggerExeName", s.debuggerExeName);
    s.debuggerFlags = ReadNumber(key, "DebuggerFlags", s.debuggerFlags);
    ReadUtilities(key, s.utilities);
    ReadLanguages(key, s.languages);
    ReadMacros(key, s.macros);
    ReadKeyBindings(key, s.keyRows);
    s.print = ReadNumber(key, "Print", s.print);
    s.includeFlags = ReadNumber(key, "IncludeFlags", s.includeFlags);
    s.currentDir = inputs.startDirectory;
    ReadTextOr(key, "CurrentDir", s.currentDir);
    ReadTextOr(key, "WinHelpComp", s.winHelpComp);
    std::string helpFile;
    if (ReadText(key, "WinHelpDataBase", helpFile) && platform::FileExists(helpFile))
        s.winHelpDataBase = helpFile;
    else
        s.winHelpDataBase = Printf("%s\\bin\\win32.hlp", s.compilerRoot.c_str());
    ReadTextOr(key, "FontName", s.fontName);
    ReadText(key, "CurrentFile", s.currentFile);
    if (s.currentFile == "untitled") s.currentFile.clear();
}

// Projects are the main key's subkeys; a longer name cannot be one of ours.
void findProjects(Settings& s) {
    s.projects.clear();
    for (const std::string& name : platform::settingsBackend().subkeys(kMainKey))
        if (ValidProjectName(name)) s.projects.push_back(name);
}

void chooseCurrentProject(const SettingsKey& key, Settings& s, const StartupInputs& inputs) {
    s.currentProject = inputs.projectName;
    if (s.currentProject.empty()) ReadText(key, "CurrentProject", s.currentProject);
    if (s.currentProject.empty()) ReadText(key, "CMSProjectPath", s.currentProject);
    if (!s.currentProject.empty() && !ValidProjectName(s.currentProject)) {
        ErrorBox(Printf(GetString(kTextBadProjectName), s.currentProject.c_str()));
        s.currentProject.clear();
    }
}

bool writeMainValues(SettingsKey& key, Settings& s) {
    WriteText(key, "StatusBar", FormatRect(s.statusBar, ','));
    WriteNumber(key, "Tabsize", s.tabSize);
    WriteNumber(key, "FindFlags", s.findFlags);
    WriteNumber(key, "CommentColor", s.commentColor);
    WriteNumber(key, "KeywordColor", s.keywordColor);
    WriteNumber(key, "OutputWndHeight", s.outputWndHeight);
    WriteNumber(key, "EditorFlags", s.editorFlags);
    WriteNumber(key, "Grep", s.grepFlags);
    WriteNumber(key, "FontHeight", s.fontHeight);
    WriteNumber(key, "FontStyle", s.fontStyle);
    WriteNumber(key, "Print", s.print);
    WriteNumber(key, "FrameZoomed", s.frameZoomed ? 1 : 0);
    WriteNumber(key, "FontFamily", s.fontFamily);
    WriteNumber(key, "TextColor", s.textColor);
    WriteNumber(key, "BackgroundColor", s.backgroundColor);
    WriteText(key, "PrinterFontName", s.printerFontName);
    WriteNumber(key, "PrinterFontSize", s.printerFontSize);
    WriteNumber(key, "SubScroll", s.subScroll);
    WriteUtilities(key, s.utilities);
    WriteLanguages(key, s.languages);
    WriteMacros(key, s.macros);
    WriteKeyBindings(key, s.keyRows);
    WriteNumber(key, "Projects", static_cast<long>(s.projects.size()));
    for (size_t i = 0; i < s.projects.size(); ++i)
        WriteText(key, Numbered("Project%d", static_cast<long>(i + 1)), s.projects[i]);
    WriteText(key, "CurrentProject", s.currentProject);
    WriteNumber(key, "IncludeFlags", s.includeFlags);
    WriteText(key, "WinHelpDataBase", s.winHelpDataBase);
    WriteText(key, "WinHelpComp", s.winHelpComp);
    WriteText(key, "CurrentDir", s.currentDir);
    WriteText(key, "FontName", s.fontName);
    WriteTextId(key, kMsgDebuggerArguments, s.debuggerArguments);
    WriteText(key, "DebuggerDir", s.debuggerDir);
    WriteText(key, "DebuggerExeName", s.debuggerExeName);
    WriteNumber(key, "DebuggerFlags", s.debuggerFlags);
    WriteText(key, "CurrentFile", s.currentFile);
    WriteNumber(key, "FrameX", s.frameX);
    WriteNumber(key, "FrameY", s.frameY);
    WriteNumber(key, "FrameCX", s.frameCX);
    WriteNumber(key, "FrameCY", s.frameCY);
    if (!s.projectActive()) WriteOpenFiles(key, s.openFiles);
    return !key.failed;
}

// Opens the current project's key for one of the project's writing sequences.
bool openProjectForWriting(SettingsKey& key, const Settings& s) {
    return s.projectActive() && OpenProjectKey(key, s.currentProject);
}

}  // namespace

Settings& settings() {
    static Settings s;
    return s;
}

void ResetSettings() { settings() = Settings{}; }

bool ReadSettings(Settings& s, const StartupInputs& inputs) {
    SettingsKey key;
    if (!OpenMainKey(key)) {
        s.compilerRoot.clear();
        return false;
    }
    readCompilerRoot(s);
    readMainValues(key, s, inputs);
    findProjects(s);
    chooseCurrentProject(key, s, inputs);
    if (!s.projectActive()) ReadOpenFiles(key, s.openFiles);
    CloseKey(key);
    if (s.projectActive() && OpenProjectKey(key, s.currentProject)) {
        ReadProjectDefinition(key, s.project);
        ReadProjectListValues(key, s.project);
        ReadReleaseValues(key, s.project.releases);
        CloseKey(key);
    }
    if (s.includePath.find('\\') == std::string::npos) ErrorBoxId(kTextBadIncludePath);
    return true;
}

bool WriteSettings(Settings& s) {
    if (!s.saveAtExit) return true;
    SettingsKey key;
    if (!OpenMainKey(key)) return false;
    if (s.projectActive())
        s.project.frame = Rect{static_cast<int>(s.frameX), static_cast<int>(s.frameY),
                               static_cast<int>(s.frameCX), static_cast<int>(s.frameCY)};
    bool written = writeMainValues(key, s);
    CloseKey(key);
    if (!written || !s.projectActive()) return written;
    if (!OpenProjectKey(key, s.currentProject)) return false;
    written = WriteProjectDefinition(key, s.currentProject, s.project);
    CloseKey(key);
    return written;
}

bool ReadProjectLists(Settings& s) {
    SettingsKey key;
    if (!s.projectActive() || !OpenProjectKey(key, s.currentProject)) return false;
    ReadProjectListValues(key, s.project);
    CloseKey(key);
    return true;
}

bool WriteProjectLists(Settings& s) {
    if (!s.saveAtExit || !s.projectActive()) return true;
    SettingsKey key;
    if (!openProjectForWriting(key, s)) return false;
    bool written = WriteProjectListValues(key, s.project);
    CloseKey(key);
    return written;
}

bool ReadReleases(Settings& s) {
    SettingsKey key;
    if (!s.projectActive() || !OpenProjectKey(key, s.currentProject)) return false;
    ReadReleaseValues(key, s.project.releases);
    CloseKey(key);
    return true;
}

bool WriteReleases(Settings& s) {
    if (!s.saveAtExit || !s.projectActive()) return true;
    SettingsKey key;
    if (!openProjectForWriting(key, s)) return false;
    bool written = WriteReleaseValues(key, s.project.releases);
    CloseKey(key);
    return written;
}

}  // namespace tarvo::base
