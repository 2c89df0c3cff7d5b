// Writes small COFF objects and libraries for the tests of the binary readers: chosen sections
// (long names through the string table), symbols with auxiliary records, and archives in the
// GNU and Microsoft member-name forms.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pe_builder.h"

namespace tarvo::test {

struct ObjSection {
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t characteristics = 0x60000020;  // code, readable, executable
};

struct ObjSymbol {
    std::string name;  // longer than 8 characters goes to the string table
    std::uint32_t value = 0;
    std::int16_t section = 1;
    std::uint8_t storageClass = 2;
    std::uint16_t type = 0;
    ByteVec aux;  // whole 18-byte records
};

struct ObjSpec {
    std::uint16_t machine = 0x14C;
    std::vector<ObjSection> sections;
    std::vector<ObjSymbol> symbols;
};

// A ".file" symbol naming the source, with its auxiliary records.
ObjSymbol FileSymbol(const std::string& source);

// The object, and where its symbol table starts (for tests that damage it).
struct BuiltObject {
    ByteVec bytes;
    std::uint32_t symbolTable = 0, stringTable = 0;
};
BuiltObject BuildObject(const ObjSpec& spec);

struct ArchiveEntry {
    std::string name;
    ByteVec bytes;
};
// GNU form ("name/", long names "/n" in a "//" table of "name/\n" entries) or Microsoft form
// (two "/" linker members, long names ended by zero); each begins with a symbol table member.
ByteVec BuildArchive(const std::vector<ArchiveEntry>& members, bool microsoft);

}  // namespace tarvo::test
