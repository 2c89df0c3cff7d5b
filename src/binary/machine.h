// What depends on the machine a COFF file was made for and matters to every reader of it: one
// record per machine, chosen from the file header's machine field.
#pragma once
#include <cstdint>
#include <string_view>

namespace tarvo::binary {

struct Machine {
    std::uint16_t machine;          // COFF machine field
    const char* name;
    unsigned pointerSize;           // bytes
    std::uint16_t optionalMagic;    // 0x10B (PE32) or 0x20B (PE32+)
    std::string_view decoration;    // prefix the compiler puts before C names
};

inline constexpr std::uint16_t kMachineI386 = 0x14C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

inline constexpr Machine kI386{kMachineI386, "i386", 4, 0x10B, "_"};
inline constexpr Machine kAmd64{kMachineAmd64, "x64", 8, 0x20B, ""};

// The record of a machine, or null for one we do not read.
const Machine* MachineOf(std::uint16_t machine);

// Name as written in source: without the machine's decoration and anything from '@' on (the
// stdcall argument size).
std::string_view UndecoratedName(const Machine& machine, std::string_view name);

}  // namespace tarvo::binary
