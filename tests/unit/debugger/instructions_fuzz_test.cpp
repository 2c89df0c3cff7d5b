// Random instruction bytes for both machines, cut at every length (fixed seed, bounded work):
// the decoder never claims more bytes than it was given, says Truncated exactly while the
// bytes fall short of what it decodes whole, and decodes the same once they suffice. Each cut
// is copied to a buffer of its own size, so the sanitizer build sees any read past it.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "debugger/instructions.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

// Mostly the bytes the decoder looks at, so that deep forms come up often.
const std::uint8_t kBytes[] = {0x66, 0x67, 0xF2, 0xF3, 0xF0, 0x2E, 0x3E, 0x64, 0x65, 0x40, 0x41, 0x43, 0x48,
                               0x4F, 0xCC, 0xCD, 0xE0, 0xE2, 0xE8, 0x9A, 0xFF, 0xA4, 0xA5, 0xAE, 0x14,
                               0x15, 0x24, 0x25, 0x55, 0x94, 0x9C, 0xD0, 0xD8, 0x1C, 0x5D, 0x8D};

auto Fields(const Instruction& i) {
    return std::tuple(i.kind, i.length, i.far, i.indirect, i.target, i.memory, i.base, i.index, i.scale,
                      i.displacement, i.addressSize, i.operandSize, i.foreignSegment);
}

TEST(InstructionsFuzz, RandomBytesAtEveryCut) {
    std::mt19937 rng(20261207);
    test::FakeMemory mem;
    for (std::uint64_t a = 0; a < 0x100; ++a) mem.bytes[0x401000 + a] = static_cast<std::uint8_t>(rng());
    int calls = 0, truncated = 0;
    for (int n = 0; n < 12000; ++n) {
        const Target& target = *TargetOf(n % 2 ? kMachineAmd64 : kMachineI386);
        std::vector<std::uint8_t> bytes(1 + rng() % 18);
        for (auto& b : bytes) b = rng() % 3 ? kBytes[rng() % std::size(kBytes)] : static_cast<std::uint8_t>(rng());
        const std::uint64_t address = rng() % 4 ? 0x401000 + rng() % 0x100 : (std::uint64_t(rng()) << 32) | rng();
        const Instruction whole = DecodeInstruction(target, bytes, address);
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            auto part = std::make_unique<std::uint8_t[]>(cut);  // exactly `cut` bytes
            std::copy_n(bytes.begin(), cut, part.get());
            const Instruction in = DecodeInstruction(target, Bytes(part.get(), cut), address);
            ASSERT_LE(in.length, cut);
            if (whole.kind == InstructionKind::Truncated || cut < whole.length) {
                ASSERT_EQ(in.kind, InstructionKind::Truncated) << n << " cut " << cut;
                ++truncated;
            } else if (whole.kind == InstructionKind::Other) {
                ASSERT_TRUE(in.kind == InstructionKind::Other || in.kind == InstructionKind::Truncated);
            } else {
                ASSERT_EQ(Fields(in), Fields(whole)) << n << " cut " << cut;
            }
        }
        if (whole.kind == InstructionKind::Call) {
            Registers regs;
            for (auto& g : regs.general) g = rng() % 2 ? 0x401000 + rng() % 0x100 : rng();
            auto to = CallTarget(target, whole, regs, mem.Reader());
            if (whole.far) {
                ASSERT_FALSE(to);
            } else if (!whole.indirect) {
                ASSERT_EQ(to, whole.target);
            }
            ++calls;
        }
    }
    EXPECT_GT(calls, 250);
    EXPECT_GT(truncated, 4000);
}

}  // namespace
}  // namespace tarvo::debugger
