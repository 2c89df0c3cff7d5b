// Shared by the parts of the reader; not for the rest of the debugger.
#pragma once
#include <cstdint>
#include <optional>

#include "debugger/debug_info.h"

namespace tarvo::debugger::detail {

// What one read of an image met.
struct ReadState {
    DebugInfo& info;
    Image& image;
    int imageNumber = 0;
    int damaged = 0;              // parts skipped because they do not fit or make no sense
    bool indexReported = false;   // "Incorrect module index" is shown once per image
};

// Absolute address of an offset in a 1-based section; none for a section the image lacks.
std::optional<std::uint64_t> SectionAddress(const Image& image, std::uint32_t section, std::uint32_t offset);

// Each reads its part into the image (and the module table) and counts what it had to skip.
void ReadCodeView(ReadState& s, Bytes cv);
// The records of the symbol subsections the reading kept: the image's name tables, and one
// module's symbols. Each counts what it had to skip.
ImageNames DecodeNames(const Image& image, int& damaged);
ModuleSymbols DecodeModule(const Image& image, int number, int& damaged);
bool ReadCoffSymbols(ReadState& s);
void ReadImports(ReadState& s);
void FindImportThunks(Image& image);

}  // namespace tarvo::debugger::detail
