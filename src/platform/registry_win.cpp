#include "platform/registry_win.h"

#include <windows.h>

namespace tarvo::platform {
namespace {

bool& readOnly() {
    static bool flag = false;
    return flag;
}

// One open key, closed when it goes out of scope.
struct Key {
    HKEY handle = nullptr;
    LONG status = ERROR_SUCCESS;
    Key(const std::string& path, REGSAM access, bool create) {
        if (create && !readOnly())
            status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, access,
                                     nullptr, &handle, nullptr);
        else
            status = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, &handle);
        if (status != ERROR_SUCCESS) handle = nullptr;
    }
    ~Key() {
        if (handle) RegCloseKey(handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
};

REGSAM writeAccess() { return readOnly() ? KEY_READ : KEY_READ | KEY_WRITE; }

bool keyExists(const std::string& key) { return Key(key, KEY_READ, false).handle != nullptr; }

unsigned long createKey(const std::string& key) {
    if (readOnly()) return keyExists(key) ? 0 : ERROR_ACCESS_DENIED;
    return static_cast<unsigned long>(Key(key, KEY_ALL_ACCESS, true).status);
}

bool readValue(const std::string& key, const std::string& name, std::string& text) {
    Key k(key, KEY_READ, false);
    if (!k.handle) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(k.handle, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::string buffer(size + 1, '\0');
    if (RegQueryValueExA(k.handle, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    buffer.resize(size);
    // The stored size counts the terminating zero; a value may also lack it.
    size_t end = buffer.find('\0');
    text = end == std::string::npos ? buffer : buffer.substr(0, end);
    return true;
}

unsigned long writeValue(const std::string& key, const std::string& name,
                         const std::string& text) {
    Key k(key, writeAccess(), false);
    if (!k.handle) return static_cast<unsigned long>(k.status);
    return static_cast<unsigned long>(
        RegSetValueExA(k.handle, name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)));
}

unsigned long deleteKey(const std::string& key) {
    if (readOnly()) return ERROR_ACCESS_DENIED;
    // With a subkey name, the tree is deleted together with the key itself.
    return static_cast<unsigned long>(RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()));
}

std::vector<std::string> subkeys(const std::string& key) {
    std::vector<std::string> names;
    Key k(key, KEY_READ, false);
    if (!k.handle) return names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(k.handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

}  // namespace

const SettingsBackend& RegistryBackend() {
    static const SettingsBackend backend{keyExists, createKey, readValue, writeValue, deleteKey,
                                         subkeys};
    return backend;
}

void SetRegistryReadOnly(bool flag) { readOnly() = flag; }

}  // namespace tarvo::platform
