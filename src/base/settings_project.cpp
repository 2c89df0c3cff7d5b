#include "base/settings_project.h"

#include "platform/text.h"
#include "base/messages.h"
#include "base/settings_lists.h"
#include "base/settings_numbered.h"
#include "base/settings_table.h"

namespace tarvo::base {
namespace {

using P = ProjectSettings;

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

void readUsers(const SettingsKey& key, std::vector<std::string>& users) {
    ReadList(key, kUserList, users);
}

void writeUsers(SettingsKey& key, const std::vector<std::string>& users) {
    WriteList(key, kUserList, users);
}

// "File%dDependencies" counts the values "File%dDependencies%d" of the nth project file.
std::string dependencies(size_t file) {
    return Numbered("File%dDependencies", static_cast<long>(file + 1));
}

void readProjectFiles(const SettingsKey& key, std::vector<ProjectFile>& files) {
    std::vector<std::string> names;
    ReadList(key, kFileList, names);
    files.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        ProjectFile f{names[i], {}};
        std::string name = dependencies(i);
        ReadList(key, TextList(name, name), f.dependencies);
        files.push_back(f);
    }
}

void writeProjectFiles(SettingsKey& key, const std::vector<ProjectFile>& files) {
    std::vector<std::string> names;
    for (const ProjectFile& f : files) names.push_back(f.name);
    WriteList(key, kFileList, names);
    for (size_t i = 0; i < files.size(); ++i) {
        std::string name = dependencies(i), ignored;
        // Written only for files with dependencies; a count left by an earlier file n is
        // zeroed, or this file would inherit that file's dependencies.
        if (files[i].dependencies.empty() && !ReadText(key, name, ignored)) continue;
        WriteList(key, TextList(name, name), files[i].dependencies);
    }
}

void readRootProcedure(const SettingsKey& key, std::string_view name, P& p) {
    if (!p.eiffelRootClass.empty()) ReadTextOr(key, name, p.eiffelRootProcedure);
}

// The project's definition in its key, in the order of the exit writing, in the parts between
// which that writing does something of its own. The number is the place in the start-up reading.
constexpr StoredValue<P> kFrameValues[] = {
    {"Frame", &P::frame, ' ', 1},
    {"StatusBar", &P::statusBar, ',', 25},
};
constexpr StoredValue<P> kFileValues[] = {
    {"CurrentFile", &P::currentFile, 3},
    ListValue<&P::openFiles, ReadOpenFiles, WriteOpenFiles>(2),
    {"ProjectPath", &P::projectPath, 4},
    {"SourcesDir", &P::sourcesDir, 7},
    {"Defines", &P::defines, 8},
    {"Includes", &P::includes, 9},
    {"Libraries", &P::libraries, 5},
    {"LinkerArgs", &P::linkerArgs, 6},
};
constexpr StoredValue<P> kMakeValues[] = {
    {"MakeName", &P::makeName, 16},
    {"MakeArgs", &P::makeArgs, 17},
    {"MakeDir", &P::makeDir, 20},
    {"Exe", &P::exe, 21},
    {kMsgDebuggerArguments, &P::debuggerArguments, 22},
    {"DbgExeName", &P::debuggerExeName, 23},
    {"DbgDir", &P::debuggerDir, 24},
    {"DllEntry", &P::dllEntry, 28},
};
constexpr StoredValue<P> kFlagValues[] = {
    {"CompilerFlags", &P::compilerFlags, 10},
    {"ProjectFlags", &P::projectFlags, 11},
    {"FortranFlags", &P::fortranFlags, 0},
    {"EiffelFlags", &P::eiffelFlags, 0},
    // Read at start-up, so written here: nothing else would keep the executable's version.
    {"ExeMajorVersion", &P::exeMajorVersion, 18},
    {"ExeMinorVersion", &P::exeMinorVersion, 19},
    ListValue<&P::breakpoints, ReadBreakpoints, WriteBreakpoints>(15),
    {"ErrorFile", &P::errorFile, 14},
    ListValue<&P::fileProcessors, ReadFileProcessors, WriteFileProcessors>(26),
};
constexpr StoredValue<P> kUserValues[] = {
    {"UserName", &P::userName, 27},
};
// Read with the definition, written with the project's lists.
constexpr StoredValue<P> kEiffelRootValues[] = {
    {"EiffelRootClass", &P::eiffelRootClass, 12},
    {"EiffelRootProcedure", readRootProcedure, nullptr, 13},
};
static_assert(PlacesRunFromOne<P>({kFrameValues, kFileValues, kMakeValues, kFlagValues,
                                   kUserValues, kEiffelRootValues}));

// The project's lists and version-store options: one order for reading and writing, the
// Eiffel and Fortran values only for a project of that language.
constexpr StoredValue<P> kListValues[] = {
    ListValue<&P::files, readProjectFiles, writeProjectFiles>(1),
    ListValue<&P::users, readUsers, writeUsers>(2),
    {"CmsDirectory", &P::cmsDirectory, 3},
    {"PutOptions", &P::putOptions, 4},
    {"GetOptions", &P::getOptions, 5},
    {"FileOptions", &P::fileOptions, 6},
    {"LockOptions", &P::lockOptions, 7},
    {"UsersOptions", &P::usersOptions, 8},
    {"ProjectFlags", &P::projectFlags, 9},
};
constexpr StoredValue<P> kEiffelValues[] = {
    {"EiffelFlags", &P::eiffelFlags, 1},
    {"EiffelRootClass", &P::eiffelRootClass, 2},
    {"EiffelRootProcedure", &P::eiffelRootProcedure, 3},
};
constexpr StoredValue<P> kFortranValues[] = {
    {"FortranFlags", &P::fortranFlags, 1},
    {"FortranIncludes", &P::fortranIncludes, 2},
};
static_assert(PlacesRunFromOne<P>({kListValues}) && PlacesRunFromOne<P>({kEiffelValues}) &&
              PlacesRunFromOne<P>({kFortranValues}));

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
    ReadValues<P>(key, {kFrameValues, kFileValues, kMakeValues, kFlagValues, kUserValues,
                        kEiffelRootValues}, p);
    // The internal buffer is never reopened.
    if (p.currentFile == "untitled") p.currentFile.clear();
    if (p.debuggerDir.empty()) p.debuggerDir = p.makeDir;
}

bool WriteProjectDefinition(SettingsKey& key, const std::string& projectName,
                            const ProjectSettings& p) {
    WriteValues<P>(key, kFrameValues, p);
    WriteText(key, "Name", projectName);
    WriteValues<P>(key, kFileValues, p);
    if (p.hasMakeSettings()) WriteValues<P>(key, kMakeValues, p);
    WriteValues<P>(key, kFlagValues, p);
    if (!p.userName.empty()) WriteValues<P>(key, kUserValues, p);
    return !key.failed;
}

void ReadProjectListValues(const SettingsKey& key, ProjectSettings& p) {
    ReadValues<P>(key, {kListValues}, p);
    if (p.projectFlags & kProjectEiffel) ReadValues<P>(key, {kEiffelValues}, p);
    if (p.projectFlags & kProjectFortran) ReadValues<P>(key, {kFortranValues}, p);
}

bool WriteProjectListValues(SettingsKey& key, const ProjectSettings& p) {
    WriteValues<P>(key, kListValues, p);
    if (p.projectFlags & kProjectEiffel) WriteValues<P>(key, kEiffelValues, p);
    if (p.projectFlags & kProjectFortran) WriteValues<P>(key, kFortranValues, p);
    return !key.failed;
}

namespace {

bool ReadRelease(const SettingsKey& key, long n, Release& r) {
    std::string lengthText, filesText;
    if (!ReadText(key, Numbered("Release%d", n), r.name) ||
        !ReadText(key, Numbered("Release%dAuthor", n), r.author) ||
        !ReadText(key, Numbered("Release%dDescriptionLen", n), lengthText) ||
        !ReadText(key, Numbered("Release%dDate", n), r.date) ||
        !ReadText(key, Numbered("Release%dFileListLen", n), filesText))
        return false;
    long length = AtoL(lengthText);
    for (long piece = 1; static_cast<long>(r.description.size()) < length; ++piece) {
        std::string text;
        if (!ReadText(key, Numbered("Release%dDescription%d", n, piece), text) || text.empty())
            return false;
        r.description += text;
    }
    if (length >= 0 && static_cast<long>(r.description.size()) > length)
        r.description.resize(static_cast<size_t>(length));
    long files = AtoL(filesText);
    for (long f = 1; f <= files; ++f) {
        std::string entry;
        if (!ReadText(key, Numbered("Release%dFile%d", n, f), entry)) return false;
        r.files.push_back(entry);
    }
    return true;
}

}  // namespace

// A release is taken whole or not at all: one with a value missing is left out, and the ones
// after it are still read (stopping there would lose them at the next write).
void ReadReleaseValues(const SettingsKey& key, std::vector<Release>& releases) {
    releases.clear();
    long count = ReadNumber(key, "ReleasesListLen", 0);
    for (long n = 1; n <= count; ++n) {
        if (Release r; ReadRelease(key, n, r)) releases.push_back(std::move(r));
    }
}

// The count goes last: a write cut short leaves the list as it was, its new release unseen.
bool WriteReleaseValues(SettingsKey& key, const std::vector<Release>& releases) {
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
    WriteNumber(key, "ReleasesListLen", static_cast<long>(releases.size()));
    return !key.failed;
}

}  // namespace tarvo::base
