// What the linker stand-in needs to know of its inputs and of GNU ld's work: the sections,
// symbols and relocations of a COFF object, and where ld's map file says each object's sections
// went in the image.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "binary/archive.h"
#include "binary/bytes.h"

namespace tarvo::testbed {

using binary::Bytes;

struct CoffRelocation {
    std::uint32_t offset = 0;  // in its section
    std::uint32_t symbol = 0;  // index in the symbol table
    std::uint16_t type = 0;
};

struct CoffSection {
    std::string name;
    std::uint32_t size = 0, characteristics = 0;
    Bytes data;  // empty for uninitialised data
    std::vector<CoffRelocation> relocations;
    bool IsCode() const { return characteristics & 0x20; }
};

struct CoffSymbol {
    std::uint32_t value = 0;
    std::int16_t section = 0;  // 1-based; 0 undefined, negative absolute or debug
    std::uint8_t storageClass = 0;
};

struct CoffObject {
    std::uint16_t machine = 0;
    std::vector<CoffSection> sections;
    std::vector<CoffSymbol> symbols;  // by table index; auxiliary records are empty entries
};

// False, with the reason, for a file that is not a COFF object or does not fit its own headers.
bool ReadCoffObject(Bytes file, CoffObject& out, std::string& problem);

// One input section as the map places it: absolute address and size.
struct MapPlacement {
    std::string section;
    std::uint64_t address = 0, size = 0;
};

// Input sections by the object path the map names, in the order the map lists them. Sections
// that ld discarded are not listed.
using LinkMap = std::map<std::string, std::vector<MapPlacement>, std::less<>>;
LinkMap ReadLinkMap(std::string_view text);

// The absolute address of each section of the object (by index), 0 for one the image lacks:
// the n-th section of a name is the n-th the map lists for that object under that name, and
// its size must agree.
std::vector<std::uint64_t> PlaceSections(const CoffObject& object, const std::vector<MapPlacement>& placements);

}  // namespace tarvo::testbed
