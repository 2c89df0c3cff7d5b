#include "binary/coff.h"

namespace tarvo::binary {
namespace {

constexpr std::size_t kLongestName = 65536;  // a bound for a name the file never ends
constexpr std::size_t kShortImportHeaderSize = 20;

// "/123": the decimal offset of the long name in the string table.
bool LongNameOffset(std::string_view raw, std::uint64_t& offset) {
    if (raw.size() < 2 || raw[0] != '/') return false;
    offset = 0;
    for (char c : raw.substr(1)) {
        if (c < '0' || c > '9') return false;
        offset = offset * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

std::string_view FixedName(Bytes field) {
    std::size_t n = 0;
    while (n < field.size() && field[n]) ++n;
    return std::string_view(reinterpret_cast<const char*>(field.data()), n);
}

}  // namespace

bool ReadCoffHeader(Bytes file, std::uint64_t at, CoffHeader& out) {
    out = CoffHeader{};
    Bytes h = Slice(file, at, kCoffHeaderSize);
    if (h.empty()) return false;
    out.at = at;
    out.machineField = Get<std::uint16_t>(h, 0);
    out.machine = MachineOf(out.machineField);
    out.sectionCount = Get<std::uint16_t>(h, 2);
    out.timeStamp = Get<std::uint32_t>(h, 4);
    out.symbolTable = Get<std::uint32_t>(h, 8);
    out.symbolCount = Get<std::uint32_t>(h, 12);
    out.optionalSize = Get<std::uint16_t>(h, 16);
    out.characteristics = Get<std::uint16_t>(h, 18);
    return true;
}

Bytes StringTableOf(Bytes file, const CoffHeader& h, CoffFault& fault) {
    if (h.symbolTable == 0) return {};
    std::uint64_t at = std::uint64_t(h.symbolTable) + std::uint64_t(h.symbolCount) * kSymbolSize;
    std::uint32_t length = 0;
    if (!Fits(file, at, 1)) return {};  // no table at all: only short names
    if (!Read(file, at, length) || length < 4 || !Fits(file, at, length)) {
        fault = CoffFault::BadStringTable;
        return {};
    }
    return Slice(file, at, length);
}

std::string_view StringAt(Bytes strings, std::uint64_t offset) {
    std::string_view name;
    if (offset < 4 || !ReadZeroName(strings, offset, kLongestName, name)) return {};
    return name;
}

bool ReadSections(Bytes file, const CoffHeader& h, Bytes strings, std::vector<Section>& out, CoffFault& fault) {
    out.clear();
    Bytes table = Slice(file, h.SectionTableAt(), std::uint64_t(h.sectionCount) * kSectionHeaderSize);
    if (table.size() != std::size_t(h.sectionCount) * kSectionHeaderSize) {
        fault = CoffFault::SectionsPastEnd;
        return false;
    }
    out.reserve(h.sectionCount);
    for (std::size_t i = 0; i < h.sectionCount; ++i) {
        Bytes s = table.subspan(i * kSectionHeaderSize, kSectionHeaderSize);
        Section sec;
        sec.name = FixedName(s.first(8));
        std::uint64_t offset = 0;
        if (LongNameOffset(sec.name, offset)) {
            std::string_view full = StringAt(strings, offset);
            if (!full.empty()) sec.name = full;
        }
        sec.virtualSize = Get<std::uint32_t>(s, 8);
        sec.virtualAddress = Get<std::uint32_t>(s, 12);
        sec.rawSize = Get<std::uint32_t>(s, 16);
        sec.rawPointer = Get<std::uint32_t>(s, 20);
        sec.relocationPointer = Get<std::uint32_t>(s, 24);
        sec.relocationCount = Get<std::uint16_t>(s, 32);
        sec.characteristics = Get<std::uint32_t>(s, 36);
        out.push_back(sec);
    }
    return true;
}

bool ReadSymbols(Bytes file, const CoffHeader& h, Bytes strings, std::vector<Symbol>& out, CoffFault& fault,
                 std::size_t& badNames) {
    out.clear();
    if (h.symbolCount == 0) return true;
    Bytes table = Slice(file, h.symbolTable, std::uint64_t(h.symbolCount) * kSymbolSize);
    if (table.empty()) {
        fault = CoffFault::SymbolsPastEnd;
        return false;
    }
    for (std::uint64_t i = 0; i < h.symbolCount;) {
        Bytes rec = table.subspan(std::size_t(i) * kSymbolSize, kSymbolSize);
        Symbol s;
        s.index = static_cast<std::uint32_t>(i);
        if (Get<std::uint32_t>(rec, 0) != 0) {
            s.name = FixedName(rec.first(8));
        } else {
            s.name = StringAt(strings, Get<std::uint32_t>(rec, 4));
            if (s.name.empty()) ++badNames;
        }
        s.value = Get<std::uint32_t>(rec, 8);
        s.section = static_cast<std::int16_t>(Get<std::uint16_t>(rec, 12));
        s.type = Get<std::uint16_t>(rec, 14);
        s.storageClass = rec[16];
        std::uint64_t auxCount = rec[17];
        if (i + 1 + auxCount > h.symbolCount) {
            fault = CoffFault::AuxiliaryPastEnd;
            return false;
        }
        s.aux = table.subspan(std::size_t(i + 1) * kSymbolSize, std::size_t(auxCount) * kSymbolSize);
        out.push_back(s);
        i += 1 + auxCount;
    }
    return true;
}

std::string_view FileSymbolName(const Symbol& s) { return FixedName(s.aux); }

// Version 0: the "big object" form shares the two signature fields but has a later version.
bool IsShortImport(Bytes file) {
    return Fits(file, 0, 6) && Get<std::uint16_t>(file, 0) == 0 && Get<std::uint16_t>(file, 2) == 0xFFFF && Get<std::uint16_t>(file, 4) == 0;
}

bool ReadShortImport(Bytes file, ShortImport& out) {
    out = ShortImport{};
    if (!IsShortImport(file) || !Fits(file, 0, kShortImportHeaderSize)) return false;
    out.machine = MachineOf(Get<std::uint16_t>(file, 6));
    out.type = Get<std::uint16_t>(file, 18) & 3;
    std::uint64_t size = Get<std::uint32_t>(file, 12);
    Bytes names = Slice(file, kShortImportHeaderSize, size);
    if (!out.machine || names.size() != size) return false;
    if (!ReadZeroName(names, 0, kLongestName, out.symbol) || out.symbol.empty()) return false;
    return ReadZeroName(names, out.symbol.size() + 1, kLongestName, out.dll);
}

}  // namespace tarvo::binary
