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

// The key read last stays open for the next read: the settings are read value after value
// from one key, and opening the key for each value made the start-up slower. Any write or
// deletion closes it, so nothing stale is read back.
struct ReadKey {
    std::string path;
    HKEY handle = nullptr;
    ~ReadKey() { Forget(); }
    void Forget() {
        if (handle) RegCloseKey(handle);
        handle = nullptr;
        path.clear();
    }
};

ReadKey& lastRead() {
    static ReadKey key;
    return key;
}

HKEY keyForReading(const std::string& path) {
    ReadKey& k = lastRead();
    if (k.handle && k.path == path) return k.handle;
    k.Forget();
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k.handle) != ERROR_SUCCESS) {
        k.handle = nullptr;
        return nullptr;
    }
    k.path = path;
    return k.handle;
}

bool keyExists(const std::string& key) { return keyForReading(key) != nullptr; }

unsigned long createKey(const std::string& key) {
    if (readOnly()) return keyExists(key) ? 0 : ERROR_ACCESS_DENIED;
    lastRead().Forget();
    return static_cast<unsigned long>(Key(key, KEY_ALL_ACCESS, true).status);
}

bool readValue(const std::string& key, const std::string& name, std::string& text) {
    HKEY handle = keyForReading(key);
    if (!handle) return false;
    // One query when the value fits the usual buffer; a larger one is asked for again.
    std::string buffer(512, '\0');
    DWORD type = 0, size = static_cast<DWORD>(buffer.size());
    LONG status = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_MORE_DATA) {
        buffer.assign(size + 1, '\0');
        size = static_cast<DWORD>(buffer.size());
        status = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    buffer.resize(size);
    // The stored size counts the terminating zero; a value may also lack it.
    size_t end = buffer.find('\0');
    text = end == std::string::npos ? buffer : buffer.substr(0, end);
    return true;
}

unsigned long writeValue(const std::string& key, const std::string& name,
                         const std::string& text) {
    lastRead().Forget();
    Key k(key, writeAccess(), false);
    if (!k.handle) return static_cast<unsigned long>(k.status);
    return static_cast<unsigned long>(
        RegSetValueExA(k.handle, name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)));
}

unsigned long deleteKey(const std::string& key) {
    if (readOnly()) return ERROR_ACCESS_DENIED;
    lastRead().Forget();
    // With a subkey name, the tree is deleted together with the key itself.
    return static_cast<unsigned long>(RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()));
}

std::vector<std::string> subkeys(const std::string& key) {
    std::vector<std::string> names;
    HKEY handle = keyForReading(key);
    if (!handle) return names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> values(const std::string& key) {
    std::vector<std::pair<std::string, std::string>> found;
    HKEY handle = keyForReading(key);
    if (!handle) return found;
    DWORD longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return found;
    std::string name(longestName + 1, '\0'), data(longestData + 1, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = static_cast<DWORD>(data.size()), type = 0;
        LONG status = RegEnumValueA(handle, index, name.data(), &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &dataLength);
        if (status != ERROR_SUCCESS) break;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        std::string text(data.data(), dataLength);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        found.emplace_back(std::string(name.data(), nameLength), text);
    }
    return found;
}

}  // namespace

const SettingsBackend& RegistryBackend() {
    static const SettingsBackend backend{keyExists, createKey, readValue, writeValue, deleteKey,
                                         subkeys, values};
    return backend;
}

void SetRegistryReadOnly(bool flag) { readOnly() = flag; }

}  // namespace tarvo::platform
