#include "debugger/cv_types.h"

namespace tarvo::debugger {
namespace {

constexpr int kDeepestType = 16;  // modifiers of modifiers: a cycle in a damaged table ends here

// Where the numeric leaf with the length sits in the data of a sized record, or 0.
std::uint64_t LengthAt(std::uint16_t leaf) {
    switch (leaf) {
    case kLeafArray: return 4;
    case kLeafClass:
    case kLeafStructure: return 10;
    case kLeafUnion: return 6;
    default: return 0;
    }
}

std::uint64_t PrimitiveSize(const Target& target, std::uint16_t index) {
    unsigned mode = (index >> 8) & 7;
    if (mode == 6) return 8;          // 64-bit near pointers
    if (mode != 0) return 4;          // the 32-bit pointer modes
    switch (index) {
    case 0x10: case 0x20: case 0x30: case 0x68: case 0x69: case 0x70: return 1;
    case 0x11: case 0x21: case 0x31: case 0x71: case 0x72: case 0x73: return 2;
    case 0x08: case 0x12: case 0x22: case 0x32: case 0x40: case 0x74: case 0x75: return 4;
    case 0x13: case 0x23: case 0x41: case 0x76: case 0x77: return 8;
    case 0x42: return 10;
    default: return 0;
    }
}

}  // namespace

std::optional<Numeric> ReadNumeric(Bytes b, std::uint64_t offset) {
    std::uint16_t leaf = 0;
    if (!Read(b, offset, leaf)) return std::nullopt;
    if (leaf < 0x8000) return Numeric{leaf, 2};
    auto sized = [&](auto v) -> std::optional<Numeric> {
        if (!Read(b, offset + 2, v)) return std::nullopt;
        return Numeric{static_cast<std::int64_t>(v), 2 + sizeof(v)};
    };
    switch (leaf) {
    case 0x8000: return sized(std::int8_t{});
    case 0x8001: return sized(std::int16_t{});
    case 0x8002: return sized(std::uint16_t{});
    case 0x8003: return sized(std::int32_t{});
    case 0x8004: return sized(std::uint32_t{});
    case 0x8009: return sized(std::int64_t{});
    case 0x800A: return sized(std::uint64_t{});
    default: return std::nullopt;
    }
}

std::optional<TypeRecord> FindTypeRecord(const DebugInfo& info, TypeRef t) {
    if (t.index < kFirstRecordType || t.image < 0 || t.image >= static_cast<int>(info.images.size())) return std::nullopt;
    const TypeTable& table = info.images[t.image]->types;
    std::size_t n = t.index - kFirstRecordType;
    if (n >= table.offsets.size()) return std::nullopt;
    std::uint32_t at = table.offsets[n];
    std::uint16_t length = Get<std::uint16_t>(table.records, at);  // checked when the table was read
    return TypeRecord{Get<std::uint16_t>(table.records, at + 2ull), Slice(table.records, at + 4ull, length - 2u)};
}

namespace {

std::uint64_t SizeOf(const DebugInfo& info, TypeRef t, int depth) {
    if (depth > kDeepestType || t.image < 0 || t.image >= static_cast<int>(info.images.size())) return 0;
    const Target& target = *info.images[t.image]->target;
    if (t.index < kFirstRecordType) return PrimitiveSize(target, t.index);
    auto r = FindTypeRecord(info, t);
    if (!r) return 0;
    switch (r->leaf) {
    case kLeafPointer: return target.pointerSize;
    case kLeafEnum: {
        std::uint64_t size = SizeOf(info, {t.image, Get<std::uint16_t>(r->data, 2)}, depth + 1);
        return size ? size : 4;
    }
    case kLeafModifier: return SizeOf(info, {t.image, Get<std::uint16_t>(r->data, 2)}, depth + 1);
    default:
        if (std::uint64_t at = LengthAt(r->leaf)) {
            auto n = ReadNumeric(r->data, at);
            return n && n->value > 0 ? static_cast<std::uint64_t>(n->value) : 0;
        }
        return 0;
    }
}

std::string_view NameAfterLength(const TypeRecord& r) {
    std::uint64_t at = LengthAt(r.leaf);
    std::string_view name;
    if (r.leaf == kLeafEnum) ReadCountedName(r.data, 8, name);
    else if (at)
        if (auto n = ReadNumeric(r.data, at)) ReadCountedName(r.data, at + n->size, name);
    return name;
}

}  // namespace

std::uint64_t TypeSize(const DebugInfo& info, TypeRef t) { return SizeOf(info, t, 0); }

std::uint64_t ArrayCount(const DebugInfo& info, TypeRef t) {
    auto r = FindTypeRecord(info, t);
    if (!r || r->leaf != kLeafArray) return 0;
    std::uint64_t element = TypeSize(info, {t.image, Get<std::uint16_t>(r->data, 0)});
    return element ? TypeSize(info, t) / element : 0;
}

std::optional<TypeRef> PointedType(const DebugInfo& info, TypeRef t) {
    if (t.index < kFirstRecordType) {
        if (((t.index >> 8) & 7) == 0) return std::nullopt;
        return TypeRef{t.image, static_cast<std::uint16_t>(t.index & 0xFF)};
    }
    auto r = FindTypeRecord(info, t);
    if (!r || r->leaf != kLeafPointer) return std::nullopt;
    return TypeRef{t.image, Get<std::uint16_t>(r->data, 2)};
}

std::string_view TypeName(const DebugInfo& info, TypeRef t) {
    auto r = FindTypeRecord(info, t);
    return r ? NameAfterLength(*r) : std::string_view{};
}

std::optional<TypeRef> TypeByName(const DebugInfo& info, int image, std::string_view name) {
    if (image < 0 || image >= static_cast<int>(info.images.size())) return std::nullopt;
    std::size_t count = info.images[image]->types.offsets.size();
    for (std::size_t n = 0; n < count; ++n) {
        TypeRef t{image, static_cast<std::uint16_t>(kFirstRecordType + n)};
        if (n + kFirstRecordType > 0xFFFF) break;
        auto r = FindTypeRecord(info, t);
        if (r && (LengthAt(r->leaf) || r->leaf == kLeafEnum) && NameAfterLength(*r) == name) return t;
    }
    return std::nullopt;
}

std::vector<Field> Fields(const DebugInfo& info, TypeRef t) {
    std::vector<Field> out;
    auto r = FindTypeRecord(info, t);
    if (!r) return out;
    std::uint16_t list = 0;
    if (r->leaf == kLeafStructure || r->leaf == kLeafClass || r->leaf == kLeafUnion) list = Get<std::uint16_t>(r->data, 2);
    else if (r->leaf == kLeafEnum) list = Get<std::uint16_t>(r->data, 4);
    auto fl = FindTypeRecord(info, {t.image, list});
    if (!fl || fl->leaf != kLeafFieldList) return out;
    Bytes d = fl->data;
    for (std::uint64_t at = 0; at + 2 <= d.size();) {
        std::uint8_t first = d[at];
        if (first >= 0xF0) {  // padding: its low half is the distance to the next field
            at += (first & 0x0F) ? (first & 0x0F) : 1;
            continue;
        }
        std::uint16_t leaf = Get<std::uint16_t>(d, at);
        Field f;
        std::uint64_t valueAt = 0;
        if (leaf == kLeafMember) {
            f.type = Get<std::uint16_t>(d, at + 2);
            valueAt = at + 6;
        } else if (leaf == kLeafEnumerate) {
            valueAt = at + 4;
        } else {
            break;  // a field kind we do not read: its length is unknown, so the list ends here
        }
        auto n = ReadNumeric(d, valueAt);
        if (!n || !ReadCountedName(d, valueAt + n->size, f.name)) break;
        f.value = n->value;
        out.push_back(f);
        at = valueAt + n->size + 1 + f.name.size();
    }
    return out;
}

std::optional<BitField> ReadBitField(const DebugInfo& info, TypeRef t) {
    auto r = FindTypeRecord(info, t);
    if (!r || r->leaf != kLeafBitField || r->data.size() < 4) return std::nullopt;
    return BitField{r->data[0], r->data[1], Get<std::uint16_t>(r->data, 2)};
}

}  // namespace tarvo::debugger
