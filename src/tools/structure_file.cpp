#include "tools/structure_file.h"

#include <algorithm>
#include <cfenv>
#include <cstring>

#include "base/messages.h"
#include "platform/text.h"
#include "tools/binary_view.h"
#include "tools/binary_view_messages.h"

namespace tarvo::tools {
namespace {

constexpr int kTypeSizes[kFieldTypeCount] = {1, 1, 2, 2, 4, 4, 4, 8, 0, 0, 2, 4, 4};
constexpr std::size_t kAsciiZLimit = 256;

bool NoControl(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
}

// A decimal number of at most 9 digits (so it cannot overflow); false for anything else.
bool ReadNumber(std::string_view& text, int& value) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    if (n == 0 || n > 9) return false;
    value = 0;
    for (std::size_t i = 0; i < n; ++i) value = value * 10 + (text[i] - '0');
    text.remove_prefix(n);
    return true;
}

std::string_view NextLine(std::string_view text, std::size_t& at) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end < text.size() ? end + 1 : end;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Bounded reads of a file through a window of its bytes, so small elements read one by one
// cost few reads and none reaches past the end.
struct ByteWindow {
    platform::ReadHandle& file;
    std::uint64_t start = 0;
    std::vector<std::uint8_t> bytes;
    bool failed = false;

    // Up to `n` bytes at `offset` (fewer at the end of the file, none past it); null after a
    // read error.
    const std::uint8_t* Get(std::uint64_t offset, std::size_t n, std::size_t& available) {
        static const std::uint8_t kNothing = 0;
        available = 0;
        if (failed) return nullptr;
        if (offset >= file.size) return &kNothing;
        const std::uint64_t wanted = std::min<std::uint64_t>(n, file.size - offset);
        if (offset < start || offset + wanted > start + bytes.size()) {
            bytes.resize(std::max<std::size_t>(n, 4096));
            std::int64_t got = platform::ReadAt(file, offset, bytes.data(), bytes.size());
            if (got < 0) {
                failed = true;
                bytes.clear();
                return nullptr;
            }
            bytes.resize(static_cast<std::size_t>(got));
            start = offset;
        }
        available = static_cast<std::size_t>(wanted);
        return bytes.data() + (offset - start);
    }
};

std::uint32_t Little(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint32_t(p[i]) << (8 * i);
    return v;
}

std::string Printable(const std::uint8_t* p, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += p[i] < 32 ? '.' : static_cast<char>(p[i]);
    return text;
}

// One element of a fixed-size type, with the blank that follows it.
std::string FormatElement(int type, const std::uint8_t* p, bool hex) {
    switch (type) {
    case kCharacter: return Printable(p, 1) + ' ';
    case kUnsigned8: return Printf(hex ? "%x " : "%d ", p[0]);
    case kSigned16: {
        std::uint32_t v = Little(p, 2);
        return hex ? Printf("%x ", v) : Printf("%d ", static_cast<int>(static_cast<std::int16_t>(v)));
    }
    case kUnsigned16: return Printf(hex ? "%x " : "%u ", Little(p, 2));
    case kSigned32: {
        std::uint32_t v = Little(p, 4);
        return hex ? Printf("%x ", v) : Printf("%d ", static_cast<int>(static_cast<std::int32_t>(v)));
    }
    case kUnsigned32: return Printf(hex ? "%x " : "%u ", Little(p, 4));
    case kSingleFloat:
    case kDoubleFloat: {
        double v;
        if (type == kSingleFloat) {
            float f;
            std::memcpy(&f, p, sizeof f);
            v = f;
        } else {
            std::memcpy(&v, p, sizeof v);
        }
        std::fenv_t saved;
        std::feholdexcept(&saved);
        std::string text = Printf("%f ", v);
        std::fesetenv(&saved);
        return text;
    }
    case kSwappedShort: {
        std::uint32_t v = std::uint32_t(p[0]) << 8 | p[1];
        return hex ? Printf("%x ", v) : Printf("%d ", static_cast<int>(static_cast<std::int16_t>(v)));
    }
    case kSwappedLong: {
        const std::uint8_t swapped[4] = {p[1], p[0], p[3], p[2]};
        std::uint32_t v = Little(swapped, 4);
        return hex ? Printf("%x ", v) : Printf("%d ", static_cast<int>(static_cast<std::int32_t>(v)));
    }
    case kBitInversed: {
        std::uint32_t v = ReverseBits(Little(p, 4));
        return hex ? Printf("%11x  ", v) : Printf("%11d  ", static_cast<int>(static_cast<std::int32_t>(v)));
    }
    }
    return {};
}

}  // namespace

const char* FieldTypeName(int type) {
    return type >= 0 && type < kFieldTypeCount ? base::GetString(kMsgFieldTypeNames + static_cast<unsigned>(type)) : "";
}

int FieldTypeSize(int type) { return type >= 0 && type < kFieldTypeCount ? kTypeSizes[type] : 0; }

bool ValidFieldName(std::string_view name) { return name.find('\'') == std::string_view::npos && NoControl(name); }

bool ValidStructureName(std::string_view name) {
    return !name.empty() && name.size() <= kStructureNameLimit && name != "{" && name != "}" && name.find('\'') == std::string_view::npos &&
           NoControl(name);
}

bool ParseFieldLine(std::string_view line, StructureField& field) {
    if (line.size() < 2 || line[0] != '\'') return false;
    std::size_t close = line.find('\'', 1);
    if (close == std::string_view::npos) return false;
    std::string_view name = line.substr(1, close - 1);
    std::string_view rest = line.substr(close + 1);
    int type = 0, count = 0;
    if (!ReadNumber(rest, type) || rest.empty() || rest[0] != '[') return false;
    rest.remove_prefix(1);
    if (!ReadNumber(rest, count) || rest != "]") return false;
    if (type >= kFieldTypeCount || count < 1 || count > kFieldCountLimit || !ValidFieldName(name)) return false;
    field = {std::string(name), type, count};
    return true;
}

StructureFileStatus ParseStructures(std::string_view text, std::vector<Structure>& out) {
    out.clear();
    std::size_t at = 0;
    if (NextLine(text, at) != kStructureFileHeader) return StructureFileStatus::NotDescription;
    while (at < text.size()) {
        const std::size_t nameOffset = at;
        std::string_view name = NextLine(text, at);
        if (name.empty()) continue;
        Structure s;
        s.name = std::string(name);
        s.nameOffset = nameOffset;
        if (!ValidStructureName(name) || NextLine(text, at) != "{") return StructureFileStatus::Malformed;
        for (;;) {
            if (at >= text.size()) return StructureFileStatus::Malformed;  // no closing line
            std::string_view line = NextLine(text, at);
            if (line == "}") break;
            StructureField f;
            if (!ParseFieldLine(line, f)) return StructureFileStatus::Malformed;
            s.fields.push_back(std::move(f));
        }
        out.push_back(std::move(s));
    }
    return out.empty() ? StructureFileStatus::NoStructures : StructureFileStatus::Ok;
}

std::string PrintStructures(const std::vector<Structure>& structures) {
    std::string text = std::string(kStructureFileHeader) + "\n";
    for (const Structure& s : structures) {
        text += s.name + "\n{\n";
        for (const StructureField& f : s.fields) text += Printf("'%s'%d[%d]\n", f.name.c_str(), f.type, f.count);
        text += "}\n";
    }
    return text;
}

StructureFileStatus ReadStructureFile(const std::string& path, std::vector<Structure>& out) {
    out.clear();
    if (!platform::FileExists(path)) return StructureFileStatus::Missing;
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) return StructureFileStatus::CannotRead;
    return ParseStructures(std::string_view(content.data.get(), content.size), out);
}

StructureFileStatus SaveStructure(const std::string& path, const Structure& structure) {
    std::vector<Structure> structures;
    StructureFileStatus status = ReadStructureFile(path, structures);
    if (status != StructureFileStatus::Ok && status != StructureFileStatus::Missing && status != StructureFileStatus::NoStructures)
        return status;
    std::erase_if(structures, [&](const Structure& s) { return s.name == structure.name; });
    structures.push_back(structure);
    const std::string text = PrintStructures(structures);
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, path) != platform::ReplaceStatus::Ok) return StructureFileStatus::CannotWrite;
    if (!platform::WriteReplace(out, text.data(), text.size())) return StructureFileStatus::CannotWrite;
    return platform::FinishReplace(out) == platform::ReplaceStatus::Ok ? StructureFileStatus::Ok : StructureFileStatus::CannotWrite;
}

Overlay LayStructure(platform::ReadHandle& file, std::uint64_t offset, const Structure& structure, bool hex) {
    Overlay overlay;
    ByteWindow window{file, 0, {}, false};
    std::uint64_t at = offset;
    for (const StructureField& f : structure.fields) {
        OverlayLine line;
        line.field = Printf("%s %s[%d]", f.name.empty() ? base::GetString(kMsgStructNoName) : f.name.c_str(),
                            FieldTypeName(f.type), f.count);
        line.offset = Printf(hex ? "%llx" : "%llu", static_cast<unsigned long long>(at - offset));
        const int size = FieldTypeSize(f.type);
        if (size > 0 && !line.pastEnd) {
            // Only the elements that can be shown are read; the rest only move the offset.
            for (int i = 0; i < f.count && line.values.size() < kOverlayTextLimit; ++i) {
                std::size_t available = 0;
                const std::uint8_t* p = window.Get(at + static_cast<std::uint64_t>(i) * size, static_cast<std::size_t>(size), available);
                if (!p) break;
                if (available < static_cast<std::size_t>(size)) {
                    line.pastEnd = true;
                    break;
                }
                line.values += FormatElement(f.type, p, hex);
            }
            at += static_cast<std::uint64_t>(f.count) * static_cast<std::uint64_t>(size);
        } else {
            // Texts: each one's length is known only from its bytes.
            for (int i = 0; i < f.count; ++i) {
                std::size_t available = 0;
                const std::uint8_t* p = window.Get(at, f.type == kAsciiZ ? kAsciiZLimit : 1, available);
                if (!p) break;
                std::size_t length = 0, skip = 0;
                if (f.type == kAsciiZ) {
                    const void* zero = std::memchr(p, 0, available);
                    if (!zero && available < kAsciiZLimit) {
                        line.pastEnd = true;
                        break;
                    }
                    length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - p) : kAsciiZLimit;
                    skip = zero ? length + 1 : kAsciiZLimit;
                } else {
                    if (available < 1) {
                        line.pastEnd = true;
                        break;
                    }
                    length = p[0];
                    p = window.Get(at + 1, length, available);
                    if (!p) break;
                    if (available < length) {
                        line.pastEnd = true;
                        break;
                    }
                    skip = length + 1;
                }
                if (line.values.size() < kOverlayTextLimit) line.values += Printable(p, length) + ' ';
                at += skip;
            }
            if (line.pastEnd) at = std::max(at, file.size);
        }
        if (line.values.size() > kOverlayTextLimit) line.values.resize(kOverlayTextLimit);
        if (window.failed) overlay.readError = true;
        overlay.lines.push_back(std::move(line));
        if (overlay.readError) break;
    }
    overlay.after = at;
    std::size_t available = 0;
    if (const std::uint8_t* p = window.Get(at, kFollowingBytes, available))
        for (std::size_t i = 0; i < available; ++i)
            overlay.following += p[i] >= 32 && p[i] <= 127 ? Printf("'%c' ", p[i]) : Printf("%x ", p[i]);
    if (window.failed) overlay.readError = true;
    return overlay;
}

}  // namespace tarvo::tools
