// Random damage to the bytes of a file, for the fuzz tests of the binary readers: flipped bits,
// random bytes, boundary values written as 32-bit words, and cut tails.
#pragma once
#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

namespace tarvo::test {

// Damage falls at or after `from` (where the part worth damaging starts).
inline void Damage(std::vector<std::uint8_t>& b, std::mt19937& rng, std::size_t from = 0) {
    static const std::uint32_t kValues[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF};
    int changes = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < changes && b.size() > from; ++i) {
        std::size_t at = from + rng() % (b.size() - from);
        switch (rng() % 4) {
        case 0: b[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
        case 1: b[at] = static_cast<std::uint8_t>(rng()); break;
        case 2: {
            std::uint32_t v = kValues[rng() % std::size(kValues)];
            for (std::size_t k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
            break;
        }
        default: b.resize(at + (b.size() - at) / 2); break;
        }
    }
}

}  // namespace tarvo::test
