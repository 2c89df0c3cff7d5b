// Values by type on a built type table over a sparse memory, with 32-bit and 64-bit pointers.
#include <gtest/gtest.h>

#include "debugger/values.h"
#include "scripted_ui.h"
#include "value_image.h"

namespace tarvo::debugger {
namespace {

using test::Hex;

struct Values : ::testing::TestWithParam<bool>, test::ValueRun {
    test::ScopedScriptedUi ui;
    ValueSource src;
    static constexpr std::uint64_t kHeap = 0x7000000;
    void SetUp() override {
        ASSERT_TRUE(Open(GetParam()));
        src = {&info, mem.Reader(), 10};
    }
    std::uint16_t P(std::uint16_t base) const { return static_cast<std::uint16_t>((GetParam() ? 0x600 : 0x400) | base); }
    Value V(std::uint16_t type, std::uint64_t address) const {
        Value v;
        v.type = {0, type};
        v.address = address;
        v.name = "v";
        return v;
    }
    // The primitive formatter, or the general one; `ok` gets what it returned.
    std::string Prim(std::uint16_t type, std::uint64_t address, bool* ok = nullptr, bool general = false) {
        std::string out;
        bool r = general ? FormatValue(src, V(type, address), out) : FormatPrimitive(src, V(type, address), out);
        if (ok) *ok = r;
        return out;
    }
    std::string Show(std::uint16_t type, std::uint64_t address, bool* ok = nullptr) { return Prim(type, address, ok, true); }
};

TEST_P(Values, EveryPrimitiveBySizeAndSign) {
    struct Case { std::uint16_t type; std::uint64_t bits; unsigned size; const char* dec; const char* hex; };
    const Case cases[] = {
        {0x75, 3000000000u, 4, "3000000000", "0xb2d05e00"},       // unsigned int stays unsigned
        {0x74, 0xFFFFFFFF, 4, "-1", "0xffffffff"},
        {0x22, 0xFFFFFFFF, 4, "4294967295", "0xffffffff"},        // unsigned long
        {0x77, ~0ull, 8, "18446744073709551615", "0xffffffffffffffff"},  // 64 bits, not cut
        {0x76, 0x8000000000000000ull, 8, "-9223372036854775808", "0x8000000000000000"},
        {0x23, 0x100000000ull, 8, "4294967296", "0x100000000"},
        {0x21, 0xFFFF, 2, "65535", "0xffff"},
        {0x72, 0xFFFE, 2, "-2", "0xfffe"},
        {0x71, 0x263A, 2, "9786", "0x263a"},                     // wchar
        {0x30, 1, 1, "1", "0x1"},                                // bool
        {0x10, 65, 1, "65 'A'", "0x41 'A'"},
        {0x70, 200, 1, "-56 '\xC8'", "0xc8 '\xC8'"},
        {0x20, 200, 1, "200 '\xC8'", "0xc8 '\xC8'"},
        {0x70, 9, 1, "9 '\\t'", "0x9 '\\t'"},
        {0x70, 0, 1, "0 '\\00'", "0x0 '\\00'"},                   // a zero byte never cuts the text
    };
    std::uint64_t at = kHeap;
    for (const Case& c : cases) {
        mem.Word(at, c.bits, c.size);
        src.radix = 10;
        EXPECT_EQ(Prim(c.type, at), c.dec) << std::hex << c.type;
        src.radix = 16;
        EXPECT_EQ(Prim(c.type, at), c.hex) << std::hex << c.type;
        at += 16;
    }
    src.radix = 10;
    bool ok = true;
    EXPECT_EQ(Prim(0x5F, kHeap, &ok), "unknown type");
    EXPECT_FALSE(ok);
    EXPECT_EQ(PrimitiveTypeName(0x00), "unknown type");
    EXPECT_EQ(PrimitiveTypeName(0x75), "unsigned int");
    EXPECT_EQ(PrimitiveTypeName(0x403), "void *");
    EXPECT_EQ(PrimitiveTypeName(0x510), "signed char *");
    EXPECT_EQ(PrimitiveTypeName(0x476), "pointer to long long");
    EXPECT_EQ(PrimitiveTypeName(0x675), "unsigned int *");
    EXPECT_EQ(PrimitiveOf(0x23).size, 8u);
    EXPECT_EQ(PrimitiveOf(0x670).size, 8u);
    EXPECT_EQ(PrimitiveOf(0x470).size, 4u);
}

TEST_P(Values, RealsUnreadableValuesAndFunctions) {
    struct Case { double v; const char* text; };
    for (const Case& c : {Case{0.1, "0.1"}, Case{100, "100.0"}, Case{2.5, "2.5"}, Case{1e20, "1e+20"}, Case{-3.5, "-3.5"},
                          Case{0, "0.0"}, Case{1e-20, "1e-20"}}) {
        mem.Put(kHeap, &c.v, 8);
        EXPECT_EQ(Prim(0x41, kHeap), c.text) << c.v;
    }
    float f = 2.5f;
    mem.Put(kHeap + 8, &f, 4);
    EXPECT_EQ(Prim(0x40, kHeap + 8), "2.5");
    const std::uint8_t real80[10] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xBF};  // -1.5
    mem.Put(kHeap + 16, real80, 10);
    EXPECT_EQ(Prim(0x42, kHeap + 16), "-1.5");
    bool ok = true;
    EXPECT_EQ(Prim(0x74, 0x5000, &ok), "<bad address 0x5000>");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Prim(0x41, 0x5000, &ok), "<bad address 0x5000>");
    EXPECT_EQ(Prim(0x72, 0x5000, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Prim(0x77, 0, &ok), "NULL");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Prim(0x205, code + 0x10, &ok), "function at " + Hex(code + 0x10));
    EXPECT_TRUE(ok);
    // A value without an address (a register) is formatted from the value itself.
    Value r = V(0x75, 0);
    r.hasAddress = false;
    r.value = 0x1B2D05E00ull;  // upper bits beyond the type are not shown
    std::string out;
    EXPECT_TRUE(FormatPrimitive(src, r, out));
    EXPECT_EQ(out, "3000000000");
}

TEST_P(Values, PointersAndStringsWithEscapes) {
    std::uint64_t text = kHeap + 0x100;
    mem.Text(text, "a\tb\"\x01");
    mem.Word(kHeap, text, ptr);
    EXPECT_EQ(Prim(P(0x70), kHeap), Hex(text) + " \"a\\tb\\\"\\01\"");
    mem.Text(text + 0x100, std::string(200, 'z'));
    mem.Word(kHeap + 8, text + 0x100, ptr);
    EXPECT_EQ(Prim(P(0x70), kHeap + 8), Hex(text + 0x100) + " \"" + std::string(50, 'z') + "\"");
    mem.Word(kHeap + 16, 0, ptr);
    EXPECT_EQ(Prim(P(0x70), kHeap + 16), "NULL");
    EXPECT_EQ(Prim(P(0x03), kHeap + 16), "void * NULL");
    bool ok = true;
    EXPECT_EQ(Prim(P(0x70), 0x5000, &ok), "<Uninitialized pointer>");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Prim(P(0x03), 0x5000, &ok), "void * <uninitialized pointer>");
    EXPECT_EQ(Prim(P(0x03), kHeap, &ok), "void * " + Hex(text));
    mem.Word(kHeap + 24, 7, 4);
    mem.Word(kHeap + 32, kHeap + 24, ptr);
    EXPECT_EQ(Prim(P(0x74), kHeap + 32), "int * " + Hex(kHeap + 24) + " = 7");
    mem.Word(kHeap + 40, 0x9000, ptr);  // points nowhere readable
    EXPECT_EQ(Prim(P(0x74), kHeap + 40, &ok), "int * 0x9000 = <bad address 0x9000>");
    EXPECT_FALSE(ok);
}

TEST_P(Values, TypeNamesIncludingACycle) {
    EXPECT_EQ(TypeText(info, {0, types.point}), "point ");
    EXPECT_EQ(TypeText(info, {0, types.pointPtr}), "* point ");
    EXPECT_EQ(TypeText(info, {0, types.constPointPtr}), "* point ");
    EXPECT_EQ(TypeText(info, {0, types.ints}), "int[30]");
    EXPECT_EQ(TypeText(info, {0, types.chars}), "char[12]");
    EXPECT_EQ(TypeText(info, {0, types.shade}), "enum 'shade'");
    EXPECT_EQ(TypeText(info, {0, types.procPtr}), "* function");
    EXPECT_EQ(TypeText(info, {0, 0x2000}), "unknown");
    std::string cycle = TypeText(info, {0, types.cycle});  // ends instead of overflowing the stack
    EXPECT_TRUE(cycle.starts_with("* * * ")) << cycle;
    EXPECT_TRUE(cycle.ends_with("...")) << cycle;
}

TEST_P(Values, StructuresUnionsEnumsAndBitFields) {
    std::uint64_t pt = data + test::kGPoint;
    mem.Word(pt, 1, 4), mem.Word(pt + 4, 2, 4), mem.Word(pt + 8, 0, ptr);
    EXPECT_EQ(Show(types.point, pt), "{ x: 1\ny: 2\nnext: NULL\n }");
    std::uint64_t outer = data + test::kGOuter;
    mem.Word(outer, 0, 8 + ptr);
    mem.Word(outer + 8 + ptr, 7, 4);
    EXPECT_EQ(Show(types.outer, outer), "{ where: " + Hex(outer) + "\ntone: LIGHT\n }");
    mem.Word(outer + 8 + ptr, static_cast<std::uint32_t>(-2), 4);
    EXPECT_EQ(Show(types.shade, outer + 8 + ptr), "NONE");
    mem.Word(outer + 8 + ptr, 5, 4);
    EXPECT_EQ(Show(types.shade, outer + 8 + ptr), "5");  // no enumerator: the number
    float f = 2.5f;
    mem.Put(data + test::kGNumber, &f, 4);
    EXPECT_EQ(Show(types.number, data + test::kGNumber),
              "{ i: 1075838976\nf: 2.5\nbytes: " + Hex(data + test::kGNumber) + "\n }");
    // ready 1, level 5, rest 100, sign -3 (a signed field keeps its sign).
    std::uint32_t word = 1 | (5 << 1) | (100 << 4) | (0xD << 16);
    mem.Word(data + test::kGFlags, word, 4);
    EXPECT_EQ(Show(types.flags, data + test::kGFlags), "{ ready: 1\nlevel: 5\nrest: 100\nsign: -3\n }");
    // A pointer shows the structure it points to folded.
    mem.Word(kHeap, pt, ptr);
    EXPECT_EQ(Show(types.pointPtr, kHeap), "{ ... } " + Hex(pt));
    EXPECT_EQ(Show(types.constPointPtr, kHeap), "{ ... } " + Hex(pt));
    mem.Word(kHeap + 8, code, ptr);
    EXPECT_EQ(Show(types.procPtr, kHeap + 8), "main()");
    bool ok = true;
    EXPECT_EQ(Show(types.pointPtr, 0x5000, &ok), "<Uninitialized pointer 0x5000>");
    EXPECT_FALSE(ok);
}

TEST_P(Values, ArraysAndTheCycleLimit) {
    std::uint64_t ints = data + test::kGInts;
    for (int i = 0; i < 30; ++i) mem.Word(ints + 4 * i, i * i, 4);
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += std::to_string(i * i) + " ";
    EXPECT_EQ(Show(types.ints, ints), expected + "...");
    std::string cut;
    FormatValue(src, V(types.ints, ints), cut, 10);
    EXPECT_EQ(cut, "0 1 4 9 1");
    mem.Text(data + test::kGChars, "hi");
    EXPECT_EQ(Show(types.chars, data + test::kGChars), "[0..2] = \"hi\"");
    mem.Put(data + test::kGChars, std::string(16, 'x').data(), 16);  // no terminator inside the array
    EXPECT_EQ(Show(types.chars, data + test::kGChars), "[0..12] = \"" + std::string(12, 'x') + "\"");
    std::uint64_t self = data + test::kGCycle;
    mem.Word(self, self, ptr);
    bool ok = true;
    EXPECT_EQ(Show(types.cycle, self, &ok), "***Debugger error****");
    EXPECT_FALSE(ok);
}

TEST_P(Values, TreesExpandOneLevelAndKeepTheRestForLater) {
    std::uint64_t outer = data + test::kGOuter;
    mem.Word(outer, 3, 4), mem.Word(outer + 4, 4, 4), mem.Word(outer + 8, 0, ptr), mem.Word(outer + 8 + ptr, 1, 4);
    Value v = V(types.outer, outer);
    v.name = "g_outer";
    ValueNode tree;
    EXPECT_TRUE(FormatTree(src, v, tree));
    EXPECT_EQ(tree.label, "structure outer g_outer");
    ASSERT_EQ(tree.children.size(), 2u);
    EXPECT_EQ(tree.children[1].text, "DARK");
    ASSERT_TRUE(tree.children[0].more);
    ValueNode where;
    EXPECT_TRUE(FormatTree(src, *tree.children[0].more, where));
    EXPECT_EQ(where.label, "structure point g_outer.where");
    ASSERT_EQ(where.children.size(), 3u);
    EXPECT_EQ(where.children[1].text, "4");
    ASSERT_TRUE(where.children[2].more);  // a pointer to a structure opens what it points to
    mem.Word(outer + 8, outer, ptr);
    ValueNode next;
    EXPECT_TRUE(FormatTree(src, *where.children[2].more, next));
    ASSERT_EQ(next.children.size(), 3u);
    EXPECT_EQ(next.children[0].text, "3");
    // A pointer at the top expands what it points to; an unnamed value says so.
    mem.Word(kHeap, outer, ptr);
    ValueNode through;
    EXPECT_TRUE(FormatTree(src, V(types.pointPtr, kHeap), through));
    ASSERT_EQ(through.children.size(), 3u);
    EXPECT_EQ(through.children[0].text, "3");
    ValueNode ints;
    FormatTree(src, V(types.ints, data + test::kGInts), ints);
    ASSERT_EQ(ints.children.size(), 21u);
    EXPECT_EQ(ints.children[20].label, "...");
    FormatTree(src, *tree.children[0].more, tree);  // opened in place: its value outlives the old node
    EXPECT_EQ(tree.label, "structure point g_outer.where");
    v.name.clear();
    FormatTree(src, v, tree);
    EXPECT_EQ(tree.label, "structure outer <unknown>");
}

INSTANTIATE_TEST_SUITE_P(BothPointerSizes, Values, ::testing::Bool(),
                         [](const auto& p) { return p.param ? std::string("x64") : std::string("i386"); });

}  // namespace
}  // namespace tarvo::debugger
