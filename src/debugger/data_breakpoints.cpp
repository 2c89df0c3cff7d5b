#include "debugger/data_breakpoints.h"

#include "base/messages.h"
#include "debugger/debug_messages.h"
#include "debugger/wide_format.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

constexpr std::uint64_t kStatusBits = 0xF;  // dr6: which of the four conditions was met

// The dr7 length code of a watched size, or -1 for one the processor cannot watch.
int LengthCode(unsigned size) {
    switch (size) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 3;
    case 8: return 2;
    default: return -1;
    }
}

bool ValidSlot(int slot) { return slot >= 0 && slot < kDataSlots; }

std::uint64_t SlotMask(int slot) { return (std::uint64_t{1} << (2 * slot)) | (std::uint64_t{0xF} << (16 + 4 * slot)); }

// The message's text with 64-bit room for each integer it formats.
std::string Text(unsigned id) { return WidenIntegerConversions(base::GetString(id)); }

// A size outside 1-7 takes the whole value.
long long Signed(std::uint64_t value, unsigned size) {
    if (size == 0 || size >= 8) return static_cast<long long>(value);
    unsigned bits = 8 * size;
    std::uint64_t sign = std::uint64_t{1} << (bits - 1);
    value &= (sign << 1) - 1;
    return static_cast<long long>((value ^ sign) - sign);
}

unsigned long long Masked(std::uint64_t value, unsigned size) {
    return size == 0 || size >= 8 ? value : value & ((std::uint64_t{1} << (8 * size)) - 1);
}

}  // namespace

std::string CheckDataSlot(const Target& target, std::uint64_t address, unsigned size) {
    const bool wide = target.pointerSize == 8;
    if (LengthCode(size) < 0 || (size == 8 && !wide))
        return Printf(Text(wide ? kMsgDataBreakSize64 : kMsgDataBreakSize32).c_str(), static_cast<long long>(size));
    const auto at = static_cast<unsigned long long>(address);
    if (address == 0) return Printf(Text(kMsgIncorrectAddress).c_str(), at);
    if (!wide && address > 0xFFFFFFFFu) return Printf(Text(kMsgDataBreakOutside).c_str(), at);
    if (address % size != 0)
        return Printf(Text(kMsgDataBreakUnaligned).c_str(), static_cast<long long>(size), static_cast<long long>(size), at);
    return "";
}

void ApplyDataSlot(Registers& regs, int slot, const DataSlot& data) {
    if (!ValidSlot(slot)) return;
    regs.dr7 &= ~SlotMask(slot);
    const int length = LengthCode(data.size);
    const bool watchable = length >= 0 && (data.access == kWatchWrite || data.access == kWatchReadWrite);
    if (data.address == 0 || !data.enabled || !watchable) {
        regs.dr[slot] = 0;
        return;
    }
    regs.dr[slot] = data.address;
    const std::uint64_t field = data.access | (static_cast<std::uint64_t>(length) << 2);
    regs.dr7 |= (std::uint64_t{1} << (2 * slot)) | (field << (16 + 4 * slot));
}

void ApplyDataSlots(Registers& regs, const DataSlot (&slots)[kDataSlots]) {
    for (int i = 0; i < kDataSlots; ++i) ApplyDataSlot(regs, i, slots[i]);
}

int FiredDataSlot(std::uint64_t dr6, const DataSlot (&slots)[kDataSlots]) {
    for (int i = 0; i < kDataSlots; ++i)
        if ((dr6 & (std::uint64_t{1} << i)) && slots[i].address != 0 && slots[i].enabled) return i;
    return -1;
}

void ClearFiredDataSlot(Registers& regs, int slot) {
    if (!ValidSlot(slot)) return;
    regs.dr[slot] = 0;
    regs.dr7 &= ~SlotMask(slot);
    regs.dr6 &= ~kStatusBits;
}

std::string DataBreakReport(int slot, const DataSlot& data, std::uint64_t ip, std::uint64_t newValue) {
    std::string text = Printf(Text(kMsgDataBreakFired).c_str(), static_cast<long long>(slot + 1),
                              static_cast<unsigned long long>(data.address), static_cast<unsigned long long>(ip));
    if (!data.expression.empty()) text += Printf(base::GetString(kMsgDataBreakExpression), data.expression.c_str());
    text += Printf(Text(kMsgDataBreakValues).c_str(), Signed(data.oldValue, data.size), Masked(data.oldValue, data.size),
                   Signed(newValue, data.size), Masked(newValue, data.size));
    return text;
}

std::uint64_t SlotValue(Bytes bytes, unsigned size) {
    if (size == 0 || size > 8 || !Fits(bytes, 0, size)) return 0;
    std::uint64_t v = 0;
    for (unsigned i = 0; i < size; ++i) v |= std::uint64_t(bytes[i]) << (8 * i);
    return v;
}

}  // namespace tarvo::debugger
