#include "debugger/name_table.h"

namespace tarvo::debugger {

std::uint32_t NameHash(std::string_view name) {
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    std::size_t words = name.size() / 4, rest = name.size() % 4;
    std::uint32_t tail = 0;
    for (std::size_t i = 0; i < rest; ++i) {
        tail |= p[name.size() - 1 - i] & 0xDFu;
        tail <<= 8;
    }
    std::uint32_t sum = 0;
    for (std::size_t w = 0; w < words; ++w) {
        std::uint32_t word = p[4 * w] | p[4 * w + 1] << 8 | p[4 * w + 2] << 16 | std::uint32_t(p[4 * w + 3]) << 24;
        sum ^= word & 0xDFDFDFDFu;
        sum = sum << 4 | sum >> 28;
    }
    return sum ^ tail;
}

void NameTable::Add(const NameEntry& e) {
    std::uint32_t bucket = NameHash(e.name) & (kNameBuckets - 1);
    if (heads.empty()) heads.assign(kNameBuckets, -1);
    entries.push_back(e);
    next.push_back(heads[bucket]);
    heads[bucket] = static_cast<std::int32_t>(entries.size() - 1);
}

const NameEntry* NameTable::Find(std::string_view name) const {
    if (heads.empty()) return nullptr;
    for (std::int32_t i = heads[NameHash(name) & (kNameBuckets - 1)]; i >= 0; i = next[i])
        if (entries[i].name == name) return &entries[i];
    return nullptr;
}

}  // namespace tarvo::debugger
