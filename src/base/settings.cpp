#include "base/settings.h"

#include "base/messages.h"
#include "base/settings_main.h"
#include "base/settings_project.h"
#include "base/settings_store.h"

namespace tarvo::base {
namespace {

// The root comes from the compiler's own key; it is needed before WinHelpDataBase is read.
void readCompilerRoot(Settings& s) {
    SettingsKey compiler = KeyForReading(kCompilerKey);
    if (ReadText(compiler, "includepath", s.includePath))
        CompilerRootFromIncludePath(s.includePath, s.compilerRoot);
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
    ReadMainValues(key, s, inputs);
    CloseKey(key);
    ReadCurrentProject(s);
    if (s.includePath.find('\\') == std::string::npos) ErrorBoxId(kTextBadIncludePath);
    return true;
}

bool ReadCurrentProject(Settings& s) {
    SettingsKey key;
    if (!s.projectActive() || !OpenProjectKey(key, s.currentProject)) return false;
    ReadProjectDefinition(key, s.project);
    ReadProjectListValues(key, s.project);
    ReadReleaseValues(key, s.project.releases);
    CloseKey(key);
    return true;
}

bool WriteSettings(Settings& s) {
    if (!s.saveAtExit) return true;
    SettingsKey key;
    if (!OpenMainKey(key)) return false;
    if (s.projectActive())
        s.project.frame = Rect{static_cast<int>(s.frameX), static_cast<int>(s.frameY),
                               static_cast<int>(s.frameCX), static_cast<int>(s.frameCY)};
    bool written = WriteMainValues(key, s);
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

// Written when a release is saved, whatever the save-at-exit setting: the user saved it.
bool WriteReleases(Settings& s) {
    if (!s.projectActive()) return false;
    SettingsKey key;
    if (!openProjectForWriting(key, s)) return false;
    bool written = WriteReleaseValues(key, s.project.releases);
    CloseKey(key);
    return written;
}

}  // namespace tarvo::base
