// The type part of the CodeView conversion (codeview_core.h): one object's type stream, with
// 32-bit indices and the newer leaves, mapped into the image's one CodeView 4 table.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "binary/bytes.h"
#include "debugger/cv_types.h"
#include "debugger/codeview_records.h"

namespace tarvo::testbed::cv {

using binary::Bytes;

// As many records as 16-bit type indices from 0x1000 can number.
inline constexpr std::uint32_t kMostTypes = debugger::cv4::kTypeIndexLimit - debugger::kFirstRecordType + 1;

struct Writer {
    std::vector<std::uint8_t> b;
    void U8(std::uint64_t v) { b.push_back(static_cast<std::uint8_t>(v)); }
    void U16(std::uint64_t v) { U8(v), U8(v >> 8); }
    void U32(std::uint64_t v) { U16(v), U16(v >> 16); }
    void Bytes(binary::Bytes v) { b.insert(b.end(), v.begin(), v.end()); }
    void Put16(std::size_t at, std::uint64_t v) { b[at] = static_cast<std::uint8_t>(v), b[at + 1] = static_cast<std::uint8_t>(v >> 8); }
    void Put32(std::size_t at, std::uint64_t v) { Put16(at, v), Put16(at + 2, v >> 16); }
    // Counted names hold 255 characters at most.
    void Counted(std::string_view s) {
        s = s.substr(0, 255);
        U8(s.size());
        b.insert(b.end(), s.begin(), s.end());
    }
    void Align4() { while (b.size() % 4) U8(0); }
    // Type records and field lists pad with 0xF3 0xF2 0xF1: the low half counts the bytes left.
    void PadLeaf() { while (b.size() % 4) U8(0xF0 | (4 - b.size() % 4)); }
};

// A numeric leaf in the shortest form; `wide` gives at least 4 bytes (an array's length, so
// that its name stands where a fixed-layout reader expects it).
inline void Numeric(Writer& w, std::uint64_t v, bool wide) {
    if (v < 0x8000 && !wide) w.U16(v);
    else if (v <= 0xFFFF) w.U16(debugger::cv4::kNumericU16), w.U16(v);
    else if (v <= 0xFFFFFFFF) w.U16(debugger::cv4::kNumericU32), w.U32(v);
    else w.U16(debugger::cv4::kNumericU64), w.U32(v), w.U32(v >> 32);
}

inline std::string_view ZeroName(Bytes b, std::uint64_t at) {
    std::string_view s;
    if (!binary::ReadZeroName(b, at, b.size(), s)) return {};
    return s;
}

// The bytes a numeric leaf takes, 0 when it is not one we know.
inline std::size_t NumericSize(Bytes b, std::uint64_t at) {
    auto n = debugger::ReadNumeric(b, at);
    return n ? n->size : 0;
}

// The image's one table of CodeView 4 types: records deduplicated by their bytes, structure,
// union and enumeration definitions by their shape.
struct TypeTable {
    std::vector<std::vector<std::uint8_t>> records;  // leaf and data, without length or padding
    std::unordered_map<std::string, std::uint16_t> byBytes, definitions, byName;
    bool full = false;
    std::uint16_t Reserve() {
        if (records.size() >= kMostTypes) {
            full = true;
            return 0;
        }
        records.emplace_back();
        return static_cast<std::uint16_t>(debugger::kFirstRecordType + records.size() - 1);
    }
    std::uint16_t Add(std::vector<std::uint8_t> rec) {
        std::string key(rec.begin(), rec.end());
        if (auto it = byBytes.find(key); it != byBytes.end()) return it->second;
        std::uint16_t index = Reserve();
        if (index) {
            records.back() = std::move(rec);
            byBytes.emplace(std::move(key), index);
        }
        return index;
    }
};

// One object's types, converted on demand.
struct ObjectTypes;
struct ObjectTypesDeleter {
    void operator()(ObjectTypes* t) const;
};
using ObjectTypesPtr = std::unique_ptr<ObjectTypes, ObjectTypesDeleter>;
ObjectTypesPtr ReadObjectTypes(TypeTable& table, Bytes debugT);
// The image's index for one of the object's (0, no type, for what cannot be converted).
std::uint16_t MapType(ObjectTypes& t, std::uint32_t index);
// A procedure symbol's type field names its function id; the id names the type.
std::uint16_t FunctionType(ObjectTypes& t, std::uint32_t index);
// Records met of kinds that CodeView 4 lacks.
int UnknownTypes(const ObjectTypes& t);

// The global types subsection (0x12B) of the table.
std::vector<std::uint8_t> TypeSubsection(const TypeTable& t);

}  // namespace tarvo::testbed::cv
