#include "binary/pe_image.h"

#include <algorithm>
#include <cctype>

namespace tarvo::binary {
namespace {

constexpr std::uint32_t kPeSignature = 0x4550;  // "PE\0\0"

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

bool ReadPeHeaders(Bytes file, PeHeaders& out) {
    out = PeHeaders{};
    if (Get<std::uint16_t>(file, 0) != 0x5A4D) return false;  // "MZ"
    std::uint32_t nt = 0;
    if (!Read(file, 0x3C, nt) || Get<std::uint32_t>(file, nt) != kPeSignature) return false;
    CoffHeader coff;
    if (!ReadCoffHeader(file, std::uint64_t(nt) + 4, coff) || !coff.machine) return false;
    out.machine = coff.machine;
    out.symbolTable = coff.symbolTable;
    out.symbolCount = coff.symbolCount;
    std::uint16_t optionalSize = coff.optionalSize;
    Bytes opt = Slice(file, coff.at + kCoffHeaderSize, optionalSize);
    bool plus = out.machine->optionalMagic == 0x20B;
    // The fixed part up to the directory count must be there, with the machine's own magic.
    std::size_t fixed = plus ? 112 : 96;
    if (opt.size() < fixed || Get<std::uint16_t>(opt, 0) != out.machine->optionalMagic) return false;
    out.sizeOfCode = Get<std::uint32_t>(opt, 4);
    out.sizeOfInitializedData = Get<std::uint32_t>(opt, 8);
    out.sizeOfUninitializedData = Get<std::uint32_t>(opt, 12);
    out.entryPoint = Get<std::uint32_t>(opt, 16);
    out.baseOfCode = Get<std::uint32_t>(opt, 20);
    if (plus) {
        out.imageBase = Get<std::uint64_t>(opt, 24);
    } else {
        out.baseOfData = Get<std::uint32_t>(opt, 24);
        out.imageBase = Get<std::uint32_t>(opt, 28);
    }
    out.sizeOfImage = Get<std::uint32_t>(opt, 56);
    out.subsystem = Get<std::uint16_t>(opt, 68);
    std::uint32_t dirCount = Get<std::uint32_t>(opt, fixed - 4);
    dirCount = std::min<std::uint32_t>(dirCount, static_cast<std::uint32_t>((opt.size() - fixed) / 8));
    for (std::uint32_t i = 0; i < dirCount; ++i)
        out.directories.push_back({Get<std::uint32_t>(opt, fixed + 8 * i), Get<std::uint32_t>(opt, fixed + 8 * i + 4)});
    // The section headers follow the optional header, whatever its size.
    CoffFault fault = CoffFault::None;
    return ReadSections(file, coff, StringTableOf(file, coff, fault), out.sections, fault);
}

const Section* SectionOfRva(const PeHeaders& h, std::uint64_t rva) {
    for (const Section& s : h.sections) {
        std::uint64_t size = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva < std::uint64_t(s.virtualAddress) + size) return &s;
    }
    return nullptr;
}

const Section* SectionNumber(const PeHeaders& h, std::uint64_t number) {
    return number >= 1 && number <= h.sections.size() ? &h.sections[number - 1] : nullptr;
}

const Section* SectionNamed(const PeHeaders& h, std::string_view name) {
    for (const Section& s : h.sections)
        if (EqualNoCase(s.name, name)) return &s;
    return nullptr;
}

std::optional<std::uint64_t> RvaToOffset(const PeHeaders& h, Bytes file, std::uint64_t rva, std::uint64_t size) {
    const Section* s = SectionOfRva(h, rva);
    if (!s) return std::nullopt;
    std::uint64_t within = rva - s->virtualAddress;
    if (within > s->rawSize || size > s->rawSize - within) return std::nullopt;
    std::uint64_t offset = std::uint64_t(s->rawPointer) + within;
    if (!Fits(file, offset, size)) return std::nullopt;
    return offset;
}

}  // namespace tarvo::binary
