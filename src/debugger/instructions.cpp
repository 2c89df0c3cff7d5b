#include "debugger/instructions.h"

namespace tarvo::debugger {
namespace {

// Reads forward through the instruction's bytes; a read past the end marks it truncated and
// moves nothing, so every later read fails too.
struct Cursor {
    Bytes code;
    std::uint64_t pos = 0;
    bool ended = false;
    template <class T>
    T Next() {
        T v{};
        if (!Read(code, pos, v)) {
            ended = true;
            return T{};
        }
        pos += sizeof(T);
        return v;
    }
    void Skip(std::uint64_t n) {
        if (Fits(code, pos, n)) pos += n;
        else ended = true;
    }
    std::int64_t Displacement(unsigned size) {
        switch (size) {
        case 1: return static_cast<std::int8_t>(Next<std::uint8_t>());
        case 2: return static_cast<std::int16_t>(Next<std::uint16_t>());
        case 4: return static_cast<std::int32_t>(Next<std::uint32_t>());
        default: return 0;
        }
    }
};

struct Prefixes {
    bool operand16 = false;  // 0x66
    bool address = false;    // 0x67: the other address size
    bool repeat = false;     // 0xF2, 0xF3
    bool foreignSegment = false;
    std::uint8_t rex = 0;    // 64-bit mode: the REX byte right before the opcode, else 0
};

// Notes a legacy prefix; false for a byte that is none.
bool TakePrefix(std::uint8_t b, Prefixes& p) {
    switch (b) {
    case 0x66: p.operand16 = true; return true;
    case 0x67: p.address = true; return true;
    case 0xF2:
    case 0xF3: p.repeat = true; return true;
    case 0x64:
    case 0x65: p.foreignSegment = true; return true;
    // The 64-bit machine ignores these segments; on the 32-bit one they are all based at 0 in a
    // Win32 process. Either way they cancel an earlier fs or gs.
    case 0x26:
    case 0x2E:
    case 0x36:
    case 0x3E: p.foreignSegment = false; return true;
    case 0xF0: return true;
    default: return false;
    }
}

bool IsStringOpcode(std::uint8_t op) {
    return (op >= 0x6C && op <= 0x6F) || (op >= 0xA4 && op <= 0xA7) || (op >= 0xAA && op <= 0xAF);
}

// 16-bit addressing (0x67 on the 32-bit machine): the register pair of each r/m value.
constexpr int k16Base[8] = {kBx, kBx, kBp, kBp, kSi, kDi, kBp, kBx};
constexpr int k16Index[8] = {kSi, kDi, kSi, kDi, -1, -1, -1, -1};

void Decode16BitOperand(Cursor& c, unsigned mod, unsigned rm, Instruction& in) {
    if (mod == 0 && rm == 6) {
        in.displacement = c.Next<std::uint16_t>();
        return;
    }
    in.base = k16Base[rm];
    in.index = k16Index[rm];
    in.displacement = c.Displacement(mod == 1 ? 1 : mod == 2 ? 2 : 0);
}

// The r/m operand of a ModRM byte with its SIB byte and displacement. Returns whether the
// address is relative to the next instruction (known only once the whole length is).
bool DecodeOperand(Cursor& c, const Prefixes& p, bool wide, std::uint8_t modrm, Instruction& in) {
    const unsigned mod = modrm >> 6, rm = modrm & 7;
    const int extendBase = p.rex & 1 ? 8 : 0, extendIndex = p.rex & 2 ? 8 : 0;
    if (mod == 3) {
        in.base = static_cast<int>(rm) + extendBase;
        return false;
    }
    in.memory = true;
    if (!wide && p.address) {
        Decode16BitOperand(c, mod, rm, in);
        return false;
    }
    unsigned dispSize = mod == 1 ? 1 : mod == 2 ? 4 : 0;
    bool ipRelative = false;
    if (rm == 4) {
        // SIB. Index 100 means none, unless REX.X makes it r12; base 101 under mod 00 means no
        // base and a 32-bit displacement, whatever REX.B says (r13 needs mod 01).
        const std::uint8_t sib = c.Next<std::uint8_t>();
        const int index = ((sib >> 3) & 7) + extendIndex;
        if (index != kSp) {
            in.index = index;
            in.scale = 1u << (sib >> 6);
        }
        if ((sib & 7) == 5 && mod == 0) dispSize = 4;
        else in.base = (sib & 7) + extendBase;
    } else if (rm == 5 && mod == 0) {
        // An absolute address on the 32-bit machine, relative to the next instruction on the
        // 64-bit one (also for REX.B: r13 needs mod 01).
        dispSize = 4;
        ipRelative = wide;
    } else {
        in.base = static_cast<int>(rm) + extendBase;
    }
    in.displacement = c.Displacement(dispSize);
    return ipRelative;
}

void DecodeIndirectCall(Cursor& c, const Prefixes& p, bool wide, std::uint64_t address, Instruction& in) {
    const std::uint8_t modrm = c.Next<std::uint8_t>();
    if (c.ended) return;
    const unsigned reg = (modrm >> 3) & 7;
    // A far call takes its selector and offset from memory: with a register operand it is no
    // valid instruction, and stepping treats it like any other.
    if ((reg != 2 && reg != 3) || (reg == 3 && modrm >> 6 == 3)) return;
    in.kind = InstructionKind::Call;
    in.indirect = true;
    in.far = reg == 3;
    in.addressSize = wide ? (p.address ? 4 : 8) : (p.address ? 2 : 4);
    in.operandSize = wide ? 8 : (p.operand16 ? 2 : 4);
    in.foreignSegment = p.foreignSegment;
    const bool ipRelative = DecodeOperand(c, p, wide, modrm, in);
    if (ipRelative && !c.ended) {
        std::uint64_t at = address + c.pos + static_cast<std::uint64_t>(in.displacement);
        if (in.addressSize == 4) at &= 0xFFFFFFFFu;
        in.displacement = static_cast<std::int64_t>(at);
    }
}

std::uint64_t AddressMask(unsigned size) {
    return size == 2 ? 0xFFFFu : size == 4 ? 0xFFFFFFFFu : ~std::uint64_t{0};
}

}  // namespace

Instruction DecodeInstruction(const Target& target, Bytes code, std::uint64_t address) {
    const bool wide = target.pointerSize == 8;
    Cursor c{code};
    Prefixes p;
    std::uint8_t op = 0;
    for (;;) {
        op = c.Next<std::uint8_t>();
        if (c.ended) return {.kind = InstructionKind::Truncated};
        if (TakePrefix(op, p)) p.rex = 0;  // a REX byte counts only right before the opcode
        else if (wide && (op & 0xF0) == 0x40) p.rex = op;
        else break;
    }
    Instruction in;
    switch (op) {
    case 0xCC: in.kind = InstructionKind::Breakpoint; break;
    case 0xCD:
        in.kind = InstructionKind::Interrupt;
        c.Skip(1);
        break;
    case 0xE0:
    case 0xE1:
    case 0xE2:
        in.kind = InstructionKind::Loop;
        c.Skip(1);
        break;
    case 0xE8: {
        // The 16-bit form also cuts the instruction pointer to 16 bits; the 64-bit machine
        // ignores 0x66 here.
        const bool short16 = !wide && p.operand16;
        const std::int64_t disp = c.Displacement(short16 ? 2 : 4);
        in.kind = InstructionKind::Call;
        in.target = address + c.pos + static_cast<std::uint64_t>(disp);
        in.target &= AddressMask(short16 ? 2 : wide ? 8 : 4);
        break;
    }
    case 0x9A:
        if (wide) return {};  // no such instruction on the 64-bit machine
        in.kind = InstructionKind::Call;
        in.far = true;
        c.Skip((p.operand16 ? 2 : 4) + 2);
        break;
    case 0xFF:
        DecodeIndirectCall(c, p, wide, address, in);
        if (!c.ended && in.kind == InstructionKind::Other) return {};
        break;
    default:
        if (!p.repeat || !IsStringOpcode(op)) return {};
        in.kind = InstructionKind::RepeatedString;
        break;
    }
    if (c.ended) return {.kind = InstructionKind::Truncated};
    in.length = static_cast<unsigned>(c.pos);
    return in;
}

std::optional<std::uint64_t> CallTarget(const Target& target, const Instruction& call, const Registers& regs,
                                        const MemoryReader& read) {
    if (call.kind != InstructionKind::Call || call.far) return std::nullopt;
    if (!call.indirect) return call.target;
    const unsigned size = call.operandSize ? call.operandSize : target.pointerSize;
    const std::uint64_t wordMask = AddressMask(size);
    const auto reg = [&](int id) { return id >= 0 && id < 16 ? regs.general[id] : 0; };
    if (!call.memory) {
        if (call.base < 0 || call.base >= 16) return std::nullopt;
        return reg(call.base) & wordMask;
    }
    // The base of an fs or gs segment is not in the context: better no target than a wrong one.
    if (call.foreignSegment || !read) return std::nullopt;
    std::uint64_t at = reg(call.base) + reg(call.index) * call.scale + static_cast<std::uint64_t>(call.displacement);
    at &= AddressMask(call.addressSize ? call.addressSize : target.pointerSize);
    std::uint8_t word[8] = {};
    if (size > sizeof word || !read(at, word, size)) return std::nullopt;
    std::uint64_t value = 0;
    for (unsigned i = 0; i < size; ++i) value |= std::uint64_t(word[i]) << (8 * i);
    return value;
}

}  // namespace tarvo::debugger
