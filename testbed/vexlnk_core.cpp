#include "vexlnk_core.h"

#include <algorithm>
#include <cctype>

#include "codeview_core.h"
#include "standin_core.h"

namespace tarvo::testbed {
namespace {

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && Lower(text.substr(text.size() - suffix.size())) == Lower(suffix);
}

// "name@12" is the stdcall decoration of "name", "_imp__name" (32-bit) and "__imp_name"
// (64-bit) the import pointer of a declared import: the user wrote none of them.
std::string BareSymbol(std::string symbol) {
    if (!symbol.empty() && (symbol.front() == '`' || symbol.front() == '\'' || symbol.front() == '"')) symbol.erase(0, 1);
    for (const char* prefix : {"_imp__", "__imp_"})
        if (symbol.compare(0, std::char_traits<char>::length(prefix), prefix) == 0 &&
            symbol.size() > std::char_traits<char>::length(prefix)) {
            symbol.erase(0, std::char_traits<char>::length(prefix));
            break;
        }
    while (!symbol.empty() && (symbol.back() == '\'' || symbol.back() == '"' || symbol.back() == '`')) symbol.pop_back();
    std::size_t at = symbol.rfind('@');
    if (at != std::string::npos && at > 0 && at + 1 < symbol.size() &&
        symbol.find_first_not_of("0123456789", at + 1) == std::string::npos)
        symbol.resize(at);
    return symbol;
}

}  // namespace

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
        start = end + 1;
    }
    return lines;
}

LinkCommand ParseLinkArguments(const std::vector<std::string>& arguments) {
    LinkCommand command;
    auto value = [&](std::size_t& i, const char* option) -> std::string {
        if (i + 1 < arguments.size()) return arguments[++i];
        command.problem = std::string(option) + " needs a value";
        return "";
    };
    for (std::size_t i = 0; i < arguments.size() && command.problem.empty(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-s") {
            command.gccFlags.push_back("-s");
        } else if (a == "-dll") {
            command.gccFlags.push_back("-shared");
        } else if (a == "-entry") {
            command.gccFlags.push_back("-Wl,--entry," + value(i, "-entry"));
        } else if (a == "-subsystem") {
            std::string kind = Lower(value(i, "-subsystem"));
            if (kind == "console" || kind == "windows") command.gccFlags.push_back("-m" + kind);
            else if (command.problem.empty()) command.problem = "unknown subsystem " + kind;
        } else if (a == "-map") {
            command.gccFlags.push_back("-map:" + value(i, "-map"));  // mapped to Linux later
        } else if (a == "-nounderscores") {
            // Our objects come from clang, which decorates as the toolchain's libraries expect.
        } else if (a == "-L") {
            command.libraryDirectories.push_back(value(i, "-L"));
        } else if (a.size() > 2 && a.compare(0, 2, "-L") == 0) {
            command.libraryDirectories.push_back(a.substr(2));
        } else if (a == "-o") {
            command.output = value(i, "-o");
        } else if (!a.empty() && a[0] == '-') {
            command.problem = "unknown option " + a;
        } else {
            command.inputs.push_back(a);
        }
    }
    if (command.problem.empty() && command.output.empty()) command.problem = "no output named (-o)";
    if (command.problem.empty() && command.inputs.empty()) command.problem = "nothing to link";
    return command;
}

std::vector<std::string> GccLinkCommand(const LinkCommand& command, bool wide, const std::string& rootLib,
                                        const std::function<bool(const std::string&)>& exists,
                                        const PathMapping& toUnix, std::string& problem) {
    std::vector<std::string> argv{wide ? "/usr/bin/x86_64-w64-mingw32-gcc" : "/usr/bin/i686-w64-mingw32-gcc"};
    auto unix = [&](const std::string& path) {
        std::string mapped = toUnix(path);
        if (mapped.empty() && problem.empty()) problem = "no Linux path for " + path;
        return mapped;
    };
    for (const std::string& flag : command.gccFlags)
        argv.push_back(flag.compare(0, 5, "-map:") == 0 ? "-Wl,-Map," + unix(flag.substr(5)) : flag);
    argv.push_back("-o");
    argv.push_back(unix(command.output));
    std::vector<std::string> directories{"."};
    directories.insert(directories.end(), command.libraryDirectories.begin(), command.libraryDirectories.end());
    directories.push_back(rootLib);
    for (const std::string& input : command.inputs) {
        bool bareLibrary = EndsWithNoCase(input, ".lib") && input.find_first_of("\\/:") == std::string::npos;
        if (!bareLibrary) {
            argv.push_back(unix(input));
            continue;
        }
        std::string found;
        for (const std::string& d : directories)
            if (found.empty() && exists(d + "\\" + input)) found = d + "\\" + input;
        // gcc runs in the same directory: a library found there keeps its bare name.
        if (found.empty()) argv.push_back("-l" + Lower(input.substr(0, input.size() - 4)));
        else argv.push_back(found.compare(0, 2, ".\\") == 0 ? input : unix(found));
    }
    return argv;
}

bool WantsDebugInfo(const LinkCommand& command) {
    return std::find(command.gccFlags.begin(), command.gccFlags.end(), "-s") == command.gccFlags.end();
}

std::string MapFile(LinkCommand& command, const std::string& scratchMap) {
    for (const std::string& flag : command.gccFlags)
        if (flag.compare(0, 5, "-map:") == 0) return flag.substr(5);
    command.gccFlags.push_back("-map:" + scratchMap);
    return scratchMap;
}

bool AddDebugInfo(const LinkCommand& command, const std::vector<std::string>& gcc, const std::string& mapFile,
                  const LinkFiles& files, const PathMapping& toWindows, std::string& messages) {
    auto fail = [&](const std::string& why) {
        messages += "Error vexlnk: no debug information in " + command.output + ": " + why + "\n";
        return false;
    };
    if (gcc.size() < command.inputs.size()) return fail("the link command does not name its inputs");
    std::vector<LinkedObject> objects;
    for (std::size_t i = 0; i < command.inputs.size(); ++i) {
        const std::string& input = command.inputs[i];
        const std::string& seen = gcc[gcc.size() - command.inputs.size() + i];  // as ld saw it
        bool library = EndsWithNoCase(input, ".lib") || EndsWithNoCase(input, ".a");
        if (!library && !EndsWithNoCase(input, ".obj") && !EndsWithNoCase(input, ".o")) continue;
        if (seen.compare(0, 2, "-l") == 0) continue;  // the toolchain's own library
        // A library named bare but found in another folder is read where gcc was told to find it.
        bool elsewhere = library && input.find_first_of("\\/:") == std::string::npos && seen != input;
        std::string path = elsewhere ? toWindows(seen) : input;
        std::vector<std::uint8_t> bytes;
        if (!files.read(path, bytes)) return fail("cannot read " + input);
        if (!library) {
            objects.push_back({input, seen, std::move(bytes)});
            continue;
        }
        std::vector<binary::ArchiveMember> members;
        std::string damage;  // ld read the library whole; what this reader keeps of a damaged one is enough
        binary::ReadArchive(Bytes(bytes), members, damage);
        for (const binary::ArchiveMember& m : members)
            objects.push_back({input + "(" + m.name + ")", seen + "(" + m.name + ")", {m.bytes.begin(), m.bytes.end()}, true});
    }
    std::vector<std::uint8_t> map, image;
    if (!files.read(mapFile, map)) return fail("cannot read the map file " + mapFile);
    if (!files.read(command.output, image)) return fail("cannot read the linked image");
    CodeViewReport report;
    PathMapping sourceName = [&](const std::string& path) { return toWindows(path); };
    bool ok = AddCodeViewToImage(image, objects, std::string(map.begin(), map.end()), sourceName, report);
    for (const std::string& w : report.warnings) messages += "Warning vexlnk: " + w + "\n";
    if (!ok) return fail(report.problem);
    if (report.modules && !files.write(command.output, image)) return fail("cannot write the image");
    return true;
}

std::string LinkerMessages(const std::string& output, const PathMapping& toWindows) {
    std::string out;
    const std::string phrase = "undefined reference to ";
    std::string lastObject;  // from ld's "<object>: in function `f':" lines
    for (std::string line : Lines(output)) {
        if (line.empty() || line.find("collect2") != std::string::npos) continue;
        // "/usr/bin/<target>-ld: " leads every line of ld.
        std::size_t tool = line.find("-ld: ");
        if (tool != std::string::npos && line.find(' ') > tool) line.erase(0, tool + 5);
        if (std::size_t in = line.find(": in function "); in != std::string::npos) {
            lastObject = line.substr(0, in);
            continue;
        }
        std::size_t at = line.find(phrase);
        if (at == std::string::npos) {
            out += line + "\n";
            continue;
        }
        std::string symbol = BareSymbol(line.substr(at + phrase.size()));
        // "<object>:<source>:(.text+0x11): ..." or "<object>: ...": the object is the first part.
        // With line information the first part is the source; the object came on the line before.
        std::string object = line.substr(0, line.find(':'));
        if (!EndsWithNoCase(object, ".obj") && !EndsWithNoCase(object, ".o") && !lastObject.empty()) object = lastObject;
        std::string windows = toWindows(object);
        out += (windows.empty() ? object : windows) + ": undefined reference to " + symbol + "\n";
    }
    return out;
}

}  // namespace tarvo::testbed

namespace tarvo::testbed {

std::vector<std::string> ArCommand(const std::vector<std::string>& arguments, bool wide, const PathMapping& toUnix,
                                   std::string& library, std::string& problem) {
    std::vector<std::string> argv{wide ? "/usr/bin/x86_64-w64-mingw32-ar" : "/usr/bin/i686-w64-mingw32-ar", "rcs"};
    std::vector<std::string> objects;
    for (const std::string& a : arguments) {
        if (StartsWithNoCase(a, "/OUT:")) library = a.substr(5);
        else if (!a.empty() && (a[0] == '/' || a[0] == '-')) problem = "unknown option " + a;
        else objects.push_back(a);
    }
    if (problem.empty() && library.empty()) problem = "no library named (/OUT:)";
    if (problem.empty() && objects.empty()) problem = "no objects given";
    if (!problem.empty()) return {};
    objects.insert(objects.begin(), library);
    for (const std::string& path : objects) {
        std::string mapped = toUnix(path);
        if (mapped.empty()) {
            problem = "no Linux path for " + path;
            return {};
        }
        argv.push_back(mapped);
    }
    return argv;
}

VrcCommand ParseVrcArguments(const std::vector<std::string>& arguments) {
    VrcCommand command;
    for (std::size_t i = 0; i < arguments.size() && command.problem.empty(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-I") {
            if (i + 1 == arguments.size()) command.problem = "-I names no directory";
            else command.includes.push_back(arguments[++i]);
        } else if (a.compare(0, 2, "-I") == 0) {
            command.includes.push_back(a.substr(2));
        } else if (!a.empty() && a[0] == '-') {
            command.problem = "unknown option " + a;
        } else if (!command.script.empty()) {
            command.problem = "more than one resource script: " + command.script + " and " + a;
        } else {
            command.script = a;
        }
    }
    if (command.problem.empty() && command.script.empty()) command.problem = "no resource script given";
    return command;
}

std::vector<std::string> WindresCommand(const VrcCommand& command, const std::string& output, bool wide,
                                        const PathMapping& toUnix, std::string& problem) {
    std::vector<std::string> argv{wide ? "/usr/bin/x86_64-w64-mingw32-windres" : "/usr/bin/i686-w64-mingw32-windres"};
    auto unix = [&](const std::string& path) {
        std::string mapped = toUnix(path);
        if (mapped.empty() && problem.empty()) problem = "no Linux path for " + path;
        return mapped;
    };
    for (const std::string& dir : command.includes) argv.push_back("--include-dir=" + unix(dir));
    for (const char* word : {"-O", "coff", "-i"}) argv.push_back(word);
    argv.push_back(unix(command.script));
    argv.push_back("-o");
    argv.push_back(unix(output));
    return argv;
}

std::string ResourceMessages(const std::string& output, const PathMapping& toWindows) {
    std::string out;
    for (std::string line : Lines(output)) {
        // "/usr/bin/<target>-windres: " leads windres's own lines.
        std::size_t tool = line.find("-windres: ");
        if (tool != std::string::npos && line.find(' ') > tool) line.erase(0, tool + 10);
        // The preprocessor's quoted source lines and carets start with a blank.
        if (line.empty() || line[0] == ' ' || line.find("preprocessing failed") != std::string::npos ||
            line.find("compilation terminated") != std::string::npos)
            continue;
        // "<file>:<line>:[<column>:] [fatal error: |error: ]<text>"
        std::size_t colon = line.find(':');
        std::size_t digits = colon == std::string::npos ? 0 : line.find_first_not_of("0123456789", colon + 1);
        if (colon == std::string::npos || digits == colon + 1 || digits == std::string::npos || line[digits] != ':') {
            out += "vrc : error " + line + "\n";
            continue;
        }
        std::string file = line.substr(0, colon), number = line.substr(colon + 1, digits - colon - 1);
        std::string text = line.substr(digits + 1);
        std::size_t column = text.find_first_not_of("0123456789");
        if (column > 0 && column != std::string::npos && text[column] == ':') text.erase(0, column + 1);
        text.erase(0, text.find_first_not_of(' '));
        std::string kind = "error";
        for (const char* written : {"fatal error: ", "error: ", "warning: "})
            if (text.compare(0, std::char_traits<char>::length(written), written) == 0) {
                text.erase(0, std::char_traits<char>::length(written));
                if (written[0] == 'w') kind = "warning";
                break;
            }
        std::string windows = toWindows(file);
        out += (windows.empty() ? file : windows) + "(" + number + ") : " + kind + " " + text + "\n";
    }
    return out;
}

}  // namespace tarvo::testbed
