// Helpers for the debugger's tests: images made by the builder, read from memory.
#pragma once
#include <cstring>
#include <string>

#include "debugger/debug_reader.h"
#include "pe_builder.h"

namespace tarvo::test {

inline debugger::ImageSource SourceOf(const std::string& name, const ByteVec& bytes, std::uint64_t loadBase = 0) {
    debugger::ImageSource s;
    s.name = name;
    s.loadBase = loadBase;
    s.content.size = bytes.size();
    s.content.data = platform::AllocateLarge(bytes.size() + 1);
    if (!bytes.empty()) std::memcpy(s.content.data.get(), bytes.data(), bytes.size());
    return s;
}

}  // namespace tarvo::test
