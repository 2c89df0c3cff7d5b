#include "project/makefile.h"

#include <map>

#include "base/messages.h"
#include "base/run_tool.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "project/project_kinds.h"
#include "project/project_messages.h"

namespace tarvo::project {
namespace {

using platform::QuoteArgument;


// The extension without its dot, lower case; empty when the name has none.
std::string extensionOf(const std::string& file) {
    std::string name = platform::BaseName(file);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : Lower(name.substr(dot + 1));
}

std::string withExtension(const std::string& file, const char* extension) {
    std::string name = platform::BaseName(file);
    size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

// A name as the tools find it from the make directory: a relative one lies in the sources
// directory.
std::string inSources(const std::string& sourcesDir, const std::string& file) {
    return platform::IsAbsolutePath(file) || sourcesDir.empty() ? file : sourcesDir + "\\" + file;
}

std::string joined(const std::vector<std::string>& options) {
    std::string out;
    for (const std::string& o : options) out += (out.empty() ? "" : " ") + o;
    return out;
}

struct FlagText {
    long bit;
    const char* text;
};
constexpr FlagText kBeforeDebug[] = {{0x04, " -O "}, {0x10, " -x "}};
constexpr FlagText kAfterDebug[] = {
    {0x20, " -S "},      {0x200, " -A "},       {0x4000, " -Zp1 "},     {0x8000, " -Zp2 "},
    {0x10000, " -Zp4 "}, {0x20000, " -Zp8 "},   {0x40000, " -Zp16 "},   {0x80000, " -z "},
    {0x200000, " -p6"},  {0x800000, " -unused"}, {0x1000000, " -ansic"},
};
constexpr long kLinkStrip = 0x01, kLinkMap = 0x2000, kLinkNoUnderscores = 0x400000;
constexpr const char* kFortranFlagLetters = "uURracgC";

enum class Kind { Compile, Assemble, Fortran, Resource, Prebuilt, Library, Nothing, Ignored, Processor };

struct Entry {
    Kind kind = Kind::Nothing;
    std::string listed;  // the OBJS entry; empty when the file yields none
};

const base::FileProcessor* processorFor(const base::ProjectSettings& p, const std::string& file) {
    std::string full = inSources(p.sourcesDir, file);
    for (const base::FileProcessor& fp : p.fileProcessors)
        if (SameText(inSources(p.sourcesDir, fp.input), full)) return &fp;
    return nullptr;
}

struct Composer {
    const std::string& name;
    const std::string& root;
    base::ProjectSettings& p;
    const MakefileHooks& hooks;
    MakefileResult& r;
    std::vector<Entry> entries;
    bool resourcesListed = false;  // compiled resources given: no rule for a script
    bool scanFailed = false;
    bool warnedNoResources = false;
    std::string text;

    bool classify();
    void addFortranLibrary();
    std::string linkRule();
    std::string dependencyBlock(const std::string& macro, size_t file);
    void rules(size_t file);
};

bool Composer::classify() {
    std::map<std::string, std::string> objectOwners;  // object name -> the file it comes from
    auto compiled = [&](Entry& e, Kind kind, const std::string& file, const std::string& object) {
        e.kind = kind;
        e.listed = QuoteArgument(object);
        auto [at, fresh] = objectOwners.emplace(object, file);
        if (fresh) return true;
        base::ErrorBox(Printf(base::GetString(kMsgSameObject), at->second.c_str(), file.c_str(),
                              object.c_str()));
        return false;
    };
    auto secondResource = [&](Entry& e, const std::string& file) {
        base::ErrorBox(Printf(base::GetString(kMsgSecondResource), file.c_str()));
        e.kind = Kind::Ignored;
    };
    for (const base::ProjectFile& f : p.files) {
        Entry e;
        std::string ext = extensionOf(f.name);
        std::string full = inSources(p.sourcesDir, f.name);
        bool ok = true;
        if (ext == "c" || ext == "e") ok = compiled(e, Kind::Compile, f.name, Lower(withExtension(f.name, ".obj")));
        else if (ext == "asm") ok = compiled(e, Kind::Assemble, f.name, Lower(withExtension(f.name, ".obj")));
        else if (ext == "f") ok = compiled(e, Kind::Fortran, f.name, Lower(withExtension(f.name, ".obj")));
        else if (ext == "rc") {
            if (!r.resourceFile.empty()) secondResource(e, f.name);
            else {
                r.resourceFile = full;
                ok = compiled(e, Kind::Resource, f.name, Lower(withExtension(f.name, ".res")));
            }
        } else if (ext == "res" || ext == "obj") {
            // Made elsewhere: listed where it is, or the linker would look for it in the
            // make directory.
            if (ext == "res" && !r.resourceFile.empty()) secondResource(e, f.name);
            else {
                if (ext == "res") r.resourceFile = full, resourcesListed = true;
                e.kind = Kind::Prebuilt;
                e.listed = QuoteArgument(Lower(full));
            }
        } else if (ext == "lib") e.kind = Kind::Library;
        else if (ext == "def" || ext == "h") e.kind = Kind::Nothing;
        else if (processorFor(p, f.name)) e.kind = Kind::Processor;
        else {
            base::InfoBox(Printf(base::GetString(kMsgUnknownFileKind), f.name.c_str()));
            std::optional<base::FileProcessor> defined =
                hooks.defineProcessor ? hooks.defineProcessor(f.name) : std::nullopt;
            if (!defined) {
                base::ErrorBoxId(kMsgCannotGenerate);
                return false;
            }
            p.fileProcessors.push_back(*defined);
            e.kind = Kind::Processor;
        }
        if (!ok) return false;
        entries.push_back(e);
    }
    return true;
}

void Composer::addFortranLibrary() {
    std::string prefix = Lower(root + "\\lib\\");
    for (const std::string& lib : SplitList(p.libraries, ' ')) {
        std::string l = Lower(lib);
        if (l.compare(0, prefix.size(), prefix) == 0) l.erase(0, prefix.size());
        if (l == "libf77.lib") return;
    }
    p.libraries += (p.libraries.empty() ? "" : " ") + std::string("libf77.lib");
}

std::string Composer::linkRule() {
    std::string exe = TargetName(name, p);
    if (IsLibrary(p.compilerFlags))
        return "\t" + base::ToolCommand(root, "vexlib") + " " +
               QuoteArgument("/OUT:" + withExtension(exe, ".lib")) + " $(OBJS)\n";
    std::string options;
    long flags = p.compilerFlags;
    if (flags & kLinkStrip) options += " -s";
    if (IsDll(flags)) {
        options += " -dll";
        if (!p.dllEntry.empty() && p.dllEntry != kDefaultDllEntry) options += " -entry " + p.dllEntry;
    } else if (IsConsole(flags)) {
        options += " -subsystem console";
    } else {
        if (r.resourceFile.empty() && !warnedNoResources) base::InfoBox(base::GetString(kMsgNoResources));
        warnedNoResources = true;
        options += " -subsystem windows";
    }
    if (flags & kLinkMap) {
        size_t dot = exe.rfind('.');
        options += " -map " + QuoteArgument((dot == std::string::npos ? exe : exe.substr(0, dot)) + ".map");
    }
    options += " " + p.linkerArgs;
    if (flags & kLinkNoUnderscores) options += " -nounderscores";
    return "\t$(LINKER) " + options + " -o " + QuoteArgument(exe) + " $(OBJS) $(LIBS)\n";
}

std::string Composer::dependencyBlock(const std::string& macro, size_t file) {
    std::string block = macro + "=\\\n";
    std::vector<std::string>& deps = p.files[file].dependencies;
    if (!scanFailed && hooks.scan) {
        std::vector<std::string> found;
        std::string options = joined(IncludeOptions(p.includes));
        std::string defines = joined(DefineOptions(p.defines));
        if (!defines.empty()) options += (options.empty() ? "" : " ") + defines;
        if (hooks.scan(options, inSources(p.sourcesDir, p.files[file].name), found)) deps = found;
        else scanFailed = true;
    }
    if (scanFailed) deps.clear();
    for (const std::string& d : deps) block += "\t" + QuoteArgument(d) + "\\\n";
    return block + "\n";
}

void Composer::rules(size_t i) {
    const std::string& file = p.files[i].name;
    const Entry& e = entries[i];
    std::string source = SourcePath(p.sourcesDir, file);
    if (const base::FileProcessor* fp = processorFor(p, file)) {
        // Paths compare without case; the command keeps its own.
        text += Printf("%s:\t%s\n\t%s\n", Lower(fp->output).c_str(), Lower(fp->input).c_str(),
                       fp->command.c_str());
        return;
    }
    switch (e.kind) {
    case Kind::Prebuilt: case Kind::Library: case Kind::Nothing: case Kind::Ignored: case Kind::Processor:
        return;
    case Kind::Resource: {
        if (resourcesListed) return;
        std::string macro = DependencyMacro(file);
        text += "\n# Build '" + e.listed + "'\n" + dependencyBlock(macro, i);
        text += e.listed + ":\t$(" + macro + ") " + source + "\n";
        std::string includes = joined(IncludeOptions(p.includes));
        text += "\tvrc " + QuoteArgument("-I" + p.sourcesDir) + (includes.empty() ? "" : " " + includes) +
                " " + source + "\n";
        return;
    }
    case Kind::Assemble: case Kind::Fortran:
        text += "\n" + e.listed + ": " + source + "\n";
        break;
    case Kind::Compile: {
        std::string macro = DependencyMacro(file);
        text += "\n# Build " + file + "\n" + dependencyBlock(macro, i);
        text += e.listed + ": $(" + macro + ") " + source + "\n";
        break;
    }
    }
    text += e.kind == Kind::Fortran ? "\t$(F2C) $(FFLAGS) " + source + "\n"
                                    : "\t$(CC) -c $(CFLAGS) " + source + "\n";
}

}  // namespace

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty()) parts.push_back(part);
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::vector<std::string> IncludeOptions(const std::string& includes) {
    std::vector<std::string> options;
    for (const std::string& entry : SplitList(includes, ';')) options.push_back(QuoteArgument("-I" + entry));
    return options;
}

std::vector<std::string> DefineOptions(const std::string& defines) {
    std::vector<std::string> entries;
    if (defines.find(';') != std::string::npos) entries = SplitList(defines, ';');
    else
        for (const std::string& piece : SplitList(defines, ','))
            for (const std::string& word : SplitList(piece, ' ')) entries.push_back(word);
    std::vector<std::string> options;
    for (const std::string& entry : entries) options.push_back(QuoteArgument("-D" + entry));
    return options;
}

std::string CompilerFlagsText(const base::ProjectSettings& p) {
    std::string text;
    for (const std::string& o : IncludeOptions(p.includes)) text += o + " ";
    for (const std::string& o : DefineOptions(p.defines)) text += o + " ";
    long flags = p.compilerFlags;
    for (const FlagText& f : kBeforeDebug)
        if (flags & f.bit) text += f.text;
    if (flags & 0x1000) text += " -g4 ";
    else if (flags & 0x800) text += " -g3 ";
    else if (flags & kFlagDebugInfo) text += " -g2 ";
    for (const FlagText& f : kAfterDebug)
        if (flags & f.bit) text += f.text;
    return text;
}

std::string DependencyCommand(const std::string& root, const std::string& output,
                              const std::string& options, const std::string& source) {
    std::string command = base::ToolCommand(root, "vex.exe") + " -M";
    platform::AppendArgument(command, "-Fo" + output);
    if (!options.empty()) command += " " + options;
    platform::AppendArgument(command, source);
    return command;
}

std::string SourcePath(const std::string& sourcesDir, const std::string& file) {
    return QuoteArgument(Lower(inSources(sourcesDir, file)));
}

std::string ObjectName(const std::string& file) {
    return QuoteArgument(Lower(withExtension(file, ".obj")));
}

std::string DependencyMacro(const std::string& file) {
    std::string macro = platform::BaseName(file);
    for (char& c : macro) {
        if (c == '.' || c == ' ') c = '_';
        else if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return macro;
}

std::string LibsValue(const base::ProjectSettings& project) {
    std::string libs = project.libraries;
    for (const base::ProjectFile& f : project.files)
        if (extensionOf(f.name) == "lib")
            libs += (libs.empty() ? "" : " ") + QuoteArgument(inSources(project.sourcesDir, f.name));
    return libs;
}

std::string TargetName(const std::string& projectName, const base::ProjectSettings& p) {
    std::string exe = p.exe.empty() ? projectName : p.exe;
    if (platform::BaseName(exe).find('.') == std::string::npos) exe += KindExtension(p.compilerFlags);
    return exe;
}

bool ComposeMakefile(const std::string& projectName, const std::string& root,
                     base::ProjectSettings& project, const MakefileHooks& hooks, MakefileResult& result) {
    result = {};
    Composer c{projectName, root, project, hooks, result, {}, false, false, false, {}};
    c.text = Printf(base::GetString(kMsgMakefileHeader), projectName.c_str());
    c.text += "CFLAGS=" + CompilerFlagsText(project) + "\n";
    c.text += "CC=" + base::ToolCommand(root, "vex.exe") + "\n";
    c.text += "LINKER=" + base::ToolCommand(root, "vexlnk.exe") + "\n";
    if (!c.classify()) return false;
    c.text += "OBJS=\\\n";
    for (size_t i = 0; i < c.entries.size(); ++i) {
        if (c.entries[i].listed.empty()) continue;
        result.objects.push_back(c.entries[i].listed);
        c.text += "\t" + c.entries[i].listed + (i + 1 == c.entries.size() ? "" : " \\") + "\n";
    }
    bool fortran = false;
    for (const Entry& e : c.entries) fortran |= e.kind == Kind::Fortran;
    if (fortran) {
        c.addFortranLibrary();
        std::string fflags;
        for (int bit = 0; kFortranFlagLetters[bit]; ++bit)
            if (project.fortranFlags & (1L << bit)) fflags += Printf(" -%c", kFortranFlagLetters[bit]);
        for (const std::string& option : IncludeOptions(project.fortranIncludes)) fflags += " " + option;
        c.text += "\nFFLAGS=" + fflags + "\n";
    }
    c.text += "\nLIBS=" + LibsValue(project) + "\n";
    c.text += "\n" + QuoteArgument(TargetName(projectName, project)) + ":\t$(OBJS) Makefile\n";
    c.text += c.linkRule();
    for (size_t i = 0; i < project.files.size(); ++i) {
        if (hooks.progress) hooks.progress(project.files[i].name);
        c.rules(i);
    }
    c.text += "\nlink:\n" + c.linkRule() + "\n";
    result.text = std::move(c.text);
    return true;
}

}  // namespace tarvo::project
