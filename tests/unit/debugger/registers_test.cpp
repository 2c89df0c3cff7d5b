// The register record against synthetic contexts of both machines: every field read from its
// documented place, writes that touch only the record's own bytes, and refusals of short blobs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "debugger/registers.h"

namespace tarvo::debugger {
namespace {

const Target& I386() { return *TargetOf(kMachineI386); }
const Target& Amd64() { return *TargetOf(kMachineAmd64); }

// No two neighbouring bytes alike: a field read from a wrong place or width shows.
std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 37 + 11 + i / 256);
    return b;
}

std::uint64_t Le(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t width) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v |= std::uint64_t(b[at + i]) << (8 * i);
    return v;
}

// The two context records as their documentation places them; widths of the i386 segment and
// x87 word fields are their 16 used bits.
struct Where {
    const Target& target;
    std::size_t word, ip, eflags, general[16], seg[6], dr[6], fp[2], st, stride;  // seg: cs ds es fs gs ss
};
const Where kI386 = {I386(), 4, 184, 192, {176, 172, 168, 164, 196, 180, 160, 156},
                     {188, 152, 148, 144, 140, 200}, {4, 8, 12, 16, 20, 24}, {28, 32}, 56, 10};
const Where kAmd64 = {Amd64(), 8, 0xF8, 0x44,
                      {0x78, 0x80, 0x88, 0x90, 0x98, 0xA0, 0xA8, 0xB0, 0xB8, 0xC0, 0xC8, 0xD0, 0xD8, 0xE0, 0xE8, 0xF0},
                      {0x38, 0x3A, 0x3C, 0x3E, 0x40, 0x42}, {0x48, 0x50, 0x58, 0x60, 0x68, 0x70}, {0x100, 0x102}, 0x120, 16};

TEST(ContextDecode, EveryFieldComesFromItsPlaceOnBothMachines) {
    for (const Where& w : {kI386, kAmd64}) {
        SCOPED_TRACE(w.target.name);
        auto blob = Pattern(ContextSize(w.target));
        Registers r;
        ASSERT_TRUE(DecodeContext(w.target, blob, r));
        EXPECT_EQ(r.ip, Le(blob, w.ip, w.word));
        EXPECT_EQ(r.flags, Le(blob, w.eflags, 4));
        for (int i = 0; i < 16; ++i) EXPECT_EQ(r.general[i], w.general[i] ? Le(blob, w.general[i], w.word) : 0) << i;
        const std::uint16_t seg[] = {r.cs, r.ds, r.es, r.fs, r.gs, r.ss};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(seg[i], Le(blob, w.seg[i], 2)) << "segment " << i;
        const std::uint64_t dr[] = {r.dr[0], r.dr[1], r.dr[2], r.dr[3], r.dr6, r.dr7};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(dr[i], Le(blob, w.dr[i], w.word)) << "debug register " << i;
        EXPECT_EQ(r.fpControl, Le(blob, w.fp[0], 2));
        EXPECT_EQ(r.fpStatus, Le(blob, w.fp[1], 2));
        for (int i = 0; i < 8; ++i) EXPECT_EQ(0, std::memcmp(r.st[i], &blob[w.st + i * w.stride], 10)) << "st" << i;
    }
    auto blob = Pattern(716);
    Registers r;
    ASSERT_TRUE(DecodeContext(I386(), blob, r));
    EXPECT_EQ(r.fpTag, Le(blob, 36, 2));
    blob = Pattern(0x4D0);
    blob[0x104] = 0x05;  // the save area's abridged tag: registers 0 and 2 in use
    ASSERT_TRUE(DecodeContext(Amd64(), blob, r));
    EXPECT_EQ(r.fpTag, 0xFFCC);
}

TEST(ContextTags, MappingBetweenAbridgedAndFullTags) {
    EXPECT_EQ(FullTagWord(0x00), 0xFFFF);
    EXPECT_EQ(FullTagWord(0xFF), 0x0000);
    EXPECT_EQ(FullTagWord(0x80), 0x3FFF);
    EXPECT_EQ(AbridgedTag(0xFFF9), 0x03);  // special (10) and zero (01) registers are in use
    for (unsigned b = 0; b < 256; ++b) EXPECT_EQ(AbridgedTag(FullTagWord(static_cast<std::uint8_t>(b))), b);
}

// Decodes, changes fields, encodes into the same blob: only the changed fields' bytes move,
// and an unchanged record writes back the very same blob (the unused halves of i386's 32-bit
// segment and x87 fields included).
TEST(ContextEncode, WritesOnlyTheChangedFieldsBytes) {
    for (const Where& w : {kI386, kAmd64}) {
        SCOPED_TRACE(w.target.name);
        const auto before = Pattern(ContextSize(w.target));
        auto blob = before;
        Registers r;
        ASSERT_TRUE(DecodeContext(w.target, blob, r));
        ASSERT_TRUE(EncodeContext(w.target, r, blob));
        EXPECT_EQ(blob, before);

        struct Change { std::size_t offset, width; std::uint64_t value; };
        const std::uint64_t big = w.word == 8 ? 0x00007FF612345678 : 0x00401234;
        std::vector<Change> changes = {{w.ip, w.word, big}, {w.general[kSp], w.word, big - 0x100},
                                       {w.dr[5], w.word, 0x000D0001}, {w.eflags, 4, 0x346},
                                       {w.seg[0], 2, 0x1B}, {w.st + 3 * w.stride, 8, 0x1122334455667788}};
        r.ip = big, r.general[kSp] = big - 0x100, r.dr7 = 0x000D0001, r.flags = 0x346, r.cs = 0x1B;
        for (int i = 0; i < 8; ++i) r.st[3][i] = static_cast<std::uint8_t>(0x88 - 0x11 * i);
        if (w.word == 8) {
            r.general[kR15] = 0x0F0F0F0F0F0F0F0F, r.fpTag = FullTagWord(0x81);
            changes.insert(changes.end(), {{w.general[kR15], 8, 0x0F0F0F0F0F0F0F0F}, {0x104, 1, 0x81}});
        } else {
            r.general[kR15] = 5;  // no such register: nothing written
            r.fpTag = 0x0FF0, changes.push_back({36, 2, 0x0FF0});
        }
        ASSERT_TRUE(EncodeContext(w.target, r, blob));
        std::vector<bool> written(blob.size());
        for (const Change& c : changes) {
            EXPECT_EQ(Le(blob, c.offset, c.width), c.value) << "at " << c.offset;
            for (std::size_t i = 0; i < c.width; ++i) written[c.offset + i] = true;
        }
        for (std::size_t i = 0; i < blob.size(); ++i)
            if (!written[i]) { EXPECT_EQ(blob[i], before[i]) << "byte " << i << " changed"; }
    }
}

TEST(ContextEncode, RecordRoundTripKeepsWhatTheMachineHolds) {
    Registers r;
    r.ip = 0x00007FF612345678, r.flags = 0x10346, r.dr7 = 0xB53D0055, r.fpTag = 0x0FFF;
    for (int i = 0; i < 16; ++i) r.general[i] = 0x0101010101010101ull * (i + 1);
    r.cs = 0x33, r.ss = 0x29;
    for (int i = 0; i < 4; ++i) r.dr[i] = 0x00007FF600001000ull + 8 * i;
    for (int i = 0; i < 80; ++i) r.st[i / 10][i % 10] = static_cast<std::uint8_t>(i + 1);
    Registers back;
    std::vector<std::uint8_t> wide(0x4D0), narrow(716);
    ASSERT_TRUE(EncodeContext(Amd64(), r, wide));
    ASSERT_TRUE(DecodeContext(Amd64(), wide, back));
    EXPECT_EQ(back.ip, r.ip);
    EXPECT_EQ(back.general[kR15], r.general[kR15]);
    EXPECT_EQ(back.dr[3], r.dr[3]);
    EXPECT_EQ(back.fpTag, r.fpTag);
    EXPECT_EQ(std::memcmp(back.st, r.st, sizeof r.st), 0);
    // i386 keeps 32 bits of each register and has no r8-r15.
    ASSERT_TRUE(EncodeContext(I386(), r, narrow));
    ASSERT_TRUE(DecodeContext(I386(), narrow, back));
    EXPECT_EQ(back.ip, 0x12345678u);
    EXPECT_EQ(back.Ax(), 0x01010101u);
    EXPECT_EQ(back.general[kR8], 0u);
    EXPECT_EQ(back.dr[2], 0x00001010u);
    EXPECT_EQ(back.flags, r.flags);
    EXPECT_EQ(back.ss, 0x29);
    EXPECT_EQ(std::memcmp(back.st, r.st, sizeof r.st), 0);
}

TEST(ContextBlobs, ShortBlobsAreRefusedAndLeftAlone) {
    for (const Target* t : {&I386(), &Amd64()}) {
        auto blob = Pattern(ContextSize(*t) - 1);
        const auto before = blob;
        Registers r;
        r.ip = 42;
        EXPECT_FALSE(DecodeContext(*t, blob, r)) << t->name;
        EXPECT_EQ(r.ip, 42u);
        EXPECT_FALSE(EncodeContext(*t, r, blob)) << t->name;
        EXPECT_EQ(blob, before);
    }
    Registers r;
    auto saved = Pattern(kI386SavedContextSize);
    ASSERT_TRUE(DecodeI386SavedContext(saved, r));
    EXPECT_EQ(r.ip, Le(saved, 184, 4));
    EXPECT_EQ(r.Sp(), Le(saved, 196, 4));
    saved.pop_back();
    r.ip = 7;
    EXPECT_FALSE(DecodeI386SavedContext(saved, r));
    EXPECT_EQ(r.ip, 7u);
}

TEST(ContextBlobs, SizesAndFlags) {
    EXPECT_EQ(ContextSize(I386()), 716u);
    EXPECT_EQ(ContextSize(Amd64()), 1232u);
    EXPECT_EQ(ContextFlags(I386(), kControl | kInteger | kSegments | kFloating | kDebug), 0x1001Fu);
    EXPECT_EQ(ContextFlags(I386(), kDebug), 0x10010u);
    EXPECT_EQ(ContextFlags(Amd64(), kControl), 0x100001u);
    EXPECT_EQ(ContextFlags(I386(), 0x10020 | kControl), 0x10001u);  // parts not ours are dropped
    for (auto [target, at, value] : {std::tuple{&I386(), 0u, 0x10011u}, std::tuple{&Amd64(), 0x30u, 0x100011u}}) {
        const auto before = Pattern(ContextSize(*target));
        auto blob = before;
        SetContextFlags(*target, blob, kControl | kDebug);
        EXPECT_EQ(Le(blob, at, 4), value);
        for (std::size_t i = 0; i < blob.size(); ++i)
            if (i < at || i >= at + 4) { ASSERT_EQ(blob[i], before[i]) << target->name << " byte " << i; }
    }
}

}  // namespace
}  // namespace tarvo::debugger
