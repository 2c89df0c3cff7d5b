// Adding the converted debug information to a linked image (see codeview_core.h).
#include <algorithm>

#include "codeview_core.h"
#include "debugger/codeview_records.h"
#include "binary/pe_image.h"

namespace tarvo::testbed {
namespace {

using binary::Get;
namespace cv4 = debugger::cv4;

constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kDebugCharacteristics = 0x42000040;  // initialised data, discardable, readable

std::uint32_t AlignUp(std::uint64_t v, std::uint32_t a) { return static_cast<std::uint32_t>(a ? (v + a - 1) / a * a : v); }

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v), b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { Put16(b, at, v), Put16(b, at + 2, v >> 16); }

}  // namespace

bool AddDebugSection(std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& cv, std::string& problem) {
    binary::Bytes file(image);
    binary::PeHeaders h;
    if (!binary::ReadPeHeaders(file, h)) {
        problem = "the output is not an image of a known machine";
        return false;
    }
    std::size_t nt = Get<std::uint32_t>(file, 0x3C), coff = nt + 4, opt = coff + 20;
    std::size_t table = opt + Get<std::uint16_t>(file, coff + 16);
    bool plus = h.machine->optionalMagic == 0x20B;
    std::size_t directories = opt + (plus ? 112 : 96);
    std::uint32_t sectionAlign = Get<std::uint32_t>(file, opt + 32), fileAlign = Get<std::uint32_t>(file, opt + 36);
    std::uint32_t headers = Get<std::uint32_t>(file, opt + 60);
    if (h.directories.size() <= debugger::kDirectoryDebug) {
        problem = "the image has no debug directory entry in its header";
        return false;
    }
    // The new section header must fit before the first section's data, on bytes nobody uses.
    std::size_t newHeader = table + h.sections.size() * kSectionHeaderSize;
    std::uint64_t firstData = headers;
    for (const debugger::Section& s : h.sections)
        if (s.rawPointer && s.rawSize) firstData = std::min<std::uint64_t>(firstData, s.rawPointer);
    if (newHeader + kSectionHeaderSize > firstData || newHeader + kSectionHeaderSize > image.size() ||
        std::any_of(image.begin() + newHeader, image.begin() + newHeader + kSectionHeaderSize, [](std::uint8_t b) { return b; })) {
        problem = "the image's headers have no room for another section";
        return false;
    }
    // Entries of an old debug directory, other than CodeView, are kept.
    std::vector<std::uint8_t> content;
    debugger::DataDirectory old = h.directories[debugger::kDirectoryDebug];
    if (old.address && old.size) {
        if (auto at = debugger::RvaToOffset(h, file, old.address, old.size))
            for (std::uint32_t e = 0; e + cv4::kDebugEntrySize <= old.size; e += cv4::kDebugEntrySize)
                if (Get<std::uint32_t>(file, *at + e + 12) != cv4::kDebugTypeCodeView)
                    content.insert(content.end(), image.begin() + *at + e, image.begin() + *at + e + cv4::kDebugEntrySize);
    }
    std::uint32_t virtualEnd = 0;
    for (const debugger::Section& s : h.sections)
        virtualEnd = std::max(virtualEnd, s.virtualAddress + std::max(s.virtualSize, s.rawSize));
    std::uint32_t rva = AlignUp(virtualEnd, sectionAlign);
    std::uint32_t raw = AlignUp(image.size(), fileAlign);
    std::uint32_t directorySize = static_cast<std::uint32_t>(content.size() + cv4::kDebugEntrySize);
    std::uint32_t cvAt = AlignUp(directorySize, 4);
    std::size_t entry = content.size();
    content.resize(cvAt, 0);
    Put32(content, entry + 4, Get<std::uint32_t>(file, coff + 4));  // the image's time stamp
    Put32(content, entry + 12, cv4::kDebugTypeCodeView);
    Put32(content, entry + 16, static_cast<std::uint32_t>(cv.size()));
    Put32(content, entry + 20, rva + cvAt);
    Put32(content, entry + 24, raw + cvAt);
    content.insert(content.end(), cv.begin(), cv.end());
    std::uint32_t rawSize = AlignUp(content.size(), fileAlign);

    std::uint8_t header[kSectionHeaderSize] = {'.', 'd', 'e', 'b', 'u', 'g'};
    std::vector<std::uint8_t> fields(header, header + kSectionHeaderSize);
    Put32(fields, 8, static_cast<std::uint32_t>(content.size()));
    Put32(fields, 12, rva);
    Put32(fields, 16, rawSize);
    Put32(fields, 20, raw);
    Put32(fields, 36, kDebugCharacteristics);
    std::copy(fields.begin(), fields.end(), image.begin() + newHeader);
    Put16(image, coff + 2, static_cast<std::uint32_t>(h.sections.size() + 1));
    Put32(image, opt + 8, h.sizeOfInitializedData + rawSize);
    Put32(image, opt + 56, AlignUp(std::uint64_t(rva) + content.size(), sectionAlign));
    Put32(image, directories + 8 * debugger::kDirectoryDebug, rva);
    Put32(image, directories + 8 * debugger::kDirectoryDebug + 4, directorySize);
    image.resize(raw, 0);
    image.insert(image.end(), content.begin(), content.end());
    image.resize(std::size_t(raw) + rawSize, 0);
    Put32(image, opt + 64, PeChecksum(image));
    return true;
}

std::size_t ChecksumField(const std::vector<std::uint8_t>& image) {
    return std::size_t(Get<std::uint32_t>(binary::Bytes(image), 0x3C)) + 4 + 20 + 64;
}

std::uint32_t PeChecksum(const std::vector<std::uint8_t>& b) {
    std::size_t field = ChecksumField(b);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < b.size(); i += 2) {
        if (i >= field && i < field + 4) continue;
        sum += b[i] | (i + 1 < b.size() ? b[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + b.size());
}

bool AddCodeViewToImage(std::vector<std::uint8_t>& image, const std::vector<LinkedObject>& objects, const std::string& mapText,
                        const PathMapping& sourceName, CodeViewReport& report) {
    binary::PeHeaders h;
    if (!binary::ReadPeHeaders(binary::Bytes(image), h)) {
        report.problem = "the output is not an image of a known machine";
        return false;
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sections;
    for (const debugger::Section& s : h.sections) sections.emplace_back(s.virtualAddress, std::max(s.virtualSize, s.rawSize));
    std::vector<std::uint8_t> cv =
        BuildCodeView(h.machine->machine, h.imageBase, sections, objects, ReadLinkMap(mapText), sourceName, report);
    if (cv.empty()) return true;
    return AddDebugSection(image, cv, report.problem);
}

}  // namespace tarvo::testbed
