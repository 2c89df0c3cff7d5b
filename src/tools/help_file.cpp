#include "tools/help_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "platform/files.h"

namespace tarvo::tools {
namespace {

constexpr std::string_view kRtfStart = "{\\rtf1\\ansi{\\fonttbl\\f0\\fmodern Elite;\\f1\\froman Symbol;}\r\n";
constexpr std::string_view kProjectStart = "[CONFIG]\r\nBrowseButtons()\r\nCreateButton(\"BGroup\",\"&Up\",\"\")\r\n";

// Topic numbers and kind words; the kind's word is also its index topic's context string.
struct Kind {
    char letter;
    const char* word;
    int firstNumber;
};
constexpr Kind kFunctions{'f', "Functions", 1000};
constexpr Kind kGlobals{'G', "Globals", 4000};
constexpr Kind kStructures{'S', "Structures", 6000};
constexpr Kind kFiles{'F', "Files", 8000};

struct Topic {
    char kind;
    std::size_t file;
    std::string name;
    std::string context;
};

std::string FileBase(const std::string& path) {
    std::string name = platform::BaseName(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

struct Writer {
    const analysis::CrossReference& xref;
    std::string helpBase;
    const HelpProgress& progress;
    std::string out;
    std::vector<Topic> topics;
    std::unordered_set<std::string> usedContexts;
    std::map<std::string, std::string> functionContext, globalContext, structureContext;  // first topic of a name
    std::unordered_set<std::string> globalDone, structureDone;  // one topic per name
    int numbers[4] = {kFunctions.firstNumber, kGlobals.firstNumber, kStructures.firstNumber, kFiles.firstNumber};
    bool cancelled = false;

    Writer(const analysis::CrossReference& x, const std::string& base, const HelpProgress& p)
        : xref(x), helpBase(base), progress(p) {}

    void Text(std::string_view text) {
        std::size_t column = 0;
        AppendRtfText(out, text, column);
    }
    void Line(std::string_view text) {
        Text(text);
        out += "\\par\r\n";
    }

    // The topic's page break and footnotes; returns its context string.
    std::string Header(const Kind& kind, int& number, const std::string& name, std::size_t file) {
        int t = number++;
        std::string context = ContextString(FileBase(xref.files[file].name) + std::to_string(t) + name, usedContexts);
        std::string n = RtfText(name);
        out += "\\page \r\n";
        out += "!{\\footnote CBB(\"BGroup\",\"JumpId(`" + RtfText(helpBase) + ".hlp',`" + kind.word + "')\")}\\par\r\n";
        out += "K{\\footnote " + std::string(kind.word) + ";" + n + "}\r\n";
        out += "${\\footnote " + n + "}\r\n";
        out += "+{\\footnote " + std::string(kind.word) + ":03" + std::to_string(t) + "}\r\n";
        out += "#{\\footnote " + context + "}\r\n";
        topics.push_back({kind.letter, file, name, context});
        return context;
    }

    void Jump(const std::string& name, const std::string& context) {
        out += "{\\uldb " + RtfText(name) + "}{\\v " + context + "}";
    }
    // A jump when the name has a topic, plain text otherwise; then a line break.
    void NameLine(const std::string& name, const std::map<std::string, std::string>& contexts) {
        auto it = contexts.find(name);
        if (it != contexts.end()) Jump(name, it->second);
        else Text(name);
        out += "\\par\r\n";
    }

    bool Progress(std::size_t file, const char* kind, const std::string& name) {
        if (progress && !progress(xref.files[file].name, kind, name)) cancelled = true;
        return !cancelled;
    }

    void UsageList(const std::string& name) {
        const std::vector<std::size_t>& users = xref.UsersOf(name);
        if (users.empty()) return;
        out += "{\\b \\cf1 Usage:} \\par\r\n";
        for (std::size_t i : users) {
            const analysis::XrefFunction& f = xref.functions[i];
            out += "Function ";
            Jump(f.name, functionContext[f.name]);
            out += ", file ";
            Line(xref.files[f.file].name);
        }
    }

    // Context strings first, so that every jump knows its target before it is written.
    void PlanTopics() {
        int f = kFunctions.firstNumber, g = kGlobals.firstNumber, s = kStructures.firstNumber;
        std::unordered_set<std::string> planned;
        auto plan = [&](std::map<std::string, std::string>& into, const std::string& name, std::size_t file, int t) {
            into.emplace(name, ContextString(FileBase(xref.files[file].name) + std::to_string(t) + name, planned));
        };
        for (std::size_t file = 0; file < xref.files.size(); ++file) {
            for (std::size_t i : xref.files[file].globals)
                if (!globalContext.count(xref.globals[i].name)) plan(globalContext, xref.globals[i].name, file, g++);
            for (std::size_t i : xref.files[file].structures)
                if (!structureContext.count(xref.structures[i].name))
                    plan(structureContext, xref.structures[i].name, file, s++);
            for (std::size_t i : xref.files[file].functions) plan(functionContext, xref.functions[i].name, file, f++);
        }
    }

    void FileContents(std::size_t file) {
        const analysis::XrefFile& x = xref.files[file];
        for (std::size_t i : x.globals) {
            const analysis::XrefGlobal& g = xref.globals[i];
            if (globalDone.count(g.name) || !Progress(file, kGlobals.word, g.name)) continue;
            globalDone.insert(g.name);
            Header(kGlobals, numbers[1], g.name, file);
            Line("Global variables defined:");
            char where[64];
            std::snprintf(where, sizeof where, ": Line %ld File ", g.line);
            Line(g.name + where + x.name);
            Line(g.declaration);
            UsageList(g.name);
        }
        for (std::size_t i : x.structures) {
            const analysis::XrefStructure& s = xref.structures[i];
            if (structureDone.count(s.name) || !Progress(file, kStructures.word, s.name)) continue;
            structureDone.insert(s.name);
            Header(kStructures, numbers[2], s.name, file);
            for (const std::string& l : s.definition) Line(l);
            UsageList(s.name);
        }
        for (std::size_t i : x.functions) {
            const analysis::XrefFunction& f = xref.functions[i];
            if (!Progress(file, kFunctions.word, f.name)) return;
            Header(kFunctions, numbers[0], f.name, file);
            for (const std::string& l : f.declaration) Line(l);
            char lines[64];
            std::snprintf(lines, sizeof lines, "Line %ld - %ld ", f.firstLine, f.lastLine);
            Line(lines + x.name);
            if (!f.calls.empty()) {
                out += "{\\b \\cf1 Called functions:} \\par\r\n";
                for (const std::string& c : f.calls) NameLine(c, functionContext);
            }
            const std::vector<std::size_t>& callers = xref.CallersOf(f.name);
            if (!callers.empty()) {
                out += "{\\b \\cf1 Called by:} \\par\r\n";
                for (std::size_t c : callers) NameLine(xref.functions[c].name, functionContext);
            }
            std::vector<std::string> globals = analysis::GlobalsUsedBy(xref, f);
            if (!globals.empty()) {
                out += "{\\b \\cf1 Global symbols used:} \\par\r\n";
                for (const std::string& g : globals) NameLine(g, globalContext);
            }
        }
    }

    void FileTopic(std::size_t file) {
        const analysis::XrefFile& x = xref.files[file];
        Header(kFiles, numbers[3], platform::BaseName(x.name), file);
        std::string location = x.name;
        for (std::size_t i = 1; i < location.size(); ++i) location[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(location[i])));
        char count[48];
        std::snprintf(count, sizeof count, ", %ld lines", x.lineCount);
        Line("Location: " + location + count);
        if (!x.leadingComment.empty()) {
            out += "{\\cf2 ";
            Line(x.leadingComment);
            out += "}";
        }
        out += "{\\ul \\cf1 Functions}\\par\r\n";
        for (std::size_t i : x.functions) NameLine(xref.functions[i].name, functionContext);
        out += "{\\ul \\cf1 Globals}\\par\r\n";
        for (std::size_t i : x.globals) NameLine(xref.globals[i].name, globalContext);
    }

    void MainIndex() {
        out += "\\page \r\n";
        out += "+{\\footnote " + std::to_string(numbers[0]) + "\\par}\r\n";
        out += "#{\\footnote main_index}\r\n${\\footnote INDEX}\r\n";
        for (const char* kind : {kFiles.word, kStructures.word, kGlobals.word, kFunctions.word}) {
            Jump(kind, kind);
            out += "\\par\r\n";
        }
    }

    void IndexTopic(const Kind& kind) {
        out += "\\page \r\n";
        out += "#{\\footnote " + std::string(kind.word) + "}\r\n";
        out += "${\\footnote " + std::string(kind.word) + "}\r\n";
        out += "{\\b " + std::string(kind.word) + "}\\par ";
        std::vector<const Topic*> ofKind;
        for (const Topic& t : topics)
            if (t.kind == kind.letter) ofKind.push_back(&t);
        std::stable_sort(ofKind.begin(), ofKind.end(), [](const Topic* a, const Topic* b) { return a->name < b->name; });
        for (const Topic* t : ofKind) {
            out += "{\\uldb " + RtfText(t->name) + "}{\\v " + t->context + " }\\par\r\n";
        }
    }
};

}  // namespace

void AppendRtfText(std::string& out, std::string_view text, std::size_t& column) {
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += ch;
            ++column;
        } else if (c == '\t') {
            do out += ' ';
            while (++column % 4 != 0);
        } else if (c == '\n') {
            out += "\\par\r\n";
            column = 0;
        } else if (c == '\r') {
            // part of a line end
        } else if (c >= 128) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            out += hex;
            ++column;
        } else {
            out += ch;
            ++column;
        }
    }
}

std::string RtfText(std::string_view text) {
    std::string out;
    std::size_t column = 0;
    AppendRtfText(out, text, column);
    return out;
}

std::string ContextString(std::string_view raw, std::unordered_set<std::string>& used) {
    constexpr std::size_t kLimit = 255;  // what the help compiler takes
    std::string s;
    for (char ch : raw) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '_') {
            s += ch;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, ".%02x", c);
            s += hex;
        }
    }
    if (s.size() > kLimit - 12) s.resize(kLimit - 12);
    std::string unique = s;
    for (int n = 2; used.count(unique); ++n) unique = s + "_." + std::to_string(n);
    used.insert(unique);
    return unique;
}

std::string HelpTopics(const analysis::CrossReference& xref, const std::string& helpBase, const HelpProgress& progress,
                       bool& cancelled) {
    Writer w(xref, helpBase, progress);
    w.PlanTopics();
    w.out += kRtfStart;
    w.out += "\\sl010 \\f0 \\fs020\r\n";
    w.out += "{\\colortbl; \\red128\\green0\\blue0; \\red0\\green0\\blue128;}\r\n";
    for (std::size_t file = 0; file < xref.files.size() && !w.cancelled; ++file) w.FileContents(file);
    cancelled = w.cancelled;
    if (cancelled) return {};
    w.MainIndex();
    for (std::size_t file = 0; file < xref.files.size(); ++file) w.FileTopic(file);
    for (const Kind* kind : {&kFiles, &kStructures, &kGlobals, &kFunctions}) w.IndexTopic(*kind);
    w.out += "}\r\n";
    return std::move(w.out);
}

std::string HelpProject(const std::string& helpBase, const std::string& title) {
    std::string p(kProjectStart);
    p += "[OPTIONS]\r\nCONTENTS=main_index\r\nTITLE=" + title + "\r\n";
    p += "ERRORLOG=" + helpBase + ".msg\r\n[FILES]\r\n" + helpBase + ".RTF\r\n";
    return p;
}

bool WrittenByHelpGeneration(std::string_view start) {
    return start.substr(0, kRtfStart.size()) == kRtfStart || start.substr(0, kProjectStart.size()) == kProjectStart;
}

namespace {
std::string In(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "\\" + name;
}
}  // namespace

std::string HelpNames::Rtf() const { return In(directory, base + ".RTF"); }
std::string HelpNames::Project() const { return In(directory, base + ".HPJ"); }
std::string HelpNames::Log() const { return In(directory, base + ".msg"); }
std::string HelpNames::Help() const { return In(directory, base + ".hlp"); }

bool HelpNamesOf(const std::string& helpFile, HelpNames& names) {
    std::string name = platform::BaseName(helpFile);
    std::size_t dot = name.rfind('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    if (base.empty() || base.find_first_of("<>:\"/\\|?*") != std::string::npos) return false;
    for (char c : helpFile)
        if (static_cast<unsigned char>(c) < 32) return false;
    names.base = base;
    names.directory = name.size() == helpFile.size() ? std::string() : platform::DirectoryOf(helpFile);
    return true;
}

bool ValidHelpTitle(std::string_view title) {
    for (char c : title)
        if (static_cast<unsigned char>(c) < 32) return false;
    return true;
}

}  // namespace tarvo::tools
