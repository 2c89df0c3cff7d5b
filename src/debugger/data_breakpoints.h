// The four data breakpoints: slots kept by the debugger and written into the processor's debug
// registers through the portable register record, and the report when one fires.
#pragma once
#include <cstdint>
#include <string>

#include "binary/bytes.h"
#include "debugger/registers.h"
#include "debugger/target.h"

namespace tarvo::debugger {

struct DataSlot {
    std::uint64_t address = 0;   // 0: free
    unsigned size = 0;           // 1, 2 or 4 (8 also allowed on amd64)
    unsigned access = 0;         // 1 write, 3 read or write
    bool enabled = false;
    std::string expression;      // as entered; empty when entered as a number
    std::uint64_t oldValue = 0;  // the value when the slot was set
};
inline constexpr int kDataSlots = 4;
inline constexpr unsigned kWatchWrite = 1;
inline constexpr unsigned kWatchReadWrite = 3;

// Refusals for a new slot: "" when fine, else the message text to show (an address that is not
// aligned to its size is refused: the processor would watch the aligned-down bytes; a size the
// machine cannot watch is refused; so are address 0, which marks a free slot, and on i386 an
// address past 32 bits).
std::string CheckDataSlot(const Target& target, std::uint64_t address, unsigned size);
// Writes the slot into the debug registers of the record: address to dr[slot]; in dr7 the
// local-enable bit (bit 2*slot) and the 4-bit field at 16 + 4*slot (access in the low two bits,
// length code in the high two: 00 one byte, 01 two, 11 four, 10 eight); a zero address or a
// disabled slot clears the field and the enable bit (and the address register). So does a
// size or access the processor cannot watch: it is never armed half right.
void ApplyDataSlot(Registers& regs, int slot, const DataSlot& data);
// All four slots at once (the re-arm after the single step that follows a resume).
void ApplyDataSlots(Registers& regs, const DataSlot (&slots)[kDataSlots]);
// The slot that fired according to dr6 (bits 0-3), or -1; a slot without address is ignored,
// and so is a disabled one: the processor may set a status bit for a condition it does not
// watch.
int FiredDataSlot(std::uint64_t dr6, const DataSlot (&slots)[kDataSlots]);
// Clears the fired slot in the registers (address register, enable bit and field, dr6 status
// bits).
void ClearFiredDataSlot(Registers& regs, int slot);
// The report of a fired slot, formatted from the message table:
// "Data breakpoint %d (at address 0x%x)\nfired at program position 0x%x", then, with an
// expression, "\nExpression: " + the expression in double quotes, then
// "\n\nOld value: %d (0x%x)\nNew value: %d (0x%x)". Slot numbers from 1 in the text; the
// values are taken at the slot's size, signed in decimal.
std::string DataBreakReport(int slot, const DataSlot& data, std::uint64_t ip, std::uint64_t newValue);
// A value of the slot's size from raw bytes (little-endian), for old/new values; 0 when the
// bytes are fewer than the size.
std::uint64_t SlotValue(Bytes bytes, unsigned size);

}  // namespace tarvo::debugger
