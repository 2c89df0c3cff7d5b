#include "shell/startup_rules.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/text.h"
#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::shell {
namespace {

constexpr unsigned kMsgExecuteUtility = 405;  // "Execute %s %s."

bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool identifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}


std::string trimRight(std::string s) {
    while (!s.empty() && space(s.back())) s.pop_back();
    return s;
}

bool liesIn(const std::string& name, const std::string& directory) {
    std::string n = Lower(name), d = Lower(directory);
    if (n.compare(0, d.size(), d) != 0) return false;
    if (d.empty() || d.back() == '\\' || d.back() == '/') return true;
    return n.size() > d.size() && (n[d.size()] == '\\' || n[d.size()] == '/');
}

}  // namespace

const DocumentationItem kDocumentationItems[7] = {
    {CMD_DOC_WIN32_API, "Win32 API", nullptr},         {CMD_DOC_MANUAL, "Manual", "manual"},
    {CMD_DOC_TECHNICAL, "Technical doc", "vexwin32"},  {CMD_DOC_RESOURCES, "Resources doc", "tarvores"},
    {CMD_DOC_SAMPLES, "Samples doc", "examples.hlp"}, {CMD_DOC_C_FAQ, "C-FAQ", "c-faq"},
    {CMD_DOC_C_TUTORIAL, "C-Tutorial", "c-tutorial"},
};

FramePlacement ChooseFramePlacement(long x, long y, long width, long height,
                                    bool anotherInstance) {
    // A negative height is as unusable as a negative width.
    if (width <= 0 || height <= 0 || anotherInstance) return {true, 0, 0, 0, 0};
    return {false, x, y, width, height};
}

std::string FrameTitle(const std::string& project) {
    if (project.empty()) return base::GetString(kTextProgramTitle);
    std::string name = project.substr(project.find_last_of("\\/") + 1);
    if (size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    if (name.size() > kTitleProjectLength) name.resize(kTitleProjectLength);
    return Printf("%s-%s", base::GetString(kTextProgramTitle), name.c_str());
}

std::optional<std::string> PreparedPath(const std::string& path, const std::string& root) {
    if (path.find(root) != std::string::npos) return std::nullopt;
    std::string bin = Printf("%s\\bin", root.c_str());
    // No trailing ";" when there was no PATH: an empty entry would mean the current directory.
    if (path.empty()) return bin;
    return Printf("%s;%s", bin.c_str(), path.c_str());
}

std::string DocumentationPath(const std::string& root, const std::string& name) {
    if (name.find('\\') != std::string::npos) return name;
    if (name.find('.') != std::string::npos)
        return Printf("%s\\doc\\%s", root.c_str(), name.c_str());
    return Printf("%s\\doc\\%s.doc", root.c_str(), name.c_str());
}

std::string DocumentationFileFor(int command, const std::string& root,
                                 const std::string& winHelpFile) {
    for (const DocumentationItem& item : kDocumentationItems)
        if (item.command == command) {
            std::string name = item.file ? item.file : winHelpFile;
            return name.empty() ? "" : DocumentationPath(root, name);
        }
    return "";
}

std::vector<HelpMenuItem> HelpMenuItems(const std::string& root, const std::string& winHelpFile,
                                        const FileExistsFn& exists) {
    std::vector<HelpMenuItem> items;
    for (const DocumentationItem& item : kDocumentationItems) {
        std::string path = DocumentationFileFor(item.command, root, winHelpFile);
        if (!path.empty() && exists(path)) items.push_back({item.command, item.label, path});
    }
    return items;
}

std::string HelpIndexPath(const std::string& root) {
    return Printf("%s\\lib\\stdlib.idx", root.c_str());
}

ContextHelp ChooseContextHelp(std::string_view word, std::string_view indexText,
                              const std::string& root, const std::string& winHelpFile) {
    ContextHelp help;
    if (word.empty()) return help;
    if (indexText.find(word) != std::string_view::npos) {
        help.kind = ContextHelp::TarvoHelp;
        help.file = Printf("%s\\bin\\tarvo.hlp", root.c_str());
    } else {
        help.kind = ContextHelp::Win32Help;
        help.file = winHelpFile;
        help.askForFile = winHelpFile.empty();
    }
    return help;
}

std::string SharedAreaText(const char* area, std::size_t size) {
    if (!area) return "";
    const void* end = std::memchr(area, '\0', size);
    return std::string(area, end ? static_cast<const char*>(end) - area : size);
}

bool ParseFunctionStub(std::string_view text, FunctionStub& stub) {
    std::string_view decl = text.substr(0, text.find(';'));
    size_t paren = decl.find('(');
    if (paren == std::string_view::npos) return false;
    size_t end = paren;
    while (end > 0 && space(decl[end - 1])) --end;
    size_t begin = end;
    while (begin > 0 && identifierChar(decl[begin - 1])) --begin;
    if (begin == end || std::isdigit(static_cast<unsigned char>(decl[begin]))) return false;

    FunctionStub out;
    out.name = std::string(decl.substr(begin, end - begin));
    size_t start = 0;
    while (start < decl.size() && space(decl[start])) ++start;
    for (size_t pos = start; pos <= decl.size();) {
        size_t nl = decl.find('\n', pos);
        if (nl == std::string_view::npos) nl = decl.size();
        out.lines.push_back(trimRight(std::string(decl.substr(pos, nl - pos))));
        pos = nl + 1;
    }
    while (!out.lines.empty() && out.lines.back().empty()) out.lines.pop_back();
    out.lines.push_back("{");
    out.lines.push_back("}");
    stub = std::move(out);
    return true;
}

std::string MenuStatusHelp(int command, const std::vector<base::Utility>& utilities) {
    if (command >= CMD_FIRST_UTILITY && command <= CMD_LAST_UTILITY)
        for (const base::Utility& u : utilities)
            if (u.id == command)
                return Printf(base::GetString(kMsgExecuteUtility), u.program.c_str(),
                              u.arguments.c_str());
    return base::StatusHelp(static_cast<unsigned>(command));
}

base::Rect StoredWindowRect(base::Rect normal, bool iconic, bool maximised) {
    if (iconic) normal.left = -(normal.left == 0 ? 1 : std::abs(normal.left));
    if (maximised) normal.right = -(normal.right == 0 ? 1 : std::abs(normal.right));
    return normal;
}

std::string MenuItemStatus(int command, bool selectable, bool documentOpen,
                           const std::vector<base::Utility>& utilities) {
    return selectable && documentOpen ? MenuStatusHelp(command, utilities) : std::string();
}

void ForgetUnopened(const std::vector<std::string>& failed, std::string& currentFile) {
    for (const std::string& name : failed)
        if (Lower(name) == Lower(currentFile)) currentFile.clear();
}

std::vector<ReopenWindow> FilesToReopen(const std::vector<base::OpenFile>& saved,
                                        const std::string& requiredDirectory) {
    std::vector<ReopenWindow> out;
    for (const base::OpenFile& f : saved) {
        if (f.name.empty() || f.name == "untitled") continue;
        if (!requiredDirectory.empty() && !liesIn(f.name, requiredDirectory)) continue;
        ReopenWindow w;
        w.name = f.name;
        w.line = f.line;
        w.iconic = f.window.left < 0;
        w.maximised = f.window.right < 0;
        w.rect = {std::abs(f.window.left), std::abs(f.window.top), std::abs(f.window.right),
                  std::abs(f.window.bottom)};
        out.push_back(w);
    }
    return out;
}

}  // namespace tarvo::shell
