// The settings store's backend on the Win32 registry, below HKEY_CURRENT_USER.
#pragma once
#include "platform/settings_backend.h"

namespace tarvo::platform {

const SettingsBackend& RegistryBackend();

// Test hook: open keys for reading only, so every write fails as it would on a protected key.
void SetRegistryReadOnly(bool readOnly);

}  // namespace tarvo::platform
