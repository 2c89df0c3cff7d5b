// The COFF structures shared by objects and images: the file header, the section headers with
// their long names, the symbol table and its string table, and the short import record of
// import libraries. Every count and offset is checked against the bytes in 64-bit arithmetic;
// what does not fit fails the read or is counted as damage, never read.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "binary/bytes.h"
#include "binary/machine.h"

namespace tarvo::binary {

inline constexpr std::size_t kCoffHeaderSize = 20;
inline constexpr std::size_t kSectionHeaderSize = 40;
inline constexpr std::size_t kSymbolSize = 18;

struct CoffHeader {
    std::uint16_t machineField = 0;
    const Machine* machine = nullptr;  // null for a machine we do not know
    std::uint16_t sectionCount = 0, optionalSize = 0, characteristics = 0;
    std::uint32_t timeStamp = 0, symbolTable = 0, symbolCount = 0;
    std::uint64_t at = 0;  // file offset of the header
    std::uint64_t SectionTableAt() const { return at + kCoffHeaderSize + optionalSize; }
};

// False when the 20 bytes of a header do not fit at `at`.
bool ReadCoffHeader(Bytes file, std::uint64_t at, CoffHeader& out);

// What a reader of the symbol or section tables had to give up on.
enum class CoffFault {
    None,
    SectionsPastEnd,    // the section table does not fit
    SymbolsPastEnd,     // the symbol table (position and count) does not fit
    BadStringTable,     // its length is below 4 or runs past the end of the file
    AuxiliaryPastEnd,   // the last symbol's auxiliary records run past the table
};

// The string table that follows the symbol table: empty with BadStringTable when its length is
// wrong; empty and no fault when the file has no symbol table or ends right after it.
Bytes StringTableOf(Bytes file, const CoffHeader& h, CoffFault& fault);

// A zero-terminated name at an offset of the string table; empty when the offset is outside the
// table or the name runs to its end unterminated.
std::string_view StringAt(Bytes strings, std::uint64_t offset);

struct Section {
    std::string_view name;  // long "/n" names resolved through the string table
    std::uint32_t virtualSize = 0, virtualAddress = 0;
    std::uint32_t rawSize = 0, rawPointer = 0;
    std::uint32_t relocationPointer = 0;
    std::uint16_t relocationCount = 0;
    std::uint32_t characteristics = 0;
    bool IsCode() const { return characteristics & 0x20; }
    bool IsUninitialized() const { return characteristics & 0x80; }
};

// The section headers after the header's optional header. A "/n" name whose offset is bad
// stays as written. False (with SectionsPastEnd) when the table does not fit.
bool ReadSections(Bytes file, const CoffHeader& h, Bytes strings, std::vector<Section>& out, CoffFault& fault);

struct Symbol {
    std::uint32_t index = 0;  // in the table, auxiliary records counted
    std::string_view name;    // empty when a long name's offset is bad
    std::uint32_t value = 0;
    std::int16_t section = 0;  // 1-based; 0 undefined, -1 absolute, -2 debug
    std::uint16_t type = 0;
    std::uint8_t storageClass = 0;
    Bytes aux;  // the auxiliary records, 18 bytes each
};

inline constexpr std::uint8_t kClassExternal = 2;
inline constexpr std::uint8_t kClassStatic = 3;
inline constexpr std::uint8_t kClassFile = 103;
inline constexpr std::uint8_t kClassWeakExternal = 105;

// Walks the symbol table, auxiliary records kept with their symbol. False with a fault when
// the table does not fit or the last auxiliary records run past it (the symbols before are
// kept). `badNames` counts names whose string-table offset was bad.
bool ReadSymbols(Bytes file, const CoffHeader& h, Bytes strings, std::vector<Symbol>& out, CoffFault& fault,
                 std::size_t& badNames);

// The source name a file symbol's auxiliary records hold (zero-padded).
std::string_view FileSymbolName(const Symbol& s);

// The short record of an import library member (a name imported from a DLL).
struct ShortImport {
    const Machine* machine = nullptr;
    std::uint16_t type = 0;  // 0 code, 1 data, 2 constant
    std::string_view symbol, dll;
};

// True for bytes that begin like a short import record rather than a COFF header.
bool IsShortImport(Bytes file);
// False when the record is cut short, its names are unterminated or its machine is unknown.
bool ReadShortImport(Bytes file, ShortImport& out);

}  // namespace tarvo::binary
