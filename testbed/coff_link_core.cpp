#include "coff_link_core.h"

#include <cstdlib>

namespace tarvo::testbed {
namespace {

using debugger::Fits;
using debugger::Get;
using debugger::Read;
using debugger::Slice;

constexpr std::size_t kFileHeaderSize = 20, kSectionHeaderSize = 40, kSymbolSize = 18, kRelocationSize = 10;
constexpr std::uint32_t kUninitializedData = 0x80;
constexpr std::uint32_t kRelocationOverflow = 0x01000000;  // the count lives in the first relocation

std::string SectionName(Bytes header, Bytes strings) {
    std::string name(reinterpret_cast<const char*>(header.data()), 8);
    name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
    // "/123": the name is in the string table at that offset.
    if (name.size() > 1 && name[0] == '/') {
        std::uint64_t at = std::strtoull(name.c_str() + 1, nullptr, 10);
        std::string_view full;
        if (debugger::ReadZeroName(strings, at, 4096, full)) name = std::string(full);
    }
    return name;
}

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
    std::uint16_t count = 0, optional = 0;
    std::uint32_t symbols = 0, symbolCount = 0;
    if (!Read(file, 0, out.machine) || !Read(file, 2, count) || !Read(file, 8, symbols) || !Read(file, 12, symbolCount) ||
        !Read(file, 16, optional)) {
        problem = "too short for a COFF object";
        return false;
    }
    if (out.machine != 0x14C && out.machine != 0x8664) {
        problem = "not a COFF object of a known machine";
        return false;
    }
    std::uint64_t tableAt = kFileHeaderSize + optional;
    std::uint64_t symbolBytes = std::uint64_t(symbolCount) * kSymbolSize;
    if (!Fits(file, tableAt, std::uint64_t(count) * kSectionHeaderSize) || (symbolCount && !Fits(file, symbols, symbolBytes))) {
        problem = "its headers or symbol table lie past its end";
        return false;
    }
    std::uint64_t stringsAt = std::uint64_t(symbols) + symbolBytes;
    Bytes strings = Slice(file, stringsAt, Get<std::uint32_t>(file, stringsAt));
    for (std::uint16_t i = 0; i < count; ++i) {
        Bytes h = Slice(file, tableAt + std::uint64_t(i) * kSectionHeaderSize, kSectionHeaderSize);
        CoffSection s;
        s.name = SectionName(h, strings);
        s.size = Get<std::uint32_t>(h, 16);
        s.characteristics = Get<std::uint32_t>(h, 36);
        std::uint32_t raw = Get<std::uint32_t>(h, 20), relocAt = Get<std::uint32_t>(h, 24);
        std::uint32_t relocCount = Get<std::uint16_t>(h, 32);
        if (!(s.characteristics & kUninitializedData) && s.size) {
            s.data = Slice(file, raw, s.size);
            if (s.data.size() != s.size) {
                problem = "section " + s.name + " lies past the end of the file";
                return false;
            }
        }
        bool overflow = (s.characteristics & kRelocationOverflow) && relocCount == 0xFFFF;
        if (overflow) relocCount = Get<std::uint32_t>(file, relocAt);
        Bytes relocs = Slice(file, relocAt, std::uint64_t(relocCount) * kRelocationSize);
        if (relocs.size() != std::size_t(relocCount) * kRelocationSize) {
            problem = "relocations of " + s.name + " lie past the end of the file";
            return false;
        }
        for (std::uint32_t r = overflow ? 1 : 0; r < relocCount; ++r)
            s.relocations.push_back({Get<std::uint32_t>(relocs, r * kRelocationSize), Get<std::uint32_t>(relocs, r * kRelocationSize + 4),
                                     Get<std::uint16_t>(relocs, r * kRelocationSize + 8)});
        out.sections.push_back(std::move(s));
    }
    out.symbols.resize(symbolCount);
    for (std::uint32_t i = 0; i < symbolCount; ++i) {
        std::uint64_t at = symbols + std::uint64_t(i) * kSymbolSize;
        CoffSymbol& sym = out.symbols[i];
        sym.value = Get<std::uint32_t>(file, at + 8);
        sym.section = static_cast<std::int16_t>(Get<std::uint16_t>(file, at + 12));
        sym.storageClass = Get<std::uint8_t>(file, at + 16);
        i += Get<std::uint8_t>(file, at + 17);  // auxiliary records stay empty entries
    }
    return true;
}

std::vector<ArchiveMember> ArchiveMembers(Bytes archive) {
    constexpr std::size_t kHeader = 60;
    std::vector<ArchiveMember> members;
    if (archive.size() < 8 || std::string_view(reinterpret_cast<const char*>(archive.data()), 8) != "!<arch>\n") return members;
    Bytes longNames;
    for (std::uint64_t at = 8; at + kHeader <= archive.size();) {
        std::string_view header(reinterpret_cast<const char*>(archive.data() + at), kHeader);
        if (header.substr(58, 2) != "`\n") break;
        std::uint64_t size = std::strtoull(std::string(header.substr(48, 10)).c_str(), nullptr, 10);
        Bytes data = Slice(archive, at + kHeader, size);
        if (data.size() != size) break;
        std::string name(Trim(header.substr(0, 16)));
        if (name == "//") longNames = data;
        else if (name.size() > 1 && name[0] == '/' && name[1] >= '0' && name[1] <= '9') {
            // "/123": the name stands in the long-name table, ended by "/\n".
            std::uint64_t offset = std::strtoull(name.c_str() + 1, nullptr, 10);
            name.clear();
            for (std::uint64_t k = offset; k < longNames.size() && longNames[k] != '\n' && longNames[k] != 0; ++k)
                name += static_cast<char>(longNames[k]);
            if (!name.empty() && name.back() == '/') name.pop_back();
            members.push_back({name, data});
        } else if (name != "/" && name != "/SYM64/") {
            if (!name.empty() && name.back() == '/') name.pop_back();
            members.push_back({name, data});
        }
        at += kHeader + size + (size & 1);
    }
    return members;
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
