// What the debugger adds to the machine record of the reading layer: one record per machine,
// chosen from the COFF header's machine field. Everything else in the debugger is the same for
// both.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "binary/bytes.h"
#include "binary/machine.h"
#include "binary/pe_image.h"

namespace tarvo::debugger {

// The debugger reads images through the shared reading layer.
using binary::Bytes;
using binary::DataDirectory;
using binary::Fits;
using binary::Get;
using binary::kDirectoryDebug;
using binary::kDirectoryImport;
using binary::kMachineAmd64;
using binary::kMachineI386;
using binary::PeHeaders;
using binary::Read;
using binary::ReadCountedName;
using binary::ReadPeHeaders;
using binary::ReadZeroName;
using binary::RvaToOffset;
using binary::Section;
using binary::SectionNamed;
using binary::SectionNumber;
using binary::SectionOfRva;
using binary::Slice;
using binary::UndecoratedName;

struct Target : binary::Machine {
    std::uint8_t pointerKind;       // CodeView pointer attribute kind: near 32 or 64-bit
    std::uint16_t primitivePointerMode;  // mode bits of a primitive pointer type index
    const char* const* entryNames;  // entry functions in the order they are tried; null ends
    // The import slot that the jump thunk at `address` with these bytes goes through; an
    // image loaded away from its preferred base is `relocation` bytes off.
    std::optional<std::uint64_t> (*thunkSlot)(Bytes code, std::uint64_t address, std::uint64_t relocation);
};

// The record of a machine, or null for one we do not debug.
const Target* TargetOf(std::uint16_t machine);

// The name of a CodeView register number on the target ("" for an unknown one).
std::string_view RegisterName(const Target& target, unsigned number);

// The entry name that marks a Fortran program.
bool IsFortranEntry(std::string_view name);

}  // namespace tarvo::debugger
