#include "platform/memory_settings.h"

#include <map>
#include <utility>

#include "platform/text.h"

namespace tarvo::platform {
namespace {

constexpr unsigned long kErrorFileNotFound = 2;  // what the registry says of a missing key

struct KeyRecord {
    std::string path;  // as first created
    std::vector<std::pair<std::string, std::string>> values;
};

struct KeyFault {
    std::string key;  // lower case
    unsigned long code;
};

struct MemoryStore {
    std::map<std::string, KeyRecord> keys;  // by lower-case path
    std::vector<KeyFault> keyFaults;
    int writesUntilFault = 0;  // 0: no write fault pending
    unsigned long writeFaultCode = 0;
};

MemoryStore freshStore() {
    MemoryStore s;
    s.keys["software"] = KeyRecord{"Software", {}};
    return s;
}

MemoryStore& store() {
    static MemoryStore s = freshStore();
    return s;
}


// True when `path` is `key` or lies below it (both lower case).
bool within(const std::string& path, const std::string& key) {
    return path == key || (path.size() > key.size() && path.compare(0, key.size(), key) == 0 &&
                           path[key.size()] == '\\');
}

// The code of the fault covering this key, 0 when none.
unsigned long faultOf(const std::string& lowerPath) {
    for (const KeyFault& f : store().keyFaults)
        if (within(lowerPath, f.key)) return f.code;
    return 0;
}

KeyRecord* findKey(const std::string& key) {
    std::string l = Lower(key);
    if (faultOf(l) != 0) return nullptr;
    auto it = store().keys.find(l);
    return it == store().keys.end() ? nullptr : &it->second;
}

bool memKeyExists(const std::string& key) { return findKey(key) != nullptr; }

unsigned long memCreateKey(const std::string& key) {
    std::string l = Lower(key);
    if (unsigned long code = faultOf(l)) return code;
    // Create every missing parent on the way down, as RegCreateKeyEx does.
    for (size_t end = 0; end != std::string::npos;) {
        end = key.find('\\', end + 1);
        std::string part = key.substr(0, end);
        std::string lowerPart = Lower(part);
        if (!store().keys.count(lowerPart)) store().keys[lowerPart] = KeyRecord{part, {}};
    }
    return 0;
}

bool memReadValue(const std::string& key, const std::string& name, std::string& text) {
    KeyRecord* k = findKey(key);
    if (!k) return false;
    for (const auto& [n, v] : k->values)
        if (SameText(n, name)) {
            text = v;
            return true;
        }
    return false;
}

unsigned long memWriteValue(const std::string& key, const std::string& name,
                            const std::string& text) {
    MemoryStore& s = store();
    if (s.writesUntilFault > 0 && --s.writesUntilFault == 0) return s.writeFaultCode;
    if (unsigned long code = faultOf(Lower(key))) return code;
    KeyRecord* k = findKey(key);
    if (!k) return kErrorFileNotFound;
    for (auto& [n, v] : k->values)
        if (SameText(n, name)) {
            v = text;
            return 0;
        }
    k->values.emplace_back(name, text);
    return 0;
}

unsigned long memDeleteKey(const std::string& key) {
    std::string l = Lower(key);
    if (unsigned long code = faultOf(l)) return code;
    auto& keys = store().keys;
    if (!keys.count(l)) return kErrorFileNotFound;
    for (auto it = keys.begin(); it != keys.end();)
        it = within(it->first, l) ? keys.erase(it) : std::next(it);
    return 0;
}

// Direct subkeys in the case-insensitive order the registry enumerates them in.
std::vector<std::string> memSubkeys(const std::string& key) {
    std::vector<std::string> names;
    if (!findKey(key)) return names;
    std::string prefix = Lower(key) + "\\";
    for (const auto& [l, record] : store().keys) {
        if (l.compare(0, prefix.size(), prefix) != 0) continue;
        if (l.find('\\', prefix.size()) != std::string::npos) continue;
        if (faultOf(l) != 0) continue;
        names.push_back(record.path.substr(prefix.size()));
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> memValues(const std::string& key) {
    KeyRecord* k = findKey(key);
    return k ? k->values : std::vector<std::pair<std::string, std::string>>{};
}

}  // namespace

const SettingsBackend& memorySettingsBackend() {
    static const SettingsBackend backend{memKeyExists, memCreateKey, memReadValue,
                                         memWriteValue, memDeleteKey, memSubkeys, memValues};
    return backend;
}

void ResetMemorySettings() { store() = freshStore(); }

void FailNthWrite(int n, unsigned long code) {
    store().writesUntilFault = n > 0 ? n : 0;
    store().writeFaultCode = code;
}

void FailKey(const std::string& key, unsigned long code) {
    store().keyFaults.push_back({Lower(key), code});
}

std::vector<std::string> MemoryValueNames(const std::string& key) {
    std::vector<std::string> names;
    if (KeyRecord* k = findKey(key))
        for (const auto& value : k->values) names.push_back(value.first);
    return names;
}

}  // namespace tarvo::platform
