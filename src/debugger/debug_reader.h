// Reading the debug information of the executable and of each DLL into the tables.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "debugger/debug_info.h"
#include "platform/files.h"

namespace tarvo::debugger {

// A load base of 0 means the image's preferred base.
struct ImageSource {
    std::string name;
    platform::FileContent content;
    std::uint64_t loadBase = 0;
};

// The executable, read in full (debug directory, imports, COFF symbols). Fails with its message
// for a file that is not an image ("Unrecognized file format") or has no COFF symbols. Replaces
// whatever the tables held.
bool OpenExecutable(DebugInfo& info, ImageSource source, bool attaching);
// A DLL: its modules come after those there are; it needs no COFF symbols. False when it is
// not an image. `added` says how many modules it brought.
bool LoadDll(DebugInfo& info, ImageSource source, int& added);
// Reads the file into a source; "Couldn't open file" when it cannot be read.
bool ReadImageFile(const std::string& path, std::uint64_t loadBase, ImageSource& out);

// Reads `size` bytes of debuggee memory; false when they cannot be read.
using MemoryReader = std::function<bool(std::uint64_t address, void* data, std::size_t size)>;
// Replaces each import's slot by the function's address read from the debuggee's slot.
void ResolveImportAddresses(DebugInfo& info, const MemoryReader& read);

}  // namespace tarvo::debugger
