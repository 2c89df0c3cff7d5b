// The processor's registers as one portable record, and the two machines' thread-context
// layouts it is read from and written to. The Win32 layer only moves context blobs; every
// offset lives here, checked against the system headers by context_layout_win.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "binary/bytes.h"
#include "debugger/target.h"

namespace tarvo::debugger {

// General registers by id, in the processor's encoding order; the 32-bit machine has ids 0-7.
enum RegisterId : int { kAx, kCx, kDx, kBx, kSp, kBp, kSi, kDi, kR8, kR9, kR10, kR11, kR12, kR13, kR14, kR15 };
inline constexpr std::uint32_t kTraceFlag = 0x100;

struct Registers {
    std::uint64_t ip = 0;
    std::uint32_t flags = 0;
    std::uint64_t general[16] = {};      // by RegisterId; upper ones stay 0 on i386
    std::uint16_t cs = 0, ds = 0, es = 0, fs = 0, gs = 0, ss = 0;
    std::uint64_t dr[4] = {};            // debug address registers 0-3
    std::uint64_t dr6 = 0, dr7 = 0;
    std::uint8_t st[8][10] = {};         // x87 registers, 80-bit each, in register-area order
    std::uint16_t fpControl = 0, fpStatus = 0, fpTag = 0;
    std::uint64_t Sp() const { return general[kSp]; }
    std::uint64_t Fp() const { return general[kBp]; }
    std::uint64_t Ax() const { return general[kAx]; }
};

// Which parts of a context an operation covers (the context-flag bits, without the machine bit).
enum ContextParts : std::uint32_t { kControl = 1, kInteger = 2, kSegments = 4, kFloating = 8, kDebug = 0x10 };
inline constexpr std::uint32_t kAllParts = kControl | kInteger | kSegments | kFloating | kDebug;

// Where each field of the record sits in a machine's context. Widths: `word` for the general
// registers, the instruction pointer and the debug registers; `segmentWidth` for the segment
// fields and `fpWordWidth` for the x87 control and status fields (i386 keeps them in 32-bit
// fields of which the low 16 bits count; only those are read and written).
struct ContextLayout {
    std::size_t size;
    std::uint32_t machineFlag;          // the machine bit of the context flags
    std::size_t contextFlags;
    std::size_t word;
    std::size_t ip, eflags;
    std::size_t general[16];            // by RegisterId
    int generalCount;
    std::size_t cs, ds, es, fs, gs, ss;
    std::size_t segmentWidth;
    std::size_t dr[4], dr6, dr7;
    std::size_t fpControl, fpStatus, fpTag;
    std::size_t fpWordWidth;
    bool abridgedTag;                   // one tag bit per register (the 64-bit save area)
    std::size_t fpRegisters, fpRegisterStride;
};

inline constexpr ContextLayout kI386Context = {
    .size = 716, .machineFlag = 0x10000, .contextFlags = 0, .word = 4,
    .ip = 184, .eflags = 192,
    .general = {176, 172, 168, 164, 196, 180, 160, 156}, .generalCount = 8,
    .cs = 188, .ds = 152, .es = 148, .fs = 144, .gs = 140, .ss = 200, .segmentWidth = 2,
    .dr = {4, 8, 12, 16}, .dr6 = 20, .dr7 = 24,
    .fpControl = 28, .fpStatus = 32, .fpTag = 36, .fpWordWidth = 2, .abridgedTag = false,
    .fpRegisters = 56, .fpRegisterStride = 10,
};

inline constexpr ContextLayout kAmd64Context = {
    .size = 0x4D0, .machineFlag = 0x100000, .contextFlags = 0x30, .word = 8,
    .ip = 0xF8, .eflags = 0x44,
    .general = {0x78, 0x80, 0x88, 0x90, 0x98, 0xA0, 0xA8, 0xB0,
                0xB8, 0xC0, 0xC8, 0xD0, 0xD8, 0xE0, 0xE8, 0xF0},
    .generalCount = 16,
    .cs = 0x38, .ds = 0x3A, .es = 0x3C, .fs = 0x3E, .gs = 0x40, .ss = 0x42, .segmentWidth = 2,
    .dr = {0x48, 0x50, 0x58, 0x60}, .dr6 = 0x68, .dr7 = 0x70,
    .fpControl = 0x100, .fpStatus = 0x102, .fpTag = 0x104, .fpWordWidth = 2, .abridgedTag = true,
    .fpRegisters = 0x120, .fpRegisterStride = 16,
};

// The layout of the machine's context.
const ContextLayout& ContextLayoutOf(const Target& target);

// The size in bytes of the machine's thread context (i386: 716, amd64: 1232).
std::size_t ContextSize(const Target& target);
// The context-flags value for those parts on the machine (i386 0x10000 | parts; amd64 0x100000 | parts).
std::uint32_t ContextFlags(const Target& target, std::uint32_t parts);
// Writes the flags field of a context blob (the blob must be ContextSize long).
void SetContextFlags(const Target& target, std::span<std::uint8_t> blob, std::uint32_t parts);
// Decodes a context blob; false when the blob is shorter than the machine's context.
bool DecodeContext(const Target& target, Bytes blob, Registers& out);
// Writes the record's fields into an existing blob, leaving every other byte as it was (the
// Win32 layer reads a context, changes fields, writes it back). False when the blob is short.
bool EncodeContext(const Target& target, const Registers& in, std::span<std::uint8_t> blob);

// The leading part of an i386 context that a program keeps of itself for an attach (204 bytes:
// flags to SegSs, without the extended registers); the attach checks its instruction and stack
// pointers before it is used.
inline constexpr std::size_t kI386SavedContextSize = 204;
// Decodes such a saved context (every field of the record lies in it); false when it is short.
bool DecodeI386SavedContext(Bytes saved, Registers& out);

// The 16-bit x87 tag word (two bits per register: 00 valid, 11 empty) from the abridged tag
// byte of the 64-bit save area (one bit per register, 1 = valid), and back.
std::uint16_t FullTagWord(std::uint8_t abridged);
std::uint8_t AbridgedTag(std::uint16_t full);

}  // namespace tarvo::debugger
