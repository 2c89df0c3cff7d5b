// The headers of a PE32 or PE32+ image, read from its bytes with every field checked against
// the file.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "binary/coff.h"

namespace tarvo::binary {

struct DataDirectory {
    std::uint32_t address = 0, size = 0;
};

struct PeHeaders {
    const Machine* machine = nullptr;
    std::uint64_t imageBase = 0;
    std::uint32_t entryPoint = 0, baseOfCode = 0, sizeOfCode = 0, baseOfData = 0;
    std::uint32_t sizeOfInitializedData = 0, sizeOfUninitializedData = 0, sizeOfImage = 0;
    std::uint16_t subsystem = 0;
    std::uint32_t symbolTable = 0, symbolCount = 0;  // COFF symbol table: file offset, count
    std::vector<DataDirectory> directories;
    std::vector<Section> sections;  // long names resolved through the string table
};

inline constexpr unsigned kDirectoryImport = 1;
inline constexpr unsigned kDirectoryDebug = 6;

// False for anything that is not a whole PE image of a machine we know.
bool ReadPeHeaders(Bytes file, PeHeaders& out);

// The section that holds the address (relative to the image base), or null.
const Section* SectionOfRva(const PeHeaders& h, std::uint64_t rva);
// The section of a 1-based section number, or null.
const Section* SectionNumber(const PeHeaders& h, std::uint64_t number);
// Case-insensitive over the whole name.
const Section* SectionNamed(const PeHeaders& h, std::string_view name);
// File offset of `size` bytes at an address, translated through the section holding it; none
// when they lie outside that section's data in the file.
std::optional<std::uint64_t> RvaToOffset(const PeHeaders& h, Bytes file, std::uint64_t rva, std::uint64_t size);

}  // namespace tarvo::binary
