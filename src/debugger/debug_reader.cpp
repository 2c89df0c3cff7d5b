#include "debugger/debug_reader.h"

#include <cstring>

#include "base/messages.h"
#include "debugger/debug_messages.h"
#include "debugger/reader_internal.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

constexpr std::size_t kDebugEntrySize = 28;
constexpr std::uint32_t kDebugTypeCodeView = 2;
constexpr std::uint16_t kSubsystemConsole = 3;

void ReadDebugDirectory(detail::ReadState& s) {
    Image& image = s.image;
    const PeHeaders& h = image.headers;
    if (h.directories.size() <= kDirectoryDebug) return;
    DataDirectory dir = h.directories[kDirectoryDebug];
    if (dir.address == 0 || dir.size < kDebugEntrySize) return;
    // Through the section that holds the directory, whichever it is.
    auto at = RvaToOffset(h, image.bytes, dir.address, dir.size - dir.size % kDebugEntrySize);
    if (!at) {
        ++s.damaged;
        return;
    }
    for (std::uint32_t i = 0; i < dir.size / kDebugEntrySize; ++i) {
        Bytes e = Slice(image.bytes, *at + kDebugEntrySize * i, kDebugEntrySize);
        DebugEntry d{Get<std::uint32_t>(e, 12), Get<std::uint32_t>(e, 16), Get<std::uint32_t>(e, 20),
                     Get<std::uint32_t>(e, 24)};
        image.debugEntries.push_back(d);
        if (d.type != kDebugTypeCodeView || d.size == 0 || image.codeView) continue;
        Bytes cv = Slice(image.bytes, d.pointer, d.size);
        if (cv.empty()) ++s.damaged;
        else detail::ReadCodeView(s, cv);
    }
}

void Summarise(Image& image) {
    const PeHeaders& h = image.headers;
    image.target = TargetOf(h.machine->machine);
    if (image.loadBase == 0) image.loadBase = h.imageBase;
    image.code.start = image.loadBase + h.baseOfCode;
    image.code.end = image.code.start + h.sizeOfCode;
    image.data.start = image.loadBase + h.baseOfData;
    image.data.end = image.data.start + h.sizeOfInitializedData + h.sizeOfUninitializedData;
    image.console = h.subsystem == kSubsystemConsole;
}

// Reads one image into a new image record; false (with the message shown) when it is none.
bool ReadImage(DebugInfo& info, ImageSource& source, bool full, bool attaching) {
    auto image = std::make_unique<Image>();
    image->name = std::move(source.name);
    image->content = std::move(source.content);
    image->loadBase = source.loadBase;
    image->bytes = Bytes(reinterpret_cast<const std::uint8_t*>(image->content.data.get()), image->content.size);
    if (!ReadPeHeaders(image->bytes, image->headers)) {
        base::ErrorBoxId(kMsgUnrecognizedFormat);
        return false;
    }
    Summarise(*image);
    if (full && (image->headers.symbolCount == 0 || image->headers.symbolTable == 0)) {
        if (attaching) base::ErrorBoxId(kMsgAttachNoDebugInfo);
        else base::ErrorBox(Printf(base::GetString(kMsgNoDebugInfo), image->name.c_str()));
        return false;
    }
    int number = static_cast<int>(info.images.size());
    std::size_t modulesBefore = info.modules.size();
    detail::ReadState s{info, *image, number};
    bool symbols = detail::ReadCoffSymbols(s);
    if (full && !symbols) {
        base::ErrorBox(Printf(base::GetString(kMsgNoDebugInfo), image->name.c_str()));
        return false;
    }
    ReadDebugDirectory(s);
    detail::ReadImports(s);
    detail::FindImportThunks(*image);
    if (s.damaged) base::ErrorBox(Printf(base::GetString(kMsgDamagedSubsections), image->name.c_str(), s.damaged));
    if (info.modules.size() == modulesBefore) image->firstModule = 0;
    info.images.push_back(std::move(image));
    return true;
}

}  // namespace

bool ReadImageFile(const std::string& path, std::uint64_t loadBase, ImageSource& out) {
    out.name = path;
    out.loadBase = loadBase;
    if (platform::ReadWholeFile(path, out.content) != platform::ReadStatus::Ok) {
        base::ErrorBoxId(kMsgCouldNotOpen);
        return false;
    }
    return true;
}

bool OpenExecutable(DebugInfo& info, ImageSource source, bool attaching) {
    info = DebugInfo{};
    info.modules.resize(1);  // module 0 is never used
    if (ReadImage(info, source, true, attaching)) return true;
    info = DebugInfo{};
    return false;
}

bool LoadDll(DebugInfo& info, ImageSource source, int& added) {
    added = 0;
    if (info.modules.empty()) info.modules.resize(1);
    std::size_t before = info.modules.size();
    if (!ReadImage(info, source, false, false)) return false;
    added = static_cast<int>(info.modules.size() - before);
    return true;
}

void ResolveImportAddresses(DebugInfo& info, const MemoryReader& read) {
    for (auto& image : info.images)
        for (Import& imp : image->imports) {
            if (imp.address) continue;
            std::uint64_t value = 0;
            unsigned size = image->target->pointerSize;
            if (!read(imp.slot, &value, size)) return;  // the walk stops at the first unreadable slot
            imp.address = size == 8 ? value : value & 0xFFFFFFFFu;
        }
}

DebugInfo& debugInfo() {
    static DebugInfo info;
    return info;
}

void ResetDebugInfo() { debugInfo() = DebugInfo{}; }

}  // namespace tarvo::debugger
