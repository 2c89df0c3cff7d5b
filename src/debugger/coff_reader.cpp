// The COFF symbol table and its string table, and the import directory.
#include <algorithm>
#include <unordered_map>

#include "base/messages.h"
#include "debugger/debug_messages.h"
#include "debugger/reader_internal.h"
#include "platform/text.h"

namespace tarvo::debugger::detail {
namespace {

constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kMostImports = 65536;  // a bound for a walk the file could make endless
constexpr std::size_t kLongestName = 4096;

// The cross linker writes values relative to their section, other linkers relative to the
// image: when every value of a section symbol lies inside its section as an image-relative
// address, they are read that way, else as section-relative.
bool ValuesAreImageRelative(const Image& image) {
    bool any = false;
    for (const CoffSymbol& c : image.coff) {
        const Section* s = SectionNumber(image.headers, c.section > 0 ? c.section : 0);
        if (!s) continue;
        any = true;
        std::uint64_t end = std::uint64_t(s->virtualAddress) + std::max(s->virtualSize, s->rawSize);
        if (c.value < s->virtualAddress || c.value > end) return false;
    }
    return any;
}

}  // namespace

std::optional<std::uint64_t> SectionAddress(const Image& image, std::uint32_t section, std::uint32_t offset) {
    const Section* s = SectionNumber(image.headers, section);
    if (!s) return std::nullopt;
    return image.loadBase + s->virtualAddress + offset;
}

bool ReadCoffSymbols(ReadState& s) {
    Image& image = s.image;
    const PeHeaders& h = image.headers;
    if (h.symbolTable == 0 || h.symbolCount == 0) return false;
    binary::CoffHeader coff;
    coff.symbolTable = h.symbolTable;
    coff.symbolCount = h.symbolCount;
    binary::CoffFault fault = binary::CoffFault::None;
    Bytes strings = binary::StringTableOf(image.bytes, coff, fault);
    if (fault == binary::CoffFault::BadStringTable) base::ErrorBoxId(kMsgBadStringTable);  // long names are lost
    std::vector<binary::Symbol> symbols;
    std::size_t badNames = 0;
    if (!binary::ReadSymbols(image.bytes, coff, strings, symbols, fault, badNames)) {
        ++s.damaged;
        if (fault == binary::CoffFault::SymbolsPastEnd) return false;
    }
    for (const binary::Symbol& sym : symbols) {
        CoffSymbol c;
        c.name = sym.name;
        c.value = sym.value;
        c.section = sym.section;
        c.type = sym.type;
        c.storageClass = sym.storageClass;
        image.coff.push_back(c);
    }
    bool imageRelative = ValuesAreImageRelative(image);
    for (CoffSymbol& c : image.coff) {
        const Section* sec = SectionNumber(h, c.section > 0 ? c.section : 0);
        if (sec) c.address = image.loadBase + c.value + (imageRelative ? 0 : sec->virtualAddress);
    }
    return true;
}

namespace {

// A zero-terminated name at an address, within its section.
std::string_view NameAt(const Image& image, std::uint64_t rva) {
    auto at = RvaToOffset(image.headers, image.bytes, rva, 1);
    const Section* s = SectionOfRva(image.headers, rva);
    std::string_view name;
    if (!at || !s) return {};
    Bytes rest = Slice(image.bytes, *at, std::uint64_t(s->rawPointer) + s->rawSize - *at);
    ReadZeroName(rest, 0, kLongestName, name);
    return name;
}

void ReadImportFunctions(ReadState& s, std::string_view dll, std::uint32_t lookup, std::uint32_t slots) {
    Image& image = s.image;
    unsigned size = image.target->pointerSize;
    std::uint64_t ordinalFlag = std::uint64_t(1) << (8 * size - 1);
    for (std::uint64_t i = 0; image.imports.size() < kMostImports; ++i) {
        auto at = RvaToOffset(image.headers, image.bytes, lookup + size * i, size);
        if (!at) {
            ++s.damaged;
            return;
        }
        std::uint64_t value = size == 8 ? Get<std::uint64_t>(image.bytes, *at) : Get<std::uint32_t>(image.bytes, *at);
        if (value == 0) return;
        if (value & ordinalFlag) continue;  // by ordinal: no name to show, the slot is still there
        std::string_view name = NameAt(image, (value & 0x7FFFFFFF) + 2);
        if (name.empty()) {
            ++s.damaged;
            return;
        }
        image.imports.push_back({dll, name, image.loadBase + slots + size * i, 0, 0});
    }
}

}  // namespace

void ReadImports(ReadState& s) {
    Image& image = s.image;
    const PeHeaders& h = image.headers;
    DataDirectory dir = h.directories.size() > kDirectoryImport ? h.directories[kDirectoryImport] : DataDirectory{};
    if (dir.address == 0) {
        const Section* idata = SectionNamed(h, ".idata");
        if (!idata) return;
        dir = {idata->virtualAddress, idata->rawSize};
    }
    std::uint64_t count = dir.size ? dir.size / kImportDescriptorSize : kMostImports;
    for (std::uint64_t i = 0; i < count && image.imports.size() < kMostImports; ++i) {
        auto at = RvaToOffset(h, image.bytes, dir.address + kImportDescriptorSize * i, kImportDescriptorSize);
        if (!at) {
            ++s.damaged;
            return;
        }
        Bytes d = Slice(image.bytes, *at, kImportDescriptorSize);
        std::uint32_t lookup = Get<std::uint32_t>(d, 0), stamp = Get<std::uint32_t>(d, 4);
        std::uint32_t nameRva = Get<std::uint32_t>(d, 12), slots = Get<std::uint32_t>(d, 16);
        if ((stamp == 0 && nameRva == 0) || slots == 0) return;
        std::string_view dll = NameAt(image, nameRva);
        if (dll.empty()) {
            ++s.damaged;
            continue;
        }
        ReadImportFunctions(s, dll, lookup ? lookup : slots, slots);
    }
}

void FindImportThunks(Image& image) {
    std::unordered_multimap<std::string_view, Import*> byName;
    for (Import& imp : image.imports) byName.emplace(imp.function, &imp);
    for (const CoffSymbol& c : image.coff) {
        const Section* sec = SectionNumber(image.headers, c.section > 0 ? c.section : 0);
        if (!sec || !sec->IsCode() || c.address == 0) continue;
        // Only a code symbol whose bytes jump through the import's own slot is its thunk.
        std::string_view name = UndecoratedName(*image.target, c.name);
        auto [first, last] = byName.equal_range(name);
        if (first == last) continue;
        auto at = RvaToOffset(image.headers, image.bytes, c.address - image.loadBase, 6);
        if (!at) continue;
        auto slot = image.target->thunkSlot(Slice(image.bytes, *at, 6), c.address, image.loadBase - image.headers.imageBase);
        for (auto it = first; slot && it != last; ++it)
            if (it->second->slot == *slot && it->second->thunk == 0) it->second->thunk = c.address;
    }
}

}  // namespace tarvo::debugger::detail
