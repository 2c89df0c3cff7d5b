// Values of the stopped program as text, by their type: primitives, pointers, strings, arrays,
// structures, unions, enumerations, bit fields and procedures, as one line or as a tree.
// Memory is read through the reader at the moment of formatting; nothing is kept.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "debugger/debug_info.h"

namespace tarvo::debugger {

using MemoryReader = std::function<bool(std::uint64_t address, void* data, std::size_t size)>;

// What a value is: produced by the evaluator (expressions.h), formatted here.
struct Value {
    std::string name;
    TypeRef type;
    std::uint64_t address = 0;
    std::uint64_t size = 0;
    bool hasAddress = true;    // false: `value` is the value itself (a register or a constant)
    bool inRegister = false;
    std::uint64_t value = 0;   // the first up to 8 bytes at the address, or the value itself
    const Local* local = nullptr;
};

// What formatting needs of the stopped program.
struct ValueSource {
    const DebugInfo* info = nullptr;
    MemoryReader read;
    int radix = 10;  // 10 or 16
};

// One node of an expanded value. A node whose value is itself a structure, union or array
// keeps it in `more`: the window expands it (FormatTree again) when the user opens it.
struct ValueNode {
    std::string label;
    std::string text;
    std::vector<ValueNode> children;
    std::shared_ptr<Value> more;
};

// Size in bytes and kind of a primitive type index (pointers included).
enum class PrimitiveKind { Unknown, Void, Signed, Unsigned, Char, UChar, Bool, Real, Pointer, Special };
struct PrimitiveInfo {
    PrimitiveKind kind = PrimitiveKind::Unknown;
    unsigned size = 0;
};
PrimitiveInfo PrimitiveOf(std::uint16_t index);

// "int", "unsigned long", "char *", "unknown type"...
std::string PrimitiveTypeName(std::uint16_t index);
// The name of any type index: primitive or user type ("* point", "int[10]", "point ",
// "enum 'shade'"...). Types nested beyond a fixed depth are written "...".
std::string TypeText(const DebugInfo& info, TypeRef type);

// "%d"/"%u" in radix 10, "0x%x" in radix 16 (the value masked to `size` bytes).
std::string IntegerText(std::uint64_t value, bool isSigned, unsigned size, int radix);
// "0.0", fixed point with trailing zeros cut to one, or the exponent form for large and small.
std::string RealText(double value);
// The characters from `address` to a zero byte, an unreadable byte, `limit` bytes or 50
// characters of text, quoted, with escapes. `read` counts the bytes read.
std::string StringText(const ValueSource& src, std::uint64_t address, std::uint64_t limit, std::uint64_t* read = nullptr);

// A primitive at an address (or, without one, the value itself). False when unreadable; the
// text then says why.
bool FormatPrimitive(const ValueSource& src, const Value& v, std::string& out);
// Any value as one line of at most `maxLength` characters. False when something could not be
// read or the type is not understood.
bool FormatValue(const ValueSource& src, const Value& v, std::string& out, std::size_t maxLength = 1024);
// A value expanded one level into nodes; `out.label` is the heading.
bool FormatTree(const ValueSource& src, const Value& v, ValueNode& out);

// The first `size` bytes of the value (1 to 8), from memory or from the value itself.
bool ReadValueWord(const ValueSource& src, const Value& v, unsigned size, std::uint64_t& out);

// A value's type reduced past const and volatile.
TypeRef StripModifiers(const DebugInfo& info, TypeRef t);
// True for a type index that names a structure, union or class record.
bool IsAggregate(const DebugInfo& info, TypeRef t);

}  // namespace tarvo::debugger
