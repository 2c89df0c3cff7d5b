#include "standin_core.h"

#include <cctype>
#include <cstdint>

namespace tarvo::testbed {
namespace {

// The tool's own name as tests write it: any case, ".exe" optional.
bool SameTool(std::string name, const std::string& tool) {
    name = Lower(Trim(name));
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    return !name.empty() && name == Lower(tool);
}

template <typename Visit>
void ForEachItem(const std::string& list, Visit visit) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        visit(list.substr(start, comma - start));
        start = comma + 1;
    }
}

std::uint32_t Read32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
unsigned Read16(const unsigned char* p) { return p[0] | (p[1] << 8); }

}  // namespace

std::string Trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

bool ToolListed(const std::string& list, const std::string& tool) {
    bool found = false;
    ForEachItem(list, [&](const std::string& item) { found = found || SameTool(item, tool); });
    return found;
}

unsigned long ToolWaitMilliseconds(const std::string& spec, const std::string& tool) {
    unsigned long wait = 0;
    ForEachItem(spec, [&](const std::string& item) {
        std::size_t colon = item.find(':');
        if (colon == std::string::npos || !SameTool(item.substr(0, colon), tool)) return;
        std::string number = Trim(item.substr(colon + 1));
        if (number.empty() || number.size() > 9) return;
        for (char c : number)
            if (!std::isdigit(static_cast<unsigned char>(c))) return;
        wait = std::stoul(number);
    });
    return wait;
}

std::string ToolLogLine(const std::string& workingDirectory, const std::string& commandLine) {
    return workingDirectory + "\t" + commandLine + "\n";
}

int PeSubsystem(const unsigned char* data, std::size_t size) {
    if (size < 0x40 || data[0] != 'M' || data[1] != 'Z') return -1;
    std::uint32_t pe = Read32(data + 0x3C);
    // Signature (4), file header (20), then the optional header: magic at 0, subsystem at 68.
    const std::size_t optional = std::size_t{pe} + 24;
    if (pe > size || size - pe < 24 + 70) return -1;
    if (Read32(data + pe) != 0x00004550u) return -1;  // "PE\0\0"
    if (Read16(data + pe + 20) < 70) return -1;         // optional header too short
    unsigned magic = Read16(data + optional);
    if (magic != 0x10b && magic != 0x20b) return -1;
    return static_cast<int>(Read16(data + optional + 68));
}

}  // namespace tarvo::testbed
