#include "platform/settings_backend.h"

#include "platform/memory_settings.h"

namespace tarvo::platform {
namespace {

// Until the program installs the registry, settings live in memory.
SettingsBackend& installed() {
    static SettingsBackend backend = memorySettingsBackend();
    return backend;
}

}  // namespace

const SettingsBackend& settingsBackend() { return installed(); }

void setSettingsBackend(const SettingsBackend& backend) { installed() = backend; }

}  // namespace tarvo::platform
