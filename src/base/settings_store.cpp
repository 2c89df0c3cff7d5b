#include "base/settings_store.h"

#include "platform/settings_backend.h"
#include "platform/text.h"
#include "base/first_run.h"
#include "base/messages.h"

namespace tarvo::base {
namespace {

using platform::settingsBackend;

constexpr unsigned long kErrorInvalidParameter = 87;

std::string projectKeyPath(const std::string& project) {
    return std::string(kMainKey) + "\\" + project;
}

// A write or a key creation: on failure the error is shown once and the sequence stops.
bool finish(SettingsKey& key, unsigned long code) {
    if (code == 0) return true;
    ReportWriteError(code);
    key.failed = true;
    return false;
}

}  // namespace

StoreState& storeState() {
    static StoreState state;
    return state;
}

void ResetStoreState() { storeState() = StoreState{}; }

void ReportWriteError(unsigned long code) {
    ErrorBox(Printf(GetString(kTextWriteError), static_cast<int>(code)));
}

bool OpenOrCreateKey(SettingsKey& key, const std::string& path) {
    if (key.failed) return false;
    if (!finish(key, settingsBackend().createKey(path))) return false;
    key.path = path;
    return true;
}

SettingsKey KeyForReading(const std::string& path) { return SettingsKey{path, false}; }

bool OpenMainKey(SettingsKey& key) {
    key = SettingsKey{};
    const platform::SettingsBackend& backend = settingsBackend();
    if (!backend.keyExists(kSoftwareKey)) return false;
    if (!backend.keyExists(kVexKey)) {
        // Asked once a run: a cancelled dialog must not come back at every open of the key.
        if (storeState().firstRun != FirstRunOutcome::NotTried) return false;
        std::string root;
        storeState().firstRun = RunFirstRun(root) ? FirstRunOutcome::Done : FirstRunOutcome::Failed;
        if (storeState().firstRun == FirstRunOutcome::Failed) return false;
    }
    return OpenOrCreateKey(key, kMainKey);
}

bool OpenProjectKey(SettingsKey& key, const std::string& project) {
    if (!ValidProjectName(project)) {
        ErrorBox(Printf(GetString(kTextBadProjectName), project.c_str()));
        key = SettingsKey{};
        return false;
    }
    return OpenMainKey(key) && OpenOrCreateKey(key, projectKeyPath(project));
}

void CloseKey(SettingsKey& key) { key.path.clear(); }

bool ReadText(const SettingsKey& key, std::string_view name, std::string& text) {
    text.clear();
    if (key.path.empty() || name.empty()) return false;
    std::string stored;
    if (!settingsBackend().readValue(key.path, std::string(name), stored)) return false;
    if (stored.size() > kMaxValueLength) return false;  // would not fit the read buffer
    text = stored;
    return true;
}

bool ReadTextId(const SettingsKey& key, unsigned nameId, std::string& text) {
    return ReadText(key, GetString(nameId), text);
}

void ReadTextOr(const SettingsKey& key, std::string_view name, std::string& text) {
    std::string read;
    if (ReadText(key, name, read)) text = read;
}

long ReadNumber(const SettingsKey& key, std::string_view name, long fallback) {
    std::string text;
    return ReadText(key, name, text) ? AtoL(text) : fallback;
}

bool WriteText(SettingsKey& key, std::string_view name, std::string_view text) {
    if (key.failed) return false;
    // An empty name would overwrite the key's default value: a value name missing from the
    // message table must not get that far.
    if (key.path.empty() || name.empty()) return finish(key, kErrorInvalidParameter);
    return finish(key, settingsBackend().writeValue(key.path, std::string(name),
                                                    std::string(text)));
}

bool WriteTextId(SettingsKey& key, unsigned nameId, std::string_view text) {
    return WriteText(key, GetString(nameId), text);
}

bool WriteNumber(SettingsKey& key, std::string_view name, long value) {
    return WriteText(key, name, Printf("%ld", value));
}

bool ValidProjectName(std::string_view project) {
    return !project.empty() && project.size() <= kMaxProjectName &&
           project.find('\\') == std::string_view::npos;
}

bool DeleteProject(const std::string& project) {
    if (!ValidProjectName(project)) {
        ErrorBox(Printf(GetString(kTextBadProjectName), project.c_str()));
        return false;
    }
    SettingsKey key;
    return finish(key, settingsBackend().deleteKey(projectKeyPath(project)));
}

bool CompilerRootFromIncludePath(const std::string& includePath, std::string& root) {
    size_t lastSlash = includePath.rfind('\\');
    if (lastSlash == std::string::npos) {
        ErrorBoxId(kMsgBadCompilerPath);
        return false;
    }
    root = includePath.substr(0, lastSlash);
    return true;
}

}  // namespace tarvo::base
