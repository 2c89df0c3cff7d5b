#include "debugger/breakpoint_list.h"

#include <cctype>

#include "analysis/function_list.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

std::string Trimmed(const std::string& text) {
    std::size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : text.substr(a, b - a + 1);
}

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

bool ParseEntryText(const std::string& text, EntryText& out) {
    out = EntryText{};
    std::string t = Trimmed(text);
    if (t.empty()) return false;
    std::size_t blank = t.find_last_of(" \t");
    if (blank != std::string::npos && AllDigits(t.substr(blank + 1))) {
        out.file = Trimmed(t.substr(0, blank));
        out.line = std::stol(t.substr(blank + 1));
        return out.line > 0 && !out.file.empty();
    }
    if (t.find_first_of(" \t") != std::string::npos) return false;
    out.function = t;
    return true;
}

std::string SavedRow(const base::Breakpoint& b) { return Lower(Printf("{%s %ld }", b.file.c_str(), b.line)); }

int FindSaved(const std::vector<base::Breakpoint>& saved, const std::string& file, long line) {
    for (std::size_t i = 0; i < saved.size(); ++i)
        if (saved[i].line == line && SameText(saved[i].file, file)) return static_cast<int>(i);
    return -1;
}

std::vector<SourceFunction> FunctionsOfSource(const std::string& path) {
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) return {};
    std::string_view text(content.data.get(), content.size);
    analysis::Lines lines;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (end < text.size() || !line.empty()) lines.push_back(line);
        at = end + 1;
    }
    std::vector<SourceFunction> out;
    for (const analysis::Function& f : analysis::FindCFunctions(lines)) out.push_back({f.name, f.startNumber});
    return out;
}

bool ParseHexAddress(const std::string& text, std::uint64_t& address) {
    std::string t = Trimmed(text);
    if (t.size() < 3 || t.size() > 18 || t[0] != '0' || (t[1] != 'x' && t[1] != 'X')) return false;
    address = 0;
    for (std::size_t i = 2; i < t.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(t[i]))) return false;
        address = address * 16 + static_cast<std::uint64_t>(std::isdigit(static_cast<unsigned char>(t[i]))
                                                                 ? t[i] - '0'
                                                                 : std::tolower(static_cast<unsigned char>(t[i])) - 'a' + 10);
    }
    return true;
}

bool ParseCount(const std::string& text, unsigned& count) {
    std::string t = Trimmed(text);
    if (!AllDigits(t)) return false;
    count = static_cast<unsigned>(std::stoul(t));
    return true;
}

}  // namespace tarvo::debugger
