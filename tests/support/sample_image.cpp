#include "sample_image.h"

namespace tarvo::test {
namespace {

ByteVec Concat(std::initializer_list<ByteVec> parts) {
    ByteVec out;
    for (const ByteVec& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

ByteVec Name(const std::string& s) {
    ByteWriter w;
    w.Counted(s);
    return w.b;
}

ByteVec U16s(std::initializer_list<std::uint16_t> values) {
    ByteWriter w;
    for (auto v : values) w.U16(v);
    return w.b;
}

ByteVec Member(std::uint16_t type, std::int64_t offset, const std::string& name) {
    return Concat({U16s({0x0406, type, 0}), NumericLeaf(offset), Name(name)});
}

ByteVec Enumerate(std::int64_t value, const std::string& name) {
    return Concat({U16s({0x0403, 0}), NumericLeaf(value), Name(name)});
}

ByteVec Types(bool is64, SampleTypes& t) {
    CvTypes types;
    std::uint16_t colors = types.Add(0x0204, Concat({Enumerate(0, "RED"), Enumerate(-2, "BLUE"), Enumerate(70000, "FAR")}));
    t.color = types.Add(0x0007, Concat({U16s({3, 0x74, colors, 0}), Name("color")}));
    std::uint16_t xy = types.Add(0x0204, Concat({Member(0x74, 0, "x"), Member(0x74, 4, "y")}));
    t.point = types.Add(0x0005, Concat({U16s({2, xy, 0, 0, 0}), NumericLeaf(8), Name("point")}));
    // A union whose size needs a 4-byte leaf, and an array of three of them.
    ByteVec unionSize = {0x04, 0x80, 0x40, 0x9C, 0x00, 0x00};  // LF_ULONG 40000
    t.value = types.Add(0x0006, Concat({U16s({2, xy, 0}), unionSize, Name("value")}));
    ByteVec arraySize = {0x04, 0x80, 0xC0, 0xD4, 0x01, 0x00};  // LF_ULONG 120000
    t.values = types.Add(0x0003, Concat({U16s({t.value, 0x74}), arraySize, Name("values")}));
    t.nothing = types.Add(0x0006, Concat({U16s({0, 0, 0}), NumericLeaf(0), Name("nothing")}));
    t.nothings = types.Add(0x0003, Concat({U16s({t.nothing, 0x74}), NumericLeaf(8), Name("nothings")}));
    t.pointToPoint = types.Add(0x0002, U16s({static_cast<std::uint16_t>(is64 ? 0x0C : 0x0A), t.point}));
    t.bits = types.Add(0x0206, {3, 5, 0x75, 0x00});
    ByteVec bigSize = {0x02, 0x80, 0x40, 0x9C};  // LF_USHORT 40000: above the signed range
    t.big = types.Add(0x0005, Concat({U16s({0, 0, 0, 0, 0}), bigSize, Name("big")}));
    return types.Build();
}

std::vector<CvSubsection> SampleCodeView(bool is64, SampleTypes& t) {
    std::uint16_t reg = is64 ? 328 : 17;  // rax / eax
    CvSymbols m1 = AlignedSymbolWriter();
    m1.Proc(0x205, "main", 0x0, 1, 0x80, {{"count", false, -4, 0, 0x74}, {"p", true, 0, reg, 0x74}});
    m1.Proc(0x204, "static_fn", 0xA0, 1, 0x60);
    m1.Data(0x201, "counter", 0x10, 2, 0x74);
    m1.Data(0x202, "g_total", 0x20, 2, 0x1000 + 3);
    m1.TextConstant("LIMIT", "42");
    m1.NumberConstant("MAXV", 7);
    m1.Raw(0x1234, ByteVec(8, 0));  // an unknown kind: skipped
    CvSymbols m2 = AlignedSymbolWriter();
    m2.Proc(0x205, "util_add", 0x100, 1, 0x200);
    m2.Data(0x201, "counter", 0x30, 2, 0x74);
    CvSymbols m3 = AlignedSymbolWriter();
    m3.Proc(0x205, "helper", 0x340, 1, 0x20);
    CvSymbols statics = GlobalSymbolWriter();
    statics.Data(0x201, "file_static", 0x40, 2, 0x74);
    CvSymbols globals = GlobalSymbolWriter();
    globals.Data(0x202, "g_count", 0x50, 2, 0x74);
    globals.Data(0x203, "_pub", 0x60, 2, 0);
    globals.Raw(0x400, ByteVec(12, 0));  // procedure reference: skipped

    CvFileLines mainC{"C:\\src\\main.c", {{{1, 0x0, 0x80}, {{0x0, 10}, {0x10, 12}, {0x20, 13}, {0x40, 20}, {0x60, 22}}},
                                          {{1, 0xA0, 0x100}, {{0xA0, 30}, {0xC0, 40}}},
                                          {{1, 0x300, 0x340}, {{0x300, 50}, {0x320, 52}}}}};
    CvFileLines utilH{"C:\\src\\util.h", {{{1, 0x80, 0xA0}, {{0x80, 40}, {0x90, 41}}}}};
    CvFileLines utilC{"C:\\src\\util.c", {{{1, 0x100, 0x300}, {{0x100, 5}, {0x120, 6}, {0x200, 9}}}}};
    return {
        {0x120, 1, ModuleSubsection("Main.OBJ", {{1, 0x0, 0x100}, {1, 0x300, 0x340}})},
        {0x120, 2, ModuleSubsection("util.obj", {{1, 0x100, 0x300}})},
        {0x120, 3, ModuleSubsection("helper.obj", {{1, 0x340, 0x360}})},
        {0x125, 1, AlignedSymbols(m1)},
        {0x125, 2, AlignedSymbols(m2)},
        {0x125, 3, AlignedSymbols(m3)},
        {0x127, 1, SourceModule({mainC, utilH}, {{1, 0x0, 0x100}, {1, 0x300, 0x340}})},
        {0x127, 2, SourceModule({utilC}, {{1, 0x100, 0x300}})},
        {0x134, 0, GlobalSymbols(statics)},
        {0x129, 0, GlobalSymbols(globals)},
        {0x12B, 0, Types(is64, t)},
    };
}

}  // namespace

PeSpec SampleSpec(bool is64, SampleTypes* types) {
    SampleTypes t{};
    PeSpec spec;
    spec.is64 = is64;
    spec.imageBase = is64 ? 0x140000000ull : 0x400000;
    spec.imports = {{"KERNEL32.dll", {"ExitProcess", "GetTickCount"}}, {"USER32.dll", {"MessageBoxA"}}};
    spec.codeView = CodeViewData(SampleCodeView(is64, t));
    std::string d = is64 ? "" : "_";
    std::string exitName = is64 ? "ExitProcess" : "_ExitProcess@4";
    spec.symbols = {
        {".text", 0, 1, 3},          {d + "main", 0x0, 1, 2},
        {d + "util_add", 0x100, 1, 2}, {d + "helper", 0x340, 1, 2},
        {exitName, kSampleThunk, 1, 2}, {d + "MessageBoxA", kSampleFalseThunk, 1, 2},
        {is64 ? "GetTickCount" : "_GetTickCount@0", 0, -1, 2},
        {d + "a_rather_long_function_name", 0x390, 1, 2},
    };
    // The code: zeros, one true thunk through ExitProcess's slot, and no jump at the false one.
    spec.text.assign(0x3A0, 0x90);
    PeLayout layout = LayoutOf(spec);
    std::uint64_t slot = spec.imageBase + layout.slotRvas[0][0];
    ByteWriter jump;
    jump.U8(0xFF), jump.U8(0x25);
    if (is64) jump.U32(static_cast<std::uint32_t>(slot - (spec.imageBase + 0x1000 + kSampleThunk + 6)));
    else jump.U32(static_cast<std::uint32_t>(slot));
    std::copy(jump.b.begin(), jump.b.end(), spec.text.begin() + kSampleThunk);
    if (types) *types = t;
    return spec;
}

PeSpec SampleDllSpec(bool is64) {
    PeSpec spec;
    spec.is64 = is64;
    spec.imageBase = is64 ? 0x180000000ull : 0x10000000;
    CvSymbols syms = AlignedSymbolWriter();
    syms.Proc(0x205, "dll_fn", 0x0, 1, 0x40);
    syms.Data(0x201, "counter", 0x10, 2, 0x1000);
    syms.Data(0x202, "dll_global", 0x20, 2, 0x1000);
    CvTypes types;
    types.Add(0x0005, Concat({U16s({0, 0, 0, 0, 0}), NumericLeaf(24), Name("dllpoint")}));
    CvFileLines dllC{"C:\\dll\\dll.c", {{{1, 0x0, 0x40}, {{0x0, 3}, {0x20, 4}}}}};
    spec.codeView = CodeViewData({
        {0x120, 1, ModuleSubsection("dll.obj", {{1, 0x0, 0x40}})},
        {0x125, 1, AlignedSymbols(syms)},
        {0x127, 1, SourceModule({dllC}, {{1, 0x0, 0x40}})},
        {0x12B, 0, types.Build()},
    });
    spec.text.assign(0x40, 0xC3);
    return spec;
}

}  // namespace tarvo::test
