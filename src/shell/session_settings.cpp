#include "shell/session_settings.h"

#include "editor/language.h"
#include "editor/search_state.h"
#include "base/key_table.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "shell/recent_files.h"
#include "shell/shell_state.h"

namespace tarvo::shell {

void ReadStartupSettings() {
    base::Settings& s = base::settings();
    base::ResetSettings();
    editor::InstallBuiltInLanguages();  // stored definitions update or join them
    s.keyRows = base::KeyRowsOf(base::commandKeys());
    bool read = base::ReadSettings(s, {shell().options.projectName, shell().startDirectory});
    editor::BuildLanguages();
    base::ApplyKeyRows(s.keyRows, base::commandKeys());
    base::SettingsKey key;
    if (read && base::OpenMainKey(key)) {
        ReadRecentFiles(key, shell().recentFiles);
        base::CloseKey(key);
    }
}

bool WriteExitSettings() {
    base::Settings& s = base::settings();
    s.keyRows = base::KeyRowsOf(base::commandKeys());
    editor::SaveFindFlags();
    if (!s.saveAtExit || !base::WriteSettings(s)) return false;
    base::SettingsKey key;
    if (!base::OpenMainKey(key)) return false;
    bool written = WriteRecentFiles(key, shell().recentFiles);
    base::CloseKey(key);
    return written;
}

}  // namespace tarvo::shell
