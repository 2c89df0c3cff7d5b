// The settings store: named text values under the user's key Software\vex\Tarvo, one subkey per
// project, numbers as decimal text. Everything goes through the installed SettingsBackend.
#pragma once
#include <string>
#include <string_view>

namespace tarvo::base {

inline constexpr char kSoftwareKey[] = "Software";
inline constexpr char kVexKey[] = "Software\\vex";
inline constexpr char kMainKey[] = "Software\\vex\\Tarvo";
inline constexpr char kCompilerKey[] = "Software\\vex\\Compiler";
inline constexpr char kLinkerKey[] = "Software\\vex\\vexlnk";

// Values are read through a 512-byte buffer: a longer value counts as absent.
inline constexpr size_t kMaxValueLength = 511;
// Project names are subkey names of at most this length.
inline constexpr size_t kMaxProjectName = 49;

// Message ids.
inline constexpr unsigned kMsgBadCompilerPath = 3963;  // "Incorrect path for compiler in registry"
inline constexpr unsigned kMsgDebuggerArguments = 4522;  // value name "DebuggerArguments"

// Message ids of the store's own texts.
inline constexpr unsigned kTextWriteError = 3947;        // "Error %d writing to the registry"
inline constexpr unsigned kTextBadFileProcessor = 3948;
inline constexpr unsigned kTextBadIncludePath = 3949;
inline constexpr unsigned kTextBadProjectName = 3950;    // "Incorrect project name '%s'"
inline constexpr unsigned kTextNoCompilerRoot = 3954;    // the first run was cancelled

// The store's state for the whole run of the program. The first-run set-up is tried at most
// once: after it failed or was cancelled, opening the main key fails quietly, so the program
// goes on with its defaults and writes nothing at exit.
enum class FirstRunOutcome { NotTried, Done, Failed };
struct StoreState {
    FirstRunOutcome firstRun = FirstRunOutcome::NotTried;
};
StoreState& storeState();
void ResetStoreState();  // for tests

// An open key and the state of the writing sequence in it. After a failed write (already
// reported) every later write through the same record is skipped and fails too, so a sequence
// of writes stops at its first failure and earlier values stay written.
struct SettingsKey {
    std::string path;  // empty when not open
    bool failed = false;
};

// Opens Software and Software\vex (running the first-run set-up when Software\vex is missing
// and the set-up was not tried yet in this run), then opens or creates Software\vex\Tarvo.
// False on failure.
bool OpenMainKey(SettingsKey& key);
// As OpenMainKey, then opens or creates the project's subkey.
bool OpenProjectKey(SettingsKey& key, const std::string& project);
// Opens or creates any key (the compiler system's own keys); failure is reported.
bool OpenOrCreateKey(SettingsKey& key, const std::string& path);
// A key that is only read (it is not created).
SettingsKey KeyForReading(const std::string& path);
void CloseKey(SettingsKey& key);

// Text of a value; false when absent or longer than kMaxValueLength. The text is emptied first.
bool ReadText(const SettingsKey& key, std::string_view name, std::string& text);
bool ReadTextId(const SettingsKey& key, unsigned nameId, std::string& text);
// Like ReadText, but an absent value leaves `text` as it was (its default).
void ReadTextOr(const SettingsKey& key, std::string_view name, std::string& text);
// The value read with the atol rule ("12ab" is 12, "ab" is 0); `fallback` when absent.
long ReadNumber(const SettingsKey& key, std::string_view name, long fallback);

bool WriteText(SettingsKey& key, std::string_view name, std::string_view text);
bool WriteTextId(SettingsKey& key, unsigned nameId, std::string_view text);
bool WriteNumber(SettingsKey& key, std::string_view name, long value);  // "%ld"

// Deletes the project's subkey with everything in it.
bool DeleteProject(const std::string& project);

// A project name usable as a subkey of the main key: not empty, at most kMaxProjectName
// characters, no backslash.
bool ValidProjectName(std::string_view project);

// The compiler root is the include path cut before its last backslash. A path without one is
// reported (message 3963) and leaves `root` unchanged.
bool CompilerRootFromIncludePath(const std::string& includePath, std::string& root);

// "Error %d writing to the registry" with the system's error code.
void ReportWriteError(unsigned long code);

}  // namespace tarvo::base
