// Structure description files through real files (read, save, redefine, refuse and leave
// alone), the field lines read strictly, and structures laid over bytes: every type, texts,
// missing elements at the end of the file, the bytes that follow and the offset after.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "file_faults.h"
#include "platform/files.h"
#include "tools/structure_file.h"

namespace tarvo::tools {
namespace {

namespace fs = std::filesystem;

class StructureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("structs_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "types.str").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    void WriteText(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string ReadText() {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir;
    std::string path;
};

const Structure kHeader{"header", {{"magic", kAsciiZ, 1}, {"", kUnsigned16, 2}, {"size", kSigned32, 1}}};

TEST_F(StructureFiles, SaveCreatesRedefinesAndReadsBack) {
    ASSERT_EQ(SaveStructure(path, kHeader), StructureFileStatus::Ok);
    EXPECT_EQ(ReadText(), "/* tarvo structures definition */\nheader\n{\n'magic'8[1]\n''3[2]\n'size'4[1]\n}\n");
    Structure other{"other", {{"x", kDoubleFloat, 3}}};
    ASSERT_EQ(SaveStructure(path, other), StructureFileStatus::Ok);
    Structure redefined{"header", {{"tag", kCharacter, 4}}};
    ASSERT_EQ(SaveStructure(path, redefined), StructureFileStatus::Ok);
    std::vector<Structure> read;
    ASSERT_EQ(ReadStructureFile(path, read), StructureFileStatus::Ok);
    ASSERT_EQ(read.size(), 2u);  // replaced, not added a second time
    EXPECT_EQ(read[0], other);
    EXPECT_EQ(read[1], redefined);
    EXPECT_EQ(ReadText().find("'magic'"), std::string::npos);
    EXPECT_EQ(read[1].nameOffset, ReadText().find("header\n"));
}

TEST_F(StructureFiles, WrongFilesAreToldAndLeftAlone) {
    std::vector<Structure> read;
    EXPECT_EQ(ReadStructureFile(path, read), StructureFileStatus::Missing);
    const std::string foreign = "int main(void) { return 0; }\n";
    WriteText(foreign);
    EXPECT_EQ(ReadStructureFile(path, read), StructureFileStatus::NotDescription);
    EXPECT_EQ(SaveStructure(path, kHeader), StructureFileStatus::NotDescription);
    EXPECT_EQ(ReadText(), foreign);
    const std::string damaged = "/* tarvo structures definition */\r\nfirst\r\n{\r\n'a'1[1]\r\n}\r\n\r\nsecond\n{\n'b'13[1]\n}\nthird\n{\n'c'1[1]\n}\n";
    WriteText(damaged);
    EXPECT_EQ(ReadStructureFile(path, read), StructureFileStatus::Malformed);
    ASSERT_EQ(read.size(), 1u);  // what came before the bad line (CR LF lines read too)
    EXPECT_EQ(read[0].name, "first");
    EXPECT_EQ(SaveStructure(path, kHeader), StructureFileStatus::Malformed);
    EXPECT_EQ(ReadText(), damaged);
    WriteText("/* tarvo structures definition */\n\n\n");
    EXPECT_EQ(ReadStructureFile(path, read), StructureFileStatus::NoStructures);
    EXPECT_EQ(SaveStructure(path, kHeader), StructureFileStatus::Ok);

    // A save that fails at any file operation leaves the file as it was.
    const std::string before = ReadText();
    long n = 0;
    for (bool met = true; met;) {
        test::FaultPlan plan;
        StructureFileStatus status = test::WithFailingCall(++n, plan, [&] { return SaveStructure(path, {"late", {{"z", 1, 1}}}); });
        met = plan.Met();
        if (status != StructureFileStatus::Ok) {
            EXPECT_EQ(ReadText(), before) << n;
        } else {
            EXPECT_NE(ReadText().find("late\n{\n'z'1[1]\n}\n"), std::string::npos);
            WriteText(before);
        }
    }
    EXPECT_GT(n, 4);
}

TEST(StructureLines, FieldLinesAreReadStrictly) {
    StructureField f;
    EXPECT_TRUE(ParseFieldLine("'name'12[3]", f));
    EXPECT_EQ(f, (StructureField{"name", 12, 3}));
    EXPECT_TRUE(ParseFieldLine("''0[1]", f));
    EXPECT_EQ(f.name, "");
    for (const char* bad : {"'a'13[1]", "'a'-1[1]", "'a'1[0]", "'a'1[-5]", "'a'1[65537]", "'a'1[99999999999]",
                            "'a'1[1", "'a'1[1] ", "'a'[1]", "a'1[1]", "'a'1", "'it's'1[1]", "'a\tb'1[1]", "", "'"})
        EXPECT_FALSE(ParseFieldLine(bad, f)) << bad;
    EXPECT_TRUE(ValidStructureName("MZ header"));
    for (const char* bad : {"", "{", "}", "it's", "two\nlines"}) EXPECT_FALSE(ValidStructureName(bad)) << bad;
    EXPECT_FALSE(ValidStructureName(std::string(256, 'a')));
    EXPECT_TRUE(ValidStructureName(std::string(255, 'a')));
    EXPECT_FALSE(ValidFieldName("a'b"));
    EXPECT_EQ(PrintStructures({}), "/* tarvo structures definition */\n");
}

TEST_F(StructureFiles, OverlayShowsEveryTypeTextsAndWhatFollows) {
    std::string bytes;
    bytes += "A";                                 // character
    bytes += "\xff";                              // unsigned 8
    bytes += std::string("\xfe\xff", 2);          // signed 16: -2
    bytes += std::string("\x34\x12", 2);          // unsigned 16
    bytes += std::string("\xff\xff\xff\xff", 4);  // signed 32: -1
    bytes += std::string("\x00\x00\x00\x80", 4);  // unsigned 32
    float f = 1.5f;
    bytes += std::string(reinterpret_cast<const char*>(&f), 4);
    double d = -2.25;
    bytes += std::string(reinterpret_cast<const char*>(&d), 8);
    bytes += std::string("hi\0", 3);              // AsciiZ
    bytes += std::string("\x00\x03" "abc", 5);    // two Ascii pascal: empty, "abc"
    bytes += std::string("\x12\x34", 2);          // swapped short
    bytes += std::string("\x01\x02\x03\x04", 4);  // swapped long
    bytes += std::string("\x01\x00\x00\x00", 4);  // bit inversed
    const std::size_t size = bytes.size();
    bytes += "x\x01";                             // what follows
    std::ofstream(path, std::ios::binary) << "pad" << bytes;
    Structure s{"all", {{"c", kCharacter, 1}, {"", kUnsigned8, 1}, {"s16", kSigned16, 1}, {"u16", kUnsigned16, 1},
                        {"s32", kSigned32, 1}, {"u32", kUnsigned32, 1}, {"f", kSingleFloat, 1}, {"d", kDoubleFloat, 1},
                        {"z", kAsciiZ, 1}, {"p", kAsciiPascal, 2}, {"ss", kSwappedShort, 1}, {"sl", kSwappedLong, 1},
                        {"bits", kBitInversed, 1}}};
    platform::ReadHandle h;
    ASSERT_TRUE(platform::OpenForReading(path, h));
    Overlay o = LayStructure(h, 3, s, false);
    ASSERT_EQ(o.lines.size(), s.fields.size());
    std::vector<std::string> values;
    for (const OverlayLine& l : o.lines) values.push_back(l.values);
    EXPECT_EQ(values, (std::vector<std::string>{"A ", "255 ", "-2 ", "4660 ", "-1 ", "2147483648 ", "1.500000 ", "-2.250000 ",
                                                "hi ", " abc ", "4660 ", "50594050 ", "-2147483648  "}));
    EXPECT_EQ(o.lines[1].field, "noname unsigned 8[1]");
    EXPECT_EQ(o.lines[9].field, "p Ascii pascal[2]");
    EXPECT_EQ(o.lines[9].offset, "29");
    EXPECT_EQ(o.after, 3 + size);
    EXPECT_EQ(o.following, "'x' 1 ");
    o = LayStructure(h, 3, s, true);
    EXPECT_EQ(o.lines[2].values, "fffe ");
    EXPECT_EQ(o.lines[9].offset, "1d");
    EXPECT_EQ(o.lines[12].values, "   80000000  ");
    EXPECT_FALSE(o.readError);
}

TEST_F(StructureFiles, ElementsPastTheEndAreMissingAndLongFieldsAreCut) {
    std::ofstream(path, std::ios::binary) << std::string(2000, 'q') << std::string("\x05" "ab", 3);
    platform::ReadHandle h;
    ASSERT_TRUE(platform::OpenForReading(path, h));
    // A field far larger than any buffer: the text stops at 500 characters, the offset moves on.
    Overlay o = LayStructure(h, 0, {"big", {{"q", kCharacter, 1900}, {"u", kUnsigned32, 30}}}, false);
    EXPECT_EQ(o.lines[0].values.size(), kOverlayTextLimit);
    EXPECT_FALSE(o.lines[0].pastEnd);
    EXPECT_EQ(o.lines[1].offset, "1900");
    EXPECT_EQ(o.lines[1].values.substr(0, 11), "1903260017 ");  // 'qqqq'
    EXPECT_TRUE(o.lines[1].pastEnd);  // 103 bytes left, 120 wanted: no stale bytes shown
    EXPECT_EQ(o.lines[1].values.size(), 25u * 11u);
    EXPECT_EQ(o.after, 1900u + 120u);
    EXPECT_EQ(o.following, "");
    // A pascal text whose length runs past the end, and an AsciiZ without terminator.
    o = LayStructure(h, 2000, {"t", {{"p", kAsciiPascal, 1}}}, false);
    EXPECT_TRUE(o.lines[0].pastEnd);
    EXPECT_EQ(o.lines[0].values, "");
    o = LayStructure(h, 2001, {"t", {{"z", kAsciiZ, 1}}}, false);
    EXPECT_TRUE(o.lines[0].pastEnd);
    // A read that fails is told, not shown as values.
    test::FaultPlan plan;
    o = test::WithFailingCall(1, plan, [&] { return LayStructure(h, 0, {"t", {{"u", kUnsigned32, 2}}}, false); });
    EXPECT_TRUE(o.readError);
    EXPECT_EQ(o.lines[0].values, "");
}

}  // namespace
}  // namespace tarvo::tools
