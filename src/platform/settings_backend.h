// The seam under the settings store: a tree of keys holding named string values. The program
// uses the Win32 registry below HKEY_CURRENT_USER; native tests use an in-memory store. Key
// paths are relative to the user's root and use backslashes, e.g. "Software\\vex\\Tarvo".
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tarvo::platform {

struct SettingsBackend {
    bool (*keyExists)(const std::string& key);
    // Opens or creates the key and its parents. 0 on success, else the system error code.
    unsigned long (*createKey)(const std::string& key);
    // The whole stored text of a string value; false when the key or the value is absent.
    bool (*readValue)(const std::string& key, const std::string& name, std::string& text);
    // Stores a string value; the key must exist. 0 on success, else the system error code.
    unsigned long (*writeValue)(const std::string& key, const std::string& name,
                                const std::string& text);
    // Deletes the key with everything below it. 0 on success, else the system error code.
    unsigned long (*deleteKey)(const std::string& key);
    // Names of the direct subkeys, in the store's order.
    std::vector<std::string> (*subkeys)(const std::string& key);
    // The key's string values (name, text), in the store's order; empty when the key is absent.
    std::vector<std::pair<std::string, std::string>> (*values)(const std::string& key);
};

const SettingsBackend& settingsBackend();
void setSettingsBackend(const SettingsBackend& backend);

}  // namespace tarvo::platform
