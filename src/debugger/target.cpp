#include "debugger/target.h"

namespace tarvo::debugger {
namespace {

const char* const kEntries32[] = {"_WinMain@16", "WinMain", "_main", "_MAIN__", nullptr};
const char* const kEntries64[] = {"WinMain", "main", "MAIN__", nullptr};

// jmp dword ptr [slot]: FF 25 and the slot's absolute address.
std::optional<std::uint64_t> ThunkSlot32(Bytes code, std::uint64_t, std::uint64_t relocation) {
    if (Get<std::uint8_t>(code, 0) != 0xFF || Get<std::uint8_t>(code, 1) != 0x25 || !Fits(code, 2, 4))
        return std::nullopt;
    return Get<std::uint32_t>(code, 2) + relocation;
}

// jmp qword ptr [rip + disp32]: FF 25 and the slot's distance from the next instruction.
std::optional<std::uint64_t> ThunkSlot64(Bytes code, std::uint64_t address, std::uint64_t) {
    if (Get<std::uint8_t>(code, 0) != 0xFF || Get<std::uint8_t>(code, 1) != 0x25 || !Fits(code, 2, 4))
        return std::nullopt;
    auto disp = static_cast<std::int32_t>(Get<std::uint32_t>(code, 2));
    return address + 6 + static_cast<std::int64_t>(disp);
}

constexpr Target kTargets[] = {
    {binary::kI386, 0x0A, 4, kEntries32, ThunkSlot32},
    {binary::kAmd64, 0x0C, 6, kEntries64, ThunkSlot64},
};

struct RegisterRange {
    unsigned first;
    const char* names[16];
};

// CodeView numbers shared by both machines (the x86 numbering).
constexpr RegisterRange kCommonRegisters[] = {
    {0x01, {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh", "ax", "cx", "dx", "bx", "sp", "bp", "si", "di"}},
    {0x11, {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"}},
    {0x21, {"eip", "eflags"}},
    {0x80, {"st0", "st1", "st2", "st3", "st4", "st5", "st6", "st7"}},
    {0x9A, {"xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"}},
};

// The later numbering of the 64-bit machine.
constexpr RegisterRange kAmd64Registers[] = {
    {0x144, {"sil", "dil", "bpl", "spl"}},
    {0x148, {"rax", "rbx", "rcx", "rdx", "rsi", "rdi", "rbp", "rsp", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15"}},
    {0x158, {"r8b", "r9b", "r10b", "r11b", "r12b", "r13b", "r14b", "r15b", "r8w", "r9w", "r10w", "r11w", "r12w", "r13w", "r14w", "r15w"}},
    {0x168, {"r8d", "r9d", "r10d", "r11d", "r12d", "r13d", "r14d", "r15d"}},
    {0xFC, {"xmm8", "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15"}},
    {0x21, {"rip", "eflags"}},
};

template <std::size_t N>
const char* Lookup(const RegisterRange (&ranges)[N], unsigned number) {
    for (const RegisterRange& r : ranges)
        if (number >= r.first && number < r.first + 16 && r.names[number - r.first]) return r.names[number - r.first];
    return nullptr;
}

}  // namespace

const Target* TargetOf(std::uint16_t machine) {
    for (const Target& t : kTargets)
        if (t.machine == machine) return &t;
    return nullptr;
}

std::string_view RegisterName(const Target& target, unsigned number) {
    const char* name = nullptr;
    if (target.machine == kMachineAmd64) name = Lookup(kAmd64Registers, number);
    if (!name) name = Lookup(kCommonRegisters, number);
    return name ? name : "";
}

bool IsFortranEntry(std::string_view name) { return name == "_MAIN__" || name == "MAIN__"; }

}  // namespace tarvo::debugger
