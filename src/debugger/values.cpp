#include "debugger/values.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/messages.h"
#include "debugger/cv_types.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/wide_format.h"
#include "platform/text.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;

constexpr int kDeepestValue = 100;    // pointers followed before "***Debugger error****"
constexpr int kDeepestName = 16;      // type names nested through pointers and arrays
constexpr int kDeepestModifier = 16;  // const of const...: a cycle in a damaged table ends here
constexpr std::size_t kStringText = 50;
constexpr std::uint64_t kShownElements = 20;

// Every primitive with its size and sign: one table, so no type falls to a guess.
struct PrimitiveRow {
    std::uint16_t index;
    const char* name;
    PrimitiveKind kind;
    unsigned size;
};
constexpr PrimitiveRow kPrimitives[] = {
    {0x01, "Absolute", PrimitiveKind::Special, 0},
    {0x02, "Pointer", PrimitiveKind::Special, 0},
    {0x03, "Void", PrimitiveKind::Void, 0},
    {0x08, "HRESULT", PrimitiveKind::Signed, 4},
    {0x10, "char", PrimitiveKind::Char, 1},
    {0x11, "short", PrimitiveKind::Signed, 2},
    {0x12, "long", PrimitiveKind::Signed, 4},
    {0x13, "long long", PrimitiveKind::Signed, 8},
    {0x20, "unsigned char", PrimitiveKind::UChar, 1},
    {0x21, "unsigned short", PrimitiveKind::Unsigned, 2},
    {0x22, "unsigned long", PrimitiveKind::Unsigned, 4},
    {0x23, "unsigned long long", PrimitiveKind::Unsigned, 8},
    {0x30, "bool", PrimitiveKind::Bool, 1},
    {0x31, "bool", PrimitiveKind::Bool, 2},
    {0x32, "bool", PrimitiveKind::Bool, 4},
    {0x33, "bool", PrimitiveKind::Bool, 8},
    {0x40, "float", PrimitiveKind::Real, 4},
    {0x41, "double", PrimitiveKind::Real, 8},
    {0x42, "long double", PrimitiveKind::Real, 10},
    {0x60, "Bit", PrimitiveKind::Special, 0},
    {0x61, "Pascal CHAR", PrimitiveKind::Char, 1},
    {0x68, "signed char", PrimitiveKind::Char, 1},
    {0x69, "unsigned char", PrimitiveKind::UChar, 1},
    {0x70, "char", PrimitiveKind::Char, 1},
    {0x71, "wchar", PrimitiveKind::Unsigned, 2},
    {0x72, "short", PrimitiveKind::Signed, 2},
    {0x73, "unsigned short", PrimitiveKind::Unsigned, 2},
    {0x74, "int", PrimitiveKind::Signed, 4},
    {0x75, "unsigned int", PrimitiveKind::Unsigned, 4},
    {0x76, "long long", PrimitiveKind::Signed, 8},
    {0x77, "unsigned long long", PrimitiveKind::Unsigned, 8},
};

const PrimitiveRow* RowOf(std::uint16_t index) {
    for (const PrimitiveRow& r : kPrimitives)
        if (r.index == index) return &r;
    return nullptr;
}

unsigned PointerMode(std::uint16_t index) { return (index >> 8) & 7; }
bool IsProcedureKind(std::uint16_t index) { return index == 0x204 || index == 0x205; }

std::string Msg(unsigned id) { return WidenIntegerConversions(base::GetString(id)); }
std::string MsgHex(unsigned id, std::uint64_t v) { return Printf(Msg(id).c_str(), static_cast<ull>(v)); }
std::string MsgText(unsigned id, const std::string& s) { return Printf(Msg(id).c_str(), s.c_str()); }
std::string Hex(std::uint64_t v) { return Printf("0x%llx", static_cast<ull>(v)); }

bool IsCharKind(PrimitiveKind k) { return k == PrimitiveKind::Char || k == PrimitiveKind::UChar; }

std::uint64_t FromBytes(const std::uint8_t* b, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n && i < 8; ++i) v |= std::uint64_t(b[i]) << (8 * i);
    return v;
}

std::int64_t SignExtend(std::uint64_t v, unsigned bits) {
    if (bits == 0 || bits >= 64) return static_cast<std::int64_t>(v);
    std::uint64_t sign = std::uint64_t{1} << (bits - 1);
    v &= (sign << 1) - 1;
    return static_cast<std::int64_t>((v ^ sign) - sign);
}

// Bytes of the value: from memory, or from the value itself when it has no address.
bool ReadValueBytes(const ValueSource& src, const Value& v, std::uint64_t offset, void* data, std::size_t n) {
    if (!v.hasAddress) {
        if (offset > 8 || n > 8 - offset) return false;
        std::uint8_t bytes[8];
        for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(v.value >> (8 * i));
        std::memcpy(data, bytes + offset, n);
        return true;
    }
    return src.read && src.read(v.address + offset, data, n);
}

unsigned PointerSizeOf(const DebugInfo& info, TypeRef t) {
    if (t.image < 0 || t.image >= static_cast<int>(info.images.size()) || !info.images[t.image]->target) return 4;
    return info.images[t.image]->target->pointerSize;
}

// A byte as it appears between quotes.
void AppendChar(std::string& out, std::uint8_t c, bool inString) {
    switch (c) {
    case '\t': out += "\\t"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '"':
        out += inString ? "\\\"" : "\"";
        return;
    default:
        if (c < 32) out += Printf("\\%02u", static_cast<unsigned>(c));
        else out += static_cast<char>(c);
    }
}

// 80-bit x87 real to double: sign, 15-bit exponent, 64-bit mantissa with its integer bit.
double Real80(const std::uint8_t* b) {
    std::uint64_t mantissa = FromBytes(b, 8);
    unsigned exponent = (b[8] | (b[9] << 8)) & 0x7FFF;
    bool negative = b[9] & 0x80;
    double v;
    if (exponent == 0x7FFF) v = (mantissa << 1) ? NAN : INFINITY;
    else v = std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent) - 16383 - 63);
    return negative ? -v : v;
}

bool IsCharPrimitive(std::uint16_t index) { return PointerMode(index) == 0 && IsCharKind(PrimitiveOf(index).kind); }

}  // namespace

bool ReadValueWord(const ValueSource& src, const Value& v, unsigned size, std::uint64_t& out) {
    std::uint8_t b[8] = {};
    if (size == 0 || size > 8 || !ReadValueBytes(src, v, 0, b, size)) return false;
    out = FromBytes(b, size);
    return true;
}

PrimitiveInfo PrimitiveOf(std::uint16_t index) {
    if (index >= 0x800) return {};
    if (unsigned mode = PointerMode(index)) return {PrimitiveKind::Pointer, mode == 6 ? 8u : 4u};
    const PrimitiveRow* r = RowOf(index);
    return r ? PrimitiveInfo{r->kind, r->size} : PrimitiveInfo{};
}

std::string PrimitiveTypeName(std::uint16_t index) {
    if (index < 0x800 && PointerMode(index)) {
        std::uint16_t base = index & 0xFF;
        if (index == 0x510) return "signed char *";
        if (base == 0x76) return base::GetString(kMsgPointerToLongLong);
        if (base == 0x77) return base::GetString(kMsgPointerToULongLong);
        if (base == 0x03) return "void *";
        const PrimitiveRow* r = RowOf(base);
        if (r && r->kind != PrimitiveKind::Special && r->kind != PrimitiveKind::Void) return std::string(r->name) + " *";
        return base::GetString(kMsgUnknownType);
    }
    const PrimitiveRow* r = index < 0x800 ? RowOf(index) : nullptr;
    return r ? r->name : base::GetString(kMsgUnknownType);
}

TypeRef StripModifiers(const DebugInfo& info, TypeRef t) {
    for (int depth = 0; depth < kDeepestModifier; ++depth) {
        auto r = FindTypeRecord(info, t);
        if (!r || r->leaf != kLeafModifier) return t;
        t.index = Get<std::uint16_t>(r->data, 2);
    }
    return t;
}

bool IsAggregate(const DebugInfo& info, TypeRef t) {
    auto r = FindTypeRecord(info, StripModifiers(info, t));
    return r && (r->leaf == kLeafStructure || r->leaf == kLeafUnion || r->leaf == kLeafClass);
}

namespace {

// Structures, unions and arrays: shown inside others by their address, expanded on demand.
bool Expandable(const DebugInfo& info, TypeRef t) {
    auto r = FindTypeRecord(info, StripModifiers(info, t));
    return r && (r->leaf == kLeafStructure || r->leaf == kLeafUnion || r->leaf == kLeafClass || r->leaf == kLeafArray);
}

// What a tree node can open later: a structure, union or array, or a pointer to one (so a
// list is walked one node at a time).
bool Openable(const DebugInfo& info, TypeRef t) {
    t = StripModifiers(info, t);
    auto r = FindTypeRecord(info, t);
    if (r && r->leaf == kLeafPointer) return Expandable(info, {t.image, Get<std::uint16_t>(r->data, 2)});
    return Expandable(info, t);
}

std::string NameOf(const DebugInfo& info, TypeRef t, int depth) {
    if (depth > kDeepestName) return "...";
    t = StripModifiers(info, t);
    if (t.index < kFirstRecordType) return PrimitiveTypeName(t.index);
    auto r = FindTypeRecord(info, t);
    if (!r) return base::GetString(kMsgUnknownLeaf);
    switch (r->leaf) {
    case kLeafPointer: return "* " + NameOf(info, {t.image, Get<std::uint16_t>(r->data, 2)}, depth + 1);
    case kLeafArray: {
        std::string element = NameOf(info, {t.image, Get<std::uint16_t>(r->data, 0)}, depth + 1);
        std::uint64_t count = ArrayCount(info, t);
        return count ? element + Printf("[%llu]", static_cast<ull>(count)) : element + "[]";
    }
    case kLeafStructure:
    case kLeafClass:
    case kLeafUnion: {
        std::string_view name = TypeName(info, t);
        if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return base::GetString(kMsgUnnamedType);
        return std::string(name) + " ";
    }
    case kLeafEnum: return MsgText(kMsgEnumType, std::string(TypeName(info, t)));
    case kLeafProcedure: return base::GetString(kMsgFunctionType);
    case kLeafBitField: return base::GetString(kMsgBitFieldType);
    default: return base::GetString(kMsgUnknownLeaf);
    }
}

}  // namespace

std::string TypeText(const DebugInfo& info, TypeRef type) { return NameOf(info, type, 0); }

std::string IntegerText(std::uint64_t value, bool isSigned, unsigned size, int radix) {
    if (size > 0 && size < 8) value &= (std::uint64_t{1} << (8 * size)) - 1;
    if (radix == 16) return Hex(value);
    if (isSigned) return std::to_string(SignExtend(value, 8 * size));
    return std::to_string(value);
}

std::string RealText(double value) {
    if (value == 0) return "0.0";
    bool exponent = value < 1e-15 || value > 1e15;
    std::string text = exponent ? Printf("%15g", value) : Printf("%30.15f", value);
    text.erase(0, text.find_first_not_of(' '));
    if (!exponent && text.find('.') != std::string::npos) {
        std::size_t last = text.find_last_not_of('0');
        if (text[last] == '.') ++last;  // one digit stays after the point
        text.erase(last + 1);
    }
    return text;
}

std::string StringText(const ValueSource& src, std::uint64_t address, std::uint64_t limit, std::uint64_t* read) {
    std::string text = "\"";
    std::uint64_t n = 0;
    while (n < limit && text.size() - 1 < kStringText) {
        std::uint8_t c = 0;
        if (!src.read || !src.read(address + n, &c, 1) || c == 0) break;
        AppendChar(text, c, true);
        ++n;
    }
    if (read) *read = n;
    return text + "\"";
}

namespace {

// One value to text; `depth` counts the pointers followed (structures show their members only
// at the top).
struct Formatter {
    const ValueSource& src;
    const DebugInfo& info;

    Value At(const Value& from, TypeRef type, std::uint64_t address) const {
        Value v;
        v.name = from.name;
        v.type = type;
        v.address = address;
        v.size = TypeSize(info, type);
        return v;
    }

    bool Pointer(const Value& v, std::uint64_t& target) const {
        return ReadValueWord(src, v, PointerSizeOf(info, v.type), target);
    }

    bool Primitive(const Value& v, std::string& out) const;
    bool PrimitivePointer(const Value& v, std::uint16_t index, std::string& out) const;
    bool Text(const Value& v, int depth, std::string& out) const;
    bool PointerText(const Value& v, TypeRef pointee, int depth, std::string& out) const;
    bool Members(const Value& v, TypeRef t, int depth, std::string& out) const;
    bool Member(const Value& v, int depth, std::string& out) const;
    bool ArrayText(const Value& v, const TypeRecord& r, int depth, std::string& out) const;
    bool EnumText(const Value& v, TypeRef t, const TypeRecord& r, std::string& out) const;
    bool BitFieldText(const Value& v, TypeRef t, std::string& out) const;
    bool Tree(const Value& v, int depth, ValueNode& node) const;
};

bool Formatter::PrimitivePointer(const Value& v, std::uint16_t index, std::string& out) const {
    std::uint16_t base = index & 0xFF;
    PrimitiveKind kind = PrimitiveOf(base).kind;
    std::uint64_t target = 0;
    if (!ReadValueWord(src, v, PrimitiveOf(index).size, target)) {
        if (IsCharKind(kind)) out = base::GetString(kMsgUninitialized);
        else if (base == 0x03) out = base::GetString(kMsgVoidUninitialized);
        else out = PrimitiveTypeName(index) + " " + Hex(v.address);
        return false;
    }
    if (IsCharKind(kind)) {
        out = target ? Hex(target) + " " + StringText(src, target, ~std::uint64_t{0}) : base::GetString(kMsgNull);
        return true;
    }
    if (base == 0x03) {
        out = target ? MsgHex(kMsgVoidPointer, target) : base::GetString(kMsgVoidNull);
        return true;
    }
    out = PrimitiveTypeName(index) + " ";
    if (!target) {
        out += base::GetString(kMsgNull);
        return true;
    }
    Value pointee;
    pointee.type = {v.type.image, base};
    pointee.address = target;
    std::string text;
    bool ok = Primitive(pointee, text);
    out += Hex(target) + " = " + text;
    return ok;
}

bool Formatter::Primitive(const Value& v, std::string& out) const {
    std::uint16_t index = v.type.index;
    out.clear();
    if (IsProcedureKind(index)) {
        out = MsgHex(kMsgFunctionAt, v.address);
        return true;
    }
    PrimitiveInfo p = PrimitiveOf(index);
    if (p.kind == PrimitiveKind::Pointer) return PrimitivePointer(v, index, out);
    if (p.size == 0) {
        out = base::GetString(kMsgUnknownType);
        return false;
    }
    std::uint8_t b[16] = {};
    bool read = ReadValueBytes(src, v, 0, b, p.size);
    if (!read) {
        // Small values show nothing; the others say where they could not be read.
        bool quiet = p.size <= 2 || (p.kind == PrimitiveKind::Real && p.size == 4);
        if (!quiet) out = v.hasAddress && v.address == 0 ? base::GetString(kMsgNull) : MsgHex(kMsgBadAddress, v.address);
        return false;
    }
    std::uint64_t word = FromBytes(b, p.size);
    switch (p.kind) {
    case PrimitiveKind::Char:
    case PrimitiveKind::UChar:
        out = IntegerText(word, p.kind == PrimitiveKind::Char, 1, src.radix) + " '";
        AppendChar(out, b[0], false);
        out += "'";
        return true;
    case PrimitiveKind::Real: {
        double d;
        if (p.size == 4) {
            float f;
            std::memcpy(&f, b, 4);
            d = f;
        } else if (p.size == 8) {
            std::memcpy(&d, b, 8);
        } else {
            d = Real80(b);
        }
        out = RealText(d);
        return true;
    }
    default:
        out = IntegerText(word, p.kind == PrimitiveKind::Signed, p.size, src.radix);
        return true;
    }
}

bool Formatter::PointerText(const Value& v, TypeRef pointee, int depth, std::string& out) const {
    std::uint64_t target = 0;
    if (!Pointer(v, target)) {
        out = MsgHex(kMsgUninitializedAt, v.address);
        return false;
    }
    if (!target) {
        out = base::GetString(kMsgNull);
        return true;
    }
    pointee = StripModifiers(info, pointee);
    if (pointee.index < kFirstRecordType) {
        if (IsCharPrimitive(pointee.index)) {
            out = Hex(target) + " " + StringText(src, target, ~std::uint64_t{0});
            return true;
        }
        if (pointee.index == 0x03) {
            out = MsgHex(kMsgVoidPointer, target);
            return true;
        }
        std::string text;
        bool ok = Primitive(At(v, pointee, target), text);
        out = PrimitiveTypeName(pointee.index) + " * " + Hex(target) + " = " + text;
        return ok;
    }
    return Text(At(v, pointee, target), depth + 1, out);
}

bool Formatter::BitFieldText(const Value& v, TypeRef t, std::string& out) const {
    auto bits = ReadBitField(info, t);
    if (!bits || bits->length == 0 || bits->position + bits->length > 64) {
        out = base::GetString(kMsgNoTypeRecord);
        return false;
    }
    std::uint8_t b[8] = {};
    std::size_t bytes = (bits->position + bits->length + 7) / 8;  // only the bytes the field spans
    if (!ReadValueBytes(src, v, 0, b, bytes)) {
        out = MsgHex(kMsgBadAddress, v.address);
        return false;
    }
    std::uint64_t word = FromBytes(b, bytes) >> bits->position;
    if (bits->length < 64) word &= (std::uint64_t{1} << bits->length) - 1;
    // A field of a signed type keeps its sign: int sign : 4 holding -3 is -3, not 13.
    PrimitiveInfo p = PrimitiveOf(bits->type);
    bool isSigned = p.kind == PrimitiveKind::Signed || p.kind == PrimitiveKind::Char;
    if (isSigned) word = static_cast<std::uint64_t>(SignExtend(word, bits->length));
    out = IntegerText(word, isSigned, p.size && src.radix == 16 ? p.size : 8, src.radix);
    return true;
}

bool Formatter::EnumText(const Value& v, TypeRef t, const TypeRecord& r, std::string& out) const {
    TypeRef underlying{t.image, Get<std::uint16_t>(r.data, 2)};
    PrimitiveInfo p = PrimitiveOf(underlying.index);
    unsigned size = p.size && p.size <= 8 ? p.size : 4;
    std::uint64_t word = 0;
    if (!ReadValueWord(src, v, size, word)) {
        out = MsgHex(kMsgBadAddress, v.address);
        return false;
    }
    bool isSigned = p.kind != PrimitiveKind::Unsigned && p.kind != PrimitiveKind::UChar;
    std::int64_t value = isSigned ? SignExtend(word, 8 * size) : static_cast<std::int64_t>(word);
    for (const Field& f : Fields(info, t)) {
        if (f.value == value) {
            out = std::string(f.name);
            return true;
        }
    }
    out = IntegerText(word, isSigned, size, src.radix);  // a value no enumerator names
    return true;
}

bool Formatter::ArrayText(const Value& v, const TypeRecord& r, int depth, std::string& out) const {
    TypeRef element = StripModifiers(info, {v.type.image, Get<std::uint16_t>(r.data, 0)});
    std::uint64_t length = TypeSize(info, v.type), size = TypeSize(info, element);
    std::uint64_t count = size ? length / size : 0;
    if (element.index < kFirstRecordType && IsCharPrimitive(element.index)) {
        std::uint64_t read = 0;
        std::string text = StringText(src, v.address, length, &read);
        out = Printf(Msg(kMsgCharArray).c_str(), static_cast<long long>(read), text.c_str());
        return true;
    }
    bool ok = true;
    out.clear();
    for (std::uint64_t i = 0; i < count && i < kShownElements; ++i) {
        std::string text;
        ok = Member(At(v, element, v.address + i * size), depth + 1, text) && ok;
        if (i) out += " ";
        out += text;
    }
    if (count > kShownElements) out += " ...";
    return ok;
}

// A member or element: structures inside are shown by their address; the rest by value.
bool Formatter::Member(const Value& v, int depth, std::string& out) const {
    TypeRef t = StripModifiers(info, v.type);
    if (t.index < kFirstRecordType) return Primitive(At(v, t, v.address), out);
    if (Expandable(info, t)) {
        out = Hex(v.address);
        return true;
    }
    return Text(v, depth, out);
}

bool Formatter::Members(const Value& v, TypeRef t, int depth, std::string& out) const {
    bool ok = true;
    out = "{ ";
    for (const Field& f : Fields(info, t)) {
        std::string text;
        ok = Member(At(v, {t.image, f.type}, v.address + static_cast<std::uint64_t>(f.value)), depth + 1, text) && ok;
        out += std::string(f.name) + ": " + text + "\n";
    }
    out += " }";
    return ok;
}

bool Formatter::Text(const Value& v, int depth, std::string& out) const {
    if (depth > kDeepestValue) {
        out = base::GetString(kMsgDebuggerError);
        return false;
    }
    TypeRef t = StripModifiers(info, v.type);
    if (t.index < kFirstRecordType) {
        Value p = v;
        p.type = t;
        return Primitive(p, out);
    }
    auto r = FindTypeRecord(info, t);
    if (!r) {
        out = base::GetString(kMsgNoTypeRecord);
        return false;
    }
    switch (r->leaf) {
    case kLeafPointer: return PointerText(v, {t.image, Get<std::uint16_t>(r->data, 2)}, depth, out);
    case kLeafStructure:
    case kLeafClass:
    case kLeafUnion:
        if (depth > 0 || !v.hasAddress) {
            out = MsgHex(kMsgFolded, v.address);
            return v.hasAddress;
        }
        return Members(v, t, depth, out);
    case kLeafArray: return ArrayText(v, *r, depth, out);
    case kLeafEnum: return EnumText(v, t, *r, out);
    case kLeafProcedure: {
        std::string_view name = FunctionNameAt(info, v.address);
        out = name.empty() ? Hex(v.address) : std::string(name) + "()";
        return true;
    }
    case kLeafBitField: return BitFieldText(v, t, out);
    default: out = base::GetString(kMsgUnknownLeaf); return false;
    }
}

bool Formatter::Tree(const Value& v, int depth, ValueNode& node) const {
    node.children.clear();
    node.more.reset();
    if (node.label.empty()) node.label = v.name;
    TypeRef t = StripModifiers(info, v.type);
    auto r = t.index >= kFirstRecordType ? FindTypeRecord(info, t) : std::nullopt;
    if (r && r->leaf == kLeafPointer && depth == 0) {
        // The top level expands what it points to.
        TypeRef pointee = StripModifiers(info, {t.image, Get<std::uint16_t>(r->data, 2)});
        std::uint64_t target = 0;
        if (Expandable(info, pointee) && Pointer(v, target) && target) {
            ValueNode inner;
            inner.label = node.label;
            bool ok = Tree(At(v, pointee, target), depth + 1, inner);
            node.text = Hex(target);
            node.children = std::move(inner.children);
            if (!inner.text.empty()) node.text += " " + inner.text;
            if (inner.label != node.label) node.label = inner.label;
            return ok;
        }
    }
    if (r && (r->leaf == kLeafStructure || r->leaf == kLeafClass || r->leaf == kLeafUnion) && v.hasAddress) {
        std::string_view name = TypeName(info, t);
        node.label = MsgText(r->leaf == kLeafUnion ? kMsgUnionHeading : kMsgStructureHeading, std::string(name)) + " " +
                     (v.name.empty() ? std::string(base::GetString(kMsgUnknownName)) : v.name);
        node.text.clear();
        bool ok = true;
        for (const Field& f : Fields(info, t)) {
            ValueNode child;
            child.label = std::string(f.name);
            Value m = At(v, {t.image, f.type}, v.address + static_cast<std::uint64_t>(f.value));
            m.name = v.name + "." + child.label;
            ok = Member(m, depth + 1, child.text) && ok;
            if (Openable(info, m.type)) child.more = std::make_shared<Value>(m);
            node.children.push_back(std::move(child));
        }
        return ok;
    }
    if (r && r->leaf == kLeafArray && v.hasAddress) {
        TypeRef element = StripModifiers(info, {t.image, Get<std::uint16_t>(r->data, 0)});
        std::uint64_t length = TypeSize(info, t), size = TypeSize(info, element);
        std::uint64_t count = size ? length / size : 0;
        node.text.clear();
        if (element.index < kFirstRecordType && IsCharPrimitive(element.index)) {
            std::uint64_t read = 0;
            ValueNode child;
            child.text = StringText(src, v.address, length, &read);
            child.label = Printf("[0..%llu]", static_cast<ull>(read));
            node.children.push_back(std::move(child));
            return true;
        }
        bool ok = true;
        for (std::uint64_t i = 0; i < count && i < kShownElements; ++i) {
            ValueNode child;
            child.label = Printf("[%llu]", static_cast<ull>(i));
            Value e = At(v, element, v.address + i * size);
            e.name = v.name + child.label;
            ok = Member(e, depth + 1, child.text) && ok;
            if (Openable(info, element)) child.more = std::make_shared<Value>(e);
            node.children.push_back(std::move(child));
        }
        if (count > kShownElements) node.children.push_back(ValueNode{"...", "", {}, nullptr});
        return ok;
    }
    return Text(v, depth, node.text);
}

}  // namespace

bool FormatPrimitive(const ValueSource& src, const Value& v, std::string& out) {
    if (!src.info) return false;
    return Formatter{src, *src.info}.Primitive(v, out);
}

bool FormatValue(const ValueSource& src, const Value& v, std::string& out, std::size_t maxLength) {
    out.clear();
    if (!src.info) return false;
    bool ok = Formatter{src, *src.info}.Text(v, 0, out);
    if (maxLength && out.size() > maxLength - 1) out.resize(maxLength - 1);
    return ok;
}

bool FormatTree(const ValueSource& src, const Value& v, ValueNode& out) {
    if (!src.info) return false;
    Value copy = v;  // `v` may be a node's own `more`, which filling `out` can release
    return Formatter{src, *src.info}.Tree(copy, 0, out);
}

}  // namespace tarvo::debugger
