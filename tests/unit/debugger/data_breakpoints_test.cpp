// Data breakpoints in the debug registers: the control-register bits of every slot, size and
// access checked against hand-worked values, what fires, what is cleared, and the texts.
#include <gtest/gtest.h>

#include <vector>

#include "debugger/data_breakpoints.h"
#include "debugger/wide_format.h"

namespace tarvo::debugger {
namespace {

const Target& I386() { return *TargetOf(kMachineI386); }
const Target& Amd64() { return *TargetOf(kMachineAmd64); }

DataSlot Slot(std::uint64_t address, unsigned size, unsigned access, bool enabled = true) {
    DataSlot s;
    s.address = address, s.size = size, s.access = access, s.enabled = enabled;
    return s;
}

TEST(DataSlotRegisters, ControlBitsOfEachSlotSizeAndAccess) {
    // dr7: enable bit 2*slot; at 16 + 4*slot the access (low two bits) and the length code
    // (high two: 00 one byte, 01 two, 11 four, 10 eight).
    struct Case { int slot; unsigned size, access; std::uint64_t dr7; };
    const Case cases[] = {
        {0, 1, 1, 0x00010001}, {0, 2, 3, 0x00070001}, {0, 4, 1, 0x000D0001}, {0, 8, 3, 0x000B0001},
        {1, 1, 3, 0x00300004}, {1, 4, 3, 0x00F00004}, {2, 2, 1, 0x05000010}, {2, 8, 1, 0x09000010},
        {3, 4, 3, 0xF0000040}, {3, 8, 3, 0xB0000040}, {3, 1, 1, 0x10000040},
    };
    for (const Case& c : cases) {
        Registers r;
        ApplyDataSlot(r, c.slot, Slot(0x402000, c.size, c.access));
        EXPECT_EQ(r.dr7, c.dr7) << "slot " << c.slot << " size " << c.size << " access " << c.access;
        EXPECT_EQ(r.dr[c.slot], 0x402000u);
    }
}

TEST(DataSlotRegisters, AllSlotsTogetherAndClearingOneLeavesTheOthers) {
    DataSlot slots[kDataSlots] = {Slot(0x1000, 4, 1), Slot(0x2001, 1, 3), Slot(0x3002, 2, 1),
                                  Slot(0x00007FF600004008, 8, 3)};
    Registers r;
    r.dr7 = 0x700;  // exact-match and other bits the debugger does not own stay as they are
    ApplyDataSlots(r, slots);
    EXPECT_EQ(r.dr7, 0xB53D0755u);
    EXPECT_EQ(r.dr[3], 0x00007FF600004008u);

    slots[1].address = 0;  // freed
    slots[2].enabled = false;
    ApplyDataSlots(r, slots);
    EXPECT_EQ(r.dr7, 0xB00D0741u);
    EXPECT_EQ(r.dr[1], 0u);
    EXPECT_EQ(r.dr[2], 0u);
    EXPECT_EQ(r.dr[0], 0x1000u);

    // A size or access the processor cannot watch is never armed.
    ApplyDataSlot(r, 0, Slot(0x1000, 3, 1));
    ApplyDataSlot(r, 3, Slot(0x4000, 4, 0));
    EXPECT_EQ(r.dr7, 0x700u);
    // Slot numbers outside 0-3 change nothing.
    ApplyDataSlot(r, 4, Slot(0x1000, 4, 1));
    ApplyDataSlot(r, -1, Slot(0x1000, 4, 1));
    EXPECT_EQ(r.dr7, 0x700u);
}

TEST(DataSlotRegisters, FiredSlotIgnoresStaleBitsEmptyAndDisabledSlots) {
    const DataSlot slots[kDataSlots] = {Slot(0, 4, 1), Slot(0x1000, 4, 1), Slot(0x2000, 4, 1, false),
                                        Slot(0x3000, 2, 3)};
    EXPECT_EQ(FiredDataSlot(0, slots), -1);
    EXPECT_EQ(FiredDataSlot(0x4000, slots), -1);  // a plain single step
    EXPECT_EQ(FiredDataSlot(0xFFFF0FF0, slots), -1);  // the bits that always read as one
    EXPECT_EQ(FiredDataSlot(0x1, slots), -1);     // slot 0 has no address
    EXPECT_EQ(FiredDataSlot(0x4, slots), -1);     // slot 2 is switched off
    EXPECT_EQ(FiredDataSlot(0xFFFF4FF2, slots), 1);
    EXPECT_EQ(FiredDataSlot(0xD, slots), 3);
}

TEST(DataSlotRegisters, ClearingTheFiredSlot) {
    DataSlot slots[kDataSlots] = {Slot(0x1000, 4, 1), Slot(0x2000, 2, 3), {}, {}};
    Registers r;
    ApplyDataSlots(r, slots);
    r.dr6 = 0xFFFF4FF3;
    ClearFiredDataSlot(r, 1);
    EXPECT_EQ(r.dr[1], 0u);
    EXPECT_EQ(r.dr[0], 0x1000u);
    EXPECT_EQ(r.dr7, 0x000D0001u);
    EXPECT_EQ(r.dr6, 0xFFFF4FF0u);  // only the four status bits go
    // The re-arm after the next step brings it back.
    ApplyDataSlots(r, slots);
    EXPECT_EQ(r.dr7, 0x007D0005u);
    EXPECT_EQ(r.dr[1], 0x2000u);
}

TEST(DataSlotReport, TextWithAndWithoutExpression) {
    DataSlot s = Slot(0x403010, 4, 1);
    s.oldValue = 5;
    EXPECT_EQ(DataBreakReport(0, s, 0x401234, 0x1F),
              "Data breakpoint 1 (at address 0x403010)\nfired at program position 0x401234"
              "\n\nOld value: 5 (0x5)\nNew value: 31 (0x1f)");
    s.expression = "list->count";
    s.oldValue = 0xFFFFFFFE;
    EXPECT_EQ(DataBreakReport(3, s, 0x401240, 0x80000000),
              "Data breakpoint 4 (at address 0x403010)\nfired at program position 0x401240"
              "\nExpression: \"list->count\""
              "\n\nOld value: -2 (0xfffffffe)\nNew value: -2147483648 (0x80000000)");
}

TEST(DataSlotReport, WideAddressesAndValuesAtTheSlotsSize) {
    DataSlot s = Slot(0x00007FF612345678, 1, 3);
    s.expression = "100%d";  // a per cent sign in the expression is text, not a conversion
    s.oldValue = 0x7F;
    EXPECT_EQ(DataBreakReport(1, s, 0x00007FF6ABCDEF01, 0x12FF),
              "Data breakpoint 2 (at address 0x7ff612345678)\nfired at program position 0x7ff6abcdef01"
              "\nExpression: \"100%d\"\n\nOld value: 127 (0x7f)\nNew value: -1 (0xff)");
    s.size = 8;
    s.oldValue = 0x123456789A;
    std::string text = DataBreakReport(0, s, 1, 0xFFFFFFFFFFFFFFFF);
    EXPECT_NE(text.find("Old value: 78187493530 (0x123456789a)\nNew value: -1 (0xffffffffffffffff)"), std::string::npos)
        << text;
}

TEST(DataSlotCheck, RefusalsAndTheirTexts) {
    EXPECT_EQ(CheckDataSlot(I386(), 0x403010, 4), "");
    EXPECT_EQ(CheckDataSlot(I386(), 0x403012, 2), "");
    EXPECT_EQ(CheckDataSlot(Amd64(), 0x00007FF600001008, 8), "");
    EXPECT_EQ(CheckDataSlot(I386(), 0x403012, 4),
              "A data breakpoint on 4 bytes must be at an address that is a multiple of 4: 0x403012 is not");
    EXPECT_EQ(CheckDataSlot(Amd64(), 0x00007FF600001004, 8),
              "A data breakpoint on 8 bytes must be at an address that is a multiple of 8: 0x7ff600001004 is not");
    EXPECT_EQ(CheckDataSlot(I386(), 0x403010, 8), "A data breakpoint can watch 1, 2 or 4 bytes, not 8");
    EXPECT_EQ(CheckDataSlot(I386(), 0x403010, 3), "A data breakpoint can watch 1, 2 or 4 bytes, not 3");
    EXPECT_EQ(CheckDataSlot(Amd64(), 0x403010, 0), "A data breakpoint can watch 1, 2, 4 or 8 bytes, not 0");
    EXPECT_EQ(CheckDataSlot(I386(), 0, 4), "Incorrect address 0x0");
    EXPECT_EQ(CheckDataSlot(I386(), 0x100000000, 4),
              "Address 0x100000000 is outside the program's 32-bit address space");
    EXPECT_EQ(CheckDataSlot(Amd64(), 0x100000000, 4), "");
}

TEST(DataSlotValue, LittleEndianAtTheSlotsSize) {
    const std::vector<std::uint8_t> bytes = {0x78, 0x56, 0x34, 0x12, 0xF0, 0xDE, 0xBC, 0x9A, 0x55};
    EXPECT_EQ(SlotValue(bytes, 1), 0x78u);
    EXPECT_EQ(SlotValue(bytes, 2), 0x5678u);
    EXPECT_EQ(SlotValue(bytes, 4), 0x12345678u);
    EXPECT_EQ(SlotValue(bytes, 8), 0x9ABCDEF012345678u);
    EXPECT_EQ(SlotValue(Bytes(bytes).first(3), 4), 0u);  // a short read is no value
    EXPECT_EQ(SlotValue(bytes, 9), 0u);
}

TEST(WideFormat, IntegerConversionsGetTheLongLength) {
    EXPECT_EQ(WidenIntegerConversions("0x%x at %d, %u %i %o %X"), "0x%llx at %lld, %llu %lli %llo %llX");
    EXPECT_EQ(WidenIntegerConversions("%08X|%-5d|%+.3d|%#x"), "%08llX|%-5lld|%+.3lld|%#llx");
    EXPECT_EQ(WidenIntegerConversions("%s %c %3.1f 100%% %ld %lld"), "%s %c %3.1f 100%% %ld %lld");
    EXPECT_EQ(WidenIntegerConversions("ends in %"), "ends in %");
}

}  // namespace
}  // namespace tarvo::debugger
