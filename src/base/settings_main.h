// The main key Software\vex\Tarvo: the general settings, read at start-up and written at exit.
#pragma once
#include "base/settings.h"
#include "base/settings_store.h"

namespace tarvo::base {

// The main key's values, then the projects (the key's subkeys) and the current project:
// "/prj:" on the command line, else CurrentProject, else CMSProjectPath. The open files come
// from here only while no project is active.
void ReadMainValues(const SettingsKey& key, Settings& s, const StartupInputs& inputs);
bool WriteMainValues(SettingsKey& key, const Settings& s);

}  // namespace tarvo::base
