// A program image whose types cover every kind of value (for the formatter and evaluator
// tests), and a sparse memory for it: bytes that were never put cannot be read.
#pragma once
#include <cstring>
#include <map>
#include <sstream>

#include "debug_test_util.h"
#include "debugger/debug_reader.h"
#include "debugger/values.h"
#include "pe_builder.h"

namespace tarvo::test {

struct ValueTypes {
    std::uint16_t point, pointPtr, cycle, ints, chars, points, number, shade, flags, constPoint, constPointPtr, procPtr, outer;
};

struct FakeMemory {
    std::map<std::uint64_t, std::uint8_t> bytes;
    void Put(std::uint64_t at, const void* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) bytes[at + i] = static_cast<const std::uint8_t*>(data)[i];
    }
    void Word(std::uint64_t at, std::uint64_t v, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) bytes[at + i] = i < 8 ? static_cast<std::uint8_t>(v >> (8 * i)) : 0;
    }
    void Text(std::uint64_t at, const std::string& s) { Put(at, s.c_str(), s.size() + 1); }
    debugger::MemoryReader Reader() const {
        return [this](std::uint64_t address, void* data, std::size_t size) {
            for (std::size_t i = 0; i < size; ++i) {
                auto b = bytes.find(address + i);
                if (b == bytes.end()) return false;
                static_cast<std::uint8_t*>(data)[i] = b->second;
            }
            return true;
        };
    }
};

namespace values_detail {
inline ByteVec Cat(std::initializer_list<ByteVec> parts) {
    ByteVec out;
    for (const ByteVec& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline ByteVec Name(const std::string& s) {
    ByteWriter w;
    w.Counted(s);
    return w.b;
}
inline ByteVec U16s(std::initializer_list<std::uint16_t> values) {
    ByteWriter w;
    for (auto v : values) w.U16(v);
    return w.b;
}
inline ByteVec Member(std::uint16_t type, std::int64_t offset, const std::string& name) {
    return Cat({U16s({0x0406, type, 0}), NumericLeaf(offset), Name(name)});
}
}  // namespace values_detail

// Data offsets (segment 2) of the globals.
enum : std::uint32_t {
    kGPoint = 0x10, kGInts = 0x40, kGBig = 0x100, kGName = 0x110, kGShade = 0x120, kGChars = 0x130, kGNumber = 0x140,
    kGFlags = 0x150, kGCycle = 0x160, kGOuter = 0x170, kGConst = 0x190, kGDouble = 0x1A0, kGFunction = 0x1B0,
    kGPoints = 0x1C0, kGIndex = 0x1F0, kSCount = 0x1F8,
};

inline PeSpec ValueSpec(bool is64, ValueTypes& t) {
    using namespace values_detail;
    std::uint16_t attr = is64 ? 0x0C : 0x0A, ptr = is64 ? 8 : 4;
    CvTypes types;
    auto next = [&] { return static_cast<std::uint16_t>(0x1000 + types.records.size()); };
    std::uint16_t pointList = next() + 1;
    t.pointPtr = types.Add(0x0002, U16s({attr, static_cast<std::uint16_t>(pointList + 1)}));
    types.Add(0x0204, Cat({Member(0x74, 0, "x"), Member(0x74, 4, "y"), Member(t.pointPtr, 8, "next")}));
    t.point = types.Add(0x0005, Cat({U16s({3, pointList, 0, 0, 0}), NumericLeaf(8 + ptr), Name("point")}));
    t.cycle = next();
    types.Add(0x0002, U16s({attr, t.cycle}));  // points to itself
    t.ints = types.Add(0x0003, Cat({U16s({0x74, 0x74}), NumericLeaf(120), Name("")}));
    t.chars = types.Add(0x0003, Cat({U16s({0x70, 0x74}), NumericLeaf(12), Name("")}));
    t.points = types.Add(0x0003, Cat({U16s({t.point, 0x74}), NumericLeaf(2 * (8 + ptr)), Name("")}));
    std::uint16_t bytes4 = types.Add(0x0003, Cat({U16s({0x20, 0x74}), NumericLeaf(4), Name("")}));
    std::uint16_t numberList = types.Add(0x0204, Cat({Member(0x74, 0, "i"), Member(0x40, 0, "f"), Member(bytes4, 0, "bytes")}));
    t.number = types.Add(0x0006, Cat({U16s({3, numberList, 0}), NumericLeaf(4), Name("number")}));
    auto enumerate = [](std::int64_t v, const std::string& n) { return Cat({U16s({0x0403, 0}), NumericLeaf(v), Name(n)}); };
    std::uint16_t shades = types.Add(0x0204, Cat({enumerate(1, "DARK"), enumerate(7, "LIGHT"), enumerate(-2, "NONE")}));
    t.shade = types.Add(0x0007, Cat({U16s({3, 0x74, shades, 0}), Name("shade")}));
    std::uint16_t ready = types.Add(0x0206, {1, 0, 0x75, 0}), level = types.Add(0x0206, {3, 1, 0x75, 0});
    std::uint16_t rest = types.Add(0x0206, {12, 4, 0x75, 0}), sign = types.Add(0x0206, {4, 16, 0x74, 0});
    std::uint16_t flagList = types.Add(0x0204, Cat({Member(ready, 0, "ready"), Member(level, 0, "level"), Member(rest, 0, "rest"),
                                                    Member(sign, 0, "sign")}));
    t.flags = types.Add(0x0005, Cat({U16s({4, flagList, 0, 0, 0}), NumericLeaf(4), Name("flags")}));
    t.constPoint = types.Add(0x0001, U16s({1, t.point}));
    t.constPointPtr = types.Add(0x0002, U16s({attr, t.constPoint}));
    std::uint16_t proc = types.Add(0x0008, Cat({U16s({0x74}), {0, 0}, U16s({0, 0})}));
    t.procPtr = types.Add(0x0002, U16s({attr, proc}));
    std::uint16_t outerList = types.Add(0x0204, Cat({Member(t.point, 0, "where"), Member(t.shade, 8 + ptr, "tone")}));
    t.outer = types.Add(0x0005, Cat({U16s({2, outerList, 0, 0, 0}), NumericLeaf(12 + ptr), Name("outer")}));

    CvSymbols m = AlignedSymbolWriter();
    std::uint16_t reg = is64 ? 0x148 : 17, low = 0x09;  // rax / eax, and ax
    m.Proc(0x205, "main", 0x0, 1, 0x80,
           {{"count", false, -4, 0, 0x74}, {"r", true, 0, reg, 0x75}, {"p", false, -16, 0, t.pointPtr},
            {"arr", false, -200, 0, t.ints}, {"half", true, 0, low, 0x21}, {"odd", true, 0, 0x3FF, 0x74}});
    m.Data(0x201, "s_count", kSCount, 2, 0x74);
    m.TextConstant("LIMIT", "42");
    CvSymbols g = GlobalSymbolWriter();
    struct { const char* name; std::uint32_t at; std::uint16_t type; } globals[] = {
        {"g_point", kGPoint, t.point}, {"g_ints", kGInts, t.ints}, {"g_big", kGBig, 0x77},
        {"g_name", kGName, static_cast<std::uint16_t>(is64 ? 0x670 : 0x470)}, {"g_shade", kGShade, t.shade},
        {"g_chars", kGChars, t.chars}, {"g_number", kGNumber, t.number}, {"g_flags", kGFlags, t.flags},
        {"g_cycle", kGCycle, t.cycle}, {"g_outer", kGOuter, t.outer}, {"g_const", kGConst, t.constPointPtr},
        {"g_double", kGDouble, static_cast<std::uint16_t>(is64 ? 0x641 : 0x441)}, {"g_function", kGFunction, t.procPtr},
        {"g_points", kGPoints, t.points}, {"g_index", kGIndex, 0x74},
    };
    for (const auto& d : globals) g.Data(0x202, d.name, d.at, 2, d.type);
    PeSpec spec;
    spec.is64 = is64;
    spec.imageBase = is64 ? 0x140000000ull : 0x400000;
    spec.codeView = CodeViewData({
        {0x120, 1, ModuleSubsection("vals.obj", {{1, 0x0, 0x100}})},
        {0x125, 1, AlignedSymbols(m)},
        {0x129, 0, GlobalSymbols(g)},
        {0x12B, 0, types.Build()},
    });
    spec.symbols = {{".text", 0, 1, 3}, {is64 ? "main" : "_main", 0x0, 1, 2}};
    spec.text.assign(0x100, 0x90);
    return spec;
}

// The image read into a run's tables, with the addresses the tests use.
struct ValueRun {
    debugger::DebugInfo info;
    ValueTypes types{};
    FakeMemory mem;
    std::uint64_t data = 0, code = 0;  // the globals' segment; the code, where main starts
    unsigned ptr = 4;
    bool Open(bool is64) {
        PeSpec spec = ValueSpec(is64, types);
        data = spec.imageBase + LayoutOf(spec).rdataRva;
        code = spec.imageBase + 0x1000;
        ptr = is64 ? 8 : 4;
        return debugger::OpenExecutable(info, SourceOf("vals.exe", BuildPe(spec)), false);
    }
};

inline std::string Hex(std::uint64_t v) { return "0x" + (std::ostringstream() << std::hex << v).str(); }

}  // namespace tarvo::test
