#include "base/settings_project.h"

#include "platform/text.h"
#include "base/messages.h"
#include "base/settings_lists.h"

namespace tarvo::base {
namespace {

void readCurrentFile(const SettingsKey& key, std::string& file) {
    ReadText(key, "CurrentFile", file);
    if (file == "untitled") file.clear();  // the internal buffer is never reopened
}

// Texts numbered from 1 after their count; reading stops at the first missing one.
void readTexts(const SettingsKey& key, const char* countName, const char* itemFormat,
               std::vector<std::string>& items) {
    items.clear();
    long count = ReadNumber(key, countName, 0);
    for (long n = 1; n <= count; ++n) {
        std::string text;
        if (!ReadText(key, Numbered(itemFormat, n), text)) break;
        items.push_back(text);
    }
}

void writeTexts(SettingsKey& key, const char* countName, const char* itemFormat,
                const std::vector<std::string>& items) {
    WriteNumber(key, countName, static_cast<long>(items.size()));
    for (size_t i = 0; i < items.size(); ++i)
        WriteText(key, Numbered(itemFormat, static_cast<long>(i + 1)), items[i]);
}

}  // namespace

std::string FormatBreakpoint(const Breakpoint& b) {
    return Printf("%s@%ld", b.file.c_str(), b.line);
}

bool ParseBreakpoint(const std::string& text, Breakpoint& b) {
    size_t at = text.rfind('@');
    if (at == std::string::npos || at == 0) return false;
    b.file = text.substr(0, at);
    b.line = AtoL(text.substr(at + 1));
    return true;
}

std::string FormatFileProcessor(const FileProcessor& p) {
    return Printf("%s#%s#%s", p.input.c_str(), p.command.c_str(), p.output.c_str());
}

bool ParseFileProcessor(const std::string& text, FileProcessor& p) {
    size_t first = text.find('#'), last = text.rfind('#');
    if (first == std::string::npos || first == last) return false;
    p.input = text.substr(0, first);
    p.command = text.substr(first + 1, last - first - 1);
    p.output = text.substr(last + 1);
    return true;
}

void ReadBreakpoints(const SettingsKey& key, std::vector<Breakpoint>& breakpoints) {
    breakpoints.clear();
    long count = ReadNumber(key, "NumberOfBreakpoints", 0);
    for (long n = 1; n <= count; ++n) {
        std::string text;
        if (!ReadText(key, Numbered("BreakPoint%d", n), text)) break;
        Breakpoint b;
        if (ParseBreakpoint(text, b)) breakpoints.push_back(b);
    }
}

bool WriteBreakpoints(SettingsKey& key, const std::vector<Breakpoint>& breakpoints) {
    WriteNumber(key, "NumberOfBreakpoints", static_cast<long>(breakpoints.size()));
    for (size_t i = 0; i < breakpoints.size(); ++i)
        WriteText(key, Numbered("BreakPoint%d", static_cast<long>(i + 1)),
                  FormatBreakpoint(breakpoints[i]));
    return !key.failed;
}

void ReadFileProcessors(const SettingsKey& key, std::vector<FileProcessor>& processors) {
    processors.clear();
    long count = ReadNumber(key, "NrOfFileProcessors", 0);
    for (long n = 1; n <= count; ++n) {
        std::string text;
        if (!ReadText(key, Numbered("FileProcessor%d", n), text)) break;
        FileProcessor p;
        if (!ParseFileProcessor(text, p)) {
            ErrorBoxId(kTextBadFileProcessor);
            break;
        }
        processors.push_back(p);
    }
}

bool WriteFileProcessors(SettingsKey& key, const std::vector<FileProcessor>& processors) {
    WriteNumber(key, "NrOfFileProcessors", static_cast<long>(processors.size()));
    for (size_t i = 0; i < processors.size(); ++i)
        WriteText(key, Numbered("FileProcessor%d", static_cast<long>(i + 1)),
                  FormatFileProcessor(processors[i]));
    return !key.failed;
}

void ReadProjectDefinition(const SettingsKey& key, ProjectSettings& p) {
    std::string frame;
    if (ReadText(key, "Frame", frame)) ParseRect(frame, ' ', p.frame);
    ReadOpenFiles(key, p.openFiles);
    readCurrentFile(key, p.currentFile);
    ReadTextOr(key, "ProjectPath", p.projectPath);
    ReadTextOr(key, "Libraries", p.libraries);
    ReadTextOr(key, "LinkerArgs", p.linkerArgs);
    ReadTextOr(key, "SourcesDir", p.sourcesDir);
    ReadTextOr(key, "Defines", p.defines);
    ReadTextOr(key, "Includes", p.includes);
    p.compilerFlags = ReadNumber(key, "CompilerFlags", p.compilerFlags);
    p.projectFlags = ReadNumber(key, "ProjectFlags", p.projectFlags);
    ReadTextOr(key, "EiffelRootClass", p.eiffelRootClass);
    if (!p.eiffelRootClass.empty()) ReadTextOr(key, "EiffelRootProcedure", p.eiffelRootProcedure);
    ReadTextOr(key, "ErrorFile", p.errorFile);
    ReadBreakpoints(key, p.breakpoints);
    ReadTextOr(key, "MakeName", p.makeName);
    ReadTextOr(key, "MakeArgs", p.makeArgs);
    p.exeMajorVersion =
        static_cast<std::uint16_t>(ReadNumber(key, "ExeMajorVersion", p.exeMajorVersion));
    p.exeMinorVersion =
        static_cast<std::uint16_t>(ReadNumber(key, "ExeMinorVersion", p.exeMinorVersion));
    ReadTextOr(key, "MakeDir", p.makeDir);
    ReadTextOr(key, "Exe", p.exe);
    ReadTextOr(key, GetString(kMsgDebuggerArguments), p.debuggerArguments);
    ReadTextOr(key, "DbgExeName", p.debuggerExeName);
    ReadTextOr(key, "DbgDir", p.debuggerDir);
    if (p.debuggerDir.empty()) p.debuggerDir = p.makeDir;
    std::string statusBar;
    if (ReadText(key, "StatusBar", statusBar)) ParseRect(statusBar, ',', p.statusBar);
    ReadFileProcessors(key, p.fileProcessors);
    ReadTextOr(key, "UserName", p.userName);
}

bool WriteProjectDefinition(SettingsKey& key, const std::string& projectName,
                            const ProjectSettings& p) {
    WriteText(key, "Frame", FormatRect(p.frame, ' '));
    WriteText(key, "StatusBar", FormatRect(p.statusBar, ','));
    WriteText(key, "Name", projectName);
    WriteText(key, "CurrentFile", p.currentFile);
    WriteOpenFiles(key, p.openFiles);
    WriteText(key, "ProjectPath", p.projectPath);
    WriteText(key, "SourcesDir", p.sourcesDir);
    WriteText(key, "Defines", p.defines);
    WriteText(key, "Includes", p.includes);
    WriteText(key, "Libraries", p.libraries);
    WriteText(key, "LinkerArgs", p.linkerArgs);
    if (p.hasMakeSettings()) {
        WriteText(key, "MakeName", p.makeName);
        WriteText(key, "MakeArgs", p.makeArgs);
        WriteText(key, "MakeDir", p.makeDir);
        WriteText(key, "Exe", p.exe);
        WriteTextId(key, kMsgDebuggerArguments, p.debuggerArguments);
        WriteText(key, "DbgExeName", p.debuggerExeName);
        WriteText(key, "DbgDir", p.debuggerDir);
    }
    WriteNumber(key, "CompilerFlags", p.compilerFlags);
    WriteNumber(key, "ProjectFlags", p.projectFlags);
    WriteNumber(key, "FortranFlags", p.fortranFlags);
    WriteNumber(key, "EiffelFlags", p.eiffelFlags);
    // Read at start-up, so written here: nothing else would keep the executable's version.
    WriteNumber(key, "ExeMajorVersion", p.exeMajorVersion);
    WriteNumber(key, "ExeMinorVersion", p.exeMinorVersion);
    WriteBreakpoints(key, p.breakpoints);
    WriteText(key, "ErrorFile", p.errorFile);
    WriteFileProcessors(key, p.fileProcessors);
    if (!p.userName.empty()) WriteText(key, "UserName", p.userName);
    return !key.failed;
}

void ReadProjectListValues(const SettingsKey& key, ProjectSettings& p) {
    std::vector<std::string> names;
    readTexts(key, "PrjFiles", "File%d", names);
    p.files.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        ProjectFile f{names[i], {}};
        long n = static_cast<long>(i + 1);
        long count = ReadNumber(key, Numbered("File%dDependencies", n), 0);
        for (long d = 1; d <= count; ++d) {
            std::string dependency;
            if (!ReadText(key, Numbered("File%dDependencies%d", n, d), dependency)) break;
            f.dependencies.push_back(dependency);
        }
        p.files.push_back(f);
    }
    readTexts(key, "UserCount", "User%d", p.users);
    ReadTextOr(key, "CmsDirectory", p.cmsDirectory);
    p.putOptions = ReadNumber(key, "PutOptions", p.putOptions);
    p.getOptions = ReadNumber(key, "GetOptions", p.getOptions);
    p.fileOptions = ReadNumber(key, "FileOptions", p.fileOptions);
    p.lockOptions = ReadNumber(key, "LockOptions", p.lockOptions);
    p.usersOptions = ReadNumber(key, "UsersOptions", p.usersOptions);
    p.projectFlags = ReadNumber(key, "ProjectFlags", p.projectFlags);
    if (p.projectFlags & kProjectEiffel) {
        p.eiffelFlags = ReadNumber(key, "EiffelFlags", p.eiffelFlags);
        ReadTextOr(key, "EiffelRootClass", p.eiffelRootClass);
        ReadTextOr(key, "EiffelRootProcedure", p.eiffelRootProcedure);
    }
    if (p.projectFlags & kProjectFortran)
        p.fortranFlags = ReadNumber(key, "FortranFlags", p.fortranFlags);
}

bool WriteProjectListValues(SettingsKey& key, const ProjectSettings& p) {
    WriteNumber(key, "PrjFiles", static_cast<long>(p.files.size()));
    for (size_t i = 0; i < p.files.size(); ++i)
        WriteText(key, Numbered("File%d", static_cast<long>(i + 1)), p.files[i].name);
    for (size_t i = 0; i < p.files.size(); ++i) {
        long n = static_cast<long>(i + 1);
        const std::vector<std::string>& deps = p.files[i].dependencies;
        std::string countName = Numbered("File%dDependencies", n), ignored;
        // Written only for files with dependencies; a count left by an earlier file n is
        // zeroed, or this file would inherit that file's dependencies.
        if (deps.empty() && !ReadText(key, countName, ignored)) continue;
        WriteNumber(key, countName, static_cast<long>(deps.size()));
        for (size_t d = 0; d < deps.size(); ++d)
            WriteText(key, Numbered("File%dDependencies%d", n, static_cast<long>(d + 1)), deps[d]);
    }
    writeTexts(key, "UserCount", "User%d", p.users);
    WriteText(key, "CmsDirectory", p.cmsDirectory);
    WriteNumber(key, "PutOptions", p.putOptions);
    WriteNumber(key, "GetOptions", p.getOptions);
    WriteNumber(key, "FileOptions", p.fileOptions);
    WriteNumber(key, "LockOptions", p.lockOptions);
    WriteNumber(key, "UsersOptions", p.usersOptions);
    WriteNumber(key, "ProjectFlags", p.projectFlags);
    if (p.projectFlags & kProjectEiffel) {
        WriteNumber(key, "EiffelFlags", p.eiffelFlags);
        WriteText(key, "EiffelRootClass", p.eiffelRootClass);
        WriteText(key, "EiffelRootProcedure", p.eiffelRootProcedure);
    }
    if (p.projectFlags & kProjectFortran) WriteNumber(key, "FortranFlags", p.fortranFlags);
    return !key.failed;
}

// A release is taken whole or not at all: reading stops at the first one with a value missing.
void ReadReleaseValues(const SettingsKey& key, std::vector<Release>& releases) {
    releases.clear();
    long count = ReadNumber(key, "ReleasesListLen", 0);
    for (long n = 1; n <= count; ++n) {
        Release r;
        std::string lengthText, filesText;
        if (!ReadText(key, Numbered("Release%d", n), r.name) ||
            !ReadText(key, Numbered("Release%dAuthor", n), r.author) ||
            !ReadText(key, Numbered("Release%dDescriptionLen", n), lengthText) ||
            !ReadText(key, Numbered("Release%dDate", n), r.date) ||
            !ReadText(key, Numbered("Release%dFileListLen", n), filesText))
            return;
        long length = AtoL(lengthText);
        for (long piece = 1; static_cast<long>(r.description.size()) < length; ++piece) {
            std::string text;
            if (!ReadText(key, Numbered("Release%dDescription%d", n, piece), text) || text.empty())
                return;
            r.description += text;
        }
        if (length >= 0 && static_cast<long>(r.description.size()) > length)
            r.description.resize(static_cast<size_t>(length));
        long files = AtoL(filesText);
        for (long f = 1; f <= files; ++f) {
            std::string entry;
            if (!ReadText(key, Numbered("Release%dFile%d", n, f), entry)) return;
            r.files.push_back(entry);
        }
        releases.push_back(r);
    }
}

bool WriteReleaseValues(SettingsKey& key, const std::vector<Release>& releases) {
    WriteNumber(key, "ReleasesListLen", static_cast<long>(releases.size()));
    long n = 0;
    for (const Release& r : releases) {
        ++n;
        WriteText(key, Numbered("Release%d", n), r.name);
        WriteText(key, Numbered("Release%dAuthor", n), r.author);
        WriteNumber(key, Numbered("Release%dDescriptionLen", n), static_cast<long>(r.description.size()));
        for (size_t at = 0, piece = 1; at < r.description.size(); at += kDescriptionPiece, ++piece)
            WriteText(key, Numbered("Release%dDescription%d", n, static_cast<long>(piece)),
                      std::string_view(r.description).substr(at, kDescriptionPiece));
        WriteText(key, Numbered("Release%dDate", n), r.date);
        WriteNumber(key, Numbered("Release%dFileListLen", n), static_cast<long>(r.files.size()));
        for (size_t f = 0; f < r.files.size(); ++f)
            WriteText(key, Numbered("Release%dFile%d", n, static_cast<long>(f + 1)), r.files[f]);
    }
    return !key.failed;
}

}  // namespace tarvo::base
