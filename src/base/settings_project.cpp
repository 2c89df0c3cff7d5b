#include "base/settings_project.h"

#include "platform/text.h"
#include "base/messages.h"
#include "base/settings_lists.h"
#include "base/settings_numbered.h"

namespace tarvo::base {
namespace {

void readCurrentFile(const SettingsKey& key, std::string& file) {
    ReadText(key, "CurrentFile", file);
    if (file == "untitled") file.clear();  // the internal buffer is never reopened
}

ItemRead takeBreakpoint(const std::string& text, Breakpoint& b) {
    return ParseBreakpoint(text, b) ? ItemRead::Take : ItemRead::Skip;
}

// A processor that cannot be read ends the list: the ones after it may be as damaged.
ItemRead takeFileProcessor(const std::string& text, FileProcessor& p) {
    if (ParseFileProcessor(text, p)) return ItemRead::Take;
    ErrorBoxId(kTextBadFileProcessor);
    return ItemRead::End;
}

constexpr NumberedList<Breakpoint> kBreakpointList{"NumberOfBreakpoints", "BreakPoint",
                                                   FormatBreakpoint, takeBreakpoint};
constexpr NumberedList<FileProcessor> kFileProcessorList{"NrOfFileProcessors", "FileProcessor",
                                                         FormatFileProcessor, takeFileProcessor};
constexpr NumberedList<std::string> kFileList = TextList("PrjFiles", "File");
constexpr NumberedList<std::string> kUserList = TextList("UserCount", "User");

// "File%dDependencies" counts the values "File%dDependencies%d" of the nth project file.
std::string dependencies(size_t file) {
    return Numbered("File%dDependencies", static_cast<long>(file + 1));
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
    ReadList(key, kBreakpointList, breakpoints);
}

bool WriteBreakpoints(SettingsKey& key, const std::vector<Breakpoint>& breakpoints) {
    return WriteList(key, kBreakpointList, breakpoints);
}

void ReadFileProcessors(const SettingsKey& key, std::vector<FileProcessor>& processors) {
    ReadList(key, kFileProcessorList, processors);
}

bool WriteFileProcessors(SettingsKey& key, const std::vector<FileProcessor>& processors) {
    return WriteList(key, kFileProcessorList, processors);
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
    ReadList(key, kFileList, names);
    p.files.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        ProjectFile f{names[i], {}};
        std::string name = dependencies(i);
        ReadList(key, TextList(name, name), f.dependencies);
        p.files.push_back(f);
    }
    ReadList(key, kUserList, p.users);
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
    std::vector<std::string> names;
    for (const ProjectFile& f : p.files) names.push_back(f.name);
    WriteList(key, kFileList, names);
    for (size_t i = 0; i < p.files.size(); ++i) {
        std::string name = dependencies(i), ignored;
        // Written only for files with dependencies; a count left by an earlier file n is
        // zeroed, or this file would inherit that file's dependencies.
        if (p.files[i].dependencies.empty() && !ReadText(key, name, ignored)) continue;
        WriteList(key, TextList(name, name), p.files[i].dependencies);
    }
    WriteList(key, kUserList, p.users);
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
