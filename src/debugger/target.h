// What depends on the machine an image was built for: one record per machine, chosen from the
// COFF header's machine field. Everything else in the debugger is the same for both.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "debugger/bytes.h"

namespace tarvo::debugger {

struct Target {
    std::uint16_t machine;          // COFF machine field
    const char* name;
    unsigned pointerSize;           // bytes
    std::uint16_t optionalMagic;    // 0x10B (PE32) or 0x20B (PE32+)
    std::uint8_t pointerKind;       // CodeView pointer attribute kind: near 32 or 64-bit
    std::uint16_t primitivePointerMode;  // mode bits of a primitive pointer type index
    std::string_view decoration;    // prefix the compiler puts before C names
    const char* const* entryNames;  // entry functions in the order they are tried; null ends
    // The import slot that the jump thunk at `address` with these bytes goes through; an
    // image loaded away from its preferred base is `relocation` bytes off.
    std::optional<std::uint64_t> (*thunkSlot)(Bytes code, std::uint64_t address, std::uint64_t relocation);
};

inline constexpr std::uint16_t kMachineI386 = 0x14C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// The record of a machine, or null for one we do not debug.
const Target* TargetOf(std::uint16_t machine);

// The name of a CodeView register number on the target ("" for an unknown one).
std::string_view RegisterName(const Target& target, unsigned number);

// Name as written in source: without the target's decoration and anything from '@' on.
std::string_view UndecoratedName(const Target& target, std::string_view name);

// The entry name that marks a Fortran program.
bool IsFortranEntry(std::string_view name);

}  // namespace tarvo::debugger
