// The reading layer's edges: long section names, symbol and auxiliary walking, names outside the
// string table, the machine record, and archive member names of every form.
#include <gtest/gtest.h>

#include "binary/archive.h"
#include "binary/coff.h"
#include "coff_builder.h"

namespace tarvo::binary {
namespace {

Bytes View(const test::ByteVec& b) { return Bytes(b.data(), b.size()); }

TEST(Coff, SectionsAndSymbolsReadWithTheirLongNames) {
    test::ObjSpec spec;
    spec.machine = kMachineAmd64;
    spec.sections = {{".text", 2}, {".debug_info_long", 6, 0x42000040}, {"/99999", 1, 0x40000040}};
    spec.symbols = {test::FileSymbol("source_with_a_long_name.c"), {"short", 5, 1, 2, 0, {}}, {"longer_than_eight", 0, 0, 2, 0, {}}};
    test::BuiltObject obj = test::BuildObject(spec);
    CoffHeader h;
    ASSERT_TRUE(ReadCoffHeader(View(obj.bytes), 0, h));
    ASSERT_EQ(h.machine, &kAmd64);
    CoffFault fault = CoffFault::None;
    Bytes strings = StringTableOf(View(obj.bytes), h, fault);
    std::vector<Section> sections;
    ASSERT_TRUE(ReadSections(View(obj.bytes), h, strings, sections, fault));
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[1].name, ".debug_info_long");
    EXPECT_EQ(sections[2].name, "/99999");  // an offset past the table: kept as written
    std::vector<Symbol> symbols;
    std::size_t bad = 0;
    ASSERT_TRUE(ReadSymbols(View(obj.bytes), h, strings, symbols, fault, bad));
    ASSERT_EQ(symbols.size(), 3u);
    EXPECT_EQ(FileSymbolName(symbols[0]), "source_with_a_long_name.c");
    EXPECT_EQ(symbols[1].index, 3u);  // after the file symbol's two auxiliary records
    EXPECT_EQ(symbols[1].name, "short");
    EXPECT_EQ(symbols[2].name, "longer_than_eight");
    EXPECT_EQ(fault, CoffFault::None);
    EXPECT_EQ(bad, 0u);
    // A string table whose last name has no terminator gives no name, not the bytes after it.
    test::ByteVec cut = obj.bytes;
    cut.back() = 'x';
    ASSERT_TRUE(ReadSymbols(View(cut), h, StringTableOf(View(cut), h, fault), symbols, fault, bad));
    EXPECT_EQ(symbols[2].name, "");
    EXPECT_EQ(bad, 1u);
}

TEST(Coff, MachineRecordsUndecorate) {
    EXPECT_EQ(MachineOf(0x14C), &kI386);
    EXPECT_EQ(MachineOf(0x1C4), nullptr);
    EXPECT_EQ(UndecoratedName(kI386, "_WinMain@16"), "WinMain");
    EXPECT_EQ(UndecoratedName(kAmd64, "_WinMain@16"), "_WinMain");
    EXPECT_EQ(UndecoratedName(kI386, "@fast@8"), "@fast@8");
}

TEST(Archive, MemberNamesInEveryForm) {
    test::ObjSpec spec;
    spec.sections = {{".text", 1}};
    test::ByteVec obj = test::BuildObject(spec).bytes;  // odd length: padded members
    for (bool microsoft : {false, true}) {
        test::ByteVec lib = test::BuildArchive({{"x.o", obj}, {"a_member_name_longer.o", obj}, {"x.o", obj}}, microsoft);
        std::vector<ArchiveMember> members;
        std::string problem;
        ASSERT_TRUE(ReadArchive(View(lib), members, problem)) << problem;
        ASSERT_EQ(members.size(), 3u);
        EXPECT_EQ(members[1].name, "a_member_name_longer.o");
        EXPECT_EQ(members[2].name, "x.o");
        EXPECT_EQ(members[2].position, 2u);
        EXPECT_TRUE(std::equal(obj.begin(), obj.end(), members[2].bytes.begin(), members[2].bytes.end()));
    }
    // BSD "#1/n": the name leads the data.
    std::string bsd = "!<arch>\n#1/12           0           0     0     644     15        `\nname_is_12ch" "abc";
    std::vector<ArchiveMember> members;
    std::string problem;
    ASSERT_TRUE(ReadArchive(Bytes(reinterpret_cast<const std::uint8_t*>(bsd.data()), bsd.size()), members, problem)) << problem;
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].name, "name_is_12ch");
    EXPECT_EQ(members[0].bytes.size(), 3u);
    // A size field with letters, and a long name with no table, fail with a reason.
    std::string letters = "!<arch>\nx.o/            0           0     0     644     1x        `\n";
    EXPECT_FALSE(ReadArchive(Bytes(reinterpret_cast<const std::uint8_t*>(letters.data()), letters.size()), members, problem));
    EXPECT_EQ(problem, "damaged member header at offset 8");
    std::string noTable = "!<arch>\n/0              0           0     0     644     0         `\n";
    EXPECT_FALSE(ReadArchive(Bytes(reinterpret_cast<const std::uint8_t*>(noTable.data()), noTable.size()), members, problem));
}

}  // namespace
}  // namespace tarvo::binary
