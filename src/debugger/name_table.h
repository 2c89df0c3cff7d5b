// The name tables: 1024 buckets chosen by the debug information's own name hash; a new entry
// goes to the front of its bucket, and names compare exactly.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvo::debugger {

inline constexpr std::uint32_t kNameBuckets = 1024;

// The hash of the debug information: letters without case, trailing bytes and whole words
// folded separately.
std::uint32_t NameHash(std::string_view name);

struct NameEntry {
    std::string_view name;      // in place in the image's bytes
    std::uint16_t type = 0;     // type index; for functions the procedure kind
    std::uint64_t value = 0;    // address or number
    std::string_view text;      // the value of a text constant
    int function = -1;          // index in the module's function list, for functions
    int module = 0;             // module of a function
};

struct NameTable {
    std::vector<NameEntry> entries;
    std::vector<std::int32_t> next;       // per entry: the next entry of its bucket, -1 ends
    std::vector<std::int32_t> heads;      // kNameBuckets heads, made on first use
    void Add(const NameEntry& e);
    void Reserve(std::size_t n) {
        entries.reserve(n);
        next.reserve(n);
    }
    // The newest entry of that name, or null.
    const NameEntry* Find(std::string_view name) const;
    bool Empty() const { return entries.empty(); }
};

}  // namespace tarvo::debugger
