// The CodeView type records: numeric leaves, sizes, names and fields. A type reference carries
// its image, so a DLL's symbol is read in that DLL's table.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "debugger/debug_info.h"

namespace tarvo::debugger {

inline constexpr std::uint16_t kFirstRecordType = 0x1000;

enum : std::uint16_t {
    kLeafModifier = 0x0001,
    kLeafPointer = 0x0002,
    kLeafArray = 0x0003,
    kLeafClass = 0x0004,
    kLeafStructure = 0x0005,
    kLeafUnion = 0x0006,
    kLeafEnum = 0x0007,
    kLeafProcedure = 0x0008,
    kLeafFieldList = 0x0204,
    kLeafBitField = 0x0206,
    kLeafEnumerate = 0x0403,
    kLeafMember = 0x0406,
};

// A numeric leaf: the value (signed for the signed kinds) and the bytes it took.
struct Numeric {
    std::int64_t value = 0;
    std::size_t size = 0;
};
std::optional<Numeric> ReadNumeric(Bytes b, std::uint64_t offset);

// A type record: its leaf and the bytes after the leaf.
struct TypeRecord {
    std::uint16_t leaf = 0;
    Bytes data;
};
std::optional<TypeRecord> FindTypeRecord(const DebugInfo& info, TypeRef t);

// Size in bytes; 0 when unknown.
std::uint64_t TypeSize(const DebugInfo& info, TypeRef t);
// Elements of an array type (0 when its element has no size).
std::uint64_t ArrayCount(const DebugInfo& info, TypeRef t);
// The type a pointer type points to (a primitive pointer gives its primitive).
std::optional<TypeRef> PointedType(const DebugInfo& info, TypeRef t);
// The name of an array, structure, union, class or enumeration record.
std::string_view TypeName(const DebugInfo& info, TypeRef t);
// The first such record of that name in the image's table.
std::optional<TypeRef> TypeByName(const DebugInfo& info, int image, std::string_view name);

// Members of a structure or union (offset in `value`) or the values of an enumeration.
struct Field {
    std::string_view name;
    std::uint16_t type = 0;
    std::int64_t value = 0;
};
std::vector<Field> Fields(const DebugInfo& info, TypeRef t);

struct BitField {
    std::uint8_t length = 0, position = 0;
    std::uint16_t type = 0;
};
std::optional<BitField> ReadBitField(const DebugInfo& info, TypeRef t);

}  // namespace tarvo::debugger
