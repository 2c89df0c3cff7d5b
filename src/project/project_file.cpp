#include "project/project_file.h"

#include <algorithm>
#include <string_view>

#include "base/messages.h"
#include "base/settings_store.h"
#include "platform/files.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "project/makefile_generation.h"
#include "project/project_messages.h"

namespace tarvo::project {
namespace {

std::string keyPath(const std::string& name) { return std::string(base::kMainKey) + "\\" + name; }

std::string directoryOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string lastComponent(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool pathEnd(std::string_view value, size_t at) {
    return at == value.size() || std::string_view("\\/;, \"\t").find(value[at]) != std::string_view::npos;
}

bool pathStart(std::string_view value, size_t at) {
    return at == 0 || std::string_view(";, \"=\t").find(value[at - 1]) != std::string_view::npos;
}

bool endsWithNoCase(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && SameText(std::string_view(text).substr(text.size() - end.size()), end);
}

std::string rewriteIncludes(const std::string& value, char oldDrive, const std::string& oldBase,
                            const std::string& newBase, const std::string& root) {
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t end = value.find(';', start);
        std::string entry = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (endsWithNoCase(entry, "\\vex\\include")) entry = root + "\\include";
        else {
            std::string moved = ReplaceBaseDirectory(entry, oldBase, newBase);
            if (moved == entry && entry.size() > 2 && entry[1] == ':' && newBase.size() > 1 &&
                newBase[1] == ':' && SameText(entry.substr(0, 1), std::string(1, oldDrive)))
                moved[0] = newBase[0];
            entry = moved;
        }
        out += entry;
        if (end == std::string::npos) return out;
        out += ';';
        start = end + 1;
    }
}

bool parseLine(std::string_view line, std::string& name, std::string& value) {
    size_t nameEnd = line.find_first_of(" \t");
    if (nameEnd == 0 || line.empty()) return false;
    name = std::string(line.substr(0, nameEnd));
    if (nameEnd == std::string_view::npos) {
        value.clear();
        return true;
    }
    size_t valueStart = line.find_first_not_of(" \t", nameEnd);
    value = valueStart == std::string_view::npos ? std::string() : std::string(line.substr(valueStart));
    return true;
}

}  // namespace

std::string ReplaceBaseDirectory(const std::string& value, const std::string& from, const std::string& to) {
    if (from.empty() || SameText(from, to)) return value;
    std::string lowerValue = Lower(value), lowerFrom = Lower(from);
    std::string out;
    size_t start = 0;
    for (size_t at = lowerValue.find(lowerFrom); at != std::string::npos; at = lowerValue.find(lowerFrom, at + 1)) {
        if (at < start || !pathStart(value, at) || !pathEnd(value, at + from.size())) continue;
        out += value.substr(start, at - start) + to;
        start = at + from.size();
    }
    return out + value.substr(start);
}

bool ExportProject(const std::string& name, const std::string& directory, std::string& file) {
    file = directory + "\\" + Lower(name + ".prj");
    const platform::SettingsBackend& backend = platform::settingsBackend();
    if (!base::ValidProjectName(name) || !backend.keyExists(keyPath(name))) {
        base::ErrorBox(Printf(base::GetString(kMsgCannotOpenProject), name.c_str()));
        return false;
    }
    std::string sourcesDir;
    if (!backend.readValue(keyPath(name), "SourcesDir", sourcesDir)) {
        base::ErrorBoxId(kMsgNoOldPath);
        return false;
    }
    std::vector<std::pair<std::string, std::string>> values = backend.values(keyPath(name));
    for (const auto& [valueName, text] : values) {
        // One line per value: a line break would make values of its own on import.
        if (text.find_first_of("\r\n") == std::string::npos && valueName.find_first_of(" \t\r\n") == std::string::npos)
            continue;
        base::ErrorBox(Printf(base::GetString(kMsgLineBreakValue), valueName.c_str(), name.c_str()));
        return false;
    }
    if (platform::FileExists(file) && !base::Confirm(Printf(base::GetString(kMsgOverwrite), file.c_str())))
        return false;
    std::string text = kProjectFileHeader;
    text += "SOFTWARE\\vex\\Tarvo\\" + name + "\n";
    text += "ProjectPath\t" + sourcesDir + "\n";
    for (const auto& [valueName, value] : values) text += valueName + "\t" + value + "\n";
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, file) != platform::ReplaceStatus::Ok ||
        !platform::WriteReplace(out, text.data(), text.size()) ||
        platform::FinishReplace(out) != platform::ReplaceStatus::Ok) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), file.c_str()));
        return false;
    }
    base::InfoBox(Printf(base::GetString(kMsgExported), name.c_str(), file.c_str()));
    return true;
}

bool ReadProjectFile(const std::string& path, const std::string& root, ImportedProject& out) {
    out = {};
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) {
        base::FileNotFoundBox(path);
        return false;
    }
    std::string_view text(content.data.get(), content.size);
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end + 1);
    }
    std::string_view all(content.data.get(), content.size);
    bool header = all.substr(0, sizeof kProjectFileHeader - 1) == kProjectFileHeader ||
                  all.substr(0, sizeof kProjectFileHeader) == "Tarvo project file. Do NOT edit\r\n";
    if (!header || lines.size() < 2) {
        base::ErrorBoxId(kMsgNotProjectFile);
        return false;
    }
    // Only the name is taken from the stored key path: the project goes under our own key.
    std::string keyLine(lines[1]);
    out.name = keyLine.substr(keyLine.find_last_of('\\') == std::string::npos ? 0 : keyLine.find_last_of('\\') + 1);
    if (!base::ValidProjectName(out.name) || out.name.find_first_of(" \t") != std::string::npos) {
        base::ErrorBox(Printf(base::GetString(base::kTextBadProjectName), out.name.c_str()));
        return false;
    }
    std::string newBase = directoryOf(platform::FullPath(path));
    std::string oldBase;
    char oldDrive = 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        std::string name, value;
        if (!parseLine(lines[i], name, value)) {
            base::ErrorBox(Printf(base::GetString(kMsgBadProjectLine), static_cast<int>(i + 1), path.c_str()));
            return false;
        }
        if (SameText(name, "ProjectPath") && oldBase.empty()) {
            oldBase = value;
            oldDrive = value.empty() ? 0 : value[0];
            out.values.emplace_back(name, newBase);
            continue;
        }
        if (SameText(name, "Name")) {
            out.values.emplace_back(name, value);
            continue;
        }
        if (SameText(name, "MakeDir")) {
            value = newBase + "\\" + lastComponent(value);
            out.makeDir = value;
        } else if (SameText(name, "Includes")) {
            value = rewriteIncludes(value, oldDrive, oldBase, newBase, root);
        } else if (SameText(name, "MakeName")) {
            value = root + "\\bin\\make.exe";
        } else {
            value = ReplaceBaseDirectory(value, oldBase, newBase);
        }
        // A value named twice keeps its last text, as writing them in turn would.
        auto same = std::find_if(out.values.begin(), out.values.end(),
                                 [&](const auto& v) { return SameText(v.first, name); });
        if (same != out.values.end()) same->second = value;
        else out.values.emplace_back(name, value);
    }
    return true;
}

bool ImportProject(base::Settings& s, const std::string& path, std::string& name) {
    ImportedProject imported;
    if (!ReadProjectFile(path, s.compilerRoot, imported)) return false;
    name = imported.name;
    const platform::SettingsBackend& backend = platform::settingsBackend();
    std::string key = keyPath(name);
    bool known = backend.keyExists(key) ||
                 std::any_of(s.projects.begin(), s.projects.end(), [&](const std::string& p) { return SameText(p, name); });
    if (known && !base::Confirm(Printf(base::GetString(kMsgReplaceProject), name.c_str()))) return false;
    base::SettingsKey main;
    if (!base::OpenMainKey(main)) return false;
    if (backend.keyExists(key)) {
        unsigned long code = backend.deleteKey(key);
        if (code) {
            base::ReportWriteError(code);
            return false;
        }
    }
    base::SettingsKey k;
    if (!base::OpenOrCreateKey(k, key)) return false;
    for (const auto& [valueName, value] : imported.values)
        if (!base::WriteText(k, valueName, value)) return false;
    if (!imported.makeDir.empty() && !platform::DirectoryExists(imported.makeDir))
        platform::MakeDirectory(imported.makeDir);
    std::string directory = directoryOf(platform::FullPath(path));
    platform::ChangeDirectory(directory);
    s.currentDir = directory;
    if (!known) s.projects.push_back(name);
    s.saveAtExit = true;
    return true;
}

}  // namespace tarvo::project
