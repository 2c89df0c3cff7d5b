// What stepping needs to know of one machine instruction: whether it calls, repeats a string
// operation, raises an interrupt, loops or is a breakpoint, and then its length and the call's
// target. Every other instruction does not concern a step and is only classed as Other.
// The same decoder serves both machines; the target record says which mode the bytes are in.
#pragma once
#include <cstdint>
#include <optional>

#include "binary/bytes.h"
#include "debugger/registers.h"
#include "debugger/target.h"
#include "debugger/values.h"

namespace tarvo::debugger {

enum class InstructionKind {
    Other,           // does not concern a step; `length` is 0
    Breakpoint,      // 0xCC
    Call,            // near call, direct or indirect; far call
    RepeatedString,  // a string instruction after a repeat prefix
    Interrupt,       // int n
    Loop,            // loop, loope, loopne
    Truncated,       // the bytes ended before the instruction did
};

struct Instruction {
    InstructionKind kind = InstructionKind::Other;
    unsigned length = 0;  // bytes, prefixes included
    // Calls.
    bool far = false;
    bool indirect = false;
    std::uint64_t target = 0;  // a direct near call's target
    // The operand of an indirect call: a register (`memory` false, `base` the register), or
    // memory at base + index * scale + displacement (each part optional; RIP-relative
    // addresses are made absolute when decoded), whose pointer-size word is the target.
    bool memory = false;
    int base = -1, index = -1;  // RegisterId; -1 none
    unsigned scale = 1;
    std::int64_t displacement = 0;
    // The memory operand's address is taken modulo this many bytes (2, 4 or 8): the machine's
    // pointer size, or the other address size after 0x67.
    unsigned addressSize = 0;
    // Bytes of an indirect call's target: 2 after 0x66 on the 32-bit machine (the instruction
    // pointer is cut to 16 bits), else the pointer size.
    unsigned operandSize = 0;
    // An fs or gs override: the segment's base is not known, so neither is the address.
    bool foreignSegment = false;
};

// Decodes the instruction at `address` from `code`, the bytes as the program has them (the
// caller puts the saved bytes back under breakpoints first). Never reads past `code`.
Instruction DecodeInstruction(const Target& target, Bytes code, std::uint64_t address);

// The target of a call: a direct one's, or an indirect one's from the registers and, for a
// memory operand, the program's memory. Nothing for a far call or an unreadable slot.
std::optional<std::uint64_t> CallTarget(const Target& target, const Instruction& call, const Registers& regs,
                                        const MemoryReader& read);

}  // namespace tarvo::debugger
