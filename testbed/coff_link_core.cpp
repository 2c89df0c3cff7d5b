#include "coff_link_core.h"

#include "binary/coff.h"

namespace tarvo::testbed {
namespace {

using binary::Get;
using binary::Slice;

constexpr std::size_t kRelocationSize = 10;
constexpr std::uint32_t kRelocationOverflow = 0x01000000;  // the count lives in the first relocation

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool Hex(std::string_view word, std::uint64_t& out) {
    if (word.size() < 3 || word[0] != '0' || word[1] != 'x') return false;
    out = 0;
    for (char c : word.substr(2)) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0) return false;
        out = out * 16 + static_cast<unsigned>(d);
    }
    return true;
}

std::string_view NextWord(std::string_view& s) {
    s = Trim(s);
    std::size_t end = s.find_first_of(" \t");
    std::string_view word = s.substr(0, end);
    s = end == std::string_view::npos ? std::string_view{} : s.substr(end);
    return word;
}

}  // namespace

bool ReadCoffObject(Bytes file, CoffObject& out, std::string& problem) {
    out = CoffObject{};
    binary::CoffHeader h;
    if (!binary::ReadCoffHeader(file, 0, h)) {
        problem = "too short for a COFF object";
        return false;
    }
    out.machine = h.machineField;
    if (!h.machine) {
        problem = "not a COFF object of a known machine";
        return false;
    }
    binary::CoffFault fault = binary::CoffFault::None;
    Bytes strings = binary::StringTableOf(file, h, fault);
    std::vector<binary::Section> sections;
    std::vector<binary::Symbol> symbols;
    std::size_t badNames = 0;
    if (!binary::ReadSections(file, h, strings, sections, fault) ||
        !binary::ReadSymbols(file, h, strings, symbols, fault, badNames)) {
        problem = "its headers or symbol table lie past its end";
        return false;
    }
    for (const binary::Section& sec : sections) {
        CoffSection s;
        s.name = std::string(sec.name);
        s.size = sec.rawSize;
        s.characteristics = sec.characteristics;
        std::uint32_t relocCount = sec.relocationCount;
        if (!sec.IsUninitialized() && s.size) {
            s.data = Slice(file, sec.rawPointer, s.size);
            if (s.data.size() != s.size) {
                problem = "section " + s.name + " lies past the end of the file";
                return false;
            }
        }
        bool overflow = (s.characteristics & kRelocationOverflow) && relocCount == 0xFFFF;
        if (overflow) relocCount = Get<std::uint32_t>(file, sec.relocationPointer);
        Bytes relocs = Slice(file, sec.relocationPointer, std::uint64_t(relocCount) * kRelocationSize);
        if (relocs.size() != std::size_t(relocCount) * kRelocationSize) {
            problem = "relocations of " + s.name + " lie past the end of the file";
            return false;
        }
        for (std::uint32_t r = overflow ? 1 : 0; r < relocCount; ++r)
            s.relocations.push_back({Get<std::uint32_t>(relocs, r * kRelocationSize), Get<std::uint32_t>(relocs, r * kRelocationSize + 4),
                                     Get<std::uint16_t>(relocs, r * kRelocationSize + 8)});
        out.sections.push_back(std::move(s));
    }
    out.symbols.resize(h.symbolCount);  // auxiliary records stay empty entries
    for (const binary::Symbol& sym : symbols)
        out.symbols[sym.index] = {sym.value, sym.section, sym.storageClass};
    return true;
}

LinkMap ReadLinkMap(std::string_view text) {
    LinkMap map;
    // Before this line the map lists what was discarded, which has no address in the image.
    std::size_t start = text.find("Linker script and memory map");
    if (start == std::string_view::npos) return map;
    std::string pendingName;  // a long section name stands alone, its address on the next line
    for (std::size_t at = text.find('\n', start); at != std::string_view::npos && at < text.size();) {
        std::size_t end = text.find('\n', at + 1);
        std::string_view line = text.substr(at + 1, (end == std::string_view::npos ? text.size() : end) - at - 1);
        at = end;
        if (line.size() < 2) {
            pendingName.clear();
            continue;
        }
        std::string_view rest = line;
        std::string name;
        // An input section: one blank, then its name.
        if (line[0] == ' ' && line[1] == '.') {
            name = std::string(NextWord(rest));
            if (Trim(rest).empty()) {
                pendingName = name;
                continue;
            }
        } else if (line[0] == ' ' && !pendingName.empty()) {
            name = pendingName;
        } else {
            pendingName.clear();
            continue;
        }
        pendingName.clear();
        MapPlacement p;
        p.section = name;
        std::string_view file = rest;
        if (!Hex(NextWord(file), p.address) || !Hex(NextWord(file), p.size)) continue;
        file = Trim(file);
        if (file.empty()) continue;
        map[std::string(file)].push_back(p);
    }
    return map;
}

std::vector<std::uint64_t> PlaceSections(const CoffObject& object, const std::vector<MapPlacement>& placements) {
    std::vector<std::uint64_t> addresses(object.sections.size(), 0);
    std::map<std::string, std::size_t> used;  // per name: how many of the map's entries were taken
    for (std::size_t i = 0; i < object.sections.size(); ++i) {
        const CoffSection& s = object.sections[i];
        std::size_t& n = used[s.name];
        std::size_t seen = 0;
        for (const MapPlacement& p : placements) {
            if (p.section != s.name || seen++ < n) continue;
            if (p.size == s.size) addresses[i] = p.address;
            break;
        }
        ++n;
    }
    return addresses;
}

}  // namespace tarvo::testbed
