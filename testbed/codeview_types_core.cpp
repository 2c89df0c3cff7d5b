#include "codeview_types_core.h"

namespace tarvo::testbed::cv {
namespace {

using binary::Fits;
using binary::Get;
using binary::Slice;
namespace cv4 = debugger::cv4;

enum : std::uint16_t {
    LF_MODIFIER = 0x1001,
    LF_POINTER = 0x1002,
    LF_PROCEDURE = 0x1008,
    LF_ARGLIST = 0x1201,
    LF_FIELDLIST = 0x1203,
    LF_BITFIELD = 0x1205,
    LF_INDEX = 0x1404,
    LF_ENUMERATE = 0x1502,
    LF_ARRAY = 0x1503,
    LF_CLASS = 0x1504,
    LF_STRUCTURE = 0x1505,
    LF_UNION = 0x1506,
    LF_ENUM = 0x1507,
    LF_MEMBER = 0x150D,
    LF_FUNC_ID = 0x1601,
};
constexpr std::uint32_t kCvSignature = 4;
constexpr int kDeepestType = 200;

}  // namespace

// One object's type stream (types and ids share its indices), mapped into the table on demand.
struct ObjectTypes {
    TypeTable& out;
    std::vector<Bytes> records;                             // leaf and data, by index - 0x1000
    std::vector<std::int32_t> mapped;                       // -1 not yet
    std::unordered_map<std::string, std::uint32_t> defs;    // leaf and name: the definition's index
    int depth = 0;
    int unknown = 0;  // records of a kind we do not convert
    bool signedEnumerators = false;  // the field list being converted is a signed enumeration's

    static bool IsSigned(std::uint32_t primitive) {
        switch (primitive) {
        case 0x10: case 0x11: case 0x12: case 0x13: case 0x68: case 0x72: case 0x74: case 0x76: return true;
        default: return false;
        }
    }

    ObjectTypes(TypeTable& t, Bytes section) : out(t) {
        if (Get<std::uint32_t>(section, 0) != kCvSignature) return;
        for (std::uint64_t at = 4; at + 4 <= section.size();) {
            std::uint16_t length = Get<std::uint16_t>(section, at);
            Bytes rec = Slice(section, at + 2, length);
            if (length < 2 || rec.size() != length) break;
            records.push_back(rec);
            at += 2ull + length;
        }
        mapped.assign(records.size(), -1);
        for (std::uint32_t i = 0; i < records.size(); ++i) {
            AggregateInfo a = Describe(i);
            if (a.leaf && !(a.property & cv4::kPropertyForwardRef)) defs.emplace(a.Key(), i);
        }
    }

    struct AggregateInfo {
        std::uint16_t leaf = 0, count = 0, property = 0;
        std::uint32_t fields = 0, underlying = 0;
        std::uint64_t size = 0;
        std::string_view name, unique;
        std::string Key() const { return std::to_string(leaf) + ":" + std::string(unique.empty() ? name : unique); }
    };
    // A structure, union or enumeration record; leaf 0 for any other.
    AggregateInfo Describe(std::uint32_t i) {
        AggregateInfo a;
        Bytes r = records[i];
        std::uint16_t leaf = Get<std::uint16_t>(r, 0);
        std::uint64_t at = 0;
        if (leaf == LF_STRUCTURE || leaf == LF_CLASS) at = 18;
        else if (leaf == LF_UNION) at = 10;
        else if (leaf != LF_ENUM) return a;
        a.count = Get<std::uint16_t>(r, 2);
        a.property = Get<std::uint16_t>(r, 4);
        if (leaf == LF_ENUM) {
            a.underlying = Get<std::uint32_t>(r, 6);
            a.fields = Get<std::uint32_t>(r, 10);
            at = 14;
        } else {
            a.fields = Get<std::uint32_t>(r, 6);
            auto n = debugger::ReadNumeric(r, at);
            if (!n) return a;
            a.size = static_cast<std::uint64_t>(n->value);
            at += n->size;
        }
        a.name = ZeroName(r, at);
        if (a.property & cv4::kPropertyUniqueName) a.unique = ZeroName(r, at + a.name.size() + 1);
        a.leaf = leaf;
        return a;
    }

    Bytes Record(std::uint32_t index) {
        return index >= debugger::kFirstRecordType && index - debugger::kFirstRecordType < records.size()
                   ? records[index - debugger::kFirstRecordType]
                   : Bytes{};
    }

    // Calls `each(leaf, record bytes at the subfield)` for every member or enumerator of a field
    // list, following its continuations; false when it meets a kind it cannot step over.
    template <class F>
    bool EachField(std::uint32_t list, F each, int hops = 0) {
        Bytes r = Record(list);
        if (Get<std::uint16_t>(r, 0) != LF_FIELDLIST || hops > 64) return false;
        for (std::uint64_t at = 2; at < r.size();) {
            if (r[at] >= 0xF0) {
                at += (r[at] & 0x0F) ? (r[at] & 0x0F) : 1;
                continue;
            }
            std::uint16_t leaf = Get<std::uint16_t>(r, at);
            std::uint64_t valueAt;
            if (leaf == LF_MEMBER) valueAt = at + 8;
            else if (leaf == LF_ENUMERATE) valueAt = at + 4;
            else if (leaf == LF_INDEX) {
                if (!EachField(Get<std::uint32_t>(r, at + 4), each, hops + 1)) return false;
                at += 8;
                continue;
            } else return false;
            std::size_t n = NumericSize(r, valueAt);
            if (!n || !Fits(r, valueAt + n, 1)) return false;
            std::string_view name = ZeroName(r, valueAt + n);
            each(leaf, r.subspan(at), valueAt - at, n, name);
            at = valueAt + n + name.size() + 1;
        }
        return true;
    }

    // The image's index for one of ours; 0 (no type) for what cannot be converted.
    std::uint16_t Map(std::uint32_t index) {
        if (index < debugger::kFirstRecordType) return index <= 0xFFF ? static_cast<std::uint16_t>(index) : 0;
        std::uint32_t i = index - debugger::kFirstRecordType;
        if (i >= records.size()) return 0;
        if (mapped[i] >= 0) return static_cast<std::uint16_t>(mapped[i]);
        if (depth > kDeepestType) return 0;
        ++depth;
        std::uint16_t result = Convert(i);
        --depth;
        if (mapped[i] < 0) mapped[i] = result;
        return static_cast<std::uint16_t>(mapped[i]);
    }

    std::uint16_t Convert(std::uint32_t i) {
        Bytes r = records[i];
        Writer w;
        switch (Get<std::uint16_t>(r, 0)) {
        case LF_MODIFIER:
            w.U16(debugger::kLeafModifier), w.U16(Get<std::uint16_t>(r, 6)), w.U16(Map(Get<std::uint32_t>(r, 2)));
            break;
        case LF_POINTER: {
            std::uint32_t attributes = Get<std::uint32_t>(r, 6);
            std::uint16_t to = Map(Get<std::uint32_t>(r, 2));
            w.U16(debugger::kLeafPointer), w.U16(attributes & 0x1FFF), w.U16(to);
            break;
        }
        case LF_PROCEDURE: {
            std::uint16_t result = Map(Get<std::uint32_t>(r, 2)), args = Map(Get<std::uint32_t>(r, 10));
            w.U16(debugger::kLeafProcedure), w.U16(result), w.U8(Get<std::uint8_t>(r, 6)), w.U8(0);
            w.U16(Get<std::uint16_t>(r, 8)), w.U16(args);
            break;
        }
        case LF_ARGLIST: {
            std::uint32_t count = Get<std::uint32_t>(r, 2);
            if (!Fits(r, 6, 4ull * count) || count > 0x7FF0) return 0;  // a record's length is 16 bits
            std::vector<std::uint16_t> args;
            for (std::uint32_t a = 0; a < count; ++a) args.push_back(Map(Get<std::uint32_t>(r, 6 + 4ull * a)));
            w.U16(cv4::kLeafArgList), w.U16(count);
            for (std::uint16_t a : args) w.U16(a);
            break;
        }
        case LF_BITFIELD: {
            std::uint16_t type = Map(Get<std::uint32_t>(r, 2));
            w.U16(debugger::kLeafBitField), w.U8(Get<std::uint8_t>(r, 6)), w.U8(Get<std::uint8_t>(r, 7)), w.U16(type);
            break;
        }
        case LF_ARRAY: {
            std::uint16_t element = Map(Get<std::uint32_t>(r, 2)), indexType = Map(Get<std::uint32_t>(r, 6));
            auto n = debugger::ReadNumeric(r, 10);
            if (!n) return 0;
            w.U16(debugger::kLeafArray), w.U16(element), w.U16(indexType);
            Numeric(w, static_cast<std::uint64_t>(n->value), true);
            w.Counted(ZeroName(r, 10 + n->size));
            break;
        }
        case LF_FIELDLIST: return FieldList(i);
        case LF_STRUCTURE:
        case LF_CLASS:
        case LF_UNION:
        case LF_ENUM: return ConvertAggregate(i);
        default: ++unknown; return 0;
        }
        return out.Add(std::move(w.b));
    }

    std::uint16_t FieldList(std::uint32_t i) {
        Writer w;
        w.U16(debugger::kLeafFieldList);
        bool whole = EachField(debugger::kFirstRecordType + i, [&](std::uint16_t leaf, Bytes f, std::uint64_t valueAt,
                                                                  std::size_t n, std::string_view name) {
            if (leaf == LF_MEMBER) w.U16(debugger::kLeafMember), w.U16(Map(Get<std::uint32_t>(f, 4))), w.U16(Get<std::uint16_t>(f, 2));
            else w.U16(debugger::kLeafEnumerate), w.U16(Get<std::uint16_t>(f, 2));
            Bytes value = f.subspan(valueAt, n);
            std::uint16_t kind = Get<std::uint16_t>(value, 0);
            // clang writes a negative enumerator of a signed enumeration as an unsigned leaf.
            if (leaf == LF_ENUMERATE && signedEnumerators && (kind == 0x8002 || kind == 0x8004 || kind == 0x800A) &&
                (value[n - 1] & 0x80)) {
                w.U16(kind - 1);
                value = value.subspan(2);
            }
            w.Bytes(value);
            w.Counted(name);
            w.PadLeaf();
        });
        if (!whole) ++unknown;
        if (w.b.size() > 0xFFF0) return 0;  // a record's length is 16 bits
        return out.Add(std::move(w.b));
    }

    // Structures, unions and enumerations. A forward reference becomes its definition (in this
    // object, else in one read before); a definition already in the table with the same name,
    // size and fields is that one. A definition gets its index before its fields are converted,
    // so a member that points back at it finds it.
    std::uint16_t ConvertAggregate(std::uint32_t i) {
        AggregateInfo a = Describe(i);
        if (!a.leaf) return 0;
        std::string key = a.Key();
        if (a.property & cv4::kPropertyForwardRef) {
            if (auto d = defs.find(key); d != defs.end()) return Map(debugger::kFirstRecordType + d->second);
            if (auto d = out.byName.find(key); d != out.byName.end()) return d->second;
        } else {
            std::string shape = key + ":" + std::to_string(a.size) + ":" + std::to_string(a.count);
            // Members by name, place and, when primitive, type (other indices are the object's own).
            EachField(a.fields, [&](std::uint16_t leaf, Bytes f, std::uint64_t valueAt, std::size_t n, std::string_view name) {
                std::uint32_t type = leaf == LF_MEMBER ? Get<std::uint32_t>(f, 4) : 0;
                shape += ":" + std::string(name) + "=" + std::string(reinterpret_cast<const char*>(f.data() + valueAt), n) + "/" +
                         std::to_string(type < debugger::kFirstRecordType ? type : 0xFFFFFFFFu);
            });
            if (auto d = out.definitions.find(shape); d != out.definitions.end()) return d->second;
            std::uint16_t index = out.Reserve();
            if (!index) return 0;
            mapped[i] = index;
            out.definitions.emplace(shape, index);
            out.byName.emplace(key, index);
            std::vector<std::uint8_t> record = WriteAggregate(a);
            out.records[index - debugger::kFirstRecordType] = std::move(record);
            return index;
        }
        return out.Add(WriteAggregate(a));  // a forward reference that nothing defines
    }

    std::vector<std::uint8_t> WriteAggregate(const AggregateInfo& a) {
        signedEnumerators = a.leaf == LF_ENUM && IsSigned(a.underlying);
        std::uint16_t fields = a.fields ? Map(a.fields) : 0;
        signedEnumerators = false;
        std::uint16_t property = a.property & ~cv4::kPropertyUniqueName;
        Writer w;
        if (a.leaf == LF_ENUM) {
            w.U16(debugger::kLeafEnum), w.U16(a.count), w.U16(Map(a.underlying)), w.U16(fields), w.U16(property);
        } else if (a.leaf == LF_UNION) {
            w.U16(debugger::kLeafUnion), w.U16(a.count), w.U16(fields), w.U16(property);
            Numeric(w, a.size, false);
        } else {
            w.U16(a.leaf == LF_CLASS ? debugger::kLeafClass : debugger::kLeafStructure), w.U16(a.count), w.U16(fields);
            w.U16(property), w.U16(0), w.U16(0);
            Numeric(w, a.size, false);
        }
        w.Counted(a.name);
        return std::move(w.b);
    }

    // A procedure symbol's type field names its function id; the id names the type.
    std::uint16_t FunctionType(std::uint32_t index) {
        Bytes r = Record(index);
        return Get<std::uint16_t>(r, 0) == LF_FUNC_ID ? Map(Get<std::uint32_t>(r, 6)) : Map(index);
    }
};

void ObjectTypesDeleter::operator()(ObjectTypes* t) const { delete t; }
ObjectTypesPtr ReadObjectTypes(TypeTable& table, Bytes debugT) { return ObjectTypesPtr(new ObjectTypes(table, debugT)); }
std::uint16_t MapType(ObjectTypes& t, std::uint32_t index) { return t.Map(index); }
std::uint16_t FunctionType(ObjectTypes& t, std::uint32_t index) { return t.FunctionType(index); }
int UnknownTypes(const ObjectTypes& t) { return t.unknown; }

std::vector<std::uint8_t> TypeSubsection(const TypeTable& t) {
    Writer w;
    w.U32(1), w.U32(t.records.size());
    std::size_t offsets = w.b.size();
    for (std::size_t k = 0; k < t.records.size(); ++k) w.U32(0);
    std::size_t first = w.b.size();
    for (std::size_t k = 0; k < t.records.size(); ++k) {
        w.Put32(offsets + 4 * k, w.b.size() - first);
        std::size_t at = w.b.size();
        w.U16(0);
        w.b.insert(w.b.end(), t.records[k].begin(), t.records[k].end());
        if (t.records[k].empty()) w.U16(0);  // reserved and never filled: an empty leaf
        w.PadLeaf();
        w.Put16(at, w.b.size() - at - 2);
    }
    return std::move(w.b);
}


}  // namespace tarvo::testbed::cv
