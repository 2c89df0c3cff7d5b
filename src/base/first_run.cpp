#include "base/first_run.h"

#include "platform/files.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "base/messages.h"
#include "base/settings_store.h"

namespace tarvo::base {
namespace {

constexpr unsigned kMsgAskRoot = 93;  // "Enter path for the compiler root directory"

std::string noCommandLine() { return {}; }
char driveC() { return 'C'; }
bool cancelledDialog(const char*, std::string&) { return false; }

FirstRunHooks& installed() {
    static FirstRunHooks hooks{noCommandLine, driveC, cancelledDialog};
    return hooks;
}

std::string windowsHeaderUnder(const std::string& root) {
    return Printf("%s\\include\\windows.h", root.c_str());
}

bool endsWithBin(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return tail == "\\bin";
}

// The program's own name: to the closing quote when quoted, else to the first blank. The
// arguments behind it may hold backslashes of their own, which must not move the cut.
std::string programName(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        return commandLine.substr(0, close == std::string::npos ? close : close + 1);
    }
    return commandLine.substr(0, commandLine.find(' '));
}

}  // namespace

const FirstRunHooks& firstRunHooks() { return installed(); }
void setFirstRunHooks(const FirstRunHooks& hooks) { installed() = hooks; }

std::string RootFromCommandLine(const std::string& commandLine, char currentDrive) {
    std::string path = programName(commandLine);
    size_t lastSlash = path.rfind('\\');
    path = lastSlash == std::string::npos ? std::string() : path.substr(0, lastSlash);
    if (endsWithBin(path)) path.resize(path.size() - 4);
    if (!path.empty() && path[0] == '"') path.erase(0, 1);
    // A path from the root of the current drive gets the drive; a network path keeps its "\\".
    if (!path.empty() && path[0] == '\\' && (path.size() < 2 || path[1] != '\\'))
        path = Printf("%c:%s", currentDrive, path.c_str());
    return path;
}

bool RunFirstRun(std::string& root) {
    const FirstRunHooks& hooks = firstRunHooks();
    std::string found = RootFromCommandLine(hooks.commandLine(), hooks.currentDrive());
    if (found.empty() || !platform::FileExists(windowsHeaderUnder(found))) {
        std::string chosen;
        if (!hooks.askDirectory(GetString(kMsgAskRoot), chosen)) {
            InfoBox(GetString(kTextNoCompilerRoot));
            return false;
        }
        // "C:\tools\" and "C:\" name the same roots as "C:\tools" and "C:".
        while (!chosen.empty() && chosen.back() == '\\') chosen.pop_back();
        found = chosen;
        if (!platform::FileExists(windowsHeaderUnder(found))) {
            FileNotFoundBox(windowsHeaderUnder(found));
            return false;
        }
    }
    SettingsKey compiler, linker;
    if (!OpenOrCreateKey(compiler, kVexKey) || !OpenOrCreateKey(compiler, kCompilerKey) ||
        !WriteText(compiler, "includepath", Printf("%s\\include", found.c_str())) ||
        !OpenOrCreateKey(linker, kLinkerKey) ||
        !WriteText(linker, "libpath", Printf("%s\\lib", found.c_str()))) {
        // Software\vex marks a finished set-up: a half-made one is taken away so the next
        // start runs it again.
        platform::settingsBackend().deleteKey(kVexKey);
        return false;
    }
    root = found;
    return true;
}

}  // namespace tarvo::base
